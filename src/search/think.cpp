// Root driver: book probe, time budget, root ordering, iterative deepening with aspiration
// windows, multi-PV, and playing the result on the game.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/movegen.h"
#include "search/engine.h"
#include "search/movepick.h"
#include "search/searchutil.h"
#include "search/timecontrol.h"

namespace {

// Deepest iteration in plies: the per-ply tables hold 128 rows.
constexpr int32_t ITERATION_LIMIT = MAX_PLY - 1;
// A window bound beyond every score: the window is fully open.
constexpr int32_t OPEN_BOUND = MATE_SCORE + 1;
// Aspiration window around the previous score; a failing bound moves by 30, 60, 120, 240 and
// then opens, and a mate score opens the window for good.
constexpr int32_t WINDOW_HALF_WIDTH = 30;
constexpr int32_t LARGEST_STEP = 640;
constexpr int32_t MATE_STEP = LARGEST_STEP + 1;
// Shallow iterations are too unstable for a narrow window (and for ending a clock search on a mate).
constexpr int32_t FIRST_WINDOW_DEPTH = 6;
// Depth, current-move and window-failure reports wait two seconds, so short searches stay quiet.
constexpr double OUTPUT_DELAY_US = 2000000.0;
// A clock search starts no new iteration after 60% of its budget: it would rarely finish.
constexpr double NO_NEW_ITERATION_FRACTION = 0.6;

double elapsedSinceStart(const Engine& engine) {
    const uint64_t now = monotonicMicros();
    return now > engine.limits.startTimeUs ? double(now - engine.limits.startTimeUs) : 0.0;
}

// The book move for the root, or noMove; the chosen word must be one of the legal root moves.
Move probeBook(Engine& engine) {
    const BookEntry* entry = engine.book.find(engine.position.key);
    if (entry == nullptr || entry->moveCount <= 0) return noMove;
    const Move chosen = chooseBookMove(*entry);
    for (int32_t i = 0; i < engine.rootMoves.count; ++i) {
        if (engine.rootMoves.entries[i].move != chosen) continue;
        return engine.position.isLegal(chosen) ? chosen : noMove;
    }
    return noMove;
}

// Resets the per-search tables and sets the budget; returns the iteration limit in plies.
int32_t setUpSearch(Engine& engine) {
    SearchLimits& limits = engine.limits;
    std::memset(engine.history, 0, sizeof engine.history);
    std::memset(engine.killers, 0, sizeof engine.killers);
    limits.checkCounter = 0;
    limits.timeBudget = limits.timePerMove > 0 ? uint32_t(limits.timePerMove) : 0;
    int32_t depthLimit = ITERATION_LIMIT;
    const int32_t side = engine.position.sideToMove;
    switch (limits.mode) {
    case MODE_CLOCK:
        limits.timeBudget = clockBudget(limits.clock[side], limits.increment[side], limits.movesToGo, limits.thinkCount);
        break;
    case MODE_INFINITE:
        limits.timeBudget = UINT32_MAX;
        break;
    case MODE_DEPTH:
        depthLimit = std::min(limits.maxDepth, ITERATION_LIMIT);
        break;
    default:
        break;
    }
    limits.outputStarted = false;
    engine.tt.advanceAge();
    engine.pvTable[0][0] = noMove;
    engine.pvLength[0] = 0;
    limits.thinkCount += 1;
    limits.seldepth = 0;

    MultiPvTable& table = engine.pvLines;
    const int32_t wanted = limits.mode == MODE_CLOCK ? 1 : std::clamp(engine.multiPv, 1, MAX_PV_LINES);
    table.lineCount = std::min(wanted, engine.rootMoves.count);
    table.excludedCount = 0;
    for (int32_t i = 0; i < table.lineCount; ++i) {
        PvLine& line = table.lines[i];
        line.previousScore = line.score = line.depth = line.pvLength = 0;
        line.pv[0] = noMove;
        line.unfinished = false;
    }
    return depthLimit;
}

// Orders the root moves by a quiescence score, best first; equal scores keep generation order.
void orderRootMoves(Engine& engine) {
    Position& pos = engine.position;
    MoveList& root = engine.rootMoves;
    for (int32_t i = 0; i < root.count; ++i) {
        const Move move = root.entries[i].move;
        UndoRecord undo;
        if (!makeSearchMove(engine, move, undo)) continue;
        const bool givesCheck = isInCheck(pos);
        engine.pvTable[1][0] = noMove;
        engine.pvLength[1] = 0;
        int32_t score = 0;
        if (engine.stopReason == STOP_RUNNING && engine.checkStop() && !isInsufficientMaterial(pos))
            score = -engine.quiescenceSearch(-MATE_SCORE, MATE_SCORE, -1, 1, PV_NODE, givesCheck);
        unmakeSearchMove(engine, move, undo);
        root.entries[i].score = score;
    }
    sortMoves(root.entries, root.count);
    engine.limits.nodes = 0;
}

bool isExcluded(const Engine& engine, Move move) {
    if (engine.multiPv < 2) return false;
    const MultiPvTable& table = engine.pvLines;
    for (int32_t i = 0; i < table.excludedCount; ++i)
        if (table.excluded[i] == move) return true;
    return false;
}

struct Attempt {
    int32_t best;
    int32_t bound;
    bool completed;  // every root move searched without a stop or a fail high
};

// One pass over the root moves with the window (alpha, beta) at iteration `depth`.
Attempt searchRoot(Engine& engine, int32_t depth, int32_t alpha, int32_t beta) {
    Position& pos = engine.position;
    MoveList& root = engine.rootMoves;
    const bool rootInCheck = isInCheck(pos);
    const uint64_t key = pos.key;
    Attempt attempt{alpha, BOUND_UPPER, false};
    int32_t& best = attempt.best;
    for (int32_t j = 0; j < root.count; ++j) {
        const Move move = root.entries[j].move;
        if (isExcluded(engine, move)) continue;
        UndoRecord undo;
        if (!makeSearchMove(engine, move, undo)) continue;
        engine.limits.nodes += 1;
        if (engine.limits.outputStarted) engine.listener->onCurrMove(move, j + 1);
        // Checks, pawns about to promote and a forced reply are searched a ply deeper.
        const bool givesCheck = isInCheck(pos);
        const bool extend = givesCheck || isPawnToSeventh(move) || root.count == 1;
        const int32_t childDepth = extend ? ONE_PLY * depth : ONE_PLY * depth - ONE_PLY;
        auto searchRootChild = [&](int32_t childAlpha, int32_t childBeta, bool pvNode) {
            return -searchChild(engine, -childBeta, -childAlpha, childDepth, 1, NULL_MOVE_ALLOWED, pvNode, givesCheck);
        };
        int32_t score;
        if (j == 0) {
            score = searchRootChild(best, beta, PV_NODE);
        } else {
            score = searchRootChild(best, best + 1, NON_PV_NODE);
            if (score > best && score < beta) score = searchRootChild(best, beta, PV_NODE);
        }
        unmakeSearchMove(engine, move, undo);
        if (engine.stopReason != STOP_RUNNING) return attempt;
        if (score <= best) continue;
        updatePv(engine, 0, move);
        best = score;
        if (score >= beta) {
            engine.tt.store(key, move, score, ONE_PLY * depth, 0, BOUND_LOWER);
            if (!rootInCheck && isQuiet(move)) updateKillersAndHistory(engine, 0, move, pos.sideToMove, depth);
            return attempt;
        }
        attempt.bound = BOUND_EXACT;
    }
    attempt.completed = true;
    return attempt;
}

void copyPvInto(const Engine& engine, PvLine& line, int32_t depth) {
    const int32_t length = std::clamp(engine.pvLength[0], 0, MAX_PLY - 1);
    std::copy(engine.pvTable[0], engine.pvTable[0] + length, line.pv);
    line.pvLength = length;
    line.depth = depth;
}

// Reports every line (or line 0 alone) with the given bound; `score` is used for a single line.
void reportLines(Engine& engine, double elapsed, int32_t score, int32_t bound) {
    const MultiPvTable& table = engine.pvLines;
    const SearchLimits& limits = engine.limits;
    if (table.lineCount <= 1) {
        const PvLine& line = table.lines[0];
        engine.listener->onPv(line.depth, score, line.pv, elapsed, line.pvLength, limits.nodes, limits.seldepth, bound);
        return;
    }
    for (int32_t k = 1; k <= table.lineCount; ++k) {
        const PvLine& line = table.lines[k - 1];
        engine.listener->onMultiPv(k, line.depth, line.score, elapsed, line.pv, line.pvLength, limits.nodes,
                                   limits.seldepth, bound);
    }
}

// A finished line (or one cut short with a PV): sorted in, and reported as the rules say.
void reportDoneLine(Engine& engine, int32_t lineIndex, double elapsed, int32_t score) {
    MultiPvTable& table = engine.pvLines;
    if (table.lineCount <= 1) {
        reportLines(engine, elapsed, score, BOUND_EXACT);
        return;
    }
    table.sortLines();
    if (lineIndex == table.lineCount - 1 || engine.limits.outputStarted) reportLines(engine, elapsed, score, BOUND_EXACT);
}

// Searches line `lineIndex` at iteration `depth`, widening the window until the score fits.
// Returns true when the line ended inside its window, false when the search was stopped.
bool searchLine(Engine& engine, int32_t lineIndex, int32_t depth) {
    PvLine& line = engine.pvLines.lines[lineIndex];
    int32_t alpha = -OPEN_BOUND;
    int32_t beta = OPEN_BOUND;
    int32_t delta = WINDOW_HALF_WIDTH;
    if (depth >= FIRST_WINDOW_DEPTH) {
        alpha = std::max(line.previousScore - WINDOW_HALF_WIDTH, -OPEN_BOUND);
        beta = std::min(line.previousScore + WINDOW_HALF_WIDTH, OPEN_BOUND);
    }
    for (;;) {
        engine.pvTable[0][0] = noMove;
        engine.pvLength[0] = 0;
        if (engine.limits.outputStarted) engine.listener->onDepth(depth);
        engine.endAfterIteration = false;
        const Attempt attempt = searchRoot(engine, depth, alpha, beta);
        const int32_t best = attempt.best;
        if (attempt.completed) {
            if (engine.rootMoves.count == 1) engine.endAfterIteration = true;
            engine.tt.store(engine.position.key, engine.pvTable[0][0], best, ONE_PLY * depth, 0, attempt.bound);
        }
        const double elapsed = elapsedSinceStart(engine);
        if (engine.stopReason != STOP_RUNNING) {
            if (engine.pvLength[0] > 0) {
                // With several lines a cut-short result never replaces a finished one: the
                // best finished line must stay in the table to be played.
                const bool keepFinished = engine.pvLines.lineCount > 1 && line.pvLength > 0 && !line.unfinished;
                if (!keepFinished) {
                    copyPvInto(engine, line, depth);
                    line.unfinished = true;
                }
                reportDoneLine(engine, lineIndex, elapsed, best);
            }
            return false;
        }
        if (elapsed > OUTPUT_DELAY_US) engine.limits.outputStarted = true;
        line.score = best;
        int32_t failedBound = -1;
        if (best <= alpha) {
            alpha = 2 * delta > LARGEST_STEP ? -OPEN_BOUND : std::max(alpha - delta, -OPEN_BOUND);
            delta *= 2;
            failedBound = BOUND_UPPER;
        } else if (best >= beta) {
            beta = 2 * delta > LARGEST_STEP ? OPEN_BOUND : std::min(beta + delta, OPEN_BOUND);
            delta *= 2;
            failedBound = BOUND_LOWER;
        }
        if (isMateScore(best)) {
            alpha = -OPEN_BOUND;
            beta = OPEN_BOUND;
            delta = MATE_STEP;
        }
        if (engine.pvLength[0] > 0) {
            copyPvInto(engine, line, depth);
            line.unfinished = false;
        }
        if (failedBound < 0) {
            if (engine.pvLength[0] > 0) reportDoneLine(engine, lineIndex, elapsed, best);
            return true;
        }
        if (engine.limits.outputStarted || engine.limits.testSuiteMode) reportLines(engine, elapsed, best, failedBound);
    }
}

// Moves `move` to the front of the root list, shifting the entries before it down by one.
void moveToFront(MoveList& root, Move move) {
    for (int32_t i = 1; i < root.count; ++i) {
        if (root.entries[i].move != move) continue;
        const ScoredMove entry = root.entries[i];
        std::copy_backward(root.entries, root.entries + i, root.entries + i + 1);
        root.entries[0] = entry;
        return;
    }
}

}  // namespace

