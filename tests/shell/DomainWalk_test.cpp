#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>
#include <QTest>
#include <set>

#include "Screenshot.h"
#include "Diagram.h"
#include "DomainTexts.h"
#include "FakePages.h"
#include "MainMenu.h"
#include "StartedApp.h"
#include "ToolStripWidget.h"

using namespace vellora;
using namespace vellora::testing;
using DomainWalk = AppWithPages;

namespace {

// Saves a picture of the main window when VELLORA_SCREENSHOTS names a directory.
void screenshot(QWidget& w, int domain, std::set<int>& taken) {
    taken.insert(domain);
    vellora::testing::saveScreenshot(&w, QStringLiteral("domain-%1.png").arg(domain, 2, 10, QLatin1Char('0')));
}

}  // namespace

// Walks a lesson of a reading page and a question page through every domain
// with the real main window: Continue, Return, the domain list and the
// diagram in activate mode.
TEST_F(DomainWalk, EveryDomainThroughTheMainWindow) {
    pages.makeLesson(2, FakePages::Page{QStringLiteral("r"), 4, 0});
    pages.pages[2].kind = QStringLiteral("q");
    std::set<int> taken;
    auto press = [&](Tool t) {
        QToolButton* b = f.Slider->button(t);
        ASSERT_TRUE(b->isVisible()) << TToolStrip::name(t) << " in domain " << st.CurrentDomain;
        QTest::mouseClick(b, Qt::LeftButton);
        screenshot(f, st.CurrentDomain, taken);
    };

    f.Icons(0);
    screenshot(f, 0, taken);
    f.Icons(1);
    screenshot(f, 1, taken);
    const int forward[] = {2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 16};
    for (int expected : forward) {
        press(Tool::btnContinue);
        ASSERT_EQ(st.CurrentDomain, expected);
    }
    EXPECT_EQ(st.CurrentPage, 2);
    EXPECT_TRUE(st.FrameShown);
    const int backward[] = {22, 21, 20, 19, 18, 17, 16};
    for (int expected : backward) {
        press(Tool::btnReturn);
        ASSERT_EQ(st.CurrentDomain, expected);
    }

    // The domain list: Copyright Location, on the title page.
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    QListWidget* list = f.lbDomain;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(7)).center());
    ASSERT_EQ(st.CurrentDomain, 7);
    EXPECT_TRUE(st.TitleShown);
    screenshot(f, 7, taken);

    // Text, on the reading page that has words: Yes lets the text be edited.
    s.dialogs.expect(MsgKind::Confirmation, texts::kEraseWords, MsgAnswer::Yes);
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(11)).center());
    ASSERT_EQ(st.CurrentDomain, 11);
    EXPECT_EQ(st.CurrentPage, 1);
    screenshot(f, 11, taken);
    press(Tool::btnReturn);
    ASSERT_EQ(st.CurrentDomain, 10);
    press(Tool::btnReturn);
    ASSERT_EQ(st.CurrentDomain, 9);
    press(Tool::btnReturn);  // page 1: back to the objective on the title page
    ASSERT_EQ(st.CurrentDomain, 8);
    EXPECT_TRUE(st.TitleShown);

    // The diagram in activate mode: a click on a label goes there.
    f.MainMenu1->action(MenuItem::HelpDiagram)->trigger();
    TdlgDiagram* diagram = s.app->dlgDiagram();
    ASSERT_TRUE(diagram->isVisible());
    QTest::mouseClick(diagram->rbActivate, Qt::LeftButton);
    ASSERT_TRUE(diagram->rbActivate->isChecked());
    EXPECT_TRUE(diagram->IsHot(8));
    QTest::mouseClick(diagram->DomainLabel(18), Qt::LeftButton);
    EXPECT_EQ(st.CurrentDomain, 18);
    EXPECT_TRUE(diagram->IsHot(18));
    EXPECT_FALSE(diagram->IsHot(8));
    QTest::mouseClick(diagram->DomainLabel(4), Qt::LeftButton);
    EXPECT_EQ(st.CurrentDomain, 4);
    EXPECT_TRUE(st.TitleShown);
    diagram->close();

    for (int d = 0; d < 23; ++d) EXPECT_TRUE(taken.count(d)) << "domain " << d << " never reached";
    EXPECT_TRUE(s.dialogs.done());
}

TEST_F(DomainWalk, ScrollingTheStripAndResettingItOnEntry) {
    pages.makeLesson(1);
    pages.load(1);
    f.Icons(15);
    TToolStrip* strip = f.Slider;
    const int home = f.Panel7->width() + f.Panel2->width() + 2;
    const int iconWidth = strip->IconWidth();
    EXPECT_EQ(strip->x(), home);
    EXPECT_EQ(strip->width(), 13 * iconWidth);
    EXPECT_TRUE(f.IconsLeft->isEnabled());
    EXPECT_FALSE(f.IconsRight->isEnabled());

    QWidget* read = strip->button(Tool::btnRead3);
    EXPECT_EQ(read->x(), 13 * iconWidth + 1);
    QTest::mouseClick(f.IconsLeft, Qt::LeftButton);
    EXPECT_EQ(strip->x(), home - iconWidth);
    EXPECT_EQ(strip->width(), 14 * iconWidth);
    EXPECT_FALSE(f.IconsLeft->isEnabled());
    EXPECT_TRUE(f.IconsRight->isEnabled());
    // The fourteenth place now ends where the thirteenth ended before.
    EXPECT_EQ(strip->x() + read->x() + read->width(), home + 13 * iconWidth + 1);
    // The scrolled-out place is behind the panels on the left.
    const QWidget* left = f.Panel1->childAt(home - iconWidth / 2, read->y() + 5);
    EXPECT_TRUE(left == f.Panel2 || (left && f.Panel2->isAncestorOf(left)));
    QTest::mouseClick(f.IconsLeft, Qt::LeftButton);  // disabled: no further
    EXPECT_EQ(strip->x(), home - iconWidth);

    f.Icons(14);
    EXPECT_EQ(strip->x(), home);
    EXPECT_EQ(strip->scroll().IconScroll, 0);
    EXPECT_FALSE(f.IconsLeft->isEnabled());
    EXPECT_FALSE(f.IconsRight->isEnabled());
    for (int i = 0; i < kToolCount; ++i) {
        const Tool t = static_cast<Tool>(i);
        const bool on = t == Tool::btnReturn || t == Tool::btnContinue;
        EXPECT_EQ(strip->button(t)->isVisible(), on) << TToolStrip::name(t);
    }
    EXPECT_EQ(strip->button(Tool::btnContinue)->x(), iconWidth + 1);
}
