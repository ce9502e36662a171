#include "Domains.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTest>

#include "Diagram.h"
#include "DomainTexts.h"
#include "HelpTopics.h"
#include "HelpWindow.h"
#include "LessonSession.h"
#include "LessonTexts.h"
#include "ShellKeys.h"
#include "ShellResources.h"
#include "ShellTexts.h"
#include "ToolStrip.h"
#include "ToolStripWidget.h"

using namespace vellora;
using namespace vellora::testing;
using Transitions = AppWithPages;
using RequestDomain = AppWithPages;
using DomainEntry = AppWithPages;
using DomainList = AppWithPages;
using StripScroll = AppWithPages;

namespace {

struct Variant {
    int wurds, lastStop;
};
constexpr Variant kVariants[3] = {{0, 0}, {3, 0}, {3, 250}};

// Continue and Return from every domain with a lesson open, by the domain
// left. An outcome is "[T|N|B ]domain" where T is a change to the title page,
// N to the next page and B to the previous page entering Synchro, and X the
// exit question.
// "a/b/c" differ for no words / words not synchronised / words synchronised;
// "p1|p3" differ for page 1 and page 3.
const char* const kNext[kDomainCount] = {
    "2",  "T 2",      "3",  "4",   "5",  "6",  "8",  "8",  "N 9", "10", "11/12/12", "12",
    "13", "15/14/15", "15", "N 9", "17", "18", "19", "20", "21",  "22", "16"};
const char* const kBack[kDomainCount] = {"X",  "0",        "0",  "2",  "3",  "4",        "5",  "6",
                                         "7",  "T 8|B 14", "9",  "10", "10", "11/12/12", "13", "14",
                                         "22", "16",       "17", "18", "19", "20",       "21"};

QString pick(const char* outcomes, int variant, int page) {
    QString s = QString::fromLatin1(outcomes);
    if (s.contains(QLatin1Char('|'))) s = s.split(QLatin1Char('|'))[page == 1 ? 0 : 1];
    if (s.contains(QLatin1Char('/'))) s = s.split(QLatin1Char('/'))[variant];
    return s;
}

}  // namespace

TEST_F(Transitions, ContinueAndReturnFromEveryDomain) {
    for (int d = 0; d < kDomainCount; ++d)
        for (int v = 0; v < 3; ++v)
            for (int page : {1, 3})
                for (bool isContinue : {true, false}) {
                    const QString expected = pick(isContinue ? kNext[d] : kBack[d], v, page);
                    FakePages::Page p = FakePages::reading();
                    p.kind = d >= 16 ? QStringLiteral("q") : QStringLiteral("r");
                    p.wurds = kVariants[v].wurds;
                    p.lastStop = kVariants[v].lastStop;
                    pages.makeLesson(4, p);
                    st.DisplayEnabled = true;
                    f.Icons(0);
                    pages.load(page);
                    f.Icons(d);
                    ASSERT_EQ(st.CurrentDomain, d);
                    const int before = st.CurrentPage;
                    pages.changes.clear();
                    if (expected == QLatin1String("X"))
                        s.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::No);
                    // Return in the first two domains is the Exit button's place.
                    const Tool button = isContinue ? Tool::btnContinue
                                        : d >= 2   ? Tool::btnReturn
                                                   : Tool::btnExit;
                    QTest::mouseClick(f.Slider->button(button), Qt::LeftButton);

                    const std::string at = std::string(isContinue ? "Continue" : "Return") +
                                           " from " + std::to_string(d) + " variant " +
                                           std::to_string(v) + " page " + std::to_string(page);
                    if (expected == QLatin1String("X")) {
                        EXPECT_TRUE(s.dialogs.done()) << at;
                        EXPECT_EQ(st.CurrentDomain, d) << at;
                        continue;
                    }
                    QStringList parts = expected.split(QLatin1Char(' '));
                    const int domain = parts.takeLast().toInt();
                    std::vector<std::pair<int, int>> changes;
                    if (!parts.isEmpty()) {
                        if (parts[0] == QLatin1String("T")) changes.emplace_back(0, 2);
                        if (parts[0] == QLatin1String("N")) changes.emplace_back(before + 1, 9);
                        if (parts[0] == QLatin1String("B")) changes.emplace_back(before - 1, 14);
                    }
                    EXPECT_EQ(pages.changes, changes) << at;
                    EXPECT_EQ(st.CurrentDomain, domain) << at;
                    EXPECT_EQ(f.editDomain->text(), DomainName(domain)) << at;
                    EXPECT_EQ(f.pnlStatus->text(), DomainHint(domain)) << at;
                }
}

