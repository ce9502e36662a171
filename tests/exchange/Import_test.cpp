#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include "ExchangeTestSupport.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;

namespace {

TEST_F(ImportTest, RoundTripKeepsEveryFieldAndEveryMediaByte) {
    const auto before = dumpDatabase(data.db());
    const QByteArray packageBytes = readFile(package);
    auto x = importer(data, package);
    x->host.lessonOpen = true;
    x->host.lesnRegNum = 1;
    x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    EXPECT_GT(outcome.lesnRegNum, 2);
    expectSameLesson(source, lesson, data, outcome.lesnRegNum);

    // Nothing else changed in the working database.
    auto after = dumpDatabase(data.db());
    for (auto& [id, rows] : lessonRows(data.db(), outcome.lesnRegNum))
        for (auto& [key, row] : rows) after[id].erase(key);
    EXPECT_EQ(after, before);

    EXPECT_EQ(x->host.saves, 1);
    EXPECT_FALSE(x->host.savingSuspendedWhenSaved);
    EXPECT_EQ(x->host.lesnRegNum, outcome.lesnRegNum);
    EXPECT_EQ(x->host.dirPath, LessonDirectory(data.programDir, outcome.lesnRegNum));
    EXPECT_TRUE(x->host.lessonOpen);
    EXPECT_EQ(x->host.titlePages, 1);
    EXPECT_FALSE(x->host.savingSuspended);
    EXPECT_FALSE(x->host.busy);
    EXPECT_FALSE(QFileInfo::exists(data.scratch()));
    EXPECT_EQ(readFile(package), packageBytes);
    ASSERT_FALSE(x->status.texts.empty());
    EXPECT_EQ(x->status.texts.front(),
              u" Select the drive and directory from which to import the LESN. "_s);
    EXPECT_TRUE(x->status.shownText(u"Unzipping \" extracting: VELLO002.DB\""_s));
    // The unzip gauge counts the files the DiskID announced.
    const auto& gauge = x->status.gauge;
    EXPECT_TRUE(std::any_of(gauge.begin(), gauge.end(),
                            [](auto& g) { return g.visible && g.percent > 0; }));
}

TEST_F(ImportTest, RoundTripOverSeveralDisksIntoTheSameDatabase) {
    BuiltLesson big = makeLesson(source, {.mediaSize = 20000, .seed = 6});
    // Cut from the whole archive and joined into one again, or zipped
    // straight onto disks that all stay at hand and read where they lie: the
    // same lesson either way.
    for (bool keepsDisks : {false, true}) {
        SCOPED_TRACE(keepsDisks ? "at hand" : "joined");
        const QString disks = out.file(keepsDisks ? u"kept"_s : u"cut"_s);
        const int count = exportTo(source, big, disks, 30000, keepsDisks);
        ASSERT_GE(count, 3);
        for (int n = 1; n <= count; ++n) {
            const DiskId id = diskIdIn(QDir(disks).filePath(u"disk%1"_s.arg(n)));
            EXPECT_EQ(id.PackageFileCount, int(big.media.size()) + 9);
        }
        EXPECT_FALSE(QFileInfo::exists(QDir(disks).filePath(u"disk%1"_s.arg(count + 1))));
        const auto before = treeDigest(disks);
        auto x = importer(source, piece(disks, 1));
        x->drive.keepsDisks = keepsDisks;
        // Disk 1 is looked at twice (the set's identity, then its data); each
        // later disk is asked for while the one before is still in.
        x->drive.inserted = {piece(disks, 1), piece(disks, 1)};
        for (int n = 2; n <= count; ++n) {
            x->drive.inserted.push_back(piece(disks, n - 1));  // still the previous disk: refused
            x->drive.inserted.push_back(piece(disks, n));
            x->dialogs.expect(MsgKind::Warning, texts::diskRequest(n) + kCancelSuffix);
        }
        x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
        const ExchangeOutcome outcome = ImportFromDisk(x->context);
        ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
        expectSameLesson(source, big, source, outcome.lesnRegNum);
        EXPECT_FALSE(QFileInfo::exists(source.scratch()));
        EXPECT_TRUE(x->status.shownText(u"Unzipping \" extracting: VELLO002.DB\""_s));
        EXPECT_EQ(treeDigest(disks), before);
    }
    EXPECT_EQ(filesIn(big.directory), big.media);
}

TEST_F(ImportTest, ASingleLesnLsnWithoutDiskIdImportsWithNoPromptsAndNoGauge) {
    QFile::remove(out.file(u"DiskID"_s));
    auto x = importer(data, package);
    x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    ASSERT_TRUE(outcome.ok());
    expectSameLesson(source, lesson, data, outcome.lesnRegNum);
    for (const auto& g : x->status.gauge) EXPECT_FALSE(g.visible && g.percent > 0);
}

// Hostile packages ---------------------------------------------------------

// A package made by hand: the four tables of `tablesFrom` (a database
// directory, when given) and `extra` entries.
QByteArray packageOf(const QString& tablesFrom, const std::vector<RawEntry>& extra) {
    std::vector<RawEntry> entries;
    for (TableId id : kAllTables)
        if (!tablesFrom.isEmpty())
            entries.push_back({tableDef(id).fileName, readFile(tableFilePath(tablesFrom, id))});
    entries.insert(entries.end(), extra.begin(), extra.end());
    return zipBytes(entries);
}

// A package database whose word table lacks the rules, holding a word the
// working database refuses (word number 0).
void makeRuleBreakingTables(const QString& dir) {
    QDir().mkpath(dir);
    Database::createTables(dir, false);
    sqlite3* db = nullptr;
    const QByteArray path = QFile::encodeName(tableFilePath(dir, TableId::Wurd));
    ASSERT_EQ(sqlite3_open(path.constData(), &db), SQLITE_OK);
    QStringList cols;
    for (const FieldDef& f : tableDef(TableId::Wurd).fields)
        cols << u"\"%1\""_s.arg(QLatin1String(f.name));
    const QString sql =
        u"DROP TABLE \"BKWRD002\"; CREATE TABLE \"BKWRD002\" (%1); INSERT INTO \"BKWRD002\" "
        "(\"WurdRegNum\", \"PageRegNum\", \"WurdNumber\") VALUES (1, 1, 0);"_s.arg(cols.join(','));
    ASSERT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
    Database package(dir);
    Table lessons(package, TableId::Lesn);
    lessons.append();
    lessons.setField(0, qint64(1));
    lessons.post();
    Table pages(package, TableId::Page);
    pages.append();
    pages.setField(0, qint64(1));
    pages.setInteger(u"LesnRegNum"_s, 1);
    pages.setInteger(u"PageNumber"_s, 1);
    pages.post();
}

TEST_F(ImportTest, HostilePackagesEndWithAMessageAndChangeNothing) {
    const QByteArray good = readFile(package);
    const qint32 size = qint32(good.size());
    const QString tables = out.file(u"tables"_s);
    unzipInto(package, tables);
    const QString noLesson = out.file(u"empty"_s);
    QDir().mkpath(noLesson);
    Database::createTables(noLesson, false);
    const QString ruleBreaking = out.file(u"rules"_s);
    makeRuleBreakingTables(ruleBreaking);
    const QString disks = out.file(u"two"_s);
    ASSERT_EQ(exportTo(source, lesson, disks, size / 2 + 1), 2);

    using Make = std::function<void(const QString& dir)>;  // writes lesn.lsn (and DiskID) there
    auto file = [](const QByteArray& bytes) -> Make {
        return [=](const QString& d) { writeFile(piece(d), bytes); };
    };
    auto zipped = [](const QString& from, const std::vector<RawEntry>& extra) -> Make {
        return [=](const QString& d) { writeFile(piece(d), packageOf(from, extra)); };
    };
    auto withDiskId = [&](const QByteArray& id) -> Make {
        return [=](const QString& d) {
            writeFile(piece(d), good);
            writeFile(QDir(d).filePath(u"DiskID"_s), id);
        };
    };
    auto firstOfTwo = [&](const QString& d) {
        QFile::copy(piece(disks, 1), piece(d));
        QFile::copy(QDir(disks).filePath(u"disk1/DiskID"_s), QDir(d).filePath(u"DiskID"_s));
    };
    auto climbingOnDisksAtHand = [&](const QString& d) {  // disks d/disk1 and d/disk2
        const QByteArray bytes = packageOf(tables, {{"../../evil.wav", patternBytes(3000, 4)}});
        for (int n = 1; n <= 2; ++n) {
            QDir().mkpath(QDir(d).filePath(u"disk%1"_s.arg(n)));
            writeFile(piece(d, n), n == 1 ? bytes.left(size) : bytes.mid(size));
            writeFile(QDir(d).filePath(u"disk%1/DiskID"_s.arg(n)),
                      DiskId{77, n, qint32(bytes.size())}.encode());
        }
    };
    auto notDatabases = [](const QString& d) {
        std::vector<RawEntry> entries;
        for (TableId id : kAllTables) entries.push_back({tableDef(id).fileName, "not a database"});
        writeFile(piece(d), zipBytes(entries));
    };
    // Each ends with an error that says `text` (exactly, or among more), or
    // with the disk refused by the request `text` and the set given up.
    enum Ends { Exactly, Containing, DiskRefused };
    const struct {
        const char* what;
        Make make;
        Ends ends;
        QString text;
    } cases[] = {
        {"not a zip", file(patternBytes(5000, 3)), Containing, {}},
        {"truncated archive", file(good.left(size / 2)), Containing, {}},
        {"entry climbing out", zipped(tables, {{"../../evil.wav", "x"}}), Exactly,
         texts::packageEntryOutside(u"../../evil.wav"_s)},
        {"absolute entry", zipped(tables, {{"/tmp/evil.wav", "x"}}), Exactly,
         texts::packageEntryOutside(u"/tmp/evil.wav"_s)},
        {"entry climbing out, read in place from disks at hand", climbingOnDisksAtHand, Exactly,
         texts::packageEntryOutside(u"../../evil.wav"_s)},
        {"entry in a folder", zipped(tables, {{"sub/P0000001.BMP", "x"}}), Exactly,
         texts::packageEntryOutside(u"sub/P0000001.BMP"_s)},
        {"link entry",
         zipped(tables, {{"L0000001.WAV", "/etc/passwd", ZIP_CM_STORE, 0120777}}),
         Containing,
         {}},
        {"DiskID too short", withDiskId(DiskId{3, 1, size}.encode().left(10)), DiskRefused,
         texts::incorrectDisk(1)},
        {"DiskID with a negative size", withDiskId(DiskId{3, 1, -size}.encode()), DiskRefused,
         texts::incorrectDisk(1)},
        {"the first disk of a set whose second never comes", firstOfTwo, DiskRefused,
         texts::diskRequest(2)},
        {"DiskID with a huge size", withDiskId(DiskId{3, 1, 0x7fffffff}.encode()), DiskRefused,
         texts::diskRequest(2)},
        {"DiskID smaller than the piece", withDiskId(DiskId{3, 1, size - 1}.encode()), Exactly,
         texts::kPackageDamaged},
        {"no tables", zipped({}, {{"L0000001.WAV", "sound"}}), Containing, texts::kPackageNoTables},
        {"tables that are not databases", notDatabases, Containing, texts::kPackageBadTables},
        {"tables without a lesson", zipped(noLesson, {}), Exactly, texts::kPackageNoLesson},
        {"rows the working database refuses", zipped(ruleBreaking, {}), Containing, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir where;
        const QString dir = where.file(u"pkg"_s);
        QDir().mkpath(dir);
        c.make(dir);
        const auto packageBefore = treeDigest(where.path());
        const auto dbBefore = dumpDatabase(data.db());
        const auto dataBefore = treeDigest(data.programDir);
        const bool atHand = QFileInfo::exists(piece(dir, 1));  // a set read where it lies
        auto x = importer(data, atHand ? piece(dir, 1) : piece(dir));
        x->drive.keepsDisks = atHand;
        if (atHand) x->drive.inserted = {piece(dir, 1), piece(dir, 1), piece(dir, 2)};
        x->host.lessonOpen = true;
        x->host.lesnRegNum = 2;
        const QString error = texts::kErrorImporting + u"\r"_s + c.text;
        if (c.ends == DiskRefused)
            x->dialogs.expect(MsgKind::Warning, c.text + kCancelSuffix, MsgAnswer::Cancel)
                .expect(MsgKind::Information, texts::kCouldNotReassemble);
        else if (c.ends == Exactly)
            x->dialogs.expect(MsgKind::Error, error);
        else
            x->dialogs.expectContaining(MsgKind::Error, error);
        const ExchangeOutcome outcome = ImportFromDisk(x->context);
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed);
        if (c.ends == DiskRefused) {
            EXPECT_EQ(outcome.message, texts::kCouldNotReassemble + u": "_s + oneLine(c.text));
        } else {
            EXPECT_TRUE(outcome.message.startsWith(texts::kErrorImporting))
                << outcome.message.toStdString();
        }
        EXPECT_FALSE(outcome.message.contains(QLatin1Char('\r')));
        EXPECT_EQ(dumpDatabase(data.db()), dbBefore);
        EXPECT_EQ(treeDigest(data.programDir), dataBefore);  // the scratch directory is gone too
        EXPECT_EQ(treeDigest(where.path()), packageBefore);
        // The open lesson was saved and closed; the register is empty.
        EXPECT_EQ(x->host.saves, 1);
        EXPECT_FALSE(x->host.savingSuspended);
        EXPECT_FALSE(x->host.busy);
        EXPECT_FALSE(x->host.lessonOpen);
        EXPECT_EQ(x->host.lesnRegNum, 0);
    }
}

// The rename into place --------------------------------------------------

// Refuses to rename the scratch directory, as a locked folder would.
struct NoDirectoryRename : FileSystem {
    bool rename(const QString& from, const QString& to) const override {
        return !from.endsWith(QLatin1String("tempLESN")) && FileSystem::rename(from, to);
    }
};

TEST_F(ImportTest, AFailedRenameLeavesTheDatabaseAndTheFoldersAsTheyWere) {
    const auto dbBefore = dumpDatabase(data.db());
    const auto dataBefore = treeDigest(data.programDir);
    NoDirectoryRename files;
    auto x = importer(data, package, files);
    x->dialogs.expect(MsgKind::Information, texts::kCouldNotRename);
    EXPECT_EQ(ImportFromDisk(x->context).result, ExchangeOutcome::Result::Failed);
    EXPECT_EQ(x->host.lesnRegNum, 0);
    EXPECT_EQ(dumpDatabase(data.db()), dbBefore);
    EXPECT_EQ(treeDigest(data.programDir), dataBefore);

    // Nothing of the failed import stayed behind: the next one gets the
    // number it would have had.
    const ExchangeOutcome outcome = importLesson(data, package);
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.lesnRegNum, 3);
    expectSameLesson(source, lesson, data, 3);
}

