#include <array>

#include "board/movegen.h"
#include "search/engine.h"
#include "search/movepick.h"
#include "search/quietchecks.h"
#include "search/searchutil.h"

namespace {

// Quiescence ordering: a capture of a cheaper piece (and a quiet queen promotion) scores 2000
// and must pass the exchange test; quiet under-promotions score -1 and are never searched.
constexpr int32_t SEE_TESTED_SCORE = 2000;
constexpr int32_t SKIPPED_SCORE = -1;

int32_t quiescenceScore(Move move) {
    if (!isCaptureOrQueenPromotion(move)) return SKIPPED_SCORE;
    const bool cheaper = pieceValue[moveCaptured(move)] < pieceValue[movePiece(move)];
    return cheaper ? SEE_TESTED_SCORE : captureScore(move);
}

// The score depends only on the moving, captured and promotion types (bits 12-20 of the move
// word): one table lookup per move instead of the comparisons.
constexpr int32_t MOVE_TYPES_SHIFT = 12;
constexpr int32_t MOVE_TYPES_COMBINATIONS = 512;

const std::array<int32_t, MOVE_TYPES_COMBINATIONS> quiescenceScores = [] {
    std::array<int32_t, MOVE_TYPES_COMBINATIONS> scores{};
    for (int32_t types = 0; types < MOVE_TYPES_COMBINATIONS; ++types)
        scores[types] = quiescenceScore(Move(types) << MOVE_TYPES_SHIFT);
    return scores;
}();

void scoreQuiescenceCaptures(ScoredMove* entries, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        entries[i].score = quiescenceScores[(entries[i].move >> MOVE_TYPES_SHIFT) % MOVE_TYPES_COMBINATIONS];
    sortMoves(entries, count);
}

// One quiescence node's window while its moves are tried.
struct QuiescenceNode {
    int32_t alpha;
    int32_t beta;
    int32_t depth;
    int32_t ply;
    bool pvNode;
    int32_t searchedCount = 0;
};

// Makes and searches one move of the node (a move known to give check skips the check test).
// True when the node ends here, with `exitScore` its value: a cut-off score, or 0 after a stop.
bool searchQuiescenceMove(Engine& engine, QuiescenceNode& node, Move move, bool knownToCheck, int32_t& exitScore) {
    UndoRecord undo;
    if (!makeSearchMove(engine, move, undo)) return false;
    ++engine.limits.nodes;
    ++node.searchedCount;
    const bool givesCheck = knownToCheck || isInCheck(engine.position);
    const int32_t score =
        -engine.quiescenceEntry(-node.beta, -node.alpha, node.depth - 1, node.ply + 1, node.pvNode, givesCheck);
    unmakeSearchMove(engine, move, undo);
    if (engine.stopReason != STOP_RUNNING) {
        exitScore = 0;
        return true;
    }
    if (score <= node.alpha) return false;
    if (score >= node.beta) {
        exitScore = score;
        return true;
    }
    node.alpha = score;
    if (node.pvNode) updatePv(engine, node.ply, move);
    return false;
}

}  // namespace

int32_t Engine::quiescenceEntry(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool pvNode, bool inCheck) {
    pvLength[ply] = 0;
    pvTable[ply][0] = noMove;
    if (stopReason != STOP_RUNNING || !checkStop()) return 0;
    if (ply > MAX_SEARCH_PLY || isInsufficientMaterial(position)) return DRAW_SCORE;
    return quiescenceSearch(alpha, beta, depth, ply, pvNode, inCheck);
}

int32_t Engine::quiescenceSearch(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool pvNode, bool inCheck) {
    Position& pos = position;
    if (isFiftyMovesReached(pos) && !isCheckmated(pos)) return DRAW_SCORE;
    if (isRepetition(*this)) return DRAW_SCORE;

    // In check every evasion is searched; otherwise the side to move may stand pat on its
    // static score and only captures and queen promotions are tried.
    MoveList& list = moveLists[ply];
    if (inCheck) {
        list.count = generateEvasions(pos, list.entries, MAX_MOVES);
        scoreAndSortMoves(*this, pos, list.entries, list.count);
    } else {
        const int32_t standPat = evaluator.lazyEvaluate(pos, alpha, beta);
        if (standPat > alpha) {
            if (standPat >= beta) return standPat;
            alpha = standPat;
        }
        list.count = generateCaptures(pos, list.entries, MAX_MOVES);
        scoreQuiescenceCaptures(list.entries, list.count);
    }

    pvLength[ply] = 0;
    pvTable[ply][0] = noMove;
    QuiescenceNode node{alpha, beta, depth, ply, pvNode};
    int32_t exitScore = 0;

    for (int32_t i = 0; i < list.count; ++i) {
        const ScoredMove entry = list.entries[i];
        if (entry.score == SKIPPED_SCORE) continue;
        // Captures of a cheaper piece must not lose material.
        if (!inCheck && entry.score <= SEE_TESTED_SCORE && pos.isLosingExchange(entry.move)) continue;
        if (searchQuiescenceMove(*this, node, entry.move, false, exitScore)) return exitScore;
    }

    // At its first ply the quiescence search also tries quiet checks that lose no material.
    if (!inCheck && depth >= 0) {
        list.count = generateQuietChecks(pos, list.entries, MAX_MOVES);
        scoreAndSortMoves(*this, pos, list.entries, list.count);
        for (int32_t i = 0; i < list.count; ++i) {
            const Move move = list.entries[i].move;
            if (pos.isLosingExchange(move)) continue;
            if (searchQuiescenceMove(*this, node, move, true, exitScore)) return exitScore;
        }
    }

    if (inCheck && node.searchedCount == 0) {
        pvLength[ply] = 0;
        pvTable[ply][0] = noMove;
        return ply - MATE_SCORE;
    }
    return node.alpha;
}
