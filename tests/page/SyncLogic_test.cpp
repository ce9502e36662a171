// The rules of synchronising words with the page sound: syllable units,
// estimated stop times and the Longer/Shorter steps.
#include <gtest/gtest.h>

#include "SyncLogic.h"

namespace vellora {
namespace {

TEST(SyncLogic, SyllableUnitsPerWord) {
    const struct {
        const char* wurd;
        int units;
    } cases[] = {
        {"the", 1}, {"cat", 1},     {"sat.", 2},  {"queue", 1}, {"idea", 2},  {"nth", 1},
        {"", 1},    {"Really?!", 4}, {"YELLOW", 2}, {"rhythm", 1}, {"aeiou", 1}, {"banana", 3},
    };
    for (const auto& c : cases) EXPECT_EQ(SyllableCount(QString::fromUtf8(c.wurd)), c.units) << c.wurd;
}

TEST(SyncLogic, EstimatesShareTheRestOfTheSound) {
    // The table counts units to the end of the page, leader (2) included.
    const SyllableTable t = EstimateSyllables({QStringLiteral("the"), QStringLiteral("cat"), QStringLiteral("sat.")});
    EXPECT_EQ((std::vector<int>{t[0], t[1], t[2], t[3]}), (std::vector<int>{7, 5, 4, 3}));
    EXPECT_EQ(EstimateSyllables({})[0], 0);
    // Leader: (7000 div 5) x 2; word 1 from there: 2800 + (4200 div 4) x 1.
    EXPECT_EQ(EstimateStop(t, 0, 3, 0, 7000, 0), 2800);
    EXPECT_EQ(EstimateStop(t, 1, 3, 2800, 7000, 2800), 3850);
    // The last word always reaches the end of the sound, never past it.
    EXPECT_EQ(EstimateStop(t, 3, 3, 5000, 7000, 5000), 7000);
    // Never before the previous stop.
    EXPECT_EQ(EstimateStop(t, 2, 3, 6990, 7000, 6995), 6995);
    // Past 65.5 s nothing wraps: a long narration is estimated to its end.
    EXPECT_EQ(EstimateStop(t, 0, 3, 0, 200000, 0), 80000);
    EXPECT_EQ(EstimateStop(t, 3, 3, 150000, 200000, 150000), 200000);
    // An empty table or a stretch outside the page gives the previous stop.
    EXPECT_EQ(EstimateStop(SyllableTable{}, 0, 0, 0, 7000, 0), 0);
    EXPECT_EQ(EstimateStop(t, 5, 3, 0, 7000, 10), 10);
}

TEST(SyncLogic, LongerAndShorterStayWithinTheStretch) {
    EXPECT_EQ(StepOf(StepSize::Full, 100), 100);
    EXPECT_EQ(StepOf(StepSize::Quarter, 100), 25);
    EXPECT_EQ(StepOf(StepSize::TwentyFifth, 100), 4);
    const struct {
        bool longer;
        qint64 current, step, previous, length, expected;
    } cases[] = {
        {false, 2950, 200, 2800, 7000, 2800},  // 150 above the previous stop, step 200
        {false, 3000, 100, 2800, 7000, 2900},
        {true, 6950, 100, 2800, 7000, 6999},   // near the end: length - 1
        {true, 3000, 25, 2800, 7000, 3025},
        {true, 2000, 100, 2800, 7000, 2800},   // below the previous stop: raised to it
        {false, 9000, 100, 2800, 7000, 6999},  // past the end: lowered to length - 1
        {true, 70000, 1000, 0, 100000, 71000}, // no 16-bit wrap
    };
    for (const auto& c : cases) {
        const qint64 got = c.longer ? Lengthen(c.current, c.step, c.previous, c.length)
                                    : Shorten(c.current, c.step, c.previous, c.length);
        EXPECT_EQ(got, c.expected) << (c.longer ? "longer " : "shorter ") << c.current;
    }
}

}  // namespace
}  // namespace vellora
