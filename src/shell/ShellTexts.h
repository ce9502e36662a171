#pragma once

#include <QString>

// The shell's own texts, in one place.
namespace vellora::texts {

inline const QString kApplicationTitle = QStringLiteral("Vellora (Beta 0.80)");
inline const QString kExitVellora = QStringLiteral("Exit Vellora?");
inline const QString kNotSaved = QStringLiteral("All data was not successfully saved. Exit Vellora now?");

inline const QString kPageLabel = QStringLiteral("Page:");
inline const QString kPageSeparator = QStringLiteral("/");
inline const QString kDomainLabel = QStringLiteral("Domain:");
inline const QString kBack = QStringLiteral("&Back");
inline const QString kNext = QStringLiteral("&Next");

inline const QString kHintPage = QStringLiteral("Current page number");
inline const QString kHintPages = QStringLiteral("Total number of pages in the LESN");
inline const QString kHintFont = QStringLiteral("Current font");
inline const QString kHintFontSize = QStringLiteral("Current font size");
inline const QString kHintDomain = QStringLiteral("The part of the LESN you are currently making");
inline const QString kHintBack = QStringLiteral("Return to previous screen");
inline const QString kHintNext = QStringLiteral("Advance to next screen");

inline const QString kBackgroundPlain = QStringLiteral("Plain");
inline const QString kBackgroundGradient = QStringLiteral("Gradient");
inline const QString kBackgroundWallpaper = QStringLiteral("Wallpaper");

inline const QString kStartupFailed = QStringLiteral("Vellora cannot start: %1");
inline const QString kSharedFileNotWritten =
    QStringLiteral("\"%1\" could not be written: %2. Vellora goes on without it.");

// The sample lesson.
inline const QString kSampleButton = QStringLiteral("Open the sample lesson");
inline const QString kSampleHint = QStringLiteral("A short talking book made with Vellora: listen, read and answer.");
inline const QString kSampleNotMade = QStringLiteral("The sample lesson could not be made: %1");
inline const QString kSampleMissing = QStringLiteral("its files are missing from this copy of Vellora.");

}  // namespace vellora::texts
