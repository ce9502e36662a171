#include <QDir>
#include <QFileInfo>
#include <cmath>

#include "CopyLesson.h"
#include "Dialogs.h"
#include "DiskDrive.h"
#include "Exchange.h"
#include "ExchangeSupport.h"
#include "ExchangeTexts.h"
#include "HandleDataBase.h"
#include "InfoZip.h"
#include "Spanning.h"
#include "StatusLine.h"

namespace vellora {
namespace {

using exchangesupport::errorDetail;

// Room needed beside the lesson's files for the archive and the tables.
constexpr double kFreeSpaceFactor = 1.1;
// The package tables, counted for the zipping progress.
constexpr qint32 kExtraFiles = 9;

// Package files in the lesson directory, removed before and after an export.
const QStringList& packagePatterns() {
    static const QStringList patterns = {texts::kZipFileName, QStringLiteral("*.db"), QStringLiteral("*.px"),
                                         QStringLiteral("*.val"), QStringLiteral("*.mb")};
    return patterns;
}

// InfoZip1Print: two lines per file, so half a percent-step each. While the
// archive goes straight onto disks the gauge follows the disks instead.
void zipPrint(ExchangeContext& context, const QString& text, bool gauge) {
    context.status.setStatusText(texts::zippingLine(text));
    ++context.state.ZipLineCount;
    if (gauge && context.state.PackageFileCount > 0)
        context.status.ShowProgress(
            true, int(std::lround(context.state.ZipLineCount * 100 * 0.5 / context.state.PackageFileCount)));
}

// Tables, lesson rows, archive, disks. True when every disk was written.
bool writePackage(ExchangeContext& context, const QString& lessonDir, const QString& chosen, QString* stopped) {
    // A package made fresh: tables left by an interrupted export would take this
    // lesson's rows beside stale ones.
    exchangesupport::deletePackageFiles(lessonDir, packagePatterns(), context);
    // The package is thrown away once zipped: it need not wait for the disk.
    context.database.CreateNewDatabase(lessonDir, texts::kExportDatabaseName, false, false);
    context.state.PackageFileCount += kExtraFiles;
    {
        Database package(lessonDir);
        package.setDurable(false);
        CopyLessonOptions options;
        options.programDir = context.database.programDir();
        options.status = &context.status;
        options.destinationName = QDir::toNativeSeparators(lessonDir);
        CopyLesson(context.database.database(), context.host.LesnRegNum(), package, CopyDirection::Out, options);
    }  // closed before its files are zipped

    // Where every disk stays at hand, the archive is zipped straight onto
    // them; otherwise it is made whole first, as the disks are swapped in one
    // drive and the user is asked for each only when the zipping is done.
    const bool straightOntoDisks = context.drive.keepsEveryDisk();
    const QString zipFile = QDir(lessonDir).filePath(texts::kZipFileName);
    TInfoZip zip;
    zip.Level = 0;
    zip.NoDirEntries = true;
    zip.NameOfZipFile = zipFile;
    zip.FileList.clear();
    zip.FileList << QDir(lessonDir).filePath(QStringLiteral("*.*"));
    zip.OnPrint = [&context, straightOntoDisks](QObject*, const QString& text) {
        zipPrint(context, text, !straightOntoDisks);
    };
    DiskSpanner spanner(context.dialogs, context.status, context.drive, context.state);
    bool written;
    if (straightOntoDisks) {
        written = spanner.SpanZip(zip, chosen);
    } else {
        zip.Execute();
        context.status.Status(texts::kSpanningPrefix, texts::kZipFileName, texts::kZippingString);
        written = spanner.SpanFile(zipFile, chosen, true);
    }
    if (!written) *stopped = spanner.lastProblem();
    return written;
}

}  // namespace

ExchangeOutcome ExportToDisk(ExchangeContext& context) {
    ExchangeOutcome outcome;
    context.status.Status(QString(), QString(), texts::kSelectExportString);
    const QString chosen = context.host.selectExportDirectory();
    if (chosen.isEmpty()) return outcome;

    exchangesupport::RunGuard guard(context, true);
    context.state.PackageFileCount = 0;
    const QString lessonDir = context.host.DirPath();

    const qint64 size = DirectorySize(lessonDir, context.state);
    const qint64 need = std::llround(double(size) * kFreeSpaceFactor);
    const qint64 free = context.drive.freeSpace(lessonDir);
    // A lesson without media yet is still a lesson: only a directory that
    // cannot be searched, or a disk without room, stops the export.
    if (size < 0 || !(free > need && free > 0)) {
        context.dialogs.information(texts::kInsufficientDiskSpace);
        outcome.result = ExchangeOutcome::Result::Failed;
        outcome.message = texts::kInsufficientDiskSpace;
        return outcome;
    }
    // The clean-up deletes every table file of the lesson directory: never let
    // it loose on the working database.
    if (exchangesupport::sameDirectory(lessonDir, context.database.workingDirectory())) {
        context.dialogs.error(texts::kErrorExporting);
        outcome.result = ExchangeOutcome::Result::Failed;
        outcome.message = texts::kErrorExporting + QStringLiteral(": ") + texts::kLessonDirectoryIsDatabase;
        return outcome;
    }

    std::exception_ptr error;
    try {
        QString stopped;
        if (writePackage(context, lessonDir, chosen, &stopped)) {
            outcome.result = ExchangeOutcome::Result::Done;
            context.dialogs.information(texts::kLesnExported);
        } else {
            outcome.message = oneLine(stopped);
        }
    } catch (...) {
        error = std::current_exception();
    }

    exchangesupport::deletePackageFiles(lessonDir, packagePatterns(), context);
    try {
        context.host.showTitlePage();
    } catch (...) {
        if (!error) error = std::current_exception();
    }

    if (error) {
        outcome.result = ExchangeOutcome::Result::Failed;
        try {
            std::rethrow_exception(error);
        } catch (const EDivByZero&) {
            context.dialogs.error(texts::kDivideByZero);
            outcome.message = texts::kDivideByZero;
        } catch (...) {
            context.dialogs.error(texts::kErrorExporting);
            outcome.message = texts::kErrorExporting + QStringLiteral(": ") + oneLine(errorDetail(error));
        }
    }
    return outcome;
}

}  // namespace vellora
