#include "IUnzip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "Crc32.h"
#include "ZipDirectory.h"
#include "ZipPieces.h"
#include "ZipSupport.h"
#include "ZipTexts.h"

namespace vellora {

namespace {

using zipsupport::ArchivePieces;
using zipsupport::FdCloser;
using zipsupport::Printer;
using zipsupport::writeAll;

// Temporary names start with this; entries may not take such a name.
constexpr char kTempPrefix[] = ".vellora-unzip-";
constexpr qsizetype kMaxFileNameBytes = 255;

struct Entry {
    zip_uint64_t index = 0;
    QString entryName;  // as the archive gives it
    QString fileName;   // where it lands in Dest
    zip_uint64_t size = 0;
    time_t mtime = 0;
    bool deflated = false;
};

QString systemError(int code) {
    return qt_error_string(code);
}

struct ZipDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// Files written under temporary names in Dest. Whatever has not taken its
// own name when this goes away is removed, so a failure leaves nothing behind.
class Staging {
  public:
    explicit Staging(int dirFd) : dirFd_(dirFd) {}
    ~Staging() {
        for (std::size_t i = next_; i < files_.size(); ++i)
            ::unlinkat(dirFd_, files_[i].temp.constData(), 0);
    }
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    // Creates a new empty temporary file; never opens an existing name or a link.
    int create(QByteArray& tempName) {
        for (;;) {
            tempName = QByteArray(kTempPrefix) + QByteArray::number(::getpid()) + '-' +
                       QByteArray::number(++counter_) + ".part";
            const int fd = ::openat(dirFd_, tempName.constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0 || errno != EEXIST) return fd;
        }
    }
    void add(const QByteArray& temp, const QByteArray& final, bool replace) {
        files_.push_back({temp, final, replace});
    }
    // Gives every staged file its own name; answers the error of the first
    // that fails, 0 when all did.
    int commit(QByteArray& failedName) {
        for (; next_ < files_.size(); ++next_) {
            const Staged& s = files_[next_];
            if (place(s) == 0) continue;
            const int error = errno;
            if (error != EEXIST) {
                failedName = s.final;
                return error;
            }
            // A file that appeared meanwhile under the name is kept.
            ::unlinkat(dirFd_, s.temp.constData(), 0);
        }
        return 0;
    }

  private:
    struct Staged {
        QByteArray temp, final;
        bool replace;
    };

