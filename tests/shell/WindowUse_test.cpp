#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include "Controls.h"
#include "DomainTable.h"
#include "Domains.h"
#include "DomainTexts.h"
#include "ShellTexts.h"
#include "FakePages.h"
#include "LessonSession.h"
#include "ShellKeys.h"
#include "ShellResources.h"
#include "StartedApp.h"
#include "TFrame.h"
#include "ToolStripWidget.h"
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
    f.resize(qRound(design.width() * scale), f.menuBar()->sizeHint().height() +
                                                 qRound(TMainForm::kDesignHeight * scale));
    QApplication::processEvents();
}

QList<QRect> screens() {
    QList<QRect> all;
    for (const QScreen* s : QGuiApplication::screens()) all << s->availableGeometry();
    return all;
}

}  // namespace

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
            EXPECT_TRUE(f.Panel7->rect().contains(box[i]->geometry())) << box[i]->objectName().toStdString();
            for (int j = i + 1; j < box.size(); ++j)
                EXPECT_FALSE(box[i]->geometry().intersects(box[j]->geometry()))
                    << box[i]->objectName().toStdString() << " on " << box[j]->objectName().toStdString();
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
            EXPECT_LE(QFontMetrics(font).horizontalAdvance(DomainHint(d)), f.pnlStatus->contentsRect().width()) << d;
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
    const QRect wide(0, 0, 1920, 1080), side(1920, 0, 1280, 1024), small(0, 0, 800, 600), tiny(0, 0, 500, 350);
    const QSize design(591, 430);
    struct Case {
        std::optional<QRect> remembered;
        QList<QRect> screens;
        QRect expected;
    };
    const Case cases[] = {
        {std::nullopt, {wide}, QRect(516, 217, 887, 645)},   // half as large again, centred
        {std::nullopt, {small}, QRect(60, 52, 680, 495)},    // as large as 85% of the screen allows
        {std::nullopt, {tiny}, QRect(0, 0, 500, 350)},       // never larger than the screen
        {QRect(2000, 100, 900, 600), {wide, side}, QRect(2000, 100, 900, 600)},  // on the second screen
        {QRect(5000, 100, 900, 600), {wide, side}, QRect(516, 217, 887, 645)},   // off every screen
        {QRect(1850, 1050, 900, 600), {wide}, QRect(516, 217, 887, 645)},        // a corner only
        {QRect(1800, 900, 900, 600), {wide}, QRect(1020, 480, 900, 600)},        // partly off: moved on
        {QRect(-100, 10, 2500, 1300), {wide}, QRect(0, 0, 1920, 1080)},          // too large: shrunk
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
        std::function<void()> before;  // changes the settings file before the start
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
        {"off every screen", [&] { write("Left", primary.right() + 4000); }, std::nullopt},
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
            EXPECT_EQ(f.geometry(), OpeningGeometry(std::nullopt, screens(), primary, designWindow(f)));
            EXPECT_LE((f.geometry().center() - primary.center()).manhattanLength(), 2);
            EXPECT_GT(f.width(), TMainForm::kDesignWidth);
        }
        f.setGeometry(moved);
        run.dialogs.expect(MsgKind::Confirmation, texts::kExitVellora, MsgAnswer::Yes);
        f.ShutDown();
        EXPECT_TRUE(run.dialogs.done());
    }
    // The page window keeps its own section in the same file.
    QSettings s(ini, QSettings::IniFormat);
    EXPECT_EQ(s.value(QStringLiteral("MainWindow/Width")).toInt(), 700);
}

