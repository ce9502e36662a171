#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace vellora {

enum class DeviceType { WaveAudio, Video };
enum class TimeFormat { Milliseconds };
enum class MediaMode { NotReady, Stopped, Playing, Recording, Seeking, Paused, Open };
// How a play ended, as its completion notice tells.
enum class NotifyValue { Successful, Superseded, Aborted, Failure };

// The bar of play, pause, stop, next, previous, step and back buttons shown
// with an author-controlled video.
inline constexpr QSize kButtonBarSize{197, 23};

// A media player: one file open at a time, positions in milliseconds from the
// start of the file. The bookkeeping every player shares lives here (the
// options of the next play, auto-rewind, notices); a device supplies the
// sound or picture behind it.
//
// From, To and Wait apply to the next Play only and are cleared by it, so a
// stretch set for one play never clips the next. Notify stays as set: when on,
// every play that ends sends `notify` with how it ended (ended by itself:
// Successful; replaced by another Play: Superseded; Stop, Pause or Close:
// Aborted; the device failed: Failure).
class MediaDevice : public QObject {
    Q_OBJECT
public:
    explicit MediaDevice(QObject* parent = nullptr);
    ~MediaDevice() override;

    void setDeviceType(DeviceType type) { deviceType_ = type; }
    DeviceType deviceType() const { return deviceType_; }
    void setFileName(const QString& name) { fileName_ = name; }
    QString fileName() const { return fileName_; }
    // Positions are always milliseconds; kept so that callers can say so.
    void setTimeFormat(TimeFormat format) { timeFormat_ = format; }
    TimeFormat timeFormat() const { return timeFormat_; }

    // Opens fileName() as deviceType() (a video whatever its extension),
    // closing what was open. False, with errorText(), for a missing or
    // unreadable file.
    bool Open();
    // Always safe, also when nothing is open.
    void Close();
    bool isOpen() const { return open_; }
    QString errorText() const { return error_; }

    virtual int64_t length() const = 0;
    virtual int64_t position() const = 0;
    virtual MediaMode mode() const = 0;

    void setFrom(int64_t ms) { from_ = ms; }
    void setTo(int64_t ms) { to_ = ms; }
    void setWait(bool wait) { wait_ = wait; }
    void setNotify(bool notify) { notify_ = notify; }
    bool notifyOn() const { return notify_; }
    // A play that would start at the end of the file starts at its beginning.
    void setAutoRewind(bool rewind) { autoRewind_ = rewind; }
    bool autoRewind() const { return autoRewind_; }

    // Plays from From (else the current position) to To (else the end). With
    // Wait it returns when the play has ended. False when nothing is open.
    bool Play();
    // Stops at once; the position stays where the sound stopped.
    void Stop();
    // Stops with mode Paused; the next Play goes on from here.
    void Pause();
    // Moves to `ms`, kept within the file. A running play goes on from there
    // (the play it replaces ends superseded); otherwise the mode stays and
    // the next Play starts there.
    void Seek(int64_t ms);

    // Where a video draws: a QVideoSink, or any object QMediaPlayer takes as
    // a video output (the page window hands in its video widget).
    void setDisplay(QObject* output);
    QObject* display() const { return display_; }
    // A zero-sized rectangle reads back as the video's own size at its origin.
    void setDisplayRect(const QRect& rect) { displayRect_ = rect; }
    QRect displayRect() const;
    void setButtonBarVisible(bool visible) { buttonBar_ = visible; }
    bool buttonBarVisible() const { return buttonBar_; }

signals:
    void notify(vellora::NotifyValue value);
    // Said once per player, for the status line (no sound device was found).
    void deviceMessage(const QString& text);

protected:
    // Opens fileName(); on failure returns false and sets the error text.
    virtual bool openMedia() = 0;
    virtual void closeMedia() = 0;
    // Starts playing [fromMs, toMs]; the device calls ended() when it stops.
    virtual void startPlay(int64_t fromMs, int64_t toMs) = 0;
    // Halts the running play where it is (no notice; the caller sends it).
    virtual void haltPlay(MediaMode after) = 0;
    // Returns when the running play has ended.
    virtual void waitForEnd() = 0;
    // Moves the position while nothing plays.
    virtual void seekTo(int64_t ms) = 0;
    virtual QSize videoSize() const { return {}; }
    virtual void displayChanged() {}

    bool playing() const { return playing_; }
    void setErrorText(const QString& text) { error_ = text; }
    // The device reports the end of the running play.
    void ended(NotifyValue value);
    // Says `text` through deviceMessage the first time only.
    void sayOnce(const QString& text);

private:
    void finishRunning(NotifyValue value, MediaMode after);

    DeviceType deviceType_ = DeviceType::WaveAudio;
    TimeFormat timeFormat_ = TimeFormat::Milliseconds;
    QString fileName_;
    QString error_;
    bool open_ = false;
    bool playing_ = false;
    std::optional<int64_t> from_;
    std::optional<int64_t> to_;
    bool wait_ = false;
    bool notify_ = false;
    bool autoRewind_ = true;
    QPointer<QObject> display_;
    QRect displayRect_;
    bool buttonBar_ = false;
    bool said_ = false;
};

}  // namespace vellora

Q_DECLARE_METATYPE(vellora::NotifyValue)
