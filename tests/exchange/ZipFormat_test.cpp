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
#include "ZipPieces.h"
#include "ZipSupport.h"
#include "ZipTestSupport.h"
#include "ZipOutput.h"
#include "ZipWriter.h"

using namespace vellora;
using namespace vellora::testing;
using vellora::zipsupport::CentralDirectory;

namespace {

const qsizetype kBlock = zipsupport::kBlockSize;

struct OpenFile {
    zipsupport::ArchivePieces archive;
    explicit OpenFile(const QString& path) : archive(QStringList{path}) {}
};

std::optional<CentralDirectory> directoryOf(const QString& path) {
    OpenFile f(path);
    EXPECT_TRUE(f.archive.isOpen()) << path.toStdString();
    return zipsupport::readPlainCentralDirectory(f.archive);
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
    OpenFile f(path);
    for (const auto& e : directory->entries) {
        const qint64 at = zipsupport::storedDataOffset(f.archive, e, *directory);
        EXPECT_GE(at, 0) << e.name.toStdString();
        if (at >= 0) found[e.name] = bytes.mid(at, qsizetype(e.size));
    }
    return found;
}

void put16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}
qsizetype endRecordOf(const QByteArray& b) {
    return b.lastIndexOf(QByteArray("PK\x05\x06", 4));
}
qsizetype centralOf(const QByteArray& b) {
    return qFromLittleEndian<quint32>(b.constData() + endRecordOf(b) + 16);
}

bool haveProgram(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
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
    const QString source = tmp.file(QStringLiteral("src"));
    QDir().mkpath(source + QStringLiteral("/Sub"));
    const std::vector<std::pair<QString, qsizetype>> files = {
        {"empty.db", 0},         {"one.wav", 1},
        {"block.avi", kBlock},   {"blockplus.avi", kBlock + 1},
        {"two.bmp", 2 * kBlock}, {QString::fromUtf8("caf\xc3\xa9 \xe2\x99\xaa.wav"), 777},
        {"Sub/inner.txt", 5000},
    };
    const qint64 when = QDateTime(QDate(2021, 6, 15), QTime(13, 45, 31)).toSecsSinceEpoch();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString path = source + '/' + files[i].first;
        writeFile(path, patternBytes(files[i].second, int(i)));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            f.setFileTime(QDateTime::fromSecsSinceEpoch(when), QFileDevice::FileModificationTime));
    }
    TInfoZip zip;
    zip.Recurse = true;
    zip.NameOfZipFile = tmp.file(QStringLiteral("out.zip"));
    zip.FileList << source + QStringLiteral("/*.*");
    zip.Execute();

    // libzip, checking every local header against the central directory.
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(zip.NameOfZipFile).constData(),
                         ZIP_RDONLY | ZIP_CHECKCONS, &error);
    ASSERT_NE(za, nullptr) << error;
    ASSERT_EQ(zip_get_num_entries(za, 0), zip_int64_t(files.size() + 1));
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QByteArray name = files[i].first.toUtf8();
        zip_stat_t st;
        ASSERT_EQ(zip_stat(za, name.constData(), 0, &st), 0) << name.constData();
        const QByteArray data = patternBytes(files[i].second, int(i));
        EXPECT_EQ(st.size, zip_uint64_t(data.size()));
        EXPECT_EQ(st.comp_method, ZIP_CM_STORE);
        EXPECT_EQ(st.crc, Crc32Plain(0, data.constData(), std::size_t(data.size())));
        EXPECT_EQ(qint64(st.mtime), when - 1);  // two-second steps
        zip_file_t* in = zip_fopen(za, name.constData(), 0);
        ASSERT_NE(in, nullptr);
        QByteArray back(data.size() + 1, '\0');
        EXPECT_EQ(zip_fread(in, back.data(), zip_uint64_t(back.size())), zip_int64_t(data.size()));
        EXPECT_EQ(zip_fclose(in), 0);
        EXPECT_EQ(back.left(data.size()), data);
    }
    zip_stat_t dir;
    EXPECT_EQ(zip_stat(za, "Sub/", 0, &dir), 0);
    zip_discard(za);

    // The direct reader finds each entry's data where it is.
    const auto stored = storedData(zip.NameOfZipFile);
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(stored.at(files[i].first.toUtf8()), patternBytes(files[i].second, int(i)));

    if (haveProgram("unzip")) {
        QProcess test;
        test.start(QStringLiteral("unzip"), {QStringLiteral("-t"), zip.NameOfZipFile});
        ASSERT_TRUE(test.waitForFinished());
        const QString out = QString::fromUtf8(test.readAllStandardOutput());
        EXPECT_EQ(test.exitCode(), 0) << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("No errors detected"))) << out.toStdString();
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
            ADD_FAILURE() << "rewrite at " << offset << " outside the open part from " << partStart();
            return;
        }
        bytes.replace(qsizetype(offset), length, QByteArray(data, length));
    }
    void commit() override { ++committed; }
};

}  // namespace

