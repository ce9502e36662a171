#include <gtest/gtest.h>
#include <sqlite3.h>

#include "ExchangeTestSupport.h"
#include "IUnzip.h"
#include "InfoZip.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

// Exports `lesson` onto two disks dir/disk1 and dir/disk2.
void exportOntoTwoDisks(DataDir& data, const BuiltLesson& lesson, const QString& dir) {
    TempDir one;
    exportTo(data, lesson, one.path());
    const qint64 size = QFileInfo(QDir(one.path()).filePath(QStringLiteral("lesn.lsn"))).size();
    ASSERT_EQ(exportTo(data, lesson, dir, size / 2 + 1), 2);
}

QString piece(const QString& dir, int disk = 0) {
    return disk == 0 ? QDir(dir).filePath(QStringLiteral("lesn.lsn"))
                     : QDir(dir).filePath(QStringLiteral("disk%1/lesn.lsn").arg(disk));
}

std::unique_ptr<Exchange> importer(DataDir& data, const QString& file) {
    auto x = std::make_unique<Exchange>(data);
    x->dialogs.expectFile(file);
    return x;
}

// The imported lesson equals the original in every field but the keys, the
// references (which follow the new keys) and DirPath, and every media file
// came along under its new number.
void expectSameLesson(Database& srcDb, const BuiltLesson& src, Database& dstDb, qint64 dst, const QString& dstProgramDir) {
    auto a = lessonRows(srcDb, src.number);
    auto b = lessonRows(dstDb, dst);
    std::map<qint64, qint64> pageMap, wurdMap, choiceMap;
    for (TableId id : kAllTables) {
        ASSERT_EQ(a[id].size(), b[id].size()) << tableDef(id).name;
        auto ia = a[id].begin();
        auto ib = b[id].begin();
        for (; ia != a[id].end(); ++ia, ++ib) {
            const Row& ra = ia->second;
            const Row& rb = ib->second;
            const int dirPath = fieldIndex(tableDef(TableId::Lesn), QStringLiteral("DirPath"));
            for (size_t i = 1; i < ra.size(); ++i) {
                if (id == TableId::Lesn && int(i) == dirPath) continue;
                if (id != TableId::Lesn && i == 1) continue;
                EXPECT_EQ(ra[i], rb[i]) << tableDef(id).name << "." << tableDef(id).fields[i].name;
            }
            if (id == TableId::Page) pageMap[ia->first] = ib->first;
            if (id == TableId::Wurd) wurdMap[ia->first] = ib->first;
            if (id == TableId::Choice) choiceMap[ia->first] = ib->first;
        }
    }
    const QString dir = LessonDirectory(dstProgramDir, dst);
    EXPECT_EQ(b[TableId::Lesn][dst][fieldIndex(tableDef(TableId::Lesn), QStringLiteral("DirPath"))].toString(), dir);
    for (const auto& [key, row] : b[TableId::Page]) EXPECT_EQ(row[1].toLongLong(), dst);
    for (const auto& [oldKey, row] : a[TableId::Wurd]) EXPECT_EQ(b[TableId::Wurd][wurdMap[oldKey]][1].toLongLong(), pageMap[row[1].toLongLong()]);
    for (const auto& [oldKey, row] : a[TableId::Choice]) EXPECT_EQ(b[TableId::Choice][choiceMap[oldKey]][1].toLongLong(), pageMap[row[1].toLongLong()]);

    std::map<QString, QByteArray> expected;
    for (const auto& [name, bytes] : src.media) {
        const QString prefix = name.left(1);
        const qint64 old = name.mid(1, 7).toLongLong();
        qint64 now = 0;
        if (prefix == QLatin1String("L") || prefix == QLatin1String("B")) now = dst;
        else if (prefix == QLatin1String("W")) now = wurdMap.at(old);
        else if (prefix == QLatin1String("C") || prefix == QLatin1String("R")) now = choiceMap.at(old);
        else now = pageMap.at(old);
        expected[FilePath(prefix, now, name.mid(8))] = bytes;
    }
    EXPECT_EQ(filesIn(dir), expected);
}

