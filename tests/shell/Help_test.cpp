#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include "DomainTable.h"
#include "Domains.h"
#include "HelpIndex.h"
#include "HelpTexts.h"
#include "HelpTopics.h"
#include "HelpWindow.h"

using namespace vellora;

namespace {

// Every topic number the program opens: one per domain, the Help menu's
// three, and the dialogs' help buttons and menu contexts.
QList<int> programTopics() {
    QList<int> topics;
    for (int d = 0; d < kDomainCount; ++d) topics << helpTopicForDomain(d);
    topics << kHelpContents << kHelpSearch << kHelpTutorial << kHelpExportToDisk
           << kHelpImportFromDisk << kHelpLessonNotFound << kHelpDeleteLesson << kHelpNewPage
           << kHelpDiagram << kHelpOpenLesson << kHelpExportDestination;
    return topics;
}

const HelpIndex& index() {
    static const HelpIndex instance;
    return instance;
}

// Clicks the first link to `href` in the browser's page, as a reader would.
bool clickLink(QTextBrowser* browser, const QString& href) {
    QTextDocument* doc = browser->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().anchorHref() != href) continue;
            QTextCursor c(doc);
            c.setPosition(f.position() + f.length() / 2);
            browser->setTextCursor(c);
            browser->ensureCursorVisible();
            const QPoint at = browser->cursorRect(c).center();
            QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(HelpTopics, EveryTopicLoadsWithItsOwnTitleAndEveryLinkLeadsSomewhere) {
    for (int topic : programTopics()) {
        SCOPED_TRACE(topic);
        ASSERT_TRUE(index().contains(topic));
        EXPECT_GT(index().text(topic).simplified().size(), 300);  // a real page, not a placeholder
    }
    QSet<QString> titles, files;
    QSet<int> reached{kHelpContents};
    for (const QString& href : index().links(kHelpContents)) reached << index().resolveLink(href);
    int links = 0;
    for (int topic : index().topics()) {
        SCOPED_TRACE(topic);
        EXPECT_FALSE(index().html(topic).isEmpty()) << index().fileName(topic).toStdString();
        EXPECT_FALSE(index().title(topic).isEmpty());
        EXPECT_FALSE(titles.contains(index().title(topic))) << index().title(topic).toStdString();
        EXPECT_FALSE(files.contains(index().fileName(topic)));
        titles << index().title(topic);
        files << index().fileName(topic);
        EXPECT_EQ(index().topicForFile(index().fileName(topic).toUpper()), topic);
        EXPECT_TRUE(reached.contains(topic)) << "contents misses it";
        for (const QString& href : index().links(topic)) {
            EXPECT_GE(index().resolveLink(href), 0) << "links to " << href.toStdString();
            ++links;
        }
    }
    EXPECT_GT(links, 100);
    // A domain's topic carries the domain's name and its hint, and links on.
    for (int d = 0; d < kDomainCount; ++d) {
        SCOPED_TRACE(d);
        const int topic = helpTopicForDomain(d);
        EXPECT_EQ(index().title(topic), DomainName(d));
        EXPECT_TRUE(index().text(topic).contains(QStringLiteral("domain %1").arg(d)));
        EXPECT_TRUE(index().text(topic).contains(DomainHint(d).simplified()));
        EXPECT_GE(index().links(topic).size(), 3);
    }
}

TEST(HelpLinks, ResolveOnlyRealTopicsAndAnchors) {
    struct Case {
        const char* href;
        int topic;
    };
    const Case cases[] = {
        {"contents.html", kHelpContents},
        {"TUTORIAL.HTML", kHelpTutorial},
        {"domain-14-synchro.html", helpTopicForDomain(14)},
        {"missing.html", -1},
        {"help.css", -1},
        {"../help/contents.html", -1},
        {"qrc:/help/contents.html", -1},
        {"contents.html#no-such-anchor", -1},
        {"", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(index().resolveLink(QLatin1String(c.href)), c.topic) << c.href;
}

TEST(HelpSearch, FindsTopicsByTheirWordsIgnoringCaseAndNeedsThemAll) {
    const int synchro = helpTopicForDomain(14);
    struct Case {
        const char* query;
        int found, notFound;  // -1: nothing in particular
    };
    const Case cases[] = {
        {"fREEZE", synchro, -1},
        {"  freeze,  leader ", synchro, -1},
        {"Leader fixed", -1, synchro},  // "fixed" is about choices, not the synchronisation
        {"fixed shuffled", helpTopicForDomain(20), synchro},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const QList<int> found = index().search(QLatin1String(c.query));
        EXPECT_EQ(found.contains(c.found), c.found >= 0);
        EXPECT_FALSE(found.contains(c.notFound));
        // Whatever is found really holds every word.
        for (int topic : found)
            for (const QString& w : HelpIndex::searchWords(QLatin1String(c.query)))
                EXPECT_TRUE(
                    (index().title(topic) + index().text(topic)).contains(w, Qt::CaseInsensitive))
                    << topic;
    }
    for (const char* query : {"freeze zxqwv", "   "})
        EXPECT_TRUE(index().search(QLatin1String(query)).isEmpty()) << query;
    // Title matches come first; navigation pages are no results.
    const QList<int> found = index().search(QStringLiteral("synchro"));
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found.first(), helpTopicForDomain(14));
    EXPECT_FALSE(found.contains(kHelpContents));
    EXPECT_FALSE(index().search(QStringLiteral("Contents")).contains(kHelpContents));
    EXPECT_FALSE(index().search(QStringLiteral("search box")).contains(kHelpSearch));
}

TEST(HelpWindowTest, ShowsATopicThroughItsBrowserAndWalksTheHistory) {
    HelpWindow w;
    QTextBrowser* browser = w.HelpBrowser;
    QToolButton *back = w.HelpBack, *forward = w.HelpForward;
    HelpViewer& viewer = w;
    viewer.showTopic(kHelpTutorial);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.currentTopic(), kHelpTutorial);
    EXPECT_EQ(browser->documentTitle(), index().title(kHelpTutorial));
    EXPECT_TRUE(w.windowTitle().contains(index().title(kHelpTutorial)));
    EXPECT_FALSE(back->isEnabled());

    viewer.showTopic(helpTopicForDomain(22));
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Question Page"));
    EXPECT_TRUE(back->isEnabled());
    // The topic list marks the topic on screen.
    ASSERT_NE(w.HelpResults->currentItem(), nullptr);
    EXPECT_EQ(w.HelpResults->currentItem()->data(Qt::UserRole).toInt(), helpTopicForDomain(22));

    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(w.currentTopic(), kHelpTutorial);
    EXPECT_TRUE(forward->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton);
    EXPECT_EQ(w.currentTopic(), helpTopicForDomain(22));

    QTest::mouseClick(w.HelpContents, Qt::LeftButton);
    EXPECT_EQ(w.currentTopic(), kHelpContents);
    // A link inside the topic leads on.
    ASSERT_TRUE(clickLink(browser, QStringLiteral("domain-11-text.html")));
    EXPECT_EQ(w.currentTopic(), helpTopicForDomain(11));
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Text"));
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("Text")));
}

