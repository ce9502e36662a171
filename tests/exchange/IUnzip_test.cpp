#include "IUnzip.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>

#include "InfoZip.h"
#include "TempDir.h"
#include "ZipSupport.h"
#include "ZipTestSupport.h"
#include "ZipTexts.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

// root/archive.zip is read into root/dest; root/work is the current directory
// during the run, so a write relative to it would show too.
struct Scene {
    TempDir tmp;
    QString root = tmp.path();
    QString archive = tmp.file(QStringLiteral("archive.zip"));
    QString dest = tmp.file(QStringLiteral("dest"));
    QString work = tmp.file(QStringLiteral("work"));
    QStringList lines;
    TIUnzip u;  // reads archive into dest

    Scene() {
        QDir().mkpath(dest);
        QDir().mkpath(work);
        prepare(u);
    }

    void prepare(TIUnzip& u) {
        u.FileName = archive;
        u.Dest = dest;
        u.OnPrint = [this](QObject*, const QString& line) { lines << line; };
    }

    // Runs the unzip; answers the exception's message, or empty.
    QString run(TIUnzip& u) {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(work);
        QString message;
        try {
            u.Execute();
        } catch (const EInfoZipException& e) {
            message = e.message();
        }
        EXPECT_EQ(QDir::currentPath(), QDir(work).canonicalPath());
        QDir::setCurrent(previous);
        return message;
    }
    QString run() { return run(u); }
    QStringList tree() const { return treeOf(root); }
};

RawEntry stored(const char* name, const QByteArray& data) {
    return {name, data, ZIP_CM_STORE, {}};
}

}  // namespace

TEST(ZipEntryFileName, KeepsOnlyASafeLastPart) {
    const struct {
        const char* entry;
        const char* file;
    } cases[] = {
        {"VELLO002.DB", "VELLO002.DB"},
        {"L0000001/P0000002.BMP", "P0000002.BMP"},
        {"../evil", "evil"},
        {"/abs/evil", "evil"},
        {"C:\\evil", "evil"},
        {"sub/../../evil", "evil"},
        {"..\\..\\evil", "evil"},
        {"", ""},
        {".", ""},
        {"..", ""},
        {"sub/..", ""},
        {"sub\\..", ""},
        {"C:evil", ""},
        {"evil:stream", ""},
        {"line\nbreak", ""},
        {"...", "..."},
        {".hidden", ".hidden"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZipEntryFileName(QString::fromUtf8(c.entry)), QString::fromUtf8(c.file))
            << c.entry;
    EXPECT_EQ(ZipEntryFileName(QString(256, QLatin1Char('x'))), QString());
    EXPECT_EQ(ZipEntryFileName(QString(255, QLatin1Char('x'))), QString(255, QLatin1Char('x')));
}

TEST(TIUnzip, RoundTripKeepsEveryByteAndStoresAtLevelZero) {
    const qsizetype block = zipsupport::kBlockSize;
    const std::vector<std::pair<QString, qsizetype>> files = {
        {"empty.txt", 0},
        {"one.bin", 1},
        {"VELLO002.DB", 20000},
        {"exact.WAV", 3 * block},
        {"longer.AVI", 2 * block + 12345},
        {"edge.bmp", block - 1},
    };
    for (int level : {0, 6}) {
        TempDir tmp;
        const QString source = tmp.file(QStringLiteral("L0000007"));
        QDir().mkpath(source);
        for (std::size_t i = 0; i < files.size(); ++i)
            writeFile(source + '/' + files[i].first, patternBytes(files[i].second, int(i)));

        TInfoZip zip;
        zip.Level = level;
        zip.NoDirEntries = true;
        zip.NameOfZipFile = source + QStringLiteral("/LESN.ZIP");
        zip.FileList << source + QStringLiteral("/*.*");
        zip.Execute();

        const auto entries = entriesOf(zip.NameOfZipFile);
        ASSERT_EQ(entries.size(), files.size());
        for (const EntryInfo& e : entries) {
            if (level == 0) {
                EXPECT_EQ(e.method, ZIP_CM_STORE) << e.name.toStdString();
            }
        }

        const QString dest = tmp.file(QStringLiteral("tempLESN"));
        QDir().mkpath(dest);
        QStringList lines;
        TIUnzip unzip;
        unzip.FileName = zip.NameOfZipFile;
        unzip.Dest = dest;
        unzip.OnPrint = [&](QObject* sender, const QString& line) {
            EXPECT_EQ(sender, &unzip);
            lines << line;
        };
        unzip.Execute();

        EXPECT_EQ(lines.size(), qsizetype(files.size()));  // one line per file
        for (const QString& line : lines) {
            EXPECT_FALSE(line.endsWith('\n') || line.endsWith('\r'));
            EXPECT_TRUE(line.startsWith(level == 0 ? " extracting: " : "  inflating: ") ||
                        line.startsWith(" extracting: empty.txt"))
                << line.toStdString();
        }
        QStringList expected;
        for (std::size_t i = 0; i < files.size(); ++i) {
            expected << files[i].first;
            EXPECT_EQ(readFile(dest + '/' + files[i].first), patternBytes(files[i].second, int(i)))
                << files[i].first.toStdString();
        }
        expected.sort();
        EXPECT_EQ(treeOf(dest), expected);
        EXPECT_EQ(
            QFileInfo(dest + QStringLiteral("/VELLO002.DB")).lastModified().toSecsSinceEpoch() / 2,
            QFileInfo(source + QStringLiteral("/VELLO002.DB")).lastModified().toSecsSinceEpoch() /
                2);
    }
}

TEST(TIUnzip, EveryEntryLandsDirectlyInDest) {
    Scene s;
    buildZip(s.archive, {stored("sub/", {}), stored("sub/deeper/P0000002.BMP", "picture"),
                         stored("VELLO002.DB", "table"), stored("other\\W0000003.WAV", "sound")});
    EXPECT_EQ(s.run(), QString());
    EXPECT_EQ(treeOf(s.dest), (QStringList{"P0000002.BMP", "VELLO002.DB", "W0000003.WAV"}));
    EXPECT_EQ(readFile(s.dest + QStringLiteral("/P0000002.BMP")), QByteArray("picture"));
    EXPECT_EQ(s.lines.size(), 3);
}

TEST(TIUnzip, HostileNamesNeverLeaveDest) {
    for (const char* name :
         {"../evil", "/abs/evil", "C:\\evil", "sub/../../evil", "../../../../../../tmp/evil"}) {
        Scene s;
        buildZip(s.archive, {stored(name, "payload")});
        EXPECT_EQ(s.run(), QString()) << name;
        EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "dest/evil", "work/"})) << name;
        EXPECT_EQ(readFile(s.dest + QStringLiteral("/evil")), QByteArray("payload"));
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/abs/evil")));
}

