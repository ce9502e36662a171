#include "WaveRecorder.h"

#include "MediaTexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace vellora {

QString recorderErrorText(int code) {
    switch (code) {
        case kRecOk: return {};
        case kRecNoInputDevice: return texts::kRecNoInput;
        case kRecNotOpen: return texts::kRecNotOpen;
        case kRecAlreadyOpen: return texts::kRecAlreadyOpen;
        case kRecNotRecording: return texts::kRecNotRecording;
        case kRecStillRecording: return texts::kRecStillRecording;
        case kRecDeviceFailed: return texts::kRecDeviceFailed;
        case kRecCannotWrite: return texts::kRecCannotWrite;
        case kRecCannotSave: return texts::kRecCannotSave;
    }
    return texts::kRecUnknown.arg(code);
}

WaveRecorder::WaveRecorder(QObject* parent) : QObject(parent) {}

WaveRecorder::~WaveRecorder() {
    // A subclass stops its input in its own destructor; here only the file goes.
    writer_.reset();
    if (!tempPath_.isEmpty()) QFile::remove(tempPath_);
}

int WaveRecorder::OpenNew(uint16_t* deviceId) {
    if (writer_) return kRecAlreadyOpen;
    int rate = 0;
    int channels = 0;
    if (const int code = prepareInput(&rate, &channels)) return code;
    {
        QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/vellora-recording-XXXXXX.wav"));
        temp.setAutoRemove(false);
        if (!temp.open()) return kRecCannotWrite;
        tempPath_ = temp.fileName();
    }
    auto writer = std::make_unique<WaveWriter>();
    if (!writer->open(tempPath_, rate, channels)) return fail(kRecCannotWrite);
    writer_ = std::move(writer);
    writeFailed_ = false;
    if (deviceId) *deviceId = nextId_++;
    return kRecOk;
}

int WaveRecorder::Record() {
    if (!writer_) return kRecNotOpen;
    if (recording_) return kRecOk;
    if (const int code = startInput()) return code;
    recording_ = true;
    return kRecOk;
}

int WaveRecorder::StopRecording() {
    if (!writer_) return kRecNotOpen;
    if (!recording_) return kRecNotRecording;
    const int code = stopInput();
    recording_ = false;
    if (code) return code;
    return writeFailed_ ? kRecCannotWrite : kRecOk;
}

int WaveRecorder::Save(const QString& fileName) {
    if (!writer_) return kRecNotOpen;
    if (recording_) return kRecStillRecording;
    if (writeFailed_ || !writer_->close()) return kRecCannotWrite;
    QString why;
    return saveFileDurably(tempPath_, fileName, &why) ? kRecOk : kRecCannotSave;
}

int WaveRecorder::Close() {
    if (recording_) {
        stopInput();
        recording_ = false;
    }
    writer_.reset();
    if (!tempPath_.isEmpty()) QFile::remove(tempPath_);
    tempPath_.clear();
    return kRecOk;
}

bool WaveRecorder::appendSamples(const int16_t* samples, int64_t frames) {
    if (!writer_ || !recording_ || writeFailed_) return false;
    if (!writer_->write(samples, frames)) writeFailed_ = true;
    return !writeFailed_;
}

bool WaveRecorder::appendFloat(const float* samples, int64_t frames) {
    if (!writer_ || !recording_ || writeFailed_) return false;
    if (!writer_->writeFloat(samples, frames)) writeFailed_ = true;
    return !writeFailed_;
}

int WaveRecorder::fail(int code) {
    writer_.reset();
    if (!tempPath_.isEmpty()) QFile::remove(tempPath_);
    tempPath_.clear();
    return code;
}

}  // namespace vellora
