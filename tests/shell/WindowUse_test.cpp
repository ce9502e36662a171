// The main window: start-up, screens, resizing, closing, its place on the
// screens and its keys.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include "Controls.h"
#include "DomainTable.h"
#include "Domains.h"
#include "LessonSession.h"
#include "Rescale.h"
#include "SharedFiles.h"
#include "ShellTexts.h"
#include "TestFiles.h"
#include "WaveFile.h"
#include "WindowPlace.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

// Dark pixels (an arrow) inside `area` of a picture of `w`.
int darkPixels(QWidget* w, const QRect& area) {
    const QImage image = w->grab().toImage();
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) dark += qGray(image.pixel(x, y)) < 100;
    return dark;
}

QSize designWindow(TMainForm& f) {
    return {TMainForm::kDesignWidth, TMainForm::kDesignHeight + f.menuBar()->sizeHint().height()};
}

void resizeClient(TMainForm& f, double scale) {
    const QSize design = designWindow(f);
    f.resize(qRound(design.width() * scale),
             f.menuBar()->sizeHint().height() + qRound(TMainForm::kDesignHeight * scale));
    QApplication::processEvents();
}

QList<QRect> screens() {
    QList<QRect> all;
    for (const QScreen* s : QGuiApplication::screens()) all << s->availableGeometry();
    return all;
}

}  // namespace

TEST(StartUp, DecliningToCreateTheDatabaseEndsStartUpWithItsMessage) {
    TempDir tmp;
    ScriptedDialogs d;
    d.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::No,
             texts::kInvalidDatabase);
    d.expect(MsgKind::Error, texts::kCodeNotDone);
    Application a(tmp.path(), d);
    EXPECT_FALSE(a.startUp());
    EXPECT_FALSE(QFile::exists(tmp.file(QStringLiteral("db/VELLO002.DB"))));
}

TEST(StartUp, SecondStartFindsTheDatabaseOrReportsADamagedTableFileAndKeepsIt) {
    TempDir tmp;
    { LessonSession first(tmp.path()); }
    { LessonSession second(tmp.path()); }  // no message expected
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
        d.expectContaining(MsgKind::Error,
                           QStringLiteral("BPGQU002.DB is damaged or is not a lesson table"));
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
    LessonSession run(tmp.path());
    ScriptedDialogs& dialogs = run.dialogs;

    EXPECT_EQ(readFile(tmp.file(QStringLiteral("InCorect.wav"))), own);
    // Written once: a second start leaves them alone; ours is written again
    // when it goes missing.
    EXPECT_TRUE(WriteSharedFiles(tmp.path(), dialogs).isEmpty());
    QFile::remove(tmp.file(QStringLiteral("InCorect.wav")));
    EXPECT_EQ(WriteSharedFiles(tmp.path(), dialogs), QStringList{QStringLiteral("InCorect.wav")});
    for (const char* name : {"Correct.wav", "ShwCorct.wav", "InCorect.wav"}) {
        QString error;
        const auto sound = readWave(tmp.file(QLatin1String(name)), &error);
        ASSERT_TRUE(sound) << name << ": " << error.toStdString();
        EXPECT_GT(sound->lengthMs(), 300) << name;
    }
    EXPECT_FALSE(
        QImage(tmp.file(QStringLiteral("gradient.bmp"))).isNull());  // the background preview
}