struct ImportTest : ::testing::Test {
    DataDir source;
    DataDir data;
    TempDir out;
    BuiltLesson lesson = makeLesson(source, {.readingPages = 2, .wordsPerPage = 4, .questionPages = 2, .seed = 5});

    void SetUp() override {
        // The receiving database already has lessons, so the numbers change.
        makeLesson(data, {.seed = 20});
        makeLesson(data, {.seed = 21, .title = QStringLiteral("Second")});
    }
};

TEST_F(ImportTest, RoundTripKeepsEveryFieldAndEveryMediaByte) {
    exportTo(source, lesson, out.path());
    const auto before = dumpDatabase(data.db());
    auto x = importer(data, piece(out.path()));
    x->host.lessonOpen = true;
    x->host.lesnRegNum = 1;
    x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    EXPECT_GT(outcome.lesnRegNum, 2);
    expectSameLesson(source.db(), lesson, data.db(), outcome.lesnRegNum, data.programDir);

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
    EXPECT_EQ(readFile(piece(out.path())).size(), QFileInfo(piece(out.path())).size()) << "the package is left as it was";
    ASSERT_FALSE(x->status.texts.empty());
    EXPECT_EQ(x->status.texts.front(), QStringLiteral(" Select the drive and directory from which to import the LESN. "));
    EXPECT_TRUE(x->status.shownText(QStringLiteral("Unzipping \" extracting: VELLO002.DB\"")));
    // The unzip gauge counts the files the DiskID announced.
    bool gauge = false;
    for (const auto& g : x->status.gauge) gauge = gauge || (g.visible && g.percent > 0);
    EXPECT_TRUE(gauge);
}

TEST_F(ImportTest, RoundTripOverSeveralDisksIntoTheSameDatabase) {
    BuiltLesson big = makeLesson(source, {.mediaSize = 20000, .seed = 6});
    const int disks = exportTo(source, big, out.path(), 30000);
    ASSERT_GE(disks, 3);
    // Joined into one archive first, and read where the disks lie when every
    // disk stays at hand: the same lesson either way.
    for (bool keepsDisks : {false, true}) {
        SCOPED_TRACE(keepsDisks ? "read in place" : "joined");
        auto x = importer(source, piece(out.path(), 1));
        x->drive.keepsDisks = keepsDisks;
        // Disk 1 is looked at twice (the set's identity, then its data); each
        // later disk is asked for while the one before is still in.
        x->drive.inserted = {piece(out.path(), 1), piece(out.path(), 1)};
        for (int n = 2; n <= disks; ++n) {
            x->drive.inserted.push_back(piece(out.path(), n - 1));  // still the previous disk: refused
            x->drive.inserted.push_back(piece(out.path(), n));
            x->dialogs.expect(MsgKind::Warning, texts::diskRequest(n) + kCancelSuffix);
        }
        x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
        const ExchangeOutcome outcome = ImportFromDisk(x->context);
        ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
        expectSameLesson(source.db(), big, source.db(), outcome.lesnRegNum, source.programDir);
        EXPECT_FALSE(QFileInfo::exists(source.scratch()));
        EXPECT_TRUE(x->status.shownText(QStringLiteral("Unzipping \" extracting: VELLO002.DB\"")));
    }
    // The original and the disks are untouched.
    EXPECT_EQ(filesIn(big.directory), big.media);
    for (int n = 1; n <= disks; ++n) EXPECT_TRUE(QFileInfo(piece(out.path(), n)).size() > 0);
}

TEST_F(ImportTest, ASingleLesnLsnWithoutDiskIdImportsWithNoPromptsAndNoGauge) {
    exportTo(source, lesson, out.path());
    QFile::remove(out.file(QStringLiteral("DiskID")));
    auto x = importer(data, piece(out.path()));
    x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    ASSERT_TRUE(outcome.ok());
    expectSameLesson(source.db(), lesson, data.db(), outcome.lesnRegNum, data.programDir);
    for (const auto& g : x->status.gauge) EXPECT_FALSE(g.visible && g.percent > 0);
}

