#include "InfoZip.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include "IUnzip.h"
#include "TempDir.h"
#include "Wildcard.h"
#include "ZipSupport.h"
#include "ZipTestSupport.h"
#include "ZipTexts.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;

namespace {

struct Lines {
    QStringList text;
    QObject* lastSender = nullptr;
    TInfoZipPrint handler() {
        return [this](QObject* sender, const QString& line) {
            lastSender = sender;
            text << line;
        };
    }
};

// A lesson-like directory: media, tables, a file without extension, a hidden
// file and a subdirectory with a file in it.
struct Folder {
    TempDir tmp;
    QString dir = tmp.file(u"L0000001"_s);
    Folder() {
        QDir().mkpath(dir + u"/Sub"_s);
        writeFile(dir + u"/A.WAV"_s, patternBytes(300, 1));
        writeFile(dir + u"/b.wav"_s, patternBytes(10, 2));
        writeFile(dir + u"/VELLO002.DB"_s, patternBytes(5000, 3));
        writeFile(dir + u"/README"_s, "plain");
        writeFile(dir + u"/.hidden"_s, "secret");
        writeFile(dir + u"/Sub/inner.bmp"_s, patternBytes(70, 4));
    }
    QString zipPath() const { return dir + u"/LESN.ZIP"_s; }
};

QString messageOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const EInfoZipException& e) {
        return e.message();
    }
    return u"<no exception>"_s;
}

}  // namespace

TEST(InfoZipPrintLine, RemovesExactlyOneLineEnd) {
    const struct {
        QByteArray raw;
        QString line;
    } cases[] = {
        {"  adding: A.WAV\n", "  adding: A.WAV"},
        {"ends in CR\r", "ends in CR"},
        {"ends in CR LF\r\n", "ends in CR LF\r"},
        {"two ends\n\n", "two ends\n"},
        {"no end", "no end"},
        {"\n", ""},
        {"", ""},
        {"caf\xc3\xa9\n", QString::fromUtf8("caf\xc3\xa9")},
    };
    for (const auto& c : cases) EXPECT_EQ(InfoZipPrintLine(c.raw), c.line) << c.raw.toStdString();
}

TEST(WildcardMatch, MatchesLikeTheFileDialogsWithoutRegardToCase) {
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.*", "VELLO002.DB", true},
        {"*.*", "README", true},
        {"*.db", "VELLO002.DB", true},
        {"*.DB", "bkwrd002.db", true},
        {"*.db", "VELLO002.DBX", false},
        {"*.db", "x.db-journal", false},
        {"L???????.WAV", "l0000123.wav", true},
        {"L???????.WAV", "L000123.WAV", false},
        {"*", "", true},
        {"?", "", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"x.*", "X", true},
        {"x.*", "xy", false},
        {"lesn.lsn", "LESN.LSN", true},
        {"lesn.lsn", "lesn.lsn2", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.match)
            << c.pattern << " ~ " << c.name;
}

TEST(TInfoZip, RefusesBadOptionsOrTwoFilesOfOneNameBeforeWritingAnything) {
    Folder f;
    writeFile(f.zipPath(), "old archive");
    QDir().mkpath(f.tmp.file(u"other"_s));
    writeFile(f.tmp.file(u"other/b.wav"_s), "x");
    const struct {
        std::function<void(TInfoZip&)> set;
        QString message;
    } cases[] = {
        {[](TInfoZip& z) { z.Level = 10; }, texts::kLevelOutOfRange},
        {[](TInfoZip& z) { z.Level = -1; }, texts::kLevelOutOfRange},
        {[](TInfoZip& z) { z.Date = true; }, texts::kDateNotSupported},
        {[](TInfoZip& z) { z.Date = true, z.Level = 42; }, texts::kDateNotSupported},
        {[](TInfoZip& z) { z.Move = true; }, u"Move not supported yet"_s},
        {[](TInfoZip& z) { z.LF_CRLF = true; }, u"LF_CRLF not supported yet"_s},
        {[](TInfoZip& z) { z.FileList.clear(); }, texts::kNothingToZip},
        {[&](TInfoZip& z) { z.FileList = {f.dir + u"/*.none"_s}; }, texts::kNothingToZip},
        {[&](TInfoZip& z) { z.FileList << f.dir + u"/missing.wav"_s; },
         texts::zipFileNotFound(f.dir + u"/missing.wav"_s)},
        {[](TInfoZip& z) { z.NameOfZipFile.clear(); }, texts::kNoZipFileName},
        {[&](TInfoZip& z) { z.FileList << f.tmp.file(u"other/*.wav"_s); },
         texts::zipDuplicateName(u"b.wav"_s)},
    };
    for (const auto& c : cases) {
        TInfoZip zip;
        zip.NameOfZipFile = f.zipPath();
        zip.FileList << f.dir + u"/*.*"_s;
        c.set(zip);
        EXPECT_EQ(messageOf([&] { zip.Execute(); }), c.message);
        EXPECT_EQ(readFile(f.zipPath()), QByteArray("old archive"));
    }
}

