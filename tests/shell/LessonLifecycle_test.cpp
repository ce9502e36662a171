// A lesson's life through the program's own windows: made, typed, saved,
// opened again, deleted, and exported and imported through the menu.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "ColorGrid.h"
#include "Database.h"
#include "DirectorySelector.h"
#include "Domains.h"
#include "ExchangeCommands.h"
#include "ExchangeTexts.h"
#include "HelpWindow.h"
#include "LessonDialogs.h"
#include "LessonSession.h"
#include "LessonTexts.h"
#include "StoreError.h"
#include "TTitleScreen.h"
#include "Table.h"
#include "TestFiles.h"
#include "TextCodes.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

QString lessonDir(const TempDir& tmp, const char* name) {
    return tmp.file(QStringLiteral("workspac/") + QLatin1String(name));
}

// The lesson row as another connection sees it: what was really written.
struct StoredLesson {
    std::unique_ptr<Database> db;
    std::unique_ptr<Table> t;
    StoredLesson(const TempDir& tmp, qint64 number) {
        db = std::make_unique<Database>(tmp.file(QStringLiteral("db")), Database::Mode::ReadOnly);
        t = std::make_unique<Table>(*db, TableId::Lesn, true);
        found = t->findKey(number);
    }
    bool found = false;
    qint64 i(const char* f) const { return t->asInteger(QLatin1String(f)); }
    QString s(const char* f) const { return t->asString(QLatin1String(f)); }
};

int rowsWith(Database& db, TableId id, const char* field, qint64 value) {
    return Query(db, id, QLatin1String(field), value).recordCount();
}

qint64 addPage(TMainForm& f, qint64 lesson, int number, int type, int words, int choices) {
    f.PageTable->append();
    f.PageTable->setInteger(QStringLiteral("LesnRegNum"), lesson);
    f.PageTable->setInteger(QStringLiteral("PageNumber"), number);
    f.PageTable->setInteger(QStringLiteral("PageType"), type);
    f.PageTable->post();
    const qint64 key = f.PageTable->key();
    for (int w = 1; w <= words; ++w) {
        f.WurdTable->append();
        f.WurdTable->setInteger(QStringLiteral("PageRegNum"), key);
        f.WurdTable->setInteger(QStringLiteral("WurdNumber"), w);
        f.WurdTable->setString(QStringLiteral("WText"), QStringLiteral("word"));
        f.WurdTable->post();
    }
    for (int c = 1; c <= choices; ++c) {
        f.ChoiceTable->append();
        f.ChoiceTable->setInteger(QStringLiteral("PageRegNum"), key);
        f.ChoiceTable->post();
    }
    return key;
}

// Answers the open dialog with lesson `number`, checking what it shows.
std::function<int(QObject*)> chooseLesson(qint64 number) {
    return [number](QObject* o) {
        auto* dlg = qobject_cast<TDlgOpenLesson*>(o);
        EXPECT_NE(dlg, nullptr);
        EXPECT_TRUE(dlg->selectLesson(number));
        EXPECT_EQ(dlg->LRegNum->text(), QString::number(number));
        return int(QDialog::Accepted);
    };
}

// A session in a data directory of its own.
struct Session : ::testing::Test {
    TempDir tmp;
    LessonSession s{tmp.path()};
};
using FileNew = Session;

}  // namespace

