#pragma once

#include <QString>

// The texts of printing and of printing a lesson to PDF, in one place.
namespace vellora::texts {

inline const QString kPrintingPage = QStringLiteral("Printing page ");
inline const QString kPrintingStopped = QStringLiteral("Printing stopped: %1 of %2 pages printed.");
inline const QString kCannotPrint = QStringLiteral("Cannot print to %1.");

// `vellora --print-pdf FILE LESSON`
inline const QString kNotALessonNumber = QStringLiteral("\"%1\" is not a lesson number");
inline const QString kLessonNotFoundNumber = QStringLiteral("Lesson Not Found: there is no lesson %1 in %2");
inline const QString kPdfLessonNotOpened = QStringLiteral("Lesson %1 could not be opened: %2");
inline const QString kNoLessonDatabase = QStringLiteral("there is no lesson database in %1: %2");
inline const QString kNoDataDirectory = QStringLiteral("there is no data directory %1");
inline const QString kCannotWritePdf = QStringLiteral("cannot write %1: %2");
inline const QString kPdfIsDirectory = QStringLiteral("%1 is a directory");

}  // namespace vellora::texts
