#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "search/timecontrol.h"

// A late search of the game (no first-search factor) unless a test says otherwise.
constexpr int32_t LATE = 10;

TEST(ClockBudget, BaseFormulasByMovesToGoAndIncrement) {
    EXPECT_EQ(clockBudget(60000.0f, 0, 40, LATE), 1500000u);   // remaining / movesToGo
    EXPECT_EQ(clockBudget(10000.0f, 0, 1, LATE), 5000000u);    // half of the remaining time
    EXPECT_EQ(clockBudget(40000.0f, 0, 0, LATE), 1000000u);    // a fortieth
    EXPECT_EQ(clockBudget(30000.0f, 2000, 0, LATE), 3000000u); // increment + a thirtieth
    // A negative increment counts as none; a negative moves-to-go as sudden death.
    EXPECT_EQ(clockBudget(40000.0f, -500, 0, LATE), 1000000u);
    EXPECT_EQ(clockBudget(40000.0f, 0, -3, LATE), 1000000u);
}

TEST(ClockBudget, SuddenDeathThirtiethRoundsUp) {
    // The factor is the float just above 100/3: with the nearest float to 100/3 this would
    // give 10000000 for the remaining time.
    EXPECT_EQ(clockBudget(300000.0f, 1, 0, LATE), 1000u + 10000001u);
}

TEST(ClockBudget, FirstSearchesOfAGameGetMore) {
    EXPECT_EQ(clockBudget(60000.0f, 0, 40, 0), 3000000u);
    EXPECT_NEAR(double(clockBudget(60000.0f, 0, 40, 5)), 2250000.0, 1.0);
    EXPECT_NEAR(double(clockBudget(60000.0f, 0, 40, 9)), 1650000.0, 1.0);
    EXPECT_EQ(clockBudget(60000.0f, 0, 40, 10), 1500000u);
    EXPECT_EQ(clockBudget(60000.0f, 0, 40, 500), 1500000u);
}

TEST(ClockBudget, NeverMoreThanFourFifthsOfTheClockLessFiftyMilliseconds) {
    // movesToGo 1 on the first search would give the whole clock.
    EXPECT_EQ(clockBudget(10000.0f, 0, 1, 0), 7950000u);
    // A large increment with little time left.
    EXPECT_EQ(clockBudget(1000.0f, 5000, 0, LATE), 750000u);
    EXPECT_EQ(clockBudget(1000.0f, 5000, 0, 0), 750000u);
    EXPECT_EQ(clockBudget(100.0f, 0, 2, 0), 30000u);
    // Below 62.5 ms the cap is one millisecond, whatever the increment.
    EXPECT_EQ(clockBudget(50.0f, 10000, 0, LATE), 1000u);
    EXPECT_EQ(clockBudget(1.0f, 10000, 1, LATE), 500u);
    // Under the cap nothing changes.
    EXPECT_EQ(clockBudget(100000.0f, 0, 30, LATE), 3333333u);
}

TEST(ClockBudget, ExtremeClocksSaturate) {
    EXPECT_EQ(clockBudget(-500.0f, 0, 0, 0), 0u);
    EXPECT_EQ(clockBudget(0.0f, 0, 0, 0), 0u);
    EXPECT_EQ(clockBudget(1e12f, 0, 1, LATE), UINT32_MAX);
    EXPECT_EQ(clockBudget(1e12f, INT32_MAX, 0, 0), UINT32_MAX);
    EXPECT_EQ(clockBudget(std::numeric_limits<float>::quiet_NaN(), 0, 0, 0), 0u);
    EXPECT_EQ(clockBudget(std::numeric_limits<float>::infinity(), 0, 0, 0), UINT32_MAX);
}

TEST(SaturateToU32, TruncatesAndClamps) {
    EXPECT_EQ(saturateToU32(-1.0), 0u);
    EXPECT_EQ(saturateToU32(1.9), 1u);
    EXPECT_EQ(saturateToU32(4294967294.5), 4294967294u);
    EXPECT_EQ(saturateToU32(1e30), UINT32_MAX);
    EXPECT_EQ(saturateToU32(std::nan("")), 0u);
}

TEST(MonotonicClock, NeverGoesBack) {
    const uint64_t first = monotonicMicros();
    const uint64_t second = monotonicMicros();
    EXPECT_GE(second, first);
    EXPECT_GT(first, 0u);
}
