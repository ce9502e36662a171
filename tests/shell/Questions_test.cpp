// Question pages through the program's own set-up, with the player on a
// simulated clock: the question column in each domain, the choice rows dealt
// into the slots, saved and loaded again, and the choice count; answering:
// verdicts, remediation, actions, two attempts, the letter keys and the
// score, the authoring of the settings, and lesson play waiting for an answer.
#include <gtest/gtest.h>

#include <QFile>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include "LessonSession.h"
#include "QuestionLayout.h"
#include "Table.h"
#include "ToolStripWidget.h"

namespace vellora::testing {
namespace {

const QColor kAqua(0, 255, 255);

// A new lesson whose choices are dealt from a seeded random source.
struct QuestionPage : SimulatedLesson {
    void SetUp() override {
        start();
        s->layer().random().seed(1);
    }
    std::vector<qint64> keys() { return rows().ChoiceKeysOfPage(st().PageRegNum); }
    ChoiceData row(qint64 key) { return *rows().LoadChoice(key); }
    // The row number (1..4) of the row in `slot`.
    int rowIn(int slot) {
        const auto k = keys();
        const qint64 key = frame().ChoiceRecNums[size_t(slot)];
        return int(std::find(k.begin(), k.end(), key) - k.begin()) + 1;
    }
    // The slot (1..4) showing row `row` of the page.
    int slotOf(int row) {
        for (int slot = 1; slot <= 4; ++slot)
            if (rowIn(slot) == row) return slot;
        return 0;
    }
};

TEST_F(QuestionPage, ANewPageShowsTwoChoicesAndEachDomainItsPanels) {
    s->newPage(true);
    ASSERT_EQ(frame().PageMode, QStringLiteral("q"));
    ASSERT_EQ(frame().ChoiceCount, 2);
    EXPECT_EQ(std::set<int>({rowIn(1), rowIn(2)}), std::set<int>({1, 2}));
    EXPECT_EQ(rowIn(3), 3);
    EXPECT_EQ(rowIn(4), 4);
    for (int n = 1; n <= 2; ++n) {
        EXPECT_EQ(frame().Choice[size_t(n)]->toPlainText(),
                  QStringLiteral("Choice%1").arg(rowIn(n)));
        EXPECT_EQ(frame().Value[size_t(n)]->value(), 0);
    }
    EXPECT_EQ(frame().Stimulus->toPlainText(), QStringLiteral("Question"));

    // Each question domain shows the panels its layout rules name.
    for (int domain = 18; domain <= 22; ++domain) {
        s->form().Icons(domain);
        ASSERT_EQ(st().CurrentDomain, domain);
        const QuestionVisibility v = VisibilityFor(domain);
        TFrame& f = frame();
        EXPECT_TRUE(f.Question->isVisible()) << domain;
        EXPECT_EQ(f.pnlSelect->isVisible(), v.select) << domain;
        EXPECT_EQ(f.pnlResponse->isVisible(), v.response) << domain;
        EXPECT_EQ(f.pnlAction->isVisible(), v.response) << domain;
        EXPECT_EQ(f.pnlValue->isVisible(), v.value) << domain;
        EXPECT_EQ(f.pnlOptions->isVisible(), v.options) << domain;
        EXPECT_EQ(f.QuSound->isVisible(), v.options) << domain;
        for (int n = 1; n <= 4; ++n) {
            // All four rows' boxes show; rows beyond the count stay out of view.
            EXPECT_EQ(f.Fix[size_t(n)]->isVisibleTo(&f), v.rowBoxes) << domain;
            EXPECT_EQ(f.ChSound[size_t(n)]->isVisibleTo(&f), v.rowBoxes) << domain;
            EXPECT_EQ(f.Value[size_t(n)]->isVisibleTo(&f), v.rowBoxes) << domain;
            EXPECT_EQ(f.Choice[size_t(n)]->y() < kParkedTop, n <= 2) << domain;
        }
        EXPECT_EQ(f.btnRepeat->y(), f.Choice[2]->y() + f.Choice[2]->height() + 2);
        saveScreenshot(&s->form(), QStringLiteral("question-domain-%1.png").arg(domain));
    }
    // A slot whose row has gone keeps what its controls show.
    frame().ChoiceRecNums[1] = 999999;
    frame().Choice[1]->setPlainText(QStringLiteral("kept"));
    s->layer().LoadChoiceRecords();
    EXPECT_EQ(frame().Choice[1]->toPlainText(), QStringLiteral("kept"));
    EXPECT_EQ(frame().Choice[2]->toPlainText(), QStringLiteral("Choice%1").arg(rowIn(2)));
    // Back on a reading page the question and its panels go.
    s->newPage(false);
    EXPECT_FALSE(frame().Question->isVisible());
    EXPECT_FALSE(frame().pnlSelect->isVisible());
}

TEST_F(QuestionPage, SlotsSaveIntoTheirRowsAndFixedRowsKeepTheirSlot) {
    s->newPage(true);
    s->newPage(false);
    s->form().pages().ChangePage(1, 19);
    ASSERT_EQ(st().CurrentDomain, 19);
    frame().seChoices->setValue(4);  // the author's change
    ASSERT_EQ(frame().ChoiceCount, 4);
    EXPECT_EQ(rows().LoadPage(st().PageRegNum)->Choices, 4);
    // Rows 1 and 3 fixed (from whichever slots show them) stay in slots 1
    // and 3 every time; a fixed row saves the slot it was saved from.
    const int slotOf1 = slotOf(1), slotOf3 = slotOf(3);
    frame().Fix[size_t(slotOf1)]->setChecked(true);
    frame().Fix[size_t(slotOf3)]->setChecked(true);
    frame().Value[size_t(slotOf3)]->setValue(100);
    EXPECT_EQ(frame().Value[size_t(slotOf3)]->palette().color(QPalette::Base), QColor(0, 255, 255));
    const qint64 page1 = st().PageRegNum;
    s->form().pages().ChangePage(2, 9);
    EXPECT_EQ(row(rows().ChoiceKeysOfPage(page1)[2]).Enumerator, slotOf3);
    std::set<int> seconds;
    for (int i = 0; i < 12; ++i) {
        s->form().pages().ChangePage(1, 20);
        ASSERT_EQ(rowIn(1), 1);
        ASSERT_EQ(rowIn(3), 3);
        EXPECT_TRUE(frame().Fix[3]->isChecked());
        EXPECT_EQ(frame().Value[3]->value(), 100);
        seconds.insert(rowIn(2));
        s->form().pages().ChangePage(2, 9);
    }
    EXPECT_EQ(seconds.size(), 2u);  // the free rows swap
    // Unticked and saved, the row is free again.
    s->form().pages().ChangePage(1, 20);
    frame().Fix[3]->setChecked(false);
    s->form().pages().ChangePage(2, 9);
    EXPECT_EQ(row(rows().ChoiceKeysOfPage(page1)[2]).Enumerator, 0);
    EXPECT_EQ(row(rows().ChoiceKeysOfPage(page1)[0]).Enumerator, 1);
}

TEST_F(QuestionPage, TheChoiceCountChangesOnlyByTheAuthor) {
    s->newPage(true);  // page 1: 2 choices
    s->newPage(true);  // page 2
    s->form().Icons(19);
    frame().seChoices->setValue(4);
    ASSERT_EQ(frame().ChoiceCount, 4);
    const qint64 page1 = rows().PageRecord(st().LesnRegNum, 1);
    std::vector<ChoiceData> before;
    for (qint64 k : rows().ChoiceKeysOfPage(page1)) before.push_back(row(k));
    const PageData pageBefore = *rows().LoadPage(page1);
    // Loading page 1 in the Choices domain sets the spin edit to 2: its rows
    // and the page row stay as they were.
    s->form().pages().ChangePage(1, 19);
    ASSERT_EQ(st().CurrentDomain, 19);
    EXPECT_EQ(frame().seChoices->value(), 2);
    std::vector<ChoiceData> after;
    for (qint64 k : rows().ChoiceKeysOfPage(page1)) after.push_back(row(k));
    EXPECT_EQ(after, before);
    EXPECT_EQ(*rows().LoadPage(page1), pageBefore);
    // Outside the Choices domain the spin edit changes nothing.
    s->form().Icons(20);
    frame().seChoices->setValue(3);
    EXPECT_EQ(frame().ChoiceCount, 2);

    // Lowering 4 to 3 with slot 2 selected: slot 2's sounds go, its boxes
    // are unticked, and its row stays.
    s->form().pages().ChangePage(2, 20);
    frame().SetChoice(2);
    const qint64 slot2 = frame().ChoiceRecNums[2];
    QStringList files;
    for (int domain : {20, 21}) {
        files << s->form().media()->MediaFileName(domain, 2);
        QFile f(files.back());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        frame().SetSound(domain);
    }
    EXPECT_TRUE(frame().ChSound[2]->isChecked() && frame().RspSound[2]->isChecked());
    s->form().Icons(19);
    frame().seChoices->setValue(3);
    EXPECT_EQ(frame().ChoiceCount, 3);
    for (const QString& f : files) EXPECT_FALSE(QFile::exists(f)) << f.toStdString();
    EXPECT_FALSE(row(slot2).ChoiceSound);
    EXPECT_FALSE(row(slot2).ResponseSound);
    EXPECT_EQ(keys().size(), 4u);
    EXPECT_EQ(rows().LoadPage(st().PageRegNum)->Choices, 3);
    // Only rows 1..3 are shown now.
    EXPECT_EQ(rowIn(4), 4);
}

TEST_F(QuestionPage, AQuestionPageSurvivesSavingAndReopeningTheLesson) {
    std::map<qint64, ChoiceData> entered;
    s->newPage(true);
    s->form().Icons(19);
    frame().seChoices->setValue(4);
    s->form().Icons(20);
    frame().Stimulus->setPlainText(QStringLiteral("Which is a fruit?"));
    const char* texts[] = {"", "apple", "stone", "chair", "cloud"};
    for (int n = 1; n <= 4; ++n) {
        TFrame& f = frame();
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
    s->attributes().SetSize(18, 20);
    s->attributes().SetSize(19, 16);
    EXPECT_EQ(frame().Enum[3]->font().pointSize(), 16);
    EXPECT_TRUE(s->form().SaveAll());
    const qint64 lesson = st().LesnRegNum;
    s->dialogs.expect(MsgKind::Confirmation, QStringLiteral("Exit Vellora?"), MsgAnswer::No);
    s->form().ShutDown();
    s.reset();
    LessonSession again(tmp.path());
    again.life().OpenLesson(lesson);
    again.form().pages().ChangePage(1, 20);
    TFrame& f = again.frame();
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

// A lesson of a question page (1), a reading page (2) and a question page
// (3, the last); every verdict shown is logged with the look of the choices
// at that moment.
struct Judge : SimulatedLesson {
    QStringList verdicts;
    QColor enumColourAtVerdict[5];

    void SetUp() override {
        start();
        layer().random().seed(3);
        for (bool question : {true, false, true}) s->newPage(question);
        layer().setVerdictObserver([this] {
            verdicts << (f().VerdictPanel->isVisible() ? f().DefaultFont->text()
                                                       : f().ResponseMemo->toPlainText());
            for (int n = 1; n <= 4; ++n)
                enumColourAtVerdict[n] = f().Enum[size_t(n)]->palette().color(QPalette::Base);
            saveScreenshot(&s->form(), QStringLiteral("question-verdict.png"));
        });
    }
    TFrame& f() { return frame(); }
    PageLayer& layer() { return s->layer(); }
    // Shows question page `page` with the values given, ready to answer.
    void question(int page, std::vector<int> values) {
        s->form().pages().ChangePage(page, 19);
        f().SetChoices(int(values.size()));
        for (size_t n = 1; n <= values.size(); ++n) f().Value[n]->setValue(values[n - 1]);
        s->form().Icons(22);
        ASSERT_EQ(st().CurrentDomain, 22);
        verdicts.clear();
    }
    void click(QWidget* w) {
        auto* memo = qobject_cast<QPlainTextEdit*>(w);
        QTest::mouseClick(memo ? memo->viewport() : w, Qt::LeftButton);
    }
    bool played(const QString& file) {
        for (const auto& p : player.plays())
            if (p.fileName.endsWith(file)) return true;
        return false;
    }
    void key(Qt::Key k, const QString& text) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, text);
        f().FormKeyPress(&e);
    }
};

// The last page, where only the verdict is given, is played end to end.
TEST_F(Judge, ACorrectChoiceWithDefaultsIsPraisedAndMovesOn) {
    question(1, {100, 0});
    st().AwaitingAnswer = true;
    click(f().Choice[1]);
    EXPECT_EQ(verdicts, QStringList{QStringLiteral("Correct Choice !")});
    EXPECT_TRUE(played(QStringLiteral("/Correct.wav")));
    EXPECT_FALSE(st().AwaitingAnswer);
    EXPECT_EQ(st().CurrentPage, 2);
    EXPECT_TRUE(st().JumpPending);
}

TEST_F(Judge, AWrongFirstChoiceRepeatsTheQuestionAndTheSecondEndsIt) {
    question(3, {50, 100});
    f().SetCellCode(1, 2, 2);  // first attempt: repeat the question
    f().SetCellCode(1, 3, 1);  // second attempt: no response
    // The question's own sound is read again with the choices.
    const QString sound = s->form().media()->MediaFileName(18, 0);
    QFile(sound).open(QIODevice::WriteOnly);
    player.simulateFile(sound, 400);
    st().AwaitingAnswer = true;
    click(f().Choice[1]);
    EXPECT_EQ(verdicts, QStringList{QStringLiteral("Incorrect Choice !")});
    EXPECT_TRUE(played(QStringLiteral("/InCorect.wav")));
    EXPECT_TRUE(played(sound));
    EXPECT_TRUE(st().AwaitingAnswer);
    EXPECT_EQ(f().Attempt, 2);
    EXPECT_TRUE(f().Stimulus->isVisible() && f().Choice[1]->isVisible() &&
                f().Choice[2]->isVisible());
    // The second pick is final even though wrong, with the second attempt's settings.
    click(f().Choice[1]);
    EXPECT_EQ(verdicts.size(), 1);
    EXPECT_FALSE(st().AwaitingAnswer);
    EXPECT_EQ(f().Attempt, 1);
}

TEST_F(Judge, ShowCorrectLightsTheFirstCorrectChoice) {
    question(3, {0, 100, 100});
    f().SetCellCode(1, 1, 2);  // first attempt: show the correct choice
    click(f().Choice[1]);
    ASSERT_EQ(verdicts, (QStringList{QStringLiteral("Incorrect Choice !"),
                                     QStringLiteral("This is the Correct Choice !")}));
    EXPECT_TRUE(played(QStringLiteral("/ShwCorct.wav")));
    EXPECT_EQ(enumColourAtVerdict[2], kAqua);
    EXPECT_NE(enumColourAtVerdict[3], kAqua);
    // Lit only while it is said, then as before.
    EXPECT_EQ(f().Enum[2]->palette().color(QPalette::Base),
              f().Enum[1]->palette().color(QPalette::Base));
    EXPECT_EQ(f().Choice[2]->palette().color(QPalette::Base),
              f().Choice[1]->palette().color(QPalette::Base));
}

TEST_F(Judge, LettersScoreBusyClicksAndTheStimulus) {
    question(3, {0, 5});
    f().cbDisplayScore->click();
    EXPECT_TRUE(f().Clicked->isVisible() && f().SelectedValue->isVisible());
    for (int n = 1; n <= 3; ++n)
        f().SetCellCode(n, 0, 1), f().SetCellCode(n, 3, 1);  // no spoken verdicts
    // (key, count, choice selected; 0 none)
    struct Case {
        Qt::Key key;
        const char* text;
        int count;
        int selected;
    } cases[] = {{Qt::Key_C, "c", 2, 0},
                 {Qt::Key_C, "C", 3, 3},
                 {Qt::Key_B, "b", 2, 2},
                 {Qt::Key_D, "d", 3, 0}};
    for (const Case& c : cases) {
        f().SetChoices(c.count);
        f().SetChoice(0);
        f().Clicked->clear();
        key(c.key, QString::fromLatin1(c.text));
        EXPECT_EQ(f().Clicked->text(), c.selected ? QString::number(c.selected) : QString())
            << c.text;
    }
    // The score: choice 3 of value 75.
    f().SetChoices(3);
    f().Value[3]->setValue(75);
    click(f().Choice[3]);
    EXPECT_EQ(f().Clicked->text(), QStringLiteral("3"));
    EXPECT_EQ(f().SelectedValue->text(), QStringLiteral("75"));

    // A click while another is handled is ignored.
    EXPECT_TRUE(verdicts.isEmpty());
    f().SetCellCode(1, 0, 0);
    f().SetCellCode(1, 3, 0);
    layer().setVerdictObserver([this] { click(f().Choice[2]); });
    click(f().Choice[1]);
    EXPECT_EQ(f().Clicked->text(), QStringLiteral("1"));

    // The stimulus while a lesson waits for an answer: the Question domain, no verdict.
    layer().setVerdictObserver([this] { verdicts << QStringLiteral("verdict"); });
    s->form().Icons(16);
    st().AwaitingAnswer = true;
    click(f().Stimulus);
    EXPECT_EQ(st().CurrentDomain, 18);
    EXPECT_TRUE(st().AwaitingAnswer);
    EXPECT_TRUE(verdicts.isEmpty()) << verdicts.join(QLatin1Char('|')).toStdString();
    st().AwaitingAnswer = false;
}

TEST_F(Judge, PagesOutsideTheLessonNeverLeaveTheQuestion) {
    // Remediation "Play pg" and action "Jump to pg" to page 0, past the last
    // page and to the question itself: no dialog, back on the question.
    for (int target : {0, 4, 99, 3, -1}) {
        question(3, {0, 0});
        f().SetCellCode(1, 0, 1);
        f().SetCellCode(1, 1, 1);
        f().SetCellCode(1, 2, 1);
        f().ChoicePages[1] = {target, target, 0, 0};
        st().AwaitingAnswer = true;
        click(f().Choice[1]);
        EXPECT_EQ(st().CurrentPage, 3) << target;
        EXPECT_EQ(st().CurrentDomain, 22) << target;
        EXPECT_FALSE(st().JumpPending) << target;
        st().AwaitingAnswer = false;
    }
}

// (Saved and loaded with the page: AQuestionPageSurvivesSavingAndReopeningTheLesson.)
TEST_F(Judge, TheAuthorSetsAChoicesSettingsAndShowingThemChangesNone) {
    s->form().pages().ChangePage(1, 21);
    click(f().Response[1]);
    ASSERT_EQ(f().CurrentChoice, 1);
    f().rgAction01->item(1)->click();  // "Jump to pg"
    EXPECT_EQ(f().EditedField, 13);
    EXPECT_EQ(f().CellCode(1, 2), 1);
    EXPECT_EQ(f().Act[1][2]->palette().color(QPalette::Window), QColor(255, 0, 255));  // fuchsia
    ASSERT_TRUE(f().SelectJump1Page->isVisible());
    EXPECT_EQ(f().SelectJump1Page->maximum(), 3);
    f().SelectJump1Page->setValue(2);
    emit f().SelectJump1Page->editingFinished();
    EXPECT_EQ(f().ChoicePages[1][1], 2);
    EXPECT_EQ(f().JumpPage01->text(), QStringLiteral("2"));
    EXPECT_FALSE(f().SelectJump1Page->isVisible());
    f().rgResponse02->item(2)->click();  // "Custom"
    EXPECT_EQ(f().CellCode(1, 3), 2);
    EXPECT_TRUE(f().H2->isVisible() && f().H2x[1]->isVisible());

    // Selecting slot 2 shows its codes in the groups; slot 1's stay as set.
    int before[6];
    f().SlotCells(1, before);
    click(f().Response[2]);
    EXPECT_EQ(f().rgAction01->itemIndex(), 0);
    EXPECT_EQ(f().rgResponse02->itemIndex(), 0);
    int after[6];
    f().SlotCells(1, after);
    EXPECT_TRUE(std::equal(before, before + 6, after));
    EXPECT_EQ(f().CellCode(2, 2), 0);
}

TEST_F(Judge, LessonPlayWaitsForTheAnswerAndGoesOn) {
    // Page 1: a wrong first answer plays page 2 and comes back to read the
    // question again; the wrong second answer's action is the next page, and
    // the play follows it instead of waiting on a page without choices.
    s->form().pages().ChangePage(1, 20);
    for (int n = 1; n <= 2; ++n) {
        f().Value[size_t(n)]->setValue(0);
        f().SetCellCode(n, 1, 1);
        f().SetCellCode(n, 2, 2);
        f().ChoicePages[size_t(n)][0] = 2;
    }
    s->form().pages().ChangePage(3, 20);
    f().Value[1]->setValue(100);
    f().Value[2]->setValue(100);
    s->form().pages().ChangePage(2, 9);
    std::vector<int> answered;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (!st().AwaitingAnswer || f().QuestionBusy) return;
        answered.push_back(st().CurrentPage);
        f().QuestionArmed = 100;
        click(f().Choice[1]);
    });
    answer.start(0);
    // A play that did not end would be stopped here rather than hang the suite.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { st().StopRequested = true; });
    guard.start(60000);
    emit s->form().filePlayRequested();
    answer.stop();
    EXPECT_EQ(answered, (std::vector<int>{1, 1, 3}));
    EXPECT_FALSE(st().Playing);
    EXPECT_FALSE(st().AwaitingAnswer);
}

}  // namespace
}  // namespace vellora::testing
