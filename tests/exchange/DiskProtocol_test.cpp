#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QStorageInfo>
#include <QTemporaryDir>

#include "ExchangeTestSupport.h"
#include "FileUtils.h"
#include "InfoZip.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;

namespace {

// A spanner on test disks, for one export or import.
struct Joining {
    ScriptedDialogs dialogs;
    RecordingStatus status;
    TestDrive drive;
    ExchangeState state;
    DiskSpanner spanner{dialogs, status, drive, state};
    Joining() { status.dialogs = &dialogs; }

    // Export onto disk directories root/diskN with `room` bytes each after
    // the DiskID; the prompts for the first `disks` of them.
    void onDisks(const QString& root, qint64 room, int disks = 0) {
        drive.root = root;
        drive.capacity = room + DiskId::kSize;
        for (int n = 1; n <= disks; ++n) dialogs.expect(MsgKind::Information, prompt(n));
    }
    // The warning that asks for disk `n`.
    Joining& asksFor(int n, MsgAnswer answer = MsgAnswer::Ok) {
        dialogs.expect(MsgKind::Warning, texts::diskRequest(n) + kCancelSuffix, answer);
        return *this;
    }
};

// A package, and disk directories root/diskN to cut it onto.
struct DiskSet {
    TempDir tmp;
    QByteArray data;
    QString source = tmp.file(u"LESN.ZIP"_s);
    QString root = tmp.file(u"disks"_s);

    DiskSet(qsizetype size, int seed) : data(patternBytes(size, seed)) { writeFile(source, data); }
    QString disk(int n) const { return QDir(root).filePath(u"disk%1"_s.arg(n)); }
    QString piece(int n) const { return vellora::testing::piece(root, n); }

    // Spans onto disks of `room` bytes each (after the DiskID).
    void span(qint64 room, int disks, unsigned seed) {
        Joining j;
        j.onDisks(root, room, disks);
        j.state.random.seed(seed);
        ASSERT_TRUE(j.spanner.SpanFile(source, tmp.file(u"lesn.lsn"_s)));
    }
};

struct SpanFile : ::testing::Test, Joining {};

const QString kCopied = u"Spanning LESN.ZIP file, Copying files to disk  100% done"_s;

TEST(DiskId, EncodesFourLittleEndianIntegersAndRefusesWhatCannotBeOne) {
    const DiskId id{29999, 2, 70000, 12};
    EXPECT_EQ(id.encode().toHex(), QByteArray("2f75000002000000701101000c000000"));
    DiskId back;
    ASSERT_TRUE(DiskId::decode(id.encode(), &back));
    EXPECT_EQ(back, id);
    const struct {
        const char* what;
        QByteArray data;
        bool ok;
    } cases[] = {
        {"valid", DiskId{0, 1, 1, 0}.encode(), true},
        {"one byte short", DiskId{1, 1, 100, 0}.encode().left(15), false},
        {"one byte long", DiskId{1, 1, 100, 0}.encode() + 'x', false},
        {"empty", QByteArray(), false},
        {"identifier 30000", DiskId{30000, 1, 100, 0}.encode(), false},
        {"negative identifier", DiskId{-1, 1, 100, 0}.encode(), false},
        {"disk 0", DiskId{5, 0, 100, 0}.encode(), false},
        {"package size 0", DiskId{5, 1, 0, 0}.encode(), false},
        {"negative package size", DiskId{5, 1, -70000, 0}.encode(), false},
        {"negative file count", DiskId{5, 1, 100, -3}.encode(), false},
        {"largest package size", DiskId{5, 1, 0x7fffffff, 0}.encode(), true},
    };
    for (const auto& c : cases) EXPECT_EQ(DiskId::decode(c.data, &back), c.ok) << c.what;
}

TEST(DiskId, ReadsNoMoreThanItsSizeOfAHugeFile) {
    TempDir tmp;
    const QString path = tmp.file(u"DiskID"_s);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(1) << 32));  // sparse: no room taken
    }
    DiskId id;
    EXPECT_EQ(ReadDiskId(path, &id), DiskIdRead::Damaged);
    EXPECT_EQ(ReadDiskId(tmp.file(u"none"_s), &id), DiskIdRead::Missing);
    QDir().mkpath(tmp.file(u"dir/DiskID"_s));
    EXPECT_EQ(ReadDiskId(tmp.file(u"dir/DiskID"_s), &id), DiskIdRead::Unreadable);
}

