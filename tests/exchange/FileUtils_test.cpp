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

namespace {

struct RecordingStatus : StatusLine {
    QStringList texts;
    void setStatusText(const QString& text) override { texts << text; }
};

// A disk that takes only `capacity` bytes.
class FullDiskFile : public QSaveFile {
  public:
    FullDiskFile(const QString& path, qint64 capacity) : QSaveFile(path), left_(capacity) {}

  protected:
    qint64 writeData(const char* data, qint64 len) override {
        if (len > left_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        left_ -= len;
        return QSaveFile::writeData(data, len);
    }

  private:
    qint64 left_;
};

// A source that fails after `good` bytes, like a bad sector.
class FailingSource : public QBuffer {
  public:
    FailingSource(const QByteArray& data, qint64 good) : data_(data), good_(good) {
        setData(data_);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

  protected:
    qint64 readData(char* out, qint64 max) override {
        if (pos() >= good_) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        return QBuffer::readData(out, std::min(max, good_ - pos()));
    }

  private:
    QByteArray data_;
    qint64 good_;
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

template <class F>
EFileError expectFileError(F&& f) {
    try {
        f();
    } catch (const EFileError& e) {
        return e;
    }
    ADD_FAILURE() << "no file error";
    return EFileError(EFileError::Kind::Open, QString(), QString());
}

}  // namespace

// The block copy is no part of an export or import today (the disk spanner
// copies by itself); it is kept honest here in two tests.
TEST(FileUtils, CopyFileBlocksCopiesEverySizeIntoAFileOrADirectory) {
    TempDir tmp;
    for (qint64 size : {0, 1, 8191, 8192, 8193, 3 * 8192 + 17}) {
        SCOPED_TRACE(size);
        const QByteArray content = patternBytes(size, 1);
        writeFile(tmp.file(QStringLiteral("src.bin")), content);
        CopyFyle(tmp.file(QStringLiteral("src.bin")), tmp.file(QStringLiteral("dst.bin")));
        EXPECT_EQ(readFile(tmp.file(QStringLiteral("dst.bin"))), content);
        EXPECT_EQ(FileSize(tmp.file(QStringLiteral("dst.bin"))), size);
    }
    // Onto itself, and into a directory under the source's name.
    CopyFyle(tmp.file(QStringLiteral("src.bin")), tmp.file(QStringLiteral("src.bin")));
    EXPECT_EQ(readFile(tmp.file(QStringLiteral("src.bin"))), patternBytes(3 * 8192 + 17, 1));
    QDir(tmp.path()).mkdir(QStringLiteral("lesson"));
    CopyFileBlocks(tmp.file(QStringLiteral("src.bin")), tmp.file(QStringLiteral("lesson")), true);
    EXPECT_EQ(readFile(tmp.file(QStringLiteral("lesson/src.bin"))), patternBytes(3 * 8192 + 17, 1));
    // No temporary left behind.
    EXPECT_EQ(namesIn(tmp.path()), (QStringList{"dst.bin", "lesson", "src.bin"}));
    EXPECT_EQ(FileSize(tmp.file(QStringLiteral("none"))), -1);
    EXPECT_EQ(FileSize(tmp.path()), -1);
}

TEST(FileUtils, AFailedCopyNamesItsCauseAndKeepsTheOldDestination) {
    TempDir tmp;
    const QByteArray content = patternBytes(5 * 8192 + 100, 1);
    const QString src = tmp.file(QStringLiteral("src.bin")), dst = tmp.file(QStringLiteral("dst.bin"));
    writeFile(src, content);
    writeFile(tmp.file(QStringLiteral("plain")), "a file, not a directory");
    const QString missing = tmp.file(QStringLiteral("missing.bin"));
    const QString underFile = tmp.file(QStringLiteral("plain/out.bin"));
    struct Case {
        QString source, destination;
        qint64 capacity, readable;  // -1: no limit
        EFileError::Kind kind;
        QString message;  // the start of it
    };
    const Case cases[] = {
        {missing, dst, -1, -1, EFileError::Kind::Open, QStringLiteral("Cannot open file ") + missing},
        {tmp.path(), dst, -1, -1, EFileError::Kind::Open, QStringLiteral("Cannot open file ") + tmp.path()},
        {src, underFile, -1, -1, EFileError::Kind::Create, QStringLiteral("Cannot create file ") + underFile},
        {src, dst, 0, -1, EFileError::Kind::Write, QStringLiteral("Cannot write file ") + dst},
        {src, dst, 2 * 8192, -1, EFileError::Kind::Write, QStringLiteral("Cannot write file ") + dst},
        {src, dst, 5 * 8192 + 99, -1, EFileError::Kind::Write, QStringLiteral("Cannot write file ") + dst},
        {src, dst, -1, 8192 + 5, EFileError::Kind::Read, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        writeFile(dst, "previous");
        FaultyFileSystem fs;
        fs.diskCapacity = c.capacity;
        fs.readableBytes = c.readable;
        const EFileError e = expectFileError([&] { CopyFileBlocks(c.source, c.destination, false, fs); });
        EXPECT_EQ(e.kind(), c.kind);
        EXPECT_TRUE(e.message().startsWith(c.message)) << e.message().toStdString();
        EXPECT_EQ(readFile(dst), QByteArray("previous"));
    }
    EXPECT_EQ(namesIn(tmp.path()), (QStringList{"dst.bin", "plain", "src.bin"}));
    // Exactly enough room is enough.
    FaultyFileSystem roomy;
    roomy.diskCapacity = content.size();
    CopyFyle(src, dst, roomy);
    EXPECT_EQ(readFile(dst), content);
}

TEST(FileUtils, DeleteFilesDeletesWhatMatchesAndShowsEachPath) {
    TempDir tmp;
    for (const char* n :
         {"VELLO002.DB", "bkwrd002.db", "BPGQU002.Db", "L0000001.WAV", "LESN.ZIP", "notes.dbx"})
        writeFile(tmp.file(QString::fromLatin1(n)), "x");
    RecordingStatus status;
    EXPECT_TRUE(DeleteFiles(tmp.file(QStringLiteral("*.db")), status));
    EXPECT_EQ(namesIn(tmp.path()),
              (QStringList{QStringLiteral("L0000001.WAV"), QStringLiteral("LESN.ZIP"),
                           QStringLiteral("notes.dbx")}));
    QStringList expected;
    for (const char* n : {"BPGQU002.Db", "VELLO002.DB", "bkwrd002.db"})
        expected << QStringLiteral("Deleting ") + tmp.file(QString::fromLatin1(n));
    status.texts.sort();
    EXPECT_EQ(status.texts, expected);

    // A single name, in the other case.
    EXPECT_TRUE(DeleteFiles(tmp.file(QStringLiteral("lesn.zip")), status));
    EXPECT_FALSE(QFileInfo::exists(tmp.file(QStringLiteral("LESN.ZIP"))));

    // Nothing matched, or no such directory: true, and nothing shown.
    RecordingStatus quiet;
    EXPECT_TRUE(DeleteFiles(tmp.file(QStringLiteral("*.val")), quiet));
    EXPECT_TRUE(DeleteFiles(tmp.file(QStringLiteral("nodir/*.*")), quiet));
    EXPECT_TRUE(quiet.texts.isEmpty());

    // "*.*" takes every name, also one without a dot.
    writeFile(tmp.file(QStringLiteral("DiskID")), "id");
    EXPECT_TRUE(DeleteFiles(tmp.file(QStringLiteral("*.*")), status));
    EXPECT_TRUE(namesIn(tmp.path()).isEmpty());
}

TEST(FileUtils, DeleteFilesAnswersFalseWhenAnyDeletionFails) {
    TempDir tmp;
    for (const char* n : {"a.px", "b.px", "c.px"}) writeFile(tmp.file(QString::fromLatin1(n)), "x");
    QDir(tmp.path()).mkdir(QStringLiteral("d.px"));
    FaultyFileSystem fs;
    fs.undeletable.insert(QStringLiteral("b.px"));
    RecordingStatus status;
    EXPECT_FALSE(DeleteFiles(tmp.file(QStringLiteral("*.px")), status, fs));
    // The others are gone all the same; the directory is not deleted as a file.
    EXPECT_EQ(namesIn(tmp.path()), (QStringList{QStringLiteral("b.px"), QStringLiteral("d.px")}));
}

TEST(FileUtils, DeleteDirectoryRemovesEverythingInItButNothingOutside) {
    TempDir tmp;
    const QString dir = tmp.file(QStringLiteral("workspac/tempLESN"));
    QDir().mkpath(dir + QStringLiteral("/sub/deeper"));
    writeFile(dir + QStringLiteral("/LESN.ZIP"), "zip");
    writeFile(dir + QStringLiteral("/.hidden"), "h");
    writeFile(dir + QStringLiteral("/DiskID"), "id");
    writeFile(dir + QStringLiteral("/sub/deeper/x.wav"), "x");
    QDir().mkpath(tmp.file(QStringLiteral("outside")));
    writeFile(tmp.file(QStringLiteral("outside/keep.wav")), "keep");
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("outside")), dir + QStringLiteral("/link")));

