#include <algorithm>
#include <cstdlib>

#include "board/movegen.h"
#include "search/engine.h"
#include "search/movepick.h"
#include "search/searchutil.h"

namespace {

// Margins by remaining plies; only depths up to 15 quarter plies read them.
constexpr int32_t razorMargin[8] = {0, 200, 400, 600, 975, 975, 975, 975};
constexpr int32_t futilityMargin[8] = {0, 100, 200, 300, 975, 975, 975, 975};
constexpr int32_t NOT_EVALUATED = 32767;
constexpr int32_t PRUNING_DEPTH_LIMIT = 15;

inline bool isQuiet(Move move) { return moveCaptured(move) == NO_PIECE && movePromotion(move) == NO_PIECE; }

// Skip threshold of the strength limit, 0 at full strength and 10000 at the weakest setting.
int32_t strengthSkipThreshold() {
    const float weakening = float(strengthElo - 1000) * 0.000625f;
    const float keep = 1.0f - weakening;
    float percent = 100.0f * keep;
    // Saturate before converting: an out-of-range float conversion is undefined.
    percent = std::clamp(percent, 0.0f, 100.0f);
    return 100 * int32_t(percent);
}

}  // namespace

int32_t Engine::searchEntry(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, int32_t allowNull,
                            int32_t pvNode, int32_t inCheck) {
    pvLength[ply] = 0;
    pvTable[ply][0] = noMove;
    if (stopReason != STOP_RUNNING || !checkStop()) return 0;
    if (ply > MAX_SEARCH_PLY) return DRAW_SCORE;
    return search(alpha, beta, depth, ply, allowNull, pvNode, inCheck);
}

