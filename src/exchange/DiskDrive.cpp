#include "DiskDrive.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace vellora {
namespace {

// The directory that holds `path`: itself when it is one, else its parent.
QString directoryOf(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

bool hasDriveLetter(const QString& path) {
    return path.size() >= 2 && path[0].isLetter() && path[0].unicode() < 128 && path[1] == QLatin1Char(':');
}

}  // namespace

QString DiskDrive::diskPath(const QString& path, int diskNumber) {
    (void)diskNumber;
    return path;
}

qint64 DiskDrive::freeSpace(const QString& path) {
    if (path.isEmpty()) return -1;
    const QString dir = directoryOf(path);
    if (!QFileInfo(dir).isDir()) return -1;
    const QStorageInfo storage(dir);
    if (!storage.isValid() || !storage.isReady()) return -1;
    return storage.bytesAvailable();
}

QString DiskDrive::driveName(const QString& path) {
    if (hasDriveLetter(path)) return path.left(1).toUpper();
    const QStorageInfo storage(directoryOf(path));
    if (storage.isValid()) return QDir::toNativeSeparators(storage.rootPath());
    return path.left(1).toUpper();
}

}  // namespace vellora