TEST_F(ImportTest, DisksOfferedInTheOrderTwoThenOne) {
    exportOntoTwoDisks(source, lesson, out.path());
    auto x = importer(data, piece(out.path(), 2));
    x->drive.inserted = {piece(out.path(), 2), piece(out.path(), 2), piece(out.path(), 1), piece(out.path(), 1),
                         piece(out.path(), 2)};
    x->dialogs.expect(MsgKind::Warning, texts::diskRequest(1) + kCancelSuffix)
        .expect(MsgKind::Warning, texts::diskRequest(2) + kCancelSuffix)
        .expect(MsgKind::Information, texts::kLesnImported);
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    ASSERT_TRUE(outcome.ok());
    expectSameLesson(source.db(), lesson, data.db(), outcome.lesnRegNum, data.programDir);
    EXPECT_TRUE(x->status.shownText(QStringLiteral("Copying LESN.LSN File...  Reassembling files  100% done.")));
}

TEST_F(ImportTest, AnIncompleteSetIsNeverUnpacked) {
    exportOntoTwoDisks(source, lesson, out.path());
    const auto before = dumpDatabase(data.db());
    const QStringList folders = QDir(data.workspace()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    auto x = importer(data, piece(out.path(), 1));
    x->host.lessonOpen = true;
    x->host.lesnRegNum = 1;
    x->dialogs.expect(MsgKind::Warning, texts::diskRequest(2) + kCancelSuffix, MsgAnswer::Cancel)
        .expect(MsgKind::Information, texts::kCouldNotReassemble);
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed);
    EXPECT_EQ(outcome.message, texts::kCouldNotReassemble + QStringLiteral(": ") + oneLine(texts::diskRequest(2)));
    EXPECT_EQ(dumpDatabase(data.db()), before);
    EXPECT_EQ(QDir(data.workspace()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), folders);
    // The open lesson was saved and closed; the register is empty.
    EXPECT_EQ(x->host.saves, 1);
    EXPECT_FALSE(x->host.lessonOpen);
    EXPECT_EQ(x->host.lesnRegNum, 0);
    EXPECT_FALSE(x->host.savingSuspended);
    EXPECT_FALSE(x->host.busy);
}

// Hostile packages ---------------------------------------------------------

// Files of a package made by hand: the four tables of `tablesFrom` (a
// database directory) and extra entries.
void zipPackage(const QString& archive, const QString& tablesFrom, const std::vector<RawEntry>& extra) {
    std::vector<RawEntry> entries;
    if (!tablesFrom.isEmpty())
        for (TableId id : kAllTables)
            entries.push_back(rawEntry(tableDef(id).fileName, readFile(tableFilePath(tablesFrom, id))));
    for (const RawEntry& e : extra) entries.push_back(e);
    buildZip(archive, entries);
}

// A package database whose word table lacks the rules, holding a word the
// working database refuses (word number 0).
void makeRuleBreakingTables(const QString& dir) {
    QDir().mkpath(dir);
    Database::createTables(dir, false);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(tableFilePath(dir, TableId::Wurd)).constData(), &db), SQLITE_OK);
    QStringList cols;
    for (const FieldDef& f : tableDef(TableId::Wurd).fields) cols << QStringLiteral("\"%1\"").arg(QLatin1String(f.name));
    const QString sql = QStringLiteral("DROP TABLE \"BKWRD002\"; CREATE TABLE \"BKWRD002\" (%1); "
                                       "INSERT INTO \"BKWRD002\" (\"WurdRegNum\", \"PageRegNum\", \"WurdNumber\") VALUES (1, 1, 0);")
                            .arg(cols.join(QStringLiteral(", ")));
    ASSERT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    Database package(dir);
    Table lessons(package, TableId::Lesn);
    lessons.append();
    lessons.setField(0, qint64(1));
    lessons.post();
    Table pages(package, TableId::Page);
    pages.append();
    pages.setField(0, qint64(1));
    pages.setInteger(QStringLiteral("LesnRegNum"), 1);
    pages.setInteger(QStringLiteral("PageNumber"), 1);
    pages.post();
}

