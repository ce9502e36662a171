#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include "LessonSession.h"
#include "LessonTestHelpers.h"
#include "StoreError.h"
#include "TempDir.h"
#include "TestFiles.h"

// Deleting a lesson: its directory first, then all of its rows or none.

using namespace vellora;
using namespace vellora::testing;

namespace {

struct LessonWithPages {
    qint64 pages[4] = {};
    qint64 otherPage = 0;
};

// Lesson 1 with a reading page of 3 words, a question page of 4 choices and
// a reading page without words; lesson 2 with one page of 2 words.
LessonWithPages makeLessons(LessonSession& s) {
    LessonWithPages l;
    s.life().FileNewClick();
    s.life().FileNewClick();
    l.otherPage = addPage(s.form(), 2, 1, 0, 2, 0);
    s.state().PageCount = 1;
    s.life().SaveLesnRecord();
    s.dialogs.expectDialog(QStringLiteral("DlgOpenLesson"), chooseLesson(1));
    s.life().FileOpenClick();
    l.pages[1] = addPage(s.form(), 1, 1, 0, 3, 0);
    l.pages[2] = addPage(s.form(), 1, 2, 1, 0, 4);
    l.pages[3] = addPage(s.form(), 1, 3, 0, 0, 0);
    s.state().PageCount = 3;
    s.form().editPages->setText(QStringLiteral("3"));
    return l;
}

void putFiles(const QString& dir) {
    for (const char* name : {"L0000001.WAV", "P0000003.BMP", ".hidden"})
        writeFile(QDir(dir).filePath(QLatin1String(name)), "data");
}

int rowsOfLesson(Database& db, const LessonWithPages& l) {
    int n = rowsWith(db, TableId::Lesn, "LesnRegNum", 1) + rowsWith(db, TableId::Page, "LesnRegNum", 1);
    for (qint64 p : l.pages)
        if (p) n += rowsWith(db, TableId::Wurd, "PageRegNum", p) + rowsWith(db, TableId::Choice, "PageRegNum", p);
    return n;
}

auto confirmDelete(bool ok) {
    return [ok](QObject* o) {
        auto* dlg = qobject_cast<TNotifyDeleteLesson*>(o);
        EXPECT_EQ(dlg->lbTitle->text(), QStringLiteral("Untitled"));
        saveScreenshot(dlg, QStringLiteral("delete-lesson.png"));
        return int(ok ? QDialog::Accepted : QDialog::Rejected);
    };
}

struct FileDelete : ::testing::Test {
    TempDir tmp;
    LessonSession s{tmp.path()};
};

}  // namespace

TEST_F(FileDelete, RemovesEveryRowOfTheLessonAndItsDirectory) {
    const LessonWithPages l = makeLessons(s);
    putFiles(lessonDir(tmp, "00000001"));
    ASSERT_EQ(rowsOfLesson(s.db(), l), 1 + 3 + 3 + 4);
    QSignalSpy closing(&s.life(), &LessonLifecycle::closingMedia);

    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.menu(MenuItem::FileDelete)->trigger();

    EXPECT_EQ(rowsOfLesson(s.db(), l), 0);
    EXPECT_FALSE(QFileInfo::exists(lessonDir(tmp, "00000001")));
    EXPECT_GE(closing.count(), 1);  // the media player let go of the files first
    EXPECT_FALSE(s.state().LessonOpen);
    EXPECT_EQ(s.state().LesnRegNum, 0);
    EXPECT_EQ(s.state().PageCount, 0);
    EXPECT_EQ(s.form().editPages->text(), QStringLiteral("0"));
    EXPECT_EQ(s.state().CurrentDomain, 0);
    // The other lesson is untouched.
    EXPECT_EQ(rowsWith(s.db(), TableId::Lesn, "LesnRegNum", 2), 1);
    EXPECT_EQ(rowsWith(s.db(), TableId::Page, "LesnRegNum", 2), 1);
    EXPECT_EQ(rowsWith(s.db(), TableId::Wurd, "PageRegNum", l.otherPage), 2);
    EXPECT_TRUE(QFileInfo(lessonDir(tmp, "00000002")).isDir());
}