    ScriptedDialogs dialogs;  // no message expected
    RecordingStatus status;
    EXPECT_TRUE(DeleteDirectory(dir, status, dialogs));
    EXPECT_FALSE(QFileInfo::exists(dir));
    EXPECT_EQ(readFile(tmp.file(QStringLiteral("outside/keep.wav"))), QByteArray("keep"));
    EXPECT_TRUE(
        status.texts.contains(QStringLiteral("Deleting ") + dir + QStringLiteral("/LESN.ZIP")));

    // A directory that is not there: true, no message.
    EXPECT_TRUE(DeleteDirectory(dir, status, dialogs));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST(FileUtils, DeleteDirectoryThatCannotBeRemovedTellsTheUser) {
    TempDir tmp;
    const QString dir = tmp.file(QStringLiteral("tempLESN"));
    for (const char* locked : {"tempLESN", "LESN.ZIP"}) {
        SCOPED_TRACE(locked);
        QDir().mkpath(dir);
        writeFile(dir + QStringLiteral("/LESN.ZIP"), "zip");
        writeFile(dir + QStringLiteral("/lesn.lsn"), "piece");
        FaultyFileSystem fs;
        fs.undeletable.insert(QString::fromLatin1(locked));
        ScriptedDialogs dialogs;
        dialogs.expect(
            MsgKind::Information,
            QStringLiteral("Can not delete Directory: ") + dir +
                QStringLiteral(
                    " Directory is probably locked by another application. Re-start Vellora and "
                    "try again."));
        RecordingStatus status;
        EXPECT_FALSE(DeleteDirectory(dir, status, dialogs, fs));
        EXPECT_TRUE(QFileInfo(dir).isDir());
    }
}

TEST(FileUtils, RenameDirectoryIsOneRenameAndNeverReplacesWhatIsThere) {
    TempDir tmp;
    const QString from = tmp.file(QStringLiteral("tempLESN"));
    const QString to = tmp.file(QStringLiteral("00000007"));
    QDir().mkpath(from);
    writeFile(from + QStringLiteral("/P0000007.BMP"), "picture");
    EXPECT_TRUE(RenameDirectory(from, to));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(readFile(to + QStringLiteral("/P0000007.BMP")), QByteArray("picture"));

    // Missing source.
    EXPECT_FALSE(RenameDirectory(from, tmp.file(QStringLiteral("other"))));
    EXPECT_FALSE(QFileInfo::exists(tmp.file(QStringLiteral("other"))));

    // An existing target (even an empty directory) is not success: both stay.
    QDir().mkpath(from);
    writeFile(from + QStringLiteral("/W0000001.WAV"), "word");
    EXPECT_FALSE(RenameDirectory(from, to));
    EXPECT_EQ(readFile(from + QStringLiteral("/W0000001.WAV")), QByteArray("word"));
    EXPECT_EQ(readFile(to + QStringLiteral("/P0000007.BMP")), QByteArray("picture"));
    QDir().mkpath(tmp.file(QStringLiteral("emptyTarget")));
    EXPECT_FALSE(RenameDirectory(from, tmp.file(QStringLiteral("emptyTarget"))));
    EXPECT_TRUE(QFileInfo::exists(from + QStringLiteral("/W0000001.WAV")));
}