TEST(StoredZipWriter, AnOutputInPartsGetsTheSameArchiveWhereverThePartsEnd) {
    TempDir tmp;
    const QString source = tmp.file(QStringLiteral("src"));
    QDir().mkpath(source);
    const std::vector<std::pair<QString, qsizetype>> files = {
        {"a.db", 40}, {"empty.db", 0}, {"big.avi", kBlock + 3}, {"x.wav", 100}, {"z.bmp", 3000}};
    for (std::size_t i = 0; i < files.size(); ++i)
        writeFile(source + '/' + files[i].first, patternBytes(files[i].second, int(i) + 40));
    TInfoZip whole;
    whole.NoDirEntries = true;
    whole.NameOfZipFile = tmp.file(QStringLiteral("whole.zip"));
    whole.FileList << source + QStringLiteral("/*.*");
    whole.Execute();
    const QByteArray expected = readFile(whole.NameOfZipFile);

    for (quint64 part : {1, 7, 30, 31, 45, 70, 4096, 600000, 1 << 30}) {
        PartsOutput output(part);
        TInfoZip zip;
        zip.NoDirEntries = true;
        zip.NameOfZipFile = tmp.file(QStringLiteral("never.zip"));
        zip.FileList << source + QStringLiteral("/*.*");
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
    deflated.NameOfZipFile = tmp.file(QStringLiteral("d.zip"));
    deflated.FileList << source + QStringLiteral("/*.*");
    deflated.Output = &output;
    EXPECT_THROW(deflated.Execute(), EInfoZipException);
    EXPECT_EQ(output.begun, 0);
}

TEST(StoredZipWriter, AFileChangedSizeWhereItsHeaderComesFirstIsRefused) {
    TempDir tmp;
    const QString source = tmp.file(QStringLiteral("src"));
    QDir().mkpath(source);
    writeFile(source + QStringLiteral("/a.wav"), patternBytes(5000, 1));
    for (qsizetype size : {5001, 4999}) {
        writeFile(source + QStringLiteral("/b.wav"), patternBytes(5000, 2));
        PartsOutput output(6000);  // b.wav's entry crosses into the second part
        TInfoZip zip;
        zip.NameOfZipFile = tmp.file(QStringLiteral("never.zip"));
        zip.FileList << source + QStringLiteral("/*.*");
        zip.Output = &output;
        // Listed at 5000 bytes, another size by the time it is read.
        zip.OnPrint = [&](QObject*, const QString& line) {
            if (line == QStringLiteral("  adding: b.wav"))
                writeFile(source + QStringLiteral("/b.wav"), patternBytes(size, 2));
        };
        try {
            zip.Execute();
            ADD_FAILURE() << size << ": no error";
        } catch (const EInfoZipException& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("b.wav changed while it was being zipped")))
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
        const QString file = tmp.file(QStringLiteral("a.wav"));
        writeFile(file, "x");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::fromSecsSinceEpoch(c.when),
                                  QFileDevice::FileModificationTime));
        f.close();
        TInfoZip zip;
        zip.NameOfZipFile = tmp.file(QStringLiteral("out.zip"));
        zip.FileList << file;
        zip.Execute();
        int error = 0;
        zip_t* za = zip_open(QFile::encodeName(zip.NameOfZipFile).constData(), ZIP_RDONLY, &error);
        ASSERT_NE(za, nullptr);
        zip_stat_t st;
        ASSERT_EQ(zip_stat_index(za, 0, 0, &st), 0);
        EXPECT_EQ(qint64(st.mtime), c.stored) << c.when;
        zip_discard(za);
    }
}