TEST(TIUnzip, UnusableArchivesAreRefusedAndDestStaysEmpty) {
    const QByteArray good = patternBytes(5000, 9);
    const struct {
        const char* what;
        std::vector<RawEntry> entries;
        QString message;
    } cases[] = {
        {"dot-dot",
         {stored("ok.db", good), stored("sub/..", "x")},
         texts::unzipUnsafeName(QStringLiteral("sub/.."))},
        {"dot",
         {stored("ok.db", good), stored(".", "x")},
         texts::unzipUnsafeName(QStringLiteral("."))},
        {"colon", {stored("C:evil", "x")}, texts::unzipUnsafeName(QStringLiteral("C:evil"))},
        {"temporary name",
         {stored(".vellora-unzip-1-1.part", "x")},
         texts::unzipUnsafeName(QStringLiteral(".vellora-unzip-1-1.part"))},
        {"same name twice",
         {stored("a/x.wav", "1"), stored("b/x.wav", "2")},
         texts::unzipDuplicateName(QStringLiteral("x.wav"))},
        {"symlink",
         {stored("ok.db", good), {"link", "/etc/passwd", ZIP_CM_STORE, S_IFLNK | 0777}},
         texts::unzipLinkEntry(QStringLiteral("link"))},
        {"fifo",
         {{"pipe", "", ZIP_CM_STORE, S_IFIFO | 0644}},
         texts::unzipLinkEntry(QStringLiteral("pipe"))},
    };
    for (const auto& c : cases) {
        Scene s;
        buildZip(s.archive, c.entries);
        EXPECT_EQ(s.run(), c.message) << c.what;
        EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "work/"})) << c.what;
    }
}

