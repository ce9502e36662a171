#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QTest>

#include "Screenshot.h"
#include "Application.h"
#include "Controls.h"
#include "HandleDataBase.h"
#include "LessonLifecycle.h"
#include "LessonTexts.h"
#include "Rescale.h"
#include "ScriptedDialogs.h"
#include "ShellTexts.h"
#include "SharedFiles.h"
#include "ShellWindows.h"
#include "StoreError.h"
#include "TFrame.h"
#include "TMainForm.h"
#include "Table.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "Texts.h"
#include "WaveFile.h"

using namespace vellora;
using vellora::testing::ScriptedDialogs;
using vellora::testing::TempDir;
using vellora::testing::readFile;
using vellora::testing::writeFile;

namespace {

using vellora::testing::saveScreenshot;

// Starts the program in a fresh data directory, answering Yes to creating the
// database.
struct Started {
    TempDir tmp;
    ScriptedDialogs dialogs;
    std::unique_ptr<Application> app;
    explicit Started(const QString& lesson = QString()) {
        dialogs.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::Yes, texts::kInvalidDatabase);
        app = std::make_unique<Application>(tmp.path(), dialogs);
        EXPECT_TRUE(app->startUp(lesson));
    }
    TMainForm& form() { return *app->MainForm(); }
};

}  // namespace

TEST(StartUp, FreshDataDirectoryGetsDatabaseAndAQuietStartScreen) {
    Started s;
    EXPECT_TRUE(s.app->database().DataBaseOpen());
    for (const char* table : {"VELLO002.DB", "BPGQU002.DB", "BKWRD002.DB", "BKCHO002.DB"})
        EXPECT_TRUE(QFile::exists(QDir(s.tmp.path()).filePath(QStringLiteral("db/") + QLatin1String(table)))) << table;
    EXPECT_TRUE(QFile::exists(s.tmp.file(QStringLiteral("aliases.ini"))));

    TMainForm& f = s.form();
    EXPECT_EQ(f.editPage->text(), QStringLiteral("0"));
    EXPECT_EQ(f.editPages->text(), QStringLiteral("0"));
    EXPECT_FALSE(f.Gauge1->isVisibleTo(&f));
    for (QWidget* popup : {static_cast<QWidget*>(f.pnlColor), static_cast<QWidget*>(f.pnlSize),
                           static_cast<QWidget*>(f.FontCombo), static_cast<QWidget*>(f.BackPanel),
                           static_cast<QWidget*>(f.lbDomain), static_cast<QWidget*>(f.pnlSetStyle)})
        EXPECT_FALSE(popup->isVisibleTo(&f)) << popup->objectName().toStdString();
    EXPECT_EQ(f.lbDomain->count(), 23);

    // The hosted windows live in the client panel and fill it.
    EXPECT_EQ(f.Util->parentWidget(), f.ClientOfMainScreen);
    EXPECT_EQ(f.Frame->size(), f.ClientOfMainScreen->size());

    s.app->show();
    QApplication::setActiveWindow(&f);
    QTest::qWait(20);
    f.FormActivate();
    EXPECT_EQ(s.app->state().CurrentDomain, 0);
    EXPECT_EQ(f.editDomain->text(), QStringLiteral("Start"));
    EXPECT_EQ(f.pnlStatus->text(), QStringLiteral("Click on File to Open an existing LESN or start a New LESN"));
    saveScreenshot(&f, QStringLiteral("main-window-start.png"));
}

TEST(StartUp, DecliningToCreateTheDatabaseEndsStartUpWithItsMessage) {
    TempDir tmp;
    ScriptedDialogs d;
    d.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::No, texts::kInvalidDatabase);
    d.expect(MsgKind::Error, texts::kCodeNotDone);
    Application a(tmp.path(), d);
    EXPECT_FALSE(a.startUp());
    EXPECT_FALSE(QFile::exists(tmp.file(QStringLiteral("db/VELLO002.DB"))));
}

