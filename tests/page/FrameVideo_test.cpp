#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QToolButton>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

#include "AppState.h"
#include "PageGeometry.h"
#include "PageStore.h"
#include "PageTexts.h"
#include "QtMediaDevice.h"
#include "ScriptedDialogs.h"
#include "SimulatedMedia.h"
#include "TFrame.h"
#include "TempDir.h"
#include "WaitUntil.h"
#include "WaveFile.h"

namespace vellora {
namespace {

// Makes a 2-second 160 x 120 test-card video (15 pictures a second, no sound)
// at `path` with GStreamer's command-line tool. False when the tool is
// missing or fails, so the caller can skip.
bool makeTestVideo(const QString& path) {
    const QString gst = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (gst.isEmpty()) return false;
    QProcess make;
    make.start(gst, {QStringLiteral("-q"), QStringLiteral("videotestsrc"),
                     QStringLiteral("num-buffers=30"), QStringLiteral("!"),
                     QStringLiteral("video/x-raw,width=160,height=120,framerate=15/1"),
                     QStringLiteral("!"), QStringLiteral("jpegenc"), QStringLiteral("!"),
                     QStringLiteral("avimux"), QStringLiteral("!"), QStringLiteral("filesink"),
                     QStringLiteral("location=") + path});
    return make.waitForFinished(60000) && make.exitStatus() == QProcess::NormalExit &&
           make.exitCode() == 0 && QFile(path).size() > 0;
}

// The page window at its design size with its store, scripted dialogs and
// the player handed in.
struct VideoFrame {
    testing::PageStore store{false};
    AppState state;
    testing::ScriptedDialogs dialogs;
    TFrame frame;

