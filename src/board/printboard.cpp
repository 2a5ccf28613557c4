#include <cstdio>

#include "board/position.h"

namespace {

constexpr char whiteLetters[] = " PNBRQK ";
constexpr char blackLetters[] = " pnbrqk ";
constexpr const char* frameLine = "|---|---|---|---|---|---|---|---|";

}  // namespace

void Position::printBoard() const {
    std::printf("%s\n", frameLine);
    for (int32_t rank = 7; rank >= 0; rank--) {
        char row[34];
        char* out = row;
        *out++ = '|';
        for (int32_t file = 0; file < 8; file++) {
            const int32_t square = rank * 8 + file;
            const int32_t type = board[square] & 7;
            const bool white = (byColour[WHITE] >> square & 1) != 0;
            *out++ = ' ';
            *out++ = white ? whiteLetters[type] : blackLetters[type];
            *out++ = ' ';
            *out++ = '|';
        }
        *out = '\0';
        std::printf("%s\n%s\n", row, frameLine);
    }
    std::printf("%s\n", sideToMove == WHITE ? "White to play" : "Black to play");
}
