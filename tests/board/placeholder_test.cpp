#include <gtest/gtest.h>

#include "board/types.h"

TEST(MoveWord, FieldsRoundTrip) {
    Move m = makeMove(E2, E4, PAWN, 0, 0, MOVE_DOUBLE_PUSH);
    EXPECT_EQ(moveFrom(m), E2);
    EXPECT_EQ(moveTo(m), E4);
    EXPECT_EQ(movePiece(m), PAWN);
    EXPECT_TRUE(isDoublePush(m));
    EXPECT_FALSE(isEnPassant(m));
}