TEST(PercentDone, IsIntegerPercentOfWhatIsWritten) {
    EXPECT_EQ(PercentDone(70000, 30000), 57);
    EXPECT_EQ(PercentDone(70000, 1), 99);
    EXPECT_EQ(PercentDone(70000, 0), 100);
    EXPECT_EQ(PercentDone(qint64(0x7fffffff), 0), 100);  // no overflow
    EXPECT_THROW(PercentDone(0, 0), EDivByZero);
}

TEST_F(SpanFile, SpreadsSeventyThousandBytesOverFortyThousandByteDisks) {
    DiskSet set(70000, 1);
    onDisks(set.root, 40000, 2);
    state.PackageFileCount = 12;
    ASSERT_TRUE(spanner.SpanFile(set.source, set.tmp.file(u"lesn.lsn"_s)));

    EXPECT_EQ(readFile(set.piece(1)), set.data.left(40000));
    EXPECT_EQ(readFile(set.piece(2)), set.data.mid(40000));
    EXPECT_EQ(diskIdIn(set.disk(1)), (DiskId{state.PackageID, 1, 70000, 12}));
    EXPECT_EQ(diskIdIn(set.disk(2)), (DiskId{state.PackageID, 2, 70000, 12}));
    EXPECT_EQ(readFile(set.source), set.data) << "the source is copied, not moved";

    // 100 % only once the last disk is being written, and the gauge hidden at the end.
    bool reached = false;
    for (const auto& g : status.gauge) {
        reached = reached || (g.visible && g.percent == 100);
        if (g.visible && g.messagesShown < 2) {
            EXPECT_LT(g.percent, 100);
        }
    }
    EXPECT_TRUE(reached);
    ASSERT_FALSE(status.gauge.empty());
    EXPECT_FALSE(status.gauge.back().visible);
    EXPECT_TRUE(status.shownText(u"Spanning LESN.ZIP file, Copying files to disk  57% done"_s));
    EXPECT_TRUE(status.shownText(kCopied));
}

TEST_F(SpanFile, MovesAFileThatFitsOnTheFirstDiskWhenAllowed) {
    DiskSet set(50000, 2);
    const QString target = set.tmp.file(u"out"_s);
    QDir().mkpath(target);
    writeFile(piece(target), "old piece");  // replaced
    dialogs.expect(MsgKind::Information, prompt(1));
    ASSERT_TRUE(spanner.SpanFile(set.source, target, true));
    EXPECT_EQ(readFile(piece(target)), set.data);
    EXPECT_FALSE(QFileInfo::exists(set.source));
    EXPECT_EQ(diskIdIn(target).PackageSize, 50000);
    EXPECT_EQ(diskIdIn(target).DiskNumber, 1);
    EXPECT_TRUE(status.shownText(kCopied));
}

// A disk with room for less than 2048 bytes is refused and left as it was;
// 2048 bytes are enough.
TEST_F(SpanFile, ADiskNeedsRoomForTwoThousandFortyEightBytes) {
    DiskSet set(4096, 4);
    onDisks(set.root, 2047);
    dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kInsufficientCapacity, MsgAnswer::Ok)
        .expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kInsufficientCapacity, MsgAnswer::Cancel);
    EXPECT_FALSE(spanner.SpanFile(set.source, set.tmp.file(u"lesn.lsn"_s)));
    EXPECT_TRUE(namesIn(set.disk(1)).isEmpty()) << namesIn(set.disk(1)).join(' ').toStdString();

    Joining enough;
    enough.onDisks(set.root, 2048, 2);
    ASSERT_TRUE(enough.spanner.SpanFile(set.source, set.tmp.file(u"lesn.lsn"_s)));
    EXPECT_EQ(readFile(set.piece(1)) + readFile(set.piece(2)), set.data);
}

