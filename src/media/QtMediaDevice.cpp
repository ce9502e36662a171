#include "QtMediaDevice.h"

#include "MediaTexts.h"
#include "PcmConvert.h"
#include "WaitUntil.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QAudioSink>
#include <QAudioSource>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>
#include <cstring>

namespace vellora {

namespace {

using std::chrono::milliseconds;

constexpr int kTickMs = 5;
// The sink holds this much sound: enough to ride out a busy event loop.
constexpr int kSinkBufferMs = 200;
// A sink that takes nothing for this long has failed (a PulseAudio null
// sink may sleep up to 2 s between blocks).
constexpr int64_t kStallMs = 4000;
// A sink that never says it has drained is taken as done this long after
// its buffer should have emptied.
constexpr int64_t kDrainGraceMs = kSinkBufferMs + 800;
constexpr int64_t kRenderChunkFrames = 8192;
constexpr milliseconds kVideoOpenLimit{10000};
constexpr int64_t kWaitGraceMs = 5000;

}  // namespace

QtMediaDevice::QtMediaDevice(SoundOutput output, QObject* parent)
    : MediaDevice(parent), silent_(output == SoundOutput::Silent) {
    monotonic_.start();
    tick_.setTimerType(Qt::PreciseTimer);
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &QtMediaDevice::tick);
}

QtMediaDevice::~QtMediaDevice() { Close(); }

int64_t QtMediaDevice::length() const {
    if (player_) return player_->duration();
    return sound_ ? sound_->lengthMs() : 0;
}

int64_t QtMediaDevice::position() const {
    if (player_) return player_->position();
    return soundPlaying_ ? heard_.position(now()) : positionMs_;
}

MediaMode QtMediaDevice::mode() const { return mode_; }

bool QtMediaDevice::openMedia() {
    if (deviceType() == DeviceType::Video) return openVideo();
    QString error;
    sound_ = readWave(fileName(), &error);
    if (!sound_) {
        setErrorText(error);
        return false;
    }
    positionMs_ = 0;
    mode_ = MediaMode::Stopped;
    return true;
}

void QtMediaDevice::closeMedia() {
    stopSound(0, MediaMode::NotReady);
    sound_.reset();
    videoPlaying_ = false;
    if (player_) player_->stop();
    player_.reset();
    videoAudio_.reset();
}

void QtMediaDevice::startPlay(int64_t fromMs, int64_t toMs) {
    mode_ = MediaMode::Playing;
    if (!player_) {
        startSound(fromMs, toMs);
        return;
    }
    toMs_ = toMs;
    videoPlaying_ = true;
    player_->setPosition(fromMs);
    if (fromMs >= toMs) {
        videoPlaying_ = false;
        mode_ = MediaMode::Stopped;
        ended(NotifyValue::Successful);
        return;
    }
    player_->play();
}

void QtMediaDevice::haltPlay(MediaMode after) {
    mode_ = after;
    if (player_) {
        videoPlaying_ = false;
        // Pausing a player that never started can block the GStreamer back end.
        if (player_->playbackState() == QMediaPlayer::PlayingState) player_->pause();
        return;
    }
    stopSound(soundPlaying_ ? heard_.position(now()) : positionMs_, after);
}

void QtMediaDevice::stopSound(int64_t positionMs, MediaMode after) {
    positionMs_ = positionMs;
    soundPlaying_ = false;
    tick_.stop();
    if (sink_) {
        sink_->reset();
        sink_->stop();
    }
    sinkIo_ = nullptr;
    mode_ = after;
}

void QtMediaDevice::waitForEnd() {
    const int64_t limit = std::max<int64_t>(0, toMs_ - position()) + kWaitGraceMs;
    if (waitUntil([this] { return !playing(); }, milliseconds(limit))) return;
    // The device never said it ended: give up rather than hang.
    if (player_) {
        haltPlay(MediaMode::Stopped);
        ended(NotifyValue::Failure);
    } else {
        finishSound(NotifyValue::Failure);
    }
}

void QtMediaDevice::seekTo(int64_t ms) {
    if (player_)
        player_->setPosition(ms);
    else
        positionMs_ = ms;
}

void QtMediaDevice::startSound(int64_t fromMs, int64_t toMs) {
    fromMs_ = fromMs;
    toMs_ = toMs;
    srcStart_ = sound_->frameAt(fromMs);
    srcEnd_ = sound_->frameAt(toMs);
    pending_.clear();
    outRendered_ = 0;
    lastAccepted_ = 0;
    startedAt_ = lastProgressAt_ = now();
    soundPlaying_ = true;
    if (srcEnd_ <= srcStart_) {
        finishSound(NotifyValue::Successful);
        return;
    }
    if (!silent_ && ensureSink()) {
        outTotal_ = outputFrames(srcEnd_ - srcStart_, sound_->sampleRate, sinkFormat_.sampleRate());
        heard_.start(fromMs, toMs, startedAt_, false);
        sinkIo_ = sink_->start();
        if (sinkIo_ && sink_->error() == QAudio::NoError) {
            feedSink();
            tick_.start();
            return;
        }
        sinkIo_ = nullptr;
        goSilent(texts::kNoSoundDevice);
    }
    heard_.start(fromMs, toMs, startedAt_, true);
    tick_.start();
}