TEST(TIUnzip, CutOrForeignFilesGiveAClearErrorAndNoFiles) {
    const QByteArray marker = "MARKER-" + patternBytes(40000, 5).toHex();
    Scene model;
    buildZip(model.archive,
             {stored("first.db", patternBytes(3000, 1)), stored("second.wav", marker),
              stored("third.bmp", patternBytes(100, 2))});
    const QByteArray bytes = readFile(model.archive);
    const qsizetype at = bytes.indexOf(marker) + 20000;
    ASSERT_GT(at, 20000);

    const struct {
        const char* what;
        QByteArray content;
        QString message;
    } cases[] = {
        {"not a zip", "This is a plain text file, not an archive.\n", texts::unzipNotAZip("%A")},
        {"empty file", "", texts::unzipNotAZip("%A")},
        {"cut at the end", bytes.left(bytes.size() - 1), texts::unzipNotAZip("%A")},
        {"cut in the directory", bytes.left(bytes.size() - 60), texts::unzipNotAZip("%A")},
        {"cut in the data", bytes.left(at), texts::unzipNotAZip("%A")},
        {"cut after a header", bytes.left(40), texts::unzipNotAZip("%A")},
    };
    for (const auto& c : cases) {
        Scene s;
        writeFile(s.archive, c.content);
        QString expected = c.message;
        expected.replace(QStringLiteral("%A"), s.archive);
        EXPECT_EQ(s.run(), expected) << c.what;
        EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "work/"})) << c.what;
    }
}

TEST(TIUnzip, ExistingFilesAreKeptUnlessOverwriteOrNewer) {
    const struct {
        bool overwrite, newer;
        const char* content;
        const char* line;
    } cases[] = {
        {false, false, "old", "  skipping: a.db (already exists)"},
        {true, false, "new", " extracting: a.db"},
        {false, true, "new", " extracting: a.db"},
    };
    for (const auto& c : cases) {
        Scene s;
        buildZip(s.archive, {stored("a.db", "new")});
        writeFile(s.dest + QStringLiteral("/a.db"), "old");
        QFile old(s.dest + QStringLiteral("/a.db"));
        ASSERT_TRUE(old.open(QIODevice::ReadWrite));
        old.setFileTime(QDateTime::currentDateTime().addYears(-5),
                        QFileDevice::FileModificationTime);
        old.close();
        s.u.OverWrite = c.overwrite;
        s.u.ExtractNewer = c.newer;
        EXPECT_EQ(s.run(), QString());
        EXPECT_EQ(readFile(s.dest + QStringLiteral("/a.db")), QByteArray(c.content));
        EXPECT_EQ(s.lines, QStringList{QString::fromUtf8(c.line)});
    }
}

TEST(TIUnzip, NeitherFollowsALinkInDestNorReplacesItsOwnArchive) {
    Scene s;
    const QString outside = s.tmp.file(QStringLiteral("outside.txt"));
    writeFile(outside, "precious");
    ASSERT_TRUE(QFile::link(outside, s.dest + QStringLiteral("/victim")));
    // The archive lies in Dest and holds an entry of its own name, as an
    // import's scratch directory would.
    const QString inside = s.dest + QStringLiteral("/LESN.ZIP");
    buildZip(inside, {stored("victim", "overwritten?"), stored("LESN.ZIP", "not an archive")});
    const QByteArray archiveBytes = readFile(inside);
    s.u.FileName = inside;
    s.u.OverWrite = true;
    EXPECT_EQ(s.run(), QString());
    EXPECT_EQ(readFile(outside), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(s.dest + QStringLiteral("/victim")).isSymLink());
    EXPECT_EQ(readFile(s.dest + QStringLiteral("/victim")), QByteArray("overwritten?"));
    EXPECT_EQ(readFile(inside), archiveBytes);
    EXPECT_TRUE(s.lines.contains(QStringLiteral("  skipping: LESN.ZIP (the archive itself)")));
}

TEST(TIUnzip, BadDestOrArchivePathsAreReported) {
    Scene s;
    buildZip(s.archive, {stored("a.db", "a")});
    s.u.Dest = s.tmp.file(QStringLiteral("missing"));
    EXPECT_EQ(s.run(), texts::unzipDestMissing(s.u.Dest));
    s.u.Dest = s.archive;  // a file, not a directory
    EXPECT_EQ(s.run(), texts::unzipDestMissing(s.u.Dest));
    s.u.Dest = s.dest;
    s.u.FileName = s.tmp.file(QStringLiteral("nothing.zip"));
    EXPECT_TRUE(s.run().startsWith(texts::unzipCannotOpen(s.u.FileName, QString())));
    EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "work/"}));

    // An empty FileName does nothing at all, whatever Dest is.
    s.u.FileName.clear();
    s.u.Dest = s.tmp.file(QStringLiteral("missing"));
    EXPECT_EQ(s.run(), QString());
    EXPECT_TRUE(s.lines.isEmpty());
}