// What earlier imports leave behind ------------------------------------------

TEST_F(ImportTest, LeftoversOfAnEarlierImportNeverBlockTheNext) {
    TempDir elsewhere;
    writeFile(elsewhere.file(u"precious.wav"_s), "keep me");
    const struct {
        const char* what;
        std::function<void(const QString& scratch)> leave;
    } cases[] = {
        {"a scratch directory full of files",
         [](const QString& s) {
             QDir().mkpath(s + u"/.staging/deeper"_s);
             writeFile(s + u"/LESN.ZIP"_s, "half");
             writeFile(s + u"/VELLO002.DB"_s, "junk");
             writeFile(s + u"/.staging/deeper/P0000001.BMP"_s, "x");
         }},
        {"a file in its place", [](const QString& s) { writeFile(s, "not a directory"); }},
        {"a link to another directory",
         [&](const QString& s) { QFile::link(elsewhere.path(), s); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir().mkpath(data.workspace());
        c.leave(data.scratch());
        const ExchangeOutcome outcome = importLesson(data, package);
        ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
        expectSameLesson(source, lesson, data, outcome.lesnRegNum);
        EXPECT_EQ(readFile(elsewhere.file(u"precious.wav"_s)), QByteArray("keep me"));
    }
}

// Removing a file fails, as it would in a folder another program holds.
struct LockedScratch : FileSystem {
    bool removeFile(const QString& path) const override {
        return !path.contains(QLatin1String("tempLESN")) && FileSystem::removeFile(path);
    }
};

TEST_F(ImportTest, ALockedOrUnmakeableScratchDirectoryStopsTheImport) {
    QDir().mkpath(data.scratch());
    writeFile(QDir(data.scratch()).filePath(u"held.wav"_s), "x");
    const auto dbBefore = dumpDatabase(data.db());
    LockedScratch files;
    auto x = importer(data, package, files);
    x->host.lessonOpen = true;
    x->dialogs.expect(MsgKind::Information, texts::kCanNotDeleteDirectory.arg(data.scratch()));
    EXPECT_EQ(ImportFromDisk(x->context).result, ExchangeOutcome::Result::Failed);
    EXPECT_TRUE(x->host.lessonOpen) << "the open lesson stays open";
    EXPECT_FALSE(x->host.busy);
    EXPECT_EQ(dumpDatabase(data.db()), dbBefore);

    // "workspac" is a file: the scratch directory cannot be made.
    QDir(data.workspace()).removeRecursively();
    writeFile(data.workspace(), "in the way");
    x = importer(data, package);
    x->dialogs.expect(MsgKind::Error, texts::kCouldNotCreateDirectory + data.scratch());
    EXPECT_EQ(ImportFromDisk(x->context).result, ExchangeOutcome::Result::Failed);
    EXPECT_EQ(dumpDatabase(data.db()), dbBefore);
    QFile::remove(data.workspace());
}

TEST_F(ImportTest, OnlyAFileNamedLesnLsnIsTakenAndCancelDoesNothing) {
    QFile::copy(package, out.file(u"other.lsn"_s));
    QFile::copy(package, out.file(u"LESN.LSN"_s));
    auto x = importer(data, out.file(u"other.lsn"_s));
    x->host.lessonOpen = true;
    EXPECT_EQ(ImportFromDisk(x->context).result, ExchangeOutcome::Result::Failed);
    EXPECT_TRUE(x->host.lessonOpen);
    EXPECT_TRUE(x->host.suspendedHistory.empty());
    x = importer(data, QString());
    EXPECT_EQ(ImportFromDisk(x->context).result, ExchangeOutcome::Result::Cancelled);
    EXPECT_TRUE(importLesson(data, out.file(u"LESN.LSN"_s)).ok());  // any case
}

TEST_F(ImportTest, ALessonThatCannotBeLoadedShowsLessonNotFound) {
    auto x = importer(data, package);
    x->host.loads = false;
    EXPECT_TRUE(ImportFromDisk(x->context).ok());
    EXPECT_EQ(x->host.notFound, 1);
    EXPECT_FALSE(x->host.lessonOpen);
    EXPECT_EQ(x->host.titlePages, 0);
}

}  // namespace
