#include <gtest/gtest.h>

#include <QProcess>
#include <mutex>

#include "ExchangeTestSupport.h"
#include "IUnzip.h"
#include "LessonNumbers.h"
#include "Texts.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

const QString kSkipped = QStringLiteral("A Lesn folder that no Lesn uses");

QString exportPackage(DataDir& data, const BuiltLesson& lesson, const QString& dir) {
    exportTo(data, lesson, dir);
    return QDir(dir).filePath(texts::kPieceFileName);
}

// Imports `file`; `script` adds the messages expected after the file dialog.
ExchangeOutcome importPackage(DataDir& data, const QString& file, const std::function<void(Exchange&)>& script,
                              const FileSystem& files = FileSystem::real()) {
    Exchange x(data, files);
    x.dialogs.expectFile(file);
    script(x);
    return ImportFromDisk(x.context);
}

void sh(const QString& line) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}), 0) << line.toStdString();
}

// The package `file` unpacked and zipped again by the zip tool at `level`,
// with `extra` files added; answers the new package.
QString rezipped(const QString& file, const QString& dir, int level, const std::map<QString, QByteArray>& extra = {}) {
    const QString files = QDir(dir).filePath(QStringLiteral("files"));
    QDir().mkpath(files);
    sh(QStringLiteral("unzip -q '%1' -d '%2'").arg(file, files));
    for (const auto& [name, bytes] : extra) writeFile(QDir(files).filePath(name), bytes);
    const QString package = QDir(dir).filePath(texts::kPieceFileName);
    sh(QStringLiteral("cd '%1' && zip -q -%2 '%3' *").arg(files).arg(level).arg(package));
    return package;
}

// Makes the entry `name` of the archive at `path` declare `size` bytes, in
// its local header and in the central directory alike.
void declareSize(const QString& path, const QByteArray& name, quint32 size) {
    QByteArray zip = readFile(path);
    auto put = [&zip](qsizetype at, quint32 v) {
        for (int i = 0; i < 4; ++i) zip[at + i] = char(v >> (8 * i));
    };
    auto get = [&zip](qsizetype at, int n) {
        quint32 v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | quint8(zip[at + i]);
        return v;
    };
    bool found = false;
    for (qsizetype at = zip.indexOf("PK\1\2"); at >= 0; at = zip.indexOf("PK\1\2", at + 4)) {
        if (zip.mid(at + 46, get(at + 28, 2)) != name) continue;
        put(at + 24, size);
        put(get(at + 42, 4) + 22, size);
        found = true;
    }
    ASSERT_TRUE(found);
    writeFile(path, zip);
}

// A lesson's rows without what an import renumbers (keys, parent references,
// DirPath), in table and key order.
std::vector<Row> contentOf(Database& db, qint64 lesson) {
    const size_t dirPath = size_t(fieldIndex(tableDef(TableId::Lesn), QStringLiteral("DirPath")));
    std::vector<Row> rows;
    for (auto& [id, byKey] : lessonRows(db, lesson))
        for (auto [key, row] : byKey) {
            row[0] = QVariant();
            row[id == TableId::Lesn ? dirPath : 1] = QVariant();
            rows.push_back(row);
        }
    return rows;
}

std::multiset<QByteArray> contents(const std::map<QString, QByteArray>& files) {
    std::multiset<QByteArray> all;
    for (const auto& [name, bytes] : files) all.insert(bytes);
    return all;
}

qint64 lessonCount(const QString& programDir) {
    Database db(QDir(programDir).filePath(QStringLiteral("db")), Database::Mode::ReadOnly);
    return Table(db, TableId::Lesn, true).recordCount();
}

// Records every flush (they may come from several threads) with the number
// of lessons committed at that moment.
struct RecordingFlushes : FileSystem {
    QString programDir;
    mutable std::mutex mutex;
    mutable std::vector<std::pair<QString, qint64>> flushes;
    bool record(const QString& what) const {
        const qint64 committed = lessonCount(programDir);
        const std::lock_guard<std::mutex> lock(mutex);
        flushes.emplace_back(what, committed);
        return true;
    }
    bool flushFile(const QString& path) const override {
        return record(QFileInfo(path).fileName()) && FileSystem::flushFile(path);
    }
    bool flushDirectory(const QString& path) const override {
        return record(QDir::cleanPath(path)) && FileSystem::flushDirectory(path);
    }
};

struct Durability : ::testing::Test {
    DataDir source;
    DataDir data;
    TempDir out;
    BuiltLesson lesson = makeLesson(source, {.readingPages = 2, .questionPages = 1, .seed = 3});

    void SetUp() override { makeLesson(data, {.seed = 9}); }
};

}  // namespace

TEST_F(Durability, ImportFlushesEveryMediaFileAndItsFolderBeforeTheRowsCommit) {
    const QString file = exportPackage(source, lesson, out.path());
    RecordingFlushes files;
    files.programDir = data.programDir;
    const ExchangeOutcome outcome =
        importPackage(data, file, [](Exchange& x) { x.dialogs.expect(MsgKind::Information, texts::kLesnImported); }, files);
    ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    const QString dir = LessonDirectory(data.programDir, outcome.lesnRegNum);

    std::set<QString> flushed;
    for (const auto& [what, committed] : files.flushes) {
        EXPECT_EQ(committed, 1) << what.toStdString() << " was flushed after the rows committed";
        flushed.insert(what);
    }
    std::set<QString> expected = {dir, data.workspace()};
    for (const QString& name : namesIn(dir)) expected.insert(name);
    EXPECT_EQ(flushed, expected);
    EXPECT_EQ(namesIn(dir).size(), lesson.media.size());
    EXPECT_EQ(lessonCount(data.programDir), 2);
}

