#pragma once

// Helpers for the export and import tests: a data directory with a working
// database, lessons with media, scripted disks and a recording main window.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "Database.h"
#include "DiskDrive.h"
#include "DiskId.h"
#include "Exchange.h"
#include "ExchangeTexts.h"
#include "FileNames.h"
#include "FillRow.h"
#include "HandleDataBase.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "Spanning.h"
#include "StatusLine.h"
#include "Table.h"
#include "TempDir.h"
#include "ZipTestSupport.h"

namespace vellora::testing {

const QString kCancelSuffix = QStringLiteral("\rClick \"Cancel\" to quit export.");

inline QString prompt(int n) { return texts::diskPrompt(n, QStringLiteral("A")); }

// The status line, with the progress gauge's values in order. Each gauge
// value remembers how many messages had been shown by then, so a test can
// tell on which disk it came.
struct RecordingStatus : StatusLine {
    struct Gauge {
        bool visible;
        int percent;
        size_t messagesShown;
    };
    std::vector<QString> texts;
    std::vector<Gauge> gauge;
    const ScriptedDialogs* dialogs = nullptr;

    void setStatusText(const QString& text) override { texts.push_back(text); }
    void ShowProgress(bool visible, int percent) override {
        gauge.push_back({visible, percent, dialogs ? dialogs->shown().size() : 0});
    }
    bool shownText(const QString& text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }
};

// The main window as export and import see it.
struct TestHost : ExchangeHost {
    explicit TestHost(Database& db) : db(db) {}

    Database& db;
    bool lessonOpen = false;
    qint64 lesnRegNum = 0;
    QString dirPath;
    bool savingSuspended = false;
    bool busy = false;
    std::vector<bool> suspendedHistory;
    QString exportDirectory;
    int titlePages = 0;
    int notFound = 0;
    int saves = 0;
    bool savingSuspendedWhenSaved = true;

    bool LessonOpen() const override { return lessonOpen; }
    void setLessonOpen(bool open) override { lessonOpen = open; }
    qint64 LesnRegNum() const override { return lesnRegNum; }
    void setLesnRegNum(qint64 number) override { lesnRegNum = number; }
    QString DirPath() const override { return dirPath; }
    void setDirPath(const QString& path) override { dirPath = path; }
    void setSavingSuspended(bool suspended) override {
        savingSuspended = suspended;
        suspendedHistory.push_back(suspended);
    }
    void setBusyCursor(bool b) override { busy = b; }
    QString selectExportDirectory() override { return exportDirectory; }
    bool SaveAll() override {
        ++saves;
        savingSuspendedWhenSaved = savingSuspended;
        return true;
    }
    bool LoadLesnRecord(qint64 number) override {
        Table lessons(db, TableId::Lesn, true);
        return lessons.findKey(number);
    }
    void showTitlePage() override { ++titlePages; }
    void showLessonNotFound() override { ++notFound; }
};

// Disks for tests. Export: disk N lives in `diskDirectory(N)` when disk
// directories are on, with `capacity` bytes each. Import: each look at the
// drive finds the next path of `inserted` (the last one stays in).
struct TestDrive : DiskDrive {
    QString root;                // disk directories root/diskN when set
    qint64 capacity = -1;        // room on each disk directory; -1 = the real free space
    std::map<QString, qint64> freeAt;  // free space answered for these directories
    std::vector<QString> inserted;
    size_t looks = 0;
    bool keepsDisks = false;     // every disk stays readable where it is

    bool keepsEveryDisk() const override { return keepsDisks; }

    QString diskDirectory(int n) const { return QDir(root).filePath(QStringLiteral("disk%1").arg(n)); }

    QString diskPath(const QString& path, int diskNumber) override {
        if (!inserted.empty()) {
            const QString p = inserted[std::min(looks, inserted.size() - 1)];
            ++looks;
            return p;
        }
        if (root.isEmpty()) return path;
        QDir().mkpath(diskDirectory(diskNumber));
        return QDir(diskDirectory(diskNumber)).filePath(QFileInfo(path).fileName());
    }
    qint64 freeSpace(const QString& path) override {
        const QFileInfo info(path);
        const QString dir = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
        if (!root.isEmpty() && capacity >= 0 && QFileInfo(dir).absolutePath() == QDir(root).absolutePath()) {
            qint64 used = 0;
            for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files)) used += f.size();
            return capacity - used;
        }
        if (auto it = freeAt.find(QDir::cleanPath(dir)); it != freeAt.end()) return it->second;
        return DiskDrive::freeSpace(path);
    }
    QString driveName(const QString&) override { return QStringLiteral("A"); }
};

