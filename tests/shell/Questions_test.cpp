// Question pages through the program's own set-up: the question column in
// each domain, the choice rows dealt into the slots, saved and loaded again,
// and the choice count.
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

#include "LessonSession.h"
#include "QuestionLayout.h"
#include "Table.h"
#include "TempDir.h"
#include "ToolStripWidget.h"

namespace vellora::testing {
namespace {

struct QuestionSession : LessonSession {
    explicit QuestionSession(const QString& dir) : LessonSession(dir) {
        life().FileNewClick();
        layer().random().seed(1);
    }
    std::vector<qint64> keys() { return rows().ChoiceKeysOfPage(state().PageRegNum); }
    ChoiceData row(qint64 key) { return *rows().LoadChoice(key); }
    // The row number (1..4) of the row in `slot`.
    int rowIn(int slot) {
        const auto k = keys();
        return int(std::find(k.begin(), k.end(), frame().ChoiceRecNums[size_t(slot)]) - k.begin()) +
               1;
    }
    // The slot (1..4) showing row `row` of the page.
    int slotOf(int row) {
        for (int slot = 1; slot <= 4; ++slot)
            if (rowIn(slot) == row) return slot;
        return 0;
    }
};

TEST(Questions, ANewPageShowsTwoChoicesAndEachDomainItsPanels) {
    TempDir tmp;
    QuestionSession s(tmp.path());
    s.newPage(true);
    ASSERT_EQ(s.frame().PageMode, QStringLiteral("q"));
    ASSERT_EQ(s.frame().ChoiceCount, 2);
    EXPECT_EQ(std::set<int>({s.rowIn(1), s.rowIn(2)}), std::set<int>({1, 2}));
    EXPECT_EQ(s.rowIn(3), 3);
    EXPECT_EQ(s.rowIn(4), 4);
    for (int n = 1; n <= 2; ++n) {
        EXPECT_EQ(s.frame().Choice[size_t(n)]->toPlainText(),
                  QStringLiteral("Choice%1").arg(s.rowIn(n)));
        EXPECT_EQ(s.frame().Value[size_t(n)]->value(), 0);
    }
    EXPECT_EQ(s.frame().Stimulus->toPlainText(), QStringLiteral("Question"));

    // (domain, response and action panels, value panel, score option, row boxes)
    struct Row {
        int domain;
        bool response, value, options, rowBoxes;
    } table[] = {{18, false, false, true, false},
                 {19, false, true, false, false},
                 {20, false, true, false, true},
                 {21, true, false, false, false},
                 {22, false, false, false, false}};
    for (const Row& r : table) {
        s.form().Icons(r.domain);
        ASSERT_EQ(s.state().CurrentDomain, r.domain);
        TFrame& f = s.frame();
        EXPECT_TRUE(f.Question->isVisible()) << r.domain;
        EXPECT_TRUE(f.pnlSelect->isVisible()) << r.domain;
        EXPECT_EQ(f.pnlResponse->isVisible(), r.response) << r.domain;
        EXPECT_EQ(f.pnlAction->isVisible(), r.response) << r.domain;
        EXPECT_EQ(f.pnlValue->isVisible(), r.value) << r.domain;
        EXPECT_EQ(f.pnlOptions->isVisible(), r.options) << r.domain;
        EXPECT_EQ(f.QuSound->isVisible(), r.options) << r.domain;
        for (int n = 1; n <= 4; ++n) {
            // All four rows' boxes show; rows beyond the count stay out of view.
            EXPECT_EQ(f.Fix[size_t(n)]->isVisibleTo(&f), r.rowBoxes) << r.domain;
            EXPECT_EQ(f.ChSound[size_t(n)]->isVisibleTo(&f), r.rowBoxes) << r.domain;
            EXPECT_EQ(f.Value[size_t(n)]->isVisibleTo(&f), r.rowBoxes) << r.domain;
            EXPECT_EQ(f.Choice[size_t(n)]->y() < kParkedTop, n <= 2) << r.domain;
        }
        EXPECT_EQ(f.btnRepeat->y(), f.Choice[2]->y() + f.Choice[2]->height() + 2);
        saveScreenshot(&s.form(), QStringLiteral("question-domain-%1.png").arg(r.domain));
    }
    // A slot whose row has gone keeps what its controls show.
    s.frame().ChoiceRecNums[1] = 999999;
    s.frame().Choice[1]->setPlainText(QStringLiteral("kept"));
    s.layer().LoadChoiceRecords();
    EXPECT_EQ(s.frame().Choice[1]->toPlainText(), QStringLiteral("kept"));
    EXPECT_EQ(s.frame().Choice[2]->toPlainText(), QStringLiteral("Choice%1").arg(s.rowIn(2)));
    // Back on a reading page the question and its panels go.
    s.newPage(false);
    EXPECT_FALSE(s.frame().Question->isVisible());
    EXPECT_FALSE(s.frame().pnlSelect->isVisible());
}

TEST(Questions, SlotsSaveIntoTheirRowsAndFixedRowsKeepTheirSlot) {
    TempDir tmp;
    QuestionSession s(tmp.path());
    s.newPage(true);
    s.newPage(false);
    s.form().pages().ChangePage(1, 19);
    ASSERT_EQ(s.state().CurrentDomain, 19);
    s.frame().seChoices->setValue(4);  // the author's change
    ASSERT_EQ(s.frame().ChoiceCount, 4);
    EXPECT_EQ(s.rows().LoadPage(s.state().PageRegNum)->Choices, 4);
    // Rows 1 and 3 fixed (from whichever slots show them) stay in slots 1
    // and 3 every time; a fixed row saves the slot it was saved from.
    const int slotOf1 = s.slotOf(1), slotOf3 = s.slotOf(3);
    s.frame().Fix[size_t(slotOf1)]->setChecked(true);
    s.frame().Fix[size_t(slotOf3)]->setChecked(true);
    s.frame().Value[size_t(slotOf3)]->setValue(100);
    EXPECT_EQ(s.frame().Value[size_t(slotOf3)]->palette().color(QPalette::Base),
              QColor(0, 255, 255));
    const qint64 page1 = s.state().PageRegNum;
    s.form().pages().ChangePage(2, 9);
    EXPECT_EQ(s.row(s.rows().ChoiceKeysOfPage(page1)[2]).Enumerator, slotOf3);
    const int first = 1, third = 3;
    std::set<int> seconds;
    for (int i = 0; i < 12; ++i) {
        s.form().pages().ChangePage(1, 20);
        ASSERT_EQ(s.rowIn(1), first);
        ASSERT_EQ(s.rowIn(3), third);
        EXPECT_TRUE(s.frame().Fix[3]->isChecked());
        EXPECT_EQ(s.frame().Value[3]->value(), 100);
        seconds.insert(s.rowIn(2));
        s.form().pages().ChangePage(2, 9);
    }
    EXPECT_EQ(seconds.size(), 2u);  // the free rows swap
    // Unticked and saved, the row is free again.
    s.form().pages().ChangePage(1, 20);
    s.frame().Fix[3]->setChecked(false);
    s.form().pages().ChangePage(2, 9);
    EXPECT_EQ(s.row(s.rows().ChoiceKeysOfPage(page1)[2]).Enumerator, 0);
    EXPECT_EQ(s.row(s.rows().ChoiceKeysOfPage(page1)[0]).Enumerator, 1);
}

TEST(Questions, TheChoiceCountChangesOnlyByTheAuthor) {
    TempDir tmp;
    QuestionSession s(tmp.path());
    s.newPage(true);  // page 1: 2 choices
    s.newPage(true);  // page 2
    s.form().Icons(19);
    s.frame().seChoices->setValue(4);
    ASSERT_EQ(s.frame().ChoiceCount, 4);
    const qint64 page1 = s.rows().PageRecord(s.state().LesnRegNum, 1);
    std::vector<ChoiceData> before;
    for (qint64 k : s.rows().ChoiceKeysOfPage(page1)) before.push_back(s.row(k));
    const PageData pageBefore = *s.rows().LoadPage(page1);
    // Loading page 1 in the Choices domain sets the spin edit to 2: its rows
    // and the page row stay as they were.
    s.form().pages().ChangePage(1, 19);
    ASSERT_EQ(s.state().CurrentDomain, 19);
    EXPECT_EQ(s.frame().seChoices->value(), 2);
    std::vector<ChoiceData> after;
    for (qint64 k : s.rows().ChoiceKeysOfPage(page1)) after.push_back(s.row(k));
    EXPECT_EQ(after, before);
    EXPECT_EQ(*s.rows().LoadPage(page1), pageBefore);
    // Outside the Choices domain the spin edit changes nothing.
    s.form().Icons(20);
    s.frame().seChoices->setValue(3);
    EXPECT_EQ(s.frame().ChoiceCount, 2);

    // Lowering 4 to 3 with slot 2 selected: slot 2's sounds go, its boxes
    // are unticked, and its row stays.
    s.form().pages().ChangePage(2, 20);
    s.frame().SetChoice(2);
    const qint64 slot2 = s.frame().ChoiceRecNums[2];
    QStringList files;
    for (int domain : {20, 21}) {
        files << s.form().media()->MediaFileName(domain, 2);
        QFile f(files.back());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        s.frame().SetSound(domain);
    }
    EXPECT_TRUE(s.frame().ChSound[2]->isChecked() && s.frame().RspSound[2]->isChecked());
    s.form().Icons(19);
    s.frame().seChoices->setValue(3);
    EXPECT_EQ(s.frame().ChoiceCount, 3);
    for (const QString& f : files) EXPECT_FALSE(QFile::exists(f)) << f.toStdString();
    EXPECT_FALSE(s.row(slot2).ChoiceSound);
    EXPECT_FALSE(s.row(slot2).ResponseSound);
    EXPECT_EQ(s.keys().size(), 4u);
    EXPECT_EQ(s.rows().LoadPage(s.state().PageRegNum)->Choices, 3);
    // Only rows 1..3 are shown now.
    EXPECT_EQ(s.rowIn(4), 4);
}

TEST(Questions, AQuestionPageSurvivesSavingAndReopeningTheLesson) {
    TempDir tmp;
    qint64 lesson = 0;
    std::map<qint64, ChoiceData> entered;
    {
        QuestionSession s(tmp.path());
        s.newPage(true);
        s.form().Icons(19);
        s.frame().seChoices->setValue(4);
        s.form().Icons(20);
        s.frame().Stimulus->setPlainText(QStringLiteral("Which is a fruit?"));
        const char* texts[] = {"", "apple", "stone", "chair", "cloud"};
        for (int n = 1; n <= 4; ++n) {
            TFrame& f = s.frame();
            f.Choice[size_t(n)]->setPlainText(QString::fromLatin1(texts[n]));
            f.Response[size_t(n)]->setPlainText(QStringLiteral("because %1").arg(n));
            f.Value[size_t(n)]->setValue(n == 1 ? 100 : 5 * n);
            f.Fix[size_t(n)]->setChecked(n == 4);
            f.ChSound[size_t(n)]->setChecked(n % 2 == 0);
            f.RspSound[size_t(n)]->setChecked(n == 3);
            for (int c = 0; c < 6; ++c) f.SetCellCode(n, c, (n + c) % 3);
            f.ChoicePages[size_t(n)] = {n, n + 1, 0, 1};
            entered[f.ChoiceRecNums[size_t(n)]] = f.SlotData(n);
        }
        // The font tools: the question's size and the choices' size.
        s.attributes().SetSize(18, 20);
        s.attributes().SetSize(19, 16);
        EXPECT_EQ(s.frame().Enum[3]->font().pointSize(), 16);
        EXPECT_TRUE(s.form().SaveAll());
        lesson = s.state().LesnRegNum;
        s.dialogs.expect(MsgKind::Confirmation, QStringLiteral("Exit Vellora?"), MsgAnswer::No);
        s.form().ShutDown();
    }
    LessonSession again(tmp.path());
    again.life().OpenLesson(lesson);
    again.form().pages().ChangePage(1, 20);
    TFrame& f = *again.app->Frame();
    EXPECT_EQ(f.ChoiceCount, 4);
    EXPECT_EQ(f.Stimulus->toPlainText(), QStringLiteral("Which is a fruit?"));
    EXPECT_EQ(f.Stimulus->font().pointSize(), 20);
    EXPECT_EQ(f.Choice[2]->font().pointSize(), 16);
    for (int n = 1; n <= 4; ++n) {
        ChoiceData shown = f.SlotData(n);
        ASSERT_TRUE(entered.count(shown.ChoiceRegNum));
        ChoiceData want = entered[shown.ChoiceRegNum];
        // A fixed row keeps the slot of its place among the page's rows,
        // which need not be the slot it was fixed from.
        EXPECT_EQ(shown.Enumerator > 0, want.Enumerator > 0);
        shown.Enumerator = want.Enumerator;
        EXPECT_EQ(shown, want) << shown.ChoiceText.toStdString();
    }
}

}  // namespace
}  // namespace vellora::testing