TEST_F(SpanFile, ReportsAMissingSourceAndAPackageTooLargeForADiskId) {
    TempDir tmp;
    EXPECT_THROW(spanner.SpanFile(tmp.file(u"LESN.ZIP"_s), tmp.path()), EFileError);

    const QString big = tmp.file(u"big.zip"_s);
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(0x7fffffff) + 1));  // sparse
    }
    EXPECT_THROW(spanner.SpanFile(big, tmp.path()), EPackageError);
    EXPECT_FALSE(QFileInfo::exists(tmp.file(u"DiskID"_s)));
    ASSERT_FALSE(status.gauge.empty());
    EXPECT_FALSE(status.gauge.back().visible);
}

TEST_F(SpanFile, ReportsADiskIdThatCannotBeWritten) {
    DiskSet set(3000, 6);
    const QString target = set.tmp.file(u"gone/lesn.lsn"_s);  // no such directory
    dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Error, texts::kCannotCreateFile.arg(set.tmp.file(u"gone/DiskID"_s)));
    EXPECT_FALSE(spanner.SpanFile(set.source, target));
}

// Zipping straight onto disks ------------------------------------------------

// A lesson directory of a few files, zipped onto disk directories root/diskN.
struct ZipOntoDisks : Joining {
    TempDir tmp;
    QString lesson = tmp.file(u"lesson"_s);
    TInfoZip zip;

    explicit ZipOntoDisks(qint64 room) {
        QDir().mkpath(lesson);
        writeFile(QDir(lesson).filePath(u"VELLO002.DB"_s), patternBytes(4096, 1));
        writeFile(QDir(lesson).filePath(u"P0000001.BMP"_s), patternBytes(30000, 2));
        writeFile(QDir(lesson).filePath(u"V0000001.WAV"_s), patternBytes(35000, 3));
        onDisks(tmp.file(u"disks"_s), room);
        drive.keepsDisks = true;
        zip.NoDirEntries = true;
        zip.NameOfZipFile = QDir(lesson).filePath(u"LESN.ZIP"_s);
        zip.FileList << QDir(lesson).filePath(u"*.*"_s);
    }
    QString piece(int n) const { return vellora::testing::piece(drive.root, n); }
    bool span() { return spanner.SpanZip(zip, tmp.file(u"lesn.lsn"_s)); }
};

TEST(SpanZip, CutsTheArchiveOntoDisksWithoutEverWritingItWhole) {
    ZipOntoDisks z(30000);
    TInfoZip plain;  // the same files as one archive
    plain.NoDirEntries = true;
    plain.NameOfZipFile = z.tmp.file(u"whole.zip"_s);
    plain.FileList = z.zip.FileList;
    plain.Execute();
    const QByteArray expected = readFile(plain.NameOfZipFile);
    ASSERT_GT(expected.size(), 30000 * 2);
    const int disks = int((expected.size() + 29999) / 30000);
    for (int n = 1; n <= disks; ++n) z.dialogs.expect(MsgKind::Information, prompt(n));
    QStringList zipLines;
    z.zip.OnPrint = [&](QObject*, const QString& line) {
        zipLines << line;
        EXPECT_FALSE(QFileInfo::exists(z.zip.NameOfZipFile));
    };
    z.state.PackageFileCount = 3;
    ASSERT_TRUE(z.span());
    EXPECT_EQ(z.zip.Output, nullptr);
    EXPECT_EQ(zipLines.size(), 6);
    QByteArray joined;
    for (int n = 1; n <= disks; ++n) {
        EXPECT_EQ(diskIdIn(z.drive.diskDirectory(n)),
                  (DiskId{z.state.PackageID, n, qint32(expected.size()), 3}));
        const QByteArray piece = readFile(z.piece(n));
        EXPECT_EQ(piece.size(), n < disks ? 30000 : expected.size() - 30000 * (disks - 1)) << n;
        joined += piece;
    }
    EXPECT_TRUE(joined == expected);
    EXPECT_FALSE(QFileInfo::exists(z.drive.diskDirectory(disks + 1)));
    EXPECT_FALSE(QFileInfo::exists(z.zip.NameOfZipFile));
    EXPECT_TRUE(z.status.shownText(kCopied)) << z.status.texts.back().toStdString();
    ASSERT_FALSE(z.status.gauge.empty());
    EXPECT_FALSE(z.status.gauge.back().visible);
}