TEST_F(FileNew, MakesLessonOneWithItsDirectoryAndEveryDefault) {
    TMainForm& f = s.form();
    TTitleScreen& t = s.title();
    s.menu(MenuItem::FileNew)->trigger();

    EXPECT_TRUE(s.state().LessonOpen);
    EXPECT_EQ(s.state().LesnRegNum, 1);
    EXPECT_TRUE(QFileInfo(lessonDir(tmp, "00000001")).isDir());
    EXPECT_EQ(s.state().DirPath, lessonDir(tmp, "00000001"));
    EXPECT_EQ(s.state().CurrentDomain, 2);
    EXPECT_TRUE(t.isVisible());
    EXPECT_EQ(f.editPages->text(), QStringLiteral("0"));
    EXPECT_EQ(s.state().PageCount, 0);
    EXPECT_EQ(s.state().LastReadingPage, -1);
    EXPECT_EQ(s.state().LastQuestionPage, -1);

    const QString year = QString::number(QDate::currentDate().year());
    const std::pair<const char*, QString> texts[] = {
        {"Title", QStringLiteral("Untitled")},
        {"AuthorFirst", QStringLiteral("First")},
        {"AuthorMiddle", QStringLiteral("M.")},
        {"AuthorLast", QStringLiteral("Last")},
        {"CopyRYear", year},
        {"CopyRHolder", QStringLiteral("Copyright Holder")},
        {"CopyRLocation", QStringLiteral("City, Country")},
        {"Objective", QStringLiteral("Lesn")},
    };
    // The defaults are stored, and the title screen shows them.
    StoredLesson r(tmp, 1);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.i("DataVersion"), 12);
    EXPECT_EQ(r.i("Pages"), 0);
    for (const auto& [field, text] : texts) {
        EXPECT_EQ(r.s(field), text) << field;
        EXPECT_EQ(t.fieldText(QLatin1String(field)), text) << field;
    }
    EXPECT_EQ(r.s("DirPath"), lessonDir(tmp, "00000001"));

    // A second new lesson saves the first and takes the next number.
    typeInto(t.memTitle, QStringLiteral("First book"));
    s.life().FileNewClick();
    EXPECT_EQ(s.state().LesnRegNum, 2);
    EXPECT_TRUE(QFileInfo(lessonDir(tmp, "00000002")).isDir());
    EXPECT_EQ(t.fieldText(QStringLiteral("Title")), QStringLiteral("Untitled"));
    EXPECT_EQ(StoredLesson(tmp, 1).s("Title"), QStringLiteral("First book"));
}

TEST_F(FileNew, ADirectoryThatCannotBeMadeLeavesNoLessonBehind) {
    s.form().FormActivate();
    {  // a plain file where the lesson store should be
        QFile block(tmp.file(QStringLiteral("workspac")));
        ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    }
    s.dialogs.expectContaining(MsgKind::Error, QStringLiteral("could not be made"));
    s.life().FileNewClick();
    EXPECT_FALSE(s.state().LessonOpen);
    EXPECT_EQ(s.state().LesnRegNum, 0);
    EXPECT_TRUE(s.state().DirPath.isEmpty());
    EXPECT_EQ(s.form().LesnTable->recordCount(), 0);
    EXPECT_EQ(s.state().CurrentDomain, 0);
    EXPECT_FALSE(s.title().isVisible());

    // Once the way is clear, making a lesson works; numbers are never reused.
    QFile::remove(tmp.file(QStringLiteral("workspac")));
    s.life().FileNewClick();
    EXPECT_TRUE(s.state().LessonOpen);
    EXPECT_EQ(s.state().LesnRegNum, 2);
    EXPECT_TRUE(QFileInfo(lessonDir(tmp, "00000002")).isDir());
    EXPECT_EQ(s.form().LesnTable->recordCount(), 1);
}

