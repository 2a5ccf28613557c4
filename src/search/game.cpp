// Game history and key history: grown together so the game plus a full search path always fit.
#include <algorithm>

#include "search/engine.h"

namespace {

constexpr int32_t FIRST_GAME_CAPACITY = 512;

}  // namespace

void Engine::growUndoStack() {
    const int32_t capacity = gameHistoryCapacity > 0 ? gameHistoryCapacity * 2 : FIRST_GAME_CAPACITY;
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

int32_t Engine::undoLastMove() {
    if (gameHistoryCount < 1 || gameHistory == nullptr) return 0;
    --gameHistoryCount;
    const UndoRecord& record = gameHistory[gameHistoryCount];
    position.undoMove(record.move, record);
    if (keyHistoryCount > 0) --keyHistoryCount;
    lastMove = gameHistoryCount > 0 ? gameHistory[gameHistoryCount - 1].move : noMove;
    return 1;
}
