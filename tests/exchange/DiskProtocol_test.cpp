#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QStorageInfo>
#include <QTemporaryDir>
#include <set>

#include "ExchangeTestSupport.h"
#include "FileUtils.h"
#include "InfoZip.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

// A spanner on test disks, for one export or import.
struct Joining {
    ScriptedDialogs dialogs;
    RecordingStatus status;
    TestDrive drive;
    ExchangeState state;
    DiskSpanner spanner{dialogs, status, drive, state};
    Joining() { status.dialogs = &dialogs; }
};

// A package cut onto disk directories root/diskN by the spanner itself.
struct DiskSet {
    TempDir tmp;
    QByteArray data;
    QString source;

    DiskSet(qsizetype size, int seed) : data(patternBytes(size, seed)), source(tmp.file(QStringLiteral("LESN.ZIP"))) {
        writeFile(source, data);
    }
    QString disk(int n) const { return tmp.file(QStringLiteral("disks/disk%1").arg(n)); }
    QString piece(int n) const { return QDir(disk(n)).filePath(QStringLiteral("lesn.lsn")); }

    // Spans onto disks of `room` bytes each (after the DiskID).
    void span(qint64 room, int disks, unsigned seed) {
        Joining j;
        j.drive.root = tmp.file(QStringLiteral("disks"));
        j.drive.capacity = room + DiskId::kSize;
        j.state.random.seed(seed);
        for (int n = 1; n <= disks; ++n) j.dialogs.expect(MsgKind::Information, prompt(n));
        ASSERT_TRUE(j.spanner.SpanFile(source, tmp.file(QStringLiteral("lesn.lsn"))));
    }
};

struct SpanFile : ::testing::Test, Joining {};

TEST(DiskId, EncodesFourLittleEndianIntegers) {
    DiskId id;
    id.PackageID = 29999;
    id.DiskNumber = 2;
    id.PackageSize = 70000;
    id.PackageFileCount = 12;
    const QByteArray bytes = id.encode();
    EXPECT_EQ(bytes.toHex(), QByteArray("2f75000002000000701101000c000000"));
    DiskId back;
    ASSERT_TRUE(DiskId::decode(bytes, &back));
    EXPECT_EQ(back, id);
}

TEST(DiskId, RefusesWhatCannotBeADiskId) {
    auto bytes = [](qint32 a, qint32 b, qint32 c, qint32 d) {
        DiskId id;
        id.PackageID = a;
        id.DiskNumber = b;
        id.PackageSize = c;
        id.PackageFileCount = d;
        return id.encode();
    };
    struct Case {
        const char* what;
        QByteArray data;
        bool ok;
    } cases[] = {
        {"valid", bytes(0, 1, 1, 0), true},
        {"one byte short", bytes(1, 1, 100, 0).left(15), false},
        {"one byte long", bytes(1, 1, 100, 0) + 'x', false},
        {"empty", QByteArray(), false},
        {"identifier 30000", bytes(30000, 1, 100, 0), false},
        {"negative identifier", bytes(-1, 1, 100, 0), false},
        {"disk 0", bytes(5, 0, 100, 0), false},
        {"package size 0", bytes(5, 1, 0, 0), false},
        {"negative package size", bytes(5, 1, -70000, 0), false},
        {"negative file count", bytes(5, 1, 100, -3), false},
        {"largest package size", bytes(5, 1, 0x7fffffff, 0), true},
    };
    for (const Case& c : cases) {
        DiskId id;
        EXPECT_EQ(DiskId::decode(c.data, &id), c.ok) << c.what;
    }
}

TEST(DiskId, ReadsNoMoreThanItsSizeOfAHugeFile) {
    TempDir tmp;
    const QString path = tmp.file(QStringLiteral("DiskID"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(1) << 32));  // sparse: no room taken
    }
    DiskId id;
    EXPECT_EQ(ReadDiskId(path, &id), DiskIdRead::Damaged);
    EXPECT_EQ(ReadDiskId(tmp.file(QStringLiteral("none")), &id), DiskIdRead::Missing);
    QDir().mkpath(tmp.file(QStringLiteral("dir/DiskID")));
    EXPECT_EQ(ReadDiskId(tmp.file(QStringLiteral("dir/DiskID")), &id), DiskIdRead::Unreadable);
}