TEST_F(FileNew, StaleLessonFoldersArePassedOverAndKeptAsTheyAre) {
    s.form().FormActivate();
    struct Case {
        std::vector<const char*> stale;
        qint64 expected;
    } cases[] = {{{"00000001"}, 2}, {{"00000003", "00000004"}, 5}};
    for (const Case& c : cases) {
        for (const char* name : c.stale) {
            QDir().mkpath(lessonDir(tmp, name));
            writeFile(QDir(lessonDir(tmp, name)).filePath(QStringLiteral("P0000001.BMP")), name);
        }
        s.dialogs.expectContaining(MsgKind::Information,
                                   QStringLiteral("A Lesn folder that no Lesn uses"));
        s.life().FileNewClick();
        EXPECT_TRUE(s.state().LessonOpen);
        EXPECT_EQ(s.state().LesnRegNum, c.expected);
        EXPECT_EQ(s.state().DirPath, s.life().LessonDirectory(c.expected));
        EXPECT_TRUE(QDir(s.state().DirPath).isEmpty());
        for (const char* name : c.stale) {
            EXPECT_EQ(QDir(lessonDir(tmp, name)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                      QStringList{QStringLiteral("P0000001.BMP")});
            EXPECT_EQ(readFile(QDir(lessonDir(tmp, name)).filePath(QStringLiteral("P0000001.BMP"))),
                      QByteArray(name));
        }
    }
    // Passed over for good: the next lesson is told nothing.
    s.life().FileNewClick();
    EXPECT_EQ(s.state().LesnRegNum, 6);
}

// What the author types and styles on the title page is stored by Save and
// comes back when the lesson is opened in the next run.
TEST(FileSave, TypedTextsAndTitleStylesSurviveSaveClosingAndReopening) {
    TempDir tmp;
    const std::pair<const char*, QString> stored[] = {
        {"Title", QStringLiteral("Rivers\nand Seas")},
        {"AuthorFirst", QStringLiteral("Ada")},
        {"AuthorMiddle", QString()},
        {"AuthorLast", QStringLiteral("Lovelace")},
        {"CopyRHolder", QStringLiteral("The Analytical Society")},
        {"CopyRLocation", QStringLiteral("London, England")},
        {"Objective", QStringLiteral("Learn the rivers")},
    };
    {
        LessonSession s(tmp.path());
        s.life().FileNewClick();
        TMainForm& f = s.form();
        TTitleScreen& t = s.title();
        s.attributes().btnStyleClick();
        ASSERT_TRUE(f.pnlSetStyle->isVisible());
        QTest::mouseClick(f.Bold, Qt::LeftButton, {}, QPoint(5, f.Bold->height() / 2));
        QTest::mouseClick(f.Underline, Qt::LeftButton, {}, QPoint(5, f.Underline->height() / 2));
        s.attributes().btnColor1Click();
        ASSERT_TRUE(f.pnlColor->isVisible());
        QTest::mouseClick(f.ColorGrid1, Qt::LeftButton, {},
                          f.ColorGrid1->cellRect(kColorTeal).center());
        s.life().FileSaveClick();
        EXPECT_EQ(StoredLesson(tmp, 1).i("TitleFontStyle"), 101);
        EXPECT_EQ(StoredLesson(tmp, 1).i("TitleFontColor"), 6);
        // Saving reads the styles without touching the style boxes.
        EXPECT_TRUE(f.Bold->isChecked());
        EXPECT_TRUE(f.Underline->isChecked());

        typeInto(t.memTitle, QStringLiteral("Rivers"));
        QTest::keyClick(t.memTitle, Qt::Key_Return);
        QTest::keyClicks(t.memTitle, QStringLiteral("and Seas"));
        // The names field keeps no more than its 20 characters.
        typeInto(t.DBeditFirst, QStringLiteral("Adaaaaaaaaaaaaaaaaaaaaaaaaaaa"));
        EXPECT_EQ(t.DBeditFirst->text().size(), 20);
        typeInto(t.DBeditFirst, QStringLiteral("Ada"));
        typeInto(t.DBeditMiddle, QString());
        QTest::keyClick(t.DBeditMiddle, Qt::Key_Backspace);
        typeInto(t.DBeditLast, QStringLiteral("Lovelace"));
        typeInto(t.DBeditYear, QStringLiteral("18x43"));  // only digits get in
        typeInto(t.DBEditHolder, QStringLiteral("The Analytical Society"));
        typeInto(t.DBEditLocation, QStringLiteral("London, England"));
        typeInto(t.Objective, QStringLiteral("Learn the rivers"));

        // Typing edits the open record at once; the save writes it.
        EXPECT_EQ(f.LesnTable->asString(QStringLiteral("AuthorLast")), QStringLiteral("Lovelace"));
        EXPECT_EQ(f.LesnTable->state(), Table::State::Edit);
        EXPECT_EQ(StoredLesson(tmp, 1).s("AuthorLast"), QStringLiteral("Last"));
        EXPECT_EQ(t.windowTitle(), QStringLiteral("Rivers and Seas"));

        s.menu(MenuItem::FileSave)->trigger();
        StoredLesson r(tmp, 1);
        for (const auto& [field, text] : stored) EXPECT_EQ(r.s(field), text) << field;
        EXPECT_EQ(r.i("CopyRYear"), 1843);
        // Still editable after saving: typing goes on into the record.
        typeInto(t.DBeditMiddle, QStringLiteral("K."));
        EXPECT_EQ(f.LesnTable->state(), Table::State::Edit);
        EXPECT_EQ(f.LesnTable->asString(QStringLiteral("AuthorMiddle")), QStringLiteral("K."));
        typeInto(t.DBeditMiddle, QString());
        QTest::keyClick(t.DBeditMiddle, Qt::Key_Backspace);
    }
    LessonSession s(tmp.path());
    s.form().FormActivate();
    s.dialogs.expectDialog(QStringLiteral("DlgOpenLesson"), [](QObject* o) {
        auto* dlg = qobject_cast<TDlgOpenLesson*>(o);
        EXPECT_EQ(dlg->LRegNum->text(), QStringLiteral("1"));  // the first lesson is chosen
        EXPECT_EQ(dlg->DBMemoTitle->toPlainText(), QStringLiteral("Rivers\nand Seas"));
        EXPECT_EQ(dlg->DBMemoObjective->toPlainText(), QStringLiteral("Learn the rivers"));
        EXPECT_EQ(dlg->dbPages->text(), QStringLiteral("0"));
        EXPECT_EQ(dlg->editAuthor->text(), QStringLiteral("Ada  Lovelace"));
        return int(QDialog::Accepted);
    });
    s.menu(MenuItem::FileOpen)->trigger();
    EXPECT_TRUE(s.state().LessonOpen);
    EXPECT_EQ(s.state().CurrentDomain, 2);
    TTitleScreen& t = s.title();
    EXPECT_TRUE(t.isVisible());
    for (const auto& [field, text] : stored)
        EXPECT_EQ(t.fieldText(QLatin1String(field)), text) << field;
    EXPECT_EQ(t.fieldText(QStringLiteral("CopyRYear")), QStringLiteral("1843"));
    EXPECT_EQ(t.windowTitle(), QStringLiteral("Rivers and Seas"));
    EXPECT_EQ(s.form().windowTitle(), QStringLiteral("Rivers and Seas - Vellora (Beta 0.80)"));
    const QFont font = t.memTitle->font();
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.underline());
    EXPECT_FALSE(font.italic());
    EXPECT_EQ(t.memTitle->palette().color(QPalette::Text), QColor(0, 128, 128));
    EXPECT_EQ(font.family(), QStringLiteral("Arial"));  // the stored name, not the stand-in
}

