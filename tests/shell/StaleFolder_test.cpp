#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "LessonSession.h"
#include "LessonTestHelpers.h"
#include "TempDir.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(FileNew, StaleLessonFoldersArePassedOverAndKeptAsTheyAre) {
    TempDir tmp;
    LessonSession s(tmp.path());
    s.form().FormActivate();
    struct Case {
        std::vector<const char*> stale;
        qint64 expected;
    } cases[] = {{{"00000001"}, 2}, {{"00000003", "00000004"}, 5}};
    for (const Case& c : cases) {
        for (const char* name : c.stale) {
            QDir().mkpath(lessonDir(tmp, name));
            QFile f(QDir(lessonDir(tmp, name)).filePath(QStringLiteral("P0000001.BMP")));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(name);
        }
        s.dialogs.expectContaining(MsgKind::Information, QStringLiteral("A Lesn folder that no Lesn uses"));
        s.life().FileNewClick();
        EXPECT_TRUE(s.state().LessonOpen);
        EXPECT_EQ(s.state().LesnRegNum, c.expected);
        EXPECT_EQ(s.state().DirPath, s.life().LessonDirectory(c.expected));
        EXPECT_TRUE(QDir(s.state().DirPath).isEmpty());
        for (const char* name : c.stale) {
            EXPECT_EQ(QDir(lessonDir(tmp, name)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                      QStringList{QStringLiteral("P0000001.BMP")});
            EXPECT_EQ(contentOf(QDir(lessonDir(tmp, name)).filePath(QStringLiteral("P0000001.BMP"))), QByteArray(name));
        }
    }
    // Passed over for good: the next lesson is told nothing.
    s.life().FileNewClick();
    EXPECT_EQ(s.state().LesnRegNum, 6);
}
