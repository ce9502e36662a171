#include "SharedFiles.h"

#include <gtest/gtest.h>

#include <QImage>

#include "Application.h"
#include "ScriptedDialogs.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "Texts.h"
#include "WaveFile.h"

using namespace vellora;
using vellora::testing::readFile;
using vellora::testing::ScriptedDialogs;
using vellora::testing::TempDir;
using vellora::testing::writeFile;

namespace {

TEST(SharedFiles, StartUpWritesTheMissingOnesAndKeepsAnAuthorsOwn) {
    TempDir tmp;
    // The author's own verdict sound is already there.
    const QByteArray own("RIFF, not ours to replace");
    writeFile(tmp.file(QStringLiteral("InCorect.wav")), own);
    ScriptedDialogs dialogs;
    dialogs.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::Yes,
                   texts::kInvalidDatabase);
    Application app(tmp.path(), dialogs);
    ASSERT_TRUE(app.startUp());

    EXPECT_EQ(readFile(tmp.file(QStringLiteral("InCorect.wav"))), own);
    for (const QString& name : {QStringLiteral("Correct.wav"), QStringLiteral("ShwCorct.wav")}) {
        QString error;
        const auto sound = readWave(tmp.file(name), &error);
        ASSERT_TRUE(sound) << name.toStdString() << ": " << error.toStdString();
        EXPECT_GT(sound->lengthMs(), 300) << name.toStdString();
    }
    // The preview shows the background's bands: bright blue at the top, dark at the bottom.
    const QImage gradient(tmp.file(QStringLiteral("gradient.bmp")));
    ASSERT_FALSE(gradient.isNull());
    EXPECT_EQ(gradient.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(gradient.pixel(gradient.width() - 1, gradient.height() - 1), qRgb(0, 0, 3));

    // Written once: a second start leaves them alone.
    EXPECT_TRUE(WriteSharedFiles(tmp.path(), dialogs).isEmpty());
    // And the one that was ours is written when it goes missing.
    QFile::remove(tmp.file(QStringLiteral("InCorect.wav")));
    EXPECT_EQ(WriteSharedFiles(tmp.path(), dialogs), QStringList{QStringLiteral("InCorect.wav")});
    QString error;
    const auto incorrect = readWave(tmp.file(QStringLiteral("InCorect.wav")), &error);
    ASSERT_TRUE(incorrect) << error.toStdString();
    EXPECT_GT(incorrect->lengthMs(), 300);
}

}  // namespace