TEST_F(ImportTest, HostilePackagesEndWithAMessageAndChangeNothing) {
    exportTo(source, lesson, out.path(), -1);
    const QString good = piece(out.path());
    const QByteArray goodBytes = readFile(good);
    const QString tables = out.file(QStringLiteral("tables"));
    unzipInto(good, tables);
    const QString emptyTables = out.file(QStringLiteral("empty"));
    QDir().mkpath(emptyTables);
    Database::createTables(emptyTables, false);
    const QString ruleBreaking = out.file(QStringLiteral("rules"));
    makeRuleBreakingTables(ruleBreaking);

    auto diskId = [](qint32 size, qint32 disk = 1) {
        DiskId d;
        d.PackageID = 3;
        d.DiskNumber = disk;
        d.PackageSize = size;
        return d.encode();
    };
    struct Case {
        const char* what;
        std::function<void(const QString& dir)> make;  // writes lesn.lsn (and DiskID) into dir
        std::vector<ScriptedDialogs::Expected> messages;
        QString outcome;  // start of the one-line message
    };
    const QString errorImporting = texts::kErrorImporting + QStringLiteral("\r");
    const std::vector<Case> cases = {
        {"not a zip", [](const QString& d) { writeFile(piece(d), patternBytes(5000, 3)); },
         {{MsgKind::Error, errorImporting, MsgAnswer::Ok, QString(), true}}, texts::kErrorImporting},
        {"truncated archive", [&](const QString& d) { writeFile(piece(d), goodBytes.left(goodBytes.size() / 2)); },
         {{MsgKind::Error, errorImporting, MsgAnswer::Ok, QString(), true}}, texts::kErrorImporting},
        {"entry climbing out",
         [&](const QString& d) { zipPackage(piece(d), tables, {rawEntry("../../evil.wav", "x")}); },
         {{MsgKind::Error, errorImporting + texts::packageEntryOutside(QStringLiteral("../../evil.wav")), MsgAnswer::Ok, QString(), false}},
         texts::kErrorImporting},
        {"absolute entry",
         [&](const QString& d) { zipPackage(piece(d), tables, {rawEntry("/tmp/evil.wav", "x")}); },
         {{MsgKind::Error, errorImporting + texts::packageEntryOutside(QStringLiteral("/tmp/evil.wav")), MsgAnswer::Ok, QString(), false}},
         texts::kErrorImporting},
        {"entry in a folder",
         [&](const QString& d) { zipPackage(piece(d), tables, {rawEntry("sub/P0000001.BMP", "x")}); },
         {{MsgKind::Error, errorImporting + texts::packageEntryOutside(QStringLiteral("sub/P0000001.BMP")), MsgAnswer::Ok, QString(), false}},
         texts::kErrorImporting},
        {"link entry",
         [&](const QString& d) { zipPackage(piece(d), tables, {rawEntry("L0000001.WAV", "/etc/passwd", 0120777)}); },
         {{MsgKind::Error, errorImporting, MsgAnswer::Ok, QString(), true}}, texts::kErrorImporting},
        {"DiskID too short",
         [&](const QString& d) {
             writeFile(piece(d), goodBytes);
             writeFile(QDir(d).filePath(QStringLiteral("DiskID")), diskId(goodBytes.size()).left(10));
         },
         {{MsgKind::Warning, texts::incorrectDisk(1) + kCancelSuffix, MsgAnswer::Cancel, QString(), false},
          {MsgKind::Information, texts::kCouldNotReassemble, MsgAnswer::Ok, QString(), false}},
         texts::kCouldNotReassemble},
        {"DiskID with a negative size",
         [&](const QString& d) {
             writeFile(piece(d), goodBytes);
             writeFile(QDir(d).filePath(QStringLiteral("DiskID")), diskId(-goodBytes.size()));
         },
         {{MsgKind::Warning, texts::incorrectDisk(1) + kCancelSuffix, MsgAnswer::Cancel, QString(), false},
          {MsgKind::Information, texts::kCouldNotReassemble, MsgAnswer::Ok, QString(), false}},
         texts::kCouldNotReassemble},
        {"DiskID with a huge size",
         [&](const QString& d) {
             writeFile(piece(d), goodBytes);
             writeFile(QDir(d).filePath(QStringLiteral("DiskID")), diskId(0x7fffffff));
         },
         {{MsgKind::Warning, texts::diskRequest(2) + kCancelSuffix, MsgAnswer::Cancel, QString(), false},
          {MsgKind::Information, texts::kCouldNotReassemble, MsgAnswer::Ok, QString(), false}},
         texts::kCouldNotReassemble},
        {"DiskID smaller than the piece",
         [&](const QString& d) {
             writeFile(piece(d), goodBytes);
             writeFile(QDir(d).filePath(QStringLiteral("DiskID")), diskId(goodBytes.size() - 1));
         },
         {{MsgKind::Error, errorImporting + texts::kPackageDamaged, MsgAnswer::Ok, QString(), false}}, texts::kErrorImporting},
        {"no tables", [&](const QString& d) { zipPackage(piece(d), QString(), {rawEntry("L0000001.WAV", "sound")}); },
         {{MsgKind::Error, errorImporting + texts::kPackageNoTables, MsgAnswer::Ok, QString(), true}},
         texts::kErrorImporting},
        {"tables that are not databases",
         [&](const QString& d) {
             std::vector<RawEntry> entries;
             for (TableId id : kAllTables) entries.push_back(rawEntry(tableDef(id).fileName, "not a database at all"));
             buildZip(piece(d), entries);
         },
         {{MsgKind::Error, errorImporting + texts::kPackageBadTables, MsgAnswer::Ok, QString(), true}},
         texts::kErrorImporting},
        {"tables without a lesson", [&](const QString& d) { zipPackage(piece(d), emptyTables, {}); },
         {{MsgKind::Error, errorImporting + texts::kPackageNoLesson, MsgAnswer::Ok, QString(), false}}, texts::kErrorImporting},
        {"rows the working database refuses", [&](const QString& d) { zipPackage(piece(d), ruleBreaking, {}); },
         {{MsgKind::Error, errorImporting, MsgAnswer::Ok, QString(), true}}, texts::kErrorImporting},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir where;
        const QString dir = where.file(QStringLiteral("pkg"));
        QDir().mkpath(dir);
        c.make(dir);
        const auto packageBefore = treeDigest(where.path());
        const auto dbBefore = dumpDatabase(data.db());
        const auto dataBefore = treeDigest(data.programDir);
        auto x = importer(data, piece(dir));
        x->host.lessonOpen = true;
        x->host.lesnRegNum = 2;
        for (const auto& m : c.messages) {
            if (m.fragment) x->dialogs.expectContaining(m.kind, m.text, m.answer);
            else x->dialogs.expect(m.kind, m.text, m.answer);
        }
        const ExchangeOutcome outcome = ImportFromDisk(x->context);
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed);
        EXPECT_TRUE(outcome.message.startsWith(c.outcome)) << outcome.message.toStdString();
        EXPECT_FALSE(outcome.message.contains(QLatin1Char('\r')));
        EXPECT_EQ(dumpDatabase(data.db()), dbBefore);
        EXPECT_EQ(treeDigest(data.programDir), dataBefore);  // the scratch directory is gone too
        EXPECT_EQ(treeDigest(where.path()), packageBefore);
        EXPECT_FALSE(QFileInfo::exists(where.file(QStringLiteral("evil.wav"))));
        EXPECT_FALSE(QFileInfo::exists(QDir(data.programDir).filePath(QStringLiteral("evil.wav"))));
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
        if (from.endsWith(QLatin1String("tempLESN"))) return false;
        return FileSystem::rename(from, to);
    }
};

