#pragma once

#include <QString>

// Messages, status texts and file names of export and import, in one place.
// A "\r" in a message is a line break.
namespace vellora::texts {

// Files of a package.
inline const QString kZipFileName = QStringLiteral("LESN.ZIP");
inline const QString kPieceFileName = QStringLiteral("lesn.lsn");
inline const QString kDiskIdFileName = QStringLiteral("DiskID");
// The export tables' database name, as the status line shows it.
inline const QString kExportDatabaseName = QStringLiteral("TempLESN");
inline const QString kWorkingDatabaseName = QStringLiteral("QUES002");

// Status string ids.
inline constexpr int kSelectImportString = 24;   // "Select the drive and directory from which to import the LESN."
inline constexpr int kZippingString = 27;        // "Zipping file \""
inline constexpr int kCopyingToDiskString = 28;  // "Copying files to disk "
inline constexpr int kReassemblingString = 29;   // "Reassembling files "
inline constexpr int kSelectExportString = 30;   // "Select an Export Drive and Directory"

// Export.
inline const QString kInsufficientDiskSpace = QStringLiteral("Insufficient disk space or disk not found");
inline const QString kLesnExported = QStringLiteral("LESN exported!");
inline const QString kErrorExporting = QStringLiteral("Error Exporting LESN");
inline const QString kDivideByZero = QStringLiteral("Divide by Zero Error");
inline const QString kInsufficientCapacity = QStringLiteral(
    "Insufficient disk capacity or bad disk. Insert new disk and click \"OK\" or click \"Cancel\"");
inline QString diskPrompt(int diskNumber, const QString& drive) {
    return QStringLiteral("Disk # ") + QString::number(diskNumber) + QStringLiteral("\r") +
           QStringLiteral("Place New Diskette Into Drive ") + drive + QStringLiteral(" Then Click On OK.");
}
inline const QString kSpanningPrefix = QStringLiteral("Spanning:");
inline const QString kSpanningFilePrefix = QStringLiteral("Spanning LESN.ZIP file,");
inline const QString kPercentDone = QStringLiteral("% done");
inline QString zippingLine(const QString& text) {
    return QStringLiteral("Zipping - \"") + text + QStringLiteral("\"");
}
inline const QString kPackageChanged =
    QStringLiteral("The lesson's files changed while they were being written onto the disks");
inline const QString kPackageTooLarge =
    QStringLiteral("The package is larger than 2 GB, more than its DiskID can describe");
inline const QString kLessonDirectoryIsDatabase =
    QStringLiteral("The lesson's directory is the working database's directory");

// The disk protocol.
inline const QString kLesnDisk = QStringLiteral("This is a LESN disk.\rPlace a formatted disk into drive.");
inline QString diskRequest(int diskNumber) {
    return QStringLiteral("Disk Request or Incorrect Disk\rInsert disk #") + QString::number(diskNumber) +
           QStringLiteral(" then click \"OK\".");
}
inline QString incorrectDisk(int diskNumber) {
    return QStringLiteral("Incorrect disk.\rInsert disk #") + QString::number(diskNumber) +
           QStringLiteral(" then click \"OK\".");
}
inline const QString kClickCancelToQuit = QStringLiteral("Click \"Cancel\" to quit export.");

// Import.
inline const QString kImportTitle = QStringLiteral("Import LESN Path");
inline const QString kImportFilter = QStringLiteral("Compressed LESN (*.LSN *.lsn);;All files (*)");
inline const QString kReassemblePrefix = QStringLiteral("Copying LESN.LSN File... ");
inline const QString kPercentDoneDot = QStringLiteral("% done.");
inline QString unzippingLine(const QString& text) {
    return QStringLiteral("Unzipping \"") + text + QStringLiteral("\"");
}
inline const QString kCouldNotCreateDirectory = QStringLiteral("Could not create Directory ");
inline const QString kCouldNotReassemble = QStringLiteral("Could not reassemble LESN file");
inline const QString kCouldNotRename = QStringLiteral("Could not rename directory");
inline const QString kLesnImported = QStringLiteral("LESN imported");
inline const QString kErrorImporting = QStringLiteral("Error Importing LESN");
inline QString notAPackageName(const QString& path) {
    return QStringLiteral("Not a LESN package (the file must be named lesn.lsn): ") + path;
}
inline const QString kPackageDamaged =
    QStringLiteral("The LESN file is damaged: it holds more bytes than its DiskID says");
inline const QString kPackageNoTables = QStringLiteral("The package holds no lesson tables");
inline const QString kPackageBadTables =
    QStringLiteral("The package's tables are damaged or are not lesson tables");
inline const QString kPackageNoLesson = QStringLiteral("The package holds no lesson");
inline QString packageEntryOutside(const QString& entry) {
    return QStringLiteral("The package holds an entry with a directory in its name, which is not unpacked: \"") +
           entry + QStringLiteral("\"");
}
inline QString packageTooLargeForDisk(quint64 needed, qint64 free) {
    return QStringLiteral("The package unpacks to %1 bytes, more than the disk has room for (%2 bytes free)")
        .arg(needed)
        .arg(free);
}
inline QString lessonDirectoryExists(const QString& path) {
    return QStringLiteral("the lesson directory %1 already exists").arg(path);
}

}  // namespace vellora::texts
