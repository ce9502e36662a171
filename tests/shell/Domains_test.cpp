#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTest>

#include "Domains.h"
#include "DomainTexts.h"
#include "FakePages.h"
#include "LessonTexts.h"
#include "Navigation.h"
#include "NewPageDialog.h"
#include "Screenshot.h"
#include "ShellTexts.h"
#include "ShellWindows.h"
#include "StartedApp.h"
#include "TFrame.h"
#include "ToolStripWidget.h"

using namespace vellora;
using namespace vellora::testing;
using DomainEntry = AppWithPages;
using DomainList = AppWithPages;

namespace {

struct Variant {
    int wurds, lastStop;
};
constexpr Variant kVariants[3] = {{0, 0}, {3, 0}, {3, 250}};

// Continue and Return from every domain with a lesson open. An outcome is
// "[T|N|B ]domain" where T is a change to the title page, N to the next page
// and B to the previous page entering Synchro, and X the exit question.
// "a/b/c" differ for no words / words not synchronised / words synchronised;
// "p1|p3" differ for page 1 and page 3.
struct Row {
    int domain;
    const char* next;
    const char* back;
};
const Row kTransitions[] = {
    {0, "2", "X"},          {1, "T 2", "0"},        {2, "3", "0"},           {3, "4", "2"},
    {4, "5", "3"},          {5, "6", "4"},          {6, "8", "5"},           {7, "8", "6"},
    {8, "N 9", "7"},        {9, "10", "T 8|B 14"},  {10, "11/12/12", "9"},   {11, "12", "10"},
    {12, "13", "10"},       {13, "15/14/15", "11/12/12"}, {14, "15", "13"},  {15, "N 9", "14"},
    {16, "17", "22"},       {17, "18", "16"},       {18, "19", "17"},        {19, "20", "18"},
    {20, "21", "19"},       {21, "22", "20"},       {22, "16", "21"},
};

QString pick(const char* outcomes, int variant, int page) {
    QString s = QString::fromLatin1(outcomes);
    if (s.contains(QLatin1Char('|'))) s = s.split(QLatin1Char('|'))[page == 1 ? 0 : 1];
    if (s.contains(QLatin1Char('/'))) s = s.split(QLatin1Char('/'))[variant];
    return s;
}

}  // namespace

TEST(Transitions, UnknownDomainNumbersAreReportedAndGiveStart) {
    ScriptedDialogs dialogs;
    TDm dm(dialogs);
    dialogs.expect(MsgKind::Information, QStringLiteral("Requested domain is 23"));
    EXPECT_EQ(dm.NextDm(23, {}), 0);
    dialogs.expect(MsgKind::Information, QStringLiteral("Domain requested is 40"));
    EXPECT_EQ(dm.PrecediingDm(40, {}), 0);
    dialogs.expect(MsgKind::Information, QStringLiteral("Requested domain is -1"));
    EXPECT_EQ(dm.NextDm(-1, {}), 0);
    EXPECT_EQ(dm.NextDm(6, {}), 8);  // no message for a known domain
    EXPECT_EQ(NextDomain(23, {}), -1);
    EXPECT_EQ(PrecedingDomain(-1, {}), -1);
    EXPECT_TRUE(dialogs.done());
}

TEST(Transitions, ContinueAndReturnFromEveryDomain) {
    StartedApp s;
    TMainForm& f = s.form();
    AppState& st = s.state();
    FakePages pages(f, st);

    for (const Row& row : kTransitions)
        for (int v = 0; v < 3; ++v)
            for (int page : {1, 3})
                for (bool isContinue : {true, false}) {
                    const QString expected = pick(isContinue ? row.next : row.back, v, page);
                    FakePages::Page p = FakePages::reading();
                    p.kind = row.domain >= 16 ? QStringLiteral("q") : QStringLiteral("r");
                    p.wurds = kVariants[v].wurds;
                    p.lastStop = kVariants[v].lastStop;
                    pages.makeLesson(4, p);
                    st.DisplayEnabled = true;
                    f.Icons(0);
                    pages.load(page);
                    f.Icons(row.domain);
                    ASSERT_EQ(st.CurrentDomain, row.domain);
                    const int before = st.CurrentPage;
                    pages.changes.clear();
                    if (expected == QLatin1String("X"))
                        s.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::No);
                    const Tool button = isContinue ? Tool::btnContinue : row.domain >= 2 ? Tool::btnReturn
                                                                                         : Tool::btnExit;
                    // Return in the first two domains is the Exit button's place.
                    if (isContinue || row.domain >= 2) {
                        QTest::mouseClick(f.Slider->button(button), Qt::LeftButton);
                    } else {
                        f.navigator().btnReturnClick();
                    }

                    const std::string at = std::string(isContinue ? "Continue" : "Return") + " from " +
                                           std::to_string(row.domain) + " variant " + std::to_string(v) +
                                           " page " + std::to_string(page);
                    if (expected == QLatin1String("X")) {
                        EXPECT_TRUE(s.dialogs.done()) << at;
                        EXPECT_EQ(st.CurrentDomain, row.domain) << at;
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
                    if (v == 0 && page == 1 && isContinue)
                        saveScreenshot(&f, QStringLiteral("domain-%1.png").arg(domain, 2, 10, QLatin1Char('0')));
                }
}