// A second start finds the database without questions, unless a table file
// was damaged meanwhile: that is reported and the file kept as it is.
TEST(StartUp, SecondStartFindsTheDatabaseOrReportsADamagedTableFileAndKeepsIt) {
    TempDir tmp;
    {
        ScriptedDialogs d;
        d.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::Yes, texts::kInvalidDatabase);
        Application a(tmp.path(), d);
        ASSERT_TRUE(a.startUp());
    }
    {
        ScriptedDialogs d;  // no message expected
        Application a(tmp.path(), d);
        EXPECT_TRUE(a.startUp());
    }
    const QString page = tmp.file(QStringLiteral("db/BPGQU002.DB"));
    const QByteArray good = readFile(page);
    const std::pair<const char*, QByteArray> damages[] = {
        {"text file", "this is not a database\n"},
        {"truncated", good.left(good.size() / 2 + 100)},
        {"empty", QByteArray()},
    };
    for (const auto& [what, bytes] : damages) {
        writeFile(page, bytes);
        ScriptedDialogs d;
        d.expectContaining(MsgKind::Error, QStringLiteral("BPGQU002.DB is damaged or is not a lesson table"));
        Application a(tmp.path(), d);
        EXPECT_FALSE(a.startUp()) << what;
        EXPECT_EQ(readFile(page), bytes) << what << ": the damaged file was changed";
    }
}

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

TEST(MainWindow, ScreenSwitchingFollowsTheDomainGroups) {
    Started s;
    TMainForm& f = s.form();
    AppState& st = s.app->state();
    s.app->show();
    ASSERT_TRUE(st.DisplayEnabled);

    f.Icons(2);
    EXPECT_TRUE(st.TitleShown);
    EXPECT_TRUE(f.TitleScreen->isVisible());
    EXPECT_FALSE(f.Util->isVisible());
    f.SetCurrentPage(3);
    f.Icons(9);
    EXPECT_TRUE(st.FrameShown);
    EXPECT_FALSE(st.TitleShown);
    EXPECT_TRUE(f.Frame->isVisible());
    EXPECT_EQ(st.CurrentPage, 3);
    f.Icons(3);  // title turned on again: page number becomes 0
    EXPECT_EQ(f.editPage->text(), QStringLiteral("0"));
    f.SetCurrentPage(2);
    f.Icons(4);  // already shown: the page number stays
    EXPECT_EQ(st.CurrentPage, 2);
    f.Icons(0);
    EXPECT_FALSE(st.TitleShown);
    EXPECT_FALSE(st.FrameShown);
    EXPECT_TRUE(f.Util->isVisible());
    EXPECT_EQ(st.CurrentPage, 0);

    // Nothing switches while the display is disabled.
    st.DisplayEnabled = false;
    f.Icons(9);
    EXPECT_FALSE(st.FrameShown);
}

TEST(MainWindow, CleanUpHidesEveryPopup) {
    Started s;
    TMainForm& f = s.form();
    s.app->show();
    QWidget* popups[] = {f.pnlColor, f.pnlSize, f.lbDomain, f.pnlSetStyle, f.BackPanel, f.FontCombo,
                         f.Frame->SelectJump1Page, f.Frame->SelectJump2Page};
    for (QWidget* w : popups) w->show();
    f.CleanUp();
    for (QWidget* w : popups) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(f.pnlSetStyle->isEnabled());
    EXPECT_FALSE(s.app->state().CleaningUp);
}

TEST(MainWindow, ResizeScalesControlsOnlyAfterTheFirstDomain) {
    Started s;
    TMainForm& f = s.form();
    QWidget* central = f.centralWidget();
    const QRect before = f.BtnNext->geometry();
    f.resize(f.width() * 2, f.height());
    QApplication::processEvents();
    EXPECT_FALSE(s.app->state().ResizeEnabled);
    EXPECT_EQ(f.BtnNext->geometry(), before);  // no domain entered yet

    s.app->show();
    f.FormActivate();  // enters the first domain; the layout catches up with the wider window
    EXPECT_TRUE(s.app->state().ResizeEnabled);
    EXPECT_EQ(f.BtnNext->geometry(), scaleRect(before, TMainForm::kDesignWidth, TMainForm::kDesignHeight,
                                               central->width(), central->height()));
    const int w0 = central->width(), h0 = central->height();
    const QRect next = f.BtnNext->geometry();
    f.resize(f.width() + w0, f.height() + h0);  // twice the client size
    QApplication::processEvents();
    EXPECT_EQ(central->width(), 2 * w0);
    EXPECT_EQ(f.BtnNext->geometry(), scaleRect(next, w0, h0, 2 * w0, 2 * h0));
    EXPECT_EQ(f.Frame->size(), f.ClientOfMainScreen->size());
    EXPECT_EQ(s.app->state().BaseWidth, 2 * w0);
    EXPECT_EQ(f.editDomain->font().pointSize(), StatusFontSize(2 * h0));

    f.resize(40, 60);  // a tiny window still gives readable status text
    QApplication::processEvents();
    EXPECT_EQ(f.BtnBack->font().pointSize(), 5);
}

