#pragma once

// Helpers for the export and import tests: a data directory with a working
// database, lessons with media, scripted disks and a recording main window.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <algorithm>
#include <map>
#include <memory>

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

using namespace Qt::StringLiterals;

const QString kCancelSuffix = u"\rClick \"Cancel\" to quit export."_s;

inline QString prompt(int n) {
    return texts::diskPrompt(n, u"A"_s);
}

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
    bool shownText(const QString& text) const {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
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
    bool loads = true;  // the lesson record can be loaded

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
        return loads && Table(db, TableId::Lesn, true).findKey(number);
    }
    void showTitlePage() override { ++titlePages; }
    void showLessonNotFound() override { ++notFound; }
};

// Disks for tests. Export: disk N lives in `diskDirectory(N)` when disk
// directories are on, with `capacity` bytes each. Import: each look at the
// drive finds the next path of `inserted` (the last one stays in).
struct TestDrive : DiskDrive {
    QString root;                      // disk directories root/diskN when set
    qint64 capacity = -1;              // room on each disk directory; -1 = the real free space
    std::map<QString, qint64> freeAt;  // free space answered for these directories
    std::vector<QString> inserted;
    size_t looks = 0;
    bool keepsDisks = false;  // every disk stays readable where it is

    bool keepsEveryDisk() const override { return keepsDisks; }

    QString diskDirectory(int n) const { return QDir(root).filePath(u"disk%1"_s.arg(n)); }

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
        if (!root.isEmpty() && capacity >= 0 &&
            QFileInfo(dir).absolutePath() == QDir(root).absolutePath()) {
            qint64 used = 0;
            for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files)) used += f.size();
            return capacity - used;
        }
        if (auto it = freeAt.find(QDir::cleanPath(dir)); it != freeAt.end()) return it->second;
        return DiskDrive::freeSpace(path);
    }
    QString driveName(const QString&) override { return u"A"_s; }
};

// A data directory with an open working database.
struct DataDir {
    TempDir tmp;
    QString programDir;
    ScriptedDialogs startDialogs;
    SilentStatusLine silent;
    std::unique_ptr<HandleDataBase> hdb;

    DataDir() : programDir(tmp.path()) {
        const QString db = QDir(programDir).filePath(u"db"_s);
        QDir().mkpath(db);
        Database::createTables(db, true);
        hdb = std::make_unique<HandleDataBase>(programDir, startDialogs, silent);
        hdb->OpenDataBase();
    }
    Database& db() { return hdb->database(); }
    QString workspace() const { return QDir(programDir).filePath(u"workspac"_s); }
    QString scratch() const { return ScratchDirectory(programDir); }
};

// A lesson with reading pages (words with and without sounds), question
// pages (choices with sounds) and media for the lesson and its pages, written
// into its own directory under the data directory.
struct LessonPlan {
    int readingPages = 1;
    int wordsPerPage = 3;
    int questionPages = 1;
    int choicesPerPage = 4;
    qsizetype mediaSize = 3000;  // bytes of each media file
    int seed = 1;
    QString title = u"A lesson"_s;
};

struct BuiltLesson {
    qint64 number = 0;
    QString directory;
    std::map<QString, QByteArray> media;  // file name -> content
};

