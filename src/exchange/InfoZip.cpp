#include "InfoZip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "Wildcard.h"
#include "ZipSupport.h"
#include "ZipTexts.h"
#include "ZipWriter.h"

namespace vellora {

namespace {

using zipsupport::PendingError;
using zipsupport::Printer;

struct ZipItem {
    QString path;       // the file on disk
    QString entryName;  // its name in the archive; directories end in "/"
    bool directory = false;
    qint64 mtime = 0;  // seconds since the epoch
    qint64 size = 0;   // when it was found
};

// Gathers the files named by a FileList, in a stable order.
class Collector {
  public:
    Collector(const TInfoZip& zip, const Printer& print) : zip_(zip), print_(print) {
        const QFileInfo archive(zip.NameOfZipFile);
        archivePath_ = archive.exists() ? archive.canonicalFilePath() : archive.absoluteFilePath();
    }

    std::vector<ZipItem> collect() {
        for (const QString& entry : zip_.FileList) {
            if (entry.trimmed().isEmpty()) continue;
            const QFileInfo info(entry);
            if (HasWildcard(info.fileName())) {
                const QDir dir(info.path());
                bool matched = false;
                for (const QFileInfo& found : listing(dir)) {
                    if (!WildcardMatch(info.fileName(), found.fileName())) continue;
                    if (!zip_.System && found.isHidden()) continue;
                    matched = true;
                    add(found, found.fileName());
                }
                if (!matched)
                    print_.line(QStringLiteral("  zip warning: name not matched: ") + entry);
            } else {
                if (!info.exists()) throw EInfoZipException(texts::zipFileNotFound(entry));
                add(info, info.fileName());
            }
        }
        return std::move(items_);
    }

  private:
    static QFileInfoList listing(const QDir& dir) {
        return dir.entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    }

    void add(const QFileInfo& info, const QString& relative) {
        // A linked directory could lead anywhere, even back into itself.
        if (info.isDir() && info.isSymLink()) {
            print_.line(QStringLiteral("  zip warning: not following the link ") + info.filePath());
            return;
        }
        if (info.isDir()) {
            if (!zip_.NoDirEntries && !zip_.JunkDir)
                push({info.filePath(), relative + QLatin1Char('/'), true, mtimeOf(info), 0});
            if (!zip_.Recurse) return;
            for (const QFileInfo& child : listing(QDir(info.filePath()))) {
                if (!zip_.System && child.isHidden()) continue;
                add(child, relative + QLatin1Char('/') + child.fileName());
            }
            return;
        }
        if (!info.isFile()) {
            print_.line(QStringLiteral("  zip warning: skipping special file ") + info.filePath());
            return;
        }
        if (info.canonicalFilePath() == archivePath_) return;
        push({info.filePath(), zip_.JunkDir ? info.fileName() : relative, false, mtimeOf(info),
              info.size()});
    }

    static qint64 mtimeOf(const QFileInfo& info) { return info.lastModified().toSecsSinceEpoch(); }

    void push(ZipItem item) {
        if (names_.contains(item.entryName))
            throw EInfoZipException(texts::zipDuplicateName(item.entryName));
        names_.insert(item.entryName);
        items_.push_back(std::move(item));
    }

    const TInfoZip& zip_;
    const Printer& print_;
    QString archivePath_;
    std::vector<ZipItem> items_;
    QSet<QString> names_;
};

// Feeds one file to libzip, opened only while libzip reads it, and reports
// the two progress lines of its entry.
struct FileSource : zipsupport::CallbackSource<FileSource> {
    FileSource(const ZipItem& item, const char* method, const Printer& printer,
               PendingError& pendingError)
        : path(QFile::encodeName(item.path)),
          entryName(item.entryName),
          methodText(method),
          print(&printer),
          pending(&pendingError) {}
    ~FileSource() {
        if (fd >= 0) ::close(fd);
    }

    QByteArray path;
    QString entryName;
    const char* methodText;
    const Printer* print;
    PendingError* pending;
    int fd = -1;
    bool atEnd = false;