TEST(PercentDone, IsIntegerPercentOfWhatIsWritten) {
    EXPECT_EQ(PercentDone(70000, 30000), 57);
    EXPECT_EQ(PercentDone(70000, 1), 99);
    EXPECT_EQ(PercentDone(70000, 0), 100);
    EXPECT_EQ(PercentDone(qint64(0x7fffffff), 0), 100);  // no overflow
    EXPECT_THROW(PercentDone(0, 0), EDivByZero);
}

TEST(DirectorySize, CountsNonEmptyFilesDirectlyInTheDirectory) {
    TempDir tmp;
    writeFile(tmp.file(QStringLiteral("a.wav")), QByteArray(100, 'a'));
    writeFile(tmp.file(QStringLiteral("b.bmp")), QByteArray(23, 'b'));
    writeFile(tmp.file(QStringLiteral("empty")), QByteArray());
    QDir().mkpath(tmp.file(QStringLiteral("sub")));
    writeFile(tmp.file(QStringLiteral("sub/c")), QByteArray(1000, 'c'));
    ExchangeState state;
    EXPECT_EQ(DirectorySize(tmp.path(), state), 123);
    EXPECT_EQ(state.PackageFileCount, 2);
    EXPECT_EQ(DirectorySize(tmp.file(QStringLiteral("missing")), state), -1);
    EXPECT_EQ(state.PackageFileCount, 0);
    EXPECT_EQ(DirectorySize(QString(), state), -1);
}

TEST_F(SpanFile, SpreadsSeventyThousandBytesOverFortyThousandByteDisks) {
    DiskSet set(70000, 1);
    drive.root = set.tmp.file(QStringLiteral("disks"));
    drive.capacity = 40000 + DiskId::kSize;
    state.PackageFileCount = 12;
    dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, prompt(2));
    ASSERT_TRUE(spanner.SpanFile(set.source, set.tmp.file(QStringLiteral("lesn.lsn"))));

    EXPECT_EQ(readFile(set.piece(1)), set.data.left(40000));
    EXPECT_EQ(readFile(set.piece(2)), set.data.mid(40000));
    const DiskId one = diskIdAt(QDir(set.disk(1)).filePath(QStringLiteral("DiskID")));
    const DiskId two = diskIdAt(QDir(set.disk(2)).filePath(QStringLiteral("DiskID")));
    EXPECT_EQ(one.PackageID, two.PackageID);
    EXPECT_EQ(one.PackageID, state.PackageID);
    EXPECT_LT(one.PackageID, 30000);
    EXPECT_EQ(one.DiskNumber, 1);
    EXPECT_EQ(two.DiskNumber, 2);
    EXPECT_EQ(one.PackageSize, 70000);
    EXPECT_EQ(two.PackageSize, 70000);
    EXPECT_EQ(one.PackageFileCount, 12);
    EXPECT_EQ(readFile(set.source), set.data) << "the source is copied, not moved";

    // 100 % only once the last disk is being written, and the gauge hidden at the end.
    bool reached = false;
    for (const auto& g : status.gauge) {
        if (!g.visible) continue;
        if (g.percent == 100) reached = true;
        if (g.messagesShown < 2) {
            EXPECT_LT(g.percent, 100);
        }
    }
    EXPECT_TRUE(reached);
    ASSERT_FALSE(status.gauge.empty());
    EXPECT_FALSE(status.gauge.back().visible);
    EXPECT_TRUE(status.shownText(QStringLiteral("Spanning LESN.ZIP file, Copying files to disk  57% done")));
    EXPECT_TRUE(status.shownText(QStringLiteral("Spanning LESN.ZIP file, Copying files to disk  100% done")));
}

TEST_F(SpanFile, MovesAFileThatFitsOnTheFirstDiskWhenAllowed) {
    DiskSet set(50000, 2);
    const QString target = set.tmp.file(QStringLiteral("out"));
    QDir().mkpath(target);
    writeFile(QDir(target).filePath(QStringLiteral("lesn.lsn")), "old piece");  // replaced
    dialogs.expect(MsgKind::Information, prompt(1));
    ASSERT_TRUE(spanner.SpanFile(set.source, target, true));
    EXPECT_EQ(readFile(QDir(target).filePath(QStringLiteral("lesn.lsn"))), set.data);
    EXPECT_FALSE(QFileInfo::exists(set.source));
    const DiskId id = diskIdAt(QDir(target).filePath(QStringLiteral("DiskID")));
    EXPECT_EQ(id.PackageSize, 50000);
    EXPECT_EQ(id.DiskNumber, 1);
    EXPECT_TRUE(status.shownText(QStringLiteral("Spanning LESN.ZIP file, Copying files to disk  100% done")));
}