inline BuiltLesson makeLesson(DataDir& data, const LessonPlan& plan = {}) {
    Database& db = data.db();
    Database::Transaction transaction(db);  // one commit: many fewer disk flushes
    BuiltLesson lesson;
    auto media = [&](const QString& prefix, const QString& ext, qint64 number, qsizetype size) {
        const QString name = FilePath(prefix, number, ext);
        lesson.media[name] = patternBytes(size, int(qHash(name)) ^ int(lesson.number));
        writeFile(QDir(lesson.directory).filePath(name), lesson.media[name]);
    };
    Table lessons(db, TableId::Lesn);
    lessons.append();
    fillRow(lessons, plan.seed);
    lessons.setString(u"Title"_s, plan.title);
    lessons.setBoolean(u"LessonSoundFile"_s, true);
    lessons.setInteger(u"Background"_s, 2);
    lessons.setInteger(u"Pages"_s, plan.readingPages + plan.questionPages);
    lessons.post();
    lesson.number = lessons.key();
    lesson.directory = LessonDirectory(data.programDir, lesson.number);
    QDir().mkpath(lesson.directory);
    lessons.edit();
    lessons.setString(u"DirPath"_s, lesson.directory);
    lessons.post();
    media(u"L"_s, u".WAV"_s, lesson.number, plan.mediaSize);
    media(u"B"_s, u".BMP"_s, lesson.number, plan.mediaSize);

    Table pages(db, TableId::Page);
    Table words(db, TableId::Wurd);
    Table choices(db, TableId::Choice);
    for (int p = 0; p < plan.readingPages + plan.questionPages; ++p) {
        const bool question = p >= plan.readingPages;
        pages.append();
        fillRow(pages, plan.seed * 100 + p);
        pages.setInteger(u"LesnRegNum"_s, lesson.number);
        pages.setInteger(u"PageNumber"_s, p + 1);
        pages.setInteger(u"PageType"_s, question ? 1 : 0);
        pages.setBoolean(u"Picture"_s, true);
        pages.setBoolean(u"Video"_s, p % 2 == 0);
        pages.setBoolean(u"PageSoundFile"_s, !question);
        pages.post();
        const qint64 page = pages.key();
        media(u"P"_s, u".BMP"_s, page, plan.mediaSize);
        if (p % 2 == 0) media(u"V"_s, u".WAV"_s, page, plan.mediaSize);
        if (!question) media(u"T"_s, u".WAV"_s, page, plan.mediaSize);
        for (int c = 0; question && c < plan.choicesPerPage; ++c) {
            choices.append();
            fillRow(choices, plan.seed * 1000 + p * 10 + c);
            choices.setInteger(u"PageRegNum"_s, page);
            choices.setBoolean(u"ChoiceSound"_s, true);
            choices.setBoolean(u"ResponseSound"_s, c % 2 == 0);
            choices.post();
            media(u"C"_s, u".WAV"_s, choices.key(), plan.mediaSize / 3);
            if (c % 2 == 0) media(u"R"_s, u".WAV"_s, choices.key(), plan.mediaSize / 3);
        }
        for (int w = 0; !question && w < plan.wordsPerPage; ++w) {
            words.append();
            fillRow(words, plan.seed * 1000 + p * 10 + w);
            words.setInteger(u"PageRegNum"_s, page);
            words.setInteger(u"WurdNumber"_s, w + 1);
            words.setBoolean(u"WSoundFile"_s, w % 2 == 1);
            words.post();
            if (w % 2 == 1) media(u"W"_s, u".WAV"_s, words.key(), plan.mediaSize / 3);
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
                                        : QCryptographicHash::hash(readFile(info.filePath()),
                                                                   QCryptographicHash::Md5)
                                            .toHex();
    }
    return content;
}

// The four values of the DiskID file in `dir`.
inline DiskId diskIdIn(const QString& dir) {
    DiskId id;
    EXPECT_EQ(ReadDiskId(QDir(dir).filePath(u"DiskID"_s), &id), DiskIdRead::Ok)
        << dir.toStdString();
    return id;
}

// The package file in `dir`, or in its disk directory dir/diskN.
inline QString piece(const QString& dir, int disk = 0) {
    return QDir(dir).filePath(disk == 0 ? u"lesn.lsn"_s : u"disk%1/lesn.lsn"_s.arg(disk));
}

// An export or import with everything wired to test doubles.
struct Exchange {
    ScriptedDialogs dialogs;
    RecordingStatus status;
    TestHost host;
    TestDrive drive;
    ExchangeState state;
    ExchangeContext context;

    explicit Exchange(DataDir& d, const FileSystem& files = FileSystem::real())
        : host(d.db()), context{dialogs, status, *d.hdb, host, drive, state, files} {
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
// bytes each, which all stay at hand when `keepsDisks`. Answers the number
// of disks.
inline int exportTo(DataDir& data, const BuiltLesson& lesson, const QString& dir, qint64 room = -1,
                    bool keepsDisks = false) {
    QDir().mkpath(dir);
    AnswerOk dialogs;
    SilentStatusLine status;
    TestHost host(data.db());
    host.lesnRegNum = lesson.number;
    host.dirPath = lesson.directory;
    host.exportDirectory = dir;
    TestDrive drive;
    drive.keepsDisks = keepsDisks;
    if (room > 0) {
        drive.root = dir;
        drive.capacity = room + DiskId::kSize;
    }
    ExchangeState state;
    ExchangeContext context{dialogs, status, *data.hdb, host, drive, state};
    const ExchangeOutcome outcome = ExportToDisk(context);
    EXPECT_TRUE(outcome.ok()) << outcome.message.toStdString();
    EXPECT_EQ(dialogs.shown.last(), texts::kLesnExported);
    return int(dialogs.shown.size()) - 1;
}

// An import of `file` into `data`, its file dialog answered.
inline std::unique_ptr<Exchange> importer(DataDir& data, const QString& file,
                                          const FileSystem& files = FileSystem::real()) {
    auto x = std::make_unique<Exchange>(data, files);
    x->dialogs.expectFile(file);
    return x;
}

// An import of `file` into `data` that is to succeed.
inline ExchangeOutcome importLesson(DataDir& data, const QString& file) {
    auto x = importer(data, file);
    x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    return ImportFromDisk(x->context);
}

// Lesson `number` of `to` equals `lesson` of `from` in every field but the
// keys, the references (which follow the new keys) and DirPath, and every
// media file came along under its new number.
inline void expectSameLesson(DataDir& from, const BuiltLesson& lesson, DataDir& to, qint64 number) {
    auto a = lessonRows(from.db(), lesson.number);
    auto b = lessonRows(to.db(), number);
    const QString dir = LessonDirectory(to.programDir, number);
    const int dirPath = fieldIndex(tableDef(TableId::Lesn), u"DirPath"_s);
    std::map<TableId, std::map<qint64, qint64>> moved;  // old key -> new key
    for (TableId id : {TableId::Lesn, TableId::Page, TableId::Wurd, TableId::Choice}) {
        const TableDef& def = tableDef(id);
        const TableId parent = id == TableId::Page ? TableId::Lesn : TableId::Page;
        ASSERT_EQ(a[id].size(), b[id].size()) << def.name;
        for (auto ia = a[id].begin(), ib = b[id].begin(); ia != a[id].end(); ++ia, ++ib) {
            moved[id][ia->first] = ib->first;
            Row want = ia->second;
            want[0] = ib->first;
            if (id == TableId::Lesn)
                want[dirPath] = dir;
            else
                want[1] = moved[parent][want[1].toLongLong()];
            for (size_t i = 0; i < want.size(); ++i)
                EXPECT_EQ(ib->second[i], want[i]) << def.name << "." << def.fields[i].name;
        }
    }
    std::map<QString, QByteArray> media;
    for (const auto& [name, bytes] : lesson.media) {
        const QChar p = name[0];
        const TableId owner = p == 'L' || p == 'B'   ? TableId::Lesn
                              : p == 'W'             ? TableId::Wurd
                              : p == 'C' || p == 'R' ? TableId::Choice
                                                     : TableId::Page;
        media[FilePath(name.left(1), moved[owner].at(name.mid(1, 7).toLongLong()), name.mid(8))] =
            bytes;
    }
    EXPECT_EQ(filesIn(dir), media);
}

// A lesson of `source` exported into `out` as `package`, to be imported into
// `data`, which holds two lessons already (so the numbers change).
struct ImportTest : ::testing::Test {
    DataDir source;
    DataDir data;
    TempDir out;
    BuiltLesson lesson =
        makeLesson(source, {.readingPages = 2, .wordsPerPage = 4, .questionPages = 2, .seed = 5});
    QString package = piece(out.path());

    void SetUp() override {
        makeLesson(data, {.seed = 20});
        makeLesson(data, {.seed = 21});
        exportTo(source, lesson, out.path());
    }
};

}  // namespace vellora::testing
