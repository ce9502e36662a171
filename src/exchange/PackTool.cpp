#include "PackTool.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "Dialogs.h"
#include "DiskDrive.h"
#include "Exchange.h"
#include "ExchangeTexts.h"
#include "FileNames.h"
#include "HandleDataBase.h"
#include "Spanning.h"
#include "StatusLine.h"
#include "Table.h"
#include "Texts.h"

namespace vellora {
namespace {

const char kUsage[] =
    "usage: vellora-pack [--data-dir DIR] list\n"
    "       vellora-pack [--data-dir DIR] export LESSON DIR [--disk-size BYTES]\n"
    "       vellora-pack [--data-dir DIR] import PATH [PATH...]\n"
    "\n"
    "list     one line per lesson: number, pages, title (separated by tabs)\n"
    "export   writes lesson LESSON into DIR as lesn.lsn and DiskID; with --disk-size,\n"
    "         as disks DIR/disk1, DIR/disk2, ... of at most BYTES each\n"
    "import   reads the package whose lesn.lsn is PATH (one file, or disk 1) and the\n"
    "         further disks in the order they would be inserted; prints the new\n"
    "         lesson's number\n";

// The disks of the command line: export writes disk N to DIR/diskN with a
// set capacity (or everything to DIR); import reads the given pieces one
// after the other, moving on each time a disk is asked for.
class PackDrive : public DiskDrive {
public:
    QString root;           // export: the chosen directory
    qint64 diskSize = 0;    // export: capacity of a disk; 0 = the real free space of `root`
    QStringList pieces;     // import: the pieces in the order given
    int current = 0;

    QString diskPath(const QString& path, int diskNumber) override {
        if (!pieces.isEmpty()) return pieces[current];
        if (diskSize <= 0) return path;
        const QString dir = diskDirectory(diskNumber);
        QDir().mkpath(dir);
        return QDir(dir).filePath(QFileInfo(path).fileName());
    }

    qint64 freeSpace(const QString& path) override {
        const qint64 free = DiskDrive::freeSpace(path);
        if (diskSize <= 0 || free < 0) return free;
        const QFileInfo info(path);
        const QString dir = QDir::cleanPath(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
        if (QDir::cleanPath(QFileInfo(dir).absolutePath()) != QDir::cleanPath(root)) return free;
        qint64 used = 0;
        for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) used += f.size();
        return qMax<qint64>(0, qMin(free, diskSize - used));
    }

    // Every disk is a directory or a file of its own.
    bool keepsEveryDisk() const override { return diskSize > 0 || pieces.size() > 1; }

    // The user puts in the next disk; false when there is none.
    bool nextDisk() {
        if (current + 1 >= pieces.size()) return false;
        ++current;
        return true;
    }

    QString diskDirectory(int diskNumber) const {
        return QDir(root).filePath(QStringLiteral("disk") + QString::number(diskNumber));
    }
};

// Answers as the user of the command line would: Yes to making a missing
// working database, OK to every "insert disk" prompt while there are disks
// to insert, and Cancel where only another disk could help.
class PackDialogs : public Dialogs {
public:
    PackDrive* drive = nullptr;
    QString openFile;

    MsgAnswer message(MsgKind, const QString& text, MsgButtons buttons, const QString&) override {
        switch (buttons) {
            case MsgButtons::YesNo:
                return text == texts::kDatabaseNotFound ? MsgAnswer::Yes : MsgAnswer::No;
            case MsgButtons::OkCancel:
                return drive && drive->nextDisk() ? MsgAnswer::Ok : MsgAnswer::Cancel;
            case MsgButtons::Ok:
                break;
        }
        return MsgAnswer::Ok;
    }
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return openFile; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(const QString&, const QString&) override { return {}; }
    int exec(QObject*) override { return 0; }
};

// The main window's registers, for one command.
class PackHost : public ExchangeHost {
public:
    explicit PackHost(Database& db) : db_(db) {}
    bool LessonOpen() const override { return lessonOpen_; }
    void setLessonOpen(bool open) override { lessonOpen_ = open; }
    qint64 LesnRegNum() const override { return lesnRegNum_; }
    void setLesnRegNum(qint64 number) override { lesnRegNum_ = number; }
    QString DirPath() const override { return dirPath_; }
    void setDirPath(const QString& path) override { dirPath_ = path; }
    void setSavingSuspended(bool) override {}
    QString selectExportDirectory() override { return exportDirectory; }
    bool LoadLesnRecord(qint64 number) override {
        Table lessons(db_, TableId::Lesn, true);
        return lessons.findKey(number);
    }

    QString exportDirectory;

private:
    Database& db_;
    bool lessonOpen_ = false;
    qint64 lesnRegNum_ = 0;
    QString dirPath_;
};

struct Arguments {
    QString dataDir;
    qint64 diskSize = 0;
    QStringList positional;
    bool help = false;
    QString error;
};

Arguments parse(const QStringList& arguments) {
    Arguments a;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--data-dir") || arg == QLatin1String("--disk-size")) {
            if (i + 1 >= arguments.size()) {
                a.error = arg + QStringLiteral(" needs a value");
                return a;
            }
            const QString value = arguments[++i];
            if (arg == QLatin1String("--data-dir")) {
                a.dataDir = value;
            } else {
                bool ok = false;
                a.diskSize = value.toLongLong(&ok);
                if (!ok || a.diskSize <= 0) {
                    a.error = QStringLiteral("--disk-size needs a number of bytes above 0, not ") + value;
                    return a;
                }
            }
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            a.help = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            a.error = QStringLiteral("unknown option ") + arg;
            return a;
        } else {
            a.positional << arg;
        }
    }
    return a;
}