TEST(MainWindow, ScreenSwitchingFollowsTheDomainGroups) {
    StartedApp s;
    TMainForm& f = s.form();
    AppState& st = s.state();
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

// The program starts on a quiet screen; CleanUp hides every popup again.
TEST(MainWindow, PopupsStartHiddenAndCleanUpHidesThemAgain) {
    StartedApp s;
    TMainForm& f = s.form();
    QWidget* jump1 = f.Frame->SelectJump1Page;
    QWidget* jump2 = f.Frame->SelectJump2Page;
    QWidget* popups[] = {f.pnlColor,  f.pnlSize,   f.lbDomain, f.pnlSetStyle,
                         f.BackPanel, f.FontCombo, jump1,      jump2};
    for (QWidget* w : popups) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(f.Gauge1->isVisibleTo(&f));
    for (QWidget* w : popups) w->show();
    f.CleanUp();
    for (QWidget* w : popups) EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(f.pnlSetStyle->isEnabled());
    EXPECT_FALSE(s.state().CleaningUp);
}

TEST(MainWindow, ResizeScalesControlsOnlyAfterTheFirstDomain) {
    StartedApp s(QString(), false);
    TMainForm& f = s.form();
    QWidget* central = f.centralWidget();
    const QRect before = f.BtnNext->geometry();
    f.resize(f.width() * 2, f.height());
    QApplication::processEvents();
    EXPECT_FALSE(s.state().ResizeEnabled);
    EXPECT_EQ(f.BtnNext->geometry(), before);  // no domain entered yet

    s.app->show();
    f.FormActivate();  // enters the first domain; the layout catches up with the wider window
    EXPECT_TRUE(s.state().ResizeEnabled);
    EXPECT_EQ(f.BtnNext->geometry(),
              scaleRect(before, TMainForm::kDesignWidth, TMainForm::kDesignHeight, central->width(),
                        central->height()));
    const int w0 = central->width(), h0 = central->height();
    const QRect next = f.BtnNext->geometry();
    f.resize(f.width() + w0, f.height() + h0);  // twice the client size
    QApplication::processEvents();
    EXPECT_EQ(central->width(), 2 * w0);
    EXPECT_EQ(f.BtnNext->geometry(), scaleRect(next, w0, h0, 2 * w0, 2 * h0));
    EXPECT_EQ(f.Frame->size(), f.ClientOfMainScreen->size());
    EXPECT_EQ(s.state().BaseWidth, 2 * w0);
    EXPECT_EQ(f.editDomain->font().pointSize(), StatusFontSize(2 * h0));

    f.resize(40, 60);  // a tiny window still gives readable status text
    QApplication::processEvents();
    EXPECT_EQ(f.BtnBack->font().pointSize(), 5);
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
        StartedApp s;
        TMainForm& f = s.form();
        int saves = 0;
        f.addSaver([&] {
            ++saves;
            return c.saveSucceeds;
        });
        if (c.lessonOpen)
            s.app->lifecycle()->FileNewClick();  // a real lesson, so its own record saves
        ASSERT_EQ(s.state().LessonOpen, c.lessonOpen);
        bool terminated = false;
        QObject::connect(&f, &TMainForm::terminated, [&] { terminated = true; });
        s.dialogs.expect(MsgKind::Confirmation, *c.question, c.answer);
        f.ShutDown();
        EXPECT_EQ(terminated, c.closes);
        EXPECT_EQ(s.state().Closing, c.closes);
        EXPECT_EQ(saves, c.lessonOpen ? 1 : 0);
        if (!c.closes && c.question == &texts::kExitVellora) {
            // Declining leaves the screen switching off until the next click.
            EXPECT_FALSE(s.state().DisplayEnabled);
            QTest::mouseClick(f.centralWidget(), Qt::LeftButton, {}, QPoint(300, 5));
            EXPECT_TRUE(s.state().DisplayEnabled);
        }
    }
}

TEST(MainWindow, ClosingTheWindowGoesThroughTheExitDialogue) {
    StartedApp s;
    TMainForm& f = s.form();
    s.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::No);
    f.close();
    EXPECT_TRUE(f.isVisible());
    s.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::Yes);
    f.close();
    EXPECT_FALSE(f.isVisible());
}

TEST(MainWindow, CommandLineLessonIsOpenedOnceWhenItExists) {
    struct Case {
        QString argument;
        bool opens;
    };
    for (const auto& c : {Case{QStringLiteral("1"), true}, Case{QStringLiteral("2"), false},
                          Case{QStringLiteral("abc"), false}, Case{QString(), false}}) {
        StartedApp s(c.argument, false);
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
        EXPECT_EQ(f.editDomain->text(),
                  c.opens ? QStringLiteral("Title") : QStringLiteral("Start"));
        EXPECT_EQ(s.state().LessonOpen, c.opens);
    }
}

