#include "Spanning.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <memory>
#include <utility>

#include "Dialogs.h"
#include "DiskDrive.h"
#include "DiskId.h"
#include "ExchangeTexts.h"
#include "FileUtils.h"
#include "InfoZip.h"
#include "ZipOutput.h"
#include "ZipSupport.h"
#include "StatusLine.h"

namespace vellora {
namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// The entry called `name` in `directory`, found without regard to case (a
// disk written elsewhere may spell "DiskID" otherwise); the exact spelling
// when there is none.
QString entryIn(const QString& directory, const QString& name) {
    const QDir dir(directory);
    const QString exact = dir.filePath(name);
    if (QFileInfo::exists(exact)) return exact;
    for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return exact;
}

QString directoryOf(const QString& path) { return QFileInfo(path).absolutePath(); }

// Hides the gauge however the work ends.
class GaugeGuard {
public:
    explicit GaugeGuard(StatusLine& status) : status_(status) {}
    ~GaugeGuard() { status_.ShowProgress(false, 0); }
    GaugeGuard(const GaugeGuard&) = delete;
    GaugeGuard& operator=(const GaugeGuard&) = delete;

private:
    StatusLine& status_;
};

[[noreturn]] void writeError(const QSaveFile& file) {
    throw EFileError(EFileError::Kind::Write, file.fileName(),
                     texts::kCannotWriteFile.arg(shown(file.fileName()), file.errorString()));
}

[[noreturn]] void flushError(const QString& path) {
    throw EFileError(EFileError::Kind::Write, path, texts::kCannotFlush.arg(shown(path)));
}

// A piece committed under its name stays under it: the name is on the disk too.
void flushDirectoryOf(const QString& path) {
    if (!FlushDirectory(directoryOf(path))) flushError(directoryOf(path));
}

std::unique_ptr<QSaveFile> createFile(const QString& path) {
    auto file = std::make_unique<QSaveFile>(path);
    if (QFileInfo(path).isDir() || !file->open(QIODevice::WriteOnly))
        throw EFileError(EFileError::Kind::Create, path, texts::kCannotCreateFile.arg(shown(path)));
    return file;
}

// The DiskID that goes beside a disk's piece.
QString diskIdBeside(const QString& piece) {
    return QDir(directoryOf(piece)).filePath(texts::kDiskIdFileName);
}

// The DiskID written onto a disk before its piece. A disk whose piece never
// made it is left without it: a DiskID alone would make the next export
// refuse the disk as one of an earlier export.
class UnfinishedDisk {
public:
    explicit UnfinishedDisk(const QString& piece = QString())
        : idFile_(piece.isEmpty() ? QString() : diskIdBeside(piece)) {}
    UnfinishedDisk(const UnfinishedDisk&) = delete;
    UnfinishedDisk& operator=(UnfinishedDisk&& other) noexcept {
        std::swap(idFile_, other.idFile_);
        return *this;
    }
    ~UnfinishedDisk() {
        if (!idFile_.isEmpty()) QFile::remove(idFile_);
    }
    void finished() { idFile_.clear(); }

private:
    QString idFile_;
};

// Moves `from` to `to`, replacing a file there, in one rename; false when the
// file system cannot (another disk) or anything else stands in the way.
bool moveFile(const QString& from, const QString& to) {
    if (QFileInfo(to).isDir()) return false;
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
                            std::filesystem::path(QFile::encodeName(to).toStdString()), error);
    return !error;
}

// Copies bytes from one open file to another: inside the kernel where the
// file systems allow (no pass through this process), else through a buffer.
class BlockCopier {
public:
    // Bytes per step: progress is shown after each.
    static constexpr qint64 kStep = DiskSpanner::kBlockSize;

    // Reads `in` from `offset` on; writes at the end of `out`.
    BlockCopier(QFile& in, qint64 offset, QFileDevice& out) : in_(in), out_(out), offset_(offset) {}

