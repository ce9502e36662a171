// The zip components: the CRC and the stored archive format under them, the
// writer (TInfoZip) and the reader (TIUnzip).

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <zlib.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <cerrno>
#include <csignal>
#include <functional>
#include <map>
#include <optional>

#include "Crc32.h"
#include "IUnzip.h"
#include "InfoZip.h"
#include "TempDir.h"
#include "Wildcard.h"
#include "ZipDirectory.h"
#include "ZipOutput.h"
#include "ZipPieces.h"
#include "ZipSupport.h"
#include "ZipTestSupport.h"
#include "ZipTexts.h"
#include "ZipWriter.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;
using vellora::zipsupport::CentralDirectory;

// The format ----------------------------------------------------------------

namespace {

const qsizetype kBlock = zipsupport::kBlockSize;

std::optional<CentralDirectory> directoryOf(const QString& path) {
    const zipsupport::ArchivePieces archive(QStringList{path});
    EXPECT_TRUE(archive.isOpen()) << path.toStdString();
    return zipsupport::readPlainCentralDirectory(archive);
}

// The data of every stored entry as the direct reader finds it.
std::map<QByteArray, QByteArray> storedData(const QString& path) {
    std::map<QByteArray, QByteArray> found;
    const auto directory = directoryOf(path);
    if (!directory) {
        ADD_FAILURE() << "no plain central directory in " << path.toStdString();
        return found;
    }
    const QByteArray bytes = readFile(path);
    const zipsupport::ArchivePieces archive(QStringList{path});
    for (const auto& e : directory->entries) {
        const qint64 at = zipsupport::storedDataOffset(archive, e, *directory);
        EXPECT_GE(at, 0) << e.name.toStdString();
        if (at >= 0) found[e.name] = bytes.mid(at, qsizetype(e.size));
    }
    return found;
}

template <class T>
void put(QByteArray& b, qsizetype at, T value) {
    qToLittleEndian(value, b.data() + at);
}

}  // namespace

TEST(Crc32, AgreesWithZlibAtEveryLengthAndAlignment) {
    EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(0, nullptr, 0), 0u);
    const QByteArray data = patternBytes(3 * kBlock + 100, 17);
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    for (quint32 seed : {0u, 0xffffffffu, 0x12345678u})
        for (std::size_t offset : {0, 1, 7, 8, 15})
            for (std::size_t length = 0; length <= 300; ++length)
                ASSERT_EQ(Crc32(seed, p + offset, length), Crc32Plain(seed, p + offset, length))
                    << seed << " " << offset << " " << length;
    for (std::size_t length :
         {std::size_t(kBlock - 1), std::size_t(kBlock), std::size_t(3 * kBlock + 99)})
        EXPECT_EQ(Crc32(0, p + 1, length), quint32(crc32_z(0, p + 1, length))) << length;

    // In pieces of every kind, as a copy loop feeds it.
    for (std::size_t piece :
         {std::size_t(1), std::size_t(63), std::size_t(64), std::size_t(4096 + 5)}) {
        quint32 crc = 0;
        for (std::size_t at = 0; at < 200000; at += piece)
            crc = Crc32(crc, p + at, std::min<std::size_t>(piece, 200000 - at));
        EXPECT_EQ(crc, Crc32Plain(0, p, 200000)) << piece;
    }
}