TEST_F(ImportTest, AFailedRenameLeavesTheDatabaseAndTheFoldersAsTheyWere) {
    exportTo(source, lesson, out.path());
    const auto dbBefore = dumpDatabase(data.db());
    const auto dataBefore = treeDigest(data.programDir);
    {
        NoDirectoryRename files;
        Exchange x(data, files);
        x.dialogs.expectFile(piece(out.path())).expect(MsgKind::Information, texts::kCouldNotRename);
        EXPECT_EQ(ImportFromDisk(x.context).result, ExchangeOutcome::Result::Failed);
        EXPECT_EQ(x.host.lesnRegNum, 0);
    }
    EXPECT_EQ(dumpDatabase(data.db()), dbBefore);
    EXPECT_EQ(treeDigest(data.programDir), dataBefore);

    // Nothing of the failed import stayed behind: the next one gets the
    // number it would have had.
    const qint64 next = 3;
    auto x = importer(data, piece(out.path()));
    x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.lesnRegNum, next);
    expectSameLesson(source.db(), lesson, data.db(), next, data.programDir);
}

// What earlier imports leave behind ------------------------------------------

TEST_F(ImportTest, LeftoversOfAnEarlierImportNeverBlockTheNext) {
    exportTo(source, lesson, out.path());
    TempDir elsewhere;
    writeFile(elsewhere.file(QStringLiteral("precious.wav")), "keep me");
    struct Case {
        const char* what;
        std::function<void(const QString& scratch)> leave;
    } cases[] = {
        {"a scratch directory full of files",
         [](const QString& s) {
             QDir().mkpath(s + QStringLiteral("/.staging/deeper"));
             writeFile(s + QStringLiteral("/LESN.ZIP"), "half");
             writeFile(s + QStringLiteral("/VELLO002.DB"), "junk");
             writeFile(s + QStringLiteral("/.staging/deeper/P0000001.BMP"), "x");
         }},
        {"a file in its place", [](const QString& s) { writeFile(s, "not a directory"); }},
        {"a link to another directory",
         [&](const QString& s) { QFile::link(elsewhere.path(), s); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir().mkpath(data.workspace());
        c.leave(data.scratch());
        auto x = importer(data, piece(out.path()));
        x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
        const ExchangeOutcome outcome = ImportFromDisk(x->context);
        ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
        expectSameLesson(source.db(), lesson, data.db(), outcome.lesnRegNum, data.programDir);
        EXPECT_EQ(readFile(elsewhere.file(QStringLiteral("precious.wav"))), QByteArray("keep me"));
    }
}

// Removing a file fails, as it would in a folder another program holds.
struct LockedScratch : FileSystem {
    bool removeFile(const QString& path) const override {
        if (path.contains(QLatin1String("tempLESN"))) return false;
        return FileSystem::removeFile(path);
    }
};

TEST_F(ImportTest, ALockedOrUnmakeableScratchDirectoryStopsTheImport) {
    exportTo(source, lesson, out.path());
    QDir().mkpath(data.scratch());
    writeFile(QDir(data.scratch()).filePath(QStringLiteral("held.wav")), "x");
    const auto dbBefore = dumpDatabase(data.db());
    {
        LockedScratch files;
        Exchange x(data, files);
        x.host.lessonOpen = true;
        x.dialogs.expectFile(piece(out.path()))
            .expect(MsgKind::Information, texts::kCanNotDeleteDirectory.arg(data.scratch()));
        EXPECT_EQ(ImportFromDisk(x.context).result, ExchangeOutcome::Result::Failed);
        EXPECT_TRUE(x.host.lessonOpen) << "the open lesson stays open";
        EXPECT_FALSE(x.host.busy);
    }
    EXPECT_EQ(dumpDatabase(data.db()), dbBefore);

    // "workspac" is a file: the scratch directory cannot be made.
    QDir(data.workspace()).removeRecursively();
    writeFile(data.workspace(), "in the way");
    auto x = importer(data, piece(out.path()));
    x->dialogs.expect(MsgKind::Error, texts::kCouldNotCreateDirectory + data.scratch());
    EXPECT_EQ(ImportFromDisk(x->context).result, ExchangeOutcome::Result::Failed);
    EXPECT_EQ(dumpDatabase(data.db()), dbBefore);
    QFile::remove(data.workspace());
}

TEST_F(ImportTest, OnlyAFileNamedLesnLsnIsTakenAndCancelDoesNothing) {
    exportTo(source, lesson, out.path());
    QFile::copy(piece(out.path()), out.file(QStringLiteral("other.lsn")));
    QFile::copy(piece(out.path()), out.file(QStringLiteral("LESN.LSN")));
    {
        auto x = importer(data, out.file(QStringLiteral("other.lsn")));
        x->host.lessonOpen = true;
        const ExchangeOutcome outcome = ImportFromDisk(x->context);
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed);
        EXPECT_TRUE(x->host.lessonOpen);
        EXPECT_TRUE(x->host.suspendedHistory.empty());
    }
    {
        auto x = importer(data, QString());
        EXPECT_EQ(ImportFromDisk(x->context).result, ExchangeOutcome::Result::Cancelled);
    }
    auto x = importer(data, out.file(QStringLiteral("LESN.LSN")));  // any case
    x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    EXPECT_TRUE(ImportFromDisk(x->context).ok());
}

TEST_F(ImportTest, ALessonThatCannotBeLoadedShowsLessonNotFound) {
    exportTo(source, lesson, out.path());
    struct NoLoad : TestHost {
        using TestHost::TestHost;
        bool LoadLesnRecord(qint64) override { return false; }
    };
    auto x = importer(data, piece(out.path()));
    NoLoad host(data.db());
    ExchangeContext context{x->dialogs, x->status, *data.hdb, host, x->drive, x->state};
    const ExchangeOutcome outcome = ImportFromDisk(context);
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(host.notFound, 1);
    EXPECT_FALSE(host.lessonOpen);
    EXPECT_EQ(host.titlePages, 0);
}

}  // namespace