// (--print-pdf and --play with their lesson, and both together: PrintPdf in
// Printing_test.)
TEST(CommandLine, Parsing) {
    struct Case {
        QStringList args;
        QString printPdf, play, lesson;
        bool error;
    };
    const QString v = QStringLiteral("vellora");
    const Case cases[] = {
        {{v, "--data-dir", "/tmp/x", "12"}, "", "", "12", false},
        {{v, "--bogus"}, "", "", "", true},
        {{v, "--print-pdf", "out.pdf"}, "out.pdf", "", "", true},
        {{v, "--print-pdf"}, "", "", "", true},
    };
    EXPECT_EQ(parseCommandLine(cases[0].args).dataDir, QStringLiteral("/tmp/x"));
    for (const Case& c : cases) {
        const CommandLine cmd = parseCommandLine(c.args);
        const std::string at = c.args.join(' ').toStdString();
        EXPECT_EQ(QStringList({cmd.printPdf, cmd.play, cmd.lesson}),
                  QStringList({c.printPdf, c.play, c.lesson}))
            << at;
        EXPECT_EQ(!cmd.error.isEmpty(), c.error) << at;
    }
    EXPECT_EQ(defaultProgramDir(QStringLiteral("/tmp/a/../b/")), QStringLiteral("/tmp/b"));
}

// (The status line's font size: MainWindow.ResizeScalesControlsOnlyAfterTheFirstDomain.)
TEST(Rescale, RoundsAwayFromZeroAndKeepsNeighboursFlush) {
    EXPECT_EQ(mulDiv(5, 3, 2), 8);    // 7.5 rounds up
    EXPECT_EQ(mulDiv(-5, 3, 2), -8);  // and away from zero below it
    EXPECT_EQ(mulDiv(7, 1, 0), 7);
    // Neighbours stay flush: the right edge of one is the left of the next.
    const QRect a(0, 0, 33, 10), b(33, 0, 34, 10);
    const QRect sa = scaleRect(a, 591, 404, 700, 500), sb = scaleRect(b, 591, 404, 700, 500);
    EXPECT_EQ(sa.left() + sa.width(), sb.left());
}

TEST(WindowUse, IndicatorBoxKeepsItsShapeThroughResizes) {
    StartedApp s;
    TMainForm& f = s.form();
    resizeClient(f, 1.0);
    QList<QRect> designGeometry;
    const auto box = f.Panel7->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : box) designGeometry << w->geometry();

    struct Step {
        double scale;
        const char* shot;
    };
    for (const Step& step : {Step{1.0, "window-design.png"}, Step{1.6, "window-1.6.png"},
                             Step{1.0, "window-back.png"}, Step{1.6, "window-1.6-again.png"}}) {
        SCOPED_TRACE(step.shot);
        resizeClient(f, step.scale);
        // Controls of the box lie inside it and clear of each other.
        for (int i = 0; i < box.size(); ++i) {
            EXPECT_TRUE(f.Panel7->rect().contains(box[i]->geometry()))
                << box[i]->objectName().toStdString();
            for (int j = i + 1; j < box.size(); ++j)
                EXPECT_FALSE(box[i]->geometry().intersects(box[j]->geometry()))
                    << box[i]->objectName().toStdString() << " on "
                    << box[j]->objectName().toStdString();
        }
        // Each arrow of the page spin button fills its half and shows.
        TSpinButton* spin = f.SpinButton3;
        for (QToolButton* arrow : {spin->upButton(), spin->downButton()}) {
            EXPECT_TRUE(spin->rect().contains(arrow->geometry()));
            EXPECT_GE(arrow->height(), spin->height() / 2);
            EXPECT_EQ(arrow->width(), spin->width());
            EXPECT_GT(darkPixels(spin, arrow->geometry()), 0) << "blank arrow";
        }
        EXPECT_EQ(spin->upButton()->geometry().bottom() + 1, spin->downButton()->y());
        // Every domain's hint shows whole; all but the synchronisation hint,
        // half as long again as any other, at a readable size.
        for (int d = kDomainCount - 1; d >= 0; --d) {
            f.setStatusText(DomainHint(d));
            const QFont font = f.pnlStatus->fittedFont();
            EXPECT_LE(QFontMetrics(font).horizontalAdvance(DomainHint(d)),
                      f.pnlStatus->contentsRect().width())
                << d;
            EXPECT_GE(font.pixelSize(), d == 14 ? TStatusLine::kSmallestPixelSize : 11) << d;
        }
        f.setStatusText(DomainHint(1));  // the longest hint without a lesson
        saveScreenshot(&f, QLatin1String(step.shot));
        if (step.scale == 1.0) {
            for (int i = 0; i < box.size(); ++i) EXPECT_EQ(box[i]->geometry(), designGeometry[i]);
        }
    }
}

