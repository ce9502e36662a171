#include <gtest/gtest.h>

#include "PageGeometry.h"

namespace vellora {
namespace {

TEST(PageGeometry, PicturesFitTheAreaBesideTheWords) {
    // Area = client - (words box right + 8) wide, client - 8 high.
    struct Case {
        QSize picture, client;
        int wurdsRight;
        QSize image;
        bool stretched;
        QSize panel;
    } cases[] = {
        {{400, 200}, {208 + 271, 308}, 271, {200, 100}, true, {206, 106}},  // the wider ratio wins
        {{100, 80}, {587, 338}, 271, {100, 80}, false, {106, 86}},          // fits: own size
        {{100, 660}, {587, 338}, 271, {50, 330}, true, {56, 336}},          // taller than the area
        {{5000, 1}, {587, 338}, 271, {308, 330}, true, {314, 336}},         // degenerate: fills the area
    };
    for (const Case& c : cases) {
        const PicturePlacement p = ScaleImage(c.picture, c.client, c.wurdsRight);
        EXPECT_EQ(p.image, c.image) << c.picture.width() << "x" << c.picture.height();
        EXPECT_EQ(p.stretched, c.stretched);
        EXPECT_EQ(p.panel.size(), c.panel);
        // The frame is centred in the area and in the client's height.
        const int area = c.client.width() - (c.wurdsRight + 8);
        EXPECT_EQ(p.panel.x(), c.wurdsRight + 3 + (area - c.panel.width()) / 2);
        EXPECT_EQ(p.panel.y(), (c.client.height() - c.panel.height()) / 2);
    }
}

TEST(PageGeometry, GradientBandsAndProportionalScaling) {
    const auto tall = GradientBands(640);
    ASSERT_EQ(tall.size(), 64u);
    EXPECT_EQ(tall.front().top, 0);
    EXPECT_EQ(tall.front().bottom, 10);
    EXPECT_EQ(tall.front().blue, 255);
    EXPECT_EQ(tall.back().bottom, 640);
    EXPECT_EQ(tall.back().blue, 3);
    const auto small = GradientBands(100);
    ASSERT_EQ(small.size(), 64u);
    EXPECT_EQ(small.back().bottom, 64);  // the rows below are left alone
    EXPECT_TRUE(GradientBands(63).empty());

    EXPECT_EQ(ScaleBounds(QRect(14, 17, 257, 309), {587, 338}, {1174, 676}), QRect(28, 34, 514, 618));
    // Edges are scaled, not sizes: a control keeps touching its neighbour.
    EXPECT_EQ(ScaleBounds(QRect(1, 1, 1, 1), {3, 3}, {4, 4}), QRect(1, 1, 2, 2));
    EXPECT_EQ(PlayerBarRect({587, 338}, 271), QRect(330, 314, 197, 23));
}

TEST(PageGeometry, VideoPanelsSitBesideTheWordsAtTheVideosSize) {
    // The device reports the video at (2, 2) in its own size; the space right
    // of the words is client width - (words box right + 1).
    struct Case {
        QRect video;
        QSize client;
        int wurdsRight;
        QRect panel;
    } cases[] = {
        {{2, 2, 160, 120}, {587, 338}, 271, {347, 110, 164, 124}},  // fits: own size + 4
        {{2, 2, 320, 240}, {587, 338}, 271, {274, 55, 311, 234}},   // too wide: shrunk, proportion kept
        {{2, 2, 640, 480}, {587, 338}, 271, {274, 55, 311, 234}},   // centred on the shrunk height
        {{2, 2, 640, 480}, {1174, 676}, 542, {545, 105, 627, 471}},
        {{2, 2, 100, 600}, {587, 338}, 271, {401, 7, 57, 330}},     // too tall: the area's height
        {QRect(QPoint(2, 2), QSize()), {587, 338}, 271, {274, 4, 311, 330}},  // size unknown: fills the space
    };
    for (const Case& c : cases) {
        const QRect panel = VideoPanelRect(c.video, c.client, c.wurdsRight);
        EXPECT_EQ(panel, c.panel) << c.video.width() << "x" << c.video.height() << " in " << c.client.width();
        // Always inside the window.
        EXPECT_GE(panel.top(), 0);
        EXPECT_LE(panel.bottom(), c.client.height() - 1);
        EXPECT_LE(panel.right(), c.client.width() - 1);
    }
}

}  // namespace
}  // namespace vellora
