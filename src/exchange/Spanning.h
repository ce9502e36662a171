#pragma once

#include <QString>
#include <QStringList>
#include <random>
#include <stdexcept>

#include "CopyLesson.h"

namespace vellora {

class Dialogs;
class DiskDrive;
class StatusLine;
class TInfoZip;

// State of one export or import, reset at the start and end of each.
struct ExchangeState {
    qint32 PackageID = 0;
    qint64 PackageSize = 0;
    qint32 PackageFileCount = 0;
    bool SingleFileMode = false;
    int ZipLineCount = 0;
    // The one generator of package identifiers; tests seed it.
    std::mt19937 random{std::random_device{}()};
};

// A percentage of a package of no size.
class EDivByZero : public std::runtime_error {
public:
    EDivByZero() : std::runtime_error("division by zero") {}
};

// A package whose pieces do not agree with their DiskID.
class EPackageError : public std::runtime_error {
public:
    explicit EPackageError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// (total - remaining) * 100 div total; EDivByZero for a total of 0.
int PercentDone(qint64 total, qint64 remaining);

// Sum of the sizes of the non-empty files directly in `directory`; their
// number goes to PackageFileCount. -1 (and a count of 0) when the directory
// cannot be searched.
qint64 DirectorySize(const QString& directory, ExchangeState& state);

// The disk protocol: a file cut into pieces, one per disk with its DiskID,
// and joined again.
class DiskSpanner {
public:
    // Unit of copying pieces, and of the progress shown. Large, so that system
    // calls cost little; a disk's share is never more than its room.
    static constexpr qint64 kBlockSize = qint64(1) << 20;
    // Free space below this on a prepared disk asks for another disk.
    static constexpr qint64 kSmallestDisk = 2048;

    DiskSpanner(Dialogs& dialogs, StatusLine& status, DiskDrive& drive, ExchangeState& state);

    // Writes `source` onto as many disks as it takes. `target` is a directory
    // (the piece is "lesn.lsn" in it) or a file path. With `mayMoveSource` a
    // file that fits on the first disk is moved there rather than copied when
    // the file system allows. True when every byte was written; false when the
    // user gave up. File errors raise EFileError.
    bool SpanFile(const QString& source, const QString& target, bool mayMoveSource = false);

    // Zips straight onto the disks: the archive `zip` would write as its
    // NameOfZipFile is cut onto disks as SpanFile cuts a file, without ever
    // being written whole. Each disk is asked for when the one before is
    // full; the zip's progress lines come in between. True when every byte
    // was written; false when the user gave up. Raises what the zip raises,
    // and EFileError for the disks' file errors.
    bool SpanZip(TInfoZip& zip, const QString& target);

    // Asks for disk `diskNumber`, checks it, writes its DiskID and answers the
    // free space left on it, or -1 when the user gave up or the DiskID could
    // not be written (the user is told). `diskTarget` receives where the piece
    // goes.
    qint64 PrepareDisk(qint64 totalSize, const QString& target, qint32 packageId, int diskNumber,
                       QString* diskTarget = nullptr);

    // Checks the disk holding `target` until it is the one wanted or the user
    // cancels. "out": a disk that already has a DiskID is refused. "in": the
    // DiskID must name `expectedId` and `diskNumber` (disk 0 takes any, and
    // fills PackageID, PackageSize and PackageFileCount); without a DiskID the
    // file alone is the package (SingleFileMode). `diskPath` receives the
    // accepted file.
    bool CheckDisk(const QString& target, qint32 expectedId, int diskNumber, CopyDirection direction,
                   QString* diskPath = nullptr);

    struct Joined {
        bool copied = false;    // at least one piece was read
        bool complete = false;  // every byte of the package was read
        QString archive;        // the joined archive: `target`, or the first piece itself
        QStringList pieces;     // when read in place: every piece, in order
    };
    // Joins the pieces found at `source`, disk after disk, into `target`. With
    // `allowInPlace` nothing is copied where it need not be: a first piece that
    // holds the whole package is the archive, and where the drive keeps every
    // disk the pieces are only checked and listed in `pieces`, to be read
    // where they are. Raises EFileError for file errors and EPackageError
    // when the pieces hold more than their DiskID says.
    Joined Reassemble(const QString& source, const QString& target, bool allowInPlace);
    // True when at least one piece was joined into `target`.
    bool ReassembleFile(const QString& source, const QString& target);

    // The last disk message the user was shown, or empty.
    const QString& lastProblem() const { return lastProblem_; }

private:
    class DiskOutput;

    bool askAgain(const QString& message);
    // "lesn.lsn" in `target` when it is a directory, else `target`.
    static QString pieceTarget(const QString& target);
    // A fresh PackageID for this export.
    void choosePackageId();
    // PrepareDisk until the disk has room enough; its free space, or -1 when
    // the user gave up.
    qint64 usableDisk(const QString& target, int diskNumber, QString* diskTarget);
    // Progress of the bytes written onto disks.
    void showSpanned(qint64 remaining);

    Dialogs& dialogs_;
    StatusLine& status_;
    DiskDrive& drive_;
    ExchangeState& state_;
    QString lastProblem_;
};

}  // namespace vellora