// The lesson record is saved unless saving is suspended, and on exit even
// when the author stays.
TEST(FileSave, RefusedWhileSavingIsSuspendedAndDoneOnExit) {
    TempDir tmp;
    LessonSession s(tmp.path());
    s.life().FileNewClick();
    typeInto(s.title().memTitle, QStringLiteral("Changed"));
    s.state().SavingSuspended = true;
    EXPECT_FALSE(s.life().SaveLesnRecord());
    EXPECT_EQ(StoredLesson(tmp, 1).s("Title"), QStringLiteral("Untitled"));
    s.state().SavingSuspended = false;
    EXPECT_TRUE(s.life().SaveLesnRecord());
    EXPECT_EQ(StoredLesson(tmp, 1).s("Title"), QStringLiteral("Changed"));
    typeInto(s.title().DBEditHolder, QStringLiteral("Kept On Exit"));
    s.dialogs.expect(MsgKind::Confirmation, QStringLiteral("Exit Vellora?"), MsgAnswer::No);
    s.form().ShutDown();
    EXPECT_EQ(StoredLesson(tmp, 1).s("CopyRHolder"), QStringLiteral("Kept On Exit"));
}

TEST(FileOpen, DataVersionOtherThan12AsksAndOpensOnlyOnYes) {
    const std::pair<int, MsgAnswer> cases[] = {
        {12, MsgAnswer::No},
        {11, MsgAnswer::Yes},
        {13, MsgAnswer::No},
        {0, MsgAnswer::Yes},
    };
    for (const auto& [version, answer] : cases) {
        const bool opens = version == 12 || answer == MsgAnswer::Yes;
        TempDir tmp;
        LessonSession s(tmp.path());
        s.life().FileNewClick();
        s.life().FileNewClick();  // lesson 1 is saved and closed; lesson 2 is open
        TMainForm& f = s.form();
        ASSERT_TRUE(f.LesnTable->findKey(qint64(1)));
        f.LesnTable->edit();
        f.LesnTable->setInteger(QStringLiteral("DataVersion"), version);
        f.LesnTable->post();

        s.dialogs.expectDialog(QStringLiteral("DlgOpenLesson"), chooseLesson(1));
        if (version != 12)
            s.dialogs.expect(
                MsgKind::Warning,
                QStringLiteral("Vellora version is 12 and Lesson is version %1\rLesn may not run "
                               "normally or at all.\rTry to run anyway?")
                    .arg(version),
                answer);
        s.life().FileOpenClick();
        EXPECT_EQ(s.state().LessonOpen, opens) << version;
        if (opens) {
            EXPECT_EQ(s.state().LesnRegNum, 1);
            EXPECT_EQ(s.state().CurrentDomain, 2);
            // Saving marks the lesson with this program's version.
            s.life().SaveLesnRecord();
            EXPECT_EQ(StoredLesson(tmp, 1).i("DataVersion"), 12);
        } else {
            EXPECT_EQ(s.state().LesnRegNum, 0);
            EXPECT_EQ(s.state().CurrentDomain, 0);
            EXPECT_FALSE(s.title().isVisible());
            EXPECT_EQ(StoredLesson(tmp, 1).i("DataVersion"), version);
        }
    }
}

