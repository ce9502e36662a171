#include "MediaRenumbering.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <map>

#include "QtPrinters.h"
#include "StoreError.h"
#include "TempDir.h"
#include "TestFiles.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

using Files = std::map<QString, QByteArray>;

void writeFiles(const QString& dir, const Files& files) {
    for (const auto& [name, content] : files) writeFile(QDir(dir).filePath(name), content);
}

struct Rename {
    qint64 from, to;
    const char* prefix = "W";
};

}  // namespace

TEST(MediaRenumbering, ChainsCyclesAndSameNumbersNeverLoseOrSwapFiles) {
    struct Case {
        const char* what;
        std::vector<Rename> plan;
        Files before;
        Files after;
        int renamed;
    };
    const Case cases[] = {
        {"plain",
         {{1, 5}, {2, 6}},
         {{"W0000001.WAV", "a"}, {"W0000002.WAV", "b"}},
         {{"W0000005.WAV", "a"}, {"W0000006.WAV", "b"}},
         2},
        {"chain upwards",
         {{1, 2}, {2, 3}, {3, 4}},
         {{"W0000001.WAV", "a"}, {"W0000002.WAV", "b"}, {"W0000003.WAV", "c"}},
         {{"W0000002.WAV", "a"}, {"W0000003.WAV", "b"}, {"W0000004.WAV", "c"}},
         3},
        {"chain downwards",
         {{3, 2}, {2, 1}},
         {{"W0000002.WAV", "b"}, {"W0000003.WAV", "c"}},
         {{"W0000001.WAV", "b"}, {"W0000002.WAV", "c"}},
         2},
        {"swap",
         {{1, 2}, {2, 1}},
         {{"W0000001.WAV", "a"}, {"W0000002.WAV", "b"}},
         {{"W0000001.WAV", "b"}, {"W0000002.WAV", "a"}},
         2},
        {"same number",
         {{7, 7}, {8, 9}},
         {{"W0000007.WAV", "g"}, {"W0000008.WAV", "h"}},
         {{"W0000007.WAV", "g"}, {"W0000009.WAV", "h"}},
         2},
        {"lower-case file",
         {{1, 2}, {2, 3}},
         {{"w0000001.wav", "a"}, {"W0000002.WAV", "b"}},
         {{"W0000002.WAV", "a"}, {"W0000003.WAV", "b"}},
         2},
        {"missing file skipped",
         {{1, 2}, {4, 5}},
         {{"W0000001.WAV", "a"}},
         {{"W0000002.WAV", "a"}},
         1},
        {"unnamed file in the way",
         {{1, 3}},
         {{"W0000001.WAV", "a"}, {"w0000003.wav", "stray"}, {"notes.txt", "n"}},
         {{"W0000003.WAV", "a"}, {"notes.txt", "n"}},
         1},
        {"a cycle of three entered from a file that waits on it, over two kinds",
         {{9, 4}, {1, 2}, {2, 3}, {3, 1}, {1, 2, "C"}},
         {{"W0000001.WAV", "1"},
          {"W0000002.WAV", "2"},
          {"W0000003.WAV", "3"},
          {"W0000009.WAV", "9"},
          {"C0000001.WAV", "c1"}},
         {{"C0000002.WAV", "c1"},
          {"W0000001.WAV", "3"},
          {"W0000002.WAV", "1"},
          {"W0000003.WAV", "2"},
          {"W0000004.WAV", "9"}},
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir tmp;
        writeFiles(tmp.path(), c.before);
        MediaRenumbering m(tmp.path());
        for (const Rename& r : c.plan)
            m.add(QLatin1String(r.prefix), QStringLiteral(".WAV"), r.from, r.to);
        m.apply();
        m.finish();
        EXPECT_EQ(filesIn(tmp.path()), c.after);
        EXPECT_EQ(m.renamed(), c.renamed);
    }
}

TEST(MediaRenumbering, UndoPutsEveryFileBackAndAFailedRenameUndoesItself) {
    const Files before = {{"W0000001.WAV", "1"},
                          {"W0000002.WAV", "2"},
                          {"W0000003.WAV", "3"},
                          {"w0000005.wav", "stray"}};
    auto plan = [](MediaRenumbering& m) {
        m.add(QStringLiteral("W"), QStringLiteral(".WAV"), 1, 2);
        m.add(QStringLiteral("W"), QStringLiteral(".WAV"), 2, 1);  // a swap: needs staging
        m.add(QStringLiteral("W"), QStringLiteral(".WAV"), 3, 5);  // a stray in the way
    };
    {
        TempDir tmp;
        writeFiles(tmp.path(), before);
        MediaRenumbering m(tmp.path());
        plan(m);
        m.apply();
        EXPECT_NE(filesIn(tmp.path()), before);
        EXPECT_TRUE(m.undo());
        EXPECT_EQ(filesIn(tmp.path()), before);
    }
    for (int failAt = 1; failAt <= 5; ++failAt) {
        SCOPED_TRACE(failAt);
        TempDir tmp;
        writeFiles(tmp.path(), before);
        int calls = 0;
        MediaRenumbering m(tmp.path(), [&](const QString& from, const QString& to) {
            return ++calls != failAt && QFile::rename(from, to);
        });
        plan(m);
        EXPECT_THROW(m.apply(), StoreError);
        EXPECT_EQ(filesIn(tmp.path()), before);
    }
}
