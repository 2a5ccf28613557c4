// Random legal games written as PGN, with the noise that real collections carry (comments,
// variations, annotations, black move numbers, missing results, odd castling text). Shared by
// the book builder's tests and its benchmark. Needs the attack tables.
#pragma once

#include <cstdint>
#include <string>

#include "board/movegen.h"
#include "board/san_match.h"

namespace randompgn {

struct Options {
    int32_t minPlies = 10;
    int32_t maxPlies = 80;
    // Percent chance, at every ply, to leave the most popular move for a less popular one:
    // low values make games share long openings, high values make them diverge at once.
    int32_t divergePercent = 40;
    // Percent chance per game of each kind of noise.
    int32_t noisePercent = 20;
};

// A small deterministic generator (xorshift), so a seed always gives the same collection.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return uint32_t(state >> 16);
    }
    int32_t below(int32_t bound) { return bound <= 0 ? 0 : int32_t(next() % uint32_t(bound)); }
    bool percent(int32_t chance) { return below(100) < chance; }

private:
    uint64_t state;
};

// The shortest SAN text that names `move` alone among `legal`, with "+" or "#" as it gives
// check or mate (the caller adds them after playing the move).
inline std::string sanCore(const ScoredMove* legal, int32_t count, Move move) {
    if (isCastling(move)) return moveTo(move) > moveFrom(move) ? "O-O" : "O-O-O";
    static const char pieceLetters[] = " PNBRQK";
    const char file = char('a' + fileOf(moveFrom(move)));
    const char rank = char('1' + rankOf(moveFrom(move)));
    std::string target;
    if (moveCaptured(move) != NO_PIECE) target += 'x';
    target += char('a' + fileOf(moveTo(move)));
    target += char('1' + rankOf(moveTo(move)));
    if (movePromotion(move) != NO_PIECE) target += std::string("=") + pieceLetters[movePromotion(move)];
    const std::string piece = movePiece(move) == PAWN ? "" : std::string(1, pieceLetters[movePiece(move)]);
    const std::string froms[] = {"", std::string(1, file), std::string(1, rank), std::string{file, rank}};
    for (const std::string& from : froms) {
        // A pawn capture always names its file.
        if (movePiece(move) == PAWN && moveCaptured(move) != NO_PIECE && from.empty()) continue;
        const std::string text = piece + from + target;
        if (matchSanMove(legal, count, text.c_str()) == move) return text;
    }
    return piece + froms[3] + target;
}

// Picks a move: every game at a position prefers the same move (one the key chooses), and
// walks on to the next ones in generation order only now and then.
inline Move chooseMove(const Position& position, const ScoredMove* legal, int32_t count, Random& random,
                       const Options& options) {
    int32_t skips = 0;
    while (skips < count - 1 && random.percent(options.divergePercent)) ++skips;
    return legal[(position.key % uint32_t(count) + uint32_t(skips)) % uint32_t(count)].move;
}

inline const char* randomResult(Random& random) {
    static const char* const results[] = {"1-0", "0-1", "1/2-1/2", "*"};
    return results[random.below(4)];
}

// Appends one game (tags, move text, result) to `out`.
inline void appendGame(std::string& out, Random& random, const Options& options) {
    const char* result = randomResult(random);
    const bool noisy = random.percent(options.noisePercent);
    out += "[Event \"random\"]\n[Site \"?\"]\n";
    if (noisy && random.percent(30)) out += std::string("[Result \"") + randomResult(random) + "\"]\n";
    out += std::string("[Result \"") + result + "\"]\n\n";
    Position position{};
    position.reset();
    position.setStartPosition();
    const int32_t plies = options.minPlies + random.below(options.maxPlies - options.minPlies + 1);
    size_t lineStart = out.size();
    bool numberDue = true;
    for (int32_t ply = 0; ply < plies; ++ply) {
        ScoredMove legal[MAX_MOVES];
        const int32_t count = generateLegalMoves(position, legal, isInCheck(position));
        if (count == 0) break;
        const Move move = chooseMove(position, legal, count, random, options);
        std::string text = sanCore(legal, count, move);
        if (noisy && random.percent(3)) text = random.percent(50) ? "Zz9" : "O-O";
        if (noisy && isCastling(move) && random.percent(50)) text = text.size() == 3 ? "0-0" : "0-0-0";
        UndoRecord undo;
        position.doMove(move, undo);
        if (isInCheck(position)) text += countLegalMoves(position) == 0 ? "#" : "+";
        const int32_t moveNumber = ply / 2 + 1;
        if (position.sideToMove == BLACK)
            out += std::to_string(moveNumber) + ". ";
        else if (numberDue)
            out += std::to_string(moveNumber) + "... ";
        out += text + " ";
        numberDue = false;
        if (noisy && random.percent(10)) {
            const std::string nag = "$" + std::to_string(1 + random.below(9)) + " ";
            out += random.percent(50) ? "{a comment (with brackets)} " : nag;
            numberDue = true;
        }
        if (noisy && random.percent(5)) {
            out += "(" + std::to_string(moveNumber) + ". a3 {side line} h6) ";
            numberDue = true;
        }
        // PGN lines stay under 80 characters; a move text never starts a line with "[".
        if (out.size() - lineStart > 70) {
            out += "\n";
            lineStart = out.size();
        }
    }
    if (!(noisy && random.percent(20))) out += result;
    out += "\n\n";
}

}  // namespace randompgn