TEST(WindowUse, ContinueAndReturnByKey) {
    StartedApp s;
    TMainForm& f = s.form();
    AppState& st = s.state();
    FakePages pages(f, st);
    pages.makeLesson(2);
    struct Case {
        int from;
        QKeySequence key;
        int to;
    };
    const Case cases[] = {
        {3, keys::kContinue, 4}, {6, keys::kContinue, 8}, {8, keys::kReturn, 7},
        {4, keys::kReturn, 3},   {1, keys::kReturn, 0},   // Exit stands in for Return
        {12, keys::kContinue, 13},                        // the words step, where Alt and the arrows nudge words
    };
    for (const Case& c : cases) {
        if (c.from >= 9) pages.load(1);
        f.Icons(c.from);
        QTest::keySequence(&f, c.key);
        EXPECT_EQ(st.CurrentDomain, c.to) << c.from << " " << c.key.toString().toStdString();
    }

    // The keys are shown where the buttons are explained, and no other
    // command of the window uses them.
    initShellResources();
    const QString continueText = keys::kContinue.toString(QKeySequence::NativeText);
    const QString returnText = keys::kReturn.toString(QKeySequence::NativeText);
    const QString listText = keys::kDomainList.toString(QKeySequence::NativeText);
    EXPECT_TRUE(f.Slider->button(Tool::btnContinue)->toolTip().contains(continueText));
    EXPECT_TRUE(f.Slider->button(Tool::btnReturn)->toolTip().contains(returnText));
    EXPECT_TRUE(f.Slider->button(Tool::btnExit)->toolTip().contains(returnText));
    EXPECT_TRUE(f.BitBtn1->toolTip().contains(listText));
    for (const char* page : {":/help/keys-and-mouse.html", ":/help/main-window.html"}) {
        QFile file{QLatin1String(page)};
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page;
        const QString html = QString::fromUtf8(file.readAll());
        for (const QString& key : {continueText, returnText, listText}) EXPECT_TRUE(html.contains(key)) << page;
    }
    QMap<QKeySequence, QString> taken;
    for (QAction* a : f.findChildren<QAction*>())
        for (const QKeySequence& k : a->shortcuts()) {
            EXPECT_FALSE(taken.contains(k)) << k.toString().toStdString() << ": " << a->objectName().toStdString()
                                            << " and " << taken.value(k).toStdString();
            taken.insert(k, a->objectName());
        }
}

TEST(WindowUse, DomainListByKeyboard) {
    StartedApp s;
    TMainForm& f = s.form();
    AppState& st = s.state();
    FakePages pages(f, st);
    pages.makeLesson(2);
    f.Icons(3);
    QWidget* field = QApplication::focusWidget();
    ASSERT_NE(field, nullptr);

    QTest::keySequence(&f, keys::kDomainList);
    EXPECT_TRUE(f.lbDomain->isVisible());
    EXPECT_TRUE(f.lbDomain->hasFocus());
    EXPECT_EQ(f.lbDomain->currentRow(), 3);
    saveScreenshot(&f, QStringLiteral("window-domain-list.png"));
    QTest::keyClick(f.lbDomain, Qt::Key_Down);
    QTest::keyClick(f.lbDomain, Qt::Key_Down);
    QTest::keyClick(f.lbDomain, Qt::Key_Up);
    QTest::keyClick(f.lbDomain, Qt::Key_Return);
    EXPECT_EQ(st.CurrentDomain, 4);
    EXPECT_FALSE(f.lbDomain->isVisible());

    // Esc closes it with nothing chosen, also over the page, where Esc
    // otherwise asks a reading to stop.
    pages.load(1);
    f.Icons(9);
    field = QApplication::focusWidget();
    QTest::keySequence(&f, keys::kDomainList);
    ASSERT_TRUE(f.lbDomain->hasFocus());
    QTest::keyClick(f.lbDomain, Qt::Key_Down);
    QTest::keyClick(f.lbDomain, Qt::Key_Escape);
    EXPECT_FALSE(f.lbDomain->isVisible());
    EXPECT_EQ(st.CurrentDomain, 9);
    EXPECT_FALSE(st.StopRequested);
    EXPECT_EQ(QApplication::focusWidget(), field);
}
