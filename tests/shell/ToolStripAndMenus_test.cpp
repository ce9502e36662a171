#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTest>
#include <map>

#include "FakePages.h"
#include "Menus.h"
#include "StartedApp.h"
#include "ToolStrip.h"
#include "ToolStripWidget.h"

using namespace vellora;
using namespace vellora::testing;
using StripScroll = AppWithPages;

namespace {

Tool toolNamed(const QString& shortName) {
    for (int i = 0; i < kToolCount; ++i)
        if (QLatin1String(TToolStrip::name(static_cast<Tool>(i))) == QStringLiteral("btn") + shortName)
            return static_cast<Tool>(i);
    ADD_FAILURE() << "no tool " << shortName.toStdString();
    return Tool::btnExit;
}

// The strip of every domain, place by place; "a/b" is one place shared by
// two buttons of which the first shows.
const char* const kStrips[23] = {
    /* 0 */ "Exit Continue New",
    /* 1 */ "Exit Continue New Print WalPaper Font1 Size1 Color1 Style",
    /* 2 */ "Return Continue Print Font1 Size1 Color1 Style Mic2/Stop SoundSel SoundView",
    /* 3 */ "Return Continue Font1 Size1 Color1 Style",
    /* 4 */ "Return Continue Font1 Size1 Color1 Style",
    /* 5 */ "Return Continue Font1 Size1 Color1 Style",
    /* 6 */ "Return Continue",
    /* 7 */ "Return Continue",
    /* 8 */ "Return Continue",
    /* 9 */ "Return Continue PictSel PictViw",
    /* 10 */ "Return Continue VideoSel VideoViw VidCtlOn/VidCtlOf",
    /* 11 */ "Return Continue Font1 Size1 Color1 Style Mic2/Stop SoundSel SoundView",
    /* 12 */ "Return Continue New Text1 Font1 Size1 Color1 Style Align Mic2/Stop SoundSel SoundView Read3",
    /* 13 */ "Return Continue Mic2/Stop SoundSel SoundView",
    /* 14 */ "Return Continue",
    /* 15 */ "Return Continue New Print Text1 PictSel PictViw Mic2/Stop SoundSel SoundView VideoSel VideoViw "
             "VidCtlOn/VidCtlOf Read3",
    /* 16 */ "Return Continue Question Choices1 Choice1 Respond1 QPage PictSel PictViw",
    /* 17 */ "Return Continue Question Choices1 Choice1 Respond1 QPage VideoSel VideoViw VidCtlOn/VidCtlOf",
    /* 18 */ "Return Continue Font1 Size1 Color1 Style Question Choices1 Choice1 Respond1 QPage Mic2/Stop SoundSel "
             "SoundView",
    /* 19 */ "Return Continue Font1 Size1 Color1 Style Question Choices1 Choice1 Respond1 QPage",
    /* 20 */ "Return Continue Question Choices1 Choice1 Respond1 QPage Mic2/Stop SoundSel SoundView",
    /* 21 */ "Return Continue Question Choices1 Choice1 Respond1 QPage Mic2/Stop SoundSel SoundView",
    /* 22 */ "Return Continue Question Choices1 Choice1 Respond1 QPage",
};

}  // namespace

TEST(ToolStrip, EveryButtonOfEveryDomainTakesItsPlace) {
    for (int d = 0; d < 23; ++d) {
        const ToolPlacement p = PlaceTools(d, false);
        std::map<Tool, std::pair<int, bool>> expected;  // place, shown
        const QStringList places = QString::fromLatin1(kStrips[d]).split(QLatin1Char(' '));
        for (int place = 0; place < places.size(); ++place) {
            const QStringList shared = places[place].split(QLatin1Char('/'));
            for (int k = 0; k < shared.size(); ++k) expected[toolNamed(shared[k])] = {place, k == 0};
        }
        EXPECT_EQ(p.IconCount, places.size()) << "domain " << d;
        for (int i = 0; i < kToolCount; ++i) {
            const Tool t = static_cast<Tool>(i);
            const auto it = expected.find(t);
            const int place = it == expected.end() ? -1 : it->second.first;
            EXPECT_EQ(p.place[i], place) << "domain " << d << " " << TToolStrip::name(t);
            const bool shown = it != expected.end() && it->second.second;
            EXPECT_EQ(p.shown[i], shown) << "domain " << d << " " << TToolStrip::name(t);
            if (it != expected.end()) {
                EXPECT_EQ(p.enabled[i], shown) << "domain " << d << " " << TToolStrip::name(t);
            }
        }
    }
}

