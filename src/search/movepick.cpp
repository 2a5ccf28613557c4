#include "search/movepick.h"

#include "board/movegen.h"
#include "search/engine.h"

namespace {

void scoreCaptureStage(ScoredMove* entries, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const Move move = entries[i].move;
        entries[i].score = isCaptureOrQueenPromotion(move) ? captureScore(move) : QUIET_SCORE_BASE;
    }
}

void scoreQuietStage(const Engine& engine, int32_t colour, ScoredMove* entries, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        entries[i].score = historyScore(engine.history, colour, entries[i].move) + QUIET_SCORE_BASE;
    }
}

void scoreEvasionStage(const Engine& engine, int32_t colour, int32_t ply, ScoredMove* entries, int32_t count) {
    const Move killer1 = engine.killers[ply][0];
    const Move killer2 = engine.killers[ply][1];
    for (int32_t i = 0; i < count; ++i) {
        const Move move = entries[i].move;
        if (isCaptureOrQueenPromotion(move)) entries[i].score = captureScore(move);
        else if (move == killer1) entries[i].score = KILLER1_SCORE;
        else if (move == killer2) entries[i].score = KILLER2_SCORE;
        else entries[i].score = historyScore(engine.history, colour, move) + QUIET_SCORE_BASE;
    }
}

bool isLosingCapture(const Position& position, Move move) {
    return pieceValue[moveCaptured(move)] < pieceValue[movePiece(move)] && position.isLosingExchange(move);
}

// Stage 8 runs from the top slot down to the last held-back entry.
void enterBadCaptureStage(MoveList& list) {
    list.stage = PICK_BAD_CAPTURES;
    list.count = list.badCaptureSlot;
    list.nextIndex = MOVE_LIST_CAPACITY - 1;
}

}  // namespace

void sortMoves(ScoredMove* entries, int32_t count) {
    for (int32_t i = 1; i < count; ++i) {
        const ScoredMove item = entries[i];
        int32_t j = i;
        while (j > 0 && entries[j - 1].score < item.score) {
            entries[j] = entries[j - 1];
            --j;
        }
        entries[j] = item;
    }
}

Move pickNextMove(const Engine& engine, MoveList& list, const Position& position) {
    for (;;) {
        list.pickedStage = list.stage;
        switch (list.stage) {
        case PICK_HASH:
        case PICK_EVASION_HASH:
            list.stage = list.stage == PICK_HASH ? PICK_GENERATE_CAPTURES : PICK_GENERATE_EVASIONS;
            if (list.hashMove != noMove && position.isPseudoLegal(list.hashMove)) return list.hashMove;
            list.hashMove = noMove;
            break;

        case PICK_GENERATE_CAPTURES:
            list.badCaptureSlot = MOVE_LIST_CAPACITY - 1;
            list.nextIndex = 0;
            list.count = generateCaptures(position, list.entries, MAX_MOVES);
            if (list.count == 0) {
                list.stage = PICK_KILLER1;
                break;
            }
            scoreCaptureStage(list.entries, list.count);
            sortMoves(list.entries, list.count);
            list.stage = PICK_GOOD_CAPTURES;
            break;

        case PICK_GOOD_CAPTURES:
            while (list.nextIndex < list.count) {
                const ScoredMove entry = list.entries[list.nextIndex++];
                // Hold a losing capture back only where it cannot land on the capture area;
                // otherwise it is simply tried now.
                if (list.badCaptureSlot >= list.count && isLosingCapture(position, entry.move)) {
                    list.entries[list.badCaptureSlot--] = entry;
                    continue;
                }
                if (entry.move == list.hashMove) continue;
                return entry.move;
            }
            list.stage = PICK_KILLER1;
            break;

        case PICK_KILLER1:
            list.killer1 = engine.killers[list.ply][0];
            list.killer2 = engine.killers[list.ply][1];
            list.stage = PICK_KILLER2;
            if (list.killer1 != noMove && list.killer1 != list.hashMove && position.isPseudoLegal(list.killer1)) {
                return list.killer1;
            }
            break;

        case PICK_KILLER2:
            list.stage = PICK_GENERATE_QUIETS;
            if (list.killer2 != noMove && list.killer2 != list.hashMove && position.isPseudoLegal(list.killer2)) {
                return list.killer2;
            }
            break;

        case PICK_GENERATE_QUIETS: {
            // The quiet moves fill the room between the captures and the held-back ones.
            const int32_t room = list.badCaptureSlot + 1 - list.count;
            const int32_t added = room > 0 ? generateQuiets(position, list.entries + list.count, room) : 0;
            if (added == 0) {
                enterBadCaptureStage(list);
                break;
            }
            scoreQuietStage(engine, position.sideToMove, list.entries + list.count, added);
            sortMoves(list.entries + list.count, added);
            list.count += added;
            list.stage = PICK_QUIETS;
            break;
        }

        case PICK_QUIETS:
            while (list.nextIndex < list.count) {
                const Move move = list.entries[list.nextIndex++].move;
                if (move == list.hashMove || move == list.killer1 || move == list.killer2) continue;
                return move;
            }
            enterBadCaptureStage(list);
            break;

        case PICK_BAD_CAPTURES:
            while (list.nextIndex > list.count) {
                const Move move = list.entries[list.nextIndex--].move;
                if (move == list.hashMove) continue;
                return move;
            }
            list.stage = 0;
            return noMove;

        case PICK_GENERATE_EVASIONS:
            list.count = generateEvasions(position, list.entries, MAX_MOVES);
            if (list.count == 0) {
                list.stage = 0;
                return noMove;
            }
            scoreEvasionStage(engine, position.sideToMove, list.ply, list.entries, list.count);
            sortMoves(list.entries, list.count);
            list.nextIndex = 0;
            list.stage = PICK_EVASIONS;
            break;

        case PICK_EVASIONS:
            while (list.nextIndex < list.count) {
                const Move move = list.entries[list.nextIndex++].move;
                if (move == list.hashMove) continue;
                return move;
            }
            list.stage = 0;
            return noMove;

        default:
            return noMove;
        }
    }
}

void scoreAndSortMoves(const Engine& engine, const Position& position, ScoredMove* entries, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const Move move = entries[i].move;
        if (isCaptureOrQueenPromotion(move)) entries[i].score = captureScore(move);
        else if (movePromotion(move) != NO_PIECE) entries[i].score = -1;
        else entries[i].score = historyScore(engine.history, position.sideToMove, move) + QUIET_SCORE_BASE;
    }
    sortMoves(entries, count);
}

void updateKillersAndHistory(Engine& engine, int32_t ply, Move move, int32_t colour, int32_t plies) {
    if (move != engine.killers[ply][0]) {
        engine.killers[ply][1] = engine.killers[ply][0];
        engine.killers[ply][0] = move;
    }
    uint16_t& entry = engine.history[colour][movePiece(move)][moveTo(move)];
    const int32_t bonus = int32_t(entry) + plies * plies;
    if (bonus <= HISTORY_LIMIT) entry = uint16_t(bonus);
}