int32_t Engine::search(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, int32_t allowNull, int32_t pvNode,
                       int32_t inCheck) {
    Position& pos = position;
    if (isInsufficientMaterial(pos)) return DRAW_SCORE;
    if (pos.rule50 > 99 && (!inCheck || !isCheckmated(pos))) return DRAW_SCORE;
    if (isRepetition(*this)) return DRAW_SCORE;
    limits.seldepth = std::max(limits.seldepth, ply);

    alpha = std::max(alpha, ply - MATE_SCORE);
    beta = std::min(beta, MATE_SCORE - ply);
    if (beta <= alpha) return alpha;

    const uint64_t key = pos.key;
    Move hashMove = noMove;
    int32_t ttScore = 0;
    if (tt.probe(key, depth, ply, alpha, beta, hashMove, ttScore) != TT_MISS) return ttScore;

    const int32_t plies = depth / 4;
    const bool eligible = !inCheck && !pvNode;
    const bool hasPieces = pos.phaseByColour[pos.sideToMove] != 0;
    const bool betaNotMate = std::abs(beta) < MATE_BOUND;
    int32_t staticEval = NOT_EVALUATED;

    if (eligible && depth <= PRUNING_DEPTH_LIMIT && hashMove == noMove && hasPieces && betaNotMate) {
        staticEval = evaluator.lazyEvaluate(pos, alpha, beta);
        if (staticEval + razorMargin[plies] < beta) {
            const int32_t target = beta - razorMargin[plies];
            const int32_t score = quiescenceEntry(target - 1, target, 0, ply + 1, 0, 0);
            if (score < target) return score;
        }
    }

    if (eligible && depth <= PRUNING_DEPTH_LIMIT && allowNull && hasPieces && betaNotMate) {
        if (staticEval == NOT_EVALUATED) staticEval = evaluator.lazyEvaluate(pos, alpha, beta);
        if (staticEval - futilityMargin[plies] >= beta) return staticEval - futilityMargin[plies];
    }

    if (eligible && allowNull && limits.nullMoveEnabled && hasPieces && depth > 7) {
        keyHistory[keyHistoryCount++] = key;
        UndoRecord nullUndo;
        pos.doNullMove(nullUndo);

        const int32_t childDepth = depth - 4 - 4 * (3 + plies / 8);
        const int32_t score = childDepth <= 3
                                  ? -quiescenceEntry(-beta, -beta + 1, 0, ply + 1, 0, 0)
                                  : -searchEntry(-beta, -beta + 1, childDepth, ply + 1, 0, 0, 0);

        pos.undoNullMove(nullUndo);
        --keyHistoryCount;
        if (stopReason != STOP_RUNNING) return 0;
        if (score >= beta) {
            tt.store(key, noMove, score, depth, ply, BOUND_LOWER);
            return score;
        }
    }

    pvLength[ply] = 0;
    pvTable[ply][0] = noMove;

    // Internal iterative deepening finds a first move for a PV node the table knows nothing of.
    if (depth > 16 && pvNode && !inCheck && hashMove == noMove && allowNull) {
        if (stopReason == STOP_RUNNING && checkStop() && ply <= MAX_SEARCH_PLY) {
            search(alpha, beta, depth - 8, ply, 1, 1, inCheck);
        }
        hashMove = tt.storedMove(key);
    }
    if (stopReason != STOP_RUNNING) return 0;

    bool futilityPruning = false;
    int32_t futilityValue = 0;
    if (eligible && depth <= PRUNING_DEPTH_LIMIT && pos.phase > 8) {
        if (staticEval == NOT_EVALUATED) staticEval = evaluator.lazyEvaluate(pos, alpha, beta);
        futilityValue = staticEval + futilityMargin[plies];
        futilityPruning = futilityValue <= alpha;
    }

    MoveList& list = moveLists[ply];
    startPicking(list, ply, hashMove, inCheck);
    int32_t moveCount = 0;
    int32_t skipCount = 0;
    int32_t bound = BOUND_UPPER;
    const int32_t reductionRow = std::min(plies, 63);

    for (;;) {
        const Move move = pickNextMove(*this, list, pos);
        if (move == noMove) break;

        if (strengthLimited && skipCount <= 1 && moveCount > 0 &&
            int64_t(strengthSkipThreshold()) > int64_t(key % 10000) + 4 * int64_t(depth)) {
            ++skipCount;
            continue;
        }

        UndoRecord undo;
        if (!pos.doMoveIfLegal(move, undo)) continue;
        keyHistory[keyHistoryCount++] = key;
        ++limits.nodes;

        const int32_t givesCheck = isInCheck(pos);
        int32_t extension = givesCheck ? 4 : 0;
        const int32_t toRank = rankOf(moveTo(move));
        if (movePiece(move) == PAWN && (toRank == 1 || toRank == 6)) extension = 4;

        if (futilityPruning && moveCount > 0 && extension == 0 && isQuiet(move) && alpha >= futilityValue) {
            pos.undoMove(move, undo);
            --keyHistoryCount;
            ++moveCount;
            continue;
        }

        const int32_t newDepth = depth - 4 + extension;
        int32_t score;
        if (moveCount == 0) {
            score = newDepth <= 3 ? -quiescenceEntry(-beta, -alpha, 0, ply + 1, pvNode, givesCheck)
                                  : -searchEntry(-beta, -alpha, newDepth, ply + 1, 1, pvNode, givesCheck);
        } else {
            bool done = false;
            if (limits.lmrEnabled && moveCount > 3 && depth > 11 && !inCheck && extension == 0 &&
                list.pickedStage == PICK_QUIETS) {
                const int32_t reduction = lmrReduction[reductionRow][std::min(moveCount, 63)];
                const int32_t reducedDepth = std::max(4, depth - 4 - 4 * reduction);
                score = -searchEntry(-alpha - 1, -alpha, reducedDepth, ply + 1, 1, 0, givesCheck);
                done = score <= alpha;
            }
            if (!done) {
                score = newDepth <= 3 ? -quiescenceEntry(-alpha - 1, -alpha, 0, ply + 1, 0, givesCheck)
                                      : -searchEntry(-alpha - 1, -alpha, newDepth, ply + 1, 1, 0, givesCheck);
                if (score > alpha && score < beta) {
                    score = newDepth <= 3 ? -quiescenceEntry(-beta, -alpha, 0, ply + 1, 1, givesCheck)
                                          : -searchEntry(-beta, -alpha, newDepth, ply + 1, 1, 1, givesCheck);
                }
            }
        }

        pos.undoMove(move, undo);
        --keyHistoryCount;
        ++moveCount;
        if (stopReason != STOP_RUNNING) return 0;

        if (score > alpha) {
            if (score >= beta) {
                tt.store(key, move, score, depth, ply, BOUND_LOWER);
                if (isQuiet(move) && !inCheck) updateKillersAndHistory(*this, ply, move, pos.sideToMove, plies);
                return score;
            }
            alpha = score;
            bound = BOUND_EXACT;
            if (pvNode) updatePv(*this, ply, move);
        }
    }

    if (moveCount == 0) {
        pvLength[ply] = 0;
        pvTable[ply][0] = noMove;
        return inCheck ? ply - MATE_SCORE : DRAW_SCORE;
    }
    tt.store(key, pvTable[ply][0], alpha, depth, ply, bound);
    return alpha;
}