TEST_F(SpanFile, StopsAtADiskOfAnEarlierExport) {
    DiskSet set(5000, 3);
    const QString target = set.tmp.file(QStringLiteral("out"));
    QDir().mkpath(target);
    {
        Joining first;
        first.dialogs.expect(MsgKind::Information, prompt(1));
        ASSERT_TRUE(first.spanner.SpanFile(set.source, target));
    }
    const auto before = treeDigest(target);
    writeFile(set.source, patternBytes(6000, 9));
    dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kLesnDisk + kCancelSuffix, MsgAnswer::Ok)  // looks again
        .expect(MsgKind::Warning, texts::kLesnDisk + kCancelSuffix, MsgAnswer::Cancel);
    EXPECT_FALSE(spanner.SpanFile(set.source, target));
    EXPECT_EQ(treeDigest(target), before);
    EXPECT_EQ(spanner.lastProblem(), texts::kLesnDisk);
}

TEST_F(SpanFile, AsksForAnotherDiskWhenOneIsTooSmallAndLeavesItAsItWas) {
    DiskSet set(5000, 4);
    drive.root = set.tmp.file(QStringLiteral("disks"));
    drive.capacity = 2047 + DiskId::kSize;
    dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kInsufficientCapacity, MsgAnswer::Ok)
        .expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kInsufficientCapacity, MsgAnswer::Cancel);
    EXPECT_FALSE(spanner.SpanFile(set.source, set.tmp.file(QStringLiteral("lesn.lsn"))));
    EXPECT_TRUE(namesIn(set.disk(1)).isEmpty()) << namesIn(set.disk(1)).join(QLatin1Char(' ')).toStdString();
}

TEST_F(SpanFile, ExactlyTwoThousandFortyEightBytesIsAUsableDisk) {
    DiskSet set(4096, 5);
    drive.root = set.tmp.file(QStringLiteral("disks"));
    drive.capacity = 2048 + DiskId::kSize;
    dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, prompt(2));
    ASSERT_TRUE(spanner.SpanFile(set.source, set.tmp.file(QStringLiteral("lesn.lsn"))));
    EXPECT_EQ(readFile(set.piece(1)) + readFile(set.piece(2)), set.data);
}

TEST_F(SpanFile, ReportsAMissingSourceAndAPackageTooLargeForADiskId) {
    TempDir tmp;
    EXPECT_THROW(spanner.SpanFile(tmp.file(QStringLiteral("LESN.ZIP")), tmp.path()), EFileError);

    const QString big = tmp.file(QStringLiteral("big.zip"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(0x7fffffff) + 1));  // sparse
    }
    EXPECT_THROW(spanner.SpanFile(big, tmp.path()), EPackageError);
    EXPECT_FALSE(QFileInfo::exists(tmp.file(QStringLiteral("DiskID"))));
    ASSERT_FALSE(status.gauge.empty());
    EXPECT_FALSE(status.gauge.back().visible);
}

TEST_F(SpanFile, ReportsADiskIdThatCannotBeWritten) {
    DiskSet set(3000, 6);
    const QString target = set.tmp.file(QStringLiteral("gone/lesn.lsn"));  // no such directory
    dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Error, texts::kCannotCreateFile.arg(set.tmp.file(QStringLiteral("gone/DiskID"))));
    EXPECT_FALSE(spanner.SpanFile(set.source, target));
}

// Zipping straight onto disks ------------------------------------------------

// A lesson directory of a few files, zipped onto disk directories root/diskN.
struct ZipOntoDisks : Joining {
    TempDir tmp;
    QString lesson = tmp.file(QStringLiteral("lesson"));
    TInfoZip zip;