int32_t Engine::think(bool ponder) {
    limits.startTimeUs = monotonicMicros();
    limits.pondering = ponder && limits.ponderEnabled;
    lastMove = noMove;
    searching = true;
    stopReason = STOP_RUNNING;
    limits.ponderMove = noMove;
    Move bestMove = noMove;

    const bool rootInCheck = isInCheck(position);
    rootMoves.count = generateLegalMoves(position, rootMoves.entries, rootInCheck);
    if (rootMoves.count == 0) {
        stopReason = STOP_NORMAL;
        // A ponder search still takes the expected reply back, so the game never keeps a move
        // the opponent has not played; the empty result is held back like any finished ponder.
        if (limits.pondering) {
            limits.pondering = false;
            stopReason = STOP_PONDER_DEPTH;
            undoLastMove();
            lastMove = noMove;
        }
        listener->onSearchEnd(stopReason);
        searching = false;
        return 1;
    }

    Move bookMove = noMove;
    if (limits.bookEnabled && gameHistoryCount < limits.bookMaxPly) bookMove = probeBook(*this);
    limits.nodes = 0;
    int32_t depthLimit = ITERATION_LIMIT;
    int32_t depthReached = 0;

    if (bookMove != noMove) {
        bestMove = bookMove;
        depthReached = 1;
        // A book move found while pondering is held back like a ponder search that reached its limit.
        stopReason = limits.pondering ? STOP_PONDER_DEPTH : STOP_NORMAL;
    } else {
        depthLimit = setUpSearch(*this);
        orderRootMoves(*this);
        if (depthLimit < 1) {
            if (stopReason == STOP_RUNNING) stopReason = STOP_NORMAL;
        } else {
            int32_t depth = 1;
            for (; depth <= depthLimit; ++depth) {
                for (int32_t i = 0; i < pvLines.lineCount; ++i) pvLines.lines[i].previousScore = pvLines.lines[i].score;
                pvLines.excludedCount = 0;
                for (int32_t L = 0; L < pvLines.lineCount; ++L) {
                    if (!searchLine(*this, L, depth)) break;
                    if (L < pvLines.lineCount - 1) pvLines.excluded[pvLines.excludedCount++] = pvTable[0][0];
                }
                if (limits.mode == MODE_CLOCK && !limits.pondering && stopReason == STOP_RUNNING) {
                    const int32_t lastScore = pvLines.lines[pvLines.lineCount - 1].score;
                    if (endAfterIteration || (depth >= FIRST_WINDOW_DEPTH && isMateScore(lastScore)) ||
                        (depth >= 2 && elapsedSinceStart(*this) > NO_NEW_ITERATION_FRACTION * double(limits.timeBudget)))
                        stopReason = STOP_NORMAL;
                }
                const PvLine& first = pvLines.lines[0];
                if (first.pvLength > 0) {
                    bestMove = first.pv[0];
                    limits.ponderMove = first.pvLength >= 2 ? first.pv[1] : noMove;
                    if (bestMove != noMove) moveToFront(rootMoves, bestMove);
                }
                if (stopReason != STOP_RUNNING) break;
            }
            if (stopReason == STOP_RUNNING) {
                stopReason = STOP_NORMAL;
                depthReached = depthLimit;
            } else {
                depthReached = depth - 1;
            }
        }
        if (stopReason == STOP_ABORTED) {
            searching = false;
            if (limits.pondering) undoLastMove();
            listener->onSearchEnd(STOP_ABORTED);
            return 1;
        }
    }

    limits.depthReached = depthReached;
    // Never answer with no move while one exists: the best pre-ordered move stands in.
    if (bestMove == noMove && !limits.pondering) bestMove = rootMoves.entries[0].move;
    if (limits.ponderEnabled && limits.ponderMove == noMove && bestMove != noMove)
        findPonderMove(bestMove, limits.ponderMove);
    if (limits.pondering) {
        limits.pondering = false;
        if (stopReason != STOP_PONDER && stopReason != STOP_PONDER_DEPTH)
            stopReason = depthReached < depthLimit ? STOP_PONDER : STOP_PONDER_DEPTH;
        undoLastMove();
        lastMove = bestMove;
    } else if (bestMove != noMove) {
        if (limits.mode == MODE_INFINITE)
            lastMove = bestMove;
        else
            playMove(bestMove);
    }
    listener->onSearchEnd(stopReason);
    searching = false;
    return 1;
}
