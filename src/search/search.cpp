// The alpha-beta search below the root: a principal-variation search with a transposition
// table, selective pruning before the moves, extensions and late-move reductions.
#include <algorithm>
#include <optional>

#include "board/movegen.h"
#include "board/zobrist.h"
#include "search/engine.h"
#include "search/movepick.h"
#include "search/searchutil.h"

namespace {

// Margins by remaining plies; only depths below SELECTIVE_DEPTH read them (entries 0 to 3).
constexpr int32_t razorMargin[8] = {0, 200, 400, 600, 975, 975, 975, 975};
constexpr int32_t futilityMargin[8] = {0, 100, 200, 300, 975, 975, 975, 975};
// Razoring and futility pruning trust a static score only this close to the leaves.
constexpr int32_t SELECTIVE_DEPTH = 4 * ONE_PLY;
// Below two plies a null-move search would be a bare quiescence search: not worth it.
constexpr int32_t NULL_MOVE_MIN_DEPTH = 2 * ONE_PLY;
// The null move's child is searched three plies shallower, one more for every eight plies of depth.
constexpr int32_t NULL_MOVE_REDUCTION = 3 * ONE_PLY;
constexpr int32_t NULL_MOVE_PLIES_PER_EXTRA_PLY = 8;
// Internal iterative deepening pays only in deep PV nodes; its search is two plies shallower.
constexpr int32_t IID_MIN_DEPTH = 4 * ONE_PLY;
constexpr int32_t IID_REDUCTION = 2 * ONE_PLY;
// Quiet moves are futility-pruned only while minor and major pieces remain (phase above 8):
// in thinner endgames a quiet move changes the balance too much.
constexpr int32_t FUTILITY_MIN_PHASE = 8;
// Late moves are reduced from the fifth one made on, at three plies or more, never below one ply.
constexpr int32_t LMR_MIN_DEPTH = 3 * ONE_PLY;
constexpr int32_t LMR_FIRST_MOVE = 4;
constexpr int32_t LMR_TABLE_LAST = 63;
// The strength limit skips at most the two moves picked after the first one made.
constexpr int32_t STRENGTH_MAX_SKIPS = 2;
constexpr int32_t STRENGTH_DEPTH_WEIGHT = 4;
// Marker of a static evaluation not computed yet.
constexpr int32_t NOT_EVALUATED = 32767;

// Skip threshold of the strength limit, 0 at full strength and 10000 at the weakest setting.
int32_t strengthSkipThreshold() {
    // 0.000625 is 1 / 1600, the width of the Elo range.
    const float weakening = float(strengthElo - STRENGTH_ELO_MIN) * 0.000625f;
    const float keep = 1.0f - weakening;
    float percent = 100.0f * keep;
    // Saturate before converting: an out-of-range float conversion is undefined.
    percent = std::clamp(percent, 0.0f, 100.0f);
    return 100 * int32_t(percent);
}

// A weakened engine overlooks some moves: the node's key decides, so every visit agrees.
bool skippedForStrength(uint64_t key, int32_t depth) {
    return int64_t(strengthSkipThreshold()) > int64_t(key % 10000) + STRENGTH_DEPTH_WEIGHT * int64_t(depth);
}

// The node's static evaluation, computed at most once and only when a pruning step asks.
struct LazyStaticEval {
    int32_t value = NOT_EVALUATED;