    explicit ZipOntoDisks(qint64 room) {
        QDir().mkpath(lesson);
        writeFile(QDir(lesson).filePath(QStringLiteral("VELLO002.DB")), patternBytes(4096, 1));
        writeFile(QDir(lesson).filePath(QStringLiteral("P0000001.BMP")), patternBytes(30000, 2));
        writeFile(QDir(lesson).filePath(QStringLiteral("V0000001.WAV")), patternBytes(35000, 3));
        drive.root = tmp.file(QStringLiteral("disks"));
        drive.capacity = room + DiskId::kSize;
        drive.keepsDisks = true;
        zip.NoDirEntries = true;
        zip.NameOfZipFile = QDir(lesson).filePath(QStringLiteral("LESN.ZIP"));
        zip.FileList << QDir(lesson).filePath(QStringLiteral("*.*"));
    }
    QString piece(int n) const { return QDir(drive.diskDirectory(n)).filePath(QStringLiteral("lesn.lsn")); }
    // The archive TInfoZip writes of the same files, as one file.
    QByteArray whole() {
        TInfoZip plain;
        plain.NoDirEntries = true;
        plain.NameOfZipFile = tmp.file(QStringLiteral("whole.zip"));
        plain.FileList = zip.FileList;
        plain.Execute();
        return readFile(plain.NameOfZipFile);
    }
};

TEST(SpanZip, CutsTheArchiveOntoDisksWithoutEverWritingItWhole) {
    ZipOntoDisks z(30000);
    const QByteArray expected = z.whole();
    ASSERT_GT(expected.size(), 30000 * 2);
    const int disks = int((expected.size() + 29999) / 30000);
    for (int n = 1; n <= disks; ++n) z.dialogs.expect(MsgKind::Information, prompt(n));
    QStringList zipLines;
    z.zip.OnPrint = [&](QObject*, const QString& line) {
        zipLines << line;
        EXPECT_FALSE(QFileInfo::exists(z.zip.NameOfZipFile));
    };
    ASSERT_TRUE(z.spanner.SpanZip(z.zip, z.tmp.file(QStringLiteral("lesn.lsn"))));
    EXPECT_EQ(z.zip.Output, nullptr);
    EXPECT_EQ(zipLines.size(), 6);
    QByteArray joined;
    for (int n = 1; n <= disks; ++n) {
        const DiskId id = diskIdAt(QDir(z.drive.diskDirectory(n)).filePath(QStringLiteral("DiskID")));
        EXPECT_EQ(id.PackageID, z.state.PackageID);
        EXPECT_EQ(id.DiskNumber, n);
        EXPECT_EQ(id.PackageSize, expected.size());
        const QByteArray piece = readFile(z.piece(n));
        EXPECT_EQ(piece.size(), n < disks ? 30000 : expected.size() - 30000 * (disks - 1)) << n;
        joined += piece;
    }
    EXPECT_TRUE(joined == expected);
    EXPECT_FALSE(QFileInfo::exists(z.drive.diskDirectory(disks + 1)));
    EXPECT_FALSE(QFileInfo::exists(z.zip.NameOfZipFile));
    EXPECT_TRUE(z.status.shownText(QStringLiteral("Spanning LESN.ZIP file, Copying files to disk  100% done")))
        << z.status.texts.back().toStdString();
    ASSERT_FALSE(z.status.gauge.empty());
    EXPECT_FALSE(z.status.gauge.back().visible);
}

TEST(SpanZip, StopsWhereTheUserGivesUpAndKeepsTheDisksWritten) {
    ZipOntoDisks z(40000);
    z.dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, prompt(2));
    // Disk 2 turns out to be one of an earlier export.
    QDir().mkpath(z.drive.diskDirectory(2));
    writeFile(QDir(z.drive.diskDirectory(2)).filePath(QStringLiteral("DiskID")), QByteArray(16, '\0'));
    z.dialogs.expect(MsgKind::Warning, texts::kLesnDisk + kCancelSuffix, MsgAnswer::Cancel);
    EXPECT_FALSE(z.spanner.SpanZip(z.zip, z.tmp.file(QStringLiteral("lesn.lsn"))));
    EXPECT_EQ(z.spanner.lastProblem(), texts::kLesnDisk);
    EXPECT_EQ(QFileInfo(z.piece(1)).size(), 40000);
    EXPECT_EQ(namesIn(z.drive.diskDirectory(2)), QStringList{QStringLiteral("DiskID")});
    EXPECT_EQ(z.zip.Output, nullptr);
    EXPECT_FALSE(QFileInfo::exists(z.zip.NameOfZipFile));

    ZipOntoDisks small(2047);  // too small a disk, never used
    small.dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kInsufficientCapacity, MsgAnswer::Cancel);
    EXPECT_FALSE(small.spanner.SpanZip(small.zip, small.tmp.file(QStringLiteral("lesn.lsn"))));
    EXPECT_TRUE(namesIn(small.drive.diskDirectory(1)).isEmpty());
}

