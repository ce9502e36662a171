#include <gtest/gtest.h>

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

TEST_F(ExportTest, SelectorCancelledDoesNothing) {
    auto x = exchangeFor(lesson);
    x->host.exportDirectory.clear();
    EXPECT_EQ(ExportToDisk(x->context).result, ExchangeOutcome::Result::Cancelled);
    EXPECT_TRUE(x->host.suspendedHistory.empty());
    EXPECT_EQ(x->host.titlePages, 0);
    EXPECT_TRUE(namesIn(out.path()).isEmpty());
}

// Without room for the lesson and a margin, or without a lesson directory,
// nothing is written; other errors are reported and the package files
// removed. Either way the lesson's files stay as they were.
TEST_F(ExportTest, FailuresAreReportedAndLeaveTheLessonAsItWas) {
    qint64 lessonBytes = 0;
    for (const auto& [name, bytes] : lesson.media) lessonBytes += bytes.size();
    const qint64 need = std::llround(double(lessonBytes) * 1.1);
    const QString noRoom = texts::kInsufficientDiskSpace;
    auto freeSpace = [&](qint64 free) {
        return [=, this](Exchange& x) { x.drive.freeAt[lesson.directory] = free; };
    };
    const struct {
        const char* what;
        std::function<void(Exchange&)> arrange;
        QString detail;  // what the outcome's message says
        int titlePages;
    } cases[] = {
        {"free equals the need", freeSpace(need), noRoom, 0},
        {"drive cannot be read", freeSpace(-1), noRoom, 0},
        {"no free bytes", freeSpace(0), noRoom, 0},
        {"no lesson directory", [this](Exchange& x) { x.host.dirPath = out.file(u"missing"_s); },
         noRoom, 0},
        {"no directory named at all", [](Exchange& x) { x.host.dirPath.clear(); }, noRoom, 0},
        {"lesson not in the database", [](Exchange& x) { x.host.lesnRegNum = 999; },
         u"SrcLesnRegNum does not exist"_s, 1},
        {"target cannot hold a piece",
         [this](Exchange& x) {
             x.host.exportDirectory = out.file(u"blocked"_s);
             QDir().mkpath(piece(x.host.exportDirectory));  // a directory where the piece goes
             x.dialogs.expect(MsgKind::Information, prompt(1));
         },
         u"Cannot create file"_s, 1},
        // The clean-up would delete the table files: never let loose there.
        {"the working database's directory as the lesson's",
         [this](Exchange& x) { x.host.dirPath = QDir(data.programDir).filePath(u"db"_s); },
         texts::kLessonDirectoryIsDatabase, 0},
    };
    const QString db = QDir(data.programDir).filePath(u"db"_s);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto before = filesIn(lesson.directory);
        const auto dbBefore = filesIn(db);
        auto x = exchangeFor(lesson);
        c.arrange(*x);
        const auto outBefore = treeDigest(out.path());
        if (c.detail == noRoom)
            x->dialogs.expect(MsgKind::Information, noRoom);
        else
            x->dialogs.expect(MsgKind::Error, texts::kErrorExporting);
        const ExchangeOutcome outcome = ExportToDisk(x->context);
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed);
        if (c.detail == noRoom) {
            EXPECT_EQ(outcome.message, noRoom);
            EXPECT_EQ(treeDigest(out.path()), outBefore);  // nothing written
        } else {
            EXPECT_TRUE(outcome.message.startsWith(texts::kErrorExporting + u": "_s) &&
                        outcome.message.contains(c.detail))
                << outcome.message.toStdString();
        }
        // A disk left without its piece keeps no DiskID, or the next try
        // would refuse it as a disk of an earlier export.
        if (!x->host.exportDirectory.isEmpty())
            EXPECT_FALSE(QFileInfo::exists(QDir(x->host.exportDirectory).filePath(u"DiskID"_s)));
        EXPECT_EQ(filesIn(lesson.directory), before);
        EXPECT_EQ(filesIn(db), dbBefore);
        EXPECT_EQ(x->host.suspendedHistory, (std::vector<bool>{true, false}));
        EXPECT_FALSE(x->host.busy);
        EXPECT_EQ(x->host.titlePages, c.titlePages);
    }
    // One byte more than the need is enough.
    auto x = exchangeFor(lesson);
    x->drive.freeAt[lesson.directory] = need + 1;
    x->dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Information, texts::kLesnExported);
    EXPECT_TRUE(ExportToDisk(x->context).ok());
}

TEST_F(ExportTest, ExportingTwiceIntoOneDirectoryStopsAtTheLesnDisk) {
    exportTo(data, lesson, out.path());
    const auto firstExport = treeDigest(out.path());
    const auto before = filesIn(other.directory);
    auto x = exchangeFor(other);
    x->dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kLesnDisk + kCancelSuffix, MsgAnswer::Ok)  // looks again
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
