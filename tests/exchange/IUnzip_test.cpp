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
using namespace Qt::StringLiterals;

namespace {

const qsizetype kBlock = zipsupport::kBlockSize;
const QStringList kNothingWritten = {"archive.zip", "dest/", "work/"};

// root/archive.zip is read into root/dest; root/work is the current directory
// during the run, so a write relative to it would show too.
struct Scene {
    TempDir tmp;
    QString archive = tmp.file(u"archive.zip"_s);
    QString dest = tmp.file(u"dest"_s);
    QString work = tmp.file(u"work"_s);
    QStringList lines;
    TIUnzip u;  // reads archive into dest

    Scene() {
        QDir().mkpath(dest);
        QDir().mkpath(work);
        u.FileName = archive;
        u.Dest = dest;
        u.OnPrint = [this](QObject*, const QString& line) { lines << line; };
    }

    // Runs the unzip; answers the exception's message, or empty.
    QString run() {
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
    QStringList tree() const { return treeOf(tmp.path()); }
    QByteArray file(const char* name) const { return readFile(QDir(dest).filePath(name)); }
};

// Cuts `bytes` at `cuts` into root/pieceN files, in order.
QStringList cutInto(const Scene& s, const QByteArray& bytes, std::vector<qsizetype> cuts) {
    QStringList pieces;
    qsizetype from = 0;
    cuts.push_back(bytes.size());
    for (qsizetype end : cuts) {
        pieces << s.tmp.file(u"piece%1"_s.arg(pieces.size() + 1));
        writeFile(pieces.back(), bytes.mid(from, end - from));
        from = end;
    }
    return pieces;
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
    EXPECT_EQ(ZipEntryFileName(QString(256, 'x')), QString());
    EXPECT_EQ(ZipEntryFileName(QString(255, 'x')), QString(255, 'x'));
}

TEST(TIUnzip, RoundTripKeepsEveryByteAndTheTimes) {
    const std::map<QString, qsizetype> files = {
        {"empty.txt", 0},          {"one.bin", 1},           {"VELLO002.DB", 20000},
        {"exact.WAV", 3 * kBlock}, {"edge.bmp", kBlock - 1}, {"longer.AVI", 2 * kBlock + 12345},
    };
    for (int level : {0, 6}) {
        SCOPED_TRACE(level);
        Scene s;
        const QString source = s.tmp.file(u"L0000007"_s);
        QDir().mkpath(source);
        for (const auto& [name, size] : files)
            writeFile(source + '/' + name, patternBytes(size, int(qHash(name))));
        TInfoZip zip;
        zip.Level = level;
        zip.NoDirEntries = true;
        zip.NameOfZipFile = s.archive;
        zip.FileList << source + u"/*.*"_s;
        zip.Execute();
        for (const EntryInfo& e : entriesOf(s.archive))
            if (level == 0) {
                EXPECT_EQ(e.method, ZIP_CM_STORE) << e.name.toStdString();
            }

        s.u.OnPrint = [&](QObject* sender, const QString& line) {
            EXPECT_EQ(sender, &s.u);
            s.lines << line;
        };
        EXPECT_EQ(s.run(), QString());
        EXPECT_EQ(s.lines.size(), qsizetype(files.size()));  // one line per file, no line end
        for (const QString& line : s.lines) {
            EXPECT_TRUE(line.startsWith(level == 0 ? u" extracting: "_s : u"  inflating: "_s) &&
                        files.count(line.mid(13)))
                << line.toStdString();
        }
        for (const auto& [name, size] : files)
            EXPECT_EQ(readFile(s.dest + '/' + name), patternBytes(size, int(qHash(name))))
                << name.toStdString();
        EXPECT_EQ(treeOf(s.dest).size(), qsizetype(files.size()));
        auto modified = [](const QString& path) {
            return QFileInfo(path).lastModified().toSecsSinceEpoch() / 2;
        };
        EXPECT_EQ(modified(s.dest + u"/VELLO002.DB"_s), modified(source + u"/VELLO002.DB"_s));
    }
}

// Every entry lands directly in Dest under the last part of its name,
// whatever folders or climbs the name holds; folder entries make nothing.
TEST(TIUnzip, EveryEntryLandsDirectlyInDestAndNeverOutside) {
    for (const char* name :
         {"../evil", "/abs/evil", "C:\\evil", "sub/../../evil", "../../../../../../tmp/evil"}) {
        Scene s;
        buildZip(s.archive, {{"sub/", {}},
                             {"sub/deeper/P0000002.BMP", "picture"},
                             {name, "payload"},
                             {"other\\W0000003.WAV", "sound"}});
        EXPECT_EQ(s.run(), QString()) << name;
        EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "dest/P0000002.BMP",
                                         "dest/W0000003.WAV", "dest/evil", "work/"}))
            << name;
        EXPECT_EQ(s.file("evil"), QByteArray("payload"));
        EXPECT_EQ(s.file("P0000002.BMP"), QByteArray("picture"));
        EXPECT_EQ(s.lines.size(), 3);
    }
    EXPECT_FALSE(QFileInfo::exists(u"/abs/evil"_s));
}