TEST(SpanZip, AFileThatChangesWhileItIsZippedStopsTheExport) {
    for (qsizetype size : {30001, 29999}) {
        ZipOntoDisks z(1 << 20);  // one disk: every header can be rewritten
        z.dialogs.expect(MsgKind::Information, prompt(1));
        const QString file = QDir(z.lesson).filePath(QStringLiteral("P0000001.BMP"));
        z.zip.OnPrint = [&](QObject*, const QString& line) {
            if (line == QStringLiteral("  adding: P0000001.BMP")) writeFile(file, patternBytes(size, 9));
        };
        try {
            z.spanner.SpanZip(z.zip, z.tmp.file(QStringLiteral("lesn.lsn")));
            ADD_FAILURE() << size << ": no error";
        } catch (const EPackageError& e) {
            EXPECT_EQ(e.message(), texts::kPackageChanged) << size;
        }
        EXPECT_FALSE(QFileInfo::exists(z.piece(1))) << size;
        EXPECT_EQ(z.zip.Output, nullptr);
    }
}

// Joining ----------------------------------------------------------------

TEST(ReassembleFile, RefusesADiskOfAnotherExportInTheMiddleOfASet) {
    DiskSet a(70000, 11);
    a.span(40000, 2, 1);
    DiskSet b(70000, 12);
    b.span(40000, 2, 2);
    ASSERT_NE(diskIdAt(QDir(a.disk(1)).filePath(QStringLiteral("DiskID"))).PackageID,
              diskIdAt(QDir(b.disk(1)).filePath(QStringLiteral("DiskID"))).PackageID);
    Joining j;
    j.drive.inserted = {a.piece(1), a.piece(1), a.piece(1), b.piece(2), a.piece(2)};
    j.dialogs.expect(MsgKind::Warning, texts::diskRequest(2) + kCancelSuffix)
        .expect(MsgKind::Warning, texts::diskRequest(2) + kCancelSuffix);
    const QString target = a.tmp.file(QStringLiteral("joined.zip"));
    const DiskSpanner::Joined joined = j.spanner.Reassemble(a.piece(1), target, true);
    EXPECT_TRUE(joined.complete);
    EXPECT_EQ(joined.archive, target);
    EXPECT_EQ(readFile(target), a.data);
}

TEST(ReassembleFile, ASingleFileWithoutDiskIdNeedsNoDisksAndCanBeReadInPlace) {
    TempDir tmp;
    const QByteArray data = patternBytes(12345, 13);
    const QString source = tmp.file(QStringLiteral("lesn.lsn"));
    writeFile(source, data);
    {
        Joining j;
        const DiskSpanner::Joined joined = j.spanner.Reassemble(source, tmp.file(QStringLiteral("x.zip")), true);
        EXPECT_TRUE(joined.complete);
        EXPECT_EQ(joined.archive, source);
        EXPECT_TRUE(j.state.SingleFileMode);
        EXPECT_EQ(j.state.PackageSize, 12345);
        EXPECT_EQ(j.state.PackageFileCount, 0);
        EXPECT_FALSE(QFileInfo::exists(tmp.file(QStringLiteral("x.zip"))));
    }
    Joining j;
    ASSERT_TRUE(j.spanner.ReassembleFile(source, tmp.file(QStringLiteral("x.zip"))));
    EXPECT_EQ(readFile(tmp.file(QStringLiteral("x.zip"))), data);
}

TEST(ReassembleFile, ReadsTheOnlyDiskOfASetInPlace) {
    DiskSet set(30000, 14);
    set.span(40000, 1, 5);
    Joining j;
    const DiskSpanner::Joined joined = j.spanner.Reassemble(set.piece(1), set.tmp.file(QStringLiteral("j.zip")), true);
    EXPECT_TRUE(joined.complete);
    EXPECT_EQ(joined.archive, set.piece(1));
    EXPECT_FALSE(j.state.SingleFileMode);
}

