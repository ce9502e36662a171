#include "FileUtils.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "Dialogs.h"
#include "StatusLine.h"
#include "Wildcard.h"

namespace vellora {
namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool entryExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Every entry of `dir`, hidden and system ones included, but never "." and "..".
QFileInfoList entriesOf(const QDir& dir) {
    return dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDir::Name);
}

bool removeTree(const QString& directory, StatusLine& status, const FileSystem& fs) {
    bool ok = true;
    for (const QFileInfo& entry : entriesOf(QDir(directory))) {
        const QString path = entry.absoluteFilePath();
        // A link is removed itself; what it points to is never touched.
        if (entry.isDir() && !entry.isSymLink()) {
            if (!removeTree(path, status, fs)) ok = false;
        } else {
            status.setStatusText(texts::kDeleting + shown(path));
            if (!fs.removeFile(path)) ok = false;
        }
    }
    return fs.removeDirectory(directory) && ok;
}

}  // namespace

// ------------------------------------------------------------- FileSystem

std::unique_ptr<QIODevice> FileSystem::openForReading(const QString& path) const {
    if (QFileInfo(path).isDir()) return nullptr;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) return nullptr;
    return file;
}

std::unique_ptr<QSaveFile> FileSystem::create(const QString& path) const {
    if (QFileInfo(path).isDir()) return nullptr;
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly)) return nullptr;
    return file;
}

bool FileSystem::removeFile(const QString& path) const {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) return false;
    return QFile::remove(path);
}

bool FileSystem::removeDirectory(const QString& path) const {
    return QDir().rmdir(path);
}

bool FileSystem::rename(const QString& from, const QString& to) const {
    if (entryExists(to)) return false;
    return QDir().rename(from, to);
}

bool FileSystem::flushFile(const QString& path) const {
    return FlushFile(path);
}

bool FileSystem::flushDirectory(const QString& path) const {
    return FlushDirectory(path);
}

const FileSystem& FileSystem::real() {
    static const FileSystem fs;
    return fs;
}

// ---------------------------------------------------------------- flushing

namespace {

bool flushOpened(const QString& path, int flags, int (*flush)(int)) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | flags);
    if (fd < 0) return false;
    int rc;
    do {
        rc = flush(fd);
    } while (rc != 0 && errno == EINTR);
    ::close(fd);
    return rc == 0;
}

}  // namespace

bool FlushFile(const QString& path) {
    return flushOpened(path, 0, ::fdatasync);
}

bool FlushDirectory(const QString& path) {
    return flushOpened(path, O_DIRECTORY, ::fsync);
}

// ------------------------------------------------------------------ copies

void CopyFyle(const QString& source, const QString& destination, const FileSystem& fs) {
    // The destination is replaced whole once the copy is complete, rather than
    // deleted first: a failed copy (or a file copied onto itself) then loses
    // nothing.
    CopyFileBlocks(source, destination, false, fs);
}

void CopyFileBlocks(const QString& source, const QString& destination, bool intoDirectory,
                    const FileSystem& fs) {
    QString target = QFileInfo(destination).absoluteFilePath();
    if (intoDirectory && QFileInfo(target).isDir())
        target = QDir(target).filePath(QFileInfo(source).fileName());

    const std::unique_ptr<QIODevice> in = fs.openForReading(source);
    if (!in)
        throw EFileError(EFileError::Kind::Open, source, texts::kCannotOpenFile.arg(shown(source)));
    const std::unique_ptr<QSaveFile> out = fs.create(target);
    if (!out)
        throw EFileError(EFileError::Kind::Create, target,
                         texts::kCannotCreateFile.arg(shown(target)));

    char buffer[kCopyBlockSize];
    for (;;) {
        const qint64 count = in->read(buffer, kCopyBlockSize);
        if (count < 0) {
            out->cancelWriting();
            throw EFileError(EFileError::Kind::Read, source,
                             texts::kCannotReadFile.arg(shown(source), in->errorString()));
        }
        // A short block is the last one, unless the device merely had no more
        // ready; reading on until nothing comes costs one call at the end.
        if (count == 0) break;
        if (out->write(buffer, count) != count) {
            const QString why = out->errorString();
            out->cancelWriting();
            throw EFileError(EFileError::Kind::Write, target,
                             texts::kCannotWriteFile.arg(shown(target), why));
        }
    }
    // Buffered bytes reach the disk here, so a full disk may only show now.
    if (!out->commit())
        throw EFileError(EFileError::Kind::Write, target,
                         texts::kCannotWriteFile.arg(shown(target), out->errorString()));
}

// ---------------------------------------------------------- file queries

qint64 FileSize(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) return -1;
    return info.size();
}

bool HasAttributes(const QString& path, unsigned attributes) {
    const QFileInfo info(path);
    if (!info.exists()) return false;
    unsigned have = 0;
    if (info.isDir()) have |= faDirectory;
    if (info.isHidden()) have |= faHidden;
    if (!info.isWritable()) have |= faReadOnly;
    return (have & attributes) == attributes;
}

// --------------------------------------------------------------- deletion

bool DeleteFiles(const QString& wildcardPath, StatusLine& status, const FileSystem& fs) {
    const QFileInfo where(wildcardPath);
    const QString pattern = where.fileName();
    const QDir dir = where.dir();
    if (pattern.isEmpty() || !dir.exists()) return true;
    bool ok = true;
    for (const QFileInfo& entry : entriesOf(dir)) {
        if (!WildcardMatch(pattern, entry.fileName())) continue;
        const QString path = entry.absoluteFilePath();
        status.setStatusText(texts::kDeleting + shown(path));
        if (!fs.removeFile(path)) ok = false;
    }
    return ok;
}

bool DeleteDirectory(const QString& directory, StatusLine& status, Dialogs& dialogs,
                     const FileSystem& fs) {
    const QFileInfo info(directory);
    if (info.isDir() && !info.isSymLink())
        removeTree(directory, status, fs);  // failures show below
    if (entryExists(directory)) {
        dialogs.information(texts::kCanNotDeleteDirectory.arg(shown(directory)));
        return false;
    }
    return true;
}

bool RenameDirectory(const QString& oldPath, const QString& newPath, const FileSystem& fs) {
    if (!fs.rename(oldPath, newPath)) return false;
    return QFileInfo(newPath).exists();
}

}  // namespace vellora