TEST(WindowUse, OpeningPlaceOnTheScreens) {
    const QRect wide(0, 0, 1920, 1080), side(1920, 0, 1280, 1024), small(0, 0, 800, 600),
        tiny(0, 0, 500, 350);
    const QSize design(591, 430);
    struct Case {
        std::optional<QRect> remembered;
        QList<QRect> screens;
        QRect expected;
    };
    const Case cases[] = {
        {std::nullopt, {wide}, QRect(516, 217, 887, 645)},  // half as large again, centred
        {std::nullopt, {small}, QRect(60, 52, 680, 495)},   // as large as 85% of the screen allows
        {std::nullopt, {tiny}, QRect(0, 0, 500, 350)},      // never larger than the screen
        {QRect(2000, 100, 900, 600),
         {wide, side},
         QRect(2000, 100, 900, 600)},  // on the second screen
        {QRect(5000, 100, 900, 600), {wide, side}, QRect(516, 217, 887, 645)},  // off every screen
        {QRect(1850, 1050, 900, 600), {wide}, QRect(516, 217, 887, 645)},       // a corner only
        {QRect(1800, 900, 900, 600), {wide}, QRect(1020, 480, 900, 600)},  // partly off: moved on
        {QRect(-100, 10, 2500, 1300), {wide}, QRect(0, 0, 1920, 1080)},    // too large: shrunk
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpeningGeometry(c.remembered, c.screens, c.screens.first(), design), c.expected)
            << (c.remembered ? c.remembered->x() : -1);
}

TEST(WindowUse, WindowOpensCentredAndWhereItWasLeft) {
    TempDir tmp;
    const QString ini = SettingsFile(tmp.path());
    const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* what;
        std::function<void()> before;   // changes the settings file before the start
        std::optional<QRect> expected;  // none: centred at the opening size
    };
    const QRect moved(primary.x() + 30, primary.y() + 40, 700, 500);
    auto write = [&](const char* key, const QVariant& value) {
        QSettings s(ini, QSettings::IniFormat);
        s.setValue(QStringLiteral("MainWindow/") + QLatin1String(key), value);
    };
    const Case cases[] = {
        {"first start", [] {}, std::nullopt},
        {"as left", [] {}, moved},
        {"unreadable", [&] { write("Width", QStringLiteral("wide")); }, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        LessonSession run(tmp.path());
        TMainForm& f = run.form();
        if (c.expected) {
            EXPECT_EQ(f.geometry(), *c.expected);
        } else {
            EXPECT_EQ(f.geometry(),
                      OpeningGeometry(std::nullopt, screens(), primary, designWindow(f)));
        }
        f.setGeometry(moved);
        run.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::Yes);
        f.ShutDown();
        EXPECT_TRUE(run.dialogs.done());
    }
}
