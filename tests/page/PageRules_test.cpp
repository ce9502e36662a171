// The page's rules that need no window: the question page's layout and the
// dealing of choice rows (exact text metrics, a seeded random source), where
// pictures and videos go beside the words, and the timing of words against
// the page sound.
#include <gtest/gtest.h>

#include <set>

#include "ChoiceDeal.h"
#include "PageGeometry.h"
#include "QuestionLayout.h"
#include "SyncLogic.h"

namespace vellora {
namespace {

// Every character is `font.pixelSize() / 2` wide; a line is pixelSize high.
struct FixedMeasurer : TextMeasurer {
    QSize measure(const QFont& font, const QString& text) const override {
        const int px = font.pixelSize();
        return {int(text.size()) * px / 2, px};
    }
};

QFont px(int size) {
    QFont f;
    f.setPixelSize(size);
    return f;
}

QuestionInput input(int count, int stimulusPx, const QString& stimulus, int choicePx = 14) {
    QuestionInput in;
    in.choiceCount = count;
    in.stimulusFont = px(stimulusPx);
    in.stimulusText = stimulus;
    in.choiceFont = px(choicePx);
    in.enumTexts = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                    QStringLiteral("D")};
    in.choiceTexts = {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                      QStringLiteral("four")};
    return in;
}

TEST(QuestionLayout, HeightsFollowTheTextTheyHold) {
    const FixedMeasurer m;
    struct Case {
        const char* what;
        int stimulusPx;
        QString stimulus;
        QString choice1;
        int stimulusHeight;
        int choice1Height;
    } cases[] = {
        {"empty stimulus", 16, QString(), QStringLiteral("x"), 20, 20},
        {"one line of 16 px", 16, QStringLiteral("Why?"), QStringLiteral("x"), 21, 20},
        {"three lines of 14 px", 16, QStringLiteral("Why?"), QStringLiteral("a\nb\nc"), 21, 51},
        {"an empty last line is not counted", 16, QStringLiteral("Why?\n"),
         QStringLiteral("a\nb\n"), 21, 35},
        {"a font under 12 px counts 12", 8, QStringLiteral("Why?"), QStringLiteral("x"), 20, 20},
    };
    for (const Case& c : cases) {
        QuestionInput in = input(2, c.stimulusPx, c.stimulus);
        in.choiceTexts[0] = c.choice1;
        const QuestionPlace q = FormatQuestion(m, in);
        EXPECT_EQ(q.stimulusHeight, c.stimulusHeight) << c.what;
        EXPECT_EQ(q.rows[0].choice.height(), c.choice1Height) << c.what;
    }
}

TEST(QuestionLayout, RowsStackUnderTheStimulusAndRowsBeyondTheCountAreParked) {
    const FixedMeasurer m;
    const QuestionPlace two = FormatQuestion(m, input(2, 16, QStringLiteral("Why?")));
    EXPECT_EQ(two.rows[0].choice.top(), 23);  // stimulus 21 + 2
    for (int n : {2, 3}) {
        EXPECT_EQ(two.rows[size_t(n)].choice.top(), kParkedTop);
        EXPECT_EQ(two.rows[size_t(n)].value.top(), kParkedTop);
        EXPECT_EQ(two.rows[size_t(n)].cellTop, kParkedTop);
    }

    const QuestionPlace none = FormatQuestion(m, input(0, 16, QStringLiteral("Why?")));
    EXPECT_EQ(none.repeatTop, none.stimulusHeight + 2);
    EXPECT_EQ(none.rows[0].choice.top(), kParkedTop);

    // A very long choice pushes the next one down rather than under it.
    QuestionInput longChoice = input(2, 16, QStringLiteral("Why?"));
    longChoice.choiceTexts[0] = QStringLiteral("wwwwwwwww ").repeated(200);
    const QuestionPlace tall = FormatQuestion(m, longChoice);
    EXPECT_GT(tall.rows[0].choice.height(), 300);
    EXPECT_GE(tall.rows[1].choice.top(), tall.rows[0].choice.bottom() + 2);
    EXPECT_GE(tall.repeatTop, tall.rows[1].choice.bottom() + 2);
}

TEST(QuestionLayout, EnumeratorWidthIsTheWidestShownLetterAtLeast20) {
    const FixedMeasurer m;
    QuestionInput in = input(4, 16, QStringLiteral("Why?"), 14);  // letters 7 px: 11 -> 20
    EXPECT_EQ(FormatQuestion(m, in).enumWidth, 20);
    in.enumTexts[2] = QStringLiteral("CCC");  // 21 px * 1.6 = 33.6
    EXPECT_EQ(FormatQuestion(m, in).enumWidth, 34);
    EXPECT_EQ(FormatQuestion(m, in).choiceWidth, in.questionWidth - 34 - 6);
    in.choiceCount = 2;  // a row out of view does not widen them
    EXPECT_EQ(FormatQuestion(m, in).enumWidth, 20);
}

// Deals `rows` with `seeds` different seeds; answers the distinct deals seen.
std::set<std::array<qint64, 5>> deals(const std::vector<ChoiceSource>& rows, int count,
                                      int* shown = nullptr) {
    std::set<std::array<qint64, 5>> seen;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        ChoiceRandom random(seed);
        const ChoiceDeal d =
            AssignChoiceRecords(rows, count, [&](int n) { return random.Rand(n); });
        if (shown) *shown = d.choiceCount;
        seen.insert(d.recNums);
    }
    return seen;
}

