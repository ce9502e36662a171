#include "DiskId.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace vellora {

QByteArray DiskId::encode() const {
    QByteArray bytes(kSize, '\0');
    char* p = bytes.data();
    qToLittleEndian<qint32>(PackageID, p);
    qToLittleEndian<qint32>(DiskNumber, p + 4);
    qToLittleEndian<qint32>(PackageSize, p + 8);
    qToLittleEndian<qint32>(PackageFileCount, p + 12);
    return bytes;
}

bool DiskId::decode(const QByteArray& bytes, DiskId* id) {
    if (bytes.size() != kSize) return false;
    const char* p = bytes.constData();
    DiskId d;
    d.PackageID = qFromLittleEndian<qint32>(p);
    d.DiskNumber = qFromLittleEndian<qint32>(p + 4);
    d.PackageSize = qFromLittleEndian<qint32>(p + 8);
    d.PackageFileCount = qFromLittleEndian<qint32>(p + 12);
    if (d.PackageID < 0 || d.PackageID >= kPackageIdLimit || d.DiskNumber < 1 || d.PackageSize < 1 ||
        d.PackageFileCount < 0)
        return false;
    *id = d;
    return true;
}

DiskIdRead ReadDiskId(const QString& path, DiskId* id) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return DiskIdRead::Missing;
    // Only a plain file: a pipe or a device would block or never end.
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) return DiskIdRead::Unreadable;
    // One byte more than a DiskID tells a longer file apart without reading it all.
    const QByteArray bytes = file.read(DiskId::kSize + 1);
    return DiskId::decode(bytes, id) ? DiskIdRead::Ok : DiskIdRead::Damaged;
}

bool WriteDiskId(const QString& path, const DiskId& id) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = id.encode();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace vellora
