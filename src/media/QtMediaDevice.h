#pragma once

#include "HeardClock.h"
#include "MediaDevice.h"
#include "WaveFile.h"
#include "WaveRecorder.h"

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>
#include <optional>

class QAudioOutput;
class QAudioSink;
class QAudioSource;
class QIODevice;
class QMediaPlayer;

namespace vellora {

// Whether the real devices use the machine's sound devices or play silently
// in real time (as on a machine without any).
enum class SoundOutput { Default, Silent };

// The real player. Wave sound is decoded whole at Open and fed to a
// QAudioSink in the sink's own format; the position is what the listener
// hears (the sink's playback time, never past the frames it has taken),
// smoothed on a monotonic clock between the sink's coarse updates. Without a sound device the same sound plays
// silently in real time and the player says so once. Video goes through
// QMediaPlayer into the display handed in.
class QtMediaDevice : public MediaDevice {
    Q_OBJECT
public:
    explicit QtMediaDevice(SoundOutput output = SoundOutput::Default, QObject* parent = nullptr);
    ~QtMediaDevice() override;

    // True once sound plays without a sound device.
    bool silent() const { return silent_; }

    int64_t length() const override;
    int64_t position() const override;
    MediaMode mode() const override;

protected:
    bool openMedia() override;
    void closeMedia() override;
    void startPlay(int64_t fromMs, int64_t toMs) override;
    void haltPlay(MediaMode after) override;
    void waitForEnd() override;
    void seekTo(int64_t ms) override;
    QSize videoSize() const override;
    void displayChanged() override;

private:
    bool openVideo();
    QSize probeVideoSize(const QString& path);
    void startSound(int64_t fromMs, int64_t toMs);
    bool ensureSink();
    void goSilent(const QString& why);
    void tick();
    void feedSink();
    void finishSound(NotifyValue value);
    void stopSound(int64_t positionMs, MediaMode after);
    void videoPositionChanged(qint64 ms);
    int64_t now() const { return monotonic_.nsecsElapsed() / 1000000; }

    bool silent_ = false;
    QElapsedTimer monotonic_;
    MediaMode mode_ = MediaMode::NotReady;

    // Wave sound
    std::optional<WaveSound> sound_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* sinkIo_ = nullptr;
    QAudioFormat sinkFormat_;
    QTimer tick_;
    mutable HeardClock heard_;
    int64_t fromMs_ = 0;
    int64_t toMs_ = 0;
    int64_t positionMs_ = 0;
    int64_t srcStart_ = 0;
    int64_t srcEnd_ = 0;
    int64_t outTotal_ = 0;     // frames of the stretch in the sink's format
    int64_t outRendered_ = 0;  // frames rendered for the sink so far
    QByteArray pending_;       // rendered bytes the sink has not taken yet
    int64_t startedAt_ = 0;
    int64_t lastProgressAt_ = 0;
    int64_t lastAccepted_ = 0;
    bool soundPlaying_ = false;

    // Video
    std::unique_ptr<QMediaPlayer> player_;
    std::unique_ptr<QAudioOutput> videoAudio_;
    QSize videoSize_;
    bool videoPlaying_ = false;
};

// The real recorder: the default sound input through QAudioSource, written
// as it arrives into a 16-bit WAV file. Without an input device OpenNew
// answers kRecNoInputDevice.
class QtWaveRecorder : public WaveRecorder {
    Q_OBJECT
public:
    explicit QtWaveRecorder(SoundOutput input = SoundOutput::Default, QObject* parent = nullptr);
    ~QtWaveRecorder() override;

protected:
    int prepareInput(int* sampleRate, int* channels) override;
    int startInput() override;
    int stopInput() override;

private:
    void drain();

    bool silent_;
    QAudioFormat format_;
    std::unique_ptr<QAudioSource> source_;
    QIODevice* sourceIo_ = nullptr;
};

}  // namespace vellora