    // Copies up to `length` bytes, answering how many (0 at the end of the
    // input). Raises EFileError on a read or write error.
    qint64 copy(qint64 length) {
        if (kernel_) {
            loff_t from = loff_t(offset_);
            ssize_t n;
            do {
                n = ::copy_file_range(in_.handle(), &from, out_.handle(), nullptr, size_t(length), 0);
            } while (n < 0 && errno == EINTR);
            if (n >= 0) {
                offset_ += n;
                return n;
            }
            // Not between these files: copy through the buffer from now on.
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP && errno != EBADF)
                fail(errno);
            kernel_ = false;
        }
        if (!buffer_) buffer_.reset(new char[size_t(kStep)]);
        ssize_t n;
        do {
            n = ::pread(in_.handle(), buffer_.get(), size_t(qMin(length, kStep)), off_t(offset_));
        } while (n < 0 && errno == EINTR);
        if (n < 0)
            throw EFileError(EFileError::Kind::Read, in_.fileName(),
                             texts::kCannotReadFile.arg(shown(in_.fileName()), qt_error_string(errno)));
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out_.handle(), buffer_.get() + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) fail(errno);
            done += w;
        }
        offset_ += n;
        return n;
    }

private:
    [[noreturn]] void fail(int error) {
        throw EFileError(EFileError::Kind::Write, out_.fileName(),
                         texts::kCannotWriteFile.arg(shown(out_.fileName()), qt_error_string(error)));
    }

    QFile& in_;
    QFileDevice& out_;
    qint64 offset_;
    bool kernel_ = true;
    std::unique_ptr<char[]> buffer_;
};

}  // namespace

int PercentDone(qint64 total, qint64 remaining) {
    if (total == 0) throw EDivByZero();
    return int((total - remaining) * 100 / total);
}

qint64 DirectorySize(const QString& directory, ExchangeState& state) {
    state.PackageFileCount = 0;
    const QFileInfo info(directory);
    if (directory.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable()) return -1;
    qint64 size = 0;
    qint32 count = 0;
    for (const QFileInfo& file : QDir(directory).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (file.size() <= 0) continue;
        size += file.size();
        ++count;
    }
    state.PackageFileCount = count;
    return size;
}

DiskSpanner::DiskSpanner(Dialogs& dialogs, StatusLine& status, DiskDrive& drive, ExchangeState& state)
    : dialogs_(dialogs), status_(status), drive_(drive), state_(state) {}

bool DiskSpanner::askAgain(const QString& message) {
    lastProblem_ = message;
    return dialogs_.message(MsgKind::Warning, message + QStringLiteral("\r") + texts::kClickCancelToQuit,
                            MsgButtons::OkCancel) == MsgAnswer::Ok;
}

bool DiskSpanner::CheckDisk(const QString& target, qint32 expectedId, int diskNumber, CopyDirection direction,
                            QString* diskPath) {
    const bool in = direction == CopyDirection::In;
    for (;;) {
        const QString path = drive_.diskPath(target, diskNumber);
        const QString idFile = entryIn(directoryOf(path), texts::kDiskIdFileName);
        const bool hasId = QFileInfo::exists(idFile) || QFileInfo(idFile).isSymLink();
        bool result = false;
        QString message;
        if (!in) {
            // A disk of an earlier export is never written over.
            if (hasId) message = texts::kLesnDisk;
            else result = true;
        } else if (!QFileInfo(path).isFile()) {
            message = texts::incorrectDisk(qMax(diskNumber, 1));
        } else if (!hasId) {
            if (diskNumber == 0 || state_.SingleFileMode) {
                state_.PackageSize = FileSize(path);
                state_.SingleFileMode = true;
                result = true;
            } else {
                state_.SingleFileMode = false;
                message = shown(idFile);
            }
        } else {
            DiskId id;
            if (ReadDiskId(idFile, &id) == DiskIdRead::Ok) {
                // Taken over even when the disk is then refused.
                state_.PackageID = id.PackageID;
                state_.PackageSize = id.PackageSize;
                state_.PackageFileCount = id.PackageFileCount;
                if (diskNumber == 0 || (id.PackageID == expectedId && id.DiskNumber == diskNumber)) result = true;
                else message = texts::diskRequest(diskNumber);
            } else {
                message = texts::incorrectDisk(qMax(diskNumber, 1));
            }
        }
        if (message.isEmpty()) {
            if (diskPath) *diskPath = path;
            return result;
        }
        if (!askAgain(message)) return false;
    }
}