TEST(TIUnzip, UnusableArchivesAreRefusedAndDestStaysEmpty) {
    const QByteArray good = patternBytes(5000, 9);
    const QByteArray marker = "MARKER-" + patternBytes(40000, 5).toHex();
    const QByteArray bytes = zipBytes({{"first.db", patternBytes(3000, 1)},
                                       {"second.wav", marker},
                                       {"third.bmp", patternBytes(100, 2)}});
    const qsizetype at = bytes.indexOf(marker) + 20000;
    ASSERT_GT(at, 20000);
    const struct {
        const char* what;
        QByteArray content;
        QString message;  // empty: not a zip archive
    } cases[] = {
        {"dot-dot", zipBytes({{"ok.db", good}, {"sub/..", "x"}}),
         texts::unzipUnsafeName(u"sub/.."_s)},
        {"dot", zipBytes({{"ok.db", good}, {".", "x"}}), texts::unzipUnsafeName(u"."_s)},
        {"colon", zipBytes({{"C:evil", "x"}}), texts::unzipUnsafeName(u"C:evil"_s)},
        {"temporary name", zipBytes({{".vellora-unzip-1-1.part", "x"}}),
         texts::unzipUnsafeName(u".vellora-unzip-1-1.part"_s)},
        {"same name twice", zipBytes({{"a/x.wav", "1"}, {"b/x.wav", "2"}}),
         texts::unzipDuplicateName(u"x.wav"_s)},
        {"symlink",
         zipBytes({{"ok.db", good}, {"link", "/etc/passwd", ZIP_CM_STORE, S_IFLNK | 0777}}),
         texts::unzipLinkEntry(u"link"_s)},
        {"fifo", zipBytes({{"pipe", "", ZIP_CM_STORE, S_IFIFO | 0644}}),
         texts::unzipLinkEntry(u"pipe"_s)},
        {"not a zip", "This is a plain text file, not an archive.\n", {}},
        {"empty file", "", {}},
        {"cut at the end", bytes.left(bytes.size() - 1), {}},
        {"cut in the directory", bytes.left(bytes.size() - 60), {}},
        {"cut in the data", bytes.left(at), {}},
        {"cut after a header", bytes.left(40), {}},
    };
    for (const auto& c : cases) {
        Scene s;
        writeFile(s.archive, c.content);
        EXPECT_EQ(s.run(), c.message.isEmpty() ? texts::unzipNotAZip(s.archive) : c.message)
            << c.what;
        EXPECT_EQ(s.tree(), kNothingWritten) << c.what;
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
        buildZip(s.archive, {{"a.db", "new"}});
        writeFile(s.dest + u"/a.db"_s, "old");
        setModified(s.dest + u"/a.db"_s, QDateTime::currentDateTime().addYears(-5));
        s.u.OverWrite = c.overwrite;
        s.u.ExtractNewer = c.newer;
        EXPECT_EQ(s.run(), QString());
        EXPECT_EQ(s.file("a.db"), QByteArray(c.content));
        EXPECT_EQ(s.lines, QStringList{QString::fromUtf8(c.line)});
    }
}

TEST(TIUnzip, NeitherFollowsALinkInDestNorReplacesItsOwnArchive) {
    Scene s;
    const QString outside = s.tmp.file(u"outside.txt"_s);
    writeFile(outside, "precious");
    ASSERT_TRUE(QFile::link(outside, s.dest + u"/victim"_s));
    // The archive lies in Dest and holds an entry of its own name, as an
    // import's scratch directory would.
    const QString inside = s.dest + u"/LESN.ZIP"_s;
    buildZip(inside, {{"victim", "overwritten?"}, {"LESN.ZIP", "not an archive"}});
    const QByteArray archiveBytes = readFile(inside);
    s.u.FileName = inside;
    s.u.OverWrite = true;
    EXPECT_EQ(s.run(), QString());
    EXPECT_EQ(readFile(outside), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(s.dest + u"/victim"_s).isSymLink());
    EXPECT_EQ(s.file("victim"), QByteArray("overwritten?"));
    EXPECT_EQ(readFile(inside), archiveBytes);
    EXPECT_TRUE(s.lines.contains(u"  skipping: LESN.ZIP (the archive itself)"_s));
}

