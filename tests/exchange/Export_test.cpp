#include <gtest/gtest.h>

#include <QProcess>
#include <cmath>
#include <set>

#include "ExchangeTestSupport.h"
#include "IUnzip.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

// Unpacks a package file into `dest` and answers its rows.
std::map<TableId, std::map<qint64, Row>> packageRows(const QString& archive, const QString& dest) {
    unzipInto(archive, dest);
    Database package(dest, Database::Mode::ReadOnly);
    return dumpDatabase(package);
}

struct ExportTest : ::testing::Test {
    DataDir data;
    TempDir out;
    BuiltLesson other = makeLesson(data, {.readingPages = 1, .questionPages = 0, .seed = 9});
    BuiltLesson lesson = makeLesson(data, {.readingPages = 2, .wordsPerPage = 3, .questionPages = 1, .seed = 2});

    std::unique_ptr<Exchange> exchangeFor(const BuiltLesson& l) {
        auto x = std::make_unique<Exchange>(data);
        x->host.lesnRegNum = l.number;
        x->host.dirPath = l.directory;
        x->host.lessonOpen = true;
        x->host.exportDirectory = out.path();
        return x;
    }
};

TEST_F(ExportTest, WritesTheLessonWithItsMediaToOneDisk) {
    const auto before = filesIn(lesson.directory);
    auto x = exchangeFor(lesson);
    x->dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, texts::kLesnExported);
    const ExchangeOutcome outcome = ExportToDisk(x->context);
    EXPECT_TRUE(outcome.ok()) << outcome.message.toStdString();

    EXPECT_EQ(namesIn(out.path()), (QStringList{QStringLiteral("DiskID"), QStringLiteral("lesn.lsn")}));
    const DiskId id = diskIdAt(out.file(QStringLiteral("DiskID")));
    EXPECT_EQ(id.DiskNumber, 1);
    EXPECT_EQ(id.PackageSize, QFileInfo(out.file(QStringLiteral("lesn.lsn"))).size());
    EXPECT_EQ(id.PackageFileCount, int(lesson.media.size()) + 9);

    // Level 0, no directory entries, the four tables and every media file.
    QStringList expected = {QStringLiteral("BKCHO002.DB"), QStringLiteral("BKWRD002.DB"), QStringLiteral("BPGQU002.DB"),
                            QStringLiteral("VELLO002.DB")};
    for (const auto& [name, bytes] : lesson.media) expected << name;
    expected.sort();
    EXPECT_EQ(namesOf(out.file(QStringLiteral("lesn.lsn"))), expected);
    for (const EntryInfo& e : entriesOf(out.file(QStringLiteral("lesn.lsn")))) EXPECT_EQ(e.method, ZIP_CM_STORE);

    // Exactly this lesson's rows, keys unchanged.
    const QString unpacked = out.file(QStringLiteral("unpacked"));
    EXPECT_EQ(packageRows(out.file(QStringLiteral("lesn.lsn")), unpacked), lessonRows(data.db(), lesson.number));
    for (const auto& [name, bytes] : lesson.media) EXPECT_EQ(readFile(QDir(unpacked).filePath(name)), bytes) << name.toStdString();

    EXPECT_EQ(filesIn(lesson.directory), before);
    EXPECT_EQ(x->host.suspendedHistory, (std::vector<bool>{true, false}));
    EXPECT_FALSE(x->host.busy);
    EXPECT_EQ(x->host.titlePages, 1);
    EXPECT_EQ(x->state.PackageFileCount, 0);
    ASSERT_FALSE(x->status.texts.empty());
    EXPECT_EQ(x->status.texts.front(), QStringLiteral(" Select an Export Drive and Directory "));
    EXPECT_TRUE(x->status.shownText(QStringLiteral("Spanning: Zipping file \" LESN.ZIP")));
    EXPECT_TRUE(x->status.shownText(QStringLiteral("Zipping - \"  added: VELLO002.DB (stored)\"")));
}