TEST(FileOpen, MissingLessonDirectoryShowsLessonNotFound) {
    TempDir tmp;
    {
        LessonSession s(tmp.path());
        s.life().FileNewClick();
        s.life().FileNewClick();
        ASSERT_TRUE(QDir(lessonDir(tmp, "00000001")).removeRecursively());
        s.dialogs.expectDialog(QStringLiteral("DlgOpenLesson"), chooseLesson(1));
        s.dialogs.expectDialog(QStringLiteral("LessonNotFound"), [&](QObject* o) {
            auto* dlg = qobject_cast<TLessonNotFound*>(o);
            EXPECT_EQ(dlg->lbTitle->text(), QStringLiteral("Untitled"));
            EXPECT_EQ(dlg->lbPath->text(), QDir::toNativeSeparators(lessonDir(tmp, "00000001")));
            return int(QDialog::Accepted);
        });
        s.life().FileOpenClick();
        EXPECT_FALSE(s.state().LessonOpen);
        EXPECT_EQ(s.state().CurrentDomain, 0);
        EXPECT_FALSE(s.title().isVisible());
        // Lesson 2 was saved before the attempt.
        EXPECT_EQ(StoredLesson(tmp, 2).i("DataVersion"), 12);
    }
    // The same through the command line.
    LessonSession s(tmp.path(), QStringLiteral("1"), [](ScriptedDialogs& d) {
        d.expectDialog(QStringLiteral("LessonNotFound"),
                       [](QObject*) { return int(QDialog::Accepted); });
    });
    s.form().FormActivate();
    EXPECT_FALSE(s.state().LessonOpen);
    EXPECT_EQ(s.state().CurrentDomain, 0);
}

TEST(FileOpen, NothingToOpenOrACancelledDialogChangesNothing) {
    TempDir tmp;
    LessonSession s(tmp.path());
    TDlgOpenLesson& dlg = *s.app->DlgOpenLesson();
    dlg.prepare();
    EXPECT_EQ(dlg.model->rowCount(), 0);
    EXPECT_TRUE(dlg.LRegNum->text().isEmpty());
    EXPECT_FALSE(dlg.OKBtn->isEnabled());
    s.dialogs.expectDialog(QStringLiteral("DlgOpenLesson"),
                           [](QObject*) { return int(QDialog::Accepted); });
    s.life().FileOpenClick();  // OK with no lesson: nothing happens
    EXPECT_FALSE(s.state().LessonOpen);

    s.life().FileNewClick();
    s.dialogs.expectDialog(QStringLiteral("DlgOpenLesson"),
                           [](QObject*) { return int(QDialog::Rejected); });
    s.life().FileOpenClick();
    EXPECT_TRUE(s.state().LessonOpen);
    EXPECT_EQ(s.state().LesnRegNum, 1);
    EXPECT_EQ(s.state().CurrentDomain, 2);
}

TEST(OpenLessonDialog, BrowsesLessonsInBatches) {
    TempDir tmp;
    LessonSession s(tmp.path());
    TMainForm& f = s.form();
    const int count = LessonListModel::kBatch * 2 + 50;
    {
        Database::Transaction tx(s.db());
        for (int i = 1; i <= count; ++i) {
            f.LesnTable->append();
            f.LesnTable->setString(QStringLiteral("Title"),
                                   QStringLiteral("Lesson %1\nsecond line").arg(i));
            f.LesnTable->setInteger(QStringLiteral("Pages"), i % 7);
            f.LesnTable->post();
        }
        tx.commit();
    }
    TDlgOpenLesson& dlg = *s.app->DlgOpenLesson();
    dlg.prepare();
    EXPECT_EQ(dlg.model->rowCount(), LessonListModel::kBatch);
    EXPECT_EQ(dlg.LRegNum->text(), QStringLiteral("1"));
    EXPECT_EQ(dlg.model->data(dlg.model->index(0), Qt::DisplayRole).toString(),
              QStringLiteral("1  Lesson 1"));
    EXPECT_EQ(dlg.dbPages->text(), QStringLiteral("1"));
    dlg.NavNext->click();
    EXPECT_EQ(dlg.LRegNum->text(), QStringLiteral("2"));
    EXPECT_EQ(dlg.dbPages->text(), QStringLiteral("2"));
    dlg.NavPrior->click();
    dlg.NavPrior->click();  // stays on the first
    EXPECT_EQ(dlg.LRegNum->text(), QStringLiteral("1"));
    dlg.NavLast->click();
    EXPECT_EQ(dlg.model->rowCount(), count);
    EXPECT_EQ(dlg.LRegNum->text(), QString::number(count));
    dlg.NavNext->click();  // stays on the last
    EXPECT_EQ(dlg.LRegNum->text(), QString::number(count));
    dlg.NavFirst->click();
    EXPECT_EQ(dlg.LRegNum->text(), QStringLiteral("1"));
    // Stepping past the rows read so far reads the next batch.
    dlg.prepare();
    EXPECT_TRUE(dlg.selectLesson(LessonListModel::kBatch));
    dlg.NavNext->click();
    EXPECT_EQ(dlg.LRegNum->text(), QString::number(LessonListModel::kBatch + 1));
    EXPECT_FALSE(dlg.selectLesson(count + 1));
    // Refresh sees a lesson deleted meanwhile and keeps the choice.
    ASSERT_TRUE(f.LesnTable->findKey(qint64(2)));
    f.LesnTable->remove();
    dlg.prepare(3);
    EXPECT_EQ(dlg.LRegNum->text(), QStringLiteral("3"));
    EXPECT_EQ(dlg.model->keyAt(1), 3);
    dlg.HelpBtn->click();
    EXPECT_EQ(s.app->Help()->currentTopic(), kHelpOpenLesson);
}

