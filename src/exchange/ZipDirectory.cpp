#include "ZipDirectory.h"

#include <zip.h>

#include <QtEndian>
#include <algorithm>

#include "ZipFormat.h"
#include "ZipPieces.h"

namespace vellora::zipsupport {

namespace {

constexpr quint32 kZip64LocatorSignature = 0x07064b50;
constexpr qsizetype kZip64LocatorSize = 20;
constexpr qsizetype kMaxComment = 0xffff;
constexpr quint16 kFlagEncrypted = 1 << 0;
// Fields with all bits set point to a ZIP64 record.
constexpr quint16 kZip64Count = 0xffff;
constexpr quint32 kZip64Size = 0xffffffff;

// `length` bytes at `offset`, or an empty array when they cannot all be read.
QByteArray readAt(const ArchivePieces& archive, quint64 offset, qsizetype length) {
    QByteArray data(length, Qt::Uninitialized);
    if (archive.readAt(offset, data.data(), quint64(length)) != length) return {};
    return data;
}

quint16 u16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}

struct EndRecord {
    quint64 position = 0;
    quint64 count = 0;
    quint64 directorySize = 0;
    quint64 directoryOffset = 0;
};

// The last end record that agrees with the file around it.
std::optional<EndRecord> findEndRecord(const ArchivePieces& archive) {
    const quint64 fileSize = archive.size();
    if (fileSize < quint64(kEndRecordSize)) return std::nullopt;
    const qsizetype tailSize = qsizetype(std::min<quint64>(fileSize, kEndRecordSize + kMaxComment));
    const quint64 tailStart = fileSize - quint64(tailSize);
    const QByteArray tail = readAt(archive, tailStart, tailSize);
    if (tail.isEmpty()) return std::nullopt;
    for (qsizetype i = tailSize - kEndRecordSize; i >= 0; --i) {
        const char* p = tail.constData() + i;
        if (u32(p) != kEndSignature) continue;
        const quint64 position = tailStart + quint64(i);
        // The comment runs to the end of the file.
        if (position + quint64(kEndRecordSize) + u16(p + 20) != fileSize) continue;
        const quint16 disk = u16(p + 4), directoryDisk = u16(p + 6);
        const quint16 onDisk = u16(p + 8), count = u16(p + 10);
        const quint32 size = u32(p + 12), offset = u32(p + 16);
        if (disk != 0 || directoryDisk != 0 || onDisk != count) return std::nullopt;
        if (count == kZip64Count || size == kZip64Size || offset == kZip64Size) return std::nullopt;
        if (quint64(offset) + size != position) return std::nullopt;
        // A ZIP64 locator before the record: its fields would count, not these.
        if (position >= quint64(kZip64LocatorSize)) {
            const QByteArray locator =
                readAt(archive, position - quint64(kZip64LocatorSize), kZip64LocatorSize);
            if (locator.isEmpty() || u32(locator.constData()) == kZip64LocatorSignature)
                return std::nullopt;
        }
        return EndRecord{position, count, size, offset};
    }
    return std::nullopt;
}

}  // namespace

std::optional<CentralDirectory> readPlainCentralDirectory(const ArchivePieces& archive) {
    const std::optional<EndRecord> end = findEndRecord(archive);
    if (!end) return std::nullopt;
    // Bounded by the file: the end record was found inside it and the
    // directory ends where the record begins.
    const QByteArray bytes = readAt(archive, end->directoryOffset, qsizetype(end->directorySize));
    if (bytes.size() != qsizetype(end->directorySize)) return std::nullopt;

    CentralDirectory directory;
    directory.offset = end->directoryOffset;
    directory.entries.reserve(end->count);
    qsizetype at = 0;
    for (quint64 i = 0; i < end->count; ++i) {
        if (bytes.size() - at < kCentralHeaderSize) return std::nullopt;
        const char* p = bytes.constData() + at;
        if (u32(p) != kCentralSignature) return std::nullopt;
        CentralEntry e;
        e.flags = u16(p + 8);
        e.method = u16(p + 10);
        e.crc = u32(p + 16);
        const quint32 compressed = u32(p + 20), size = u32(p + 24);
        const quint16 nameLength = u16(p + 28), extraLength = u16(p + 30);
        const quint16 commentLength = u16(p + 32), disk = u16(p + 34);
        const quint32 offset = u32(p + 42);
        if (compressed == kZip64Size || size == kZip64Size || offset == kZip64Size || disk != 0)
            return std::nullopt;
        const qsizetype length = kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (bytes.size() - at < length) return std::nullopt;
        e.name = bytes.mid(at + kCentralHeaderSize, nameLength);
        e.compressedSize = compressed;
        e.size = size;
        e.localHeaderOffset = offset;
        if (e.localHeaderOffset + quint64(kLocalHeaderSize) > directory.offset) return std::nullopt;
        directory.entries.push_back(std::move(e));
        at += length;
    }
    if (at != bytes.size()) return std::nullopt;
    return directory;
}

bool agreesWithLibzip(const CentralDirectory& directory, zip_t* za) {
    const zip_int64_t count = zip_get_num_entries(za, 0);
    if (count < 0 || quint64(count) != directory.entries.size()) return false;
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        const CentralEntry& e = directory.entries[i];
        const char* name = zip_get_name(za, i, ZIP_FL_ENC_RAW);
        zip_stat_t st;
        if (!name || e.name != QByteArray(name) || zip_stat_index(za, i, 0, &st) != 0) return false;
        const zip_uint64_t needed =
            ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
        if ((st.valid & needed) != needed || st.size != e.size ||
            st.comp_size != e.compressedSize || st.crc != e.crc || st.comp_method != e.method)
            return false;
    }
    return true;
}

qint64 storedDataOffset(const ArchivePieces& archive, const CentralEntry& entry,
                        const CentralDirectory& directory) {
    if (entry.method != 0 || (entry.flags & kFlagEncrypted) || entry.compressedSize != entry.size)
        return -1;
    const qsizetype length = kLocalHeaderSize + entry.name.size();
    const QByteArray header = readAt(archive, entry.localHeaderOffset, length);
    if (header.isEmpty()) return -1;
    const char* p = header.constData();
    if (u32(p) != kLocalSignature || (u16(p + 6) & kFlagEncrypted) || u16(p + 8) != 0 ||
        u16(p + 26) != entry.name.size() || header.mid(kLocalHeaderSize) != entry.name)
        return -1;
    const quint64 data = entry.localHeaderOffset + quint64(length) + u16(p + 28);
    if (data > directory.offset || directory.offset - data < entry.size) return -1;
    return qint64(data);
}

}  // namespace vellora::zipsupport
