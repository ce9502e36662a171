#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "CopyLesson.h"
#include "Dialogs.h"
#include "DiskDrive.h"
#include "Exchange.h"
#include "ExchangeSupport.h"
#include "ExchangeTexts.h"
#include "FileNames.h"
#include "HandleDataBase.h"
#include "IUnzip.h"
#include "LessonNumbers.h"
#include "Spanning.h"
#include "StatusLine.h"
#include "Table.h"

namespace vellora {
namespace {

using exchangesupport::errorDetail;
using Result = ExchangeOutcome::Result;

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

EFileError notFlushed(const QString& path) {
    return EFileError(EFileError::Kind::Write, path, texts::kCannotFlush.arg(shown(path)));
}

// Package files removed from the new lesson directory: only media stay.
const QStringList& packagePatterns() {
    static const QStringList patterns = {QStringLiteral("lesn.zip"), QStringLiteral("*.db"), QStringLiteral("*.mb"),
                                         QStringLiteral("*.px"), QStringLiteral("*.val")};
    return patterns;
}

// Removes the scratch directory when an import fails after making it, so
// that no half-imported files linger; kept once it has become the lesson's.
class ScratchCleaner {
public:
    explicit ScratchCleaner(QString path) : path_(std::move(path)) {}
    ~ScratchCleaner() {
        if (!path_.isEmpty()) QDir(path_).removeRecursively();
    }
    ScratchCleaner(const ScratchCleaner&) = delete;
    ScratchCleaner& operator=(const ScratchCleaner&) = delete;
    void keep() { path_.clear(); }

private:
    QString path_;
};

// Room the unpacking leaves free on the disk, for the working database and
// whatever else runs meanwhile.
constexpr quint64 kFreeSpaceMargin = quint64(16) << 20;
// Files flushed at the same time.
constexpr int kFlushThreads = 8;

// An export writes a flat archive; an entry with a directory in its name was
// made to be placed elsewhere and is refused before anything is unpacked. So
// is an archive whose entries would not fit on the disk: unpacking holds
// every entry to its declared size, so their sum bounds what is written.
void checkEntries(const QStringList& pieces, const QString& scratch, ExchangeContext& context) {
    // An archive that cannot be opened is left to the unzip to describe.
    const QList<ZipEntryInfo> entries = ZipEntries(pieces);
    quint64 total = 0;
    for (const ZipEntryInfo& entry : entries) {
        const QString& name = entry.name;
        if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name == QLatin1String("..") ||
            name == QLatin1String("."))
            throw EPackageError(texts::packageEntryOutside(name));
        total = entry.size > std::numeric_limits<quint64>::max() - total ? std::numeric_limits<quint64>::max()
                                                                          : total + entry.size;
    }
    if (entries.isEmpty()) return;
    const qint64 free = context.drive.freeSpace(scratch);
    if (free < 0 || total > quint64(free) || quint64(free) - total < kFreeSpaceMargin)
        throw EPackageError(texts::packageTooLargeForDisk(total, qMax<qint64>(free, 0)));
}

// Every file of `directory` waits until its bytes are on the disk. The files
// are flushed side by side: the file system then commits its journal for
// several at once instead of once for each.
void flushFilesIn(const QString& directory, const FileSystem& files) {
    const QFileInfoList list = QDir(directory).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    std::atomic<qsizetype> next{0};
    std::atomic<qsizetype> failed{-1};
    auto work = [&] {
        for (qsizetype i; (i = next++) < list.size();)
            if (!files.flushFile(list[i].absoluteFilePath())) failed = i;
    };
    std::vector<std::thread> workers;
    for (int i = 1; i < qMin<qsizetype>(kFlushThreads, list.size()); ++i) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
    if (failed >= 0) throw notFlushed(list[failed].absoluteFilePath());
}

// InfoUnZip1Print: one line per file.
void unzipPrint(ExchangeContext& context, const QString& text) {
    context.status.setStatusText(texts::unzippingLine(text));
    ++context.state.ZipLineCount;
    if (context.state.PackageFileCount > 0)
        context.status.ShowProgress(
            true, int(std::lround(context.state.ZipLineCount * 100.0 / context.state.PackageFileCount)));
}

std::unique_ptr<Database> openPackage(const QString& directory) {
    try {
        return std::make_unique<Database>(directory, Database::Mode::ReadOnly);
    } catch (const StoreError& e) {
        const bool missing =
            e.code() == StoreError::Code::TableDoesNotExist || e.code() == StoreError::Code::PathNotFound;
        throw EPackageError((missing ? texts::kPackageNoTables : texts::kPackageBadTables) + QStringLiteral(" (") +
                            e.message() + QStringLiteral(")"));
    }
}

// The package's lesson: an export carries exactly one.
qint64 packageLesson(Database& package) {
    Table lessons(package, TableId::Lesn, true);
    if (!lessons.first()) throw EPackageError(texts::kPackageNoLesson);
    return lessons.key();
}

void fail(ExchangeOutcome& outcome, const QString& message) {
    outcome.result = Result::Failed;
    outcome.message = oneLine(message);
}

// Steps from joining the pieces to opening the new lesson.
void importPackage(ExchangeContext& context, const QString& file, const QString& scratch, ScratchCleaner& cleaner,
                   ExchangeOutcome& outcome) {
    DiskSpanner spanner(context.dialogs, context.status, context.drive, context.state);
    const DiskSpanner::Joined joined =
        spanner.Reassemble(file, QDir(scratch).filePath(texts::kZipFileName), true);
    // A set the user stopped half-way is never unpacked: its archive is cut short.
    if (!joined.complete) {
        context.dialogs.information(texts::kCouldNotReassemble);
        QString message = texts::kCouldNotReassemble;
        if (!spanner.lastProblem().isEmpty()) message += QStringLiteral(": ") + spanner.lastProblem();
        fail(outcome, message);
        return;
    }

    checkEntries(joined.pieces.isEmpty() ? QStringList{joined.archive} : joined.pieces, scratch, context);
    TIUnzip unzip;
    unzip.FileName = joined.archive;
    unzip.Pieces = joined.pieces;
    unzip.Dest = scratch;
    unzip.OnPrint = [&context](QObject*, const QString& text) { unzipPrint(context, text); };
    unzip.Execute();
    context.status.ShowProgress(false, 0);

    std::unique_ptr<Database> package = openPackage(scratch);
    const qint64 lesson = packageLesson(*package);

    // The copy and the move of the scratch directory stand or fall together:
    // the rows are committed only once the media are in their place.
    Database& working = context.database.database();
    Database::Transaction transaction(working);
    CopyLessonOptions options;
    options.programDir = context.database.programDir();
    options.status = &context.status;
    options.destinationName = texts::kWorkingDatabaseName;
    const CopyLessonResult copied = CopyLesson(*package, lesson, working, CopyDirection::In, options);
    package.reset();  // nothing may stay open in the directory about to move
    if (!copied.skippedDirectories.isEmpty())
        context.dialogs.information(SkippedFoldersMessage(copied.skippedDirectories));

    // Only the media go into place, and their bytes are on the disk before
    // the rows that name them commit.
    exchangesupport::deletePackageFiles(scratch, packagePatterns(), context);
    flushFilesIn(scratch, context.files);
    const QString lessonDir = copied.lessonDirectory;
    if (!RenameDirectory(scratch, lessonDir, context.files)) {
        context.dialogs.information(texts::kCouldNotRename);
        QString message = texts::kCouldNotRename;
        if (QFileInfo::exists(lessonDir)) message += QStringLiteral(": ") + texts::lessonDirectoryExists(shown(lessonDir));
        fail(outcome, message);
        return;
    }
    try {
        // The names given inside the directory, then the move of the directory.
        for (const QString& dir : {lessonDir, QFileInfo(lessonDir).absolutePath()})
            if (!context.files.flushDirectory(dir)) throw notFlushed(dir);
        transaction.commit();
    } catch (...) {
        RenameDirectory(lessonDir, scratch, context.files);
        throw;
    }
    cleaner.keep();

    context.host.setLesnRegNum(copied.lesnRegNum);
    context.host.setDirPath(lessonDir);
    outcome.result = Result::Done;
    outcome.lesnRegNum = copied.lesnRegNum;

    if (context.host.LoadLesnRecord(copied.lesnRegNum) && QFileInfo(lessonDir).isDir()) {
        context.host.setLessonOpen(true);
        context.host.showTitlePage();
        context.dialogs.information(texts::kLesnImported);
    } else {
        context.host.showLessonNotFound();
    }
}

}  // namespace