TEST(MainWindow, StatusLineAndGauge) {
    Started s;
    TMainForm& f = s.form();
    f.Status(QStringLiteral("Spanning:"), QStringLiteral("LESN.ZIP"), 27);
    EXPECT_EQ(f.pnlStatus->text(), QStringLiteral("Spanning: Zipping file \" LESN.ZIP"));
    f.Status(QStringLiteral("Printing page 3."), QString(), 40);  // an id without text
    EXPECT_EQ(f.pnlStatus->text(), QStringLiteral("Printing page 3.  "));
    f.ShowProgress(true, 40);
    EXPECT_TRUE(f.Gauge1->isVisibleTo(&f));
    EXPECT_EQ(f.Gauge1->progress(), 40);
    f.ShowProgress(true, 140);
    EXPECT_EQ(f.Gauge1->progress(), 100);
    f.ShowProgress(false, 0);
    EXPECT_FALSE(f.Gauge1->isVisibleTo(&f));
}

TEST(MainWindow, ShutDownAsksAndSavesFirst) {
    struct Case {
        bool lessonOpen;
        bool saveSucceeds;
        const QString* question;
        MsgAnswer answer;
        bool closes;
    };
    const Case cases[] = {
        {false, true, &texts::kExitVellora, MsgAnswer::Yes, true},
        {false, true, &texts::kExitVellora, MsgAnswer::No, false},
        {true, true, &texts::kExitVellora, MsgAnswer::Yes, true},
        {true, false, &texts::kNotSaved, MsgAnswer::Yes, true},
        {true, false, &texts::kNotSaved, MsgAnswer::No, false},
    };
    for (const auto& c : cases) {
        Started s;
        TMainForm& f = s.form();
        s.app->show();
        int saves = 0;
        f.addSaver([&] {
            ++saves;
            return c.saveSucceeds;
        });
        if (c.lessonOpen) s.app->lifecycle()->FileNewClick();  // a real lesson, so its own record saves
        ASSERT_EQ(s.app->state().LessonOpen, c.lessonOpen);
        bool terminated = false;
        QObject::connect(&f, &TMainForm::terminated, [&] { terminated = true; });
        s.dialogs.expect(MsgKind::Confirmation, *c.question, c.answer);
        f.ShutDown();
        EXPECT_EQ(terminated, c.closes);
        EXPECT_EQ(s.app->state().Closing, c.closes);
        EXPECT_EQ(saves, c.lessonOpen ? 1 : 0);
        if (!c.closes && c.question == &texts::kExitVellora) {
            // Declining leaves the screen switching off until the next click.
            EXPECT_FALSE(s.app->state().DisplayEnabled);
            QTest::mouseClick(f.centralWidget(), Qt::LeftButton, {}, QPoint(300, 5));
            EXPECT_TRUE(s.app->state().DisplayEnabled);
        }
    }
}

TEST(MainWindow, ClosingTheWindowGoesThroughTheExitDialogue) {
    Started s;
    TMainForm& f = s.form();
    s.app->show();
    s.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::No);
    f.close();
    EXPECT_TRUE(f.isVisible());
    s.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::Yes);
    f.close();
    EXPECT_FALSE(f.isVisible());
}