TEST(SpanZip, StopsWhereTheUserGivesUpAndKeepsTheDisksWritten) {
    ZipOntoDisks z(40000);
    z.dialogs.expect(MsgKind::Information, prompt(1)).expect(MsgKind::Information, prompt(2));
    // Disk 2 turns out to be one of an earlier export.
    QDir().mkpath(z.drive.diskDirectory(2));
    writeFile(QDir(z.drive.diskDirectory(2)).filePath(u"DiskID"_s), QByteArray(16, '\0'));
    z.dialogs.expect(MsgKind::Warning, texts::kLesnDisk + kCancelSuffix, MsgAnswer::Cancel);
    EXPECT_FALSE(z.span());
    EXPECT_EQ(z.spanner.lastProblem(), texts::kLesnDisk);
    EXPECT_EQ(QFileInfo(z.piece(1)).size(), 40000);
    EXPECT_EQ(namesIn(z.drive.diskDirectory(2)), QStringList{u"DiskID"_s});
    EXPECT_EQ(z.zip.Output, nullptr);
    EXPECT_FALSE(QFileInfo::exists(z.zip.NameOfZipFile));

    ZipOntoDisks small(2047);  // too small a disk, never used
    small.dialogs.expect(MsgKind::Information, prompt(1))
        .expect(MsgKind::Warning, texts::kInsufficientCapacity, MsgAnswer::Cancel);
    EXPECT_FALSE(small.span());
    EXPECT_TRUE(namesIn(small.drive.diskDirectory(1)).isEmpty());
}

TEST(SpanZip, AFileThatChangesWhileItIsZippedStopsTheExport) {
    for (qsizetype size : {30001, 29999}) {
        ZipOntoDisks z(1 << 20);  // one disk: every header can be rewritten
        z.dialogs.expect(MsgKind::Information, prompt(1));
        const QString file = QDir(z.lesson).filePath(u"P0000001.BMP"_s);
        z.zip.OnPrint = [&](QObject*, const QString& line) {
            if (line == u"  adding: P0000001.BMP"_s) writeFile(file, patternBytes(size, 9));
        };
        try {
            z.span();
            ADD_FAILURE() << size << ": no error";
        } catch (const EPackageError& e) {
            EXPECT_EQ(e.message(), texts::kPackageChanged) << size;
        }
        EXPECT_TRUE(namesIn(z.drive.diskDirectory(1)).isEmpty()) << size;  // nor its DiskID
        EXPECT_EQ(z.zip.Output, nullptr);
    }
}

// Joining ----------------------------------------------------------------

TEST(Reassemble, ASingleFileWithoutDiskIdNeedsNoDisksAndIsReadInPlace) {
    TempDir tmp;
    const QByteArray data = patternBytes(12345, 13);
    const QString source = piece(tmp.path());
    const QString target = tmp.file(u"x.zip"_s);
    writeFile(source, data);
    Joining j;
    const DiskSpanner::Joined joined = j.spanner.Reassemble(source, target, true);
    EXPECT_TRUE(joined.complete);
    EXPECT_EQ(joined.archive, source);
    EXPECT_TRUE(j.state.SingleFileMode);
    EXPECT_EQ(j.state.PackageSize, 12345);
    EXPECT_EQ(j.state.PackageFileCount, 0);
    EXPECT_FALSE(QFileInfo::exists(target));
}

