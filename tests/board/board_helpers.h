// Shared helpers of the board tests: loading positions, a small perft and a consistency check.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/zobrist.h"

inline void ensureAttackTables() {
    static const bool built = [] {
        initAttackTables();
        return true;
    }();
    (void)built;
}

inline Position loadFen(const char* fen) {
    ensureAttackTables();
    Position position;
    position.reset();
    EXPECT_EQ(parseFen(position, fen), 1) << fen;
    return position;
}

inline std::string fenOf(const Position& position, int32_t counter = 0) {
    char buffer[FEN_BUFFER_SIZE];
    writeFen(position, counter, buffer);
    return buffer;
}

// Plays a legal move picked at random; false, with nothing played, when there is none.
inline bool playRandomLegalMove(Position& position, std::mt19937& rng) {
    ScoredMove legal[MAX_MOVES];
    const int32_t count = generateLegalMoves(position, legal, isInCheck(position));
    if (count == 0) return false;
    UndoRecord undo;
    position.doMove(legal[rng() % uint32_t(count)].move, undo);
    return true;
}

// Calls visit(position) at every position of a random game of up to `plies` moves from each FEN.
template <typename Visit>
void alongRandomGames(std::initializer_list<const char*> fens, uint32_t seed, int32_t plies, Visit visit) {
    std::mt19937 rng(seed);
    for (const char* fen : fens) {
        Position position = loadFen(fen);
        for (int32_t ply = 0; ply < plies; ++ply) {
            visit(position);
            if (!playRandomLegalMove(position, rng)) break;
        }
    }
}

// Counts leaves the way the engine decides legality: make, test the mover's king, unmake.
inline uint64_t perft(Position& position, int32_t depth) {
    ScoredMove list[MAX_MOVES];
    const int32_t count = generateMoves(position, list, isInCheck(position));
    uint64_t nodes = 0;
    for (int32_t i = 0; i < count; ++i) {
        UndoRecord undo;
        if (!position.doMoveIfLegal(list[i].move, undo)) continue;
        nodes += depth > 1 ? perft(position, depth - 1) : 1;
        position.undoMove(list[i].move, undo);
    }
    return nodes;
}

// Every derived field equals a recomputation from the piece bitboards.
inline ::testing::AssertionResult isConsistent(const Position& p) {
    Bitboard all[2] = {0, 0};
    int32_t material[2] = {0, 0}, phase[2] = {0, 0};
    uint64_t materialKey = 0;
    for (int32_t c = 0; c < 2; ++c) {
        if (p.pieces[c][0] || p.pieces[c][7]) return ::testing::AssertionFailure() << "type 0/7 set";
        for (int32_t t = PAWN; t <= KING; ++t) {
            if (all[c] & p.pieces[c][t]) return ::testing::AssertionFailure() << "overlap";
            all[c] |= p.pieces[c][t];
            const int32_t n = std::popcount(p.pieces[c][t]);
            material[c] += n * pieceValue[t];
            phase[c] += n * phaseWeight[t];
            materialKey += uint64_t(n) * materialKeyIncrement[c][t];
            for (Bitboard b = p.pieces[c][t]; b; b &= b - 1)
                if (p.board[std::countr_zero(b)] != t) return ::testing::AssertionFailure() << "board";
        }
        if (all[c] != p.byColour[c]) return ::testing::AssertionFailure() << "byColour " << c;
        if (material[c] != p.material[c]) return ::testing::AssertionFailure() << "material " << c;
        if (phase[c] != p.phaseByColour[c]) return ::testing::AssertionFailure() << "phase " << c;
        if (p.pieces[c][KING] && !(p.pieces[c][KING] & (1ULL << p.kingSquare[c])))
            return ::testing::AssertionFailure() << "kingSquare " << c;
    }
    if ((all[0] & all[1]) || p.occupied != (all[0] | all[1])) return ::testing::AssertionFailure() << "occupied";
    for (int32_t sq = 0; sq < 64; ++sq)
        if (!(p.occupied & (1ULL << sq)) && p.board[sq]) return ::testing::AssertionFailure() << "board " << sq;
    if (p.phase != phase[0] + phase[1]) return ::testing::AssertionFailure() << "phase";
    if (p.materialKey != materialKey) return ::testing::AssertionFailure() << "materialKey";
    if (p.otherSide != (p.sideToMove ^ 1)) return ::testing::AssertionFailure() << "otherSide";
    if (p.key != computeKey(p)) return ::testing::AssertionFailure() << "key";
    if (p.pawnKey != computePawnKey(p)) return ::testing::AssertionFailure() << "pawnKey";
    return ::testing::AssertionSuccess();
}

// Field by field: padding bytes carry no meaning.
inline bool samePosition(const Position& a, const Position& b) {
    auto same = [](const auto& x, const auto& y) { return std::memcmp(&x, &y, sizeof(x)) == 0; };
    return a.key == b.key && a.pawnKey == b.pawnKey && a.occupied == b.occupied && same(a.byColour, b.byColour) &&
           same(a.pieces, b.pieces) && same(a.board, b.board) && same(a.material, b.material) &&
           a.sideToMove == b.sideToMove && a.otherSide == b.otherSide && a.phase == b.phase &&
           same(a.phaseByColour, b.phaseByColour) && a.materialKey == b.materialKey &&
           a.castlingRights == b.castlingRights && a.epFile == b.epFile && a.rule50 == b.rule50 &&
           same(a.kingSquare, b.kingSquare) && same(a.castleKingFrom, b.castleKingFrom) &&
           same(a.castleRookKingSide, b.castleRookKingSide) && same(a.castleRookQueenSide, b.castleRookQueenSide) &&
           same(a.castlePathKingSide, b.castlePathKingSide) && same(a.castlePathQueenSide, b.castlePathQueenSide) &&
           a.chess960 == b.chess960;
}
