#pragma once

#include <QString>

// The media layer's own texts, in one place.
namespace vellora::texts {

inline const QString kNoSoundDevice = QStringLiteral("No sound device was found: sounds play silently.");
inline const QString kSoundDeviceFailed =
    QStringLiteral("The sound device stopped working: sounds play silently.");

inline const QString kMediaMissing = QStringLiteral("\"%1\" does not exist.");
inline const QString kMediaUnreadable = QStringLiteral("\"%1\" cannot be read: %2");
inline const QString kNotSound = QStringLiteral("\"%1\" is not a sound Vellora can play: %2");
inline const QString kSoundShape =
    QStringLiteral("\"%1\" has %2 channels at %3 Hz; Vellora plays mono or stereo sound at 4000 to 192000 Hz.");
inline const QString kSoundTooLong = QStringLiteral("\"%1\" is longer than %2 minutes.");
inline const QString kNotVideo = QStringLiteral("\"%1\" is not a video Vellora can play: %2");
inline const QString kVideoTimedOut = QStringLiteral("\"%1\" did not open in time.");
inline const QString kNothingOpen = QStringLiteral("No media file is open.");

// Recorder error texts, by code.
inline const QString kRecNoInput = QStringLiteral("No sound input device was found: nothing can be recorded.");
inline const QString kRecNotOpen = QStringLiteral("The recording device is not open.");
inline const QString kRecAlreadyOpen = QStringLiteral("The recording device is already open.");
inline const QString kRecNotRecording = QStringLiteral("The recording device is not recording.");
inline const QString kRecStillRecording = QStringLiteral("The recording must be stopped before it is saved.");
inline const QString kRecDeviceFailed = QStringLiteral("The sound input device reported an error.");
inline const QString kRecCannotWrite = QStringLiteral("The recording could not be written to a temporary file.");
inline const QString kRecCannotSave = QStringLiteral("The recording could not be saved to the named file.");
inline const QString kRecUnknown = QStringLiteral("Unknown recording error %1.");

// Speech synthesis.
inline const QString kSpeechNoEngine = QStringLiteral("The speech synthesiser (espeak-ng) could not start.");
inline const QString kSpeechNoVoice = QStringLiteral("The voice \"%1\" does not exist.");
inline const QString kSpeechFailed = QStringLiteral("The speech synthesiser failed.");
inline const QString kNotTextFile = QStringLiteral("\"%1\" is not a text file (binary data, not UTF-8, or over 1 MB).");
inline const QString kNoWordsToSpeak = QStringLiteral("\"%1\" holds no words to speak.");
inline const QString kAlignTooShort =
    QStringLiteral("The sound is %1 ms long: too short to hold %2 words. Choose or record the page's narration.");
inline const QString kAlignSilent = QStringLiteral("The sound is silent: there are no words to find in it.");
inline const QString kAlignCancelled = QStringLiteral("Aligning was cancelled; nothing was changed.");
inline const QString kMediaUnwritable = QStringLiteral("\"%1\" cannot be written: %2");

}  // namespace vellora::texts