TEST_F(ImportTest, AHostilePackageReadInPlaceFromItsDisksIsRefused) {
    exportTo(source, lesson, out.path(), -1);
    const QString tables = out.file(QStringLiteral("tables"));
    unzipInto(piece(out.path()), tables);
    const QString whole = out.file(QStringLiteral("whole.zip"));
    zipPackage(whole, tables, {rawEntry("../../evil.wav", patternBytes(3000, 4))});
    const QByteArray bytes = readFile(whole);
    const qsizetype firstPart = bytes.size() / 2;
    for (int n = 1; n <= 2; ++n) {
        const QString disk = out.file(QStringLiteral("hostile/disk%1").arg(n));
        QDir().mkpath(disk);
        writeFile(piece(disk), n == 1 ? bytes.left(firstPart) : bytes.mid(firstPart));
        DiskId id;
        id.PackageID = 77;
        id.DiskNumber = n;
        id.PackageSize = qint32(bytes.size());
        writeFile(QDir(disk).filePath(QStringLiteral("DiskID")), id.encode());
    }
    const auto before = dumpDatabase(data.db());
    const QStringList lessonsBefore = QDir(QDir(data.programDir).filePath(QStringLiteral("workspac"))).entryList();
    auto x = importer(data, piece(out.file(QStringLiteral("hostile/disk1"))));
    x->drive.keepsDisks = true;
    x->drive.inserted = {piece(out.file(QStringLiteral("hostile/disk1"))), piece(out.file(QStringLiteral("hostile/disk1"))),
                         piece(out.file(QStringLiteral("hostile/disk2")))};
    x->dialogs.expect(MsgKind::Error,
                      texts::kErrorImporting + QStringLiteral("\r") + texts::packageEntryOutside(QStringLiteral("../../evil.wav")));
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(dumpDatabase(data.db()), before);
    EXPECT_EQ(QDir(QDir(data.programDir).filePath(QStringLiteral("workspac"))).entryList(), lessonsBefore);
    EXPECT_FALSE(QFileInfo::exists(out.file(QStringLiteral("evil.wav"))));
    EXPECT_EQ(readFile(piece(out.file(QStringLiteral("hostile/disk2")))), bytes.mid(firstPart));
}