TEST(ChoiceDeal, ShownSlotsHoldTheFirstRowsShuffledWithFixedRowsInPlace) {
    using Deal = std::array<qint64, 5>;
    struct Case {
        const char* what;
        std::vector<ChoiceSource> rows;
        int count;
        int shown;
        std::set<Deal> expected;
    } cases[] = {
        {"a new page: rows 1 and 2 in either order",
         {{11, 0}, {12, 0}, {13, -1}, {14, -1}},
         2,
         2,
         {{0, 11, 12, 13, 14}, {0, 12, 11, 13, 14}}},
        {"rows 1 and 3 fixed: 2 and 4 swap",
         {{11, 1}, {12, 0}, {13, 3}, {14, 0}},
         4,
         4,
         {{0, 11, 12, 13, 14}, {0, 11, 14, 13, 12}}},
        {"three rows and a count of 4: count 3, slot 4 empty",
         {{11, 1}, {12, 2}, {13, 3}},
         4,
         3,
         {{0, 11, 12, 13, 0}}},
        {"no rows: nothing dealt", {}, 2, 0, {{0, 0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        int shown = -1;
        EXPECT_EQ(deals(c.rows, c.count, &shown), c.expected) << c.what;
        EXPECT_EQ(shown, c.shown) << c.what;
    }
    // Count 2 of four free rows: only rows 1 and 2 are ever shown.
    for (const Deal& d : deals({{11, 0}, {12, 0}, {13, 0}, {14, 0}}, 2)) {
        EXPECT_EQ(std::set<qint64>({d[1], d[2]}), std::set<qint64>({11, 12}));
        EXPECT_EQ(d[3], 13);
        EXPECT_EQ(d[4], 14);
    }
    // Rows never saved are only avoided: a page of them is still dealt whole.
    for (const Deal& d : deals({{11, -1}, {12, -1}, {13, -1}, {14, -1}}, 4))
        EXPECT_EQ(std::set<qint64>(d.begin() + 1, d.end()), std::set<qint64>({11, 12, 13, 14}));
}

TEST(PageGeometry, PicturesFitTheAreaBesideTheWords) {
    // Area = client - (words box right + 8) wide, client - 8 high; the frame
    // (picture + 6) is centred in it and in the client's height.
    struct Case {
        QSize picture, client;
        int wurdsRight;
        QSize image;
        bool stretched;
        QRect panel;
    } cases[] = {
        // the wider ratio wins
        {{400, 200}, {208 + 271, 308}, 271, {200, 100}, true, {271, 101, 206, 106}},
        {{100, 80}, {587, 338}, 271, {100, 80}, false, {375, 126, 106, 86}},  // fits: own size
        {{100, 660}, {587, 338}, 271, {50, 330}, true, {400, 1, 56, 336}},  // taller than the area
        // degenerate: fills the area
        {{5000, 1}, {587, 338}, 271, {308, 330}, true, {271, 1, 314, 336}},
    };
    for (const Case& c : cases) {
        const PicturePlacement p = ScaleImage(c.picture, c.client, c.wurdsRight);
        EXPECT_EQ(p.image, c.image) << c.picture.width() << "x" << c.picture.height();
        EXPECT_EQ(p.stretched, c.stretched);
        EXPECT_EQ(p.panel, c.panel);
    }
}

TEST(PageGeometry, ProportionalScaling) {
    EXPECT_EQ(ScaleBounds(QRect(14, 17, 257, 309), {587, 338}, {1174, 676}),
              QRect(28, 34, 514, 618));
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
        // Fitting and too wide at the design size: FrameVideo_test, through the window.
        {{2, 2, 640, 480}, {1174, 676}, 542, {545, 105, 627, 471}},  // shrunk, proportion kept
        {{2, 2, 100, 600}, {587, 338}, 271, {401, 7, 57, 330}},      // too tall: the area's height
        {{2, 2, -1, -1}, {587, 338}, 271, {274, 4, 311, 330}},  // size unknown: fills the space
    };
    for (const Case& c : cases) {
        const QRect panel = VideoPanelRect(c.video, c.client, c.wurdsRight);
        EXPECT_EQ(panel, c.panel) << c.video.width() << "x" << c.video.height() << " in "
                                  << c.client.width();
        // Always inside the window.
        EXPECT_GE(panel.top(), 0);
        EXPECT_LE(panel.bottom(), c.client.height() - 1);
        EXPECT_LE(panel.right(), c.client.width() - 1);
    }
}

// Estimated stop times and the Longer/Shorter steps.
TEST(SyncLogic, EstimatesShareTheRestOfTheSound) {
    // The table counts units to the end of the page, leader (2) included.
    const SyllableTable t =
        EstimateSyllables({QStringLiteral("the"), QStringLiteral("cat"), QStringLiteral("sat.")});
    EXPECT_EQ((std::vector<int>{t[0], t[1], t[2], t[3]}), (std::vector<int>{7, 5, 4, 3}));
    EXPECT_EQ(EstimateSyllables({})[0], 0);
    // The estimates of the leader and word 1, the last word reaching the end
    // and a narration past 65.5 s: shell/PageMedia_test.cpp, through the
    // synchronising window. Never before the previous stop:
    EXPECT_EQ(EstimateStop(t, 2, 3, 6990, 7000, 6995), 6995);
    // An empty table or a stretch outside the page gives the previous stop.
    EXPECT_EQ(EstimateStop(SyllableTable{}, 0, 0, 0, 7000, 0), 0);
    EXPECT_EQ(EstimateStop(t, 5, 3, 0, 7000, 10), 10);
}

TEST(SyncLogic, LongerAndShorterStayWithinTheStretch) {
    const struct {
        bool longer;
        qint64 current, step, previous, length, expected;
    } cases[] = {
        {false, 2950, 200, 2800, 7000, 2800},  // 150 above the previous stop, step 200
        {false, 3000, 100, 2800, 7000, 2900},  {true, 3000, 25, 2800, 7000, 3025},
        {true, 2000, 100, 2800, 7000, 2800},    // below the previous stop: raised to it
        {false, 9000, 100, 2800, 7000, 6999},   // past the end: lowered to length - 1
        {true, 70000, 1000, 0, 100000, 71000},  // no 16-bit wrap
    };
    for (const auto& c : cases) {
        const qint64 got = c.longer ? Lengthen(c.current, c.step, c.previous, c.length)
                                    : Shorten(c.current, c.step, c.previous, c.length);
        EXPECT_EQ(got, c.expected) << (c.longer ? "longer " : "shorter ") << c.current;
    }
}

}  // namespace
}  // namespace vellora
