// Playing a lesson as a learner meets it, through the program's own set-up on
// a simulated clock: pages in order, Stop at the end of a page, a jump back,
// and the window closed during play.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

#include "LessonSession.h"
#include "MediaLayer.h"
#include "Playback.h"
#include "SampleLesson.h"
#include "Table.h"
#include "TUtil.h"
#include "SimulatedMedia.h"
#include "TempDir.h"
#include "TestFiles.h"

namespace vellora::testing {
namespace {

// A lesson of `pages` reading pages, each with two words and a page sound
// of 1 s, played on a clock that runs 20 ms per real millisecond.
struct PlayedLesson : ::testing::Test {
    TempDir tmp;
    SimulatedClock clock;
    SimulatedMediaDevice player{clock};
    SimulatedRecorder recorder{clock};
    std::unique_ptr<LessonSession> s;
    QTimer runner;
    // Runs at every turn of the clock while the lesson plays.
    std::function<void()> onTick;

    void make(int pages) {
        s = std::make_unique<LessonSession>(tmp.path(), QString(), nullptr, &player, &recorder);
        s->life().FileNewClick();
        for (int p = 1; p <= pages; ++p) {
            s->newReadingPage(QStringLiteral("page %1").arg(p));
            const QString sound = s->app->mediaLayer()->MediaFileName(11, 0);
            writeFile(sound, "sound");
            player.simulateFile(sound, 1000);
            s->app->Frame()->StopTimes[1] = 500;
            s->app->Frame()->StopTimes[2] = 1000;
        }
        QTest::keyClick(&s->form(), Qt::Key_F7);
        startClock();
    }
    void startClock() {
        QObject::connect(&runner, &QTimer::timeout, [this] {
            clock.advance(20);
            if (onTick) onTick();
        });
        runner.start(1);
    }
    AppState& st() { return s->state(); }
    Playback& playback() { return *s->app->playback(); }
    // The page sounds played, by page number.
    std::vector<int> pagesPlayed() {
        std::vector<int> out;
        for (const auto& play : player.plays()) {
            const qint64 key = play.fileName.section(QLatin1Char('T'), -1).left(7).toLongLong();
            for (int p = 1; p <= st().PageCount; ++p)
                if (s->app->pageLayer()->PageRecord(p) == key) out.push_back(p);
        }
        return out;
    }
};

TEST_F(PlayedLesson, ATitleOnlyLessonPlaysItsTitleSoundAndEnds) {
    make(0);
    const QString title = s->app->mediaLayer()->MediaFileName(2, 0);
    writeFile(title, "sound");
    player.simulateFile(title, 300);
    QSignalSpy ended(&playback(), &Playback::lessonPlayed);
    s->form().MainMenu1->action(MenuItem::FilePlay)->trigger();
    EXPECT_EQ(ended.count(), 1);
    ASSERT_EQ(player.plays().size(), 1u);
    EXPECT_EQ(player.plays()[0].fileName, title);
    EXPECT_EQ(st().CurrentPage, 0);
    EXPECT_FALSE(st().Playing);
}

TEST_F(PlayedLesson, PagesPlayInOrderWithTheBarsHiddenAndSavingOff) {
    make(3);
    bool barsHidden = true, savingOff = true;
    onTick = [&] {
        if (st().CurrentPage > 0) {
            barsHidden = barsHidden && !s->form().pnlBottom->isVisible() && !s->form().Panel1->isVisible();
            savingOff = savingOff && !st().SaveOnPageChange;
        }
    };
    s->form().MainMenu1->action(MenuItem::FilePlay)->trigger();
    EXPECT_EQ(pagesPlayed(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(barsHidden);
    EXPECT_TRUE(savingOff);
    EXPECT_FALSE(st().Playing);
    EXPECT_TRUE(st().SaveOnPageChange);
    EXPECT_TRUE(s->form().pnlBottom->isVisible());
    EXPECT_EQ(st().CurrentPage, 3);
}

TEST_F(PlayedLesson, StopAtEndOfPageJumpsAndClosingEndThePlay) {
    make(3);
    // Stop > At End Of Page while page 2 plays: page 2 finishes, page 3 never starts.
    onTick = [&] {
        if (st().CurrentPage == 2) s->form().MainMenu1->action(MenuItem::StopAtEndOfPage)->trigger();
    };
    s->form().MainMenu1->action(MenuItem::FilePlay)->trigger();
    EXPECT_EQ(pagesPlayed(), (std::vector<int>{1, 2}));
    EXPECT_EQ(st().CurrentPage, 2);
    EXPECT_FALSE(st().StopRequested);

    // A question action on page 3 that jumps to page 1: page 1 again, then 2 and 3.
    const size_t before = player.plays().size();
    bool jumped = false;
    onTick = [&] {
        if (!jumped && st().CurrentPage == 3 && player.mode() != MediaMode::Playing && st().Playing) {
            jumped = true;
            s->app->pageLayer()->ChangePage(1, 9);
            s->form().editPage->setText(QStringLiteral("1"));
            st().JumpPending = true;
        }
    };
    s->form().MainMenu1->action(MenuItem::FilePlay)->trigger();
    std::vector<int> second = pagesPlayed();
    second.erase(second.begin(), second.begin() + long(before));
    EXPECT_EQ(second, (std::vector<int>{1, 2, 3, 1, 2, 3}));

    // The window closing mid-play ends the play at once.
    onTick = [&] {
        if (st().CurrentPage == 1) st().Closing = true;
    };
    s->form().MainMenu1->action(MenuItem::FilePlay)->trigger();
    EXPECT_FALSE(st().Playing);
    EXPECT_EQ(st().CurrentPage, 1);
    st().Closing = false;
}

TEST_F(PlayedLesson, TheSampleLessonIsOfferedInstalledAndPlaysEveryPage) {
    s = std::make_unique<LessonSession>(tmp.path(), QString(), nullptr, &player, &recorder);
    s->form().FormActivate();
    startClock();
    const std::optional<SampleText> text = ReadSampleText(QStringLiteral(":/sample/sample.txt"));
    ASSERT_TRUE(text);
    ASSERT_EQ(text->pages.size(), 3u);
    // The Start domain offers it.
    QPushButton* offer = s->app->Util()->btnSample;
    ASSERT_TRUE(offer->isVisible());
    offer->click();
    EXPECT_FALSE(offer->isVisible());
    EXPECT_EQ(st().PageCount, 4);
    EXPECT_EQ(st().CurrentPage, 0);
    for (const auto& [field, text] : text->fields) EXPECT_EQ(s->title().fieldText(field), text) << field.toStdString();
    EXPECT_EQ(text->fields.size(), 5u);
    PageRows& rows = *s->app->pageRows();
    for (int p = 1; p <= 3; ++p) {
        const qint64 key = rows.PageRecord(st().LesnRegNum, p);
        const SampleText::Page& page = text->pages[size_t(p) - 1];
        const std::optional<PageData> data = rows.LoadPage(key);
        ASSERT_TRUE(data);
        EXPECT_TRUE(data->PageSoundFile && data->Picture);
        ASSERT_EQ(size_t(data->Wurds) + 1, page.times.size()) << "page " << p;
        const std::vector<qint64> words = rows.WurdRecNums(key, data->Wurds);
        for (int n = 1; n <= data->Wurds; ++n)
            EXPECT_EQ(rows.LoadWurd(words[size_t(n)])->WStopTime, page.times[size_t(n)]) << p << "/" << n;
        const QString dir = st().DirPath;
        EXPECT_EQ(readFile(QDir(dir).filePath(QStringLiteral("T%1.WAV").arg(key, 7, 10, QLatin1Char('0')))),
                  readFile(page.sound));
    }
    const qint64 question = rows.PageRecord(st().LesnRegNum, 4);
    EXPECT_EQ(rows.LoadPage(question)->StimulusText, text->question);
    int correct = 0;
    for (qint64 k : rows.ChoiceKeysOfPage(question)) {
        ASSERT_TRUE(s->form().ChoiceTable->findKey(k));
        correct += s->form().ChoiceTable->asInteger(QStringLiteral("Correctness")) == 100;
    }
    EXPECT_EQ(correct, 1);

    // A learner hears every reading page in order; at the question the
    // learner presses Esc, which ends the play.
    bool asked = false;
    onTick = [&] {
        if (st().CurrentPage == 4 && st().AwaitingAnswer) {
            asked = true;
            QTest::keyClick(&s->form(), Qt::Key_Escape);
        }
    };
    s->form().MainMenu1->action(MenuItem::FilePlay)->trigger();
    EXPECT_EQ(pagesPlayed(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(asked);
    EXPECT_FALSE(st().Playing);
}

#ifdef VELLORA_PATH
// `vellora --play N`: the lesson plays and the program ends by itself.
TEST_F(PlayedLesson, PlayFromTheCommandLineEndsWithThePlay) {
    make(2);
    s.reset();
    const auto run = [this](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VELLORA_PATH), QStringList{QStringLiteral("--data-dir"), tmp.path()} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::pair{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                         QString::fromUtf8(p.readAllStandardError())};
    };
    EXPECT_EQ(run({QStringLiteral("--play"), QStringLiteral("1")}).first, 0);
    for (const char* bad : {"7", "one", "0"}) {
        const auto [status, err] = run({QStringLiteral("--play"), QString::fromLatin1(bad)});
        EXPECT_EQ(status, 1) << bad;
        EXPECT_EQ(err.count(QStringLiteral("vellora: ")), 1) << err.toStdString();
    }
}
#endif

}  // namespace
}  // namespace vellora::testing