TEST(TIUnzip, BadDestOrArchivePathsAreReported) {
    Scene s;
    buildZip(s.archive, {{"a.db", "a"}});
    s.u.Dest = s.tmp.file(u"missing"_s);
    EXPECT_EQ(s.run(), texts::unzipDestMissing(s.u.Dest));
    s.u.Dest = s.archive;  // a file, not a directory
    EXPECT_EQ(s.run(), texts::unzipDestMissing(s.u.Dest));
    s.u.Dest = s.dest;
    s.u.FileName = s.tmp.file(u"nothing.zip"_s);
    EXPECT_TRUE(s.run().startsWith(texts::unzipCannotOpen(s.u.FileName, QString())));
    EXPECT_EQ(s.tree(), kNothingWritten);

    // An empty FileName does nothing at all, whatever Dest is.
    s.u.FileName.clear();
    s.u.Dest = s.tmp.file(u"missing"_s);
    EXPECT_EQ(s.run(), QString());
    EXPECT_TRUE(s.lines.isEmpty());
}

// Listing, the comment and testing (damage found: DamageAtBlockEdges...) only report.
TEST(TIUnzip, ListingCommentAndTestOnlyReport) {
    Scene s;
    buildZip(s.archive, {{"a.db", "abc"}, {"sub/", {}}}, "made for\r\nthe test");
    s.u.Listing = true;
    s.u.ZipComment = true;
    EXPECT_EQ(s.run(), QString());
    ASSERT_EQ(s.lines.size(), 4);
    EXPECT_EQ(s.lines[0], u"made for\r"_s);  // only the LF goes
    EXPECT_EQ(s.lines[1], u"the test"_s);
    EXPECT_TRUE(s.lines[2].startsWith(u"         3  "_s));
    EXPECT_TRUE(s.lines[2].endsWith(u"   a.db"_s));
    EXPECT_TRUE(s.lines[3].endsWith(u"   sub/"_s));
    EXPECT_EQ(s.tree(), kNothingWritten);

    s.u.Listing = s.u.ZipComment = false;
    s.u.TestZip = true;
    s.u.Dest = s.tmp.file(u"nowhere"_s);  // not needed for a test
    s.lines.clear();
    EXPECT_EQ(s.run(), QString());
    EXPECT_EQ(s.lines.value(0), u"    testing: a.db"_s);
    EXPECT_EQ(s.tree(), kNothingWritten);

    s.u.TestZip = false;
    s.u.CreateDirectorys = true;
    EXPECT_EQ(s.run(), u"CreateDirectorys not supported yet"_s);
}

TEST(TIUnzip, AnErrorInTheHandlerLeavesNoFiles) {
    Scene s;
    buildZip(s.archive, {{"a.db", "a"}, {"b.db", "b"}, {"c.db", "c"}});
    int calls = 0;
    s.u.OnPrint = [&](QObject*, const QString&) {
        if (++calls == 3) throw std::runtime_error("stop");
    };
    EXPECT_THROW(s.u.Execute(), std::runtime_error);
    EXPECT_EQ(s.tree(), kNothingWritten);
}