    int32_t get(const Engine& engine, int32_t alpha, int32_t beta) {
        if (value == NOT_EVALUATED) value = engine.evaluator.lazyEvaluate(engine.position, alpha, beta);
        return value;
    }
};

// The fifty-move rule, repetitions and bare material end the node as a draw; a checkmate given
// on the fiftieth move still counts as mate.
bool isDrawnByRule(Engine& engine, bool inCheck) {
    Position& pos = engine.position;
    if (isInsufficientMaterial(pos)) return true;
    if (isFiftyMovesReached(pos) && (!inCheck || !isCheckmated(pos))) return true;
    return isRepetition(engine);
}

// Razoring: far below beta near the leaves, a quiescence search of this position decides
// whether any move could still reach it. Gives the score to return, or nothing.
std::optional<int32_t> razor(Engine& engine, int32_t staticEval, int32_t beta, int32_t plies, int32_t ply) {
    if (staticEval + razorMargin[plies] >= beta) return std::nullopt;
    const int32_t target = beta - razorMargin[plies];
    const int32_t score = engine.quiescenceEntry(target - 1, target, 0, ply + 1, NON_PV_NODE, NOT_IN_CHECK);
    if (score < target) return score;
    return std::nullopt;
}

// Null move: when passing still holds beta, a real move will too. Gives the score to return
// (a cut-off, or 0 after a stop), or nothing.
std::optional<int32_t> tryNullMove(Engine& engine, int32_t beta, int32_t depth, int32_t ply) {
    Position& pos = engine.position;
    const uint64_t key = pos.key;
    UndoRecord undo;
    engine.keyHistory[engine.keyHistoryCount++] = key;
    pos.doNullMove(undo);
    engine.tt.prefetch(pos.key);
    const int32_t reduction = NULL_MOVE_REDUCTION + ONE_PLY * (depth / ONE_PLY / NULL_MOVE_PLIES_PER_EXTRA_PLY);
    const int32_t score =
        -searchChild(engine, -beta, -beta + 1, depth - ONE_PLY - reduction, ply + 1, NO_NULL_MOVE, NON_PV_NODE,
                     NOT_IN_CHECK);
    pos.undoNullMove(undo);
    --engine.keyHistoryCount;
    if (engine.stopReason != STOP_RUNNING) return 0;
    if (score < beta) return std::nullopt;
    engine.tt.store(key, noMove, score, depth, ply, BOUND_LOWER);
    return score;
}

// Late-move reduction: a quiet late move is first searched shallower with a null window and
// searched in full only when it beats alpha there.
bool isReducible(const Engine& engine, const MoveList& list, int32_t moveCount, int32_t depth, bool inCheck,
                 int32_t extension) {
    return engine.limits.lmrEnabled && moveCount >= LMR_FIRST_MOVE && depth >= LMR_MIN_DEPTH && !inCheck &&
           extension == 0 && list.pickedStage == PICK_QUIETS;
}

}  // namespace

int32_t Engine::searchEntry(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool allowNull, bool pvNode,
                            bool inCheck) {
    pvLength[ply] = 0;
    pvTable[ply][0] = noMove;
    if (stopReason != STOP_RUNNING || !checkStop()) return 0;
    if (ply > MAX_SEARCH_PLY) return DRAW_SCORE;
    return search(alpha, beta, depth, ply, allowNull, pvNode, inCheck);
}