qint64 DiskSpanner::PrepareDisk(qint64 totalSize, const QString& target, qint32 packageId, int diskNumber,
                                QString* diskTarget) {
    dialogs_.information(texts::diskPrompt(diskNumber, drive_.driveName(target)));
    QString path;
    if (!CheckDisk(target, packageId, diskNumber, CopyDirection::Out, &path)) return -1;
    DiskId id;
    id.PackageID = packageId;
    id.DiskNumber = diskNumber;
    id.PackageSize = qint32(totalSize);
    id.PackageFileCount = state_.PackageFileCount;
    const QString idFile = diskIdBeside(path);
    if (!WriteDiskId(idFile, id)) {
        // Ending without a word would leave the user guessing why nothing was written.
        lastProblem_ = texts::kCannotCreateFile.arg(shown(idFile));
        dialogs_.error(lastProblem_);
        return -1;
    }
    if (diskTarget) *diskTarget = path;
    // A disk whose room cannot be told is a bad disk, not a user giving up.
    return qMax<qint64>(0, drive_.freeSpace(path));
}

QString DiskSpanner::pieceTarget(const QString& target) {
    return QFileInfo(target).isDir() ? QDir(target).filePath(texts::kPieceFileName) : target;
}

void DiskSpanner::choosePackageId() {
    state_.PackageID = std::uniform_int_distribution<qint32>(0, DiskId::kPackageIdLimit - 1)(state_.random);
}

qint64 DiskSpanner::usableDisk(const QString& target, int diskNumber, QString* diskTarget) {
    for (;;) {
        const qint64 free = PrepareDisk(state_.PackageSize, target, state_.PackageID, diskNumber, diskTarget);
        if (free < 0 || free >= kSmallestDisk) return free;
        // The disk is left as it was found.
        QFile::remove(diskIdBeside(*diskTarget));
        lastProblem_ = texts::kInsufficientCapacity;
        if (dialogs_.message(MsgKind::Warning, texts::kInsufficientCapacity, MsgButtons::OkCancel) != MsgAnswer::Ok)
            return -1;
    }
}

void DiskSpanner::showSpanned(qint64 remaining) {
    const int percent = PercentDone(state_.PackageSize, remaining);
    status_.ShowProgress(true, percent);
    status_.Status(texts::kSpanningFilePrefix, QString::number(percent) + texts::kPercentDone,
                   texts::kCopyingToDiskString);
}

bool DiskSpanner::SpanFile(const QString& source, const QString& sourceTarget, bool mayMoveSource) {
    choosePackageId();
    const QString target = pieceTarget(sourceTarget);

    GaugeGuard gauge(status_);
    status_.ShowProgress(true, 0);
    state_.PackageSize = FileSize(source);
    qint64 remaining = state_.PackageSize;
    QFile in(source);
    if (state_.PackageSize < 0 || !in.open(QIODevice::ReadOnly))
        throw EFileError(EFileError::Kind::Open, source, texts::kCannotOpenFile.arg(shown(source)));
    // The DiskID holds the size in 32 bits.
    if (state_.PackageSize > std::numeric_limits<qint32>::max()) throw EPackageError(texts::kPackageTooLarge);

    int diskNumber = 0;
    do {
        ++diskNumber;
        QString diskTarget;
        qint64 free = usableDisk(target, diskNumber, &diskTarget);
        if (free < 0) return false;
        UnfinishedDisk unfinished(diskTarget);

        if (diskNumber == 1 && mayMoveSource && free >= remaining && moveFile(source, diskTarget)) {
            // The archive was written without waiting for the disk.
            if (!FlushFile(diskTarget)) flushError(diskTarget);
            flushDirectoryOf(diskTarget);
            remaining = 0;
            showSpanned(remaining);
            unfinished.finished();
            break;
        }

        // Written whole and flushed to the disk before the user is asked for
        // the next one.
        const std::unique_ptr<QSaveFile> out = createFile(diskTarget);
        BlockCopier copier(in, state_.PackageSize - remaining, *out);
        qint64 written = 0;
        while (free > 0) {
            const qint64 count = copier.copy(qMin(free, BlockCopier::kStep));
            if (count == 0) break;
            // Let the disk take the piece while the rest is copied, so that
            // the flush before the next disk has little left to wait for.
            ::sync_file_range(out->handle(), written, count, SYNC_FILE_RANGE_WRITE);
            written += count;
            remaining -= count;
            free -= count;
            showSpanned(remaining);
        }
        if (!out->commit()) writeError(*out);
        flushDirectoryOf(diskTarget);
        unfinished.finished();
        // Room left on the disk yet bytes still to come: the source shrank.
        if (remaining > 0 && free > 0)
            throw EFileError(EFileError::Kind::Read, source,
                             texts::kCannotReadFile.arg(shown(source), QStringLiteral("the file ended early")));
    } while (remaining > 0);
    return true;
}