    // Runs a progress report; a throwing handler stops the archive.
    bool report(const char* label, const char* tail) {
        try {
            print->line(QLatin1String(label) + entryName + QLatin1String(tail));
            return true;
        } catch (...) {
            pending->error = std::current_exception();
            return false;
        }
    }

    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
            case ZIP_SOURCE_OPEN:
                if (!report("  adding: ", "")) return fail(ZIP_ER_CANCELLED);
                fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
                if (fd < 0) return fail(ZIP_ER_OPEN, errno);
                atEnd = false;
                return 0;
            case ZIP_SOURCE_READ: {
                ssize_t count;
                do {
                    count = ::read(fd, data, length);
                } while (count < 0 && errno == EINTR);
                if (count < 0) return fail(ZIP_ER_READ, errno);
                atEnd = count == 0;
                return count;
            }
            case ZIP_SOURCE_CLOSE:
                if (fd >= 0) ::close(fd);
                fd = -1;
                if (atEnd && !report("  added: ", methodText)) return fail(ZIP_ER_CANCELLED);
                return 0;
            case ZIP_SOURCE_STAT: {
                auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error);
                if (!st) return -1;
                struct stat sb;
                if (::stat(path.constData(), &sb) != 0) return fail(ZIP_ER_READ, errno);
                zip_stat_init(st);
                st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
                st->size = zip_uint64_t(sb.st_size);
                st->mtime = sb.st_mtime;
                return sizeof(*st);
            }
            case ZIP_SOURCE_SUPPORTS:
                return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                      ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                      ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
            default:
                return fail(ZIP_ER_OPNOTSUPP);
        }
    }
};

void refuseUnsupported(const TInfoZip& z) {
    const std::pair<bool, const char*> options[] = {
        {z.Volume, "Volume"}, {z.Extra, "Extra"},     {z.LF_CRLF, "LF_CRLF"},
        {z.Force, "Force"},   {z.Move, "Move"},       {z.DeleteEntries, "DeleteEntries"},
        {z.Update, "Update"}, {z.Freshen, "Freshen"}, {z.JunkSFX, "JunkSFX"},
    };
    for (const auto& [set, name] : options)
        if (set) throw EInfoZipException(texts::optionNotSupported(QLatin1String(name)));
}

struct ZipDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

}  // namespace

