#pragma once

#include "MediaDevice.h"
#include "WaveRecorder.h"

#include <QHash>

#include <vector>

namespace vellora {

// Time for the simulated devices: it moves only when a test advances it.
class SimulatedClock : public QObject {
    Q_OBJECT
public:
    int64_t now() const { return now_; }
    void advance(int64_t ms);

signals:
    void advanced();

private:
    int64_t now_ = 0;
};

// A player that plays silently on a SimulatedClock: while playing, the
// position is the simulated time elapsed since Play, within From..To; the
// completion notice comes when the clock passes the end. A waiting Play
// advances the clock to the end itself (the test would otherwise have no
// chance to).
class SimulatedMediaDevice : public MediaDevice {
    Q_OBJECT
public:
    struct PlayRecord {
        QString fileName;
        int64_t fromMs;
        int64_t toMs;
    };

    explicit SimulatedMediaDevice(SimulatedClock& clock, QObject* parent = nullptr);

    // `path` opens as media of `lengthMs` (a video of `videoSize`) without
    // being read. Other sounds are read from their files.
    void simulateFile(const QString& path, int64_t lengthMs, QSize videoSize = {});
    // Ends the running play now, as the device would on an error.
    void failPlay();
    // Every play started, in order.
    const std::vector<PlayRecord>& plays() const { return plays_; }

    int64_t length() const override { return length_; }
    int64_t position() const override;
    MediaMode mode() const override;

protected:
    bool openMedia() override;
    void closeMedia() override;
    void startPlay(int64_t fromMs, int64_t toMs) override;
    void haltPlay(MediaMode after) override;
    void waitForEnd() override;
    void seekTo(int64_t ms) override;
    QSize videoSize() const override { return videoSize_; }

private:
    void checkEnd();

    struct Simulated {
        int64_t lengthMs;
        QSize videoSize;
    };
    SimulatedClock& clock_;
    QHash<QString, Simulated> simulated_;
    std::vector<PlayRecord> plays_;
    int64_t length_ = 0;
    QSize videoSize_;
    MediaMode mode_ = MediaMode::NotReady;
    int64_t position_ = 0;
    int64_t from_ = 0;
    int64_t to_ = 0;
    int64_t startedAt_ = 0;
};

// A recorder on a SimulatedClock: it records silence for as long as the
// clock moves between Record and StopRecording. A command can be made to
// fail with a chosen code.
class SimulatedRecorder : public WaveRecorder {
    Q_OBJECT
public:
    enum class Step { Open, Record, Stop };
    static constexpr int kSampleRate = 8000;

    explicit SimulatedRecorder(SimulatedClock& clock, QObject* parent = nullptr);
    ~SimulatedRecorder() override;
    void failAt(Step step, int code) { failStep_ = step, failCode_ = code; }

protected:
    int prepareInput(int* sampleRate, int* channels) override;
    int startInput() override;
    int stopInput() override;

private:
    int failing(Step step) const { return failCode_ && failStep_ == step ? failCode_ : kRecOk; }

    SimulatedClock& clock_;
    int64_t startedAt_ = 0;
    Step failStep_ = Step::Open;
    int failCode_ = kRecOk;
};

}  // namespace vellora
