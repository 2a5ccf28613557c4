// XBoard texts: time controls, move words and thinking-line times.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "protocol/xboard_text.h"

TEST(XboardText, LevelReadsMovesBaseAndIncrement) {
    struct Case {
        const char* text;
        bool applies;
        int32_t moves;
        float baseMs;
        int32_t incrementMs;
    } cases[] = {
        {"40 5 0", true, 40, 300000.0f, 0},
        {"0 2:30 1.5", true, 0, 150000.0f, 1500},
        {"0 0:05 0.05", true, 0, 5000.0f, 50},
        {"40 5", true, 40, 300000.0f, 0},
        {"-1 -5 -3", true, 0, 0.0f, 0},
        {"40 99999999999:99 1e30", true, 40, float(2147483647.0 * 60000.0 + 99000.0), INT32_MAX},
        {"x 5 nan", true, 0, 300000.0f, 0},
        {"40", false, 0, 0.0f, 0},
        {"", false, 0, 0.0f, 0},
    };
    for (const Case& c : cases) {
        TimeControl control;
        ASSERT_EQ(parseLevel(c.text, control), c.applies) << c.text;
        if (!c.applies) continue;
        EXPECT_EQ(control.movesPerSession, c.moves) << c.text;
        EXPECT_FLOAT_EQ(control.baseMs, c.baseMs) << c.text;
        EXPECT_EQ(control.incrementMs, c.incrementMs) << c.text;
    }
}

TEST(XboardText, MoveShapesAndCastlingWords) {
    for (const char* line : {"e2e4", "a1a1", "e7e8q", "h8a1 and more"}) EXPECT_TRUE(hasMoveShape(line)) << line;
    for (const char* line : {"", "e", "e2", "e2e", "e2e9", "i2e4", "E2E4", "O-O"}) EXPECT_FALSE(hasMoveShape(line)) << line;
    for (const char* line : {"O-O", "O-O-O", "O-O-O extra"}) EXPECT_TRUE(isCastlingWord(line)) << line;
    for (const char* line : {"O-", "O-O-", "O-O-O-O", "0-0", "o-o", "O-Ox"}) EXPECT_FALSE(isCastlingWord(line)) << line;
}

TEST(XboardText, ThinkingTimeIsInWholeCentiseconds) {
    EXPECT_EQ(centiseconds(1500000.0), 150);
    EXPECT_EQ(centiseconds(9999.0), 0);
    EXPECT_EQ(centiseconds(0.0), 0);
    EXPECT_EQ(centiseconds(NAN), 0);
    EXPECT_EQ(centiseconds(1e300), INT32_MAX);
}