TEST_F(ExportTest, SpreadsABigLessonOverSeveralDisks) {
    BuiltLesson big = makeLesson(data, {.mediaSize = 30000, .seed = 3});
    // The package's size, from an export onto one disk.
    qint64 size = 0;
    {
        auto x = exchangeFor(big);
        x->host.exportDirectory = out.file(QStringLiteral("one"));
        QDir().mkpath(x->host.exportDirectory);
        x->dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, texts::kLesnExported);
        ASSERT_TRUE(ExportToDisk(x->context).ok());
        size = QFileInfo(out.file(QStringLiteral("one/lesn.lsn"))).size();
    }
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
        x->drive.root = out.file(keepsDisks ? QStringLiteral("kept") : QStringLiteral("set"));
        x->drive.capacity = room + DiskId::kSize;
        x->drive.keepsDisks = keepsDisks;
        for (int n = 1; n <= disks; ++n) x->dialogs.expect(MsgKind::Information, prompt(n));
        x->dialogs.expect(MsgKind::Information, texts::kLesnExported);
        ASSERT_TRUE(ExportToDisk(x->context).ok());
        QByteArray joined;
        for (int n = 1; n <= disks; ++n) {
            EXPECT_EQ(diskIdAt(QDir(x->drive.diskDirectory(n)).filePath(QStringLiteral("DiskID"))).PackageFileCount,
                      int(big.media.size()) + 9);
            joined += readFile(QDir(x->drive.diskDirectory(n)).filePath(QStringLiteral("lesn.lsn")));
        }
        EXPECT_EQ(joined.size(), size);
        EXPECT_FALSE(QFileInfo::exists(x->drive.diskDirectory(disks + 1)));
        const QString joinedFile = x->drive.root + QStringLiteral("/joined.zip");
        writeFile(joinedFile, joined);
        EXPECT_EQ(QProcess::execute(QStringLiteral("unzip"), {QStringLiteral("-tqq"), joinedFile}), 0);
        EXPECT_EQ(packageRows(joinedFile, x->drive.root + QStringLiteral("/u")), lessonRows(data.db(), big.number));
        for (const auto& [name, bytes] : big.media)
            EXPECT_EQ(readFile(x->drive.root + QStringLiteral("/u/") + name), bytes) << name.toStdString();
        EXPECT_EQ(filesIn(big.directory), before);
    }
}

TEST_F(ExportTest, SelectorCancelledDoesNothing) {
    auto x = exchangeFor(lesson);
    x->host.exportDirectory.clear();
    const ExchangeOutcome outcome = ExportToDisk(x->context);
    EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Cancelled);
    EXPECT_TRUE(x->host.suspendedHistory.empty());
    EXPECT_EQ(x->host.titlePages, 0);
    EXPECT_TRUE(namesIn(out.path()).isEmpty());
}

TEST_F(ExportTest, InsufficientSpaceOrNoDiskStopsBeforeAnythingIsWritten) {
    qint64 lessonBytes = 0;
    for (const auto& [name, bytes] : lesson.media) lessonBytes += bytes.size();
    const qint64 need = std::llround(double(lessonBytes) * 1.1);
    struct Case {
        const char* what;
        qint64 free;
        QString dirPath;
    } cases[] = {
        {"free equals the need", need, lesson.directory},
        {"drive cannot be read", -1, lesson.directory},
        {"no free bytes", 0, lesson.directory},
        {"no lesson directory", -2, out.file(QStringLiteral("missing"))},
        {"no directory named at all", -2, QString()},
    };
    for (const Case& c : cases) {
        const auto before = filesIn(lesson.directory);
        auto x = exchangeFor(lesson);
        if (c.free != -2) x->drive.freeAt[lesson.directory] = c.free;
        x->host.dirPath = c.dirPath;
        x->dialogs.expect(MsgKind::Information, texts::kInsufficientDiskSpace);
        const ExchangeOutcome outcome = ExportToDisk(x->context);
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed) << c.what;
        EXPECT_EQ(outcome.message, texts::kInsufficientDiskSpace) << c.what;
        EXPECT_EQ(filesIn(lesson.directory), before) << c.what;
        EXPECT_TRUE(namesIn(out.path()).isEmpty()) << c.what;
        EXPECT_EQ(x->host.suspendedHistory, (std::vector<bool>{true, false})) << c.what;
        EXPECT_FALSE(x->host.busy) << c.what;
        EXPECT_EQ(x->host.titlePages, 0) << c.what;
    }
    // One byte more than the need is enough.
    auto x = exchangeFor(lesson);
    x->drive.freeAt[lesson.directory] = need + 1;
    x->dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, texts::kLesnExported);
    EXPECT_TRUE(ExportToDisk(x->context).ok());
}

