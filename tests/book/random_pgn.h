// Random legal games written as PGN, shared by the book builder's tests and its benchmark.
// Needs the attack tables.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "board/movegen.h"
#include "board/san.h"

namespace randompgn {

struct Options {
    int32_t minPlies = 10;
    int32_t maxPlies = 80;
    // Percent chance, at every ply, to leave the most popular move for a less popular one:
    // low values make games share long openings, high values make them diverge at once.
    int32_t divergePercent = 40;
    // Percent chance per game of noisy move texts.
    int32_t noisePercent = 20;
    // As a site exports games: the whole move text on one line, a clock and evaluation comment
    // after every move, and Black's moves numbered ("1...") after White's comment.
    bool clockComments = false;
};

// A small deterministic generator (xorshift), so a seed always gives the same collection.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    int32_t below(int32_t bound) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return bound <= 0 ? 0 : int32_t(uint32_t(state >> 16) % uint32_t(bound));
    }
    bool percent(int32_t chance) { return below(100) < chance; }

private:
    uint64_t state;
};

// Appends one game (tags, move text, result) to `out`. The PGN reader hands the same texts to
// every builder, so the noise that matters is in the move texts themselves: unreadable and
// illegal moves, castling with zeros, check and mate marks.
inline void appendGame(std::string& out, Random& random, const Options& options) {
    static const char* const results[] = {"1-0", "0-1", "1/2-1/2", "*"};
    const std::string result = results[random.below(4)];
    const bool noisy = random.percent(options.noisePercent);
    out += "[Event \"random\"]\n[Result \"" + result + "\"]\n\n";
    Position position{};
    position.reset();
    position.setStartPosition();
    const int32_t plies = options.minPlies + random.below(options.maxPlies - options.minPlies + 1);
    for (int32_t ply = 0; ply < plies; ++ply) {
        ScoredMove legal[MAX_MOVES];
        const int32_t count = generateLegalMoves(position, legal, isInCheck(position));
        if (count == 0) break;
        // Every game prefers the move the position's key picks, and walks on only now and then.
        int32_t skips = 0;
        while (skips < count - 1 && random.percent(options.divergePercent)) ++skips;
        const Move move = legal[(position.key % uint32_t(count) + uint32_t(skips)) % uint32_t(count)].move;
        char san[SAN_BUFFER_SIZE];
        moveToSan(position, move, san);
        std::string text = san;
        if (noisy && random.percent(3)) text = random.percent(50) ? "Zz9" : "O-O";
        if (noisy && isCastling(move) && random.percent(50)) text = text.size() == 3 ? "0-0" : "0-0-0";
        UndoRecord undo;
        position.doMove(move, undo);
        if (isInCheck(position)) text += countLegalMoves(position) == 0 ? "#" : "+";
        if (ply % 2 == 0 || options.clockComments) out += std::to_string(ply / 2 + 1) + (ply % 2 ? "... " : ". ");
        out += text;
        if (options.clockComments) {
            // From the ply, not the generator, so the games stay those of the plain export.
            char comment[64];
            std::snprintf(comment, sizeof comment, " { [%%eval 0.%d] [%%clk 0:09:%02d] } ", ply * 37 % 100, 59 - ply % 60);
            out += comment;
        } else {
            out += ply % 8 == 7 ? "\n" : " ";
        }
    }
    out += result + "\n\n";
}

}  // namespace randompgn
