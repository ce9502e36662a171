#include <gtest/gtest.h>

#include <QProcess>
#include <QtEndian>
#include <mutex>
#include <set>

#include "ExchangeTestSupport.h"
#include "IUnzip.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;

namespace {

void sh(const QString& line) {
    ASSERT_EQ(QProcess::execute(u"/bin/sh"_s, {u"-c"_s, line}), 0) << line.toStdString();
}

// The package `file` unpacked and zipped again by the zip tool at `level`,
// with `extra` files added; answers the new package.
QString rezipped(const QString& file, const QString& dir, int level,
                 const std::map<QString, QByteArray>& extra = {}) {
    const QString files = QDir(dir).filePath(u"files"_s);
    QDir().mkpath(files);
    sh(u"unzip -q '%1' -d '%2'"_s.arg(file, files));
    for (const auto& [name, bytes] : extra) writeFile(QDir(files).filePath(name), bytes);
    sh(u"cd '%1' && zip -q -%2 '%3' *"_s.arg(files).arg(level).arg(piece(dir)));
    return piece(dir);
}

// Makes the entry `name` of the archive at `path` declare `size` bytes, in
// its local header and in the central directory alike.
void declareSize(const QString& path, const QByteArray& name, quint32 size) {
    QByteArray zip = readFile(path);
    bool found = false;
    for (qsizetype at = zip.indexOf("PK\1\2"); at >= 0; at = zip.indexOf("PK\1\2", at + 4)) {
        if (zip.mid(at + 46, qFromLittleEndian<quint16>(zip.constData() + at + 28)) != name)
            continue;
        qToLittleEndian(size, zip.data() + at + 24);
        qToLittleEndian(size,
                        zip.data() + qFromLittleEndian<quint32>(zip.constData() + at + 42) + 22);
        found = true;
    }
    ASSERT_TRUE(found);
    writeFile(path, zip);
}

qint64 lessonCount(const QString& programDir) {
    Database db(QDir(programDir).filePath(u"db"_s), Database::Mode::ReadOnly);
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

struct Durability : ImportTest {};

}  // namespace

TEST_F(Durability, ImportFlushesEveryMediaFileAndItsFolderBeforeTheRowsCommit) {
    RecordingFlushes files;
    files.programDir = data.programDir;
    auto x = importer(data, package, files);
    x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    const ExchangeOutcome outcome = ImportFromDisk(x->context);
    ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    const QString dir = LessonDirectory(data.programDir, outcome.lesnRegNum);

    std::set<QString> flushed;
    for (const auto& [what, committed] : files.flushes) {
        EXPECT_EQ(committed, 2) << what.toStdString() << " was flushed after the rows committed";
        flushed.insert(what);
    }
    std::set<QString> expected = {dir, data.workspace()};
    for (const QString& name : namesIn(dir)) expected.insert(name);
    EXPECT_EQ(flushed, expected);
    EXPECT_EQ(namesIn(dir).size(), lesson.media.size());
    EXPECT_EQ(lessonCount(data.programDir), 3);
}

TEST_F(Durability, StaleLessonFoldersNeitherBlockAnImportNorLoseAByte) {
    // Lessons 1 and 2 exist: the next numbers are 3, 4, ...
    const struct {
        const char* what;
        std::vector<qint64> stale;
        qint64 expected;
    } cases[] = {
        {"one folder holding a file", {3}, 4},
        {"two folders in a row, after those imports", {6, 7}, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (qint64 n : c.stale) {
            const QString dir = LessonDirectory(data.programDir, n);
            QDir().mkpath(dir);
            writeFile(QDir(dir).filePath(FilePath(u"P"_s, n, media::kBmp)),
                      patternBytes(500, int(n)));
        }
        const auto before = treeDigest(data.workspace());
        // A second import must not stumble on the same folders again.
        for (qint64 want : {c.expected, c.expected + 1}) {
            auto x = importer(data, package);
            if (want == c.expected)
                x->dialogs.expectContaining(MsgKind::Information,
                                            u"A Lesn folder that no Lesn uses"_s);
            x->dialogs.expect(MsgKind::Information, texts::kLesnImported);
            const ExchangeOutcome outcome = ImportFromDisk(x->context);
            ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
            EXPECT_EQ(outcome.lesnRegNum, want);
        }
        auto after = treeDigest(data.workspace());
        for (const auto& [path, digest] : before)
            EXPECT_EQ(after[path], digest) << path.toStdString();
    }
}

TEST_F(Durability, DeflatedAndMedialessPackagesRoundTrip) {
    // Made with zip -6.
    ExchangeOutcome outcome = importLesson(data, rezipped(package, out.file(u"zipped"_s), 6));
    ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    expectSameLesson(source, lesson, data, outcome.lesnRegNum);

    // A lesson whose rows name no media and whose folder holds none.
    DataDir other;
    BuiltLesson bare = makeLesson(other, {.readingPages = 1, .questionPages = 1, .seed = 4});
    for (const QString& name : namesIn(bare.directory))
        QFile::remove(QDir(bare.directory).filePath(name));
    bare.media.clear();
    Database& db = other.db();
    auto clear = [&](TableId id, const char* fields) {
        db.exec(u"UPDATE %1 SET %2"_s.arg(db.qualifiedName(id), QLatin1String(fields)));
    };
    clear(TableId::Lesn, "\"LessonSoundFile\"=0, \"Background\"=0");
    clear(TableId::Page, "\"Picture\"=0, \"Video\"=0, \"PageSoundFile\"=0");
    clear(TableId::Wurd, "\"WSoundFile\"=0");
    clear(TableId::Choice, "\"ChoiceSound\"=0, \"ResponseSound\"=0");
    exportTo(other, bare, out.file(u"bare"_s));
    outcome = importLesson(data, piece(out.file(u"bare"_s)));
    ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    expectSameLesson(other, bare, data, outcome.lesnRegNum);
}

TEST_F(Durability, APackageThatWouldWriteMoreThanItMayIsRefusedWithNothingLeft) {
    qint64 declared = 0;
    for (const ZipEntryInfo& e : ZipEntries({package})) declared += qint64(e.size);
    const QString grown =
        rezipped(package, out.file(u"grown"_s), 6, {{u"X0000001.WAV"_s, QByteArray(1 << 16, 'x')}});
    declareSize(grown, "X0000001.WAV", 100);
    const struct {
        const char* what;
        QString package;
        qint64 free;  // -1: the disk's own
        QString says;
    } cases[] = {
        {"entries declare more than the free space less the margin", package,
         declared + (qint64(16) << 20) - 1, u"more than the disk has room for"_s},
        {"an entry unpacks to more than it declares", grown, -1, u"X0000001.WAV"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rows = dumpDatabase(data.db());
        const auto tree = treeDigest(data.programDir);
        auto x = importer(data, c.package);
        if (c.free >= 0) x->drive.freeAt[data.scratch()] = c.free;
        x->dialogs.expectContaining(MsgKind::Error, c.says);
        EXPECT_EQ(ImportFromDisk(x->context).result, ExchangeOutcome::Result::Failed);
        EXPECT_EQ(dumpDatabase(data.db()), rows);
        EXPECT_EQ(treeDigest(data.programDir), tree);
    }
}
