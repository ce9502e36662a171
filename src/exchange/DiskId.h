#pragma once

#include <QByteArray>
#include <QString>

namespace vellora {

// The "DiskID" file beside each piece of a package: 16 bytes, four 32-bit
// little-endian signed integers that tie the disks of one export together.
struct DiskId {
    static constexpr qint64 kSize = 16;
    static constexpr qint32 kPackageIdLimit = 30000;  // PackageID is below this

    qint32 PackageID = 0;
    qint32 DiskNumber = 0;
    qint32 PackageSize = 0;
    qint32 PackageFileCount = 0;

    QByteArray encode() const;
    // The values of `bytes`, or false when they cannot be a DiskID: not 16
    // bytes, an identifier out of range, a disk number or package size below
    // 1, a negative file count. Nothing in it is trusted further than that.
    static bool decode(const QByteArray& bytes, DiskId* id);

    friend bool operator==(const DiskId&, const DiskId&) = default;
};

enum class DiskIdRead { Ok, Missing, Unreadable, Damaged };

// Reads the DiskID file at `path` without reading more than a DiskID's size.
DiskIdRead ReadDiskId(const QString& path, DiskId* id);
// Writes it whole (a failed write leaves no half file); false on failure.
bool WriteDiskId(const QString& path, const DiskId& id);

}  // namespace vellora