// The archive of SpanZip, written piece after piece: each disk is asked for
// when the bytes reach it, and its piece is flushed before the next.
class DiskSpanner::DiskOutput : public ZipOutput {
public:
    DiskOutput(DiskSpanner& spanner, const QString& target) : spanner_(spanner), target_(target) {}

    // The user gave up at a disk prompt.
    struct Cancelled {};

    void begin(quint64 size) override {
        // The DiskID holds the size in 32 bits.
        if (size > quint64(std::numeric_limits<qint32>::max())) throw EPackageError(texts::kPackageTooLarge);
        spanner_.state_.PackageSize = qint64(size);
        remaining_ = qint64(size);
        spanner_.status_.ShowProgress(true, 0);
        nextDisk();
    }

    void write(const char* data, qsizetype length) override {
        if (length > remaining_) changed();
        while (length > 0) {
            if (free_ == 0) nextDisk();
            const qint64 count = qMin<qint64>(length, free_);
            if (!zipsupport::writeAll(out_->handle(), data, count)) fail(errno);
            // Let the disk take the piece while the rest comes, so that the
            // flush before the next disk has little left to wait for.
            ::sync_file_range(out_->handle(), written_, count, SYNC_FILE_RANGE_WRITE);
            written_ += count;
            free_ -= count;
            remaining_ -= count;
            data += count;
            length -= count;
            if (written_ - shown_ >= kBlockSize || remaining_ == 0) {
                shown_ = written_;
                spanner_.showSpanned(remaining_);
            }
        }
    }

    quint64 room() const override { return quint64(free_); }

    void rewrite(quint64 offset, const char* data, qsizetype length) override {
        const quint64 pieceStart = quint64(spanner_.state_.PackageSize - remaining_ - written_);
        if (offset < pieceStart || offset + quint64(length) > pieceStart + quint64(written_))
            throw std::logic_error("rewriting bytes of a disk already written");
        if (!zipsupport::pwriteAll(out_->handle(), data, length, offset - pieceStart)) fail(errno);
    }

    void commit() override {
        if (remaining_ != 0) changed();
        finishPiece();
    }

private:
    void nextDisk() {
        finishPiece();
        QString diskTarget;
        const qint64 free = spanner_.usableDisk(target_, ++diskNumber_, &diskTarget);
        if (free < 0) throw Cancelled{};
        unfinished_ = UnfinishedDisk(diskTarget);
        out_ = createFile(diskTarget);
        free_ = free;
        written_ = 0;
        shown_ = 0;
    }

    // Written whole and flushed to the disk before the user is asked for the
    // next one.
    void finishPiece() {
        if (!out_) return;
        if (!out_->commit()) writeError(*out_);
        flushDirectoryOf(out_->fileName());
        unfinished_.finished();
        out_.reset();
    }

    [[noreturn]] void fail(int error) const {
        throw EFileError(EFileError::Kind::Write, out_->fileName(),
                         texts::kCannotWriteFile.arg(shown(out_->fileName()), qt_error_string(error)));
    }
    // More or fewer bytes than the archive was to hold.
    [[noreturn]] void changed() const {
        throw EPackageError(texts::kPackageChanged);
    }