// We read the zip program's archives (ours are checked against it where they
// are written): deflated, stored with extra fields in the local headers only
// (read directly), and ZIP64 (left to libzip).
TEST(TIUnzip, ReadsTheZipProgramsArchives) {
    if (QStandardPaths::findExecutable(u"zip"_s).isEmpty()) GTEST_SKIP() << "zip not installed";
    TempDir tmp;
    const QString source = tmp.file(u"src"_s);
    QDir().mkpath(source + u"/sub"_s);
    writeFile(source + u"/a.db"_s, patternBytes(70000, 1));
    writeFile(source + u"/sub/b.wav"_s, patternBytes(1234, 2));
    writeFile(source + u"/empty"_s, {});

    for (const char* options : {"-qr", "-qr0", "-q0fz"}) {
        const QString theirs = tmp.file(u"theirs%1.zip"_s.arg(options));
        // libzip's consistency check refuses folder entries in zip's ZIP64
        // archives (a package never holds one): files only there.
        const QStringList what = QByteArray(options).endsWith("fz")
                                     ? QStringList{"a.db", "sub/b.wav", "empty"}
                                     : QStringList{"."};
        QProcess make;
        make.setWorkingDirectory(source);
        make.start(u"zip"_s, QStringList{QLatin1String(options), theirs} + what);
        ASSERT_TRUE(make.waitForFinished());
        ASSERT_EQ(make.exitCode(), 0);
        const QString dest = tmp.file(u"dest%1"_s.arg(options));
        unzipInto(theirs, dest);
        EXPECT_EQ(treeOf(dest), (QStringList{"a.db", "b.wav", "empty"}));
        EXPECT_EQ(readFile(dest + u"/a.db"_s), patternBytes(70000, 1));
        EXPECT_EQ(readFile(dest + u"/b.wav"_s), patternBytes(1234, 2));
    }
}

// A disk that fills up: both components report it and leave no partial file.
TEST(TIUnzip, AFullDiskLeavesNoPartialFiles) {
    Scene s;
    const QByteArray big = patternBytes(3 << 20, 7);
    buildZip(s.archive, {{"small.db", "s"}, {"big.avi", big}});
    writeFile(s.work + u"/big.avi"_s, big);

    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    const QString unzipMessage = s.run();
    TInfoZip zip;
    zip.NameOfZipFile = s.tmp.file(u"new.zip"_s);
    zip.FileList << s.work + u"/*.avi"_s;
    QString zipMessage;
    try {
        zip.Execute();
    } catch (const EInfoZipException& e) {
        zipMessage = e.message();
    }

    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(unzipMessage.startsWith(texts::unzipCannotWrite(s.dest + u"/big.avi"_s, {})))
        << unzipMessage.toStdString();
    EXPECT_TRUE(zipMessage.startsWith(texts::zipCannotWrite(zip.NameOfZipFile, QString())))
        << zipMessage.toStdString();
    EXPECT_EQ(s.tree(), (QStringList{"archive.zip", "dest/", "work/", "work/big.avi"}));
}

// Stored entries are read in blocks straight from the archive: a changed
// byte anywhere, at a block's edge too, still fails the entry's CRC, and a
// file cut short while it is read is reported; nothing lands in Dest.
TEST(TIUnzip, DamageAtBlockEdgesAndAnArchiveCutShortAreFound) {
    const QByteArray big = patternBytes(2 * kBlock, 3);
    const QByteArray bytes =
        zipBytes({{"empty.db", {}}, {"big.avi", big}, {"last.wav", patternBytes(10, 4)}});
    const qsizetype data = bytes.indexOf(big.left(64));
    ASSERT_GT(data, 0);
    const QString damaged = texts::unzipEntryDamaged(u"big.avi"_s, u"CRC error"_s);
    for (qsizetype at : {qsizetype(0), kBlock - 1, kBlock, 2 * kBlock - 1}) {
        for (bool test : {false, true}) {
            Scene s;
            QByteArray flipped = bytes;
            flipped[data + at] = char(flipped[data + at] ^ 0x80);
            writeFile(s.archive, flipped);
            s.u.TestZip = test;
            EXPECT_EQ(s.run(), damaged) << at;
            EXPECT_EQ(s.tree(), kNothingWritten) << at;
        }
    }

    Scene s;
    writeFile(s.archive, bytes);
    s.u.OnPrint = [&](QObject*, const QString& line) {
        if (line == u" extracting: big.avi"_s) QFile::resize(s.archive, data + kBlock + 7);
    };
    EXPECT_EQ(s.run(), texts::unzipEntryDamaged(u"big.avi"_s, zipsupport::errorText(ZIP_ER_EOF)));
    EXPECT_EQ(s.tree(), kNothingWritten);
}

// Pieces ------------------------------------------------------------------

