#pragma once

// The stored-entry archive writer of TInfoZip; not for use outside the zip
// components.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

namespace vellora::zipsupport {

// Largest value of a 32-bit size or offset field; larger ones need ZIP64.
inline constexpr quint64 kMaxZip32 = 0xfffffffeu;
// Most entries an archive holds without ZIP64.
inline constexpr quint64 kMaxZip32Entries = 0xfffeu;

// DOS date and time of a ZIP header for a time in seconds since the epoch,
// in local time, 2-second steps; held within 1980..2107 as the format can.
quint32 dosDateTime(qint64 secondsSinceEpoch);

// Writes a standard ZIP archive of stored (uncompressed) entries, reading
// each file once through a large buffer and computing its CRC on the way.
// The archive is written under a temporary name beside it and takes its own
// name only in commit(); until then a file there stays as it was, and a
// writer that goes away uncommitted leaves nothing behind.
//
// No ZIP64: fits() tells beforehand whether the files will fit, and a file
// that grows past what fits while it is read is refused. Errors raise
// EInfoZipException naming the archive as `shownName`.
class StoredZipWriter {
  public:
    // True when `entries` entries with `nameBytes` bytes of names in all and
    // `dataBytes` bytes of data fit an archive without ZIP64.
    static bool fits(quint64 entries, quint64 nameBytes, quint64 dataBytes);

    StoredZipWriter(const QString& archivePath, const QString& shownName);
    ~StoredZipWriter();
    StoredZipWriter(const StoredZipWriter&) = delete;
    StoredZipWriter& operator=(const StoredZipWriter&) = delete;

    void addDirectory(const QByteArray& name, qint64 mtime);
    // Copies the file at `path` whole (until its end, whatever its size was
    // before) and answers the number of bytes stored.
    quint64 addFile(const QByteArray& name, const QString& path, qint64 mtime);
    // Central directory, end record, then the archive takes its name.
    void commit();

  private:
    struct Entry {
        QByteArray name;
        quint64 offset = 0;
        quint32 crc = 0;
        quint64 size = 0;
        quint32 dosTime = 0;
        bool directory = false;
    };

    [[noreturn]] void fail(int zipError, int systemError = 0) const;
    [[noreturn]] void tooLarge() const;
    void writeLocalHeader(const Entry& entry);
    void write(const char* data, qsizetype length);

    QString shownName_;
    QByteArray archivePath_;
    QByteArray tempPath_;
    int fd_ = -1;
    quint64 position_ = 0;
    std::vector<Entry> entries_;
    std::unique_ptr<char[]> buffer_;
};

}  // namespace vellora::zipsupport
