// Answering a question page through the program's own windows, with the
// player on a simulated clock: verdicts, remediation, actions, two attempts,
// the letter keys and the score, the authoring of the settings, and lesson
// play waiting for an answer.
#include <gtest/gtest.h>

#include <QFile>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include "LessonSession.h"
#include "SimulatedMedia.h"
#include "TempDir.h"

namespace vellora::testing {
namespace {

const QColor kAqua(0, 255, 255);

// A lesson of a question page (1), a reading page (2) and a question page
// (3, the last), each question with `choices` choices; every verdict shown
// is logged with the look of the choices at that moment.
struct Judge : ::testing::Test {
    TempDir tmp;
    SimulatedClock clock;
    SimulatedMediaDevice player{clock};
    SimulatedRecorder recorder{clock};
    std::unique_ptr<LessonSession> s;
    QStringList verdicts;
    QColor enumColourAtVerdict[5];

    void SetUp() override {
        s = std::make_unique<LessonSession>(tmp.path(), QString(), nullptr, &player, &recorder);
        s->life().FileNewClick();
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
    TFrame& f() { return s->frame(); }
    PageLayer& layer() { return s->layer(); }
    AppState& st() { return s->state(); }
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

TEST_F(Judge, ACorrectChoiceWithDefaultsIsPraisedAndMovesOn) {
    question(1, {100, 0});
    st().AwaitingAnswer = true;
    click(f().Choice[1]);
    EXPECT_EQ(verdicts, QStringList{QStringLiteral("Correct Choice !")});
    EXPECT_TRUE(played(QStringLiteral("/Correct.wav")));
    EXPECT_FALSE(st().AwaitingAnswer);
    EXPECT_EQ(st().CurrentPage, 2);
    EXPECT_TRUE(st().JumpPending);

    // On the last page only the verdict is given.
    st().JumpPending = false;
    question(3, {0, 100});
    click(f().Choice[2]);
    EXPECT_EQ(verdicts, QStringList{QStringLiteral("Correct Choice !")});
    EXPECT_EQ(st().CurrentPage, 3);
    EXPECT_FALSE(st().JumpPending);
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
    // Saved with the page.
    const qint64 row = f().ChoiceRecNums[1];
    s->form().pages().ChangePage(2, 9);
    const std::optional<ChoiceData> saved = s->app->pageRows()->LoadChoice(row);
    EXPECT_EQ(saved->Action1Type, 1);
    EXPECT_EQ(saved->Jump1Page, 2);
    EXPECT_EQ(saved->Response2Type, 2);
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

    // Esc ends a wait for an answer too.
    s->form().pages().ChangePage(3, 9);
    QTimer esc;
    esc.setSingleShot(true);
    QObject::connect(&esc, &QTimer::timeout, [&] { key(Qt::Key_Escape, QString()); });
    esc.start(0);
    emit s->form().pagePlayRequested();
    EXPECT_FALSE(st().AwaitingAnswer);
}

}  // namespace
}  // namespace vellora::testing