TEST(ReassembleFile, ChecksDisksThatStayAtHandAndListsThemInsteadOfCopying) {
    DiskSet set(70000, 17);
    set.span(30000, 3, 7);
    DiskSet other(70000, 18);
    other.span(30000, 3, 8);
    const QString target = set.tmp.file(QStringLiteral("j.zip"));
    {
        Joining j;  // offered 2, 1, then another export's disk 3, then the right one
        j.drive.keepsDisks = true;
        j.drive.inserted = {set.piece(2), set.piece(2), set.piece(1), set.piece(1), set.piece(2), other.piece(3),
                            set.piece(3)};
        j.dialogs.expect(MsgKind::Warning, texts::diskRequest(1) + kCancelSuffix)
            .expect(MsgKind::Warning, texts::diskRequest(2) + kCancelSuffix)
            .expect(MsgKind::Warning, texts::diskRequest(3) + kCancelSuffix);
        const DiskSpanner::Joined joined = j.spanner.Reassemble(set.piece(2), target, true);
        EXPECT_TRUE(joined.complete);
        EXPECT_EQ(joined.pieces, (QStringList{set.piece(1), set.piece(2), set.piece(3)}));
        EXPECT_EQ(joined.archive, set.piece(1));
        EXPECT_FALSE(QFileInfo::exists(target));
        ASSERT_GE(j.status.gauge.size(), 2u);
        EXPECT_EQ(j.status.gauge[j.status.gauge.size() - 2].percent, 100);
        EXPECT_TRUE(j.status.shownText(QStringLiteral("Copying LESN.LSN File...  Reassembling files  100% done.")))
            << j.status.texts.back().toStdString();
    }
    {
        Joining j;  // the last disk never comes: incomplete, nothing joined
        j.drive.keepsDisks = true;
        j.drive.inserted = {set.piece(1), set.piece(1), set.piece(2)};
        j.dialogs.expect(MsgKind::Warning, texts::diskRequest(3) + kCancelSuffix, MsgAnswer::Cancel);
        const DiskSpanner::Joined joined = j.spanner.Reassemble(set.piece(1), target, true);
        EXPECT_TRUE(joined.copied);
        EXPECT_FALSE(joined.complete);
        EXPECT_FALSE(QFileInfo::exists(target));
    }
    {
        Joining j;  // a piece longer than its DiskID allows
        j.drive.keepsDisks = true;
        writeFile(set.piece(3), patternBytes(10001, 1));
        j.drive.inserted = {set.piece(1), set.piece(1), set.piece(2), set.piece(3)};
        EXPECT_THROW(j.spanner.Reassemble(set.piece(1), target, true), EPackageError);
    }
    {
        Joining j;  // asked to join, it joins even so
        j.drive.keepsDisks = true;
        j.drive.inserted = {other.piece(1), other.piece(1), other.piece(2), other.piece(3)};
        ASSERT_TRUE(j.spanner.ReassembleFile(other.piece(1), target));
        EXPECT_EQ(readFile(target), other.data);
    }
}

TEST(ReassembleFile, CancelledBeforeOrAfterSomePieces) {
    DiskSet set(70000, 15);
    set.span(40000, 2, 4);
    {
        Joining j;  // disk 2 alone: refused as disk 1, then cancelled
        j.drive.inserted = {set.piece(2)};
        j.dialogs.expect(MsgKind::Warning, texts::diskRequest(1) + kCancelSuffix, MsgAnswer::Cancel);
        const DiskSpanner::Joined joined = j.spanner.Reassemble(set.piece(2), set.tmp.file(QStringLiteral("a.zip")), true);
        EXPECT_FALSE(joined.copied);
        EXPECT_FALSE(QFileInfo::exists(set.tmp.file(QStringLiteral("a.zip"))));
    }
    {
        Joining j;  // disk 1 read, disk 2 never comes
        j.drive.inserted = {set.piece(1)};
        j.dialogs.expect(MsgKind::Warning, texts::diskRequest(2) + kCancelSuffix, MsgAnswer::Cancel);
        const DiskSpanner::Joined joined = j.spanner.Reassemble(set.piece(1), set.tmp.file(QStringLiteral("b.zip")), true);
        EXPECT_TRUE(joined.copied);
        EXPECT_FALSE(joined.complete);
        EXPECT_EQ(j.spanner.lastProblem(), texts::diskRequest(2));
    }
    {
        Joining j;  // no package file on the disk at all
        j.dialogs.expect(MsgKind::Warning, texts::incorrectDisk(1) + kCancelSuffix, MsgAnswer::Cancel);
        EXPECT_FALSE(j.spanner.ReassembleFile(set.tmp.file(QStringLiteral("nowhere/lesn.lsn")),
                                              set.tmp.file(QStringLiteral("c.zip"))));
    }
}

