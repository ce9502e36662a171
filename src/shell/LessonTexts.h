#pragma once

#include <QString>

// The lesson lifecycle's own texts, in one place.
namespace vellora::texts {

inline const QString kOpenLessonCaption = QStringLiteral("Open A Lesn");
inline const QString kPagesLabel = QStringLiteral("Pages");
inline const QString kAuthorLabel = QStringLiteral("Author");
inline const QString kLessonNotFoundCaption = QStringLiteral("Lesson Not Found");
inline const QString kTheLesson = QStringLiteral("The  Lesson:");
inline const QString kNotFoundAtPath = QStringLiteral("Was Not Found at Path:");
inline const QString kDeleteLessonCaption = QStringLiteral("Delete A Lesson");
inline const QString kAboutToDelete = QStringLiteral("About To Delete Lesson:");
inline const QString kDeleteLine1 = QStringLiteral("If you wish to delete the lesson above from your system,");
inline const QString kDeleteLine2 = QStringLiteral("click the [OK] button");
inline const QString kDeleteLine3 = QStringLiteral("If you do not wish to delete the lesson from the system,");
inline const QString kDeleteLine4 = QStringLiteral("click the [Cancel] button.");

// "Vellora version is 12 and Lesson is version 11" CR "Lesn may not run ..."
inline const QString kVersionQuestion = QStringLiteral(
    "Vellora version is %1 and Lesson is version %2\rLesn may not run normally or at all.\rTry to run anyway?");
inline const QString kWordsNotDeleted = QStringLiteral("Words from Page %1 not deleted from database");
inline const QString kRequestedMediaDomain = QStringLiteral("Requested media domain is %1");
inline const QString kMediaFileNotMade = QStringLiteral("Media file not made for %1, %2");
inline const QString kCreateNewLesn = QStringLiteral("No Lesn found. Create New Lesn?");
inline const QString kNoLesnFound = QStringLiteral("No Lesn found. Click on \"File\" to OPEN or start a NEW Lesn.");

// Failures the user is told about in plain words.
inline const QString kLessonDirectoryNotMade =
    QStringLiteral("The directory of the new Lesn could not be made:\r%1\rNo Lesn was created.");
inline const QString kLessonNotCreated = QStringLiteral("The new Lesn could not be created:\r%1");
inline const QString kLessonNotSaved = QStringLiteral("The Lesn could not be saved:\r%1");
inline const QString kLessonNotOpened = QStringLiteral("The Lesn could not be opened:\r%1");
inline const QString kDirectoryNotRemoved = QStringLiteral(
    "The Lesn directory could not be removed:\r%1\rIt still holds files or folders that could not be deleted. "
    "The Lesn was not deleted.");
inline const QString kLessonRowsNotDeleted =
    QStringLiteral("The Lesn's records could not be deleted:\r%1\rIts records were kept unchanged.");

}  // namespace vellora::texts