    explicit VideoFrame(MediaDevice& player) {
        frame.attach(state, dialogs, *store.rows, store.tmp.file(QStringLiteral("Vellora.ini")));
        frame.setPlayer(&player);
        frame.show();
    }
    void click(const char* button) {
        frame.MediaPlayer1->findChild<QToolButton*>(QLatin1String(button))->click();
    }
};

TEST(FrameVideo, OpensBesideTheWordsPlaysUnderTheBarAndAFailureLeavesTheDisplay) {
    SimulatedClock clock;
    SimulatedMediaDevice player(clock);
    VideoFrame v(player);
    TFrame& f = v.frame;
    QImage picture(100, 80, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(v.store.tmp.file(QStringLiteral("P0000001.BMP")), "BMP"));
    ASSERT_TRUE(f.ShowPicture(v.store.tmp.file(QStringLiteral("P0000001.BMP"))));
    const QRect picturePlace = f.PicturePanel->geometry();

    // Missing, and not a video: the warning, and the picture stays.
    const QString notVideo = v.store.tmp.file(QStringLiteral("V0000003.WAV"));
    QImage(4, 4, QImage::Format_RGB32).save(notVideo, "BMP");
    for (const QString& bad : {v.store.tmp.file(QStringLiteral("V0000001.WAV")), notVideo}) {
        v.dialogs.expect(MsgKind::Warning, texts::kVideoNotOpened);
        f.btnVideoClick(bad);
        EXPECT_TRUE(f.PicturePanel->isVisible());
        EXPECT_EQ(f.PicturePanel->geometry(), picturePlace);
        EXPECT_FALSE(f.VideoPanel->isVisible());
    }

    // 320 x 240 is wider than the 315 pixels right of the words: shrunk to
    // 311 x 234 and centred.
    const QString movie = v.store.tmp.file(QStringLiteral("V0000002.WAV"));
    player.simulateFile(movie, 5000, QSize(320, 240));
    f.VideoControlShown = true;
    f.btnVideoClick(movie);
    const QRect placed(274, 55, 311, 234);
    EXPECT_EQ(f.VideoPanel->geometry(), placed);
    EXPECT_TRUE(f.VideoPanel->isVisible());
    EXPECT_FALSE(f.PicturePanel->isVisible());
    ASSERT_NE(f.VideoPanel->VideoWidget, nullptr);
    EXPECT_EQ(player.display(), f.VideoPanel->VideoWidget);
    EXPECT_TRUE(f.VideoPanel->VideoWidget->isVisible());
    EXPECT_EQ(f.VideoPanel->VideoWidget->geometry(), QRect(2, 2, 307, 230));
    EXPECT_EQ(player.deviceType(), DeviceType::Video);
    EXPECT_TRUE(player.notifyOn());
    EXPECT_TRUE(f.MediaPlayer1->isVisible());
    EXPECT_TRUE(f.MediaPlayer1->isEnabled());

    // The bar, button by button, on the simulated clock.
    struct Step {
        const char* button;
        int64_t advance;  // simulated time after the click
        int64_t position;
        MediaMode mode;
    } steps[] = {
        {nullptr, 1500, 1500, MediaMode::Playing},
        {"btnBarPause", 500, 1500, MediaMode::Paused},
        {"btnBarStep", 0, 2500, MediaMode::Paused},
        {"btnBarBack", 0, 1500, MediaMode::Paused},
        {"btnBarPlay", 300, 1800, MediaMode::Playing},
        {"btnBarBack", 100, 900, MediaMode::Playing},  // a running play goes on from there
        {"btnBarStep", 0, 1900, MediaMode::Playing},
        {"btnBarStop", 400, 1900, MediaMode::Stopped},
        {"btnBarBack", 0, 900, MediaMode::Stopped},
        {"btnBarBack", 0, 0, MediaMode::Stopped},  // not before the start
        {"btnBarNext", 0, 5000, MediaMode::Stopped},
        {"btnBarStep", 0, 5000, MediaMode::Stopped},    // not past the end
        {"btnBarPlay", 100, 5000, MediaMode::Stopped},  // no auto-rewind: it ends at once
        {"btnBarPrevious", 0, 0, MediaMode::Stopped},
        {"btnBarPlay", 5000, 5000, MediaMode::Stopped},  // played to the end
    };
    for (const Step& s : steps) {
        if (s.button) v.click(s.button);
        clock.advance(s.advance);
        EXPECT_EQ(player.position(), s.position) << (s.button ? s.button : "start");
        EXPECT_EQ(player.mode(), s.mode) << (s.button ? s.button : "start");
    }

    // The player is shared with the page's sounds: the bar leaves a sound alone.
    const QString sound = v.store.tmp.file(QStringLiteral("T0000001.WAV"));
    player.simulateFile(sound, 3000);
    player.setDeviceType(DeviceType::WaveAudio);
    player.setFileName(sound);
    ASSERT_TRUE(player.Open());
    v.click("btnBarPlay");
    EXPECT_EQ(player.mode(), MediaMode::Stopped);

    // Without the video controls the bar stays hidden; a failing file then
    // leaves the video where it was.
    f.VideoControlShown = false;
    f.btnVideoClick(movie);
    EXPECT_FALSE(f.MediaPlayer1->isVisible());
    EXPECT_FALSE(f.MediaPlayer1->isEnabled());
    v.dialogs.expect(MsgKind::Warning, texts::kVideoNotOpened);
    f.btnVideoClick(notVideo);
    EXPECT_TRUE(f.VideoPanel->isVisible());
    EXPECT_EQ(f.VideoPanel->geometry(), placed);
    EXPECT_FALSE(f.PicturePanel->isVisible());
}

// A page opened while the window is still hidden (the first page after the
// title) gets its picture placed for the size the window shows at, once.
TEST(FrameVideo, APictureShownBeforeTheWindowIsPlacedForItsShownSize) {
    testing::PageStore store{false};
    AppState state;
    testing::ScriptedDialogs dialogs;
    TFrame f;
    f.attach(state, dialogs, *store.rows, store.tmp.file(QStringLiteral("Vellora.ini")));
    f.setGeometry(0, 0, 880, 507);
    QImage picture(160, 120, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(store.tmp.file(QStringLiteral("P0000001.BMP")), "BMP"));
    ASSERT_TRUE(f.ShowPicture(store.tmp.file(QStringLiteral("P0000001.BMP"))));
    f.show();
    QApplication::processEvents();
    const int wurdsRight = f.sbWurdsBox->x() + f.sbWurdsBox->width();
    EXPECT_EQ(f.PicturePanel->geometry(), ScaleImage(picture.size(), f.size(), wurdsRight).panel);
}

// The device opens a video whatever its name, and refuses a sound.
TEST(FrameVideo, ARealVideoUnderASoundNameShowsInThePanelAtItsOwnSizeAndASoundIsRefused) {
    testing::TempDir dir;
    const QString movie = dir.file(QStringLiteral("V0000001.WAV"));
    if (!makeTestVideo(movie)) GTEST_SKIP() << "the test video could not be made (gst-launch-1.0)";
    QtMediaDevice player(SoundOutput::Silent);
    VideoFrame v(player);
    v.frame.btnVideoClick(movie);
    ASSERT_NE(v.frame.VideoPanel->VideoWidget, nullptr);
    // Pictures reach the sink on the back end's thread while the video
    // plays; the size is taken from the picture itself and queued to this one.
    QSize shown;
    QObject context;
    QObject::connect(v.frame.VideoPanel->VideoWidget->videoSink(), &QVideoSink::videoFrameChanged,
                     &context, [&](const QVideoFrame& picture) {
                         if (picture.isValid()) shown = picture.size();
                     });
    EXPECT_NEAR(double(player.length()), 2000.0, 150.0);
    EXPECT_EQ(player.displayRect(), QRect(2, 2, 160, 120));
    // It fits: its own size plus the 2-pixel edges, centred beside the words.
    EXPECT_EQ(v.frame.VideoPanel->geometry(), QRect(347, 110, 164, 124));
    EXPECT_TRUE(v.frame.VideoPanel->isVisible());
    EXPECT_TRUE(waitUntil([&] { return shown.isValid(); }, std::chrono::seconds(10)));
    EXPECT_EQ(shown, QSize(160, 120));
    // Played from 1.5 s, waiting: it returns at the end with the notice.
    std::vector<NotifyValue> notices;
    QObject::connect(&player, &MediaDevice::notify, &context,
                     [&](NotifyValue n) { notices.push_back(n); });
    player.setFrom(1500);
    player.setWait(true);
    ASSERT_TRUE(player.Play());
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), NotifyValue::Successful);

    const QString sound = dir.file(QStringLiteral("V0000002.WAV"));
    WaveWriter tone;
    const std::vector<int16_t> samples(8000, 1000);
    ASSERT_TRUE(tone.open(sound, 8000, 1) && tone.write(samples.data(), 8000) && tone.close());
    v.dialogs.expect(MsgKind::Warning, texts::kVideoNotOpened);
    v.frame.btnVideoClick(sound);
    player.Close();
}

}  // namespace
}  // namespace vellora
