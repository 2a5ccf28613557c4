// The game record: the position, the game history and the key history change here only
// (besides the search, which restores them before it returns). The front ends, the root
// driver and the tools call these verbs.
#include <algorithm>

#include "app/logger.h"
#include "board/fen.h"
#include "search/engine.h"

void Engine::growUndoStack() {
    const int32_t capacity = gameHistoryCapacity > 0 ? gameHistoryCapacity * 2 : INITIAL_GAME_CAPACITY;
    UndoRecord* records = new UndoRecord[capacity]();
    // The key history keeps room for a whole search path beyond the game.
    uint64_t* keys = new uint64_t[size_t(capacity) + KEY_HISTORY_SLACK]();
    const int32_t recordsInUse = gameHistory ? std::clamp(gameHistoryCount, 0, gameHistoryCapacity) : 0;
    const int32_t keysInUse =
        keyHistory ? std::clamp(keyHistoryCount, 0, std::max(gameHistoryCapacity, 0) + KEY_HISTORY_SLACK) : 0;
    std::copy(gameHistory, gameHistory + recordsInUse, records);
    std::copy(keyHistory, keyHistory + keysInUse, keys);
    delete[] gameHistory;
    delete[] keyHistory;
    gameHistory = records;
    keyHistory = keys;
    gameHistoryCount = recordsInUse;
    keyHistoryCount = keysInUse;
    gameHistoryCapacity = capacity;
}

void Engine::clearGameRecord() {
    gameHistoryCount = 0;
    keyHistoryCount = 0;
    lastMove = noMove;
}

void Engine::setStartPosition() {
    clearGameRecord();
    position.setStartPosition();
}

int32_t Engine::setFen(const char* fen) {
    if (fen == nullptr) return 0;
    if (!parseFen(position, fen)) {
        logger.log(LOG_ERROR, "Invalid FEN string : '%s'", fen);
        return 0;
    }
    clearGameRecord();
    return 1;
}

int32_t Engine::getFen(char* buffer) const {
    writeFen(position, gameHistoryCount, buffer);
    return 1;
}

bool Engine::playMove(Move move) {
    if (move == noMove || !position.isPseudoLegal(move)) return false;
    if (gameHistoryCount >= gameHistoryCapacity) growUndoStack();
    const uint64_t keyBefore = position.key;
    if (!position.doMoveIfLegal(move, gameHistory[gameHistoryCount])) return false;
    keyHistory[keyHistoryCount++] = keyBefore;
    lastMove = move;
    gameHistoryCount++;
    return true;
}

int32_t Engine::undoLastMove() {
    if (gameHistoryCount < 1 || gameHistory == nullptr) return 0;
    --gameHistoryCount;
    const UndoRecord& record = gameHistory[gameHistoryCount];
    position.undoMove(record.move, record);
    if (keyHistoryCount > 0) --keyHistoryCount;
    lastMove = gameHistoryCount > 0 ? gameHistory[gameHistoryCount - 1].move : noMove;
    return 1;
}

void Engine::setChess960(bool on) { position.chess960 = on; }
