#include "SimulatedMedia.h"

#include "MediaTexts.h"

#include <QFileInfo>

#include <algorithm>

namespace vellora {

void SimulatedClock::advance(int64_t ms) {
    now_ += std::max<int64_t>(0, ms);
    emit advanced();
}

SimulatedMediaDevice::SimulatedMediaDevice(SimulatedClock& clock, QObject* parent)
    : MediaDevice(parent), clock_(clock) {
    connect(&clock_, &SimulatedClock::advanced, this, &SimulatedMediaDevice::checkEnd);
}

void SimulatedMediaDevice::simulateFile(const QString& path, int64_t lengthMs, QSize videoSize) {
    simulated_.insert(QFileInfo(path).absoluteFilePath(), {lengthMs, videoSize});
}

void SimulatedMediaDevice::failPlay() {
    if (!playing()) return;
    haltPlay(MediaMode::Stopped);
    ended(NotifyValue::Failure);
}

int64_t SimulatedMediaDevice::position() const {
    if (mode_ != MediaMode::Playing) return position_;
    return std::min(to_, from_ + (clock_.now() - startedAt_));
}

MediaMode SimulatedMediaDevice::mode() const { return mode_; }

bool SimulatedMediaDevice::openMedia() {
    const auto known = simulated_.constFind(QFileInfo(fileName()).absoluteFilePath());
    if (known != simulated_.constEnd()) {
        length_ = known->lengthMs;
        videoSize_ = known->videoSize;
    } else if (!QFileInfo(fileName()).isFile()) {
        setErrorText(texts::kMediaMissing.arg(fileName()));
        return false;
    } else if (deviceType() == DeviceType::Video) {
        setErrorText(texts::kNotVideo.arg(fileName(), QStringLiteral("not a simulated video")));
        return false;
    } else {
        QString error;
        const auto sound = readWave(fileName(), &error);
        if (!sound) {
            setErrorText(error);
            return false;
        }
        length_ = sound->lengthMs();
        videoSize_ = {};
    }
    position_ = 0;
    mode_ = MediaMode::Stopped;
    return true;
}

void SimulatedMediaDevice::closeMedia() {
    mode_ = MediaMode::NotReady;
    length_ = 0;
    position_ = 0;
    videoSize_ = {};
}

void SimulatedMediaDevice::startPlay(int64_t fromMs, int64_t toMs) {
    plays_.push_back({fileName(), fromMs, toMs});
    from_ = fromMs;
    to_ = toMs;
    position_ = fromMs;
    startedAt_ = clock_.now();
    mode_ = MediaMode::Playing;
    checkEnd();
}

void SimulatedMediaDevice::haltPlay(MediaMode after) {
    position_ = position();
    mode_ = after;
}

void SimulatedMediaDevice::waitForEnd() {
    if (playing()) clock_.advance(to_ - position());
}

void SimulatedMediaDevice::seekTo(int64_t ms) { position_ = ms; }

void SimulatedMediaDevice::checkEnd() {
    if (!playing() || mode_ != MediaMode::Playing || position() < to_) return;
    position_ = to_;
    mode_ = MediaMode::Stopped;
    ended(NotifyValue::Successful);
}

SimulatedRecorder::SimulatedRecorder(SimulatedClock& clock, QObject* parent)
    : WaveRecorder(parent), clock_(clock) {}

SimulatedRecorder::~SimulatedRecorder() { Close(); }

int SimulatedRecorder::prepareInput(int* sampleRate, int* channels) {
    *sampleRate = kSampleRate;
    *channels = 1;
    return failing(Step::Open);
}

int SimulatedRecorder::startInput() {
    startedAt_ = clock_.now();
    return failing(Step::Record);
}

int SimulatedRecorder::stopInput() {
    if (const int code = failing(Step::Stop)) return code;
    const int64_t frames = (clock_.now() - startedAt_) * kSampleRate / 1000;
    const std::vector<int16_t> silence(size_t(std::max<int64_t>(frames, 0)), 0);
    appendSamples(silence.data(), int64_t(silence.size()));
    return kRecOk;
}

}  // namespace vellora
