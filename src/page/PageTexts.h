#pragma once

#include <QString>

// The page window's and the page records' own texts, in one place.
namespace vellora::texts {

inline const QString kMaxWurdsBefore = QStringLiteral("Maximum text/page is 150 words. ");
inline const QString kMaxWurdsAfter = QStringLiteral(" is the 150th word. Edit Text?");
inline const QString kWurd = QStringLiteral("Wurd ");
inline const QString kWurdDoesNotExist = QStringLiteral(" does not exist!");
inline const QString kWurdRecordNumberZero = QStringLiteral(" has a record number of 0!");
inline const QString kWurdNotFound = QStringLiteral(" not found.");

// The question asked when the 150th word is made; `wurd` is its staged text.
inline QString MaxWurdsQuestion(const QString& wurd) {
    return kMaxWurdsBefore + QLatin1Char('"') + wurd + QLatin1Char('"') + kMaxWurdsAfter;
}
// Word `n` has no edit box.
inline QString WurdDoesNotExist(int n) { return kWurd + QString::number(n) + kWurdDoesNotExist; }
// Word `n` has no row number to load from.
inline QString WurdRecordNumberZero(int n) {
    return kWurd + QString::number(n) + kWurdRecordNumberZero;
}
// The row numbered `wurdRegNum` is missing when saving.
inline QString WurdNotFound(qint64 wurdRegNum) {
    return kWurd + QString::number(wurdRegNum) + kWurdNotFound;
}

// The page window's text files and pictures, and the page records.

inline const QString kUntitled = QStringLiteral(" [Untitled] ");
inline const QString kTextChanged = QStringLiteral(" has changed. Save file now?");
inline const QString kTextFilter = QStringLiteral("Text Files (*.txt)");
inline const QString kTextOpenCaption = QStringLiteral("Open Text File");
inline const QString kTextSaveCaption = QStringLiteral("Save Text File As");
inline const QString kLastOpenKey = QStringLiteral("LastOpen/FileName");
inline const QString kLastOpenDefault = QStringLiteral("*.TXT");
inline const QString kNotText = QStringLiteral("\"%1\" is not a text file (it holds binary data or is not UTF-8 text).");
inline const QString kTextTooLarge = QStringLiteral("\"%1\" is too large for a page's text (more than 1 MB).");
inline const QString kTextUnreadable = QStringLiteral("\"%1\" cannot be read: %2");
inline const QString kTextUnwritable = QStringLiteral("\"%1\" cannot be written: %2");
inline const QString kNotPicture = QStringLiteral("\"%1\" is not a picture Vellora can show.");

// The page video and the player's button bar.
inline const QString kVideoNotOpened = QStringLiteral("Could not open the video file");
inline const QString kBarPlay = QStringLiteral("Play");
inline const QString kBarPause = QStringLiteral("Pause");
inline const QString kBarStop = QStringLiteral("Stop");
inline const QString kBarNext = QStringLiteral("Next: to the end");
inline const QString kBarPrevious = QStringLiteral("Previous: to the start");
inline const QString kBarStep = QStringLiteral("Step: one second on");
inline const QString kBarBack = QStringLiteral("Back: one second back");

inline const QString kWurdTooLong =
    QStringLiteral("The word \"%1\" is longer than %2 characters, the most one word can hold. Edit the text "
                   "to shorten it or to break it with a blank.");

inline const QString kNewPageRegNumZero = QStringLiteral("NewPageRegNum is 0");
inline const QString kPageNotSaved = QStringLiteral("Page was not saved");
inline const QString kNewPageNotLoaded = QStringLiteral("New page was not loaded");
inline const QString kPageStoreFailed = QStringLiteral("The page could not be stored: %1");
inline QString WurdsMissing(int page, int counted, int found) {
    return QStringLiteral("Page %1 counts %2 words but only %3 were found; the page shows those.")
        .arg(page)
        .arg(counted)
        .arg(found);
}
inline const QString kPagesRepaired =
    QStringLiteral("This lesson records %1 pages but holds %2; it is shown with %2 pages.");

// The synchronisation window.
inline const QString kSynchroCaption = QStringLiteral("Leader [before 1st word starts]");
inline const QString kSynchroLeader = QStringLiteral("Leader (before 1st word)");
inline const QString kShorter = QStringLiteral("Shorter");
inline const QString kLonger = QStringLiteral("Longer");
inline const QString kFreeze = QStringLiteral("Freeze");
inline const QString kStart = QStringLiteral("Start");
inline const QString kEnd = QStringLiteral("End");
inline const QString kIncrement = QStringLiteral("Increment");
inline const QString kLongerHint = QStringLiteral("Longest increase in length of sound clip");
inline const QString kIncrementHint = QStringLiteral("Amount of each change");
inline const QString kSpeak = QStringLiteral("&Speak text");
inline const QString kSpeakHint =
    QStringLiteral("Make the page's narration from its words with a synthetic voice, every word in time");
inline const QString kVoice = QStringLiteral("Voice");
inline const QString kRate = QStringLiteral("Words/min");
inline const QString kSpeechVoiceKey = QStringLiteral("Speech/Voice");
inline const QString kSpeechRateKey = QStringLiteral("Speech/Rate");
inline const QString kAlign = QStringLiteral("&Align");
inline const QString kAlignHint = QStringLiteral("Find every word in the page's sound (frozen words stay)");
inline const QString kAlignCancel = QStringLiteral("Cancel");
inline const QString kReview = QStringLiteral("&Review");
inline const QString kReviewHint = QStringLiteral("Listen to the words Align was unsure of, one by one");
inline const QString kNoPageSound = QStringLiteral("The page has no sound to align: record or choose its narration first.");
inline QString AlignedWurd(int n, const QString& wurd, qint64 stopMs, double confidence) {
    return QStringLiteral("%1. %2   %3 ms   %4").arg(n).arg(wurd).arg(stopMs).arg(confidence, 0, 'f', 2);
}
inline const QString kNarrationNotMade = QStringLiteral("The narration could not be made: %1");

// Choosing and recording media.
inline const QString kSoundFilter = QStringLiteral("Sound files (*.WAV);;All files (*)");
inline const QString kMovieFilter = QStringLiteral("Movies (*.AVI);;All files (*)");
inline const QString kPictureFilter = QStringLiteral("Pictures (*.BMP);;All files (*)");
inline const QString kCouldNotDelete = QStringLiteral("Could not delete file ");
inline const QString kCantRecord = QStringLiteral("can't record sound");
inline const QString kCantStopRecording = QStringLiteral("Can't stop recording");
inline const QString kCantSaveFile = QStringLiteral("Can't save file");
inline const QString kSoundEmpty = QStringLiteral("\"%1\" holds no sound.");
inline const QString kMediaNotCopied = QStringLiteral("\"%1\" could not be copied into the lesson: %2");

}  // namespace vellora::texts