bool QtMediaDevice::ensureSink() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        goSilent(texts::kNoSoundDevice);
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(sound_->sampleRate);
    format.setChannelCount(sound_->channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) format = device.preferredFormat();
    if (!format.isValid()) {
        goSilent(texts::kNoSoundDevice);
        return false;
    }
    if (sink_ && sinkFormat_ == format) return true;
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->setBufferSize(format.bytesForDuration(kSinkBufferMs * 1000));
    sinkFormat_ = format;
    return true;
}

void QtMediaDevice::goSilent(const QString& why) {
    silent_ = true;
    sink_.reset();
    sinkIo_ = nullptr;
    sayOnce(why);
}

void QtMediaDevice::tick() {
    if (!soundPlaying_) {
        tick_.stop();
        return;
    }
    const int64_t t = now();
    if (!sinkIo_) {
        if (heard_.position(t) >= toMs_) finishSound(NotifyValue::Successful);
        return;
    }
    feedSink();
    const int bpf = sinkFormat_.bytesPerFrame();
    const int rate = sinkFormat_.sampleRate();
    const int64_t accepted = outRendered_ - pending_.size() / bpf;
    // Nothing past what the sink has taken can have been heard.
    heard_.setCeiling(fromMs_ + accepted * 1000 / rate);
    // The sink's playback time is what the device has played, the server's
    // queue and the device's own latency taken off: what the listener has
    // heard. (Frames taken less the sink's buffer fill, bufferSize less
    // bytesFree, leave out the device's latency and lag the same updates.)
    heard_.report(fromMs_ + sink_->processedUSecs() / 1000, t);
    if (accepted != lastAccepted_) {
        lastAccepted_ = accepted;
        lastProgressAt_ = t;
    }
    const QAudio::Error error = sink_->error();
    if (error != QAudio::NoError && error != QAudio::UnderrunError) {
        finishSound(NotifyValue::Failure);
        return;
    }
    if (accepted < outTotal_) {
        if (t - lastProgressAt_ > kStallMs) finishSound(NotifyValue::Failure);
        return;
    }
    if (heard_.position(t) >= toMs_ || t - lastProgressAt_ > kDrainGraceMs)
        finishSound(NotifyValue::Successful);
}

void QtMediaDevice::feedSink() {
    const int bpf = sinkFormat_.bytesPerFrame();
    for (int round = 0; round < 16 && sinkIo_; ++round) {
        if (!pending_.isEmpty()) {
            const qint64 taken = sinkIo_->write(pending_);
            if (taken <= 0) return;
            pending_.remove(0, taken);
            if (!pending_.isEmpty()) return;
            continue;
        }
        const int64_t frames =
            std::min({int64_t(sink_->bytesFree() / bpf), outTotal_ - outRendered_, kRenderChunkFrames});
        if (frames <= 0) return;
        pending_ = renderFrames(*sound_, srcStart_, srcEnd_, outRendered_, frames, sinkFormat_);
        outRendered_ += frames;
    }
}

void QtMediaDevice::finishSound(NotifyValue value) {
    stopSound(value == NotifyValue::Successful ? toMs_ : heard_.position(now()), MediaMode::Stopped);
    ended(value);
}

bool QtMediaDevice::openVideo() {
    const QFileInfo info(fileName());
    if (!info.isFile()) {
        setErrorText(texts::kMediaMissing.arg(fileName()));
        return false;
    }
    player_ = std::make_unique<QMediaPlayer>();
    if (!silent_ && !QMediaDevices::audioOutputs().isEmpty()) {
        videoAudio_ = std::make_unique<QAudioOutput>();
        player_->setAudioOutput(videoAudio_.get());
    }
    if (display()) player_->setVideoOutput(display());
    connect(player_.get(), &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status != QMediaPlayer::EndOfMedia || !videoPlaying_) return;
        videoPlaying_ = false;
        mode_ = MediaMode::Stopped;
        ended(NotifyValue::Successful);
    });
    connect(player_.get(), &QMediaPlayer::errorOccurred, this, [this] {
        if (!videoPlaying_) return;
        videoPlaying_ = false;
        mode_ = MediaMode::Stopped;
        ended(NotifyValue::Failure);
    });
    connect(player_.get(), &QMediaPlayer::positionChanged, this, &QtMediaDevice::videoPositionChanged);
    // The source is named by its path only: the file's content, not its
    // extension, says what it is.
    player_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    const bool settled = waitUntil(
        [this] {
            const auto status = player_->mediaStatus();
            return status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia ||
                   status == QMediaPlayer::InvalidMedia || player_->error() != QMediaPlayer::NoError;
        },
        kVideoOpenLimit);
    QString why;
    if (!settled)
        why = texts::kVideoTimedOut.arg(fileName());
    else if (player_->error() != QMediaPlayer::NoError || player_->mediaStatus() == QMediaPlayer::InvalidMedia)
        why = texts::kNotVideo.arg(fileName(), player_->errorString());
    else if (!player_->hasVideo())
        why = texts::kNotVideo.arg(fileName(), QStringLiteral("it holds no pictures"));
    if (!why.isEmpty()) {
        setErrorText(why);
        player_.reset();
        videoAudio_.reset();
        return false;
    }
    videoSize_ = probeVideoSize(info.absoluteFilePath());
    mode_ = MediaMode::Stopped;
    return true;
}