// The only disk of a set is read in place; its DiskID is found whatever the
// case of its name.
TEST(Reassemble, ReadsTheOnlyDiskOfASetInPlaceAndFindsItsDiskIdInAnyCase) {
    DiskSet set(30000, 14);
    set.span(40000, 1, 5);
    QDir(set.disk(1)).rename(u"DiskID"_s, u"DISKID"_s);
    const QString target = set.tmp.file(u"j.zip"_s);
    Joining j;
    const DiskSpanner::Joined joined = j.spanner.Reassemble(set.piece(1), target, true);
    EXPECT_TRUE(joined.complete);
    EXPECT_FALSE(j.state.SingleFileMode);
    EXPECT_EQ(joined.archive, set.piece(1));
    EXPECT_EQ(readFile(joined.archive), set.data);
    EXPECT_FALSE(QFileInfo::exists(target));
}

// Disks offered in and out of order, one of another export among them, all
// at hand or each copied off in turn; a request given up leaves the set
// incomplete and nothing joined.
TEST(Reassemble, AsksForEachDiskUntilTheSetIsCompleteOrGivenUp) {
    DiskSet set(70000, 17);
    set.span(30000, 3, 7);
    DiskSet other(70000, 18);
    other.span(30000, 3, 8);
    ASSERT_NE(diskIdIn(set.disk(1)).PackageID, diskIdIn(other.disk(1)).PackageID);
    const QString target = set.tmp.file(u"joined.zip"_s);
    const struct {
        const char* what;
        bool atHand;
        std::vector<int> offered;  // disk n of the set; -n: of the other export
        std::vector<int> asked;    // the disks asked for, in order
        bool givenUp;              // the last request is cancelled
        bool copied;
    } cases[] = {
        {"in order, the other's disk 2 among them",
         false,
         {1, 1, 1, -2, 2, 2, 3},
         {2, 2, 3},
         false,
         true},
        {"2, 1, the other's 3, then 3, all at hand",
         true,
         {2, 2, 1, 1, 2, -3, 3},
         {1, 2, 3},
         false,
         true},
        {"the last disk never comes, all at hand", true, {1, 1, 2}, {3}, true, true},
        {"disk 2 alone: refused as disk 1", false, {2}, {1}, true, false},
        {"disk 1 read, disk 2 never comes", false, {1}, {2}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Joining j;
        j.drive.keepsDisks = c.atHand;
        for (int n : c.offered) j.drive.inserted.push_back(n > 0 ? set.piece(n) : other.piece(-n));
        for (size_t i = 0; i < c.asked.size(); ++i)
            j.asksFor(c.asked[i],
                      c.givenUp && i + 1 == c.asked.size() ? MsgAnswer::Cancel : MsgAnswer::Ok);
        const DiskSpanner::Joined joined =
            j.spanner.Reassemble(set.piece(c.offered[0]), target, true);
        EXPECT_EQ(joined.copied, c.copied);
        EXPECT_EQ(joined.complete, !c.givenUp);
        if (c.atHand || !c.copied) {
            EXPECT_FALSE(QFileInfo::exists(target));
        }
        if (c.givenUp) {
            EXPECT_EQ(j.spanner.lastProblem(), texts::diskRequest(c.asked.back()));
        } else {
            EXPECT_EQ(joined.archive, c.atHand ? set.piece(1) : target);
            if (c.atHand) {
                EXPECT_EQ(joined.pieces, (QStringList{set.piece(1), set.piece(2), set.piece(3)}));
            } else {
                EXPECT_EQ(readFile(target), set.data);
            }
            ASSERT_GE(j.status.gauge.size(), 2u);
            EXPECT_EQ(j.status.gauge[j.status.gauge.size() - 2].percent, 100);
            EXPECT_TRUE(
                j.status.shownText(u"Copying LESN.LSN File...  Reassembling files  100% done."_s));
        }
        QFile::remove(target);
    }

    Joining longer;  // a piece longer than its DiskID allows
    longer.drive.keepsDisks = true;
    writeFile(set.piece(3), patternBytes(10001, 1));
    longer.drive.inserted = {set.piece(1), set.piece(1), set.piece(2), set.piece(3)};
    EXPECT_THROW(longer.spanner.Reassemble(set.piece(1), target, true), EPackageError);
}

TEST(Reassemble, AskingForALaterDiskWithoutDiskIdNamesTheMissingFile) {
    DiskSet set(70000, 16);
    set.span(40000, 2, 6);
    const QString missing = QDir(set.disk(2)).filePath(u"DiskID"_s);
    QFile::remove(missing);
    Joining j;
    j.drive.inserted = {set.piece(1), set.piece(1), set.piece(2)};
    j.dialogs.expect(MsgKind::Warning, QDir::toNativeSeparators(missing) + kCancelSuffix,
                     MsgAnswer::Cancel);
    EXPECT_TRUE(j.spanner.Reassemble(set.piece(1), set.tmp.file(u"j.zip"_s), true).copied);
}

// DiskIDs that are short, long, negative, zero, huge or smaller than their
// piece are refused by the DiskID's own checks (above) and, end to end, by
// the import's hostile packages; here what only the joining sees.
TEST(Reassemble, NeverReadsAPipeForADiskIdOrAPieceNorFindsAMissingPiece) {
    for (const QString& name : {u"DiskID"_s, u"lesn.lsn"_s}) {
        TempDir tmp;
        writeFile(piece(tmp.path()), patternBytes(1000, 1));
        writeFile(tmp.file(u"DiskID"_s), DiskId{42, 1, 1000}.encode());
        QFile::remove(tmp.file(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.file(name)).constData(), 0600), 0);
        Joining j;
        j.dialogs.expect(MsgKind::Warning, texts::incorrectDisk(1) + kCancelSuffix,
                         MsgAnswer::Cancel);
        EXPECT_FALSE(j.spanner.Reassemble(piece(tmp.path()), tmp.file(u"j.zip"_s), true).copied)
            << name.toStdString();
    }
    Joining j;  // no package file on the disk at all
    j.dialogs.expect(MsgKind::Warning, texts::incorrectDisk(1) + kCancelSuffix, MsgAnswer::Cancel);
    TempDir tmp;
    EXPECT_FALSE(
        j.spanner.Reassemble(piece(tmp.file(u"nowhere"_s)), tmp.file(u"j.zip"_s), true).copied);
}