TEST_F(ExportTest, ErrorsAreReportedAndThePackageFilesRemoved) {
    struct Case {
        const char* what;
        std::function<void(Exchange&)> arrange;
        QString detail;
    } cases[] = {
        {"lesson not in the database", [](Exchange& x) { x.host.lesnRegNum = 999; },
         QStringLiteral("SrcLesnRegNum does not exist")},
        {"target cannot hold a piece",
         [this](Exchange& x) {
             // A directory where the piece should go.
             QDir().mkpath(out.file(QStringLiteral("lesn.lsn")));
             x.host.exportDirectory = out.path();
         },
         QStringLiteral("Cannot create file")},
    };
    for (const Case& c : cases) {
        const auto before = filesIn(lesson.directory);
        auto x = exchangeFor(lesson);
        c.arrange(*x);
        if (QString::fromLatin1(c.what).startsWith(QLatin1String("target")))
            x->dialogs.expect(MsgKind::Information, prompt(1));
        x->dialogs.expect(MsgKind::Error, texts::kErrorExporting);
        const ExchangeOutcome outcome = ExportToDisk(x->context);
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed) << c.what;
        EXPECT_TRUE(outcome.message.startsWith(texts::kErrorExporting + QStringLiteral(": ")) &&
                    outcome.message.contains(c.detail))
            << c.what << ": " << outcome.message.toStdString();
        EXPECT_EQ(filesIn(lesson.directory), before) << c.what;
        EXPECT_EQ(x->host.suspendedHistory, (std::vector<bool>{true, false})) << c.what;
        EXPECT_FALSE(x->host.busy) << c.what;
        EXPECT_EQ(x->host.titlePages, 1) << c.what;
    }
}

TEST_F(ExportTest, ExportingTwiceIntoOneDirectoryStopsAtTheLesnDisk) {
    {
        auto x = exchangeFor(lesson);
        x->dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, texts::kLesnExported);
        ASSERT_TRUE(ExportToDisk(x->context).ok());
    }
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
        t.setString(QStringLiteral("Title"), QStringLiteral("stale"));
        t.post();
    }
    writeFile(QDir(lesson.directory).filePath(QStringLiteral("lesn.zip")), "old archive");
    writeFile(QDir(lesson.directory).filePath(QStringLiteral("notes.Px")), "x");
    writeFile(QDir(lesson.directory).filePath(QStringLiteral("other.VAL")), "x");
    writeFile(QDir(lesson.directory).filePath(QStringLiteral("memo.Mb")), "x");
    auto x = exchangeFor(lesson);
    x->dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, texts::kLesnExported);
    ASSERT_TRUE(ExportToDisk(x->context).ok());
    EXPECT_EQ(packageRows(out.file(QStringLiteral("lesn.lsn")), out.file(QStringLiteral("u"))),
              lessonRows(data.db(), lesson.number));
    // Only the media remain; package file names are matched in any case.
    QStringList media;
    for (const auto& [name, bytes] : lesson.media) media << name;
    EXPECT_EQ(namesIn(lesson.directory), media);
}

TEST_F(ExportTest, NeverCleansUpTheWorkingDatabaseDirectory) {
    const QString db = QDir(data.programDir).filePath(QStringLiteral("db"));
    const auto before = filesIn(db);
    auto x = exchangeFor(lesson);
    x->host.dirPath = db;
    x->dialogs.expect(MsgKind::Error, texts::kErrorExporting);
    EXPECT_EQ(ExportToDisk(x->context).result, ExchangeOutcome::Result::Failed);
    EXPECT_EQ(filesIn(db), before);
    EXPECT_EQ(x->host.suspendedHistory, (std::vector<bool>{true, false}));
}

}  // namespace
