#include "SimulatedMedia.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <functional>
#include <optional>

#include "MediaTestSupport.h"
#include "TempDir.h"

using namespace vellora;
using vellora::testing::TempDir;

namespace {

struct Fixture {
    TempDir dir;
    SimulatedClock clock;
    SimulatedMediaDevice player{clock};
    std::vector<NotifyValue> notices;

    Fixture() {
        QObject::connect(&player, &MediaDevice::notify,
                         [this](NotifyValue v) { notices.push_back(v); });
        player.setNotify(true);
    }
    void open(int64_t lengthMs) {
        const QString path = dir.file(QStringLiteral("T0000001.WAV"));
        ASSERT_TRUE(vellora::testing::writeTone(path, 8000, 1, lengthMs * 8));
        player.setFileName(path);
        ASSERT_TRUE(player.Open()) << player.errorText().toStdString();
    }
};

// What one play does on a 2000 ms sound: the options set before Play, the
// clock moved after it, and what is seen then.
struct PlayCase {
    const char* name;
    int64_t startAt;  // position before the play (a first play to here)
    std::optional<int64_t> from, to;
    int64_t advance;
    int64_t position;
    MediaMode mode;
    int notices;
};

// With auto-rewind, as the page's sounds play. A stretch played to its end,
// going on from where a play stopped, and a whole file played to its end
// without rewinding are checked through the video player bar
// (page/FrameVideo_test.cpp) and the real device (QtMediaDevice_test.cpp).
TEST(SimulatedMediaDevice, PlaysTheAskedStretchOnTheClock) {
    const PlayCase cases[] = {
        {"to beyond the length", 0, 1500, 9000, 600, 2000, MediaMode::Stopped, 1},
        {"from beyond to plays nothing", 0, 1500, 1000, 0, 1500, MediaMode::Stopped, 1},
        {"auto-rewind at the end", 2000, {}, {}, 100, 100, MediaMode::Playing, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.open(2000);
        if (c.startAt) {
            f.player.setTo(c.startAt);
            f.player.setWait(true);
            ASSERT_TRUE(f.player.Play());
            f.notices.clear();
        }
        f.player.setAutoRewind(true);
        if (c.from) f.player.setFrom(*c.from);
        if (c.to) f.player.setTo(*c.to);
        ASSERT_TRUE(f.player.Play());
        f.clock.advance(c.advance);
        EXPECT_EQ(f.player.position(), c.position);
        EXPECT_EQ(f.player.mode(), c.mode);
        ASSERT_EQ(int(f.notices.size()), c.notices);
        if (c.notices) {
            EXPECT_EQ(f.notices[0], NotifyValue::Successful);
        }
    }
}

TEST(SimulatedMediaDevice, EveryEndingSendsItsNotice) {
    struct Case {
        const char* name;
        std::function<void(Fixture&)> interrupt;
        NotifyValue notice;
        MediaMode mode;
    } cases[] = {
        {"pause", [](Fixture& f) { f.player.Pause(); }, NotifyValue::Aborted, MediaMode::Paused},
        {"close", [](Fixture& f) { f.player.Close(); }, NotifyValue::Aborted, MediaMode::NotReady},
        {"another play", [](Fixture& f) { f.player.Play(); }, NotifyValue::Superseded,
         MediaMode::Playing},
        {"device failure", [](Fixture& f) { f.player.failPlay(); }, NotifyValue::Failure,
         MediaMode::Stopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.open(2000);
        f.player.Play();
        f.clock.advance(400);
        c.interrupt(f);
        ASSERT_FALSE(f.notices.empty());
        EXPECT_EQ(f.notices[0], c.notice);
        EXPECT_EQ(f.player.mode(), c.mode);
        // Nothing more arrives for the interrupted play.
        const size_t seen = f.notices.size();
        f.player.Stop();
        f.clock.advance(100);
        EXPECT_EQ(f.notices.size(), std::max<size_t>(seen, c.mode == MediaMode::Playing ? 2 : 1));
    }
}

TEST(SimulatedMediaDevice, WaitingPlayReturnsAtTheEndAndOptionsLastOnePlay) {
    Fixture f;
    f.open(3000);
    f.player.setFrom(1000);
    f.player.setTo(1600);
    f.player.setWait(true);
    ASSERT_TRUE(f.player.Play());
    EXPECT_EQ(f.clock.now(), 600);
    EXPECT_EQ(f.notices, std::vector<NotifyValue>{NotifyValue::Successful});
    // From, To and Wait were used up: this play runs on to the end.
    ASSERT_TRUE(f.player.Play());
    EXPECT_EQ(f.player.mode(), MediaMode::Playing);
    f.clock.advance(1400);
    EXPECT_EQ(f.player.position(), 3000);
    ASSERT_EQ(f.player.plays().size(), 2u);
    EXPECT_EQ(f.player.plays()[1].fromMs, 1600);
    // Without notify nothing is sent.
    f.player.setNotify(false);
    f.player.Play();
    f.clock.advance(5000);
    EXPECT_EQ(f.notices.size(), 2u);
}

TEST(SimulatedRecorder, CommandsInOrderSaveWhatWasRecorded) {
    TempDir dir;
    SimulatedClock clock;
    SimulatedRecorder rec(clock);
    const QString target = dir.file(QStringLiteral("C0000009.WAV"));
    EXPECT_EQ(rec.Record(), kRecNotOpen);
    EXPECT_EQ(rec.Save(target), kRecNotOpen);
    uint16_t id = 0;
    ASSERT_EQ(rec.OpenNew(&id), kRecOk);
    EXPECT_NE(id, 0);
    EXPECT_EQ(rec.OpenNew(), kRecAlreadyOpen);
    EXPECT_EQ(rec.StopRecording(), kRecNotRecording);
    ASSERT_EQ(rec.Record(), kRecOk);
    clock.advance(1500);
    EXPECT_EQ(rec.Save(target), kRecStillRecording);
    EXPECT_FALSE(QFileInfo::exists(target));
    ASSERT_EQ(rec.StopRecording(), kRecOk);
    ASSERT_EQ(rec.Save(target), kRecOk);
    EXPECT_EQ(rec.Close(), kRecOk);
    EXPECT_EQ(rec.Close(), kRecOk);
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral(".part")));

    // A failing command gives its code and a text for it; nothing is saved.
    rec.failAt(SimulatedRecorder::Step::Record, kRecDeviceFailed);
    ASSERT_EQ(rec.OpenNew(), kRecOk);
    EXPECT_EQ(rec.Record(), kRecDeviceFailed);
    EXPECT_FALSE(rec.errorText(kRecDeviceFailed).isEmpty());
    EXPECT_TRUE(rec.errorText(77).contains(QStringLiteral("77")));
    rec.Close();
    // A target that cannot be written reports so.
    rec.failAt(SimulatedRecorder::Step::Open, kRecOk);
    ASSERT_EQ(rec.OpenNew(), kRecOk);
    ASSERT_EQ(rec.Record(), kRecOk);
    ASSERT_EQ(rec.StopRecording(), kRecOk);
    EXPECT_EQ(rec.Save(dir.file(QStringLiteral("no/such/dir/x.wav"))), kRecCannotSave);
}

}  // namespace