// Pieces copied between two file systems go through the buffer rather than
// the kernel's copy; the bytes are the same either way.
TEST_F(SpanFile, CopiesBetweenFileSystems) {
    QTemporaryDir shm(u"/dev/shm/vellora-test-XXXXXX"_s);
    TempDir tmp;
    if (!shm.isValid() || QStorageInfo(shm.path()).device() == QStorageInfo(tmp.path()).device())
        GTEST_SKIP() << "no second file system";
    const QByteArray data = patternBytes(70000, 21);
    const QString source = QDir(shm.path()).filePath(u"LESN.ZIP"_s);
    writeFile(source, data);
    const QString disks = tmp.file(u"disks"_s);
    onDisks(disks, 40000, 2);
    ASSERT_TRUE(spanner.SpanFile(source, tmp.file(u"lesn.lsn"_s), true));
    EXPECT_EQ(readFile(source), data) << "a file on another disk is copied, not moved";
    EXPECT_EQ(readFile(piece(disks, 1)) + readFile(piece(disks, 2)), data);

    Joining j;
    j.drive.inserted = {piece(disks, 1), piece(disks, 1), piece(disks, 2)};
    const QString joined = QDir(shm.path()).filePath(u"joined.zip"_s);
    ASSERT_TRUE(j.spanner.Reassemble(piece(disks, 1), joined, true).copied);
    EXPECT_EQ(readFile(joined), data);
}

}  // namespace
