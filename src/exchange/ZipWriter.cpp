#include "ZipWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <cerrno>
#include <ctime>
#include <limits>
#include <tuple>
#include <utility>

#include "Crc32.h"
#include "InfoZip.h"
#include "ZipSupport.h"
#include "ZipTexts.h"

#include "ZipFormat.h"

namespace vellora::zipsupport {

namespace {

// Made on Unix by a writer of version 2.0 of the format; a plain stored file
// needs 1.0 to be read, a directory 2.0.
constexpr quint16 kVersionMadeBy = (3 << 8) | 20;
constexpr quint16 kVersionFile = 10;
constexpr quint16 kVersionDirectory = 20;
constexpr quint16 kFlagUtf8 = 1 << 11;
// Unix modes in the high half of the external attributes, as libzip gives them.
constexpr quint32 kFileAttributes = quint32(S_IFREG | 0666) << 16;
constexpr quint32 kDirectoryAttributes = quint32(S_IFDIR | 0777) << 16;

class Bytes {
  public:
    explicit Bytes(QByteArray& out) : out_(out) {}
    Bytes& u16(quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out_.append(b, 2);
        return *this;
    }
    Bytes& u32(quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out_.append(b, 4);
        return *this;
    }
    Bytes& raw(const QByteArray& data) {
        out_.append(data);
        return *this;
    }

