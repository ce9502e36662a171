#pragma once

#include <QString>

namespace vellora {

// Prefix + Number zero-padded so that prefix and digits together are 8
// characters, + Extension. Nothing is cut when the number is longer:
// FilePath("L", "123", ".WAV") = "L0000123.WAV", FilePath("", "123", "") =
// "00000123" (a lesson directory), FilePath("W", "12345678", ".WAV") =
// "W12345678.WAV".
QString FilePath(const QString& prefix, const QString& number, const QString& extension);
QString FilePath(const QString& prefix, qint64 number, const QString& extension);

// Media files of a lesson: a one-letter prefix per kind, the owning row's
// registration number, and the extension.
namespace media {
inline const QString kWav = QStringLiteral(".WAV");
inline const QString kBmp = QStringLiteral(".BMP");
inline const QString kLessonSound = QStringLiteral("L");    // VELLO002.LessonSoundFile
inline const QString kBackground = QStringLiteral("B");     // VELLO002.Background = 2
inline const QString kPicture = QStringLiteral("P");        // BPGQU002.Picture
inline const QString kVideo = QStringLiteral("V");          // BPGQU002.Video (always .WAV)
inline const QString kPageSound = QStringLiteral("T");      // BPGQU002.PageSoundFile
inline const QString kWurdSound = QStringLiteral("W");      // BKWRD002.WSoundFile
inline const QString kChoiceSound = QStringLiteral("C");    // BKCHO002.ChoiceSound
inline const QString kResponseSound = QStringLiteral("R");  // BKCHO002.ResponseSound
// Background value that says a background picture file exists.
inline constexpr qint64 kBackgroundPicture = 2;
}  // namespace media

// The directory of lesson `lesnRegNum` under the program's data root:
// ProgramDir/workspac/00000123.
QString LessonDirectory(const QString& programDir, qint64 lesnRegNum);
// The scratch directory an import unpacks into: ProgramDir/workspac/tempLESN.
QString ScratchDirectory(const QString& programDir);

}  // namespace vellora