    DiskSpanner& spanner_;
    QString target_;
    int diskNumber_ = 0;
    UnfinishedDisk unfinished_;
    std::unique_ptr<QSaveFile> out_;
    qint64 free_ = 0;       // room left on the disk in the drive
    qint64 written_ = 0;    // onto that disk
    qint64 shown_ = 0;      // of which the progress has been shown
    qint64 remaining_ = 0;  // of the whole archive
};

bool DiskSpanner::SpanZip(TInfoZip& zip, const QString& target) {
    choosePackageId();
    GaugeGuard gauge(status_);
    DiskOutput output(*this, pieceTarget(target));
    const auto restore = qScopeGuard([&zip, previous = std::exchange(zip.Output, &output)] { zip.Output = previous; });
    try {
        zip.Execute();
    } catch (const DiskOutput::Cancelled&) {
        return false;
    }
    return true;
}

DiskSpanner::Joined DiskSpanner::Reassemble(const QString& source, const QString& target, bool allowInPlace) {
    Joined joined;
    GaugeGuard gauge(status_);
    if (!CheckDisk(source, 0, 0, CopyDirection::In, nullptr)) return joined;
    const qint32 expectedId = state_.PackageID;
    // Only a bound on what is read: the pieces must add up to it exactly.
    const qint64 total = state_.PackageSize;
    qint64 remaining = total;

    // A scratch file, read once right after: it need not be flushed to the
    // disk as a file the user keeps would be.
    std::unique_ptr<QFile> out;
    int diskNumber = 0;
    do {
        ++diskNumber;
        QString path;
        if (!CheckDisk(source, expectedId, diskNumber, CopyDirection::In, &path)) break;
        if (diskNumber == 1 && allowInPlace && FileSize(path) == total) {
            joined.copied = joined.complete = true;
            joined.archive = path;
            return joined;
        }
        if (allowInPlace && drive_.keepsEveryDisk()) {
            // Read where it lies once every disk has been checked.
            const qint64 size = FileSize(path);
            if (size < 0) throw EFileError(EFileError::Kind::Open, path, texts::kCannotOpenFile.arg(shown(path)));
            if (size > remaining) throw EPackageError(texts::kPackageDamaged);
            remaining -= size;
            joined.pieces << path;
            joined.copied = true;
            const int percent = PercentDone(total, remaining);
            status_.ShowProgress(true, percent);
            status_.Status(texts::kReassemblePrefix, QString::number(percent) + texts::kPercentDoneDot,
                           texts::kReassemblingString);
            continue;
        }
        if (!out) {
            out = std::make_unique<QFile>(target);
            if (QFileInfo(target).isDir() || !out->open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw EFileError(EFileError::Kind::Create, target, texts::kCannotCreateFile.arg(shown(target)));
        }
        status_.ShowProgress(true, 0);
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            throw EFileError(EFileError::Kind::Open, path, texts::kCannotOpenFile.arg(shown(path)));
        BlockCopier copier(in, 0, *out);
        for (;;) {
            // One byte more than is missing tells an overlong piece.
            const qint64 count = copier.copy(qMin(BlockCopier::kStep, remaining + 1));
            if (count == 0) break;
            if (count > remaining) throw EPackageError(texts::kPackageDamaged);
            remaining -= count;
            const int percent = PercentDone(total, remaining);
            status_.ShowProgress(true, percent);
            status_.Status(texts::kReassemblePrefix, QString::number(percent) + texts::kPercentDoneDot,
                           texts::kReassemblingString);
        }
        joined.copied = true;
    } while (remaining > 0);

    joined.complete = joined.copied && remaining == 0;
    if (!joined.pieces.isEmpty()) joined.archive = joined.pieces.first();
    if (out) {
        out->close();
        if (out->error() != QFileDevice::NoError)
            throw EFileError(EFileError::Kind::Write, target,
                             texts::kCannotWriteFile.arg(shown(target), out->errorString()));
        if (joined.copied) joined.archive = target;
    }
    return joined;
}

bool DiskSpanner::ReassembleFile(const QString& source, const QString& target) {
    return Reassemble(source, target, false).copied;
}

}  // namespace vellora
