// Sound through the program's own set-up, on a simulated clock. On a page:
// reading aloud with each word lit in turn, sounding a clicked word,
// synchronising stop times by ear, and choosing and recording media. A lesson
// played as a learner meets it: pages in order, Stop at the end of a page and
// the window closed during play (jumps from a question: Questions_test).
#include "Playback.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QSignalSpy>
#include <QTimer>

#include "LessonSession.h"
#include "MediaLayer.h"
#include "PageTexts.h"
#include "SampleLesson.h"
#include "Speech.h"
#include "Synchro.h"
#include "TUtil.h"
#include "Table.h"
#include "TestFiles.h"
#include "ToolStripWidget.h"

namespace vellora::testing {
namespace {

const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);

bool writeSilence(const QString& path, int ms) {
    WaveWriter w;
    std::vector<int16_t> samples(size_t(8 * ms), 0);
    return w.open(path, 8000, 1) && w.write(samples.data(), int64_t(samples.size())) && w.close();
}

// A lesson whose page 1 is a reading page of "the cat sat." in the Words
// domain.
struct MediaPage : SimulatedLesson {
    void SetUp() override {
        start();
        s->newReadingPage(QStringLiteral("the cat sat."));
        ASSERT_EQ(st().CurrentDomain, 12);
        ASSERT_EQ(frame().WurdCount, 3);
    }
    TSynchro& synchro() { return *frame().Synchro(); }
    // The Synchro domain: the window shows, then plays the leader.
    void enterSynchro() {
        s->form().Icons(14);
        QApplication::processEvents();
    }
    MediaLayer& media() { return *s->app->mediaLayer(); }
    QString name(int domain, int index = 0) { return media().MediaFileName(domain, index); }
    // The page sound: a file in place that the simulated player takes as `ms` long.
    void pageSound(qint64 ms) {
        writeFile(name(11), {});
        player.simulateFile(name(11), ms);
    }
    void setStops(const std::vector<qint64>& stops) {
        int n = 1;
        for (qint64 t : stops) frame().StopTimes[size_t(n++)] = t;
    }
    // The reading timer's tick, while it runs.
    void tick(qint64 ms) {
        clock.advance(ms);
        if (frame().Reading()) frame().WurdEnd();
    }
    QColor colorOf(int n) { return frame().wurd(n)->palette().color(QPalette::Base); }
    int yellowWurd() {
        for (int n = 1; n <= frame().WurdCount; ++n)
            if (colorOf(n) == kYellow) return n;
        return 0;
    }
    bool outlined(int n) {
        return frame().shpWOutline->geometry() ==
               frame().wurd(n)->geometry().adjusted(-1, -1, 1, 1);
    }
    qint64 storedStop(int n) { return rows().LoadWurd(frame().WurdRecNums[size_t(n)])->WStopTime; }
};

TEST_F(MediaPage, ReadingLightsEachWordAsTheSoundReachesItsStop) {
    // (time after the start, the yellow word; 0: none, reading over)
    const struct {
        qint64 sound;
        std::vector<qint64> stops;
        std::vector<std::pair<qint64, int>> timeline;
    } cases[] = {
        // Equal stops light one tick apart; the sound's end before the last
        // stop ends the reading.
        {1000, {500, 500, 2000}, {{0, 1}, {500, 2}, {510, 3}, {1020, 0}}},
        {3000,
         {500, 1200, 2000},
         {{490, 1}, {500, 2}, {1190, 2}, {1200, 3}, {1990, 3}, {2000, 0}, {2010, 0}}},
    };
    // Without a page sound nothing reads.
    frame().btnReadTextClick();
    EXPECT_FALSE(frame().Reading());
    EXPECT_TRUE(player.plays().empty());
    for (const auto& c : cases) {
        pageSound(c.sound);
        setStops(c.stops);
        frame().btnReadTextClick();
        ASSERT_TRUE(frame().Reading());
        qint64 now = 0;
        for (const auto& [at, wurd] : c.timeline) {
            // Ticks every 10 ms up to `at`, as the reading timer would.
            for (; now + 10 <= at; now += 10) tick(10);
            EXPECT_EQ(yellowWurd(), wurd) << c.sound << " ms sound, at " << at << " ms";
        }
        EXPECT_FALSE(frame().Reading());
        EXPECT_EQ(frame().CurrentWurd, 1);
    }
    // The sound plays on to its end.
    EXPECT_EQ(player.mode(), MediaMode::Playing);
    ASSERT_EQ(player.plays().size(), 2u);
    EXPECT_EQ(player.plays()[1].fileName, name(11));
}

TEST_F(MediaPage, AClickDuringReadingStopsOnlyTheHighlight) {
    setStops({500, 1200, 2000});
    pageSound(3000);
    frame().btnReadTextClick();
    tick(600);
    ASSERT_EQ(yellowWurd(), 2);
    saveScreenshot(&s->form(), QStringLiteral("page-reading.png"));
    QTest::mouseClick(frame().wurd(3), Qt::LeftButton);
    EXPECT_FALSE(frame().Reading());
    EXPECT_EQ(player.mode(), MediaMode::Playing);
    EXPECT_EQ(player.plays().size(), 1u);
    EXPECT_EQ(frame().CurrentWurd, 3);
    // The background click too ends the highlight, not the sound.
    frame().btnReadTextClick();
    QTest::mouseClick(&frame(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(frame().Reading());
    EXPECT_EQ(player.mode(), MediaMode::Playing);
}

TEST_F(MediaPage, AClickedWordSoundsItsOwnRecordingElseItsStretch) {
    pageSound(3000);
    setStops({500, 1200, 2000});
    frame().StopTimes[0] = 300;
    QTest::mouseClick(frame().wurd(1), Qt::LeftButton);
    ASSERT_EQ(player.plays().size(), 1u);
    EXPECT_EQ(player.plays()[0].fileName, name(11));
    EXPECT_EQ(player.plays()[0].fromMs, 300);  // from the leader's end
    EXPECT_EQ(player.plays()[0].toMs, 500);
    EXPECT_TRUE(outlined(1));
    EXPECT_EQ(colorOf(1), Qt::white);

    const QString own = name(12, 2);
    ASSERT_TRUE(writeSilence(own, 400));
    QTest::mouseClick(frame().wurd(2), Qt::LeftButton);
    ASSERT_EQ(player.plays().size(), 2u);
    EXPECT_EQ(player.plays()[1].fileName, own);
    EXPECT_EQ(player.plays()[1].toMs, 400);
    EXPECT_TRUE(outlined(2));
    EXPECT_EQ(colorOf(2), Qt::white);
    EXPECT_EQ(colorOf(1), Qt::white);
}

TEST_F(MediaPage, ReadToolWaitsForTheLastWordThenSelectsWordOne) {
    pageSound(800);
    setStops({200, 400, 600});
    // The clock runs 10 ms per millisecond while the read tool waits.
    QTimer runner;
    QObject::connect(&runner, &QTimer::timeout, [&] { clock.advance(10); });
    runner.start(1);
    s->form().Slider->button(Tool::btnRead3)->click();
    runner.stop();
    EXPECT_FALSE(frame().Reading());
    EXPECT_GE(player.position(), 600);
    EXPECT_TRUE(outlined(1));
}

TEST_F(MediaPage, SynchronisingEstimatesTunesAndFreezesEveryWord) {
    pageSound(7000);
    enterSynchro();
    ASSERT_TRUE(synchro().isVisible());
    ASSERT_TRUE(synchro().SyncReady);
    saveScreenshot(&synchro(), QStringLiteral("synchro.png"));
    EXPECT_EQ(frame().StopTimes[0], 2800);
    EXPECT_EQ(synchro().eEnd->text(), QStringLiteral("2800"));
    ASSERT_FALSE(player.plays().empty());
    EXPECT_EQ(player.plays().back().toMs, 2800);

    synchro().btnFreeze->click();
    EXPECT_EQ(synchro().SyncWurd, 1);
    EXPECT_EQ(synchro().windowTitle(), QStringLiteral("the"));
    EXPECT_EQ(frame().StopTimes[1], 3850);
    EXPECT_EQ(player.plays().back().fromMs, 2800);
    // Tuning word 1: each button its step, shown and played at once.
    synchro().btnLonger1->click();
    synchro().btnLonger2->click();
    EXPECT_EQ(frame().StopTimes[1], 3879);
    EXPECT_EQ(synchro().eEnd->text(), QStringLiteral("3879"));
    EXPECT_EQ(player.plays().back().toMs, 3879);
    synchro().SpinIncrement->setValue(200);
    synchro().btnShorter->click();
    synchro().btnShorter1->click();
    synchro().btnShorter2->click();
    EXPECT_EQ(frame().StopTimes[1], 3621);
    frame().StopTimes[1] = 3850;
    synchro().btnFreeze->click();
    // Frozen: in the word row at once, painted aqua, the step back to 100.
    EXPECT_EQ(storedStop(1), 3850);
    EXPECT_EQ(colorOf(1), kAqua);
    EXPECT_EQ(synchro().SpinIncrement->value(), 100);
    synchro().btnFreeze->click();
    frame().StopTimes[3] = 6950;
    synchro().btnLonger->click();
    EXPECT_EQ(frame().StopTimes[3], 6999);  // never past the sound
    synchro().btnFreeze->click();
    EXPECT_EQ(storedStop(3), 6999);
    EXPECT_FALSE(synchro().SyncReady);
    EXPECT_EQ(st().CurrentDomain, 15);
    EXPECT_FALSE(synchro().isVisible());

    // After the last word, Longer starts over from the leader.
    synchro().btnLongerClick(StepSize::Full);
    EXPECT_EQ(synchro().SyncWurd, 0);
    EXPECT_TRUE(synchro().SyncReady);
    EXPECT_EQ(player.plays().back().fromMs, 0);
    EXPECT_EQ(player.plays().back().toMs, 2800);
}

TEST_F(MediaPage, ANarrationPastSixtyFiveSecondsSynchronisesToItsEnd) {
    pageSound(100000);
    enterSynchro();
    for (int k = 0; k < 4; ++k) synchro().btnFreeze->click();
    EXPECT_EQ(storedStop(3), 100000);
    EXPECT_GT(storedStop(2), 65535);
    // The stop times come back with the page.
    s->form().navigator().SpinButton1DownClick();
    ASSERT_EQ(st().CurrentPage, 0);
    frame().StopTimes.fill(0);
    s->form().navigator().SpinButton1UpClick();
    ASSERT_EQ(st().CurrentPage, 1);
    EXPECT_EQ(frame().StopTimes[3], 100000);
}

TEST_F(MediaPage, SpeakTextMakesTheNarrationAndEveryWordsTimeAtOnce) {
    enterSynchro();
    synchro().cbVoice->setCurrentText(QStringLiteral("en"));
    synchro().seRate->setValue(170);
    synchro().btnSpeak->click();
    EXPECT_EQ(st().CurrentDomain, 15);
    EXPECT_TRUE(st().cbTextSound);
    QString why;
    const auto sound = readWave(name(11), &why);
    ASSERT_TRUE(sound) << why.toStdString();
    // The same words spoken again give the same events: the stop times are theirs.
    const auto again = speakText(QStringLiteral("the cat sat."), QStringLiteral("en"), 170, &why);
    ASSERT_TRUE(again);
    ASSERT_EQ(again->words.size(), 3u);
    EXPECT_EQ(frame().StopTimes[0], again->words[0].audioMs);
    EXPECT_EQ(storedStop(1), again->words[1].audioMs);
    EXPECT_EQ(storedStop(2), again->words[2].audioMs);
    EXPECT_EQ(storedStop(3), sound->lengthMs());
    EXPECT_EQ(frame().Settings()->value(texts::kSpeechRateKey).toInt(), 170);
}

TEST_F(MediaPage, AlignFindsTheWordsKeepsFrozenOnesCancelsAndReviewsTheUnsure) {
    QString why;
    const auto spoken = speakText(QStringLiteral("the cat sat."), QStringLiteral("en"), 140, &why);
    ASSERT_TRUE(spoken) << why.toStdString();
    WaveWriter w;
    ASSERT_TRUE(w.open(name(11), spoken->sound.sampleRate, 1) &&
                w.write(spoken->sound.samples.data(), spoken->sound.frames()) && w.close());
    const std::vector<int64_t> truth =
        stopTimesFromEvents(QStringLiteral("the cat sat."),
                            {QStringLiteral("the"), QStringLiteral("cat"), QStringLiteral("sat.")},
                            spoken->words, spoken->sound.lengthMs());
    enterSynchro();
    // Cancel at once: everything stays.
    frame().StopTimes = {};
    QTimer::singleShot(0, synchro().btnAlign, [this] { synchro().btnAlign->click(); });
    synchro().btnAlign->click();
    EXPECT_EQ(frame().StopTimes[1], 0);
    // A frozen word keeps its time; the others come near the spoken ones.
    // Words > Align, from the Text domain, opens the window and aligns.
    frame().StopTimes[2] = 777;
    frame().FreezeWurd(2);
    s->form().Icons(11);
    s->menu(MenuItem::WordsAlign)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(st().CurrentDomain, 14);
    EXPECT_EQ(frame().StopTimes[2], 777);
    EXPECT_NEAR(double(frame().StopTimes[1]), double(truth[1]), 60);
    EXPECT_NEAR(double(frame().StopTimes[3]), double(truth[3]), 80);
    EXPECT_EQ(synchro().lstWords->count(), 3);
    saveScreenshot(&synchro(), QStringLiteral("synchro-aligned.png"));
    // Review walks the unsure words only, and the page is done after the last.
    synchro().Confidence[3] = 0.2;
    synchro().btnReviewClick();
    EXPECT_EQ(synchro().SyncWurd, 3);
    EXPECT_EQ(player.plays().back().toMs, frame().StopTimes[3]);
    synchro().btnFreeze->click();
    EXPECT_EQ(storedStop(3), frame().StopTimes[3]);
    EXPECT_EQ(st().CurrentDomain, 15);
}

TEST_F(MediaPage, AWordTakingTheFocusShowsNoSelectionOverItsColour) {
    s->form().activateWindow();
    frame().wurd(1)->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(frame().wurd(1)->hasFocus());
    EXPECT_FALSE(frame().wurd(1)->hasSelectedText());
}

TEST_F(MediaPage, AStrayKeyInTheEmptyTextBoxKeepsTheWordsAndANewTextReplacesThem) {
    frame().StopTimes[2] = 700;
    frame().FreezeWurd(2);
    // (typed, then Enter): a stray Enter, blanks and Enter, a new text.
    for (const char* typed : {"", "  ", "a dog"}) {
        s->form().Icons(11);
        QTest::keyClicks(frame().TextBox, QString::fromLatin1(typed));
        QTest::keyClick(frame().TextBox, Qt::Key_Return);
        s->form().navigator().btnContinueClick();
        const bool kept = typed[0] != 'a';
        EXPECT_EQ(frame().WurdCount, kept ? 3 : 2) << typed;
        EXPECT_EQ(rows().LoadPage(st().PageRegNum)->Wurds, kept ? 3 : 2) << typed;
        EXPECT_TRUE(!kept || storedStop(2) == 700) << typed;
    }
}

TEST_F(MediaPage, SynchronisingWithoutASoundLeavesEverythingAsItWas) {
    setStops({500, 1200, 2000});
    enterSynchro();
    EXPECT_FALSE(synchro().SyncReady);
    synchro().btnFreeze->click();
    synchro().btnLonger->click();
    EXPECT_EQ(synchro().SyncWurd, 0);
    EXPECT_EQ(frame().StopTimes[1], 500);
    EXPECT_TRUE(player.plays().empty());
}

TEST_F(MediaPage, ChosenAndRecordedMediaLandUnderTheirNamesWithTheirFlags) {
    // A sound for word 3 lands under the word's own name.
    const QString wav = tmp.file(QStringLiteral("voice.wav"));
    ASSERT_TRUE(writeSilence(wav, 300));
    frame().CurrentWurd = 3;
    s->dialogs.expectFile(wav);
    s->form().Slider->button(Tool::btnSoundSel)->click();
    const qint64 key3 = frame().WurdRecNums[3];
    EXPECT_TRUE(name(12, 3).endsWith(QStringLiteral("W%1.WAV").arg(key3, 7, 10, QLatin1Char('0'))));
    EXPECT_TRUE(QFile::exists(name(12, 3)));
    EXPECT_TRUE(rows().LoadWurd(key3)->WSoundFile);
    EXPECT_FALSE(rows().LoadWurd(frame().WurdRecNums[2])->WSoundFile);

    // A movie lands under the page's video name and sets Video.
    const QString movie = tmp.file(QStringLiteral("clip.avi"));
    QFile(movie).open(QIODevice::WriteOnly);
    player.simulateFile(movie, 2000, QSize(160, 120));
    s->dialogs.expectFile(movie);
    s->form().Slider->button(Tool::btnVideoSel)->click();
    EXPECT_TRUE(QFile::exists(name(10)));
    EXPECT_TRUE(rows().LoadPage(st().PageRegNum)->Video);
    EXPECT_TRUE(st().cbVideo);

    // A recording stopped in the Choice domain is saved under the choice's name.
    s->newPage(true);
    s->form().Icons(20);
    ASSERT_EQ(st().CurrentDomain, 20);
    s->form().Slider->button(Tool::btnMic2)->click();
    EXPECT_TRUE(s->form().Slider->button(Tool::btnStop)->isVisible());
    clock.advance(700);
    s->form().Slider->button(Tool::btnStop)->click();
    EXPECT_TRUE(s->form().Slider->button(Tool::btnMic2)->isVisible());
    const qint64 choice = media().ChoiceRecNum(1);
    ASSERT_NE(choice, 0);
    const QString recorded = name(20, 1);
    EXPECT_TRUE(recorded.endsWith(QStringLiteral("C%1.WAV").arg(choice, 7, 10, QLatin1Char('0'))));
    QString why;
    const auto sound = readWave(recorded, &why);
    ASSERT_TRUE(sound) << why.toStdString();
    EXPECT_NEAR(double(sound->lengthMs()), 700.0, 20.0);
}

TEST_F(MediaPage, BadMediaIsRefusedAndLeavesThePageMediaAlone) {
    // The word already has a good sound.
    frame().CurrentWurd = 2;
    const QString good = tmp.file(QStringLiteral("good.wav"));
    ASSERT_TRUE(writeSilence(good, 200));
    s->dialogs.expectFile(good);
    media().SelectSound();
    const QByteArray before = readFile(name(12, 2));
    ASSERT_FALSE(before.isEmpty());
    ASSERT_TRUE(writeSilence(tmp.file(QStringLiteral("empty.wav")), 0));
    const struct {
        const char* file;
        QByteArray bytes;  // empty: made above
        const char* says;
    } sounds[] = {
        {"text.wav", "just some words, no sound at all", "is not a sound"},
        {"cut.wav", before.left(30), "is not a sound"},
        {"empty.wav", {}, "holds no sound"},
    };
    for (const auto& c : sounds) {
        const QString path = tmp.file(QString::fromLatin1(c.file));
        if (!c.bytes.isEmpty()) writeFile(path, c.bytes);
        s->dialogs.expectFile(path);
        s->dialogs.expectContaining(MsgKind::Warning, QString::fromLatin1(c.says));
        media().SelectSound();
        EXPECT_EQ(readFile(name(12, 2)), before) << c.file;
    }

    const QString notPicture = tmp.file(QStringLiteral("photo.bmp"));
    writeFile(notPicture, "BM not really a bitmap");
    s->form().Icons(9);
    s->dialogs.expectFile(notPicture);
    s->dialogs.expect(MsgKind::Warning, texts::kNotPicture.arg(QStringLiteral("photo.bmp")));
    EXPECT_FALSE(media().SelectPicture());
    EXPECT_FALSE(QFile::exists(name(9)));

    const QString notVideo = tmp.file(QStringLiteral("movie.avi"));
    writeFile(notVideo, "no video");
    s->dialogs.expectFile(notVideo);
    s->dialogs.expect(MsgKind::Warning, texts::kVideoNotOpened);
    media().SelectVideo();
    EXPECT_FALSE(QFile::exists(name(10)));
    EXPECT_FALSE(rows().LoadPage(st().PageRegNum)->Video);

    // No sound input: the recorder's own text, and the microphone stays.
    recorder.failAt(SimulatedRecorder::Step::Open, kRecNoInputDevice);
    s->dialogs.expect(MsgKind::Error, recorderErrorText(kRecNoInputDevice));
    media().RecordSound();
    EXPECT_FALSE(media().recording());
}

// A lesson of `pages` reading pages, each with two words and a page sound
// of 1 s, played on a clock that runs 20 ms per real millisecond.
struct PlayedLesson : SimulatedLesson {
    QTimer runner;
    // Runs at every turn of the clock while the lesson plays.
    std::function<void()> onTick;

    void make(int pages) {
        start();
        for (int p = 1; p <= pages; ++p) {
            s->newReadingPage(QStringLiteral("page %1").arg(p));
            const QString sound = s->app->mediaLayer()->MediaFileName(11, 0);
            writeFile(sound, "sound");
            player.simulateFile(sound, 1000);
            frame().StopTimes[1] = 500;
            frame().StopTimes[2] = 1000;
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
    void play() { s->menu(MenuItem::FilePlay)->trigger(); }
    // The page sounds played, by page number.
    std::vector<int> pagesPlayed() {
        std::vector<int> out;
        for (const auto& play : player.plays()) {
            const qint64 key = play.fileName.section(QLatin1Char('T'), -1).left(7).toLongLong();
            for (int p = 1; p <= st().PageCount; ++p)
                if (s->layer().PageRecord(p) == key) out.push_back(p);
        }
        return out;
    }
};

TEST_F(PlayedLesson, ATitleOnlyLessonPlaysItsTitleSoundAndEnds) {
    make(0);
    const QString title = s->app->mediaLayer()->MediaFileName(2, 0);
    writeFile(title, "sound");
    player.simulateFile(title, 300);
    QSignalSpy ended(s->app->playback(), &Playback::lessonPlayed);
    play();
    EXPECT_EQ(ended.count(), 1);
    ASSERT_EQ(player.plays().size(), 1u);
    EXPECT_EQ(player.plays()[0].fileName, title);
    EXPECT_EQ(st().CurrentPage, 0);
    EXPECT_FALSE(st().Playing);
}

TEST_F(PlayedLesson, StopAtEndOfPageAndClosingEndThePlay) {
    make(3);
    // Stop > At End Of Page while page 2 plays: page 2 finishes, page 3 never starts.
    onTick = [&] {
        if (st().CurrentPage == 2) s->menu(MenuItem::StopAtEndOfPage)->trigger();
    };
    play();
    EXPECT_EQ(pagesPlayed(), (std::vector<int>{1, 2}));
    EXPECT_EQ(st().CurrentPage, 2);
    EXPECT_FALSE(st().StopRequested);

    // The window closing mid-play ends the play at once.
    onTick = [&] {
        if (st().CurrentPage == 1) st().Closing = true;
    };
    play();
    EXPECT_FALSE(st().Playing);
    EXPECT_EQ(st().CurrentPage, 1);
    st().Closing = false;
}

TEST_F(PlayedLesson, TheSampleLessonIsOfferedInstalledAndPlaysEveryPage) {
    start(false);
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
    for (const auto& [field, text] : text->fields)
        EXPECT_EQ(s->title().fieldText(field), text) << field.toStdString();
    PageRows& rows = s->rows();
    for (int p = 1; p <= 3; ++p) {
        const qint64 key = rows.PageRecord(st().LesnRegNum, p);
        const SampleText::Page& page = text->pages[size_t(p) - 1];
        const std::optional<PageData> data = rows.LoadPage(key);
        ASSERT_TRUE(data);
        EXPECT_TRUE(data->PageSoundFile && data->Picture);
        ASSERT_EQ(size_t(data->Wurds) + 1, page.times.size()) << "page " << p;
        const std::vector<qint64> words = rows.WurdRecNums(key, data->Wurds);
        for (int n = 1; n <= data->Wurds; ++n)
            EXPECT_EQ(rows.LoadWurd(words[size_t(n)])->WStopTime, page.times[size_t(n)])
                << p << "/" << n;
        EXPECT_EQ(
            readFile(QDir(st().DirPath)
                         .filePath(QStringLiteral("T%1.WAV").arg(key, 7, 10, QLatin1Char('0')))),
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

    // A learner hears every reading page in order, with the bars hidden and
    // saving off; at the question the learner presses Esc, which ends the play.
    bool asked = false, barsHidden = true, savingOff = true;
    onTick = [&] {
        if (st().CurrentPage > 0) {
            barsHidden =
                barsHidden && !s->form().pnlBottom->isVisible() && !s->form().Panel1->isVisible();
            savingOff = savingOff && !st().SaveOnPageChange;
        }
        if (st().CurrentPage == 4 && st().AwaitingAnswer) {
            asked = true;
            QTest::keyClick(&s->form(), Qt::Key_Escape);
        }
    };
    play();
    EXPECT_EQ(pagesPlayed(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(asked);
    EXPECT_FALSE(st().Playing);
    EXPECT_FALSE(st().AwaitingAnswer);
    EXPECT_TRUE(barsHidden);
    EXPECT_TRUE(savingOff);
    EXPECT_TRUE(st().SaveOnPageChange);
    EXPECT_TRUE(s->form().pnlBottom->isVisible());

    // Offered again at the next start, it opens that copy rather than adding
    // another; once the author has renamed the copy it is theirs, and the
    // offer installs a new one.
    const qint64 installed = st().LesnRegNum;
    onTick = nullptr;
    for (const bool renamed : {false, true}) {
        if (renamed) {
            s->title().setFieldText(QStringLiteral("AuthorLast"), QStringLiteral("Mine"));
            ASSERT_TRUE(s->form().SaveAll());
        }
        s.reset();
        start(false);
        s->app->Util()->btnSample->click();
        EXPECT_TRUE(st().LessonOpen);
        EXPECT_EQ(st().LesnRegNum == installed, !renamed);
        EXPECT_EQ(s->form().LesnTable->recordCount(), renamed ? 2 : 1);
    }
}

}  // namespace
}  // namespace vellora::testing
