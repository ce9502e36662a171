#pragma once

#include <QString>

// Messages of the zip components, in one place.
namespace vellora::texts {

inline const QString kDateNotSupported = QStringLiteral("Date not supported yet");
inline const QString kLevelOutOfRange = QStringLiteral("Level out of range.  Valid Range: (0-9)");

// Options that the components accept by name but do not carry out refuse to run
// rather than being ignored: "<option> not supported yet".
inline QString optionNotSupported(const QString& option) {
    return option + QStringLiteral(" not supported yet");
}

inline const QString kZipBusy = QStringLiteral("Another zip or unzip operation is still running");
inline const QString kNoZipFileName = QStringLiteral("No name was given for the zip archive");
inline const QString kNothingToZip =
    QStringLiteral("Nothing to zip: no file matches the file list");

inline QString zipFileNotFound(const QString& path) {
    return QStringLiteral("File not found: %1").arg(path);
}
inline QString zipDuplicateName(const QString& name) {
    return QStringLiteral("Two files would have the same name in the archive: %1").arg(name);
}
inline const QString kZipGrewTooLarge =
    QStringLiteral("the files grew past the 4 GB an archive can hold while they were zipped");
inline QString zipFileChanged(const QString& path) {
    return QStringLiteral("%1 changed while it was being zipped").arg(path);
}
inline const QString kZipOutputStoredOnly =
    QStringLiteral("only a new archive of stored files (Level 0, no Grow) can be written onto disks");
inline QString zipCannotWrite(const QString& archive, const QString& reason) {
    return QStringLiteral("Could not write the archive %1: %2").arg(archive, reason);
}

inline QString unzipDestMissing(const QString& dest) {
    return QStringLiteral("Directory not found: %1").arg(dest);
}
inline QString unzipNotAZip(const QString& archive) {
    return QStringLiteral("Not a zip archive, or an incomplete one: %1").arg(archive);
}
inline QString unzipDamaged(const QString& archive) {
    return QStringLiteral("The archive is damaged or incomplete: %1").arg(archive);
}
inline QString unzipCannotOpen(const QString& archive, const QString& reason) {
    return QStringLiteral("Cannot open the archive %1: %2").arg(archive, reason);
}
inline QString unzipUnsafeName(const QString& entry) {
    return QStringLiteral("The archive holds an entry with an unusable name: \"%1\"").arg(entry);
}
inline QString unzipLinkEntry(const QString& entry) {
    return QStringLiteral(
               "The archive holds a link or special file, which is not extracted: \"%1\"")
        .arg(entry);
}
inline QString unzipEncrypted(const QString& entry) {
    return QStringLiteral("The archive entry \"%1\" is encrypted").arg(entry);
}
inline QString unzipUnsupportedMethod(const QString& entry) {
    return QStringLiteral("The archive entry \"%1\" uses an unsupported compression method")
        .arg(entry);
}
inline QString unzipDuplicateName(const QString& name) {
    return QStringLiteral("The archive holds two entries named \"%1\"").arg(name);
}
inline QString unzipEntryDamaged(const QString& entry, const QString& reason) {
    return QStringLiteral("The archive entry \"%1\" is damaged (%2)").arg(entry, reason);
}
inline QString unzipCannotWrite(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}
inline QString unzipIsDirectory(const QString& path) {
    return QStringLiteral("Cannot extract over the directory %1").arg(path);
}

}  // namespace vellora::texts
