#include <algorithm>

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

// The score that applies, chosen by a mask: the choice varies from move to move, and a branch
// on it would often be mispredicted.
int32_t choose(bool condition, int32_t ifTrue, int32_t ifFalse) {
    return ifFalse ^ ((ifFalse ^ ifTrue) & -int32_t(condition));
}

void scoreQuiescenceCaptures(ScoredMove* entries, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const Move move = entries[i].move;
        const bool cheaper = pieceValue[moveCaptured(move)] < pieceValue[movePiece(move)];
        const int32_t searched = choose(cheaper, SEE_TESTED_SCORE, captureScore(move));
        entries[i].score = choose(isCaptureOrQueenPromotion(move), searched, SKIPPED_SCORE);
    }
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
