#include <gtest/gtest.h>

#include <QProcess>
#include <cmath>

#include "ExchangeTestSupport.h"
#include "IUnzip.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;

namespace {

struct ExportTest : ::testing::Test {
    DataDir data;
    TempDir out;
    BuiltLesson other = makeLesson(data, {.readingPages = 1, .questionPages = 0, .seed = 9});
    BuiltLesson lesson =
        makeLesson(data, {.readingPages = 2, .wordsPerPage = 3, .questionPages = 1, .seed = 2});

    std::unique_ptr<Exchange> exchangeFor(const BuiltLesson& l) {
        auto x = std::make_unique<Exchange>(data);
        x->host.lesnRegNum = l.number;
        x->host.dirPath = l.directory;
        x->host.lessonOpen = true;
        x->host.exportDirectory = out.path();
        return x;
    }

    // The package `archive` holds exactly the rows of `l`, keys unchanged,
    // and its media.
    void expectPackageOf(const BuiltLesson& l, const QString& archive) {
        const QString dest = archive + u".unpacked"_s;
        unzipInto(archive, dest);
        Database package(dest, Database::Mode::ReadOnly);
        EXPECT_EQ(dumpDatabase(package), lessonRows(data.db(), l.number));
        for (const auto& [name, bytes] : l.media)
            EXPECT_EQ(readFile(QDir(dest).filePath(name)), bytes) << name.toStdString();
    }
};

TEST_F(ExportTest, WritesTheLessonWithItsMediaToOneDisk) {
    const auto before = filesIn(lesson.directory);
    auto x = exchangeFor(lesson);
    x->dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Information, texts::kLesnExported);
    const ExchangeOutcome outcome = ExportToDisk(x->context);
    EXPECT_TRUE(outcome.ok()) << outcome.message.toStdString();

    const QString package = piece(out.path());
    EXPECT_EQ(namesIn(out.path()), (QStringList{"DiskID", "lesn.lsn"}));
    const DiskId id = diskIdIn(out.path());
    EXPECT_EQ(id.DiskNumber, 1);
    EXPECT_EQ(id.PackageSize, QFileInfo(package).size());
    EXPECT_EQ(id.PackageFileCount, int(lesson.media.size()) + 9);

    // Level 0, no directory entries, the four tables and every media file.
    QStringList expected = {"BKCHO002.DB", "BKWRD002.DB", "BPGQU002.DB", "VELLO002.DB"};
    for (const auto& [name, bytes] : lesson.media) expected << name;
    expected.sort();
    EXPECT_EQ(namesOf(package), expected);
    for (const EntryInfo& e : entriesOf(package)) EXPECT_EQ(e.method, ZIP_CM_STORE);
    expectPackageOf(lesson, package);

    EXPECT_EQ(filesIn(lesson.directory), before);
    EXPECT_EQ(x->host.suspendedHistory, (std::vector<bool>{true, false}));
    EXPECT_FALSE(x->host.busy);
    EXPECT_EQ(x->host.titlePages, 1);
    EXPECT_EQ(x->state.PackageFileCount, 0);
    ASSERT_FALSE(x->status.texts.empty());
    EXPECT_EQ(x->status.texts.front(), u" Select an Export Drive and Directory "_s);
    EXPECT_TRUE(x->status.shownText(u"Spanning: Zipping file \" LESN.ZIP"_s));
    EXPECT_TRUE(x->status.shownText(u"Zipping - \"  added: VELLO002.DB (stored)\""_s));
}

TEST_F(ExportTest, SpreadsABigLessonOverSeveralDisks) {
    BuiltLesson big = makeLesson(data, {.mediaSize = 30000, .seed = 3});
    exportTo(data, big, out.file(u"one"_s));
    const qint64 size = QFileInfo(piece(out.file(u"one"_s))).size();
    const qint64 room = 40000;
    const int disks = int((size + room - 1) / room);
    ASSERT_GE(disks, 3);

    // Made whole and then cut, and zipped straight onto disks that all stay
    // at hand: the same package either way. (Each disk's DiskID, piece size
    // and gauge are the spanner's, checked in DiskProtocol_test.cpp.)
    for (bool keepsDisks : {false, true}) {
        SCOPED_TRACE(keepsDisks ? "straight onto the disks" : "cut from the whole archive");
        const auto before = filesIn(big.directory);
        auto x = exchangeFor(big);
        x->drive.root = out.file(keepsDisks ? u"kept"_s : u"set"_s);
        x->drive.capacity = room + DiskId::kSize;
        x->drive.keepsDisks = keepsDisks;
        for (int n = 1; n <= disks; ++n) x->dialogs.expect(MsgKind::Information, prompt(n));
        x->dialogs.expect(MsgKind::Information, texts::kLesnExported);
        ASSERT_TRUE(ExportToDisk(x->context).ok());
        QByteArray joined;
        for (int n = 1; n <= disks; ++n) {
            const QString disk = x->drive.diskDirectory(n);
            EXPECT_EQ(diskIdIn(disk).PackageFileCount, int(big.media.size()) + 9);
            joined += readFile(piece(disk));
        }
        EXPECT_EQ(joined.size(), size);
        EXPECT_FALSE(QFileInfo::exists(x->drive.diskDirectory(disks + 1)));
        const QString joinedFile = x->drive.root + u"/joined.zip"_s;
        writeFile(joinedFile, joined);
        EXPECT_EQ(QProcess::execute(u"unzip"_s, {u"-tqq"_s, joinedFile}), 0);
        expectPackageOf(big, joinedFile);
        EXPECT_EQ(filesIn(big.directory), before);
    }
}