TEST(MediaFileName, NamesEveryMediaFileOfTheLesson) {
    TempDir tmp;
    LessonSession s(tmp.path());
    s.state().LesnRegNum = 12;
    s.state().PageRegNum = 45;
    s.life().setWurdRegNumSource([](int index) { return index == 3 ? 517 : 0; });
    s.life().setChoiceRegNumSource([](int index) { return qint64(300 + index); });
    const QString base = lessonDir(tmp, "00000012") + QLatin1Char('/');
    struct Case {
        int domain, index;
        const char* file;
    };
    const Case cases[] = {
        {1, 0, "B0000012.BMP"},  {2, 0, "L0000012.WAV"},  {9, 0, "P0000045.BMP"},
        {16, 0, "P0000045.BMP"}, {10, 0, "V0000045.WAV"}, {17, 0, "V0000045.WAV"},
        {11, 0, "T0000045.WAV"}, {13, 0, "T0000045.WAV"}, {18, 0, "T0000045.WAV"},
        {12, 3, "W0000517.WAV"}, {20, 2, "C0000302.WAV"}, {21, 4, "R0000304.WAV"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.life().MediaFileName(c.domain, c.index), base + QLatin1String(c.file))
            << c.domain;

    for (int domain : {0, 3, 4, 5, 6, 7, 8, 14, 15, 19, 22, 23, -1}) {
        s.dialogs.expect(MsgKind::Information,
                         QStringLiteral("Requested media domain is %1").arg(domain));
        s.dialogs.expect(MsgKind::Error,
                         QStringLiteral("Media file not made for %1, 3").arg(domain));
        EXPECT_TRUE(s.life().MediaFileName(domain, 3).isEmpty()) << domain;
    }
    // A word the page does not have has no file either.
    s.dialogs.expect(MsgKind::Error, QStringLiteral("Media file not made for 12, 7"));
    EXPECT_TRUE(s.life().MediaFileName(12, 7).isEmpty());
}

// Without a lesson the page commands offer to make one (declining it:
// Transitions.WithoutALessonContinueAndDomainRequestsOfferOne).
TEST(PageNew, MakesALessonOnYesThenAsksForThePageAfterTheLast) {
    TempDir tmp;
    LessonSession s(tmp.path());
    s.form().FormActivate();
    s.dialogs.expect(MsgKind::Confirmation, texts::kCreateNewLesn, MsgAnswer::Yes);
    s.life().New1Click();
    EXPECT_TRUE(s.state().LessonOpen);
    EXPECT_EQ(s.state().CurrentDomain, 2);

    FakePages pages(s.form(), s.state());
    s.state().PageCount = 4;
    s.menu(MenuItem::PageNew)->trigger();
    ASSERT_FALSE(pages.changes.empty());
    EXPECT_EQ(pages.changes.back(), std::make_pair(5, 9));
    EXPECT_EQ(pages.newPageOffers, 1);
}

// ---- Deleting a lesson: its directory first, then all of its rows or none.

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

int rowsOfLesson(Database& db, const LessonWithPages& l) {
    int n =
        rowsWith(db, TableId::Lesn, "LesnRegNum", 1) + rowsWith(db, TableId::Page, "LesnRegNum", 1);
    for (qint64 p : l.pages)
        if (p)
            n += rowsWith(db, TableId::Wurd, "PageRegNum", p) +
                 rowsWith(db, TableId::Choice, "PageRegNum", p);
    return n;
}

auto confirmDelete(bool ok) {
    return [ok](QObject* o) {
        auto* dlg = qobject_cast<TNotifyDeleteLesson*>(o);
        EXPECT_EQ(dlg->lbTitle->text(), QStringLiteral("Untitled"));
        return int(ok ? QDialog::Accepted : QDialog::Rejected);
    };
}

using FileDelete = Session;

}  // namespace

