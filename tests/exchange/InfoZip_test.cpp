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
    QString dir = tmp.file(QStringLiteral("L0000001"));
    Folder() {
        QDir().mkpath(dir + QStringLiteral("/Sub"));
        writeFile(dir + QStringLiteral("/A.WAV"), patternBytes(300, 1));
        writeFile(dir + QStringLiteral("/b.wav"), patternBytes(10, 2));
        writeFile(dir + QStringLiteral("/VELLO002.DB"), patternBytes(5000, 3));
        writeFile(dir + QStringLiteral("/README"), "plain");
        writeFile(dir + QStringLiteral("/.hidden"), "secret");
        writeFile(dir + QStringLiteral("/Sub/inner.bmp"), patternBytes(70, 4));
    }
    QString zipPath() const { return dir + QStringLiteral("/LESN.ZIP"); }
};

QString messageOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const EInfoZipException& e) {
        return e.message();
    }
    return QStringLiteral("<no exception>");
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

TEST(TInfoZip, RefusesBadOptionsBeforeWritingAnything) {
    Folder f;
    writeFile(f.zipPath(), "old archive");
    const struct {
        std::function<void(TInfoZip&)> set;
        QString message;
    } cases[] = {
        {[](TInfoZip& z) { z.Level = 10; }, texts::kLevelOutOfRange},
        {[](TInfoZip& z) { z.Level = -1; }, texts::kLevelOutOfRange},
        {[](TInfoZip& z) { z.Date = true; }, texts::kDateNotSupported},
        {[](TInfoZip& z) { z.Date = true, z.Level = 42; }, texts::kDateNotSupported},
        {[](TInfoZip& z) { z.Move = true; }, QStringLiteral("Move not supported yet")},
        {[](TInfoZip& z) { z.LF_CRLF = true; }, QStringLiteral("LF_CRLF not supported yet")},
        {[](TInfoZip& z) { z.FileList.clear(); }, texts::kNothingToZip},
        {[&](TInfoZip& z) { z.FileList = {f.dir + QStringLiteral("/*.none")}; },
         texts::kNothingToZip},
        {[&](TInfoZip& z) { z.FileList << f.dir + QStringLiteral("/missing.wav"); },
         texts::zipFileNotFound(f.dir + QStringLiteral("/missing.wav"))},
        {[](TInfoZip& z) { z.NameOfZipFile.clear(); }, texts::kNoZipFileName},
    };
    for (const auto& c : cases) {
        TInfoZip zip;
        zip.NameOfZipFile = f.zipPath();
        zip.FileList << f.dir + QStringLiteral("/*.*");
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

TEST(TInfoZip, TwoFilesOfOneNameAreRefused) {
    Folder f;
    QDir().mkpath(f.tmp.file(QStringLiteral("other")));
    writeFile(f.tmp.file(QStringLiteral("other/b.wav")), "x");
    TInfoZip zip;
    zip.NameOfZipFile = f.tmp.file(QStringLiteral("out.zip"));
    zip.FileList << f.dir + QStringLiteral("/b.wav") << f.tmp.file(QStringLiteral("other/*.wav"));
    EXPECT_EQ(messageOf([&] { zip.Execute(); }), texts::zipDuplicateName(QStringLiteral("b.wav")));
    EXPECT_FALSE(QFileInfo::exists(zip.NameOfZipFile));
}

TEST(TInfoZip, ReportsTwoLinesPerFile) {
    Folder f;
    Lines lines;
    TInfoZip zip;
    zip.NoDirEntries = true;
    zip.NameOfZipFile = f.zipPath();
    zip.FileList << f.dir + QStringLiteral("/*.wav");
    zip.OnPrint = lines.handler();
    zip.Execute();
    EXPECT_EQ(lines.text, (QStringList{"  adding: A.WAV", "  added: A.WAV (stored)",
                                       "  adding: b.wav", "  added: b.wav (stored)"}));
    EXPECT_EQ(lines.lastSender, &zip);
}

// Options the program itself never sets (it zips a lesson folder flat at
// level 0), one case each: what the option changes in the archive or the
// lines. Grow onto no archive, and deflating, go through libzip rather than
// our stored writer.
TEST(TInfoZip, OptionsTheProgramDoesNotSetStillDoWhatTheySay) {
    const QDateTime newest = QDateTime::fromSecsSinceEpoch(1600000000);
    const struct {
        const char* what;
        std::function<void(TInfoZip&, Folder&)> set;
        QStringList entries;
        std::function<void(TInfoZip&, const QStringList& lines)> check;
    } cases[] = {
        {"level 9 deflates", [](TInfoZip& z, Folder&) { z.Level = 9; }, {"A.WAV", "b.wav"},
         [](TInfoZip& z, const QStringList&) {
             for (const EntryInfo& e : entriesOf(z.NameOfZipFile)) EXPECT_EQ(e.method, ZIP_CM_DEFLATE);
         }},
        {"quiet", [](TInfoZip& z, Folder&) { z.Quiet = true; }, {"A.WAV", "b.wav"},
         [](TInfoZip&, const QStringList& lines) { EXPECT_TRUE(lines.isEmpty()); }},
        {"verbose", [](TInfoZip& z, Folder&) { z.Verbose = true; }, {"A.WAV", "b.wav"},
         [](TInfoZip&, const QStringList& lines) {
             EXPECT_EQ(lines.last(), QStringLiteral("  total: 2 entries, 310 bytes"));
         }},
        {"grow", [](TInfoZip& z, Folder& f) {
             TInfoZip first;
             first.NameOfZipFile = z.NameOfZipFile;
             first.FileList << f.dir + QStringLiteral("/README");
             first.Execute();
             z.Grow = true;
         }, {"A.WAV", "README", "b.wav"}, nullptr},
        {"recurse", [](TInfoZip& z, Folder& f) {
             z.Recurse = true;
             z.FileList = {f.dir + QStringLiteral("/s*")};
         }, {"Sub/", "Sub/inner.bmp"}, nullptr},
        {"recurse, junk folder names", [](TInfoZip& z, Folder& f) {
             z.Recurse = z.JunkDir = true;
             z.FileList = {f.dir + QStringLiteral("/s*")};
         }, {"inner.bmp"}, nullptr},
        {"latest time", [&](TInfoZip& z, Folder& f) {
             for (const char* name : {"A.WAV", "b.wav"}) {
                 QFile file(f.dir + QLatin1Char('/') + QLatin1String(name));
                 ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                 file.setFileTime(name[0] == 'A' ? newest : newest.addDays(-3), QFileDevice::FileModificationTime);
             }
             z.LatestTime = true;
         }, {"A.WAV", "b.wav"},
         [&](TInfoZip& z, const QStringList&) { EXPECT_EQ(QFileInfo(z.NameOfZipFile).lastModified(), newest); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        Lines lines;
        TInfoZip zip;
        zip.NameOfZipFile = f.tmp.file(QStringLiteral("out.zip"));
        zip.FileList << f.dir + QStringLiteral("/*.wav");
        c.set(zip, f);
        zip.OnPrint = lines.handler();
        zip.Execute();
        EXPECT_EQ(namesOf(zip.NameOfZipFile), c.entries);
        if (c.check) c.check(zip, lines.text);
        // Whichever writer made it, every entry reads back.
        const QString dest = f.tmp.file(QStringLiteral("dest"));
        unzipInto(zip.NameOfZipFile, dest);
        if (c.entries.contains(QStringLiteral("A.WAV"))) {
            EXPECT_EQ(readFile(dest + QStringLiteral("/A.WAV")), patternBytes(300, 1));
        }
    }
}

TEST(TInfoZip, AnErrorInTheHandlerStopsTheRunAndLeavesNoArchive) {
    Folder f;
    TInfoZip zip;
    zip.NameOfZipFile = f.zipPath();
    zip.FileList << f.dir + QStringLiteral("/*.*");
    int calls = 0;
    zip.OnPrint = [&](QObject*, const QString&) {
        if (++calls == 3) throw std::runtime_error("stop");
    };
    EXPECT_THROW(zip.Execute(), std::runtime_error);
    EXPECT_FALSE(QFileInfo::exists(f.zipPath()));
    EXPECT_EQ(treeOf(f.dir).filter(QStringLiteral("LESN.ZIP")), QStringList{});
}

TEST(TInfoZip, OnlyOneOperationRunsAtATime) {
    Folder f;
    TInfoZip zip;
    TIUnzip unzip;
    unzip.FileName = f.zipPath();
    unzip.Dest = f.tmp.path();
    zip.NameOfZipFile = f.zipPath();
    zip.FileList << f.dir + QStringLiteral("/A.WAV");
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
    const QString archive = f.tmp.file(QStringLiteral("out.zip"));
    auto mode = [&] {
        struct stat st {};
        ::stat(QFile::encodeName(archive).constData(), &st);
        return st.st_mode & 07777;
    };
    const mode_t oldMask = ::umask(027);
    TInfoZip zip;
    zip.NameOfZipFile = archive;
    zip.FileList << f.dir + QStringLiteral("/*.wav");
    zip.Execute();
    EXPECT_EQ(mode(), 0640u);
    ASSERT_EQ(::chmod(QFile::encodeName(archive).constData(), 0604), 0);
    zip.Execute();
    ::umask(oldMask);
    EXPECT_EQ(mode(), 0604u);
    EXPECT_EQ(treeOf(f.tmp.path()).filter(QStringLiteral("out.zip")), QStringList{"out.zip"});
}

// Files are read when their turn comes: one gone by then stops the run with
// the old archive kept; one grown is stored as it is read.
TEST(TInfoZip, FilesChangedAfterTheyWereListed) {
    Folder f;
    const QString archive = f.tmp.file(QStringLiteral("out.zip"));
    writeFile(archive, "old archive");
    TInfoZip zip;
    zip.NameOfZipFile = archive;
    zip.FileList << f.dir + QStringLiteral("/*.wav");
    zip.OnPrint = [&](QObject*, const QString& line) {
        if (line == QStringLiteral("  adding: b.wav"))
            QFile::remove(f.dir + QStringLiteral("/b.wav"));
    };
    EXPECT_EQ(messageOf([&] { zip.Execute(); }),
              texts::zipCannotWrite(archive, zipsupport::errorText(ZIP_ER_OPEN, ENOENT)));
    EXPECT_EQ(readFile(archive), QByteArray("old archive"));
    EXPECT_EQ(treeOf(f.tmp.path()).filter(QStringLiteral("out.zip")), QStringList{"out.zip"});

    const QByteArray grown = patternBytes(300, 1) + patternBytes(2 * zipsupport::kBlockSize + 3, 9);
    Lines lines;
    zip.OnPrint = [&](QObject* sender, const QString& line) {
        lines.handler()(sender, line);
        if (line == QStringLiteral("  adding: A.WAV"))
            writeFile(f.dir + QStringLiteral("/A.WAV"), grown);
    };
    zip.Verbose = true;
    zip.Execute();
    EXPECT_EQ(lines.text.last(), QStringLiteral("  total: 1 entries, %1 bytes").arg(grown.size()));
    const QString dest = f.tmp.file(QStringLiteral("dest"));
    unzipInto(archive, dest);
    EXPECT_EQ(readFile(dest + QStringLiteral("/A.WAV")), grown);
}