TEST(TInfoZip, WildcardListChoosesFilesWithoutRegardToCase) {
    const struct {
        QStringList patterns;
        bool noDirEntries, system;
        QStringList entries;
    } cases[] = {
        {{"/*.WaV"}, true, false, {"A.WAV", "b.wav"}},
        {{"/*.*"}, true, false, {"A.WAV", "README", "VELLO002.DB", "b.wav"}},
        {{"/*.*"}, false, false, {"A.WAV", "README", "Sub/", "VELLO002.DB", "b.wav"}},
        {{"/*.*"}, true, true, {".hidden", "A.WAV", "README", "VELLO002.DB", "b.wav"}},
        {{"/?.wav", "/vello*"}, true, false, {"A.WAV", "VELLO002.DB", "b.wav"}},
        {{"/README"}, true, false, {"README"}},
    };
    for (const auto& c : cases) {
        Folder f;
        // A stale archive from an earlier run lies in the zipped folder.
        writeFile(f.zipPath(), "stale");
        TInfoZip zip;
        zip.NoDirEntries = c.noDirEntries;
        zip.System = c.system;
        zip.NameOfZipFile = f.zipPath();
        for (const QString& p : c.patterns) zip.FileList << f.dir + p;
        zip.Execute();
        EXPECT_EQ(namesOf(f.zipPath()), c.entries) << c.patterns.join(' ').toStdString();
        EXPECT_EQ(zip.FileList.size(), c.patterns.size());  // the caller clears it
    }
}

