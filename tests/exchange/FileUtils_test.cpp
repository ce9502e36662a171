#include "FileUtils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "StatusLine.h"
#include "TempDir.h"
#include "TestFiles.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;

namespace {

struct RecordingStatus : StatusLine {
    QStringList texts;
    void setStatusText(const QString& text) override { texts << text; }
};

struct FaultyFileSystem : FileSystem {
    QSet<QString> undeletable;  // files and directories that cannot be removed
    bool removeFile(const QString& path) const override {
        return !undeletable.contains(QFileInfo(path).fileName()) && FileSystem::removeFile(path);
    }
    bool removeDirectory(const QString& path) const override {
        return !undeletable.contains(QFileInfo(path).fileName()) &&
               FileSystem::removeDirectory(path);
    }
};

}  // namespace

TEST(FileUtils, DeleteFilesDeletesWhatMatchesShowsEachPathAndReportsFailures) {
    TempDir tmp;
    for (const char* n :
         {"VELLO002.DB", "bkwrd002.db", "BPGQU002.Db", "L0000001.WAV", "LESN.ZIP", "notes.dbx"})
        writeFile(tmp.file(QLatin1String(n)), "x");
    RecordingStatus status;
    EXPECT_TRUE(DeleteFiles(tmp.file(u"*.db"_s), status));
    EXPECT_EQ(namesIn(tmp.path()), (QStringList{"L0000001.WAV", "LESN.ZIP", "notes.dbx"}));
    QStringList expected;
    for (const char* n : {"BPGQU002.Db", "VELLO002.DB", "bkwrd002.db"})
        expected << u"Deleting "_s + tmp.file(QLatin1String(n));
    status.texts.sort();
    EXPECT_EQ(status.texts, expected);

    // A single name, in the other case.
    EXPECT_TRUE(DeleteFiles(tmp.file(u"lesn.zip"_s), status));
    EXPECT_FALSE(QFileInfo::exists(tmp.file(u"LESN.ZIP"_s)));

    // Nothing matched, or no such directory: true, and nothing shown.
    RecordingStatus quiet;
    EXPECT_TRUE(DeleteFiles(tmp.file(u"*.val"_s), quiet));
    EXPECT_TRUE(DeleteFiles(tmp.file(u"nodir/*.*"_s), quiet));
    EXPECT_TRUE(quiet.texts.isEmpty());

    // "*.*" takes every name, also one without a dot.
    writeFile(tmp.file(u"DiskID"_s), "id");
    EXPECT_TRUE(DeleteFiles(tmp.file(u"*.*"_s), status));
    EXPECT_TRUE(namesIn(tmp.path()).isEmpty());

    // One that cannot be deleted makes the answer false; the others are gone
    // all the same, and a directory is not deleted as a file.
    for (const char* n : {"a.px", "b.px", "c.px"}) writeFile(tmp.file(QLatin1String(n)), "x");
    QDir(tmp.path()).mkdir(u"d.px"_s);
    FaultyFileSystem fs;
    fs.undeletable.insert(u"b.px"_s);
    EXPECT_FALSE(DeleteFiles(tmp.file(u"*.px"_s), status, fs));
    EXPECT_EQ(namesIn(tmp.path()), (QStringList{"b.px", "d.px"}));
}

TEST(FileUtils, DeleteDirectoryRemovesEverythingInItButNothingOutsideOrTellsTheUser) {
    TempDir tmp;
    const QString dir = tmp.file(u"workspac/tempLESN"_s);
    QDir().mkpath(dir + u"/sub/deeper"_s);
    writeFile(dir + u"/LESN.ZIP"_s, "zip");
    writeFile(dir + u"/.hidden"_s, "h");
    writeFile(dir + u"/DiskID"_s, "id");
    writeFile(dir + u"/sub/deeper/x.wav"_s, "x");
    QDir().mkpath(tmp.file(u"outside"_s));
    writeFile(tmp.file(u"outside/keep.wav"_s), "keep");
    ASSERT_TRUE(QFile::link(tmp.file(u"outside"_s), dir + u"/link"_s));

    ScriptedDialogs dialogs;  // no message expected
    RecordingStatus status;
    EXPECT_TRUE(DeleteDirectory(dir, status, dialogs));
    EXPECT_FALSE(QFileInfo::exists(dir));
    EXPECT_EQ(readFile(tmp.file(u"outside/keep.wav"_s)), QByteArray("keep"));
    EXPECT_TRUE(status.texts.contains(u"Deleting "_s + dir + u"/LESN.ZIP"_s));
    // A directory that is not there: true, no message.
    EXPECT_TRUE(DeleteDirectory(dir, status, dialogs));

    for (const QString& locked : {u"tempLESN"_s, u"LESN.ZIP"_s}) {
        SCOPED_TRACE(locked.toStdString());
        QDir().mkpath(dir);
        writeFile(dir + u"/LESN.ZIP"_s, "zip");
        writeFile(dir + u"/lesn.lsn"_s, "piece");
        FaultyFileSystem fs;
        fs.undeletable.insert(locked);
        dialogs.expect(MsgKind::Information,
                       u"Can not delete Directory: "_s + dir +
                           u" Directory is probably locked by another application. Re-start "
                           "Vellora and try again."_s);
        EXPECT_FALSE(DeleteDirectory(dir, status, dialogs, fs));
        EXPECT_TRUE(QFileInfo(dir).isDir());
    }
}

TEST(FileUtils, RenameDirectoryIsOneRenameAndNeverReplacesWhatIsThere) {
    TempDir tmp;
    const QString from = tmp.file(u"tempLESN"_s);
    const QString to = tmp.file(u"00000007"_s);
    QDir().mkpath(from);
    writeFile(from + u"/P0000007.BMP"_s, "picture");
    EXPECT_TRUE(RenameDirectory(from, to));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(readFile(to + u"/P0000007.BMP"_s), QByteArray("picture"));
    // The size of a file only: none for a directory or what is not there.
    EXPECT_EQ(FileSize(to + u"/P0000007.BMP"_s), 7);
    EXPECT_EQ(FileSize(to), -1);
    EXPECT_EQ(FileSize(from), -1);

    // Missing source.
    EXPECT_FALSE(RenameDirectory(from, tmp.file(u"other"_s)));
    EXPECT_FALSE(QFileInfo::exists(tmp.file(u"other"_s)));

    // An existing target (even an empty directory) is not success: both stay.
    QDir().mkpath(from);
    writeFile(from + u"/W0000001.WAV"_s, "word");
    EXPECT_FALSE(RenameDirectory(from, to));
    EXPECT_EQ(readFile(from + u"/W0000001.WAV"_s), QByteArray("word"));
    EXPECT_EQ(readFile(to + u"/P0000007.BMP"_s), QByteArray("picture"));
    QDir().mkpath(tmp.file(u"emptyTarget"_s));
    EXPECT_FALSE(RenameDirectory(from, tmp.file(u"emptyTarget"_s)));
    EXPECT_TRUE(QFileInfo::exists(from + u"/W0000001.WAV"_s));
}
