#pragma once

#include "WaveFile.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

namespace vellora {

// Error codes of the recorder's commands; 0 is success.
enum RecorderError : int {
    kRecOk = 0,
    kRecNoInputDevice = 1,
    kRecNotOpen = 2,
    kRecAlreadyOpen = 3,
    kRecNotRecording = 4,
    kRecStillRecording = 5,
    kRecDeviceFailed = 6,
    kRecCannotWrite = 7,
    kRecCannotSave = 8,
};

// The device layer's text for a recorder error code.
QString recorderErrorText(int code);

// Wave recording by direct commands, in this order: OpenNew (a new, unnamed
// recording), Record (returns at once), StopRecording, Save (to a named
// file), Close. Every command returns an error code (0 is success). The
// recording is kept in a temporary file until Save puts it in place whole.
class WaveRecorder : public QObject {
    Q_OBJECT
public:
    explicit WaveRecorder(QObject* parent = nullptr);
    ~WaveRecorder() override;

    int OpenNew(uint16_t* deviceId = nullptr);
    int Record();
    int StopRecording();
    int Save(const QString& fileName);
    // Always safe; drops an unsaved recording.
    int Close();
    QString errorText(int code) const { return recorderErrorText(code); }

    bool isOpen() const { return writer_ != nullptr; }
    bool recording() const { return recording_; }
    // Frames captured so far.
    int64_t framesRecorded() const { return writer_ ? writer_->framesWritten() : 0; }

protected:
    // The device side: sample rate and channels of what it will capture,
    // or an error code when there is no device.
    virtual int prepareInput(int* sampleRate, int* channels) = 0;
    virtual int startInput() = 0;
    // Stops capturing; everything captured has been written when it returns.
    virtual int stopInput() = 0;
    // The device hands captured 16-bit samples here.
    bool appendSamples(const int16_t* samples, int64_t frames);
    bool appendFloat(const float* samples, int64_t frames);

private:
    int fail(int code);

    std::unique_ptr<WaveWriter> writer_;
    QString tempPath_;
    bool recording_ = false;
    bool writeFailed_ = false;
    uint16_t nextId_ = 1;
};

}  // namespace vellora