// (Where each key leads: ContinueAndReturnFromEveryDomain.)
TEST_F(Transitions, ContinueAndReturnByKey) {
    pages.makeLesson(2);
    struct Case {
        int from;
        QKeySequence key;
        int to;
    };
    const Case cases[] = {
        {3, keys::kContinue, 4},
        {4, keys::kReturn, 3},
        {1, keys::kReturn, 0},      // Exit stands in for Return
        {12, keys::kContinue, 13},  // the words step, where Alt and the arrows nudge words
    };
    for (const Case& c : cases) {
        if (c.from >= 9) pages.load(1);
        f.Icons(c.from);
        QTest::keySequence(&f, c.key);
        EXPECT_EQ(st.CurrentDomain, c.to) << c.from << " " << c.key.toString().toStdString();
    }

    // The keys are shown where the buttons are explained, and no other
    // command of the window uses them.
    initShellResources();
    const QString continueText = keys::kContinue.toString(QKeySequence::NativeText);
    const QString returnText = keys::kReturn.toString(QKeySequence::NativeText);
    const QString listText = keys::kDomainList.toString(QKeySequence::NativeText);
    EXPECT_TRUE(f.Slider->button(Tool::btnContinue)->toolTip().contains(continueText));
    EXPECT_TRUE(f.Slider->button(Tool::btnReturn)->toolTip().contains(returnText));
    EXPECT_TRUE(f.BitBtn1->toolTip().contains(listText));
    for (const char* page : {":/help/keys-and-mouse.html", ":/help/main-window.html"}) {
        QFile file{QLatin1String(page)};
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page;
        const QString html = QString::fromUtf8(file.readAll());
        for (const QString& key : {continueText, returnText, listText})
            EXPECT_TRUE(html.contains(key)) << page;
    }
    QMap<QKeySequence, QString> taken;
    for (QAction* a : f.findChildren<QAction*>())
        for (const QKeySequence& k : a->shortcuts()) {
            EXPECT_FALSE(taken.contains(k))
                << k.toString().toStdString() << ": " << a->objectName().toStdString() << " and "
                << taken.value(k).toStdString();
            taken.insert(k, a->objectName());
        }
}

