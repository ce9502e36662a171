// The pieces under the zip components' stored path: the CRC, the archive
// writer's format, and the central directory reader of the extraction.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <cerrno>
#include <functional>
#include <map>
#include <optional>

#include "Crc32.h"
#include "InfoZip.h"
#include "TempDir.h"
#include "ZipDirectory.h"
#include "ZipOutput.h"
#include "ZipPieces.h"
#include "ZipSupport.h"
#include "ZipTestSupport.h"
#include "ZipWriter.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;
using vellora::zipsupport::CentralDirectory;

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

// Our archives are standard ones: libzip and Info-ZIP's unzip read them, with
// the right names, sizes, CRCs and dates.
TEST(StoredZipWriter, ArchivesAreReadByOtherTools) {
    TempDir tmp;
    const QString source = tmp.file(u"src"_s);
    QDir().mkpath(source + u"/Sub"_s);
    const std::map<QString, qsizetype> files = {
        {"empty.db", 0},         {"one.wav", 1},
        {"block.avi", kBlock},   {"blockplus.avi", kBlock + 1},
        {"two.bmp", 2 * kBlock}, {QString::fromUtf8("caf\xc3\xa9 \xe2\x99\xaa.wav"), 777},
        {"Sub/inner.txt", 5000},
    };
    const qint64 when = QDateTime(QDate(2021, 6, 15), QTime(13, 45, 31)).toSecsSinceEpoch();
    for (const auto& [name, size] : files) {
        writeFile(source + '/' + name, patternBytes(size, int(qHash(name))));
        setModified(source + '/' + name, QDateTime::fromSecsSinceEpoch(when));
    }
    TInfoZip zip;
    zip.Recurse = true;
    zip.NameOfZipFile = tmp.file(u"out.zip"_s);
    zip.FileList << source + u"/*.*"_s;
    zip.Execute();

    // libzip, checking every local header against the central directory and
    // every entry's CRC.
    std::map<QString, EntryInfo> read;
    for (const EntryInfo& e : entriesOf(zip.NameOfZipFile)) read[e.name] = e;
    ASSERT_EQ(read.size(), files.size() + 1);
    EXPECT_TRUE(read.count(u"Sub/"_s));
    // The direct reader finds each entry's data where it is.
    const auto stored = storedData(zip.NameOfZipFile);
    for (const auto& [name, size] : files) {
        SCOPED_TRACE(name.toStdString());
        const EntryInfo& e = read[name];
        EXPECT_EQ(e.data, patternBytes(size, int(qHash(name))));
        EXPECT_EQ(e.method, ZIP_CM_STORE);
        EXPECT_EQ(qint64(e.mtime), when - 1);  // two-second steps
        EXPECT_EQ(stored.at(name.toUtf8()), e.data);
    }

    if (!QStandardPaths::findExecutable(u"unzip"_s).isEmpty()) {
        QProcess test;
        test.start(u"unzip"_s, {u"-t"_s, zip.NameOfZipFile});
        ASSERT_TRUE(test.waitForFinished());
        const QString out = QString::fromUtf8(test.readAllStandardOutput());
        EXPECT_EQ(test.exitCode(), 0) << out.toStdString();
        EXPECT_TRUE(out.contains(u"No errors detected"_s)) << out.toStdString();
    }
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

    // Only a new stored archive can go to an output.
    PartsOutput output(100);
    TInfoZip deflated;
    deflated.Level = 6;
    deflated.NameOfZipFile = tmp.file(u"d.zip"_s);
    deflated.FileList << source + u"/*.*"_s;
    deflated.Output = &output;
    EXPECT_THROW(deflated.Execute(), EInfoZipException);
    EXPECT_EQ(output.begun, 0);
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

TEST(StoredZipWriter, DatesOutsideTheFormatAreHeldToItsRange) {
    auto local = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s)).toSecsSinceEpoch();
    };
    const struct {
        qint64 when;
        qint64 stored;
    } cases[] = {
        {0, local(1980, 1, 1, 0, 0, 0)},
        {local(1979, 12, 31, 23, 59, 59), local(1980, 1, 1, 0, 0, 0)},
        {local(1980, 1, 1, 0, 0, 1), local(1980, 1, 1, 0, 0, 0)},
        {local(2107, 12, 31, 23, 59, 59), local(2107, 12, 31, 23, 59, 58)},
        {local(2200, 5, 5, 5, 5, 5), local(2107, 12, 31, 23, 59, 58)},
    };
    for (const auto& c : cases) {
        TempDir tmp;
        const QString file = tmp.file(u"a.wav"_s);
        writeFile(file, "x");
        setModified(file, QDateTime::fromSecsSinceEpoch(c.when));
        TInfoZip zip;
        zip.NameOfZipFile = tmp.file(u"out.zip"_s);
        zip.FileList << file;
        zip.Execute();
        const auto entries = entriesOf(zip.NameOfZipFile);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(qint64(entries[0].mtime), c.stored) << c.when;
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

TEST(ArchivePieces, NamesThePieceThatCannotBeOpened) {
    TempDir tmp;
    writeFile(tmp.file(u"a"_s), "abc");
    QDir().mkpath(tmp.file(u"dir"_s));
    const zipsupport::ArchivePieces missing({tmp.file(u"a"_s), tmp.file(u"b"_s)});
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.failedPath(), tmp.file(u"b"_s));
    EXPECT_EQ(missing.systemError(), ENOENT);
    const zipsupport::ArchivePieces directory({tmp.file(u"dir"_s)});
    EXPECT_FALSE(directory.isOpen());
    EXPECT_EQ(directory.systemError(), EISDIR);
}