QSize QtMediaDevice::probeVideoSize(const QString& path) {
    QSize size = player_->metaData().value(QMediaMetaData::Resolution).toSize();
    if (size.isValid()) return size;
    // The back end knows a video's size only from its first picture: a second,
    // silent player shows it to a private sink, leaving the real one untouched.
    QMediaPlayer probe;
    QVideoSink sink;
    probe.setVideoOutput(&sink);
    bool over = false;
    // Frames arrive on the back end's thread, and the sink is locked while it
    // signals: the size is taken from the frame itself, queued to this thread.
    QObject context;
    connect(&sink, &QVideoSink::videoFrameChanged, &context,
            [&](const QVideoFrame& frame) { size = frame.size(); });
    connect(&probe, &QMediaPlayer::mediaStatusChanged, &context, [&](QMediaPlayer::MediaStatus status) {
        over = over || status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia;
    });
    connect(&probe, &QMediaPlayer::errorOccurred, &context, [&] { over = true; });
    probe.setSource(QUrl::fromLocalFile(path));
    probe.play();
    waitUntil([&] { return size.isValid() || over; }, kVideoOpenLimit);
    probe.stop();
    return size.isValid() ? size : QSize();
}

void QtMediaDevice::videoPositionChanged(qint64 ms) {
    if (!videoPlaying_ || ms < toMs_ || toMs_ >= player_->duration()) return;
    videoPlaying_ = false;
    player_->pause();
    mode_ = MediaMode::Stopped;
    ended(NotifyValue::Successful);
}

QSize QtMediaDevice::videoSize() const { return player_ ? videoSize_ : QSize(); }

void QtMediaDevice::displayChanged() {
    if (player_) player_->setVideoOutput(display());
}

QtWaveRecorder::QtWaveRecorder(SoundOutput input, QObject* parent)
    : WaveRecorder(parent), silent_(input == SoundOutput::Silent) {}

QtWaveRecorder::~QtWaveRecorder() { Close(); }

int QtWaveRecorder::prepareInput(int* sampleRate, int* channels) {
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (silent_ || device.isNull()) return kRecNoInputDevice;
    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) format = device.preferredFormat();
    if (!format.isValid()) return kRecDeviceFailed;
    format_ = format;
    *sampleRate = format.sampleRate();
    *channels = format.channelCount();
    return kRecOk;
}

int QtWaveRecorder::startInput() {
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) return kRecNoInputDevice;
    source_ = std::make_unique<QAudioSource>(device, format_);
    sourceIo_ = source_->start();
    if (!sourceIo_ || source_->error() != QAudio::NoError) {
        source_.reset();
        sourceIo_ = nullptr;
        return kRecDeviceFailed;
    }
    connect(sourceIo_, &QIODevice::readyRead, this, &QtWaveRecorder::drain);
    return kRecOk;
}

int QtWaveRecorder::stopInput() {
    if (!source_) return kRecOk;
    drain();
    const bool failed = source_->error() != QAudio::NoError && source_->error() != QAudio::UnderrunError;
    source_->stop();
    source_.reset();
    sourceIo_ = nullptr;
    return failed ? kRecDeviceFailed : kRecOk;
}

void QtWaveRecorder::drain() {
    if (!sourceIo_) return;
    const QByteArray data = sourceIo_->readAll();
    const int bpf = format_.bytesPerFrame();
    const int64_t frames = bpf > 0 ? data.size() / bpf : 0;
    if (frames <= 0) return;
    if (format_.sampleFormat() == QAudioFormat::Int16) {
        std::vector<int16_t> samples(size_t(frames) * size_t(format_.channelCount()));
        std::memcpy(samples.data(), data.constData(), samples.size() * sizeof(int16_t));
        appendSamples(samples.data(), frames);
        return;
    }
    std::vector<float> samples(size_t(frames) * size_t(format_.channelCount()));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = format_.normalizedSampleValue(data.constData() + i * format_.bytesPerSample());
    appendFloat(samples.data(), frames);
}

}  // namespace vellora