ExchangeOutcome ImportFromDisk(ExchangeContext& context) {
    ExchangeOutcome outcome;
    context.state.PackageFileCount = 0;
    context.state.SingleFileMode = false;
    context.state.ZipLineCount = 0;
    context.status.Status(QString(), QString(), texts::kSelectImportString);
    const QString file = context.dialogs.getOpenFileName(texts::kImportTitle, texts::kPieceFileName, texts::kImportFilter);
    if (file.isEmpty()) return outcome;
    if (QFileInfo(file).fileName().toUpper() != texts::kPieceFileName.toUpper()) {
        fail(outcome, texts::notAPackageName(shown(file)));
        return outcome;
    }

    exchangesupport::RunGuard guard(context, false);
    const QString scratch = ScratchDirectory(context.database.programDir());
    // Whatever an earlier import left goes first; a file or a link in the
    // scratch directory's place would otherwise block every import to come.
    const QFileInfo leftover(scratch);
    if (leftover.isSymLink() || (leftover.exists() && !leftover.isDir())) QFile::remove(scratch);
    if (!DeleteDirectory(scratch, context.status, context.dialogs, context.files)) {
        fail(outcome, texts::kCanNotDeleteDirectory.arg(shown(scratch)));
        return outcome;
    }
    QDir().mkpath(scratch);
    if (!QFileInfo(scratch).isDir()) {
        context.dialogs.error(texts::kCouldNotCreateDirectory + shown(scratch));
        fail(outcome, texts::kCouldNotCreateDirectory + shown(scratch));
        return outcome;
    }
    ScratchCleaner cleaner(scratch);

    if (context.host.LessonOpen()) {
        context.host.setSavingSuspended(false);
        context.host.SaveAll();
        context.host.setSavingSuspended(true);
    }
    context.host.setLessonOpen(false);
    // The package's own lesson is imported whatever the register held, so an
    // empty register after a failed import is no obstacle.
    context.host.setLesnRegNum(0);

    try {
        importPackage(context, file, scratch, cleaner, outcome);
    } catch (const EFileError& e) {
        context.dialogs.error(e.message());
        fail(outcome, e.message());
    } catch (...) {
        const QString detail = errorDetail(std::current_exception());
        context.dialogs.error(texts::kErrorImporting + QStringLiteral("\r") + detail);
        fail(outcome, texts::kErrorImporting + QStringLiteral(": ") + detail);
    }
    return outcome;
}

}  // namespace vellora
