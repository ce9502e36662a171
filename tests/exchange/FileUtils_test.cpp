#include "FileUtils.h"

#include <gtest/gtest.h>

#include <QBuffer>
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

// A disk that takes only `left` more bytes.
struct FullDiskFile : QSaveFile {
    FullDiskFile(const QString& path, qint64 capacity) : QSaveFile(path), left(capacity) {}
    qint64 left;
    qint64 writeData(const char* data, qint64 len) override {
        if (len > left) {
            setErrorString(u"No space left on device"_s);
            return -1;
        }
        left -= len;
        return QSaveFile::writeData(data, len);
    }
};

// A source that fails after `good` bytes, like a bad sector.
struct FailingSource : QBuffer {
    FailingSource(const QByteArray& data, qint64 good) : good(good) {
        setData(data);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 good;
    qint64 readData(char* out, qint64 max) override {
        if (pos() >= good) {
            setErrorString(u"Input/output error"_s);
            return -1;
        }
        return QBuffer::readData(out, std::min(max, good - pos()));
    }
};

struct FaultyFileSystem : FileSystem {
    qint64 diskCapacity = -1;   // >= 0: writes beyond it fail
    qint64 readableBytes = -1;  // >= 0: reads beyond it fail
    QSet<QString> undeletable;  // files and directories that cannot be removed
    std::unique_ptr<QIODevice> openForReading(const QString& path) const override {
        if (readableBytes < 0) return FileSystem::openForReading(path);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return nullptr;
        return std::make_unique<FailingSource>(f.readAll(), readableBytes);
    }
    std::unique_ptr<QSaveFile> create(const QString& path) const override {
        if (diskCapacity < 0) return FileSystem::create(path);
        auto f = std::make_unique<FullDiskFile>(path, diskCapacity);
        if (!f->open(QIODevice::WriteOnly)) return nullptr;
        return f;
    }
    bool removeFile(const QString& path) const override {
        return !undeletable.contains(QFileInfo(path).fileName()) && FileSystem::removeFile(path);
    }
    bool removeDirectory(const QString& path) const override {
        return !undeletable.contains(QFileInfo(path).fileName()) &&
               FileSystem::removeDirectory(path);
    }
};

}  // namespace

// The block copy is no part of an export or import today (the disk spanner
// copies by itself); it is kept honest here in two tests.
TEST(FileUtils, CopyFileBlocksCopiesEverySizeIntoAFileOrADirectory) {
    TempDir tmp;
    const QString src = tmp.file(u"src.bin"_s), dst = tmp.file(u"dst.bin"_s);
    for (qint64 size : {0, 1, 8191, 8192, 8193, 3 * 8192 + 17}) {
        SCOPED_TRACE(size);
        writeFile(src, patternBytes(size, 1));
        CopyFyle(src, dst);
        EXPECT_EQ(readFile(dst), patternBytes(size, 1));
        EXPECT_EQ(FileSize(dst), size);
    }
    // Onto itself, and into a directory under the source's name.
    CopyFyle(src, src);
    EXPECT_EQ(readFile(src), patternBytes(3 * 8192 + 17, 1));
    QDir(tmp.path()).mkdir(u"lesson"_s);
    CopyFileBlocks(src, tmp.file(u"lesson"_s), true);
    EXPECT_EQ(readFile(tmp.file(u"lesson/src.bin"_s)), patternBytes(3 * 8192 + 17, 1));
    // No temporary left behind.
    EXPECT_EQ(namesIn(tmp.path()), (QStringList{"dst.bin", "lesson", "src.bin"}));
    EXPECT_EQ(FileSize(tmp.file(u"none"_s)), -1);
    EXPECT_EQ(FileSize(tmp.path()), -1);
}

TEST(FileUtils, AFailedCopyNamesItsCauseAndKeepsTheOldDestination) {
    TempDir tmp;
    const QByteArray content = patternBytes(5 * 8192 + 100, 1);
    const QString src = tmp.file(u"src.bin"_s), dst = tmp.file(u"dst.bin"_s);
    writeFile(src, content);
    writeFile(tmp.file(u"plain"_s), "a file, not a directory");
    const QString missing = tmp.file(u"missing.bin"_s);
    const QString underFile = tmp.file(u"plain/out.bin"_s);
    using Kind = EFileError::Kind;
    const struct {
        QString source, destination;
        qint64 capacity, readable;  // -1: no limit
        Kind kind;
        QString message;  // the start of it
    } cases[] = {
        {missing, dst, -1, -1, Kind::Open, u"Cannot open file "_s + missing},
        {tmp.path(), dst, -1, -1, Kind::Open, u"Cannot open file "_s + tmp.path()},
        {src, underFile, -1, -1, Kind::Create, u"Cannot create file "_s + underFile},
        {src, dst, 0, -1, Kind::Write, u"Cannot write file "_s + dst},
        {src, dst, 2 * 8192, -1, Kind::Write, u"Cannot write file "_s + dst},
        {src, dst, 5 * 8192 + 99, -1, Kind::Write, u"Cannot write file "_s + dst},
        {src, dst, -1, 8192 + 5, Kind::Read, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        writeFile(dst, "previous");
        FaultyFileSystem fs;
        fs.diskCapacity = c.capacity;
        fs.readableBytes = c.readable;
        try {
            CopyFileBlocks(c.source, c.destination, false, fs);
            ADD_FAILURE() << "no file error";
        } catch (const EFileError& e) {
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_TRUE(e.message().startsWith(c.message)) << e.message().toStdString();
        }
        EXPECT_EQ(readFile(dst), QByteArray("previous"));
    }
    EXPECT_EQ(namesIn(tmp.path()), (QStringList{"dst.bin", "plain", "src.bin"}));
    // Exactly enough room is enough.
    FaultyFileSystem roomy;
    roomy.diskCapacity = content.size();
    CopyFyle(src, dst, roomy);
    EXPECT_EQ(readFile(dst), content);
}

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
