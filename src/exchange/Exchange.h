#pragma once

#include <QString>

#include "FileUtils.h"

namespace vellora {

class Dialogs;
class DiskDrive;
class HandleDataBase;
class StatusLine;
struct ExchangeState;

// What export and import need of the main window: its run-time registers and
// the few screen changes they ask for. The program adapts its window and
// state to it; tests and the command-line tool have their own.
class ExchangeHost {
public:
    virtual ~ExchangeHost() = default;

    virtual bool LessonOpen() const = 0;
    virtual void setLessonOpen(bool open) = 0;
    // The open lesson's number; 0 when the register is empty.
    virtual qint64 LesnRegNum() const = 0;
    virtual void setLesnRegNum(qint64 number) = 0;
    // The open lesson's media directory.
    virtual QString DirPath() const = 0;
    virtual void setDirPath(const QString& path) = 0;
    // While set, the lesson record is not saved.
    virtual void setSavingSuspended(bool suspended) = 0;

    // Hourglass while busy, the default cursor otherwise.
    virtual void setBusyCursor(bool busy) { (void)busy; }
    // The export directory selector; empty when it was cancelled.
    virtual QString selectExportDirectory() = 0;
    // Saves everything that is open; true when all was saved.
    virtual bool SaveAll() { return true; }
    // Loads the record of lesson `number`; true when it was found.
    virtual bool LoadLesnRecord(qint64 number) = 0;
    // The title page: page 0 in the title domain.
    virtual void showTitlePage() {}
    // The "lesson not found" dialog.
    virtual void showLessonNotFound() {}
};

// Everything an export or import works with.
struct ExchangeContext {
    Dialogs& dialogs;
    StatusLine& status;
    HandleDataBase& database;  // the working database, open
    ExchangeHost& host;
    DiskDrive& drive;
    ExchangeState& state;
    const FileSystem& files = FileSystem::real();
};

// How an export or import ended, for callers that report it themselves (the
// command-line tool); the user has already been told through the dialogs.
struct ExchangeOutcome {
    enum class Result { Done, Cancelled, Failed };
    Result result = Result::Cancelled;
    // What stopped it, in one line; empty when nothing was said.
    QString message;
    // Import: the new lesson's number.
    qint64 lesnRegNum = 0;

    bool ok() const { return result == Result::Done; }
};

// File > Export To Disk: packs the open lesson (LesnRegNum, DirPath) into
// "LESN.ZIP" and writes it onto disks in the directory the user selects.
// Errors are reported to the user and never passed on; the lesson directory
// keeps none of the package files, whatever happens.
ExchangeOutcome ExportToDisk(ExchangeContext& context);

// File > Import From Disk: joins a package read from "lesn.lsn" (one file or a
// set of disks), unpacks it, copies its lesson into the working database under
// new numbers and opens it. A failure leaves the working database and the
// lesson directories as they were.
ExchangeOutcome ImportFromDisk(ExchangeContext& context);

// A message as one line ("\r" line breaks become blanks), for a log or a terminal.
QString oneLine(const QString& message);

}  // namespace vellora
