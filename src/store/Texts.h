#pragma once

#include <QString>

// The store's own messages, in one place.
namespace vellora::texts {

inline const QString kInvalidDatabase = QStringLiteral("Invalid Database");
inline const QString kDatabaseNotFound = QStringLiteral(
    "Database not found.  Yes = Create new database.  No = Enter new location for database");
inline const QString kCodeNotDone = QStringLiteral("Code not done.  Update alias");
inline const QString kCannotCreateDirectory = QStringLiteral("Cannot create directory");

// Lesson copy.
inline const QString kSrcLesnRegNumMissing = QStringLiteral("SrcLesnRegNum does not exist");
inline const QString kCopyPage = QStringLiteral("Page %1");
inline const QString kCopyPageChoice = QStringLiteral("Page %1, Choice %2");
inline const QString kCopyPageWord = QStringLiteral("Page %1, Word %2");
inline const QString kCopyingPrefix = QStringLiteral("Copying");
inline const QString kCopyNeedsStoreKeys =
    QStringLiteral("Cannot copy a lesson into %1: its tables do not assign registration numbers");
inline const QString kCopyNeedsCallerKeys =
    QStringLiteral("Cannot export a lesson into %1: its tables assign their own registration numbers");
inline const QString kCannotRenameMedia = QStringLiteral("Cannot rename the media file %1 to %2");
inline const QString kCannotStageMedia = QStringLiteral("Cannot make a working directory in %1");


// A new lesson's number whose directory was already there.
inline const QString kSkippedLessonFolders = QStringLiteral(
    "A Lesn folder that no Lesn uses was found and left as it was:\r%1\rThe new Lesn takes the next free number.");

}  // namespace vellora::texts