TEST_F(FileDelete, CancelKeepsEverything) {
    const LessonWithPages l = makeLessons(s);
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(false));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 11);
    EXPECT_TRUE(QFileInfo(lessonDir(tmp, "00000001")).isDir());
    EXPECT_TRUE(s.state().LessonOpen);
}

TEST_F(FileDelete, LessonWithoutPagesRemovesItsDirectoryAndRecord) {
    s.life().FileNewClick();
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.life().FileDeleteClick();
    EXPECT_EQ(s.form().LesnTable->recordCount(), 0);
    EXPECT_FALSE(QFileInfo::exists(lessonDir(tmp, "00000001")));
    EXPECT_TRUE(QFileInfo(tmp.file(QStringLiteral("workspac"))).isDir());
}

TEST_F(FileDelete, AMissingPageIsReportedAndTheRestStillGoes) {
    LessonWithPages l = makeLessons(s);
    l.pages[0] = addPage(s.form(), 1, 9, 0, 1, 0);  // beyond the count: still the lesson's
    s.state().PageCount = 4;                         // page 4 has no row
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.dialogs.expect(MsgKind::Information, QStringLiteral("Words from Page 4 not deleted from database"));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 0);
}

TEST_F(FileDelete, AFailureInTheMiddleKeepsEveryRow) {
    const LessonWithPages l = makeLessons(s);
    s.life().setPageDeletedObserver([](int page) {
        if (page == 2) throw StoreError(StoreError::Code::Io, QStringLiteral("disk I/O error"));
    });
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.dialogs.expectContaining(MsgKind::Error, QStringLiteral("disk I/O error"));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 11);  // none of page 1's rows went either
    EXPECT_FALSE(QFileInfo::exists(lessonDir(tmp, "00000001")));  // the directory went first
    EXPECT_TRUE(s.state().LessonOpen);

    // Asked again, the delete finishes the job.
    s.life().setPageDeletedObserver(nullptr);
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 0);
}

TEST_F(FileDelete, ADirectoryThatCannotBeRemovedKeepsTheRecords) {
    const LessonWithPages l = makeLessons(s);
    ASSERT_TRUE(QDir().mkpath(lessonDir(tmp, "00000001/folder")));
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.dialogs.expectContaining(MsgKind::Error, QStringLiteral("could not be removed"));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 11);
    EXPECT_TRUE(QFileInfo(lessonDir(tmp, "00000001/folder")).isDir());
}

TEST_F(FileDelete, NeverDeletesFilesOutsideTheLessonStore) {
    s.life().FileNewClick();
    // A damaged record names a directory of other files, and the working
    // directory when blank.
    QDir().mkpath(tmp.file(QStringLiteral("workspac/tempLESN")));
    QFile scratch(tmp.file(QStringLiteral("workspac/tempLESN/LESN.ZIP")));
    ASSERT_TRUE(scratch.open(QIODevice::WriteOnly));
    scratch.close();
    for (const QString& stored : {tmp.file(QStringLiteral("precious")), QString(), QStringLiteral("/"),
                                  tmp.file(QStringLiteral("workspac/tempLESN"))}) {
        QDir().mkpath(tmp.file(QStringLiteral("precious")));
        QFile keep(tmp.file(QStringLiteral("precious/keep.txt")));
        ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
        keep.close();
        if (!s.state().LessonOpen) s.life().FileNewClick();
        s.state().DirPath = stored;
        s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
        s.life().FileDeleteClick();
        EXPECT_TRUE(QFile::exists(tmp.file(QStringLiteral("precious/keep.txt")))) << stored.toStdString();
        EXPECT_TRUE(QFile::exists(tmp.file(QStringLiteral("workspac/tempLESN/LESN.ZIP")))) << stored.toStdString();
        EXPECT_EQ(s.form().LesnTable->recordCount(), 0);
    }
    EXPECT_EQ(QDir(tmp.file(QStringLiteral("workspac"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("tempLESN")});
}

TEST_F(FileDelete, NoLessonShowsLessonNotFound) {
    s.dialogs.expectDialog(QStringLiteral("LessonNotFound"), [](QObject*) { return int(QDialog::Accepted); });
    s.life().FileDeleteClick();
}