// Continue in any of its forms, and a domain asked for, without a lesson.
TEST_F(Transitions, WithoutALessonContinueAndDomainRequestsOfferOne) {
    int offers = 0;
    QObject::connect(&f, &TMainForm::new1Requested, [&] { ++offers; });
    for (int i = 0; i < 7; ++i) {
        s.dialogs.expect(MsgKind::Confirmation, texts::kCreateNewLesn, MsgAnswer::No);
        s.dialogs.expect(MsgKind::Information, texts::kNoLesnFound);
    }
    QTest::mouseClick(f.Slider->button(Tool::btnContinue), Qt::LeftButton);
    f.navigator().RequestDomain(5);
    QTest::mouseClick(f.BtnNext, Qt::LeftButton);
    QTest::mouseClick(f.BtnBack, Qt::LeftButton);
    // The right button is Continue on the window; the left is not.
    QTest::mouseClick(f.ClientOfMainScreen, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseClick(f.Util, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseClick(f.Util, Qt::LeftButton, {}, QPoint(10, 10));
    // A domain clicked on the diagram in its Activate mode.
    TdlgDiagram* diagram = s.app->dlgDiagram();
    diagram->ShowDiagram();
    QTest::mouseClick(diagram->rbActivate, Qt::LeftButton);
    QTest::mouseClick(diagram->DomainLabel(12), Qt::LeftButton);
    EXPECT_EQ(offers, 7);
    EXPECT_TRUE(s.dialogs.done());
    EXPECT_EQ(st.CurrentDomain, 0);
}

TEST_F(RequestDomain, ReachesPagesOfTheRightKind) {
    pages.makeLesson(4);
    pages.pages[2].kind = QStringLiteral("q");
    pages.pages[3].wurds = 4;

    // Within a group: no page change.
    pages.load(3);
    f.Icons(9);
    pages.changes.clear();
    f.navigator().RequestDomain(13);
    EXPECT_TRUE(pages.changes.empty());
    EXPECT_EQ(st.CurrentDomain, 13);

    // Into the question group: the last question page.
    pages.load(2);
    pages.load(3);
    f.Icons(9);
    f.navigator().RequestDomain(18);
    EXPECT_EQ(pages.changes.back(), std::make_pair(2, 18));
    EXPECT_EQ(st.CurrentDomain, 18);

    // Back to the Text domain of a reading page with words: the erase question.
    s.dialogs.expect(MsgKind::Confirmation, texts::kEraseWords, MsgAnswer::No);
    f.navigator().RequestDomain(11);
    EXPECT_EQ(pages.changes.back(), std::make_pair(3, 12));
    EXPECT_EQ(st.CurrentDomain, 12);
    f.navigator().RequestDomain(20);
    s.dialogs.expect(MsgKind::Confirmation, texts::kEraseWords, MsgAnswer::Yes);
    f.navigator().RequestDomain(11);
    EXPECT_EQ(pages.changes.back(), std::make_pair(3, 11));
    EXPECT_EQ(st.CurrentDomain, 11);

    // From a page to the title: the page is left through the title page.
    pages.changes.clear();
    f.navigator().RequestDomain(5);
    EXPECT_EQ(pages.changes, (std::vector<std::pair<int, int>>{{0, 2}}));
    EXPECT_EQ(st.CurrentDomain, 5);
    EXPECT_TRUE(st.TitleShown);
    EXPECT_EQ(st.CurrentPage, 0);
}

TEST(NewPageOffer, NoPageOfTheKindYetOffersANewPage) {
    struct Case {
        int domain;
        MsgAnswer answer;
        const QString* label;
        bool question;
    };
    for (const Case& c : {Case{18, MsgAnswer::Yes, &texts::kQuestionPage, true},
                          Case{18, MsgAnswer::No, &texts::kQuestionPage, true},
                          Case{11, MsgAnswer::Yes, &texts::kReadingPage, false}}) {
        StartedApp s;
        TMainForm& f = s.form();
        AppState& st = s.state();
        FakePages pages(f, st);
        pages.makeLesson(1);
        if (c.question) pages.load(1);  // a reading page was met, no question page yet
        f.Icons(c.question ? 15 : 4);
        const int before = st.CurrentDomain;
        s.dialogs.expectDialog(QStringLiteral("dlgNewPage"), [&](QObject* o) {
            auto* d = static_cast<TdlgNewPage*>(o);
            EXPECT_TRUE(d->lbPageType->isVisibleTo(d));
            EXPECT_TRUE(d->lbEncounter->isVisibleTo(d));
            EXPECT_EQ(d->lbPageType->text(), *c.label);
            EXPECT_EQ(d->rbQuestion->isChecked(), c.question);
            QTest::mouseClick(d->HelpBtn, Qt::LeftButton);
            return c.answer == MsgAnswer::Yes ? QDialog::Accepted : QDialog::Rejected;
        });
        f.navigator().RequestDomain(c.domain);
        EXPECT_TRUE(s.dialogs.done());
        EXPECT_EQ(s.app->Help()->currentTopic(), kHelpNewPage);
        if (c.answer == MsgAnswer::Yes) {
            EXPECT_EQ(pages.made, std::vector<int>{2});
            EXPECT_EQ(st.NewPageKind, c.question ? QStringLiteral("q") : QStringLiteral("r"));
            EXPECT_EQ(st.CurrentDomain, c.question ? 16 : 9);
        } else {
            EXPECT_TRUE(pages.made.empty());
            EXPECT_EQ(st.CurrentDomain, before);
            EXPECT_TRUE(st.NewPageKind.isEmpty());
        }
    }
}

TEST(Diagram, ClicksGoToTheirDomainOnlyInActivateMode) {
    AppState st;
    TdlgDiagram diagram(st);
    std::vector<int> requested;
    QObject::connect(&diagram, &TdlgDiagram::domainRequested,
                     [&](int d) { requested.push_back(d); });
    int continues = 0;
    QObject::connect(&diagram, &TdlgDiagram::continueRequested, [&] { ++continues; });
    diagram.ShowDiagram();
    EXPECT_TRUE(diagram.rbView->isChecked());
    QTest::mouseClick(diagram.DomainLabel(5), Qt::LeftButton);  // view mode: nothing
    EXPECT_TRUE(requested.empty());

    QTest::mouseClick(diagram.rbActivate, Qt::LeftButton);
    EXPECT_TRUE(diagram.DiagramActivate());
    QTest::mouseClick(diagram.DomainLabel(5), Qt::LeftButton);
    QTest::mouseClick(diagram.DomainLabel(22), Qt::LeftButton);
    EXPECT_EQ(requested, (std::vector<int>{5, 22}));
    QTest::mouseClick(diagram.sbDiagram->widget(), Qt::RightButton, {}, QPoint(200, 5));
    EXPECT_EQ(continues, 1);
}

TEST_F(DomainEntry, SameDomainOnTheSameKindOfPageIsNotRebuilt) {
    pages.makeLesson(3);
    pages.pages[3].kind = QStringLiteral("q");
    pages.load(1);
    f.Icons(9);
    const size_t synchroCalls = pages.synchro.size();
    f.editDomain->setText(QStringLiteral("marker"));
    f.Icons(9);
    EXPECT_EQ(f.editDomain->text(), QStringLiteral("marker"));
    EXPECT_EQ(pages.synchro.size(), synchroCalls);

    // Another reading page in the same domain: still no rebuild.
    pages.ChangePage(2, 9);
    EXPECT_EQ(f.editDomain->text(), QStringLiteral("marker"));

    // A question page changes the kind: rebuilt, in the question domain.
    pages.ChangePage(3, 9);
    EXPECT_EQ(st.CurrentDomain, 16);
    EXPECT_EQ(f.editDomain->text(), QStringLiteral("QPicture"));
    f.Icons(16);
    EXPECT_EQ(pages.questionReshown, 0);  // mode changed on the last load
    pages.previousMode = pages.mode;
    f.Icons(16);
    EXPECT_EQ(pages.questionReshown, 1);

    // A forced refresh rebuilds even the same domain.
    st.ForceDomainRefresh = true;
    f.editDomain->setText(QStringLiteral("marker"));
    f.Icons(16);
    EXPECT_EQ(f.editDomain->text(), QStringLiteral("QPicture"));
}

TEST_F(DomainEntry, StepsOfEnteringADomain) {
    FakeMedia media(f);
    pages.makeLesson(2);
    pages.pages[2].kind = QStringLiteral("q");
    std::vector<int> fontShown;
    QObject::connect(&f, &TMainForm::displayFontRequested, [&](int d) { fontShown.push_back(d); });

    f.Icons(1);
    EXPECT_TRUE(f.Util->DefaultFont->isVisibleTo(f.Util));
    pages.load(1);
    f.Icons(14);
    EXPECT_FALSE(f.Util->DefaultFont->isVisibleTo(f.Util));
    EXPECT_EQ(pages.synchro.back(), true);
    f.Icons(15);
    EXPECT_EQ(pages.synchro.back(), false);
    EXPECT_EQ(pages.leftDomains.back(), 14);

    // Text left in the text box becomes words first, through the Words domain.
    pages.textInBox = true;
    fontShown.clear();
    f.Icons(10);
    EXPECT_EQ(pages.parsedFor, std::vector<int>{10});
    EXPECT_EQ(fontShown, (std::vector<int>{12, 10}));
    EXPECT_EQ(st.CurrentDomain, 10);
    // A parse that leaves text behind does not enter the Words domain forever.
    pages.textInBox = true;
    pages.clearOnParse = false;
    f.Icons(13);
    EXPECT_EQ(pages.parsedFor, (std::vector<int>{10, 13}));
    EXPECT_EQ(st.CurrentDomain, 13);
    pages.textInBox = false;
    f.Icons(11);
    EXPECT_EQ(pages.toggled.back(), 11);
    EXPECT_EQ(pages.questionParts.back(), 11);

    // The question page: attempts start again in the Question Page domain.
    pages.ChangePage(2, 9);
    f.Icons(22);
    EXPECT_EQ(pages.attemptResets, 1);
    f.Icons(21);
    EXPECT_EQ(pages.attemptResets, 1);

    // An unknown domain is refused.
    s.dialogs.expect(MsgKind::Information, QStringLiteral("Domain requested is 23"));
    f.Icons(23);
    EXPECT_EQ(st.CurrentDomain, 21);
}

TEST_F(DomainEntry, FocusMovesToTheDomainsControl) {
    pages.makeLesson(1);
    QWidget* memTitle = f.TitleScreen->memTitle;
    QWidget* holder = f.TitleScreen->DBEditHolder;
    holder->setEnabled(false);  // cannot take the focus: it stays where it is
    auto* choice = new QLineEdit(f.Frame);
    choice->setObjectName(QStringLiteral("Choice03"));

    f.Icons(2);
    EXPECT_EQ(f.focusWidget(), memTitle);
    f.Icons(6);
    EXPECT_EQ(f.focusWidget(), memTitle);
    f.Icons(0);
    EXPECT_EQ(f.focusWidget(), f.BtnNext);
    pages.pages[1].kind = QStringLiteral("q");
    pages.load(1);
    pages.currentChoice = 3;
    f.Icons(20);
    EXPECT_EQ(f.focusWidget(), choice);
}

TEST_F(DomainList, ShowsTheCurrentDomainAndRequestsTheChosenOne) {
    pages.makeLesson(2);
    pages.load(1);
    f.Icons(13);
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    ASSERT_TRUE(f.lbDomain->isVisible());
    EXPECT_EQ(f.lbDomain->currentRow(), 13);
    QListWidgetItem* item = f.lbDomain->item(7);
    QTest::mouseClick(f.lbDomain->viewport(), Qt::LeftButton, {},
                      f.lbDomain->visualItemRect(item).center());
    EXPECT_FALSE(f.lbDomain->isVisible());
    EXPECT_EQ(st.CurrentDomain, 7);
    EXPECT_EQ(pages.changes.back(), std::make_pair(0, 2));

    // By keyboard: its key opens it with the focus; the arrows and Enter choose.
    QTest::keySequence(&f, keys::kDomainList);
    EXPECT_TRUE(f.lbDomain->hasFocus());
    EXPECT_EQ(f.lbDomain->currentRow(), 7);
    QTest::keyClick(f.lbDomain, Qt::Key_Down);
    QTest::keyClick(f.lbDomain, Qt::Key_Down);
    QTest::keyClick(f.lbDomain, Qt::Key_Up);
    QTest::keyClick(f.lbDomain, Qt::Key_Return);
    EXPECT_EQ(st.CurrentDomain, 8);
    EXPECT_FALSE(f.lbDomain->isVisible());

    // Esc closes it with nothing chosen, also over the page, where Esc
    // otherwise asks a reading to stop.
    pages.load(1);
    f.Icons(12);
    QWidget* field = QApplication::focusWidget();
    QTest::keySequence(&f, keys::kDomainList);
    ASSERT_TRUE(f.lbDomain->hasFocus());
    QTest::keyClick(f.lbDomain, Qt::Key_Down);
    QTest::keyClick(f.lbDomain, Qt::Key_Escape);
    EXPECT_FALSE(f.lbDomain->isVisible());
    EXPECT_EQ(st.CurrentDomain, 12);
    EXPECT_FALSE(st.StopRequested);
    EXPECT_EQ(QApplication::focusWidget(), field);
}

// ---- The tool strip (the menus: KeysAndTools_test) ----

// Every domain's strip: Exit or Return first, Continue second, and the
// places filled one after another, one shown button in each.
TEST(ToolStrip, EveryDomainFillsItsPlacesWithOneShownButtonEach) {
    for (int d = 0; d < 23; ++d)
        for (bool video : {false, true}) {
            const ToolPlacement p = PlaceTools(d, video);
            const std::string at = "domain " + std::to_string(d) + (video ? " video" : "");
            std::vector<int> shownAt(size_t(p.IconCount), 0);
            for (int i = 0; i < kToolCount; ++i) {
                const char* name = TToolStrip::name(static_cast<Tool>(i));
                if (p.place[i] < 0) {
                    EXPECT_FALSE(p.shown[i]) << at << " " << name;
                    continue;
                }
                ASSERT_LT(p.place[i], p.IconCount) << at << " " << name;
                EXPECT_EQ(p.enabled[i], p.shown[i]) << at << " " << name;
                shownAt[size_t(p.place[i])] += p.shown[i];
            }
            for (int n : shownAt) EXPECT_EQ(n, 1) << at;
            EXPECT_EQ(p.placeOf(d >= 2 ? Tool::btnReturn : Tool::btnExit), 0) << at;
            EXPECT_EQ(p.placeOf(Tool::btnContinue), 1) << at;
            if (p.placeOf(Tool::btnVidCtlOn) >= 0) {
                EXPECT_EQ(p.placeOf(Tool::btnVidCtlOf), p.placeOf(Tool::btnVidCtlOn)) << at;
                EXPECT_EQ(p.isShown(Tool::btnVidCtlOf), video) << at;
            }
        }
}

// The real strip: thirteen places on view, so the fourteen of domain 15 (the
// most of any domain) scroll one step; reset on entering a domain.
TEST_F(StripScroll, TheArrowsMoveTheStripAndEnteringADomainResetsIt) {
    pages.makeLesson(1);
    pages.load(1);
    f.Icons(15);
    TToolStrip* strip = f.Slider;
    const int home = f.Panel7->width() + f.Panel2->width() + 2;
    const int iconWidth = strip->IconWidth();
    EXPECT_EQ(strip->x(), home);
    EXPECT_EQ(strip->width(), 13 * iconWidth);
    EXPECT_TRUE(f.IconsLeft->isEnabled());
    EXPECT_FALSE(f.IconsRight->isEnabled());

    QWidget* read = strip->button(Tool::btnRead3);
    EXPECT_EQ(read->x(), 13 * iconWidth + 1);
    QTest::mouseClick(f.IconsLeft, Qt::LeftButton);
    EXPECT_EQ(strip->x(), home - iconWidth);
    EXPECT_EQ(strip->width(), 14 * iconWidth);
    EXPECT_FALSE(f.IconsLeft->isEnabled());
    EXPECT_TRUE(f.IconsRight->isEnabled());
    // The fourteenth place now ends where the thirteenth ended before.
    EXPECT_EQ(strip->x() + read->x() + read->width(), home + 13 * iconWidth + 1);
    // The scrolled-out place is behind the panels on the left.
    const QWidget* left = f.Panel1->childAt(home - iconWidth / 2, read->y() + 5);
    EXPECT_TRUE(left == f.Panel2 || (left && f.Panel2->isAncestorOf(left)));
    QTest::mouseClick(f.IconsLeft, Qt::LeftButton);  // disabled: no further
    EXPECT_EQ(strip->x(), home - iconWidth);

    f.Icons(14);
    EXPECT_EQ(strip->x(), home);
    EXPECT_EQ(strip->scroll().IconScroll, 0);
    EXPECT_FALSE(f.IconsLeft->isEnabled());
    EXPECT_FALSE(f.IconsRight->isEnabled());
    for (int i = 0; i < kToolCount; ++i) {
        const Tool t = static_cast<Tool>(i);
        const bool on = t == Tool::btnReturn || t == Tool::btnContinue;
        EXPECT_EQ(strip->button(t)->isVisible(), on) << TToolStrip::name(t);
    }
    EXPECT_EQ(strip->button(Tool::btnContinue)->x(), iconWidth + 1);
}