// A data directory with an open working database.
struct DataDir {
    TempDir tmp;
    QString programDir;
    ScriptedDialogs startDialogs;
    SilentStatusLine silent;
    std::unique_ptr<HandleDataBase> hdb;

    DataDir() : programDir(tmp.path()) {
        const QString db = QDir(programDir).filePath(QStringLiteral("db"));
        QDir().mkpath(db);
        Database::createTables(db, true);
        hdb = std::make_unique<HandleDataBase>(programDir, startDialogs, silent);
        hdb->OpenDataBase();
    }
    Database& db() { return hdb->database(); }
    QString workspace() const { return QDir(programDir).filePath(QStringLiteral("workspac")); }
    QString scratch() const { return ScratchDirectory(programDir); }
};

// A lesson with a reading page (words with and without sounds), a question
// page (choices with sounds) and media for the lesson and its pages, written
// into its own directory under the data directory.
struct LessonPlan {
    int readingPages = 1;
    int wordsPerPage = 3;
    int questionPages = 1;
    int choicesPerPage = 4;
    qsizetype mediaSize = 3000;  // bytes of each media file
    int seed = 1;
    QString title = QStringLiteral("A lesson");
};

struct BuiltLesson {
    qint64 number = 0;
    QString directory;
    std::map<QString, QByteArray> media;  // file name -> content
};

inline void writeMedia(BuiltLesson& lesson, const QString& prefix, const QString& ext, qint64 number,
                       qsizetype size) {
    const QString name = FilePath(prefix, number, ext);
    const QByteArray data = patternBytes(size, int(qHash(name)) ^ int(lesson.number));
    writeFile(QDir(lesson.directory).filePath(name), data);
    lesson.media[name] = data;
}

inline BuiltLesson makeLesson(DataDir& data, const LessonPlan& plan = {}) {
    Database& db = data.db();
    Database::Transaction transaction(db);  // one commit: many fewer disk flushes
    BuiltLesson lesson;
    Table lessons(db, TableId::Lesn);
    lessons.append();
    fillRow(lessons, plan.seed);
    lessons.setString(QStringLiteral("Title"), plan.title);
    lessons.setBoolean(QStringLiteral("LessonSoundFile"), true);
    lessons.setInteger(QStringLiteral("Background"), 2);
    lessons.setInteger(QStringLiteral("Pages"), plan.readingPages + plan.questionPages);
    lessons.post();
    lesson.number = lessons.key();
    lesson.directory = LessonDirectory(data.programDir, lesson.number);
    QDir().mkpath(lesson.directory);
    lessons.edit();
    lessons.setString(QStringLiteral("DirPath"), lesson.directory);
    lessons.post();
    writeMedia(lesson, QStringLiteral("L"), QStringLiteral(".WAV"), lesson.number, plan.mediaSize);
    writeMedia(lesson, QStringLiteral("B"), QStringLiteral(".BMP"), lesson.number, plan.mediaSize);

    Table pages(db, TableId::Page);
    Table words(db, TableId::Wurd);
    Table choices(db, TableId::Choice);
    int pageNumber = 0;
    for (int p = 0; p < plan.readingPages + plan.questionPages; ++p) {
        const bool question = p >= plan.readingPages;
        pages.append();
        fillRow(pages, plan.seed * 100 + p);
        pages.setInteger(QStringLiteral("LesnRegNum"), lesson.number);
        pages.setInteger(QStringLiteral("PageNumber"), ++pageNumber);
        pages.setInteger(QStringLiteral("PageType"), question ? 1 : 0);
        pages.setBoolean(QStringLiteral("Picture"), true);
        pages.setBoolean(QStringLiteral("Video"), p % 2 == 0);
        pages.setBoolean(QStringLiteral("PageSoundFile"), !question);
        pages.post();
        const qint64 page = pages.key();
        writeMedia(lesson, QStringLiteral("P"), QStringLiteral(".BMP"), page, plan.mediaSize);
        if (p % 2 == 0) writeMedia(lesson, QStringLiteral("V"), QStringLiteral(".WAV"), page, plan.mediaSize);
        if (!question) writeMedia(lesson, QStringLiteral("T"), QStringLiteral(".WAV"), page, plan.mediaSize);
        if (question) {
            for (int c = 0; c < plan.choicesPerPage; ++c) {
                choices.append();
                fillRow(choices, plan.seed * 1000 + p * 10 + c);
                choices.setInteger(QStringLiteral("PageRegNum"), page);
                choices.setBoolean(QStringLiteral("ChoiceSound"), true);
                choices.setBoolean(QStringLiteral("ResponseSound"), c % 2 == 0);
                choices.post();
                writeMedia(lesson, QStringLiteral("C"), QStringLiteral(".WAV"), choices.key(), plan.mediaSize / 3);
                if (c % 2 == 0)
                    writeMedia(lesson, QStringLiteral("R"), QStringLiteral(".WAV"), choices.key(), plan.mediaSize / 3);
            }
        } else {
            for (int w = 0; w < plan.wordsPerPage; ++w) {
                words.append();
                fillRow(words, plan.seed * 1000 + p * 10 + w);
                words.setInteger(QStringLiteral("PageRegNum"), page);
                words.setInteger(QStringLiteral("WurdNumber"), w + 1);
                words.setBoolean(QStringLiteral("WSoundFile"), w % 2 == 1);
                words.post();
                if (w % 2 == 1)
                    writeMedia(lesson, QStringLiteral("W"), QStringLiteral(".WAV"), words.key(), plan.mediaSize / 3);
            }
        }
    }
    transaction.commit();
    return lesson;
}

