#pragma once

// The stored-entry archive writer of TInfoZip; not for use outside the zip
// components.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <utility>
#include <vector>

#include "ZipOutput.h"

namespace vellora::zipsupport {

// Largest value of a 32-bit size or offset field; larger ones need ZIP64.
inline constexpr quint64 kMaxZip32 = 0xfffffffeu;
// Most entries an archive holds without ZIP64.
inline constexpr quint64 kMaxZip32Entries = 0xfffeu;

// DOS date and time of a ZIP header for a time in seconds since the epoch,
// in local time, 2-second steps; held within 1980..2107 as the format can.
quint32 dosDateTime(qint64 secondsSinceEpoch);

// Size of an archive of `entries` stored entries (files or directories)
// with `nameBytes` bytes of names in all and `dataBytes` bytes of data.
quint64 storedArchiveSize(quint64 entries, quint64 nameBytes, quint64 dataBytes);

// The archive written to a file: under a temporary name beside it, taking
// its own name only in commit(); until then a file there stays as it was,
// and an output that goes away uncommitted leaves nothing behind. Errors
// raise EInfoZipException naming the archive as `shownName`.
class FileZipOutput : public ZipOutput {
  public:
    FileZipOutput(const QString& archivePath, const QString& shownName);
    ~FileZipOutput() override;
    FileZipOutput(const FileZipOutput&) = delete;
    FileZipOutput& operator=(const FileZipOutput&) = delete;

    void begin(quint64) override {}
    void write(const char* data, qsizetype length) override;
    quint64 room() const override;
    void rewrite(quint64 offset, const char* data, qsizetype length) override;
    void commit() override;

  private:
    [[noreturn]] void fail(int zipError, int systemError) const;

    QString shownName_;
    QByteArray archivePath_;
    QByteArray tempPath_;
    int fd_ = -1;
};

// Writes a standard ZIP archive of stored (uncompressed) entries, reading
// each file through a large buffer and computing its CRC on the way; an
// entry whose local header could not be rewritten once its data is known
// (the output's part ends within it) has its CRC computed first.
//
// No ZIP64: fits() tells beforehand whether the files will fit, and a file
// that grows past what fits while it is read is refused. Errors raise
// EInfoZipException naming the archive as `shownName`.
class StoredZipWriter {
  public:
    // True when `entries` entries with `nameBytes` bytes of names in all and
    // `dataBytes` bytes of data fit an archive without ZIP64.
    static bool fits(quint64 entries, quint64 nameBytes, quint64 dataBytes);

    StoredZipWriter(ZipOutput& output, const QString& shownName);
    StoredZipWriter(const StoredZipWriter&) = delete;
    StoredZipWriter& operator=(const StoredZipWriter&) = delete;

    void addDirectory(const QByteArray& name, qint64 mtime);
    // Copies the file at `path`, which was `expectedSize` bytes when it was
    // listed, and answers the number of bytes stored. It is copied whole
    // (until its end, whatever its size) unless its local header must be
    // written complete before its data: then a file of another size or
    // content by the time it is copied is refused.
    quint64 addFile(const QByteArray& name, const QString& path, qint64 mtime,
                    quint64 expectedSize);
    // Central directory, end record, then the output is committed.
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
    QByteArray localHeader(const Entry& entry) const;
    void write(const char* data, qsizetype length);
    // The CRC and size of the file open as `fd`, read to its end.
    std::pair<quint32, quint64> checksum(int fd);

    ZipOutput& output_;
    QString shownName_;
    quint64 position_ = 0;
    std::vector<Entry> entries_;
    std::unique_ptr<char[]> buffer_;
};

}  // namespace vellora::zipsupport