  private:
    QByteArray& out_;
};

bool isAscii(const QByteArray& name) {
    for (char c : name)
        if (uchar(c) >= 0x80) return false;
    return true;
}

quint16 flagsOf(const QByteArray& name) {
    return isAscii(name) ? 0 : kFlagUtf8;
}

}  // namespace

quint32 dosDateTime(qint64 secondsSinceEpoch) {
    const time_t t = time_t(secondsSinceEpoch);
    struct tm tm {};
    if (!localtime_r(&t, &tm) || tm.tm_year < 80) return (1 << 16) | (1 << 21);  // 1980-01-01
    if (tm.tm_year > 207)
        return quint32((127 << 25) | (12 << 21) | (31 << 16) | (23 << 11) | (59 << 5) | 29);
    const quint32 date = quint32(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    const quint32 time = quint32((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return (date << 16) | time;
}

quint64 storedArchiveSize(quint64 entries, quint64 nameBytes, quint64 dataBytes) {
    return entries * (kLocalHeaderSize + kCentralHeaderSize) + 2 * nameBytes + dataBytes +
           kEndRecordSize;
}

bool StoredZipWriter::fits(quint64 entries, quint64 nameBytes, quint64 dataBytes) {
    if (entries > kMaxZip32Entries) return false;
    return storedArchiveSize(entries, nameBytes, dataBytes) <= kMaxZip32;
}

FileZipOutput::FileZipOutput(const QString& archivePath, const QString& shownName)
    : shownName_(shownName), archivePath_(QFile::encodeName(archivePath)) {
    // A file replaced keeps its permissions; a new one gets the usual ones.
    struct stat existing;
    const bool exists =
        ::stat(archivePath_.constData(), &existing) == 0 && S_ISREG(existing.st_mode);
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; fd_ < 0; ++attempt) {
        tempPath_ = archivePath_ + '.';
        for (int i = 0; i < 6; ++i)
            tempPath_ += kChars[QRandomGenerator::global()->bounded(int(sizeof(kChars) - 1))];
        fd_ =
            ::open(tempPath_.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt > 100)) {
            tempPath_.clear();
            fail(ZIP_ER_TMPOPEN, errno);
        }
    }
    if (exists) ::fchmod(fd_, existing.st_mode & 07777);
}

FileZipOutput::~FileZipOutput() {
    if (fd_ >= 0) ::close(fd_);
    if (!tempPath_.isEmpty()) ::unlink(tempPath_.constData());
}

void FileZipOutput::fail(int zipError, int systemError) const {
    throw EInfoZipException(texts::zipCannotWrite(shownName_, errorText(zipError, systemError)));
}

void FileZipOutput::write(const char* data, qsizetype length) {
    if (!writeAll(fd_, data, length)) fail(ZIP_ER_WRITE, errno);
}

quint64 FileZipOutput::room() const {
    return std::numeric_limits<quint64>::max();
}

void FileZipOutput::rewrite(quint64 offset, const char* data, qsizetype length) {
    if (!pwriteAll(fd_, data, length, offset)) fail(ZIP_ER_WRITE, errno);
}

void FileZipOutput::commit() {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) fail(ZIP_ER_CLOSE, errno);
    if (::rename(tempPath_.constData(), archivePath_.constData()) != 0) fail(ZIP_ER_RENAME, errno);
    tempPath_.clear();
}

StoredZipWriter::StoredZipWriter(ZipOutput& output, const QString& shownName)
    : output_(output), shownName_(shownName), buffer_(new char[kBlockSize]) {}

void StoredZipWriter::fail(int zipError, int systemError) const {
    throw EInfoZipException(texts::zipCannotWrite(shownName_, errorText(zipError, systemError)));
}

void StoredZipWriter::tooLarge() const {
    throw EInfoZipException(texts::zipCannotWrite(shownName_, texts::kZipGrewTooLarge));
}

void StoredZipWriter::write(const char* data, qsizetype length) {
    output_.write(data, length);
    position_ += quint64(length);
}

namespace {

// The fields a local header and its central-directory record share, from
// the version needed to extract up to the name's length.
template <typename Entry>
Bytes& entryFields(Bytes& b, const Entry& e) {
    return b.u16(e.directory ? kVersionDirectory : kVersionFile)
        .u16(flagsOf(e.name))
        .u16(0)  // stored
        .u32(e.dosTime)
        .u32(e.crc)
        .u32(quint32(e.size))
        .u32(quint32(e.size))
        .u16(quint16(e.name.size()));
}

}  // namespace

QByteArray StoredZipWriter::localHeader(const Entry& e) const {
    QByteArray header;
    header.reserve(kLocalHeaderSize + e.name.size());
    Bytes b(header);
    b.u32(kLocalSignature);
    entryFields(b, e)
        .u16(0)  // extra field
        .raw(e.name);
    return header;
}

void StoredZipWriter::addDirectory(const QByteArray& name, qint64 mtime) {
    if (name.size() > 0xffff || entries_.size() >= kMaxZip32Entries) fail(ZIP_ER_INVAL);
    Entry entry{name, position_, 0, 0, dosDateTime(mtime), true};
    const QByteArray header = localHeader(entry);
    write(header.constData(), header.size());
    entries_.push_back(std::move(entry));
}

std::pair<quint32, quint64> StoredZipWriter::checksum(int fd) {
    quint32 crc = 0;
    quint64 size = 0;
    for (off_t at = 0;;) {
        ssize_t n;
        do {
            n = ::pread(fd, buffer_.get(), size_t(kBlockSize), at);
        } while (n < 0 && errno == EINTR);
        if (n < 0) fail(ZIP_ER_READ, errno);
        if (n == 0) return {crc, size};
        crc = Crc32(crc, buffer_.get(), std::size_t(n));
        size += quint64(n);
        at += n;
    }
}

quint64 StoredZipWriter::addFile(const QByteArray& name, const QString& path, qint64 mtime,
                                 quint64 expectedSize) {
    if (name.size() > 0xffff || entries_.size() >= kMaxZip32Entries) fail(ZIP_ER_INVAL);
    const FdCloser in(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) fail(ZIP_ER_OPEN, errno);
    ::posix_fadvise(in.fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    Entry entry{name, position_, 0, 0, dosDateTime(mtime), false};
    // Where the output's part ends within the entry, its header cannot be
    // rewritten afterwards: it is written complete, the file read twice.
    const bool knownFirst =
        output_.room() < quint64(kLocalHeaderSize + name.size()) + expectedSize;
    if (knownFirst) {
        std::tie(entry.crc, entry.size) = checksum(in.fd);
        if (entry.size != expectedSize)
            throw EInfoZipException(texts::zipCannotWrite(shownName_, texts::zipFileChanged(path)));
    }
    const QByteArray header = localHeader(entry);
    write(header.constData(), header.size());

    char* buffer = buffer_.get();
    quint32 crc = 0;
    quint64 size = 0;
    for (;;) {
        ssize_t n;
        do {
            n = ::read(in.fd, buffer, size_t(kBlockSize));
        } while (n < 0 && errno == EINTR);
        if (n < 0) fail(ZIP_ER_READ, errno);
        if (n == 0) break;
        crc = Crc32(crc, buffer, std::size_t(n));
        size += quint64(n);
        // The file grew since it was counted, past what a plain archive holds.
        if (position_ + quint64(n) > kMaxZip32) tooLarge();
        if (knownFirst && size > entry.size) break;
        write(buffer, n);
    }
    if (knownFirst) {
        if (size != entry.size || crc != entry.crc)
            throw EInfoZipException(texts::zipCannotWrite(shownName_, texts::zipFileChanged(path)));
    } else {
        // Now that the data is known, the local header gets its CRC and sizes.
        entry.crc = crc;
        entry.size = size;
        char patch[12];
        qToLittleEndian(entry.crc, patch);
        qToLittleEndian(quint32(entry.size), patch + 4);
        qToLittleEndian(quint32(entry.size), patch + 8);
        output_.rewrite(entry.offset + 14, patch, sizeof patch);
    }
    entries_.push_back(std::move(entry));
    return size;
}

void StoredZipWriter::commit() {
    const quint64 directoryOffset = position_;
    QByteArray directory;
    for (const Entry& e : entries_) {
        Bytes b(directory);
        b.u32(kCentralSignature).u16(kVersionMadeBy);
        entryFields(b, e)
            .u16(0)  // extra field
            .u16(0)  // comment
            .u16(0)  // disk
            .u16(0)  // internal attributes
            .u32(e.directory ? kDirectoryAttributes : kFileAttributes)
            .u32(quint32(e.offset))
            .raw(e.name);
    }
    const quint64 directorySize = quint64(directory.size());
    if (directoryOffset + directorySize > kMaxZip32) tooLarge();
    Bytes(directory)
        .u32(kEndSignature)
        .u16(0)
        .u16(0)
        .u16(quint16(entries_.size()))
        .u16(quint16(entries_.size()))
        .u32(quint32(directorySize))
        .u32(quint32(directoryOffset))
        .u16(0);
    write(directory.constData(), directory.size());
    output_.commit();
}

}  // namespace vellora::zipsupport
