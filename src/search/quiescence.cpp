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

void scoreQuiescenceCaptures(ScoredMove* entries, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const Move move = entries[i].move;
        if (isCaptureOrQueenPromotion(move)) {
            entries[i].score = pieceValue[moveCaptured(move)] < pieceValue[movePiece(move)] ? SEE_TESTED_SCORE
                                                                                            : captureScore(move);
        } else {
            entries[i].score = SKIPPED_SCORE;
        }
    }
    sortMoves(entries, count);
}

}  // namespace

int32_t Engine::quiescenceEntry(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, int32_t pvNode,
                                int32_t inCheck) {
    pvLength[ply] = 0;
    pvTable[ply][0] = noMove;
    if (stopReason != STOP_RUNNING || !checkStop()) return 0;
    if (ply > MAX_SEARCH_PLY || isInsufficientMaterial(position)) return DRAW_SCORE;
    return quiescenceSearch(alpha, beta, depth, ply, pvNode, inCheck);
}

int32_t Engine::quiescenceSearch(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, int32_t pvNode,
                                 int32_t inCheck) {
    Position& pos = position;
    if (pos.rule50 > 99 && !isCheckmated(pos)) return DRAW_SCORE;
    if (isRepetition(*this)) return DRAW_SCORE;

    MoveList& list = moveLists[ply];
    if (inCheck) {
        list.count = generateEvasions(pos, list.entries, MAX_MOVES);
        scoreAndSortMoves(*this, pos, list.entries, list.count);
    } else {
        const int32_t balance = pos.material[pos.sideToMove] - pos.material[pos.otherSide];
        const int32_t standPat = (balance + LAZY_EVAL_MARGIN < alpha || balance - LAZY_EVAL_MARGIN > beta)
                                     ? balance
                                     : evaluator.evaluate(pos);
        if (standPat > alpha) {
            if (standPat >= beta) return standPat;
            alpha = standPat;
        }
        list.count = generateCaptures(pos, list.entries, MAX_MOVES);
        scoreQuiescenceCaptures(list.entries, list.count);
    }

    pvLength[ply] = 0;
    pvTable[ply][0] = noMove;
    int32_t searchedCount = 0;

    for (int32_t i = 0; i < list.count; ++i) {
        const ScoredMove entry = list.entries[i];
        if (entry.score == SKIPPED_SCORE) continue;
        if (!inCheck && entry.score <= SEE_TESTED_SCORE && pos.see(entry.move) < 0) continue;
        UndoRecord undo;
        const uint64_t keyBefore = pos.key;
        if (!pos.doMoveIfLegal(entry.move, undo)) continue;
        keyHistory[keyHistoryCount++] = keyBefore;
        ++limits.nodes;
        ++searchedCount;
        const int32_t givesCheck = isInCheck(pos);
        const int32_t score = -quiescenceEntry(-beta, -alpha, depth - 1, ply + 1, pvNode, givesCheck);
        pos.undoMove(entry.move, undo);
        --keyHistoryCount;
        if (stopReason != STOP_RUNNING) return 0;
        if (score > alpha) {
            if (score >= beta) return score;
            alpha = score;
            if (pvNode) updatePv(*this, ply, entry.move);
        }
    }

    if (!inCheck && depth >= 0) {
        list.count = generateQuietChecks(pos, list.entries, MAX_MOVES);
        scoreAndSortMoves(*this, pos, list.entries, list.count);
        for (int32_t i = 0; i < list.count; ++i) {
            const Move move = list.entries[i].move;
            if (pos.see(move) < 0) continue;
            UndoRecord undo;
            const uint64_t keyBefore = pos.key;
            if (!pos.doMoveIfLegal(move, undo)) continue;
            keyHistory[keyHistoryCount++] = keyBefore;
            ++limits.nodes;
            ++searchedCount;
            const int32_t score = -quiescenceEntry(-beta, -alpha, depth - 1, ply + 1, pvNode, 1);
            pos.undoMove(move, undo);
            --keyHistoryCount;
            if (stopReason != STOP_RUNNING) return 0;
            if (score > alpha) {
                if (score >= beta) return score;
                alpha = score;
                if (pvNode) updatePv(*this, ply, move);
            }
        }
    }

    if (inCheck && searchedCount == 0) {
        pvLength[ply] = 0;
        pvTable[ply][0] = noMove;
        return ply - MATE_SCORE;
    }
    return alpha;
}
