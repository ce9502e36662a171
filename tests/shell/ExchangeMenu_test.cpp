#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "DirectorySelector.h"
#include "ExchangeCommands.h"
#include "ExchangeTexts.h"
#include "LessonSession.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "TTitleScreen.h"
#include "Table.h"

using namespace vellora;
using vellora::testing::LessonSession;
using vellora::testing::TempDir;

namespace {

// Accepts the export chooser in `dir`.
std::function<int(QObject*)> chooseDirectory(const QString& dir) {
    return [dir](QObject* dialog) {
        static_cast<TDirectorySelector*>(dialog)->setDirectory(dir);
        return int(QDialog::Accepted);
    };
}

}  // namespace

TEST(ExchangeMenu, ExportThroughTheMenuThenImportOpensTheCopyAtItsTitlePage) {
    TempDir tmp;
    TempDir disk;
    LessonSession s(tmp.path());
    s.form().FormActivate();
    s.life().FileNewClick();
    ASSERT_TRUE(s.state().LessonOpen);
    s.title().setFieldText(QStringLiteral("Title"), QStringLiteral("Rivers"));
    const QString lessonDir = s.state().DirPath;
    {  // a title sound, so that media travel too
        QFile sound(QDir(lessonDir).filePath(QStringLiteral("L0000001.WAV")));
        ASSERT_TRUE(sound.open(QIODevice::WriteOnly));
        sound.write(QByteArray(5000, 'w'));
    }
    s.state().cbTitleSound = true;

    const QString drive = DiskDrive().driveName(QDir(disk.path()).filePath(texts::kPieceFileName));
    s.dialogs.expectDialog(QStringLiteral("DirectorySelector"), chooseDirectory(disk.path()));
    s.dialogs.expect(MsgKind::Information, texts::diskPrompt(1, drive));
    s.dialogs.expect(MsgKind::Information, texts::kLesnExported);
    s.menu(MenuItem::ExportToDisk)->trigger();
    EXPECT_TRUE(s.dialogs.done());
    EXPECT_EQ(s.app->exchange()->lastOutcome().result, ExchangeOutcome::Result::Done);
    EXPECT_TRUE(QFile::exists(disk.file(QStringLiteral("lesn.lsn"))));
    EXPECT_EQ(QFileInfo(disk.file(QStringLiteral("DiskID"))).size(), 16);
    // The lesson folder keeps only its media; saving works again afterwards.
    EXPECT_EQ(QDir(lessonDir).entryList(QDir::Files), QStringList{QStringLiteral("L0000001.WAV")});
    EXPECT_FALSE(s.state().SavingSuspended);
    EXPECT_EQ(s.state().CurrentDomain, 2);

    s.dialogs.expectFile(disk.file(QStringLiteral("lesn.lsn")));
    s.dialogs.expect(MsgKind::Information, texts::kLesnImported);
    s.menu(MenuItem::ImportFromDisk)->trigger();
    EXPECT_TRUE(s.dialogs.done());
    const ExchangeOutcome& in = s.app->exchange()->lastOutcome();
    ASSERT_EQ(in.result, ExchangeOutcome::Result::Done) << in.message.toStdString();
    EXPECT_EQ(in.lesnRegNum, 2);
    EXPECT_TRUE(s.state().LessonOpen);
    EXPECT_EQ(s.state().LesnRegNum, 2);
    EXPECT_EQ(s.state().CurrentDomain, 2);
    EXPECT_EQ(s.state().CurrentPage, 0);
    EXPECT_EQ(s.title().fieldText(QStringLiteral("Title")), QStringLiteral("Rivers"));
    const QString newDir = QDir(tmp.path()).filePath(QStringLiteral("workspac/00000002"));
    EXPECT_EQ(QDir::cleanPath(s.state().DirPath), newDir);
    EXPECT_EQ(QDir(newDir).entryList(QDir::Files), QStringList{QStringLiteral("L0000002.WAV")});
    EXPECT_EQ(vellora::testing::readFile(QDir(newDir).filePath(QStringLiteral("L0000002.WAV"))), QByteArray(5000, 'w'));
    EXPECT_FALSE(s.state().SavingSuspended);
    EXPECT_FALSE(QFileInfo::exists(QDir(tmp.path()).filePath(QStringLiteral("workspac/tempLESN"))));
    EXPECT_EQ(s.form().LesnTable->recordCount(), 2);
}

// A cancelled chooser and a file not named lesn.lsn: ExportTest.SelectorCancelledDoesNothing
// and ImportTest.OnlyAFileNamedLesnLsnIsTakenAndCancelDoesNothing.

TEST(ExchangeMenu, DamagedPackageLeavesTheStoreAsItWas) {
    TempDir tmp;
    TempDir disk;
    LessonSession s(tmp.path());
    s.form().FormActivate();
    s.life().FileNewClick();
    QFile bad(disk.file(QStringLiteral("lesn.lsn")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("PK\x03\x04 this is not really a zip archive at all");
    bad.close();
    s.dialogs.expectFile(bad.fileName());
    s.dialogs.expectContaining(MsgKind::Error, QString());
    s.menu(MenuItem::ImportFromDisk)->trigger();
    EXPECT_TRUE(s.dialogs.done());
    EXPECT_EQ(s.app->exchange()->lastOutcome().result, ExchangeOutcome::Result::Failed);
    EXPECT_EQ(s.form().LesnTable->recordCount(), 1);
    EXPECT_FALSE(s.state().SavingSuspended);
    EXPECT_EQ(QDir(QDir(tmp.path()).filePath(QStringLiteral("workspac"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("00000001")});
}