TEST(TIUnzip, ReadsAnArchiveCutIntoPiecesWhereverTheCutsFall) {
    const QByteArray big = patternBytes(kBlock + 333, 5);
    const QByteArray small = patternBytes(70, 6);
    for (zip_int32_t method : {ZIP_CM_STORE, ZIP_CM_DEFLATE}) {
        const QByteArray bytes = zipBytes({{"VELLO002.DB", small, method},
                                           {"V0000001.WAV", big, method},
                                           {"empty.db", {}, method}});
        const qsizetype second = bytes.indexOf("V0000001.WAV") - 30;  // its local header
        const qsizetype central = bytes.lastIndexOf("VELLO002.DB") - 46;
        ASSERT_GT(second, 0);
        ASSERT_GT(central, second);
        const std::vector<std::vector<qsizetype>> cutSets = {
            {1},                                           // one byte on the first disk
            {second + 10},                                 // inside a local header
            {second + 30 + 12 + 5, second + 30 + 12 + 5},  // in the data, with an empty piece
            {central + 3},                                 // inside the central directory
            {bytes.size() - 5},                            // inside the end record
            {100, 4000, 600000, bytes.size() - 1},         // many disks
        };
        for (const auto& cuts : cutSets) {
            SCOPED_TRACE(u"method %1, first cut %2"_s.arg(method).arg(cuts.front()).toStdString());
            Scene s;
            s.u.Pieces = cutInto(s, bytes, cuts);
            s.u.FileName = s.u.Pieces.first();
            ASSERT_EQ(s.run(), QString());
            EXPECT_EQ(s.file("V0000001.WAV"), big);
            EXPECT_EQ(s.file("VELLO002.DB"), small);
            EXPECT_EQ(s.file("empty.db"), QByteArray());
            EXPECT_EQ(s.lines.size(), 3);
        }
    }
}

TEST(TIUnzip, DamageOrALostPieceLeavesDestEmpty) {
    const QByteArray bytes =
        zipBytes({{"one.db", patternBytes(10, 8)}, {"big.avi", patternBytes(300000, 7)}});
    QByteArray flipped = bytes;
    flipped[200000] = char(flipped[200000] ^ 0x01);
    const char* cases[] = {"a flipped byte on the second disk", "the second disk missing",
                           "a piece that cannot be opened", "the pieces swapped"};
    for (int what = 0; what < 4; ++what) {
        SCOPED_TRACE(cases[what]);
        Scene s;
        s.u.Pieces = cutInto(s, what == 0 ? flipped : bytes, {150000});
        if (what == 1) s.u.Pieces.removeLast();
        if (what == 2) QFile::remove(s.u.Pieces[1]);
        if (what == 3) s.u.Pieces.swapItemsAt(0, 1);
        const QString message = s.run();
        EXPECT_FALSE(message.isEmpty());
        EXPECT_TRUE(treeOf(s.dest).isEmpty());
        if (what == 0) {
            EXPECT_EQ(message, texts::unzipEntryDamaged(u"big.avi"_s, u"CRC error"_s));
        } else if (what == 1) {
            EXPECT_EQ(message, texts::unzipNotAZip(s.archive));
        } else if (what == 2) {
            EXPECT_TRUE(message.contains(s.u.Pieces[1])) << message.toStdString();
        }
    }
}

TEST(TIUnzip, APieceLyingInDestIsNeverReplaced) {
    Scene s;
    const QByteArray bytes =
        zipBytes({{"piece2", patternBytes(10, 1)}, {"x.db", patternBytes(5000, 2)}});
    const QString first = s.tmp.file(u"piece1"_s);
    const QString second = QDir(s.dest).filePath(u"piece2"_s);
    writeFile(first, bytes.left(100));
    writeFile(second, bytes.mid(100));
    s.u.OverWrite = true;
    s.u.Pieces = {first, second};
    EXPECT_EQ(s.run(), QString());
    EXPECT_EQ(readFile(second), bytes.mid(100));
    EXPECT_TRUE(s.lines.contains(u"  skipping: piece2 (the archive itself)"_s))
        << s.lines.join('|').toStdString();
    EXPECT_EQ(s.file("x.db"), patternBytes(5000, 2));
}

TEST(ZipEntryNames, ListsTheEntriesOfPiecesOrNothing) {
    Scene s;
    buildZip(s.archive, {{"../up.db", "1"}, {"a.wav", patternBytes(3000, 3)}});
    const QStringList pieces = cutInto(s, readFile(s.archive), {1000});
    EXPECT_EQ(ZipEntryNames(pieces), (QStringList{"../up.db", "a.wav"}));
    EXPECT_EQ(ZipEntryNames({s.archive}), (QStringList{"../up.db", "a.wav"}));
    EXPECT_TRUE(ZipEntryNames(pieces.mid(0, 1)).isEmpty());
    EXPECT_TRUE(ZipEntryNames({s.tmp.file(u"none"_s)}).isEmpty());
}
