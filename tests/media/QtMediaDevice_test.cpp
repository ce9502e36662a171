#include "QtMediaDevice.h"

#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTimer>

#include "MediaTestSupport.h"
#include "MediaTexts.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "WaitUntil.h"

using namespace vellora;
using vellora::testing::TempDir;
using vellora::testing::writeTone;

namespace {

struct Watch {
    std::vector<NotifyValue> notices;
    std::vector<int64_t> positions;
    QStringList messages;
    QTimer sampler;

    explicit Watch(QtMediaDevice& player) {
        QObject::connect(&player, &MediaDevice::notify,
                         [this](NotifyValue v) { notices.push_back(v); });
        QObject::connect(&player, &MediaDevice::deviceMessage,
                         [this](const QString& t) { messages << t; });
        QObject::connect(&sampler, &QTimer::timeout,
                         [this, &player] { positions.push_back(player.position()); });
        sampler.start(3);
    }
    bool monotonic() const { return std::is_sorted(positions.begin(), positions.end()); }
};

// Plays the 300 ms stretch 200..500 of a 1 s sound, waiting, and checks
// what any device must do with it.
void playStretch(SoundOutput output, int rate, int channels) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("T0000001.WAV"));
    ASSERT_TRUE(writeTone(path, rate, channels, rate));
    QtMediaDevice player(output);
    Watch watch(player);
    player.setNotify(true);
    player.setFileName(path);
    ASSERT_TRUE(player.Open()) << player.errorText().toStdString();
    EXPECT_EQ(player.length(), 1000);
    EXPECT_EQ(player.mode(), MediaMode::Stopped);
    player.setFrom(200);
    player.setTo(500);
    player.setWait(true);
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(watch.notices, std::vector<NotifyValue>{NotifyValue::Successful});
    EXPECT_EQ(player.position(), 500);
    EXPECT_EQ(player.mode(), MediaMode::Stopped);
    ASSERT_FALSE(watch.positions.empty());
    EXPECT_TRUE(watch.monotonic());
    EXPECT_GE(watch.positions.front(), 200);
    EXPECT_LE(watch.positions.back(), 500);
    // It advanced through the stretch rather than jumping to its end.
    EXPECT_TRUE(std::any_of(watch.positions.begin(), watch.positions.end(),
                            [](int64_t p) { return p > 200 && p < 500; }));
    if (output == SoundOutput::Silent) {
        EXPECT_TRUE(watch.messages.isEmpty());
    }

    // Without waiting, the notice comes later; Stop ends it at once as aborted.
    watch.notices.clear();
    player.setFrom(0);
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(player.mode(), MediaMode::Playing);
    ASSERT_TRUE(waitUntil([&] { return player.position() > 50; }, std::chrono::seconds(5)));
    player.Stop();
    EXPECT_EQ(watch.notices, std::vector<NotifyValue>{NotifyValue::Aborted});
    const int64_t stoppedAt = player.position();
    EXPECT_GT(stoppedAt, 50);
    EXPECT_LT(stoppedAt, 1000);
    player.Close();
    player.Close();
    EXPECT_EQ(player.mode(), MediaMode::NotReady);
}

TEST(QtMediaDevice, PlaysAStretchInRealTimeSilentlyAndThroughWhateverOutputExists) {
    playStretch(SoundOutput::Silent, 22050, 1);
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        for (auto [rate, channels] : {std::pair{44100, 2}, std::pair{11025, 1}}) {
            SCOPED_TRACE(rate);
            playStretch(SoundOutput::Default, rate, channels);
        }
        return;
    }
    // No device: the same play still works, silently, and says so once.
    TempDir dir;
    const QString path = dir.file(QStringLiteral("T.WAV"));
    ASSERT_TRUE(writeTone(path, 8000, 1, 800));
    QtMediaDevice player;
    Watch watch(player);
    player.setFileName(path);
    ASSERT_TRUE(player.Open());
    for (int i = 0; i < 2; ++i) {
        player.setWait(true);
        player.setFrom(0);
        player.Play();
    }
    EXPECT_EQ(watch.messages, QStringList{texts::kNoSoundDevice});
    EXPECT_TRUE(player.silent());
    GTEST_SKIP() << "no sound output on this machine";
}

TEST(QtMediaDevice, BadSoundsFailToOpenOrPlayNothing) {
    TempDir dir;
    const QString empty = dir.file(QStringLiteral("empty.wav"));
    ASSERT_TRUE(writeTone(empty, 8000, 1, 0));
    const QString text = dir.file(QStringLiteral("text.wav"));
    vellora::testing::writeFile(text, "not a sound");

    QtMediaDevice player(SoundOutput::Silent);
    std::vector<NotifyValue> notices;
    QObject::connect(&player, &MediaDevice::notify, [&](NotifyValue v) { notices.push_back(v); });
    player.setNotify(true);
    for (const QString& bad : {text, dir.file(QStringLiteral("none.wav"))}) {
        player.setFileName(bad);
        EXPECT_FALSE(player.Open());
        EXPECT_TRUE(player.errorText().contains(bad));
        EXPECT_FALSE(player.Play());
    }
    player.setFileName(empty);
    ASSERT_TRUE(player.Open());
    EXPECT_EQ(player.length(), 0);
    player.setWait(true);
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(notices, std::vector<NotifyValue>{NotifyValue::Successful});
}

// Videos are opened and played through the page window (page/FrameVideo_test.cpp).

TEST(QtWaveRecorder, WithoutAnInputRecordingReportsIt) {
    QtWaveRecorder rec(SoundOutput::Silent);
    const int code = rec.OpenNew();
    EXPECT_EQ(code, kRecNoInputDevice);
    EXPECT_EQ(rec.errorText(code), texts::kRecNoInput);
    EXPECT_EQ(rec.Record(), kRecNotOpen);
    EXPECT_EQ(rec.Close(), kRecOk);
}

TEST(QtWaveRecorder, RecordsFromWhateverInputExists) {
    if (QMediaDevices::audioInputs().isEmpty()) GTEST_SKIP() << "no sound input on this machine";
    TempDir dir;
    QtWaveRecorder rec;
    ASSERT_EQ(rec.OpenNew(), kRecOk);
    ASSERT_EQ(rec.Record(), kRecOk);
    waitUntil([&] { return rec.framesRecorded() > 2000; }, std::chrono::seconds(3));
    ASSERT_EQ(rec.StopRecording(), kRecOk);
    const QString target = dir.file(QStringLiteral("T0000002.WAV"));
    ASSERT_EQ(rec.Save(target), kRecOk);
    QString error;
    const auto sound = readWave(target, &error);
    ASSERT_TRUE(sound) << error.toStdString();
    EXPECT_EQ(sound->frames(), rec.framesRecorded());
    EXPECT_GT(sound->frames(), 0);
}

}  // namespace
