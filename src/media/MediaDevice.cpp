#include "MediaDevice.h"

#include "MediaTexts.h"

#include <algorithm>

namespace vellora {

MediaDevice::MediaDevice(QObject* parent) : QObject(parent) {
    qRegisterMetaType<vellora::NotifyValue>();
}

MediaDevice::~MediaDevice() = default;

bool MediaDevice::Open() {
    Close();
    error_.clear();
    open_ = openMedia();
    return open_;
}

void MediaDevice::Close() {
    if (playing_) finishRunning(NotifyValue::Aborted, MediaMode::Stopped);
    if (open_) closeMedia();
    open_ = false;
}

bool MediaDevice::Play() {
    const auto from = std::exchange(from_, std::nullopt);
    const auto to = std::exchange(to_, std::nullopt);
    const bool wait = std::exchange(wait_, false);
    if (!open_) {
        error_ = texts::kNothingOpen;
        return false;
    }
    if (playing_) finishRunning(NotifyValue::Superseded, MediaMode::Stopped);
    const int64_t len = length();
    int64_t start = from ? std::clamp<int64_t>(*from, 0, len) : position();
    if (!from && autoRewind_ && start >= len) start = 0;
    const int64_t end = std::max(start, to ? std::clamp<int64_t>(*to, 0, len) : len);
    playing_ = true;
    startPlay(start, end);
    if (wait && playing_) waitForEnd();
    return true;
}

void MediaDevice::Stop() {
    if (playing_) finishRunning(NotifyValue::Aborted, MediaMode::Stopped);
}

void MediaDevice::Pause() {
    if (playing_) finishRunning(NotifyValue::Aborted, MediaMode::Paused);
}

void MediaDevice::Seek(int64_t ms) {
    if (!open_) return;
    const int64_t target = std::clamp<int64_t>(ms, 0, std::max<int64_t>(0, length()));
    if (playing_) {
        from_ = target;
        Play();
        return;
    }
    seekTo(target);
}

void MediaDevice::setDisplay(QObject* output) {
    display_ = output;
    displayChanged();
}

QRect MediaDevice::displayRect() const {
    if (displayRect_.width() > 0 && displayRect_.height() > 0) return displayRect_;
    return QRect(displayRect_.topLeft(), videoSize());
}

void MediaDevice::ended(NotifyValue value) {
    if (!playing_) return;
    playing_ = false;
    if (notify_) emit notify(value);
}

void MediaDevice::sayOnce(const QString& text) {
    if (said_) return;
    said_ = true;
    emit deviceMessage(text);
}

void MediaDevice::finishRunning(NotifyValue value, MediaMode after) {
    playing_ = false;
    haltPlay(after);
    if (notify_) emit notify(value);
}

}  // namespace vellora
