#include "search/engine.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/logger.h"
#include "board/attacks.h"
#include "search/tablememory.h"

int32_t strengthElo = 2600;
int32_t strengthLimited = 0;

void setStrength(int32_t elo, bool limit) {
    const uint32_t wanted = uint32_t(elo);
    strengthElo = wanted > uint32_t(STRENGTH_ELO_MAX)   ? STRENGTH_ELO_MAX
                  : wanted < uint32_t(STRENGTH_ELO_MIN) ? STRENGTH_ELO_MIN
                                                        : int32_t(wanted);
    strengthLimited = limit && strengthElo < STRENGTH_ELO_MAX ? 1 : 0;
}

int32_t lmrReduction[64][64];

namespace {

constexpr uint32_t PAWN_HASH_ENTRIES = 65536;
constexpr uint32_t PAWN_HASH_ENTRY_BYTES = sizeof(PawnHashEntry);

void buildReductionTable() {
    for (int32_t depth = 0; depth < 64; depth++) {
        for (int32_t moveNumber = 0; moveNumber < 64; moveNumber++) {
            int32_t reduction = 0;
            if (depth >= 2 && moveNumber >= 2) {
                const double t = std::log(double(depth)) * std::log(double(moveNumber)) * (1.0 / 3.0) + 0.5;
                if (t >= 1.0) reduction = t >= 10.0 ? 10 : int32_t(t);
            }
            lmrReduction[depth][moveNumber] = reduction;
        }
    }
}

void releasePawnHash(PawnHashTable& table) {
    releaseTableMemory(table.block);
    table.block = nullptr;
    table.entries = nullptr;
}

void allocatePawnHash(PawnHashTable& table) {
    releasePawnHash(table);
    table.count = PAWN_HASH_ENTRIES;
    table.mask = PAWN_HASH_ENTRIES - 1;
    const size_t bytes = size_t(table.count) * PAWN_HASH_ENTRY_BYTES;
    logger.log(LOG_INFO, "Init pawns hash table : %d Kb", int32_t(bytes / 1024));
    // Entries start on a cache line, so one probe touches one line.
    void* block = allocateTableMemory(bytes);
    if (block == nullptr) {
        logger.log(LOG_ERROR, "Pawns Hash table : out of memory");
        std::fputs("Pawn Hash table : out of memory\n", stderr);
        return;
    }
    table.block = block;
    table.entries = static_cast<PawnHashEntry*>(block);
}

void clearMoveList(MoveList& list) {
    list = MoveList{};
}

}  // namespace

Engine::Engine() {
    position.reset();
    std::memset(killers, 0, sizeof(killers));
    std::memset(history, 0, sizeof(history));
    std::memset(pvLength, 0, sizeof(pvLength));
    std::memset(pvTable, 0, sizeof(pvTable));
    for (MoveList& list : moveLists) clearMoveList(list);
    clearMoveList(rootMoves);
    // The only allocation: the first game and key histories.
    growUndoStack();
}

Engine::~Engine() {
    delete[] gameHistory;
    gameHistory = nullptr;
    gameHistoryCount = 0;
    delete[] keyHistory;
    keyHistory = nullptr;
    releasePawnHash(pawnHash);
    evalCache.release();
    tt.release();
}

void Engine::init(int32_t hashMb) {
    initAttackTables();
    initEvalTables();
    // A fresh engine state holds no game; newGame or a position command sets one up.
    clearGameRecord();
    tt.resize(hashMb);
    allocatePawnHash(pawnHash);
    evaluator.pawnHash = &pawnHash;
    evalCache.allocate();
    evaluator.evalCache = &evalCache;
    perft.engine = this;
    perft.position = &position;
    buildReductionTable();
}

void Engine::newGame() {
    limits.thinkCount = 0;
    searching = false;
    limits.pondering = false;
    limits.ponderMove = noMove;
    limits.mode = MODE_MOVE_TIME;
    limits.timeBudget = 7500;
    limits.checkInterval = 30000;
    limits.checkCounter = 0;
    limits.timePerMove = 5000000;
    limits.nodeLimit = 2000000;
    limits.movesToGo = MOVES_PER_SESSION;
    limits.increment[BLACK] = 0;
    limits.increment[WHITE] = 0;
    limits.maxDepth = 8;
    limits.baseTime = 300000;
    setStartPosition();
    tt.clear();
    std::memset(history, 0, sizeof(history));
    std::memset(killers, 0, sizeof(killers));
    limits.clock[BLACK] = float(limits.baseTime);
    limits.clock[WHITE] = float(limits.baseTime);
}

void Engine::clear() {
    perft.engine = nullptr;
    perft.position = nullptr;
    setPonderEnabled(false);
    abortSearch();
    position.reset();
    tt.release();
    releasePawnHash(pawnHash);
    evalCache.release();
}

void Engine::setPonderEnabled(bool on) {
    limits.ponderEnabled = on;
    if (on) return;
    limits.ponderMove = noMove;
    limits.pondering = false;
}