TEST(ReassembleFile, AskingForALaterDiskWithoutDiskIdNamesTheMissingFile) {
    DiskSet set(70000, 16);
    set.span(40000, 2, 6);
    QFile::remove(QDir(set.disk(2)).filePath(QStringLiteral("DiskID")));
    Joining j;
    j.drive.inserted = {set.piece(1), set.piece(1), set.piece(2)};
    j.dialogs.expect(MsgKind::Warning,
                QDir::toNativeSeparators(QDir(set.disk(2)).filePath(QStringLiteral("DiskID"))) + kCancelSuffix,
                MsgAnswer::Cancel);
    EXPECT_TRUE(j.spanner.ReassembleFile(set.piece(1), set.tmp.file(QStringLiteral("j.zip"))));
}

// DiskIDs that are short, long, negative, zero, huge or smaller than their
// piece are refused by the DiskID's own checks (above) and, end to end, by
// the import's hostile packages; here what only the joining sees.
TEST(ReassembleFile, NeverReadsAPipeForADiskIdOrAPiece) {
    DiskId d;
    d.PackageID = 42;
    d.DiskNumber = 1;
    d.PackageSize = 1000;
    for (const char* name : {"DiskID", "lesn.lsn"}) {
        TempDir tmp;
        writeFile(tmp.file(QStringLiteral("lesn.lsn")), patternBytes(1000, 1));
        writeFile(tmp.file(QStringLiteral("DiskID")), d.encode());
        QFile::remove(tmp.file(QString::fromLatin1(name)));
        ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.file(QString::fromLatin1(name))).constData(), 0600), 0);
        Joining j;
        j.dialogs.expect(MsgKind::Warning, texts::incorrectDisk(1) + kCancelSuffix, MsgAnswer::Cancel);
        EXPECT_FALSE(j.spanner.ReassembleFile(tmp.file(QStringLiteral("lesn.lsn")), tmp.file(QStringLiteral("j.zip"))))
            << name;
    }
}

TEST(ReassembleFile, FindsADiskIdSpelledInAnotherCase) {
    DiskSet set(5000, 17);
    set.span(40000, 1, 8);
    QFile::rename(QDir(set.disk(1)).filePath(QStringLiteral("DiskID")), QDir(set.disk(1)).filePath(QStringLiteral("DISKID")));
    Joining j;
    const DiskSpanner::Joined joined = j.spanner.Reassemble(set.piece(1), set.tmp.file(QStringLiteral("j.zip")), false);
    EXPECT_TRUE(joined.complete);
    EXPECT_FALSE(j.state.SingleFileMode);
    EXPECT_EQ(readFile(set.tmp.file(QStringLiteral("j.zip"))), set.data);
}

}  // namespace

namespace {

// Pieces copied between two file systems go through the buffer rather than
// the kernel's copy; the bytes are the same either way.
TEST_F(SpanFile, CopiesBetweenFileSystems) {
    QTemporaryDir shm(QStringLiteral("/dev/shm/vellora-test-XXXXXX"));
    TempDir tmp;
    if (!shm.isValid() || QStorageInfo(shm.path()).device() == QStorageInfo(tmp.path()).device())
        GTEST_SKIP() << "no second file system";
    const QByteArray data = patternBytes(70000, 21);
    const QString source = QDir(shm.path()).filePath(QStringLiteral("LESN.ZIP"));
    writeFile(source, data);
    drive.root = tmp.file(QStringLiteral("disks"));
    drive.capacity = 40000 + DiskId::kSize;
    dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, prompt(2));
    ASSERT_TRUE(spanner.SpanFile(source, tmp.file(QStringLiteral("lesn.lsn")), true));
    EXPECT_EQ(readFile(source), data) << "a file on another disk is copied, not moved";
    EXPECT_EQ(readFile(tmp.file(QStringLiteral("disks/disk1/lesn.lsn"))) + readFile(tmp.file(QStringLiteral("disks/disk2/lesn.lsn"))),
              data);

    Joining j;
    j.drive.inserted = {tmp.file(QStringLiteral("disks/disk1/lesn.lsn")), tmp.file(QStringLiteral("disks/disk1/lesn.lsn")),
                        tmp.file(QStringLiteral("disks/disk2/lesn.lsn"))};
    const QString joined = QDir(shm.path()).filePath(QStringLiteral("joined.zip"));
    ASSERT_TRUE(j.spanner.ReassembleFile(tmp.file(QStringLiteral("disks/disk1/lesn.lsn")), joined));
    EXPECT_EQ(readFile(joined), data);
}

}  // namespace
