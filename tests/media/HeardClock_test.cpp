#include "HeardClock.h"

#include <gtest/gtest.h>

#include <vector>

using vellora::HeardClock;

namespace {

// One event in a play: the device reports `heard` at `at`, or (heard < 0)
// the position is read at `at` and must be `expect`.
struct Step {
    int64_t at;
    int64_t heard;
    int64_t expect;
};
constexpr int64_t kRead = -1;

struct Case {
    const char* name;
    int64_t from;
    int64_t to;
    bool running;
    int64_t ceiling;  // 0: none
    std::vector<Step> steps;
};

TEST(HeardClock, FollowsCoarseReportsSmoothlyAndNeverBack) {
    const Case cases[] = {
        {"waits for the device's first progress", 1000, 5000, false, 0,
         {{0, 1000, 0}, {40, kRead, 1000}, {100, 1000, 0}, {150, kRead, 1000}}},
        {"runs on the clock between jumps", 0, 5000, false, 0,
         {{100, 0, 0}, {400, 250, 0}, {450, kRead, 300}, {600, kRead, 450}, {700, 600, 0}, {750, kRead, 650}}},
        {"a stale report does not pull it back", 0, 5000, false, 0,
         {{300, 300, 0}, {500, 380, 0}, {520, kRead, 520}, {600, kRead, 600}}},
        {"a short stall is followed once its reports fill the window", 0, 5000, false, 0,
         {{300, 300, 0}, {400, 400, 0}, {550, 400, 0}, {600, 450, 0}, {650, 500, 0}, {700, 550, 0},
          {710, kRead, 710}, {720, 570, 0}, {760, kRead, 710}, {900, kRead, 750}}},
        {"a stalled device is followed, holding still", 0, 5000, false, 0,
         {{300, 300, 0}, {900, kRead, 900}, {1000, 500, 0}, {1100, kRead, 900}, {1500, kRead, 1000}}},
        {"never past the end", 0, 300, false, 0, {{100, 100, 0}, {900, kRead, 300}}},
        {"never past what the device was given", 0, 5000, false, 400,
         {{100, 100, 0}, {1000, kRead, 400}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HeardClock clock;
        const int64_t origin = c.steps.front().at;
        clock.start(c.from, c.to, origin, c.running);
        if (c.ceiling) clock.setCeiling(c.ceiling);
        int64_t last = c.from;
        for (const Step& s : c.steps) {
            if (s.heard >= 0) {
                clock.report(s.heard, s.at);
                continue;
            }
            const int64_t p = clock.position(s.at);
            EXPECT_EQ(p, s.expect) << "at " << s.at;
            EXPECT_GE(p, last);
            last = p;
        }
    }
}

TEST(HeardClock, SilentPlayAdvancesWithTime) {
    HeardClock clock;
    clock.start(200, 700, 1000, true);
    EXPECT_EQ(clock.position(1000), 200);
    EXPECT_EQ(clock.position(1250), 450);
    EXPECT_EQ(clock.position(9000), 700);
}

}  // namespace