TEST(StoredZipWriter, FitsOnlyWhatNeedsNoZip64) {
    const quint64 limit = 0xfffffffeu;
    const struct {
        quint64 entries, names, data;
        bool fits;
    } cases[] = {
        {0, 0, 0, true},
        {1, 10, 100, true},
        {65534, 65534 * 12, 0, true},
        {65535, 65535 * 12, 0, false},
        {1, 4, limit - 22 - 76 - 8, true},
        {1, 4, limit - 22 - 76 - 8 + 1, false},
        {2, 0, quint64(3) << 31, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zipsupport::StoredZipWriter::fits(c.entries, c.names, c.data), c.fits)
            << c.entries << " " << c.data;
}

namespace {

// An output in parts of `partSize` bytes, each closed for good once full, as
// the disks of a package are: a rewrite into a closed part is a failure.
struct PartsOutput : ZipOutput {
    explicit PartsOutput(quint64 partSize) : partSize(partSize) {}
    quint64 partSize;
    quint64 announced = 0;
    int begun = 0, committed = 0;
    QByteArray bytes;

    quint64 partStart() const {
        const quint64 n = quint64(bytes.size());
        // A part that has just filled up stays open until more bytes come.
        return n == 0 ? 0 : (n - 1) / partSize * partSize;
    }
    void begin(quint64 size) override {
        ++begun;
        announced = size;
    }
    void write(const char* data, qsizetype length) override { bytes.append(data, length); }
    quint64 room() const override {
        const quint64 n = quint64(bytes.size());
        return n % partSize == 0 && n > 0 ? 0 : partSize - n % partSize;
    }
    void rewrite(quint64 offset, const char* data, qsizetype length) override {
        if (offset < partStart() || offset + quint64(length) > quint64(bytes.size())) {
            ADD_FAILURE() << "rewrite at " << offset << " outside the open part from "
                          << partStart();
            return;
        }
        bytes.replace(qsizetype(offset), length, QByteArray(data, length));
    }
    void commit() override { ++committed; }
};

}  // namespace

TEST(StoredZipWriter, AnOutputInPartsGetsTheSameArchiveWhereverThePartsEnd) {
    TempDir tmp;
    const QString source = tmp.file(u"src"_s);
    QDir().mkpath(source);
    const std::vector<std::pair<QString, qsizetype>> files = {
        {"a.db", 40}, {"empty.db", 0}, {"big.avi", kBlock + 3}, {"x.wav", 100}, {"z.bmp", 3000}};
    for (std::size_t i = 0; i < files.size(); ++i)
        writeFile(source + '/' + files[i].first, patternBytes(files[i].second, int(i) + 40));
    TInfoZip whole;
    whole.NoDirEntries = true;
    whole.NameOfZipFile = tmp.file(u"whole.zip"_s);
    whole.FileList << source + u"/*.*"_s;
    whole.Execute();
    const QByteArray expected = readFile(whole.NameOfZipFile);

    for (quint64 part : {1, 7, 30, 31, 45, 70, 4096, 600000, 1 << 30}) {
        PartsOutput output(part);
        TInfoZip zip;
        zip.NoDirEntries = true;
        zip.NameOfZipFile = tmp.file(u"never.zip"_s);
        zip.FileList << source + u"/*.*"_s;
        zip.Output = &output;
        zip.Execute();
        EXPECT_EQ(output.begun, 1) << part;
        EXPECT_EQ(output.committed, 1) << part;
        EXPECT_EQ(output.announced, quint64(expected.size())) << part;
        EXPECT_TRUE(output.bytes == expected) << part;
        EXPECT_FALSE(QFileInfo::exists(zip.NameOfZipFile)) << part;
    }
}

TEST(StoredZipWriter, AFileChangedSizeWhereItsHeaderComesFirstIsRefused) {
    TempDir tmp;
    const QString source = tmp.file(u"src"_s);
    QDir().mkpath(source);
    writeFile(source + u"/a.wav"_s, patternBytes(5000, 1));
    for (qsizetype size : {5001, 4999}) {
        writeFile(source + u"/b.wav"_s, patternBytes(5000, 2));
        PartsOutput output(6000);  // b.wav's entry crosses into the second part
        TInfoZip zip;
        zip.NameOfZipFile = tmp.file(u"never.zip"_s);
        zip.FileList << source + u"/*.*"_s;
        zip.Output = &output;
        // Listed at 5000 bytes, another size by the time it is read.
        zip.OnPrint = [&](QObject*, const QString& line) {
            if (line == u"  adding: b.wav"_s)
                writeFile(source + u"/b.wav"_s, patternBytes(size, 2));
        };
        try {
            zip.Execute();
            ADD_FAILURE() << size << ": no error";
        } catch (const EInfoZipException& e) {
            EXPECT_TRUE(e.message().contains(u"b.wav changed while it was being zipped"_s))
                << size << ": " << e.message().toStdString();
        }
        EXPECT_EQ(output.committed, 0) << size;
    }
}

// The direct reader takes only plain archives, and only what is where the
// central directory says; everything else is left to libzip.
TEST(ZipDirectory, ReadsPlainArchivesAndRefusesAnythingElse) {
    TempDir tmp;
    const QString path = tmp.file(u"a.zip"_s);
    const QByteArray first = patternBytes(1000, 1), second = patternBytes(3000, 2);
    buildZip(path, {{"first.db", first}, {"second.wav", second}});
    const QByteArray good = readFile(path);
    const qsizetype end = good.lastIndexOf(QByteArray("PK\x05\x06", 4));
    const qsizetype central = qFromLittleEndian<quint32>(good.constData() + end + 16);
    const qsizetype secondLocal = good.indexOf(QByteArray("PK\x03\x04", 4), 1);
    ASSERT_GT(secondLocal, 0);

    enum Outcome { Plain, NotPlain, FirstDeclined, SecondDeclined };
    const struct {
        const char* what;
        std::function<void(QByteArray&)> change;
        Outcome outcome;
    } cases[] = {
        {"as made", [](QByteArray&) {}, Plain},
        {"bytes after the end record", [](QByteArray& b) { b.append("junk"); }, NotPlain},
        {"end record counts differ", [&](QByteArray& b) { put<quint16>(b, end + 8, 1); }, NotPlain},
        {"one entry too many",
         [&](QByteArray& b) { put<quint16>(b, end + 8, 3), put<quint16>(b, end + 10, 3); },
         NotPlain},
        {"ZIP64 count",
         [&](QByteArray& b) {
             put<quint16>(b, end + 8, 0xffff), put<quint16>(b, end + 10, 0xffff);
         },
         NotPlain},
        {"directory offset moved",
         [&](QByteArray& b) { put<quint32>(b, end + 16, quint32(central + 1)); }, NotPlain},
        {"directory larger than the file",
         [&](QByteArray& b) { put<quint32>(b, end + 12, 0x7fffffff); }, NotPlain},
        {"second disk", [&](QByteArray& b) { put<quint16>(b, end + 4, 1); }, NotPlain},
        {"central signature broken", [&](QByteArray& b) { b[central + 1] = 'X'; }, NotPlain},
        {"local header offset past the directory",
         [&](QByteArray& b) { put<quint32>(b, central + 42, quint32(central)); }, NotPlain},
        {"ZIP64 size in the directory",
         [&](QByteArray& b) { put<quint32>(b, central + 20, 0xffffffffu); }, NotPlain},
        {"local signature broken", [](QByteArray& b) { b[2] = 'X'; }, FirstDeclined},
        {"local name differs", [](QByteArray& b) { b[30] = 'F'; }, FirstDeclined},
        {"local method deflate", [](QByteArray& b) { put<quint16>(b, 8, 8); }, FirstDeclined},
        {"local encrypted flag", [](QByteArray& b) { put<quint16>(b, 6, 1); }, FirstDeclined},
        {"central method deflate", [&](QByteArray& b) { put<quint16>(b, central + 10, 8); },
         FirstDeclined},
        {"central sizes differ", [&](QByteArray& b) { put<quint32>(b, central + 20, 999); },
         FirstDeclined},
        {"local extra runs into the directory",
         [&](QByteArray& b) { put<quint16>(b, secondLocal + 28, 1); }, SecondDeclined},
        {"local extra past the directory",
         [&](QByteArray& b) { put<quint16>(b, secondLocal + 28, 0xffff); }, SecondDeclined},
    };
    for (const auto& c : cases) {
        QByteArray bytes = good;
        c.change(bytes);
        writeFile(path, bytes);
        const auto directory = directoryOf(path);
        if (c.outcome == NotPlain) {
            EXPECT_FALSE(directory.has_value()) << c.what;
            continue;
        }
        ASSERT_TRUE(directory.has_value()) << c.what;
        ASSERT_EQ(directory->entries.size(), 2u) << c.what;
        EXPECT_EQ(directory->offset, quint64(central)) << c.what;
        const zipsupport::ArchivePieces archive(QStringList{path});
        const qint64 a = zipsupport::storedDataOffset(archive, directory->entries[0], *directory);
        const qint64 b = zipsupport::storedDataOffset(archive, directory->entries[1], *directory);
        EXPECT_EQ(a < 0, c.outcome == FirstDeclined) << c.what;
        EXPECT_EQ(b < 0, c.outcome == SecondDeclined) << c.what;
        if (c.outcome == Plain) {
            EXPECT_EQ(bytes.mid(a, first.size()), first);
            EXPECT_EQ(bytes.mid(b, second.size()), second);
        }
    }
}

// The direct reader is used only where libzip read the same directory.
TEST(ZipDirectory, AgreesWithLibzipOnlyOnTheSameEntries) {
    TempDir tmp;
    const QString a = tmp.file(u"a.zip"_s);
    const RawEntry one{"one.db", "1111"}, two{"two.wav", patternBytes(500, 1)};
    buildZip(a, {one, two});
    const struct {
        const char* what;
        std::vector<RawEntry> entries;
        bool agrees;
    } cases[] = {
        {"the same", {one, two}, true},
        {"other data", {{"one.db", "1112"}, two}, false},
        {"other size", {{"one.db", "11111"}, two}, false},
        {"other name", {one, {"two.WAV", two.data}}, false},
        {"deflated", {one, {"two.wav", two.data, ZIP_CM_DEFLATE}}, false},
        {"one less", {one}, false},
    };
    const auto directory = directoryOf(a);
    ASSERT_TRUE(directory.has_value());
    for (const auto& c : cases) {
        const QString b = tmp.file(u"b.zip"_s);
        buildZip(b, c.entries);
        int error = 0;
        zip_t* za = zip_open(QFile::encodeName(b).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
        ASSERT_NE(za, nullptr);
        EXPECT_EQ(zipsupport::agreesWithLibzip(*directory, za), c.agrees) << c.what;
        zip_discard(za);
    }
}

TEST(ZipDirectory, FindsTheEndRecordBehindACommentAndInAnEmptyArchive) {
    TempDir tmp;
    const QString path = tmp.file(u"a.zip"_s);
    // A comment that itself looks like the start of an end record.
    buildZip(path, {{"a.db", "aaa"}}, QByteArray(30, 'c'));
    QByteArray bytes = readFile(path);
    bytes.replace(bytes.size() - 26, 4, QByteArray("PK\x05\x06", 4));
    writeFile(path, bytes);
    const auto stored = storedData(path);
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.at("a.db"), QByteArray("aaa"));

    QByteArray empty(22, '\0');
    put<quint32>(empty, 0, 0x06054b50);
    writeFile(path, empty);
    const auto directory = directoryOf(path);
    ASSERT_TRUE(directory.has_value());
    EXPECT_TRUE(directory->entries.empty());

    for (const QByteArray& tiny : {QByteArray(), QByteArray("PK\x05\x06", 4)}) {
        writeFile(path, tiny);
        EXPECT_FALSE(directoryOf(path).has_value());
    }
}

TEST(ArchivePieces, ReadsThePiecesAsOneRunOfBytes) {
    TempDir tmp;
    const QByteArray all = patternBytes(16, 9);
    QStringList paths;
    qsizetype from = 0;
    for (qsizetype size : {3, 0, 5, 0, 0, 7, 1}) {
        paths << tmp.file(u"p%1"_s.arg(paths.size()));
        writeFile(paths.back(), all.mid(from, size));
        from += size;
    }
    const zipsupport::ArchivePieces pieces(paths);
    ASSERT_TRUE(pieces.isOpen());
    ASSERT_EQ(pieces.size(), quint64(all.size()));
    for (qsizetype at = 0; at <= all.size(); ++at) {
        for (qsizetype length = 0; length <= all.size() + 2; ++length) {
            QByteArray got(length, '\0');
            const qint64 n = pieces.readAt(quint64(at), got.data(), quint64(length));
            const QByteArray want = all.mid(at, length);
            ASSERT_EQ(n, want.size()) << at << "+" << length;
            EXPECT_EQ(got.left(n), want) << at << "+" << length;
        }
    }
    struct stat sb {};
    ASSERT_EQ(::stat(QFile::encodeName(paths[5]).constData(), &sb), 0);
    EXPECT_TRUE(pieces.holds(sb.st_dev, sb.st_ino));
    ASSERT_EQ(::stat(QFile::encodeName(tmp.path()).constData(), &sb), 0);
    EXPECT_FALSE(pieces.holds(sb.st_dev, sb.st_ino));

    // Cut short after opening: the run ends where the bytes do.
    QFile::resize(paths[5], 2);
    QByteArray got(16, '\0');
    EXPECT_EQ(pieces.readAt(0, got.data(), 16), 10);
    EXPECT_EQ(got.left(10), all.left(10));
}

// The writer ----------------------------------------------------------------

namespace {

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

TEST(TInfoZip, RefusesNoFilesOrTwoFilesOfOneNameBeforeWritingAnything) {
    Folder f;
    writeFile(f.zipPath(), "old archive");
    QDir().mkpath(f.tmp.file(u"other"_s));
    writeFile(f.tmp.file(u"other/b.wav"_s), "x");
    const struct {
        std::function<void(TInfoZip&)> set;
        QString message;
    } cases[] = {
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

// As an export zips a lesson folder: every file directly in it, but neither
// a hidden file, the subfolder nor the stale archive lying there; two lines
// per file from the sending component.
TEST(TInfoZip, ZipsEveryFileOfAFolderFlat) {
    Folder f;
    writeFile(f.zipPath(), "stale");
    QStringList lines;
    QObject* sender = nullptr;
    TInfoZip zip;
    zip.NoDirEntries = true;
    zip.NameOfZipFile = f.zipPath();
    zip.FileList << f.dir + u"/*.*"_s;
    zip.OnPrint = [&](QObject* from, const QString& line) {
        sender = from;
        lines << line;
    };
    zip.Execute();
    EXPECT_EQ(namesOf(f.zipPath()), (QStringList{"A.WAV", "README", "VELLO002.DB", "b.wav"}));
    EXPECT_EQ(zip.FileList.size(), 1);  // the caller clears it
    EXPECT_EQ(lines.size(), 8);
    EXPECT_EQ(lines.mid(0, 2), (QStringList{"  adding: A.WAV", "  added: A.WAV (stored)"}));
    EXPECT_EQ(sender, &zip);
    const QString dest = f.tmp.file(u"dest"_s);
    unzipInto(f.zipPath(), dest);
    EXPECT_EQ(readFile(dest + u"/VELLO002.DB"_s), patternBytes(5000, 3));
}

// A new archive is made as any file of the user is, and nothing else stays.
TEST(TInfoZip, ANewArchiveFollowsTheUmaskAndNoTemporaryFileStays) {
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
    ::umask(oldMask);
    EXPECT_EQ(mode(), 0640u);
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
    zip.OnPrint = [&](QObject*, const QString& line) {
        if (line == u"  adding: A.WAV"_s) writeFile(f.dir + u"/A.WAV"_s, grown);
    };
    zip.Execute();
    const QString dest = f.tmp.file(u"dest"_s);
    unzipInto(archive, dest);
    EXPECT_EQ(readFile(dest + u"/A.WAV"_s), grown);
}

// The reader ----------------------------------------------------------------

namespace {

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

// Our archives, zipped as an export zips, are standard ones: libzip
// (checking every local header against the central directory, and every CRC)
// and Info-ZIP's unzip read them, with the right names, sizes and dates; the
// direct reader finds each stored entry's data where it is; TIUnzip gives
// every byte and date back.
TEST(ZipRoundTrip, OtherToolsAgreeAndEveryByteAndDateComesBack) {
    const std::map<QString, qsizetype> files = {
        {"empty.db", 0},
        {"one.wav", 1},
        {"VELLO002.DB", 20000},
        {"edge.bmp", kBlock - 1},
        {"block.avi", kBlock},
        {"blockplus.avi", kBlock + 1},
        {"exact.WAV", 3 * kBlock},
        {"longer.AVI", 2 * kBlock + 12345},
        {QString::fromUtf8("caf\xc3\xa9 \xe2\x99\xaa.wav"), 777},
    };
    const qint64 when = QDateTime(QDate(2021, 6, 15), QTime(13, 45, 31)).toSecsSinceEpoch();
    Scene s;
    const QString source = s.tmp.file(u"src"_s);
    QDir().mkpath(source);
    for (const auto& [name, size] : files) {
        writeFile(source + '/' + name, patternBytes(size, int(qHash(name))));
        setModified(source + '/' + name, QDateTime::fromSecsSinceEpoch(when));
    }
    TInfoZip zip;
    zip.NoDirEntries = true;
    zip.NameOfZipFile = s.archive;
    zip.FileList << source + u"/*.*"_s;
    zip.Execute();

    std::map<QString, EntryInfo> read;
    for (const EntryInfo& e : entriesOf(s.archive)) read[e.name] = e;
    ASSERT_EQ(read.size(), files.size());
    const auto stored = storedData(s.archive);
    for (const auto& [name, size] : files) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(read[name].data, patternBytes(size, int(qHash(name))));
        EXPECT_EQ(qint64(read[name].mtime), when - 1);  // two-second steps
        EXPECT_EQ(read[name].method, ZIP_CM_STORE);
        EXPECT_EQ(stored.at(name.toUtf8()), read[name].data);
    }
    if (!QStandardPaths::findExecutable(u"unzip"_s).isEmpty()) {
        QProcess test;
        test.start(u"unzip"_s, {u"-t"_s, s.archive});
        ASSERT_TRUE(test.waitForFinished());
        const QString out = QString::fromUtf8(test.readAllStandardOutput());
        EXPECT_EQ(test.exitCode(), 0) << out.toStdString();
        EXPECT_TRUE(out.contains(u"No errors detected"_s)) << out.toStdString();
    }

    s.u.OnPrint = [&](QObject* sender, const QString& line) {
        EXPECT_EQ(sender, &s.u);
        s.lines << line;
    };
    EXPECT_EQ(s.run(), QString());
    QStringList expected;  // one line per file, no line end
    for (const auto& [name, size] : files) {
        expected << u" extracting: "_s + name;
        EXPECT_EQ(readFile(s.dest + '/' + name), patternBytes(size, int(qHash(name))));
        EXPECT_EQ(QFileInfo(s.dest + '/' + name).lastModified().toSecsSinceEpoch(), when - 1);
    }
    expected.sort();
    s.lines.sort();
    EXPECT_EQ(s.lines, expected);
    EXPECT_EQ(treeOf(s.dest).size(), qsizetype(files.size()));
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
    const QByteArray bytes = zipBytes({{"first.db", patternBytes(3000, 1)}, {"second.wav", good}});
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
        {"fifo", zipBytes({{"pipe", "", ZIP_CM_STORE, S_IFIFO | 0644}}),
         texts::unzipLinkEntry(u"pipe"_s)},
        {"empty file", "", {}},
        {"cut at the end", bytes.left(bytes.size() - 1), {}},
        {"cut in the directory", bytes.left(bytes.size() - 60), {}},
    };
    for (const auto& c : cases) {
        Scene s;
        writeFile(s.archive, c.content);
        EXPECT_EQ(s.run(), c.message.isEmpty() ? texts::unzipNotAZip(s.archive) : c.message)
            << c.what;
        EXPECT_EQ(s.tree(), kNothingWritten) << c.what;
    }
}

TEST(TIUnzip, LeavesALinkInDestAndItsOwnArchiveAlone) {
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
    EXPECT_EQ(s.run(), QString());
    EXPECT_EQ(readFile(outside), QByteArray("precious"));
    EXPECT_TRUE(QFileInfo(s.dest + u"/victim"_s).isSymLink());
    EXPECT_EQ(readFile(inside), archiveBytes);
    EXPECT_EQ(s.lines, (QStringList{"  skipping: victim (already exists)",
                                    "  skipping: LESN.ZIP (the archive itself)"}));
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
        Scene s;
        QByteArray flipped = bytes;
        flipped[data + at] = char(flipped[data + at] ^ 0x80);
        writeFile(s.archive, flipped);
        EXPECT_EQ(s.run(), damaged) << at;
        EXPECT_EQ(s.tree(), kNothingWritten) << at;
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
