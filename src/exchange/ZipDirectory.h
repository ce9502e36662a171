#pragma once

// Where the entries of a plain ZIP archive lie, for TIUnzip's direct reading
// of stored entries; not for use outside the zip components.

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <vector>

typedef struct zip zip_t;

namespace vellora::zipsupport {

class ArchivePieces;

// One entry as the central directory gives it.
struct CentralEntry {
    QByteArray name;  // the bytes of the archive, not decoded
    quint16 flags = 0;
    quint16 method = 0;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 size = 0;
    quint64 localHeaderOffset = 0;
};

struct CentralDirectory {
    quint64 offset = 0;  // where it starts: every entry's data lies before
    std::vector<CentralEntry> entries;
};

// The central directory of `archive` when it is a plain one: on one disk, without ZIP64 fields, its entries
// filling it exactly and the end record closing the file. Nothing otherwise;
// such archives are read through libzip alone. Reads no more than the file
// holds, whatever its records claim.
std::optional<CentralDirectory> readPlainCentralDirectory(const ArchivePieces& archive);

// True when libzip, which opened the same archive as `za` and checked it,
// found the same entries: count, and every entry's name, method, sizes and CRC.
bool agreesWithLibzip(const CentralDirectory& directory, zip_t* za);

// Where the data of a stored, unencrypted entry starts, after checking its
// local header against the central directory: its signature, method, flags
// and name, and its data ending before the central directory. -1 when
// anything there disagrees or cannot be read.
qint64 storedDataOffset(const ArchivePieces& archive, const CentralEntry& entry,
                        const CentralDirectory& directory);

}  // namespace vellora::zipsupport