namespace {

// The entries' lines as libzip gives them: a directory's two lines when it is
// added, a file's when its data is written.
void printDirectoryLines(const ZipItem& item, const Printer& print) {
    print.line(QStringLiteral("  adding: ") + item.entryName);
    print.line(QStringLiteral("  added: ") + item.entryName + QStringLiteral(" (directory)"));
}

// What an archive of stored entries holds: entries, bytes of names, bytes of data.
struct StoredTotals {
    quint64 entries = 0, names = 0, data = 0;
};

StoredTotals storedTotals(const std::vector<ZipItem>& items) {
    StoredTotals t;
    t.entries = items.size();
    for (const ZipItem& item : items) {
        t.names += quint64(item.entryName.toUtf8().size());
        t.data += quint64(std::max<qint64>(item.size, 0));
    }
    return t;
}

// Stored entries of an archive made afresh: written by our own writer, which
// copies each file in large blocks and computes its CRC on the way.
quint64 writeStored(const TInfoZip& z, const std::vector<ZipItem>& items, const StoredTotals& t,
                    const Printer& print) {
    std::unique_ptr<zipsupport::FileZipOutput> file;
    ZipOutput* output = z.Output;
    if (!output) output = (file = std::make_unique<zipsupport::FileZipOutput>(z.NameOfZipFile, z.NameOfZipFile)).get();
    output->begin(zipsupport::storedArchiveSize(t.entries, t.names, t.data));
    zipsupport::StoredZipWriter writer(*output, z.NameOfZipFile);
    for (const ZipItem& item : items)
        if (item.directory) printDirectoryLines(item, print);
    quint64 totalBytes = 0;
    for (const ZipItem& item : items) {
        const QByteArray name = item.entryName.toUtf8();
        if (item.directory) {
            writer.addDirectory(name, item.mtime);
            continue;
        }
        print.line(QStringLiteral("  adding: ") + item.entryName);
        totalBytes += writer.addFile(name, item.path, item.mtime, quint64(std::max<qint64>(item.size, 0)));
        print.line(QStringLiteral("  added: ") + item.entryName + QStringLiteral(" (stored)"));
    }
    writer.commit();
    return totalBytes;
}

// Everything else goes through libzip: deflated entries, additions to an
// existing archive (Grow), and archives that need ZIP64.
quint64 writeWithLibzip(const TInfoZip& z, const std::vector<ZipItem>& items,
                        const Printer& print) {
    int openError = 0;
    const int flags = z.Grow ? ZIP_CREATE : ZIP_CREATE | ZIP_TRUNCATE;
    std::unique_ptr<zip_t, ZipDiscard> archive(
        zip_open(QFile::encodeName(z.NameOfZipFile).constData(), flags, &openError));
    if (!archive)
        throw EInfoZipException(
            texts::zipCannotWrite(z.NameOfZipFile, zipsupport::errorText(openError)));
    auto failed = [&] {
        return EInfoZipException(texts::zipCannotWrite(
            z.NameOfZipFile, zipsupport::errorText(zip_get_error(archive.get()))));
    };

    PendingError pending;
    const char* methodText = z.Level == 0 ? " (stored)" : " (deflated)";
    quint64 totalBytes = 0;
    for (const ZipItem& item : items) {
        const QByteArray name = item.entryName.toUtf8();
        zip_int64_t index;
        if (item.directory) {
            printDirectoryLines(item, print);
            index = zip_dir_add(archive.get(), name.constData(), ZIP_FL_ENC_UTF_8);
            if (index < 0) throw failed();
        } else {
            auto* reader = new FileSource(item, methodText, print, pending);
            zip_source_t* source =
                zip_source_function(archive.get(), &FileSource::callback, reader);
            if (!source) {
                delete reader;
                throw failed();
            }
            index = zip_file_add(archive.get(), name.constData(), source,
                                 ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
            if (index < 0) {
                zip_source_free(source);
                throw failed();
            }
            totalBytes += quint64(QFileInfo(item.path).size());
        }
        const zip_int32_t method = z.Level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
        if (zip_set_file_compression(archive.get(), zip_uint64_t(index), method,
                                     zip_uint32_t(z.Level)) != 0 ||
            zip_file_set_mtime(archive.get(), zip_uint64_t(index), time_t(item.mtime), 0) != 0)
            throw failed();
    }

    // libzip writes a temporary file beside the archive and renames it over
    // the archive only when everything was written.
    if (zip_close(archive.get()) != 0) {
        pending.rethrowIfAny();
        throw failed();
    }
    archive.release();
    return totalBytes;
}

}  // namespace

void TInfoZip::Execute() {
    if (Date) throw EInfoZipException(texts::kDateNotSupported);
    if (Level < 0 || Level > 9) throw EInfoZipException(texts::kLevelOutOfRange);
    refuseUnsupported(*this);
    if (NameOfZipFile.isEmpty()) throw EInfoZipException(texts::kNoZipFileName);
    zipsupport::ExclusiveRun exclusive;

    const Printer print(this, OnPrint, Quiet);
    std::vector<ZipItem> items = Collector(*this, print).collect();
    if (items.empty()) throw EInfoZipException(texts::kNothingToZip);

    const StoredTotals totals = storedTotals(items);
    const bool stored = Level == 0 && !Grow &&
                        zipsupport::StoredZipWriter::fits(totals.entries, totals.names, totals.data);
    if (Output && !stored) throw EInfoZipException(texts::kZipOutputStoredOnly);
    const quint64 totalBytes =
        stored ? writeStored(*this, items, totals, print) : writeWithLibzip(*this, items, print);

    if (LatestTime && !Output) {
        qint64 latest = 0;
        for (const ZipItem& item : items) latest = std::max(latest, item.mtime);
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(latest), 0}};
        if (::utimensat(AT_FDCWD, QFile::encodeName(NameOfZipFile).constData(), times, 0) != 0)
            throw EInfoZipException(texts::zipCannotWrite(NameOfZipFile, qt_error_string(errno)));
    }
    if (Verbose)
        print.line(
            QStringLiteral("  total: %1 entries, %2 bytes").arg(items.size()).arg(totalBytes));
}

}  // namespace vellora