QString programDirFor(const QString& dataDir) {
    if (!dataDir.isEmpty()) return QDir::cleanPath(QDir(dataDir).absolutePath());
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString absolute(const QString& path) { return QDir::cleanPath(QDir(path).absolutePath()); }

int failed(QTextStream& err, const QString& message) {
    err << "vellora-pack: " << oneLine(message) << Qt::endl;
    return 1;
}

int list(Database& db, QTextStream& out) {
    Table lessons(db, TableId::Lesn, true);
    for (bool more = lessons.first(); more; more = lessons.next()) {
        const Query pages(db, TableId::Page, QStringLiteral("LesnRegNum"), lessons.key());
        out << lessons.key() << '\t' << pages.recordCount() << '\t'
            << oneLine(lessons.asString(QStringLiteral("Title"))).trimmed() << '\n';
    }
    out.flush();
    return 0;
}

int exportLesson(HandleDataBase& hdb, PackDialogs& dialogs, const Arguments& a, QTextStream& err) {
    bool ok = false;
    const qint64 lesson = a.positional[1].toLongLong(&ok);
    Table lessons(hdb.database(), TableId::Lesn, true);
    if (!ok || lesson <= 0 || !lessons.findKey(lesson))
        return failed(err, QStringLiteral("no lesson numbered ") + a.positional[1]);
    // The lesson's directory as the program knows it; where the data
    // directory has moved since, the lesson's directory under it.
    QString lessonDir = lessons.asString(QStringLiteral("DirPath"));
    if (lessonDir.isEmpty() || !QFileInfo(lessonDir).isDir()) {
        const QString here = LessonDirectory(hdb.programDir(), lesson);
        if (QFileInfo(here).isDir()) lessonDir = here;
    }

    const QString target = absolute(a.positional[2]);
    if (!QDir().mkpath(target)) return failed(err, texts::kCannotCreateDirectory + QStringLiteral(" ") + target);

    PackDrive drive;
    drive.root = target;
    drive.diskSize = a.diskSize;
    PackHost host(hdb.database());
    host.setLesnRegNum(lesson);
    host.setDirPath(lessonDir);
    host.exportDirectory = target;
    SilentStatusLine status;
    ExchangeState state;
    ExchangeContext context{dialogs, status, hdb, host, drive, state};
    const ExchangeOutcome outcome = ExportToDisk(context);
    if (outcome.ok()) return 0;
    return failed(err, outcome.message.isEmpty() ? texts::kErrorExporting : outcome.message);
}

int importLesson(HandleDataBase& hdb, PackDialogs& dialogs, const Arguments& a, QTextStream& out, QTextStream& err) {
    PackDrive drive;
    for (int i = 1; i < a.positional.size(); ++i) drive.pieces << absolute(a.positional[i]);
    dialogs.drive = &drive;
    dialogs.openFile = drive.pieces.first();
    PackHost host(hdb.database());
    SilentStatusLine status;
    ExchangeState state;
    ExchangeContext context{dialogs, status, hdb, host, drive, state};
    const ExchangeOutcome outcome = ImportFromDisk(context);
    if (!outcome.ok()) return failed(err, outcome.message.isEmpty() ? texts::kErrorImporting : outcome.message);
    out << outcome.lesnRegNum << Qt::endl;
    return 0;
}

}  // namespace

int VelloraPack(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const Arguments a = parse(arguments);
    if (a.help) {
        out << kUsage;
        out.flush();
        return 0;
    }
    const QString command = a.positional.value(0);
    QString error = a.error;
    if (error.isEmpty()) {
        if (command == QLatin1String("list")) {
            if (a.positional.size() != 1) error = QStringLiteral("list takes no arguments");
        } else if (command == QLatin1String("export")) {
            if (a.positional.size() != 3) error = QStringLiteral("export needs a lesson number and a directory");
        } else if (command == QLatin1String("import")) {
            if (a.positional.size() < 2) error = QStringLiteral("import needs the path of a lesn.lsn");
        } else {
            error = command.isEmpty() ? QStringLiteral("no command given") : QStringLiteral("unknown command ") + command;
        }
        if (error.isEmpty() && a.diskSize > 0 && command != QLatin1String("export"))
            error = QStringLiteral("--disk-size goes with export only");
    }
    if (!error.isEmpty()) {
        err << "vellora-pack: " << error << '\n' << kUsage;
        err.flush();
        return 2;
    }

    const QString programDir = programDirFor(a.dataDir);
    if (programDir.isEmpty() || !QDir().mkpath(programDir))
        return failed(err, texts::kCannotCreateDirectory + QStringLiteral(" ") + programDir);
    PackDialogs dialogs;
    SilentStatusLine status;
    try {
        HandleDataBase hdb(programDir, dialogs, status);
        hdb.OpenDataBase();
        if (command == QLatin1String("list")) return list(hdb.database(), out);
        if (command == QLatin1String("export")) return exportLesson(hdb, dialogs, a, err);
        return importLesson(hdb, dialogs, a, out, err);
    } catch (const HDDBExeption& e) {
        return failed(err, e.message());
    } catch (const StoreError& e) {
        return failed(err, e.message());
    } catch (const std::exception& e) {
        return failed(err, QString::fromLocal8Bit(e.what()));
    }
}

}  // namespace vellora
