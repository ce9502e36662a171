// The question page's layout rules and the dealing of choice rows, with exact
// text metrics and a seeded random source.
#include "QuestionLayout.h"

#include <gtest/gtest.h>

#include <set>

#include "ChoiceDeal.h"

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
    // Half-way values go to the even neighbour.
    EXPECT_EQ(Nearest(2.5), 2);
    EXPECT_EQ(Nearest(3.5), 4);
}

TEST(QuestionLayout, RowsStackUnderTheStimulusAndRowsBeyondTheCountAreParked) {
    const FixedMeasurer m;
    const QuestionPlace two = FormatQuestion(m, input(2, 16, QStringLiteral("Why?")));
    EXPECT_EQ(two.rows[0].choice.top(), 23);  // stimulus 21 + 2
    EXPECT_EQ(two.rows[1].choice.top(), two.rows[0].choice.top() + two.rows[0].choice.height() + 2);
    for (int n : {2, 3}) {
        EXPECT_EQ(two.rows[size_t(n)].choice.top(), kParkedTop);
        EXPECT_EQ(two.rows[size_t(n)].value.top(), kParkedTop);
        EXPECT_EQ(two.rows[size_t(n)].cellTop, kParkedTop);
    }
    EXPECT_EQ(two.repeatTop, two.rows[1].choice.top() + two.rows[1].choice.height() + 2);
    EXPECT_EQ(two.indicRepeat.top(), two.repeatTop - 1);
    EXPECT_EQ(two.questionHeight, two.repeatTop + 28 + 4);
    // The value spin edit sits level with its row though it lives in another panel.
    EXPECT_EQ(two.valueTop + two.rows[0].value.top(), 17 + two.rows[0].choice.top() + 1);
    EXPECT_EQ(two.rows[0].indicator.top(), two.rows[0].choice.top() + 1);
    // Boxes sit inside the right edges of the enumerator and the choice memo.
    EXPECT_EQ(two.rows[0].fix.right(), two.rows[0].enumerator.right() - 1);
    EXPECT_EQ(two.rows[0].chSound.right(), two.rows[0].choice.right() - 1);

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

TEST(QuestionLayout, EachQuestionDomainShowsItsPanels) {
    struct Row {
        int domain;
        QuestionVisibility v;
    } rows[] = {
        {9, {false, false, false, false, false}}, {17, {false, false, false, false, false}},
        {18, {false, false, true, true, false}},  {19, {false, true, false, true, false}},
        {20, {false, true, false, true, true}},   {21, {true, false, false, true, false}},
        {22, {false, false, false, true, false}},
    };
    for (const Row& r : rows) {
        const QuestionVisibility v = VisibilityFor(r.domain);
        EXPECT_EQ(std::tuple(v.response, v.value, v.options, v.select, v.rowBoxes),
                  std::tuple(r.v.response, r.v.value, r.v.options, r.v.select, r.v.rowBoxes))
            << r.domain;
    }
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

}  // namespace
}  // namespace vellora