// Listing, the comment and testing (damage found: DamageAtBlockEdges...) only report.
TEST(TIUnzip, ListingCommentAndTestOnlyReport) {
    Scene s;
    buildZip(s.archive, {stored("a.db", "abc"), stored("sub/", {})}, "made for\r\nthe test");
    s.u.Listing = true;
    s.u.ZipComment = true;
    EXPECT_EQ(s.run(), QString());
    ASSERT_EQ(s.lines.size(), 4);
    EXPECT_EQ(s.lines[0], QStringLiteral("made for\r"));  // only the LF goes
    EXPECT_EQ(s.lines[1], QStringLiteral("the test"));
    EXPECT_TRUE(s.lines[2].startsWith(QStringLiteral("         3  ")));
    EXPECT_TRUE(s.lines[2].endsWith(QStringLiteral("   a.db")));
    EXPECT_TRUE(s.lines[3].endsWith(QStringLiteral("   sub/")));
    EXPECT_EQ(treeOf(s.dest), QStringList{});

    s.u.Listing = s.u.ZipComment = false;
    s.u.TestZip = true;
    s.u.Dest = s.tmp.file(QStringLiteral("nowhere"));  // not needed for a test
    s.lines.clear();
    EXPECT_EQ(s.run(), QString());
    EXPECT_EQ(s.lines.value(0), QStringLiteral("    testing: a.db"));
    EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "work/"}));

    s.u.TestZip = false;
    s.u.CreateDirectorys = true;
    EXPECT_EQ(s.run(), QStringLiteral("CreateDirectorys not supported yet"));
}

TEST(TIUnzip, AnErrorInTheHandlerLeavesNoFiles) {
    Scene s;
    buildZip(s.archive, {stored("a.db", "a"), stored("b.db", "b"), stored("c.db", "c")});
    int calls = 0;
    s.u.OnPrint = [&](QObject*, const QString&) {
        if (++calls == 3) throw std::runtime_error("stop");
    };
    EXPECT_THROW(s.u.Execute(), std::runtime_error);
    EXPECT_EQ(treeOf(s.dest), QStringList{});
}

// We read the zip program's archives (ours are checked against it where they
// are written): deflated, stored with extra fields in the local headers only
// (read directly), and ZIP64 (left to libzip).
TEST(TIUnzip, ReadsTheZipProgramsArchives) {
    if (QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty()) GTEST_SKIP() << "zip not installed";
    TempDir tmp;
    const QString source = tmp.file(QStringLiteral("src"));
    QDir().mkpath(source + QStringLiteral("/sub"));
    writeFile(source + QStringLiteral("/a.db"), patternBytes(70000, 1));
    writeFile(source + QStringLiteral("/sub/b.wav"), patternBytes(1234, 2));
    writeFile(source + QStringLiteral("/empty"), {});

    for (const char* options : {"-qr", "-qr0", "-q0fz"}) {
        const QString theirs = tmp.file(QStringLiteral("theirs%1.zip").arg(options));
        // libzip's consistency check refuses folder entries in zip's ZIP64
        // archives (a package never holds one): files only there.
        const QStringList what = QByteArray(options).endsWith("fz")
                                     ? QStringList{"a.db", "sub/b.wav", "empty"}
                                     : QStringList{"."};
        QProcess make;
        make.setWorkingDirectory(source);
        make.start(QStringLiteral("zip"), QStringList{QLatin1String(options), theirs} + what);
        ASSERT_TRUE(make.waitForFinished());
        ASSERT_EQ(make.exitCode(), 0);
        const QString dest = tmp.file(QStringLiteral("dest%1").arg(options));
        unzipInto(theirs, dest);
        EXPECT_EQ(treeOf(dest), (QStringList{"a.db", "b.wav", "empty"}));
        EXPECT_EQ(readFile(dest + QStringLiteral("/a.db")), patternBytes(70000, 1));
        EXPECT_EQ(readFile(dest + QStringLiteral("/b.wav")), patternBytes(1234, 2));
    }
}