TEST(HelpWindowTest, UnknownTopicShowsAMessageNotABlankPage) {
    HelpWindow w;
    for (int topic : {423, 999, -1, 1}) {
        SCOPED_TRACE(topic);
        w.showTopic(topic);
        EXPECT_EQ(w.currentTopic(), -1);
        EXPECT_EQ(w.HelpBrowser->documentTitle(), texts::kHelpUnknownTitle);
        EXPECT_TRUE(w.HelpBrowser->toPlainText().contains(texts::kHelpUnknownText.arg(topic)));
    }
    // Its link to the contents works, and back returns to the message.
    ASSERT_TRUE(clickLink(w.HelpBrowser, QStringLiteral("contents.html")));
    EXPECT_EQ(w.currentTopic(), kHelpContents);
    w.HelpBrowser->backward();
    EXPECT_TRUE(w.HelpBrowser->toPlainText().contains(texts::kHelpUnknownText.arg(1)));
}

TEST(HelpWindowTest, SearchBoxListsMatchesAndOpensTheClickedOne) {
    HelpWindow w;
    HelpViewer& viewer = w;
    viewer.showSearch();
    QLineEdit* search = w.HelpSearch;
    QListWidget* results = w.HelpResults;
    QLabel* label = w.HelpResultsLabel;
    EXPECT_EQ(w.currentTopic(), kHelpSearch);
    EXPECT_EQ(results->count(), index().topics().size());
    EXPECT_EQ(label->text(), texts::kHelpAllTopics);

    QTest::keyClicks(search, QStringLiteral("FREEZE leader"));
    EXPECT_EQ(results->count(), index().search(QStringLiteral("freeze leader")).size());
    EXPECT_NE(label->text(), texts::kHelpNothingFound);

    QListWidgetItem* synchro =
        results->findItems(QStringLiteral("Synchro"), Qt::MatchExactly).value(0);
    ASSERT_NE(synchro, nullptr);
    const QRect r = results->visualItemRect(synchro);
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(w.currentTopic(), helpTopicForDomain(14));

    search->clear();
    QTest::keyClicks(search, QStringLiteral("zxqwv"));
    EXPECT_EQ(results->count(), 0);
    EXPECT_EQ(label->text(), texts::kHelpNothingFound);
    QTest::keyClick(search, Qt::Key_Return);  // nothing to open: the page stays
    EXPECT_EQ(w.currentTopic(), helpTopicForDomain(14));

    search->clear();
    QTest::keyClicks(search, QStringLiteral("export disk"));
    QTest::keyClick(search, Qt::Key_Return);  // opens the first result
    EXPECT_EQ(w.currentTopic(), index().search(QStringLiteral("export disk")).first());
}

TEST(HelpWindowTest, FactoryWindowIsAWindowOfItsOwnDeletedWithItsOwner) {
    QPointer<HelpWindow> w;
    {
        QWidget owner;
        w = createHelpWindow(&owner);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->isWindow());
    }
    EXPECT_TRUE(w.isNull());
}