// The direct reader takes only plain archives, and only what is where the
// central directory says; everything else is left to libzip.
TEST(ZipDirectory, ReadsPlainArchivesAndRefusesAnythingElse) {
    TempDir tmp;
    const QString path = tmp.file(QStringLiteral("a.zip"));
    const QByteArray first = patternBytes(1000, 1), second = patternBytes(3000, 2);
    buildZip(path, {{"first.db", first}, {"second.wav", second}});
    const QByteArray good = readFile(path);
    const qsizetype end = endRecordOf(good);
    const qsizetype central = centralOf(good);
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
        {"end record counts differ", [&](QByteArray& b) { put16(b, end + 8, 1); }, NotPlain},
        {"one entry too many", [&](QByteArray& b) { put16(b, end + 8, 3), put16(b, end + 10, 3); },
         NotPlain},
        {"ZIP64 count",
         [&](QByteArray& b) { put16(b, end + 8, 0xffff), put16(b, end + 10, 0xffff); }, NotPlain},
        {"directory offset moved", [&](QByteArray& b) { put32(b, end + 16, quint32(central + 1)); },
         NotPlain},
        {"directory larger than the file", [&](QByteArray& b) { put32(b, end + 12, 0x7fffffff); },
         NotPlain},
        {"second disk", [&](QByteArray& b) { put16(b, end + 4, 1); }, NotPlain},
        {"central signature broken", [&](QByteArray& b) { b[central + 1] = 'X'; }, NotPlain},
        {"local header offset past the directory",
         [&](QByteArray& b) { put32(b, central + 42, quint32(central)); }, NotPlain},
        {"ZIP64 size in the directory", [&](QByteArray& b) { put32(b, central + 20, 0xffffffffu); },
         NotPlain},
        {"local signature broken", [](QByteArray& b) { b[2] = 'X'; }, FirstDeclined},
        {"local name differs", [](QByteArray& b) { b[30] = 'F'; }, FirstDeclined},
        {"local method deflate", [](QByteArray& b) { put16(b, 8, 8); }, FirstDeclined},
        {"local encrypted flag", [](QByteArray& b) { put16(b, 6, 1); }, FirstDeclined},
        {"central method deflate", [&](QByteArray& b) { put16(b, central + 10, 8); },
         FirstDeclined},
        {"central sizes differ", [&](QByteArray& b) { put32(b, central + 20, 999); },
         FirstDeclined},
        {"local extra runs into the directory",
         [&](QByteArray& b) { put16(b, secondLocal + 28, 1); }, SecondDeclined},
        {"local extra past the directory",
         [&](QByteArray& b) { put16(b, secondLocal + 28, 0xffff); }, SecondDeclined},
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
        OpenFile f(path);
        const qint64 a = zipsupport::storedDataOffset(f.archive, directory->entries[0], *directory);
        const qint64 b = zipsupport::storedDataOffset(f.archive, directory->entries[1], *directory);
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
    const QString a = tmp.file(QStringLiteral("a.zip"));
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
        const QString b = tmp.file(QStringLiteral("b.zip"));
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
    const QString path = tmp.file(QStringLiteral("a.zip"));
    // A comment that itself looks like the start of an end record.
    buildZip(path, {{"a.db", "aaa"}}, QByteArray(30, 'c'));
    QByteArray bytes = readFile(path);
    bytes.replace(bytes.size() - 26, 4, QByteArray("PK\x05\x06", 4));
    writeFile(path, bytes);
    const auto stored = storedData(path);
    EXPECT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.at("a.db"), QByteArray("aaa"));

    QByteArray empty(22, '\0');
    put32(empty, 0, 0x06054b50);
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
        paths << tmp.file(QStringLiteral("p%1").arg(paths.size()));
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
    writeFile(tmp.file(QStringLiteral("a")), "abc");
    QDir().mkpath(tmp.file(QStringLiteral("dir")));
    const zipsupport::ArchivePieces missing({tmp.file(QStringLiteral("a")), tmp.file(QStringLiteral("b"))});
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.failedPath(), tmp.file(QStringLiteral("b")));
    EXPECT_EQ(missing.systemError(), ENOENT);
    const zipsupport::ArchivePieces directory({tmp.file(QStringLiteral("dir"))});
    EXPECT_FALSE(directory.isOpen());
    EXPECT_EQ(directory.systemError(), EISDIR);
}