TEST_F(Durability, StaleLessonFoldersNeitherBlockAnImportNorLoseAByte) {
    // Lesson 1 exists: the next numbers are 2, 3, ...
    const QString file = exportPackage(source, lesson, out.path());
    struct Case {
        const char* what;
        std::vector<qint64> stale;
        qint64 expected;
    } cases[] = {
        {"one folder holding a file", {2}, 3},
        {"two folders in a row, after those imports", {5, 6}, 7},
    };
    for (const Case& c : cases) {
        for (qint64 n : c.stale) {
            QDir().mkpath(LessonDirectory(data.programDir, n));
            writeFile(QDir(LessonDirectory(data.programDir, n)).filePath(FilePath(QStringLiteral("P"), n, media::kBmp)),
                      patternBytes(500, int(n)));
        }
        const auto before = treeDigest(data.workspace());
        // A second import must not stumble on the same folders again.
        for (qint64 want : {c.expected, c.expected + 1}) {
            const ExchangeOutcome outcome = importPackage(data, file, [&](Exchange& x) {
                if (want == c.expected) x.dialogs.expectContaining(MsgKind::Information, kSkipped);
                x.dialogs.expect(MsgKind::Information, texts::kLesnImported);
            });
            ASSERT_TRUE(outcome.ok()) << c.what << ": " << outcome.message.toStdString();
            EXPECT_EQ(outcome.lesnRegNum, want) << c.what;
        }
        auto after = treeDigest(data.workspace());
        for (const auto& [path, digest] : before) EXPECT_EQ(after[path], digest) << c.what << " " << path.toStdString();
    }
}

TEST_F(Durability, MedialessAndDeflatedPackagesRoundTrip) {
    // A lesson whose rows name no media and whose folder holds none.
    BuiltLesson bare = makeLesson(source, {.readingPages = 1, .questionPages = 1, .seed = 4});
    for (const QString& name : namesIn(bare.directory)) QFile::remove(QDir(bare.directory).filePath(name));
    bare.media.clear();
    Database& db = source.db();
    db.exec(QStringLiteral("UPDATE %1 SET \"LessonSoundFile\"=0, \"Background\"=0").arg(db.qualifiedName(TableId::Lesn)));
    db.exec(QStringLiteral("UPDATE %1 SET \"Picture\"=0, \"Video\"=0, \"PageSoundFile\"=0").arg(db.qualifiedName(TableId::Page)));
    db.exec(QStringLiteral("UPDATE %1 SET \"WSoundFile\"=0").arg(db.qualifiedName(TableId::Wurd)));
    db.exec(QStringLiteral("UPDATE %1 SET \"ChoiceSound\"=0, \"ResponseSound\"=0").arg(db.qualifiedName(TableId::Choice)));

    struct Case {
        const char* what;
        const BuiltLesson* lesson;
        int zipLevel;  // 0: the package as exported
    } cases[] = {{"no media", &bare, 0}, {"made with zip -6", &lesson, 6}};
    for (const Case& c : cases) {
        TempDir dir;
        QString file = exportPackage(source, *c.lesson, dir.path());
        if (c.zipLevel > 0) file = rezipped(file, dir.file(QStringLiteral("again")), c.zipLevel);
        const ExchangeOutcome outcome = importPackage(
            data, file, [](Exchange& x) { x.dialogs.expect(MsgKind::Information, texts::kLesnImported); });
        ASSERT_TRUE(outcome.ok()) << c.what << ": " << outcome.message.toStdString();
        EXPECT_EQ(contentOf(data.db(), outcome.lesnRegNum), contentOf(source.db(), c.lesson->number)) << c.what;
        EXPECT_EQ(contents(filesIn(LessonDirectory(data.programDir, outcome.lesnRegNum))), contents(c.lesson->media))
            << c.what;
    }
}

TEST_F(Durability, APackageThatWouldWriteMoreThanItMayIsRefusedWithNothingLeft) {
    const QString file = exportPackage(source, lesson, out.path());
    qint64 declared = 0;
    for (const ZipEntryInfo& e : ZipEntries({file})) declared += qint64(e.size);
    struct Case {
        const char* what;
        std::function<QString()> package;
        qint64 free;  // -1: the disk's own
        QString says;
    } cases[] = {
        {"entries declare more than the free space less the margin", [&] { return file; },
         declared + (qint64(16) << 20) - 1, QStringLiteral("more than the disk has room for")},
        {"an entry unpacks to more than it declares",
         [&] {
             const QString grown = rezipped(file, out.file(QStringLiteral("grown")), 6,
                                            {{QStringLiteral("X0000001.WAV"), QByteArray(1 << 16, 'x')}});
             declareSize(grown, "X0000001.WAV", 100);
             return grown;
         },
         -1, QStringLiteral("X0000001.WAV")},
    };
    for (const Case& c : cases) {
        const QString package = c.package();
        const auto rows = dumpDatabase(data.db());
        const auto tree = treeDigest(data.programDir);
        const ExchangeOutcome outcome = importPackage(data, package, [&](Exchange& x) {
            if (c.free >= 0) x.drive.freeAt[data.scratch()] = c.free;
            x.dialogs.expectContaining(MsgKind::Error, c.says);
        });
        EXPECT_EQ(outcome.result, ExchangeOutcome::Result::Failed) << c.what;
        EXPECT_EQ(dumpDatabase(data.db()), rows) << c.what;
        EXPECT_EQ(treeDigest(data.programDir), tree) << c.what;
    }
}