TEST_F(ExportTest, SelectorCancelledDoesNothing) {
    auto x = exchangeFor(lesson);
    x->host.exportDirectory.clear();
    EXPECT_EQ(ExportToDisk(x->context).result, ExchangeOutcome::Result::Cancelled);
    EXPECT_TRUE(x->host.suspendedHistory.empty());
    EXPECT_EQ(x->host.titlePages, 0);
    EXPECT_TRUE(namesIn(out.path()).isEmpty());
}

TEST_F(ExportTest, InsufficientSpaceOrNoDiskStopsBeforeAnythingIsWritten) {
    qint64 lessonBytes = 0;
    for (const auto& [name, bytes] : lesson.media) lessonBytes += bytes.size();
    const qint64 need = std::llround(double(lessonBytes) * 1.1);
    const struct {
        const char* what;
        qint64 free;
        QString dirPath;
    } cases[] = {
        {"free equals the need", need, lesson.directory},
        {"drive cannot be read", -1, lesson.directory},
        {"no free bytes", 0, lesson.directory},
        {"no lesson directory", -2, out.file(u"missing"_s)},
        {"no directory named at all", -2, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto before = filesIn(lesson.directory);
        auto x = exchangeFor(lesson);
        if (c.free != -2) x->drive.freeAt[lesson.directory] = c.free;
        x->host.dirPath = c.dirPath;
        x->dialogs.expect(MsgKind::Information, texts::kInsufficientDiskSpace);
        const ExchangeOutcome outcome = ExportToDisk(x->context);
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed);
        EXPECT_EQ(outcome.message, texts::kInsufficientDiskSpace);
        EXPECT_EQ(filesIn(lesson.directory), before);
        EXPECT_TRUE(namesIn(out.path()).isEmpty());
        EXPECT_EQ(x->host.suspendedHistory, (std::vector<bool>{true, false}));
        EXPECT_FALSE(x->host.busy);
        EXPECT_EQ(x->host.titlePages, 0);
    }
    // One byte more than the need is enough.
    auto x = exchangeFor(lesson);
    x->drive.freeAt[lesson.directory] = need + 1;
    x->dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Information, texts::kLesnExported);
    EXPECT_TRUE(ExportToDisk(x->context).ok());
}

TEST_F(ExportTest, ErrorsAreReportedAndThePackageFilesRemoved) {
    const struct {
        const char* what;
        std::function<void(Exchange&)> arrange;
        QString detail;
        int titlePages;
    } cases[] = {
        {"lesson not in the database", [](Exchange& x) { x.host.lesnRegNum = 999; },
         u"SrcLesnRegNum does not exist"_s, 1},
        {"target cannot hold a piece",
         [this](Exchange& x) {
             QDir().mkpath(piece(out.path()));  // a directory where the piece should go
             x.dialogs.expect(MsgKind::Information, prompt(1));
         },
         u"Cannot create file"_s, 1},
        // The clean-up would delete the table files: never let loose there.
        {"the working database's directory as the lesson's",
         [this](Exchange& x) { x.host.dirPath = QDir(data.programDir).filePath(u"db"_s); },
         texts::kLessonDirectoryIsDatabase, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto x = exchangeFor(lesson);
        c.arrange(*x);
        const auto before = filesIn(x->host.dirPath);
        x->dialogs.expect(MsgKind::Error, texts::kErrorExporting);
        const ExchangeOutcome outcome = ExportToDisk(x->context);
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed);
        EXPECT_TRUE(outcome.message.startsWith(texts::kErrorExporting + u": "_s) &&
                    outcome.message.contains(c.detail))
            << outcome.message.toStdString();
        EXPECT_EQ(filesIn(x->host.dirPath), before);
        EXPECT_EQ(x->host.suspendedHistory, (std::vector<bool>{true, false}));
        EXPECT_FALSE(x->host.busy);
        EXPECT_EQ(x->host.titlePages, c.titlePages);
    }
}

TEST_F(ExportTest, ExportingTwiceIntoOneDirectoryStopsAtTheLesnDisk) {
    exportTo(data, lesson, out.path());
    const auto firstExport = treeDigest(out.path());
    const auto before = filesIn(other.directory);
    auto x = exchangeFor(other);
    x->dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kLesnDisk + kCancelSuffix, MsgAnswer::Cancel);
    const ExchangeOutcome outcome = ExportToDisk(x->context);
    EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Cancelled);
    EXPECT_EQ(outcome.message, oneLine(texts::kLesnDisk));
    EXPECT_EQ(treeDigest(out.path()), firstExport);
    EXPECT_EQ(filesIn(other.directory), before);
    EXPECT_EQ(x->host.titlePages, 1);
}

TEST_F(ExportTest, LeftoversOfAnInterruptedExportDoNotGetIntoThePackage) {
    // Tables of an earlier, interrupted export holding a stale row, an old
    // archive, and package-like files in other cases.
    Database::createTables(lesson.directory, false);
    {
        Database stale(lesson.directory);
        Table t(stale, TableId::Lesn);
        t.append();
        t.setField(0, qint64(777));
        t.setString(u"Title"_s, u"stale"_s);
        t.post();
    }
    for (const char* name : {"lesn.zip", "notes.Px", "other.VAL", "memo.Mb"})
        writeFile(QDir(lesson.directory).filePath(QLatin1String(name)), "old");
    exportTo(data, lesson, out.path());
    expectPackageOf(lesson, piece(out.path()));
    // Only the media remain; package file names are matched in any case.
    QStringList media;
    for (const auto& [name, bytes] : lesson.media) media << name;
    EXPECT_EQ(namesIn(lesson.directory), media);
}

}  // namespace