// Two lines per file by default; options the program itself never sets (it
// zips a lesson folder flat at level 0), one case each: what the option
// changes in the archive or the lines. Grow onto no archive, and deflating, go through libzip
// rather than our stored writer.
TEST(TInfoZip, OptionsTheProgramDoesNotSetStillDoWhatTheySay) {
    const QDateTime newest = QDateTime::fromSecsSinceEpoch(1600000000);
    const struct {
        const char* what;
        std::function<void(TInfoZip&, Folder&)> set;
        std::function<void(TInfoZip&, const QStringList&)> check;
        QStringList entries = {"A.WAV", "b.wav"};
    } cases[] = {
        {"as the program zips", [](TInfoZip&, Folder&) {},
         [](TInfoZip&, const QStringList& lines) {
             EXPECT_EQ(lines, (QStringList{"  adding: A.WAV", "  added: A.WAV (stored)",
                                           "  adding: b.wav", "  added: b.wav (stored)"}));
         }},
        {"level 9 deflates", [](TInfoZip& z, Folder&) { z.Level = 9; },
         [](TInfoZip& z, const QStringList&) {
             for (const EntryInfo& e : entriesOf(z.NameOfZipFile))
                 EXPECT_EQ(e.method, ZIP_CM_DEFLATE);
         }},
        {"quiet", [](TInfoZip& z, Folder&) { z.Quiet = true; },
         [](TInfoZip&, const QStringList& lines) { EXPECT_TRUE(lines.isEmpty()); }},
        {"verbose", [](TInfoZip& z, Folder&) { z.Verbose = true; },
         [](TInfoZip&, const QStringList& lines) {
             EXPECT_EQ(lines.last(), u"  total: 2 entries, 310 bytes"_s);
         }},
        {"grow",
         [](TInfoZip& z, Folder& f) {
             TInfoZip first;
             first.NameOfZipFile = z.NameOfZipFile;
             first.FileList << f.dir + u"/README"_s;
             first.Execute();
             z.Grow = true;
         },
         nullptr,
         {"A.WAV", "README", "b.wav"}},
        {"recurse",
         [](TInfoZip& z, Folder& f) {
             z.Recurse = true;
             z.FileList = {f.dir + u"/s*"_s};
         },
         nullptr,
         {"Sub/", "Sub/inner.bmp"}},
        {"recurse, junk folder names",
         [](TInfoZip& z, Folder& f) {
             z.Recurse = z.JunkDir = true;
             z.FileList = {f.dir + u"/s*"_s};
         },
         nullptr,
         {"inner.bmp"}},
        {"latest time",
         [&](TInfoZip& z, Folder& f) {
             setModified(f.dir + u"/A.WAV"_s, newest);
             setModified(f.dir + u"/b.wav"_s, newest.addDays(-3));
             z.LatestTime = true;
         },
         [&](TInfoZip& z, const QStringList&) {
             EXPECT_EQ(QFileInfo(z.NameOfZipFile).lastModified(), newest);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        Lines lines;
        TInfoZip zip;
        zip.NameOfZipFile = f.tmp.file(u"out.zip"_s);
        zip.FileList << f.dir + u"/*.wav"_s;
        c.set(zip, f);
        zip.OnPrint = lines.handler();
        zip.Execute();
        EXPECT_EQ(namesOf(zip.NameOfZipFile), c.entries);
        EXPECT_EQ(lines.lastSender, lines.text.isEmpty() ? nullptr : &zip);
        if (c.check) c.check(zip, lines.text);
        // Whichever writer made it, every entry reads back.
        const QString dest = f.tmp.file(u"dest"_s);
        unzipInto(zip.NameOfZipFile, dest);
        if (c.entries.contains(u"A.WAV"_s)) {
            EXPECT_EQ(readFile(dest + u"/A.WAV"_s), patternBytes(300, 1));
        }
    }
}

TEST(TInfoZip, AnErrorInTheHandlerStopsTheRunAndLeavesNoArchive) {
    Folder f;
    TInfoZip zip;
    zip.NameOfZipFile = f.zipPath();
    zip.FileList << f.dir + u"/*.*"_s;
    int calls = 0;
    zip.OnPrint = [&](QObject*, const QString&) {
        if (++calls == 3) throw std::runtime_error("stop");
    };
    EXPECT_THROW(zip.Execute(), std::runtime_error);
    EXPECT_FALSE(QFileInfo::exists(f.zipPath()));
    EXPECT_EQ(treeOf(f.dir).filter(u"LESN.ZIP"_s), QStringList{});
}

TEST(TInfoZip, OnlyOneOperationRunsAtATime) {
    Folder f;
    TInfoZip zip;
    TIUnzip unzip;
    unzip.FileName = f.zipPath();
    unzip.Dest = f.tmp.path();
    zip.NameOfZipFile = f.zipPath();
    zip.FileList << f.dir + u"/A.WAV"_s;
    QString nested;
    zip.OnPrint = [&](QObject*, const QString&) {
        if (nested.isEmpty()) nested = messageOf([&] { unzip.Execute(); });
    };
    zip.Execute();
    EXPECT_EQ(nested, texts::kZipBusy);
    EXPECT_EQ(namesOf(f.zipPath()), QStringList{"A.WAV"});
}

TEST(TInfoZip, AReplacedArchiveKeepsItsModeAndNoTemporaryFileStays) {
    Folder f;
    const QString archive = f.tmp.file(u"out.zip"_s);
    auto mode = [&] {
        struct stat st {};
        ::stat(QFile::encodeName(archive).constData(), &st);
        return st.st_mode & 07777;
    };
    const mode_t oldMask = ::umask(027);
    TInfoZip zip;
    zip.NameOfZipFile = archive;
    zip.FileList << f.dir + u"/*.wav"_s;
    zip.Execute();
    EXPECT_EQ(mode(), 0640u);
    ASSERT_EQ(::chmod(QFile::encodeName(archive).constData(), 0604), 0);
    zip.Execute();
    ::umask(oldMask);
    EXPECT_EQ(mode(), 0604u);
    EXPECT_EQ(treeOf(f.tmp.path()).filter(u"out.zip"_s), QStringList{"out.zip"});
}

// Files are read when their turn comes: one gone by then stops the run with
// the old archive kept; one grown is stored as it is read.
TEST(TInfoZip, FilesChangedAfterTheyWereListed) {
    Folder f;
    const QString archive = f.tmp.file(u"out.zip"_s);
    writeFile(archive, "old archive");
    TInfoZip zip;
    zip.NameOfZipFile = archive;
    zip.FileList << f.dir + u"/*.wav"_s;
    zip.OnPrint = [&](QObject*, const QString& line) {
        if (line == u"  adding: b.wav"_s) QFile::remove(f.dir + u"/b.wav"_s);
    };
    EXPECT_EQ(messageOf([&] { zip.Execute(); }),
              texts::zipCannotWrite(archive, zipsupport::errorText(ZIP_ER_OPEN, ENOENT)));
    EXPECT_EQ(readFile(archive), QByteArray("old archive"));
    EXPECT_EQ(treeOf(f.tmp.path()).filter(u"out.zip"_s), QStringList{"out.zip"});

    const QByteArray grown = patternBytes(300, 1) + patternBytes(2 * zipsupport::kBlockSize + 3, 9);
    Lines lines;
    zip.OnPrint = [&](QObject* sender, const QString& line) {
        lines.handler()(sender, line);
        if (line == u"  adding: A.WAV"_s) writeFile(f.dir + u"/A.WAV"_s, grown);
    };
    zip.Verbose = true;
    zip.Execute();
    EXPECT_EQ(lines.text.last(), u"  total: 1 entries, %1 bytes"_s.arg(grown.size()));
    const QString dest = f.tmp.file(u"dest"_s);
    unzipInto(archive, dest);
    EXPECT_EQ(readFile(dest + u"/A.WAV"_s), grown);
}