TEST(ToolStrip, VideoControlOnShowsTheButtonThatTurnsItOff) {
    for (int d : {10, 15, 17}) {
        const ToolPlacement off = PlaceTools(d, false), on = PlaceTools(d, true);
        EXPECT_EQ(on.placeOf(Tool::btnVidCtlOf), off.placeOf(Tool::btnVidCtlOn));
        EXPECT_EQ(on.placeOf(Tool::btnVidCtlOf), on.placeOf(Tool::btnVidCtlOn));
        EXPECT_TRUE(on.isShown(Tool::btnVidCtlOf));
        EXPECT_FALSE(on.isShown(Tool::btnVidCtlOn));
        EXPECT_TRUE(off.isShown(Tool::btnVidCtlOn));
        EXPECT_FALSE(off.isShown(Tool::btnVidCtlOf));
        EXPECT_EQ(on.IconCount, off.IconCount);
    }
}

TEST(ToolStrip, ScrollArrowsFollowThePlacesOutOfView) {
    struct Case {
        int domain, places;
        bool left;
    };
    for (const Case& c : {Case{15, 14, true}, Case{18, 14, true}, Case{0, 3, false}, Case{14, 2, false},
                          Case{12, 13, false}}) {
        ToolStripScroll s{PlaceTools(c.domain, false).IconCount, 0};
        EXPECT_EQ(s.IconCount, c.places) << c.domain;
        EXPECT_EQ(s.leftEnabled(), c.left) << c.domain;
        EXPECT_FALSE(s.rightEnabled()) << c.domain;
        EXPECT_FALSE(s.scrollRight()) << c.domain;
        EXPECT_EQ(s.scrollLeft(), c.left) << c.domain;
    }
    ToolStripScroll wide{17, 0};
    int steps = 0;
    while (wide.scrollLeft()) ++steps;
    EXPECT_EQ(steps, 4);
}

// The real strip: scrolled by its arrows, reset on entering a domain.
TEST_F(StripScroll, TheArrowsMoveTheStripAndEnteringADomainResetsIt) {
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

// ---- Menus ----

namespace {

using M = MenuItem;

bool inDomains(const char* mask, int d) { return mask[d] == '1'; }

}  // namespace

TEST(Menus, VisibilityForEveryDomainLessonAndPage) {
    // One item of each group (lesson, page, Text domain) and the items whose
    // domains are listed; every other item always shows.
    const std::pair<M, const char*> byDomain[] = {
        {M::TextMenu, "00000000111111111111111"},  {M::TextEdit, "11111111111011111111111"},
        {M::PagePlay, "00111111111111111111111"},  {M::FilePrint, "01000000000000010000000"},
        {M::QuestionMenu, "00000000000000001111111"}, {M::EditCut, "00000000000100000000000"},
    };
    MenuVisibility v;
    for (int d = 0; d < 23; ++d)
        for (bool lesson : {false, true})
            for (int page : {0, 2}) {
                v.Menu(d, lesson, page, false);
                const std::string at = "domain " + std::to_string(d) + (lesson ? " lesson" : " none") +
                                       " page " + std::to_string(page);
                EXPECT_EQ(v.visible(M::FileSave), lesson) << at;
                EXPECT_EQ(v.visible(M::PageDelete), page > 0) << at;
                for (const auto& [m, mask] : byDomain) EXPECT_EQ(v.visible(m), inDomains(mask, d)) << at << int(m);
                EXPECT_TRUE(v.visible(M::FileOpen)) << at;
                EXPECT_FALSE(v.visible(M::StopMenu)) << at;
            }
}

TEST(Menus, NothingChangesWhileALessonPlays) {
    MenuVisibility v;
    v.Menu(11, true, 3, false);
    const MenuVisibility before = v;
    v.Menu(2, false, 0, true);
    for (int i = 0; i < kMenuItemCount; ++i)
        EXPECT_EQ(v.visible(static_cast<M>(i)), before.visible(static_cast<M>(i))) << i;
}

TEST(Menus, MenuHideLeavesOnlyTheStopMenuDuringPlay) {
    MenuVisibility v;
    v.Menu(11, true, 3, false);
    v.MenuHide(false);
    for (M top : {M::FileMenu, M::EditMenu, M::PageMenu, M::TextMenu, M::WordsMenu, M::QuestionMenu, M::HelpMenu})
        EXPECT_FALSE(v.visible(top)) << int(top);
    EXPECT_TRUE(v.visible(M::StopMenu));
    v.MenuHide(true);
    for (M top : {M::FileMenu, M::PageMenu, M::TextMenu, M::QuestionMenu, M::HelpMenu})
        EXPECT_TRUE(v.visible(top)) << int(top);
    EXPECT_FALSE(v.visible(M::StopMenu));
}