    int place(const Staged& s) {
        if (s.replace) return ::renameat(dirFd_, s.temp.constData(), dirFd_, s.final.constData());
        if (::renameat2(dirFd_, s.temp.constData(), dirFd_, s.final.constData(),
                        RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS) return -1;
        // File systems without an exclusive rename.
        struct stat sb;
        if (::fstatat(dirFd_, s.final.constData(), &sb, AT_SYMLINK_NOFOLLOW) == 0) {
            errno = EEXIST;
            return -1;
        }
        return ::renameat(dirFd_, s.temp.constData(), dirFd_, s.final.constData());
    }

    int dirFd_;
    unsigned counter_ = 0;
    std::vector<Staged> files_;
    std::size_t next_ = 0;  // files before it have taken their names
};

void refuseUnsupported(const TIUnzip& u) {
    if (u.CreateDirectorys)
        throw EInfoZipException(texts::optionNotSupported(QStringLiteral("CreateDirectorys")));
    if (u.CRLF) throw EInfoZipException(texts::optionNotSupported(QStringLiteral("CRLF")));
}

// Opens the archive made of `pieces` (named `path` in messages) for libzip,
// which checks it whole; the pieces must outlive it.
std::unique_ptr<zip_t, ZipDiscard> openArchive(const ArchivePieces& pieces, const QString& path) {
    if (!pieces.isOpen()) {
        const int error = pieces.systemError() == ENOENT ? ZIP_ER_NOENT : ZIP_ER_OPEN;
        throw EInfoZipException(texts::unzipCannotOpen(
            pieces.failedPath(), zipsupport::errorText(error, pieces.systemError())));
    }
    // libzip takes an empty file for an empty archive; for us it is no archive.
    if (pieces.size() == 0) throw EInfoZipException(texts::unzipNotAZip(path));
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = pieces.source(&error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (archive) return std::unique_ptr<zip_t, ZipDiscard>(archive);
    if (source) zip_source_free(source);
    switch (code) {
        case ZIP_ER_NOENT:
        case ZIP_ER_OPEN:
        case ZIP_ER_MEMORY:
            throw EInfoZipException(texts::unzipCannotOpen(path, zipsupport::errorText(code)));
        case ZIP_ER_NOZIP:
            throw EInfoZipException(texts::unzipNotAZip(path));
        default:
            throw EInfoZipException(texts::unzipDamaged(path));
    }
}

QStringList piecesOf(const TIUnzip& u) {
    return u.Pieces.isEmpty() ? QStringList{u.FileName} : u.Pieces;
}

bool isDirectoryName(const QString& name) {
    return name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\'));
}

}  // namespace

QString ZipEntryFileName(const QString& entryName) {
    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return {};
    for (QChar c : name)
        if (c == QLatin1Char(':') || c.unicode() < 0x20 || c.unicode() == 0x7f) return {};
    if (QFile::encodeName(name).size() > kMaxFileNameBytes) return {};
    return name;
}

namespace {

// Looks at every entry before anything is written: for an extraction, the
// whole archive is refused when one entry could not be placed safely.
std::vector<Entry> planEntries(zip_t* za, const TIUnzip& u, const Printer& print) {
    const bool extracting = !u.TestZip && !u.Listing;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    std::vector<Entry> entries;
    QSet<QString> names;
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        zip_stat_t st;
        if (zip_stat_index(za, i, 0, &st) != 0)
            throw EInfoZipException(texts::unzipDamaged(u.FileName));
        const QString entryName = QString::fromUtf8(st.name);
        if (u.Listing) {
            const QString when = QDateTime::fromSecsSinceEpoch(st.mtime).toString(
                QStringLiteral("yyyy-MM-dd hh:mm"));
            print.line(QStringLiteral("%1  %2   %3").arg(st.size, 10).arg(when, entryName));
            continue;
        }
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(za, i, 0, &opsys, &attributes);
        const mode_t type = opsys == ZIP_OPSYS_UNIX ? mode_t(attributes >> 16) & S_IFMT : 0;
        if (isDirectoryName(entryName) || type == S_IFDIR) continue;  // extraction is flat
        Entry entry{i, entryName, entryName, st.size, st.mtime, st.comp_method != ZIP_CM_STORE};
        if (extracting) {
            if (type != 0 && type != S_IFREG)
                throw EInfoZipException(texts::unzipLinkEntry(entryName));
            entry.fileName = ZipEntryFileName(entryName);
            if (entry.fileName.isEmpty() || entry.fileName.startsWith(QLatin1String(kTempPrefix)))
                throw EInfoZipException(texts::unzipUnsafeName(entryName));
            if (names.contains(entry.fileName))
                throw EInfoZipException(texts::unzipDuplicateName(entry.fileName));
            names.insert(entry.fileName);
            if (st.encryption_method != ZIP_EM_NONE)
                throw EInfoZipException(texts::unzipEncrypted(entryName));
            if (!zip_compression_method_supported(st.comp_method, 0))
                throw EInfoZipException(texts::unzipUnsupportedMethod(entryName));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Why an entry is not extracted over an existing file, or null when it is.
const char* skipReason(const TIUnzip& u, const Entry& entry, const struct stat& existing,
                       const ArchivePieces& archive) {
    if (archive.holds(existing.st_dev, existing.st_ino)) return " (the archive itself)";
    if (!u.OverWrite && !u.ExtractNewer) return " (already exists)";
    if (!u.OverWrite && entry.mtime <= existing.st_mtime) return " (not newer)";
    return nullptr;
}

// Writes a block of an entry and lets the disk take it at once, while the
// rest is unpacked: a caller flushing the files afterwards then has little
// left to wait for.
bool writeOut(int fd, const char* data, qsizetype length) {
    if (!writeAll(fd, data, length)) return false;
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

// Reads one entry whole into `fd` (or only checks it when fd < 0). The
// declared size is only a claim: it is checked as the data comes, and libzip
// checks size and CRC at the end of the entry.
void copyEntry(zip_t* za, const Entry& entry, int fd, char* buffer, const QString& shownPath) {
    std::unique_ptr<zip_file_t, ZipFileClose> in(zip_fopen_index(za, entry.index, 0));
    if (!in)
        throw EInfoZipException(
            texts::unzipEntryDamaged(entry.entryName, zipsupport::errorText(zip_get_error(za))));
    auto damaged = [&](zip_error_t* error) {
        return EInfoZipException(
            texts::unzipEntryDamaged(entry.entryName, zipsupport::errorText(error)));
    };
    zip_uint64_t total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(in.get(), buffer, zip_uint64_t(zipsupport::kBlockSize));
        if (n < 0) throw damaged(zip_file_get_error(in.get()));
        if (n == 0) break;
        total += zip_uint64_t(n);
        if (total > entry.size)
            throw EInfoZipException(
                texts::unzipEntryDamaged(entry.entryName, zipsupport::errorText(ZIP_ER_INCONS)));
        if (fd >= 0 && !writeOut(fd, buffer, qsizetype(n)))
            throw EInfoZipException(texts::unzipCannotWrite(shownPath, systemError(errno)));
    }
    if (zip_fclose(in.release()) != 0 || total != entry.size)
        throw EInfoZipException(
            texts::unzipEntryDamaged(entry.entryName, zipsupport::errorText(ZIP_ER_INCONS)));
}

// Stored entries read straight from the archive's bytes rather than through
// libzip: large reads, the CRC computed on the way. Only when the central
// directory read here is the one libzip read and checked (every entry's name,
// method, sizes and CRC the same); any other archive goes through libzip.
class DirectReader {
  public:
    DirectReader(const ArchivePieces& archive, zip_t* za) : archive_(archive) {
        directory_ = zipsupport::readPlainCentralDirectory(archive);
        if (directory_ && !zipsupport::agreesWithLibzip(*directory_, za)) directory_.reset();
        if (directory_) archive.adviseSequential();
    }

    // Where the entry's data starts when it is read here; -1 for libzip.
    qint64 dataOffset(const Entry& entry) const {
        if (!directory_ || entry.deflated) return -1;
        return zipsupport::storedDataOffset(archive_, directory_->entries[entry.index], *directory_);
    }

    // Reads the entry's `size` bytes from `offset` into `out` (or only checks
    // them when out < 0), then compares their CRC with the directory's.
    void copy(const Entry& entry, qint64 offset, int out, char* buffer,
              const QString& shownPath) const {
        auto damaged = [&](int zipError, int systemError = 0) {
            return EInfoZipException(texts::unzipEntryDamaged(
                entry.entryName, zipsupport::errorText(zipError, systemError)));
        };
        quint32 crc = 0;
        quint64 at = quint64(offset);
        for (quint64 left = entry.size; left > 0;) {
            const quint64 want = std::min<quint64>(left, quint64(zipsupport::kBlockSize));
            const qint64 n = archive_.readAt(at, buffer, want);
            if (n < 0) throw damaged(ZIP_ER_READ, errno);
            if (n == 0) throw damaged(ZIP_ER_EOF);  // cut short since it was opened
            crc = Crc32(crc, buffer, std::size_t(n));
            if (out >= 0 && !writeOut(out, buffer, qsizetype(n)))
                throw EInfoZipException(texts::unzipCannotWrite(shownPath, systemError(errno)));
            left -= quint64(n);
            at += quint64(n);
        }
        if (crc != directory_->entries[entry.index].crc) throw damaged(ZIP_ER_CRC);
    }

  private:
    const ArchivePieces& archive_;
    std::optional<zipsupport::CentralDirectory> directory_;
};

}  // namespace

QList<ZipEntryInfo> ZipEntries(const QStringList& pieces) {
    const ArchivePieces archive(pieces);
    std::unique_ptr<zip_t, ZipDiscard> za;
    try {
        za = openArchive(archive, pieces.value(0));
    } catch (const EInfoZipException&) {
        return {};
    }
    QList<ZipEntryInfo> entries;
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(za.get(), zip_uint64_t(i), 0, &st) == 0 && (st.valid & ZIP_STAT_NAME))
            entries.append({QString::fromUtf8(st.name), (st.valid & ZIP_STAT_SIZE) ? st.size : 0});
    }
    return entries;
}

QStringList ZipEntryNames(const QStringList& pieces) {
    QStringList names;
    for (const ZipEntryInfo& entry : ZipEntries(pieces)) names << entry.name;
    return names;
}

void TIUnzip::Execute() {
    if (FileName.isEmpty()) return;
    refuseUnsupported(*this);
    zipsupport::ExclusiveRun exclusive;
    const Printer print(this, OnPrint, Quiet);
    const bool extracting = !TestZip && !Listing;

    int dirFd = -1;
    if (extracting) {
        if (!QFileInfo(Dest).isDir()) throw EInfoZipException(texts::unzipDestMissing(Dest));
        // Every name below is a single part taken relative to this handle, so
        // nothing can be created outside Dest.
        dirFd = ::open(QFile::encodeName(Dest).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0) throw EInfoZipException(texts::unzipDestMissing(Dest));
    }
    const FdCloser dirCloser(dirFd);

    const ArchivePieces pieces(piecesOf(*this));
    auto archive = openArchive(pieces, FileName);
    zip_t* za = archive.get();
    const DirectReader direct(pieces, za);

    if (ZipComment) {
        int length = 0;
        if (const char* comment = zip_get_archive_comment(za, &length, 0))
            for (const QByteArray& line : QByteArray(comment, length).split('\n'))
                print.raw(line + '\n');
    }

    const std::vector<Entry> entries = planEntries(za, *this, print);
    if (Listing) return;

    Staging staging(dirFd);
    std::unique_ptr<char[]> buffer(new char[zipsupport::kBlockSize]);
    for (const Entry& entry : entries) {
        const QByteArray finalName = QFile::encodeName(entry.fileName);
        const QString shownPath = Dest + QLatin1Char('/') + entry.fileName;
        bool replace = false;
        struct stat existing;
        if (extracting &&
            ::fstatat(dirFd, finalName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            if (const char* why = skipReason(*this, entry, existing, pieces)) {
                print.line(QStringLiteral("  skipping: ") + entry.fileName + QLatin1String(why));
                continue;
            }
            if (S_ISDIR(existing.st_mode))
                throw EInfoZipException(texts::unzipIsDirectory(shownPath));
            replace = true;
        }
        print.line((TestZip          ? QStringLiteral("    testing: ")
                    : entry.deflated ? QStringLiteral("  inflating: ")
                                     : QStringLiteral(" extracting: ")) +
                   entry.fileName);
        const qint64 dataOffset = direct.dataOffset(entry);
        auto copy = [&](int out) {
            if (dataOffset >= 0)
                direct.copy(entry, dataOffset, out, buffer.get(), shownPath);
            else
                copyEntry(za, entry, out, buffer.get(), shownPath);
        };
        if (!extracting) {
            copy(-1);
            continue;
        }
        QByteArray tempName;
        FdCloser out(staging.create(tempName));
        if (out.fd < 0)
            throw EInfoZipException(texts::unzipCannotWrite(shownPath, systemError(errno)));
        staging.add(tempName, finalName, replace);
        copy(out.fd);
        const struct timespec times[2] = {{0, UTIME_NOW}, {entry.mtime, 0}};
        ::futimens(out.fd, times);
        if (::close(std::exchange(out.fd, -1)) != 0)
            throw EInfoZipException(texts::unzipCannotWrite(shownPath, systemError(errno)));
    }

    // Every entry was read whole and checked: now the files take their names.
    QByteArray failedName;
    if (const int error = staging.commit(failedName))
        throw EInfoZipException(texts::unzipCannotWrite(
            Dest + QLatin1Char('/') + QFile::decodeName(failedName), systemError(error)));
}

}  // namespace vellora