// Every file below `root` with a digest of its content; the working
// database's files are left out (tests compare its rows instead).
inline std::map<QString, QByteArray> treeDigest(const QString& root) {
    std::map<QString, QByteArray> content;
    for (const QString& rel : treeOf(root)) {
        if (rel.startsWith(QLatin1String("db/"))) continue;
        const QFileInfo info(QDir(root).filePath(rel));
        content[rel] = info.isSymLink() ? QByteArray("link")
                       : info.isDir()   ? QByteArray("dir")
                                        : QCryptographicHash::hash(readFile(info.filePath()), QCryptographicHash::Md5).toHex();
    }
    return content;
}

inline RawEntry rawEntry(const char* name, const QByteArray& data, std::optional<quint32> unixMode = std::nullopt) {
    return RawEntry{QByteArray(name), data, ZIP_CM_STORE, unixMode};
}

// The four values of a DiskID file.
inline DiskId diskIdAt(const QString& path) {
    DiskId id;
    EXPECT_EQ(ReadDiskId(path, &id), DiskIdRead::Ok) << path.toStdString();
    return id;
}

// An export or import with everything wired to test doubles.
struct Exchange {
    DataDir& data;
    ScriptedDialogs dialogs;
    RecordingStatus status;
    TestHost host;
    TestDrive drive;
    ExchangeState state;
    ExchangeContext context;

    explicit Exchange(DataDir& d, const FileSystem& files = FileSystem::real())
        : data(d), host(d.db()), context{dialogs, status, *d.hdb, host, drive, state, files} {
        status.dialogs = &dialogs;
        state.random.seed(7);
    }
};

// Answers OK to everything, for the exports that make the packages.
struct AnswerOk : Dialogs {
    QStringList shown;
    MsgAnswer message(MsgKind, const QString& text, MsgButtons, const QString&) override {
        shown << text;
        return MsgAnswer::Ok;
    }
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(const QString&, const QString&) override { return {}; }
    int exec(QObject*) override { return 0; }
};

// Exports `lesson` into `dir` (one disk), or onto disks dir/diskN of `room`
// bytes each. Answers the number of disks.
inline int exportTo(DataDir& data, const BuiltLesson& lesson, const QString& dir, qint64 room = -1, unsigned seed = 1) {
    QDir().mkpath(dir);
    AnswerOk dialogs;
    SilentStatusLine status;
    TestHost host(data.db());
    host.lesnRegNum = lesson.number;
    host.dirPath = lesson.directory;
    host.exportDirectory = dir;
    TestDrive drive;
    if (room > 0) {
        drive.root = dir;
        drive.capacity = room + DiskId::kSize;
    }
    ExchangeState state;
    state.random.seed(seed);
    ExchangeContext context{dialogs, status, *data.hdb, host, drive, state};
    const ExchangeOutcome outcome = ExportToDisk(context);
    EXPECT_TRUE(outcome.ok()) << outcome.message.toStdString();
    EXPECT_EQ(dialogs.shown.last(), texts::kLesnExported);
    return int(dialogs.shown.size()) - 1;
}

}  // namespace vellora::testing