// A disk that fills up: both components report it and leave no partial file.
TEST(TIUnzip, AFullDiskLeavesNoPartialFiles) {
    Scene s;
    const QByteArray big = patternBytes(3 << 20, 7);
    buildZip(s.archive, {stored("small.db", "s"), stored("big.avi", big)});
    writeFile(s.work + QStringLiteral("/big.avi"), big);

    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    const QString unzipMessage = s.run();
    TInfoZip zip;
    zip.NameOfZipFile = s.tmp.file(QStringLiteral("new.zip"));
    zip.FileList << s.work + QStringLiteral("/*.avi");
    QString zipMessage;
    try {
        zip.Execute();
    } catch (const EInfoZipException& e) {
        zipMessage = e.message();
    }

    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(unzipMessage.startsWith(
        texts::unzipCannotWrite(s.dest + QStringLiteral("/big.avi"), QString())))
        << unzipMessage.toStdString();
    EXPECT_TRUE(zipMessage.startsWith(texts::zipCannotWrite(zip.NameOfZipFile, QString())))
        << zipMessage.toStdString();
    EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "work/", "work/big.avi"}));
}

// Stored entries are read in blocks straight from the archive: a changed
// byte anywhere, at a block's edge too, still fails the entry's CRC, and a
// file cut short while it is read is reported; nothing lands in Dest.
TEST(TIUnzip, DamageAtBlockEdgesAndAnArchiveCutShortAreFound) {
    const qsizetype block = zipsupport::kBlockSize;
    Scene model;
    const QByteArray big = patternBytes(2 * block, 3);
    buildZip(model.archive, {stored("empty.db", {}), stored("big.avi", big),
                             stored("last.wav", patternBytes(10, 4))});
    const QByteArray bytes = readFile(model.archive);
    const qsizetype data = bytes.indexOf(big.left(64));
    ASSERT_GT(data, 0);
    const QString damaged =
        texts::unzipEntryDamaged(QStringLiteral("big.avi"), QStringLiteral("CRC error"));
    for (qsizetype at : {qsizetype(0), block - 1, block, 2 * block - 1}) {
        for (bool test : {false, true}) {
            Scene s;
            QByteArray flipped = bytes;
            flipped[data + at] = char(flipped[data + at] ^ 0x80);
            writeFile(s.archive, flipped);
            s.u.TestZip = test;
            EXPECT_EQ(s.run(), damaged) << at;
            EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "work/"})) << at;
        }
    }

    Scene s;
    writeFile(s.archive, bytes);
    s.u.OnPrint = [&](QObject*, const QString& line) {
        if (line == QStringLiteral(" extracting: big.avi"))
            QFile::resize(s.archive, data + block + 7);
    };
    EXPECT_EQ(s.run(), texts::unzipEntryDamaged(QStringLiteral("big.avi"),
                                                 zipsupport::errorText(ZIP_ER_EOF)));
    EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "work/"}));
}

// Pieces ------------------------------------------------------------------

namespace {

// Cuts `bytes` at `cuts` into root/pieceN files, in order.
QStringList cutInto(const Scene& s, const QByteArray& bytes, const std::vector<qsizetype>& cuts) {
    QStringList pieces;
    qsizetype from = 0;
    std::vector<qsizetype> ends = cuts;
    ends.push_back(bytes.size());
    for (qsizetype end : ends) {
        const QString path = s.tmp.file(QStringLiteral("piece%1").arg(pieces.size() + 1));
        writeFile(path, bytes.mid(from, end - from));
        pieces << path;
        from = end;
    }
    return pieces;
}

}  // namespace

TEST(TIUnzip, ReadsAnArchiveCutIntoPiecesWhereverTheCutsFall) {
    Scene model;
    const QByteArray big = patternBytes(zipsupport::kBlockSize + 333, 5);
    const QByteArray small = patternBytes(70, 6);
    for (zip_int32_t method : {ZIP_CM_STORE, ZIP_CM_DEFLATE}) {
        buildZip(model.archive, {{"VELLO002.DB", small, method, {}},
                                 {"V0000001.WAV", big, method, {}},
                                 {"empty.db", {}, method, {}}});
        const QByteArray bytes = readFile(model.archive);
        const qsizetype second = bytes.indexOf("V0000001.WAV") - 30;  // its local header
        const qsizetype central = bytes.lastIndexOf("VELLO002.DB") - 46;
        ASSERT_GT(second, 0);
        ASSERT_GT(central, second);
        const std::vector<std::vector<qsizetype>> cutSets = {
            {1},                                     // one byte on the first disk
            {second + 10},                           // inside a local header
            {second + 30 + 12 + 5, second + 30 + 12 + 5},  // in the data, with an empty piece
            {central + 3},                           // inside the central directory
            {bytes.size() - 5},                      // inside the end record
            {100, 4000, 600000, bytes.size() - 1},   // many disks
        };
        for (const auto& cuts : cutSets) {
            Scene s;
            s.u.Pieces = cutInto(s, bytes, cuts);
            s.u.FileName = s.u.Pieces.first();
            const QString where = QStringLiteral("method %1, first cut %2").arg(method).arg(cuts.front());
            ASSERT_EQ(s.run(), QString()) << where.toStdString();
            EXPECT_EQ(readFile(QDir(s.dest).filePath(QStringLiteral("V0000001.WAV"))), big) << where.toStdString();
            EXPECT_EQ(readFile(QDir(s.dest).filePath(QStringLiteral("VELLO002.DB"))), small) << where.toStdString();
            EXPECT_TRUE(QFileInfo::exists(QDir(s.dest).filePath(QStringLiteral("empty.db"))));
            EXPECT_EQ(s.lines.size(), 3) << where.toStdString();
        }
    }
}