TEST_F(FileDelete, RemovesEveryRowOfTheLessonAndItsDirectory) {
    const LessonWithPages l = makeLessons(s);
    for (const char* name : {"L0000001.WAV", "P0000003.BMP", ".hidden"})
        writeFile(QDir(lessonDir(tmp, "00000001")).filePath(QLatin1String(name)), "data");
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

TEST_F(FileDelete, CancelOrNoLessonKeepsEverything) {
    s.dialogs.expectDialog(QStringLiteral("LessonNotFound"),
                           [](QObject*) { return int(QDialog::Accepted); });
    s.life().FileDeleteClick();
    EXPECT_TRUE(s.dialogs.done());

    const LessonWithPages l = makeLessons(s);
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(false));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 11);
    EXPECT_TRUE(QFileInfo(lessonDir(tmp, "00000001")).isDir());
    EXPECT_TRUE(s.state().LessonOpen);
}

// A directory that cannot be removed keeps every row; so does a failure among
// the rows, after the directory went. Asked again, the delete finishes the
// job, a page missing from the count reported and the rest still going.
TEST_F(FileDelete, AFailureKeepsEveryRowAndAskingAgainFinishesTheJob) {
    LessonWithPages l = makeLessons(s);
    ASSERT_TRUE(QDir().mkpath(lessonDir(tmp, "00000001/folder")));
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.dialogs.expectContaining(MsgKind::Error, QStringLiteral("could not be removed"));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 11);
    EXPECT_TRUE(QFileInfo(lessonDir(tmp, "00000001/folder")).isDir());

    ASSERT_TRUE(QDir(lessonDir(tmp, "00000001/folder")).removeRecursively());
    s.life().setPageDeletedObserver([](int page) {
        if (page == 2) throw StoreError(StoreError::Code::Io, QStringLiteral("disk I/O error"));
    });
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.dialogs.expectContaining(MsgKind::Error, QStringLiteral("disk I/O error"));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 11);  // none of page 1's rows went either
    EXPECT_FALSE(QFileInfo::exists(lessonDir(tmp, "00000001")));  // the directory went first
    EXPECT_TRUE(s.state().LessonOpen);

    s.life().setPageDeletedObserver(nullptr);
    l.pages[0] = addPage(s.form(), 1, 9, 0, 1, 0);  // beyond the count: still the lesson's
    s.state().PageCount = 4;                        // page 4 has no row
    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
    s.dialogs.expect(MsgKind::Information,
                     QStringLiteral("Words from Page 4 not deleted from database"));
    s.life().FileDeleteClick();
    EXPECT_EQ(rowsOfLesson(s.db(), l), 0);
}

// Lessons without pages go too; a damaged record that names a directory of
// other files, or none, never takes those files with it.
TEST_F(FileDelete, NeverDeletesFilesOutsideTheLessonStore) {
    s.life().FileNewClick();
    QDir().mkpath(tmp.file(QStringLiteral("workspac/tempLESN")));
    writeFile(tmp.file(QStringLiteral("workspac/tempLESN/LESN.ZIP")), QByteArray());
    for (const QString& stored :
         {tmp.file(QStringLiteral("precious")), QString(), QStringLiteral("/"),
          tmp.file(QStringLiteral("workspac/tempLESN"))}) {
        QDir().mkpath(tmp.file(QStringLiteral("precious")));
        writeFile(tmp.file(QStringLiteral("precious/keep.txt")), QByteArray());
        if (!s.state().LessonOpen) s.life().FileNewClick();
        s.state().DirPath = stored;
        s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), confirmDelete(true));
        s.life().FileDeleteClick();
        EXPECT_TRUE(QFile::exists(tmp.file(QStringLiteral("precious/keep.txt"))))
            << stored.toStdString();
        EXPECT_TRUE(QFile::exists(tmp.file(QStringLiteral("workspac/tempLESN/LESN.ZIP"))))
            << stored.toStdString();
        EXPECT_EQ(s.form().LesnTable->recordCount(), 0);
    }
    EXPECT_EQ(QDir(tmp.file(QStringLiteral("workspac")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("tempLESN")});
}