TEST(MainWindow, RightButtonActsAsContinue) {
    Started s;
    TMainForm& f = s.form();
    s.app->show();
    int continues = 0;
    QObject::connect(&f, &TMainForm::continueRequested, [&] { ++continues; });
    // Continue with no lesson open offers to make one.
    for (int i = 0; i < 3; ++i) {
        s.dialogs.expect(MsgKind::Confirmation, texts::kCreateNewLesn, MsgAnswer::No);
        s.dialogs.expect(MsgKind::Information, texts::kNoLesnFound);
    }
    QTest::mouseClick(f.ClientOfMainScreen, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseClick(f.Util, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseClick(f.TitleScreen, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(continues, 3);
    QTest::mouseClick(f.Util, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(continues, 3);
}

TEST(MainWindow, CommandLineLessonIsOpenedOnceWhenItExists) {
    struct Case {
        QString argument;
        bool opens;
    };
    for (const auto& c : {Case{QStringLiteral("1"), true}, Case{QStringLiteral("2"), false},
                          Case{QStringLiteral("abc"), false}, Case{QString(), false}}) {
        Started s(c.argument);
        TMainForm& f = s.form();
        f.LesnTable->append();
        f.LesnTable->setInteger(QStringLiteral("DataVersion"), AppState::ProgramDataVersion);
        f.LesnTable->post();  // lesson 1, with its directory
        QDir().mkpath(s.tmp.file(QStringLiteral("workspac/00000001")));
        QList<qint64> opened;
        QObject::connect(&f, &TMainForm::openLessonRequested, [&](qint64 n) { opened << n; });
        s.app->show();
        f.FormActivate();
        f.FormActivate();  // a dialog closing activates the window again
        EXPECT_EQ(opened, c.opens ? QList<qint64>{1} : QList<qint64>{}) << c.argument.toStdString();
        EXPECT_EQ(f.editDomain->text(), c.opens ? QStringLiteral("Title") : QStringLiteral("Start"));
        EXPECT_EQ(s.app->state().LessonOpen, c.opens);
    }
}

TEST(CommandLine, Parsing) {
    struct Case {
        QStringList args;
        QString dataDir, printPdf, play, lesson;
        bool error;
    };
    const QString v = QStringLiteral("vellora");
    const Case cases[] = {
        {{v, "--data-dir", "/tmp/x", "12"}, "/tmp/x", "", "", "12", false},
        {{v, "--bogus"}, "", "", "", "", true},
        {{v, "--print-pdf", "out.pdf", "3"}, "", "out.pdf", "", "3", false},
        {{v, "--play", "4"}, "", "", "4", "", false},
        {{v, "--print-pdf", "out.pdf"}, "", "out.pdf", "", "", true},
        {{v, "--print-pdf"}, "", "", "", "", true},
        {{v, "--play", "4", "--print-pdf", "out.pdf", "3"}, "", "out.pdf", "4", "3", true},
    };
    for (const Case& c : cases) {
        const CommandLine cmd = parseCommandLine(c.args);
        const std::string at = c.args.join(' ').toStdString();
        if (!c.dataDir.isEmpty()) {
            EXPECT_EQ(cmd.dataDir, c.dataDir) << at;
        }
        EXPECT_EQ(QStringList({cmd.printPdf, cmd.play, cmd.lesson}), QStringList({c.printPdf, c.play, c.lesson})) << at;
        EXPECT_EQ(!cmd.error.isEmpty(), c.error) << at;
    }
    EXPECT_TRUE(parseCommandLine({v, "--play", "4", "--print-pdf", "o.pdf", "3"}).error.contains("--play"));
    EXPECT_EQ(defaultProgramDir(QStringLiteral("/tmp/a/../b/")), QStringLiteral("/tmp/b"));
}

TEST(Rescale, StatusFontSizeAndEdges) {
    struct Case {
        int height, size;
    };
    for (const auto& c : {Case{404, 8}, Case{375, 8}, Case{325, 6}, Case{425, 8}, Case{475, 10}, Case{100, 5},
                          Case{0, 5}, Case{1000, 20}, Case{1024, 20}})
        EXPECT_EQ(StatusFontSize(c.height), c.size) << c.height;
    EXPECT_EQ(mulDiv(5, 3, 2), 8);    // 7.5 rounds up
    EXPECT_EQ(mulDiv(-5, 3, 2), -8);  // and away from zero below it
    EXPECT_EQ(mulDiv(7, 1, 0), 7);
    // Neighbours stay flush: the right edge of one is the left of the next.
    const QRect a(0, 0, 33, 10), b(33, 0, 34, 10);
    const QRect sa = scaleRect(a, 591, 404, 700, 500), sb = scaleRect(b, 591, 404, 700, 500);
    EXPECT_EQ(sa.left() + sa.width(), sb.left());
}