int32_t Engine::search(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool allowNull, bool pvNode,
                       bool inCheck) {
    Position& pos = position;
    if (isDrawnByRule(*this, inCheck)) return DRAW_SCORE;
    limits.seldepth = std::max(limits.seldepth, ply);

    // Mate-distance bounds: no line from here beats a mate already found nearer the root.
    alpha = std::max(alpha, ply - MATE_SCORE);
    beta = std::min(beta, MATE_SCORE - ply);
    if (beta <= alpha) return alpha;

    // A stored result deep enough settles the node; a stored move is tried first anyway.
    const uint64_t key = pos.key;
    Move hashMove = noMove;
    int32_t ttScore = 0;
    if (tt.probe(key, depth, ply, alpha, beta, hashMove, ttScore) != TT_MISS) return ttScore;

    // Selective pruning before the moves, only in zero-window nodes out of check, and only for a
    // side that still has pieces (with bare pawns zugzwang makes static guesses unsafe).
    const int32_t plies = depth / ONE_PLY;
    const bool prunable = !inCheck && !pvNode && pos.phaseByColour[pos.sideToMove] != 0;
    const bool nearLeaves = depth < SELECTIVE_DEPTH;
    LazyStaticEval staticEval;

    // Razoring, when no stored move promises better.
    if (prunable && nearLeaves && hashMove == noMove && !isMateScore(beta)) {
        if (const auto score = razor(*this, staticEval.get(*this, alpha, beta), beta, plies, ply)) return *score;
    }
    // Reverse futility: a static score far above beta stands; like the null move, it is not
    // tried in the child of a null move.
    if (prunable && nearLeaves && allowNull && !isMateScore(beta)) {
        const int32_t margined = staticEval.get(*this, alpha, beta) - futilityMargin[plies];
        if (margined >= beta) return margined;
    }
    // Null move, never twice in a row.
    if (prunable && allowNull && limits.nullMoveEnabled && depth >= NULL_MOVE_MIN_DEPTH) {
        if (const auto score = tryNullMove(*this, beta, depth, ply)) return *score;
    }

    pvLength[ply] = 0;
    pvTable[ply][0] = noMove;

    // Internal iterative deepening finds a first move for a PV node the table knows nothing of.
    if (depth > IID_MIN_DEPTH && pvNode && !inCheck && hashMove == noMove && allowNull) {
        if (stopReason == STOP_RUNNING && checkStop() && ply <= MAX_SEARCH_PLY)
            search(alpha, beta, depth - IID_REDUCTION, ply, NULL_MOVE_ALLOWED, PV_NODE, inCheck);
        hashMove = tt.storedMove(key);
    }
    if (stopReason != STOP_RUNNING) return 0;

    // Futility: near the leaves, quiet moves that cannot lift a low static score to alpha are
    // skipped once one move has been searched.
    bool futilityPruning = false;
    int32_t futilityValue = 0;
    if (!inCheck && !pvNode && nearLeaves && pos.phase > FUTILITY_MIN_PHASE) {
        futilityValue = staticEval.get(*this, alpha, beta) + futilityMargin[plies];
        futilityPruning = futilityValue <= alpha;
    }

    MoveList& list = moveLists[ply];
    startPicking(list, ply, hashMove, inCheck);
    int32_t moveCount = 0;
    int32_t skipCount = 0;
    int32_t bound = BOUND_UPPER;
    const int32_t reductionRow = std::min(plies, LMR_TABLE_LAST);
    // Below two plies the children are quiescence nodes, which never probe the table (a check
    // extension aside).
    const bool childrenProbeTable = depth >= 2 * ONE_PLY;

    for (Move move; (move = pickNextMove(*this, list, pos)) != noMove;) {
        if (strengthLimited && skipCount < STRENGTH_MAX_SKIPS && moveCount > 0 && skippedForStrength(key, depth)) {
            ++skipCount;
            continue;
        }

        // The table bucket of the sibling most likely searched next starts loading now: it has
        // this move's whole subtree to arrive, where a prefetch once that move is made has only
        // the few steps before its child probes. (Written out here: GCC takes a function that
        // does nothing but prefetch for a pure one and drops the call.)
        if (childrenProbeTable) {
            const Move next = peekNextMove(list);
            if (next != noMove) tt.prefetch(keyAfter(pos, next));
        }
        UndoRecord undo;
        if (!makeSearchMove(*this, move, undo, childrenProbeTable)) continue;
        ++limits.nodes;

        // Checks and pawns about to promote are searched a ply deeper.
        const bool givesCheck = isInCheck(pos);
        const int32_t extension = givesCheck || isPawnToSeventh(move) ? ONE_PLY : 0;

        if (futilityPruning && moveCount > 0 && extension == 0 && isQuiet(move) && alpha >= futilityValue) {
            unmakeSearchMove(*this, move, undo);
            ++moveCount;
            continue;
        }

        // The first move gets the full window; later ones must first beat alpha with a null
        // window (shallower when reducible) before they are searched again in full.
        const int32_t newDepth = depth - ONE_PLY + extension;
        int32_t score;
        if (moveCount == 0) {
            score = -searchChild(*this, -beta, -alpha, newDepth, ply + 1, NULL_MOVE_ALLOWED, pvNode, givesCheck);
        } else {
            bool reducedFailLow = false;
            if (isReducible(*this, list, moveCount, depth, inCheck, extension)) {
                const int32_t reduction = lmrReduction[reductionRow][std::min(moveCount, LMR_TABLE_LAST)];
                const int32_t reducedDepth = std::max(ONE_PLY, depth - ONE_PLY - ONE_PLY * reduction);
                score = -searchEntry(-alpha - 1, -alpha, reducedDepth, ply + 1, NULL_MOVE_ALLOWED, NON_PV_NODE,
                                     givesCheck);
                reducedFailLow = score <= alpha;
            }
            if (!reducedFailLow) {
                score = -searchChild(*this, -alpha - 1, -alpha, newDepth, ply + 1, NULL_MOVE_ALLOWED, NON_PV_NODE,
                                     givesCheck);
                if (score > alpha && score < beta)
                    score = -searchChild(*this, -beta, -alpha, newDepth, ply + 1, NULL_MOVE_ALLOWED, PV_NODE,
                                         givesCheck);
            }
        }

        unmakeSearchMove(*this, move, undo);
        ++moveCount;
        if (stopReason != STOP_RUNNING) return 0;

        if (score > alpha) {
            // A fail high is stored; a quiet cut-off move is remembered for ordering.
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

    // No legal move: mated in check, else stalemate; nothing is stored.
    if (moveCount == 0) {
        pvLength[ply] = 0;
        pvTable[ply][0] = noMove;
        return inCheck ? ply - MATE_SCORE : DRAW_SCORE;
    }
    tt.store(key, pvTable[ply][0], alpha, depth, ply, bound);
    return alpha;
}
