#pragma once

#include <QString>

namespace vellora {

// Where the disks of a package are and how much room they have. The program
// writes and reads every disk at the one place the user chose and the user
// swaps disks between prompts; tests and the command-line tool give each disk
// its own place and a capacity.
class DiskDrive {
public:
    virtual ~DiskDrive() = default;

    // Where disk `diskNumber` is, once the user has put it in, for a package
    // file at `path` ("lesn.lsn" on the chosen drive). The program answers
    // `path` itself.
    virtual QString diskPath(const QString& path, int diskNumber);

    // Free bytes on the disk that holds `path` (a file or a directory, which
    // need not exist yet); -1 when there is no such disk or it cannot be read.
    virtual qint64 freeSpace(const QString& path);

    // True when every disk stays readable at its own place (diskPath) after
    // the next one is put in, as directories standing for disks do; then the
    // pieces of a package can be read where they are instead of being joined
    // into one file first. The program's drive has one place for all disks.
    virtual bool keepsEveryDisk() const { return false; }

    // The drive as the disk prompt names it: a drive letter where paths have
    // one, else the mount point holding `path`.
    virtual QString driveName(const QString& path);
};

}  // namespace vellora
