#pragma once

#include <QSaveFile>
#include <QString>
#include <memory>
#include <stdexcept>

#include "FileNames.h"
#include "UtilRoutines.h"

class QIODevice;

namespace vellora {

class Dialogs;
class StatusLine;

namespace texts {
inline const QString kCannotOpenFile = QStringLiteral("Cannot open file %1");
inline const QString kCannotCreateFile = QStringLiteral("Cannot create file %1");
inline const QString kCannotReadFile = QStringLiteral("Cannot read file %1: %2");
inline const QString kCannotWriteFile = QStringLiteral("Cannot write file %1: %2");
inline const QString kCannotFlush = QStringLiteral("Cannot make sure that %1 is written onto the disk");
inline const QString kDeleting = QStringLiteral("Deleting ");
inline const QString kCanNotDeleteDirectory = QStringLiteral(
    "Can not delete Directory: %1 Directory is probably locked by another application. Re-start "
    "Vellora and try "
    "again.");
}  // namespace texts

// The file error of the file routines: the message names the file.
class EFileError : public std::runtime_error {
  public:
    enum class Kind { Open, Create, Read, Write };
    EFileError(Kind kind, const QString& path, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), path_(path), message_(message) {}
    Kind kind() const { return kind_; }
    const QString& path() const { return path_; }
    const QString& message() const { return message_; }

  private:
    Kind kind_;
    QString path_;
    QString message_;
};

// The file-system calls behind the routines below. The program uses the real
// one; tests put in one that fails on purpose (a full disk, a file that cannot
// be read, a directory that cannot be removed).
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // `path` opened for reading (others may read it too); null when it cannot be.
    virtual std::unique_ptr<QIODevice> openForReading(const QString& path) const;
    // A file written whole: nothing replaces `path` until commit(). Null when
    // it cannot be created.
    virtual std::unique_ptr<QSaveFile> create(const QString& path) const;
    virtual bool removeFile(const QString& path) const;
    // Removes an empty directory.
    virtual bool removeDirectory(const QString& path) const;
    // One rename of the file system; never replaces an existing entry.
    virtual bool rename(const QString& from, const QString& to) const;
    // Waits until the file's bytes are on the disk (FlushFile).
    virtual bool flushFile(const QString& path) const;
    // Waits until the directory's entries (names made, renamed or removed in
    // it) are on the disk (FlushDirectory).
    virtual bool flushDirectory(const QString& path) const;

    static const FileSystem& real();
};

// fdatasync of the file at `path`; false when it cannot be opened or flushed.
bool FlushFile(const QString& path);
// fsync of the directory at `path`, which makes the renames in it last.
bool FlushDirectory(const QString& path);

// Copies Source over Destination. Destination is replaced only by a complete
// copy: when the copy fails, a file that was there stays as it was.
void CopyFyle(const QString& source, const QString& destination,
              const FileSystem& fs = FileSystem::real());

// Copies Source to Destination in blocks of 8192 bytes. With `intoDirectory`
// and Destination an existing directory, the copy goes into it under Source's
// file name. Raises EFileError: "Cannot open file <Source>", "Cannot create
// file <Destination>", or a read or write error (a full disk); the
// destination is then left as it was.
void CopyFileBlocks(const QString& source, const QString& destination, bool intoDirectory,
                    const FileSystem& fs = FileSystem::real());
inline constexpr qint64 kCopyBlockSize = 8192;

// Size of the file at `path`; -1 when there is no file there.
qint64 FileSize(const QString& path);

// File attributes as the attribute test takes them.
enum FileAttribute : unsigned {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faDirectory = 0x10,
};
// True when the entry at `path` has all of `attributes`; false when there is none.
bool HasAttributes(const QString& path, unsigned attributes);

// Deletes every entry matching the wildcard pattern of `wildcardPath`'s last
// part ("*", "?", "*.*" meaning every name; matched without regard to case),
// showing "Deleting " + its full path in the status line. Answers false if any
// deletion failed (a directory that matches is not deleted and counts as a
// failure), true otherwise, also when nothing matched.
bool DeleteFiles(const QString& wildcardPath, StatusLine& status,
                 const FileSystem& fs = FileSystem::real());

// Deletes `directory` with everything in it (entries in subdirectories too,
// never following links out of it). When it still exists afterwards the user
// is told it is probably locked, and the answer is false. A directory that
// does not exist answers true.
bool DeleteDirectory(const QString& directory, StatusLine& status, Dialogs& dialogs,
                     const FileSystem& fs = FileSystem::real());

// Moves Old to New in one rename. True when it was renamed and New exists;
// false on any error, including a New that was already there.
bool RenameDirectory(const QString& oldPath, const QString& newPath,
                     const FileSystem& fs = FileSystem::real());

}  // namespace vellora