// ---- The export destination, and import through the menu (the menu's
// export and import of a lesson: EndToEnd_test).

TEST(ExchangeMenu, DamagedPackageLeavesTheStoreAsItWas) {
    TempDir tmp;
    TempDir disk;
    LessonSession s(tmp.path());
    s.life().FileNewClick();
    writeFile(disk.file(QStringLiteral("lesn.lsn")),
              "PK\x03\x04 this is not really a zip archive at all");
    s.dialogs.expectFile(disk.file(QStringLiteral("lesn.lsn")));
    s.dialogs.expectContaining(MsgKind::Error, QString());
    s.menu(MenuItem::ImportFromDisk)->trigger();
    EXPECT_TRUE(s.dialogs.done());
    EXPECT_EQ(s.app->exchange()->lastOutcome().result, ExchangeOutcome::Result::Failed);
    EXPECT_EQ(s.form().LesnTable->recordCount(), 1);
    EXPECT_FALSE(s.state().SavingSuspended);
    EXPECT_EQ(
        QDir(tmp.file(QStringLiteral("workspac"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
        QStringList{QStringLiteral("00000001")});
    // Neither a failed import nor an export given up at its chooser leaves
    // the status line asking for a directory.
    const QString hint = DomainHint(s.state().CurrentDomain);
    EXPECT_EQ(s.form().pnlStatus->text().toStdString(), hint.toStdString());
    s.dialogs.expectDialog(QStringLiteral("DirectorySelector"),
                           [](QObject*) { return int(QDialog::Rejected); });
    s.menu(MenuItem::ExportToDisk)->trigger();
    EXPECT_EQ(s.app->exchange()->lastOutcome().result, ExchangeOutcome::Result::Cancelled);
    EXPECT_EQ(s.form().pnlStatus->text().toStdString(), hint.toStdString());
}

TEST(DirectorySelector, OnlyAnAcceptedDirectoryIsChosen) {
    TempDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("disk/lessons")));
    writeFile(tmp.file(QStringLiteral("disk/readme.txt")), QByteArray());
    const QString disk = tmp.file(QStringLiteral("disk"));

    TDirectorySelector chooser;
    ScriptedDialogs dialogs;
    dialogs.expectDialog(QStringLiteral("DirectorySelector"), [&](QObject* o) {
        auto* d = static_cast<TDirectorySelector*>(o);
        EXPECT_FALSE(d->ExportDirChosen);
        EXPECT_EQ(d->directory(), QDir(disk).absolutePath());
        EXPECT_EQ(d->DirectoryListBox1->item(0)->text(), QStringLiteral(".."));
        EXPECT_EQ(d->DirectoryListBox1->item(1)->text(), QStringLiteral("lessons"));
        EXPECT_EQ(d->FileListBox1->count(), 1);
        EXPECT_EQ(d->lbFullExportPath->text(), ShortenedPath(d->directory()));
        EXPECT_GT(d->DriveComboBox1->count(), 0);
        // Into "lessons", then back up and in again.
        emit d->DirectoryListBox1->itemActivated(d->DirectoryListBox1->item(1));
        EXPECT_TRUE(d->directory().endsWith(QStringLiteral("/disk/lessons")));
        EXPECT_EQ(d->FileListBox1->count(), 0);
        emit d->DirectoryListBox1->itemActivated(d->DirectoryListBox1->item(0));
        EXPECT_EQ(d->directory(), QDir(disk).absolutePath());
        d->setDirectory(QDir(disk).filePath(QStringLiteral("lessons")));
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(chooser.Choose(dialogs, disk));
    EXPECT_TRUE(chooser.ExportDirChosen);
    EXPECT_TRUE(chooser.directory().endsWith(QStringLiteral("/disk/lessons")));

    dialogs.expectDialog(QStringLiteral("DirectorySelector"),
                         [](QObject*) { return int(QDialog::Rejected); });
    EXPECT_FALSE(chooser.Choose(dialogs, disk));
    EXPECT_FALSE(chooser.ExportDirChosen);

    // A start that does not exist begins at home.
    dialogs.expectDialog(QStringLiteral("DirectorySelector"), [](QObject* o) {
        EXPECT_EQ(static_cast<TDirectorySelector*>(o)->directory(), QDir::homePath());
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(chooser.Choose(dialogs, tmp.file(QStringLiteral("missing"))));
}