TEST(TIUnzip, DamageOrALostPieceLeavesDestEmpty) {
    Scene model;
    const QByteArray big = patternBytes(300000, 7);
    buildZip(model.archive, {stored("one.db", patternBytes(10, 8)), stored("big.avi", big)});
    const QByteArray bytes = readFile(model.archive);
    const std::vector<qsizetype> cuts = {150000};

    {  // a flipped byte on the second disk
        Scene s;
        QByteArray flipped = bytes;
        flipped[200000] = char(flipped[200000] ^ 0x01);
        s.u.Pieces = cutInto(s, flipped, cuts);
        EXPECT_EQ(s.run(), texts::unzipEntryDamaged(QStringLiteral("big.avi"), QStringLiteral("CRC error")));
        EXPECT_TRUE(treeOf(s.dest).isEmpty());
    }
    {  // the second disk missing: no end record to be found
        Scene s;
        s.u.Pieces = cutInto(s, bytes, cuts).mid(0, 1);
        EXPECT_EQ(s.run(), texts::unzipNotAZip(s.archive));
        EXPECT_TRUE(treeOf(s.dest).isEmpty());
    }
    {  // a piece that cannot be opened is named
        Scene s;
        s.u.Pieces = cutInto(s, bytes, cuts);
        QFile::remove(s.u.Pieces[1]);
        const QString message = s.run();
        EXPECT_TRUE(message.contains(s.u.Pieces[1])) << message.toStdString();
        EXPECT_TRUE(treeOf(s.dest).isEmpty());
    }
    {  // the pieces swapped
        Scene s;
        const QStringList pieces = cutInto(s, bytes, cuts);
        s.u.Pieces = {pieces[1], pieces[0]};
        EXPECT_FALSE(s.run().isEmpty());
        EXPECT_TRUE(treeOf(s.dest).isEmpty());
    }
}

TEST(TIUnzip, APieceLyingInDestIsNeverReplaced) {
    Scene s;
    buildZip(s.archive, {stored("piece2", patternBytes(10, 1)), stored("x.db", patternBytes(5000, 2))});
    const QByteArray bytes = readFile(s.archive);
    const QString first = s.tmp.file(QStringLiteral("piece1"));
    const QString second = QDir(s.dest).filePath(QStringLiteral("piece2"));
    writeFile(first, bytes.left(100));
    writeFile(second, bytes.mid(100));
    s.u.OverWrite = true;
    s.u.Pieces = {first, second};
    EXPECT_EQ(s.run(), QString());
    EXPECT_EQ(readFile(second), bytes.mid(100));
    EXPECT_TRUE(s.lines.contains(QStringLiteral("  skipping: piece2 (the archive itself)"))) << s.lines.join('|').toStdString();
    EXPECT_EQ(readFile(QDir(s.dest).filePath(QStringLiteral("x.db"))), patternBytes(5000, 2));
}

TEST(ZipEntryNames, ListsTheEntriesOfPiecesOrNothing) {
    Scene s;
    buildZip(s.archive, {stored("../up.db", "1"), stored("a.wav", patternBytes(3000, 3))});
    const QByteArray bytes = readFile(s.archive);
    const QStringList pieces = cutInto(s, bytes, {1000});
    EXPECT_EQ(ZipEntryNames(pieces), (QStringList{"../up.db", "a.wav"}));
    EXPECT_EQ(ZipEntryNames({s.archive}), (QStringList{"../up.db", "a.wav"}));
    EXPECT_TRUE(ZipEntryNames(pieces.mid(0, 1)).isEmpty());
    EXPECT_TRUE(ZipEntryNames({s.tmp.file(QStringLiteral("none"))}).isEmpty());
}