TEST(Transitions, ExitButtonLeavesTheLesnDomainAndEndsFromStart) {
    StartedApp s;
    TMainForm& f = s.form();
    FakePages pages(f, s.state());
    pages.makeLesson(0);
    f.Icons(1);
    QTest::mouseClick(f.Slider->button(Tool::btnExit), Qt::LeftButton);
    EXPECT_EQ(s.state().CurrentDomain, 0);
    bool ended = false;
    QObject::connect(&f, &TMainForm::terminated, [&] { ended = true; });
    s.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::Yes);
    QTest::mouseClick(f.Slider->button(Tool::btnExit), Qt::LeftButton);
    EXPECT_TRUE(ended);
}

TEST(Transitions, WithoutALessonContinueAndDomainRequestsOfferOne) {
    StartedApp s;
    TMainForm& f = s.form();
    int offers = 0;
    QObject::connect(&f, &TMainForm::new1Requested, [&] { ++offers; });
    for (int i = 0; i < 4; ++i) {
        s.dialogs.expect(MsgKind::Confirmation, texts::kCreateNewLesn, MsgAnswer::No);
        s.dialogs.expect(MsgKind::Information, texts::kNoLesnFound);
    }
    QTest::mouseClick(f.Slider->button(Tool::btnContinue), Qt::LeftButton);
    f.navigator().RequestDomain(5);
    QTest::mouseClick(f.BtnNext, Qt::LeftButton);
    QTest::mouseClick(f.BtnBack, Qt::LeftButton);
    EXPECT_EQ(offers, 4);
    EXPECT_EQ(s.state().CurrentDomain, 0);
}

TEST(RequestDomain, ReachesPagesOfTheRightKind) {
    StartedApp s;
    TMainForm& f = s.form();
    AppState& st = s.state();
    FakePages pages(f, st);
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

TEST(RequestDomain, NoPageOfTheKindYetOffersANewPage) {
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
            return c.answer == MsgAnswer::Yes ? QDialog::Accepted : QDialog::Rejected;
        });
        f.navigator().RequestDomain(c.domain);
        EXPECT_TRUE(s.dialogs.done());
        EXPECT_FALSE(s.app->dlgNewPage()->lbEncounter->isVisibleTo(s.app->dlgNewPage()));
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

TEST_F(DomainList, ShowsTheCurrentDomainAndRequestsTheClickedOne) {
    pages.makeLesson(2);
    pages.load(1);
    f.Icons(22 - 9);  // Text Sound
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    ASSERT_TRUE(f.lbDomain->isVisible());
    EXPECT_EQ(f.lbDomain->currentRow(), 13);
    QListWidgetItem* item = f.lbDomain->item(7);
    QTest::mouseClick(f.lbDomain->viewport(), Qt::LeftButton, {}, f.lbDomain->visualItemRect(item).center());
    EXPECT_FALSE(f.lbDomain->isVisible());
    EXPECT_EQ(st.CurrentDomain, 7);
    EXPECT_EQ(pages.changes.back(), std::make_pair(0, 2));

    // In the last domain the list shows it too; Enter requests the selection.
    pages.load(1);
    f.Icons(9);
    s.dialogs.expectDialog(QStringLiteral("dlgNewPage"), [](QObject*) { return int(QDialog::Rejected); });
    f.navigator().RequestDomain(22);  // no question page yet: the new-page offer, declined
    EXPECT_EQ(st.CurrentDomain, 9);
    st.LastQuestionPage = 2;
    pages.pages[2].kind = QStringLiteral("q");
    f.navigator().RequestDomain(22);
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(f.lbDomain->currentRow(), 22);
    f.lbDomain->setCurrentRow(19);
    QTest::keyClick(f.lbDomain, Qt::Key_Return);
    EXPECT_EQ(st.CurrentDomain, 19);
}
