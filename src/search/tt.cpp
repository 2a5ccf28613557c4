#include "search/tt.h"

#include "app/logger.h"
#include "search/tablememory.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint64_t BYTES_PER_MB = 1048576;
constexpr uint32_t ENTRIES_PER_MB = 65536;

uint32_t packData(int32_t score, int32_t depth, int32_t bound, uint32_t age) {
    if (score > 32767) score = 32767;
    if (score < -32767) score = -32767;
    if (depth < 0) depth = 0;
    if (depth > 511) depth = 511;
    // The score goes through uint16_t so that no negative value is shifted.
    const uint32_t scoreBits = uint32_t(uint16_t(int16_t(score)));
    return (scoreBits << 16) | ((age & 31) << 11) | (uint32_t(depth) << 2) | (uint32_t(bound) & 3);
}

int32_t dataScore(uint32_t data) { return int32_t(int16_t(uint16_t(data >> 16))); }
int32_t dataDepth(uint32_t data) { return int32_t((data >> 2) & 511); }
uint32_t dataAge(uint32_t data) { return (data >> 11) & 31; }
int32_t dataBound(uint32_t data) { return int32_t(data & 3); }

void reportOutOfMemory() {
    logger.log(LOG_ERROR, "Hash table : out of memory");
    std::fputs("Hash table : out of memory\n", stderr);
}

}  // namespace

int32_t ttSizeForRequest(int32_t megabytes) {
    megabytes = std::clamp(megabytes, HASH_MIN_MB, HASH_MAX_MB);
    int32_t size = 1;
    while (size < megabytes) size *= 2;
    return size;
}

void TranspositionTable::release() {
    releaseTableMemory(block);
    block = nullptr;
    entries = nullptr;
    entryCount = 0;
    indexMask = 0;
}

int32_t TranspositionTable::resize(int32_t megabytes) {
    release();
    age = 0;
    const int32_t sizeMb = ttSizeForRequest(megabytes);
    logger.log(LOG_INFO, "Init main hash table : %d Mb", megabytes);
    const uint64_t bytes = uint64_t(sizeMb) * BYTES_PER_MB;
    // size_t is 32 bits on the ARM builds: refuse what the platform cannot address.
    void* raw = bytes <= uint64_t(SIZE_MAX) ? allocateTableMemory(size_t(bytes)) : nullptr;
    if (raw == nullptr) {
        reportOutOfMemory();
        return 0;
    }
    block = raw;
    entries = static_cast<TTEntry*>(raw);
    entryCount = uint32_t(sizeMb) * ENTRIES_PER_MB;
    indexMask = entryCount - 4;
    return 1;
}

void TranspositionTable::clear() {
    age = 0;
    if (block == nullptr) return;
    std::memset(block, 0, size_t(entryCount) * sizeof(TTEntry));
}

void TranspositionTable::store(uint64_t key, Move move, int32_t score, int32_t depth, int32_t ply,
                               int32_t bound) {
    if (entries == nullptr) return;
    TTEntry* bucket = entries + (uint32_t(key) & indexMask);
    TTEntry* slot = nullptr;
    for (int32_t i = 0; i < 4; ++i) {
        if (bucket[i].key == 0 || bucket[i].key == key) {
            slot = &bucket[i];
            if (move == noMove) move = slot->move;
            break;
        }
    }
    if (slot == nullptr) {
        // An entry from an older search goes first, even when it is deeper.
        for (int32_t i = 0; i < 4; ++i) {
            if (dataAge(bucket[i].data) == age) continue;
            if (slot == nullptr || dataDepth(bucket[i].data) < dataDepth(slot->data)) slot = &bucket[i];
        }
    }
    if (slot == nullptr) {
        slot = &bucket[0];
        for (int32_t i = 1; i < 4; ++i) {
            if (dataDepth(bucket[i].data) < dataDepth(slot->data)) slot = &bucket[i];
        }
    }
    // Mate scores are kept as distances from this node.
    if (score > MATE_BOUND) score += ply;
    else if (score < -MATE_BOUND) score -= ply;
    slot->key = key;
    slot->data = packData(score, depth, bound, age);
    slot->move = move;
}

int32_t TranspositionTable::probe(uint64_t key, int32_t depth, int32_t ply, int32_t alpha, int32_t beta,
                                  Move& moveOut, int32_t& scoreOut) {
    if (entries == nullptr) return TT_MISS;
    TTEntry* bucket = entries + (uint32_t(key) & indexMask);
    for (int32_t i = 0; i < 4; ++i) {
        TTEntry& entry = bucket[i];
        if (entry.key != key) continue;
        moveOut = entry.move;
        if (dataDepth(entry.data) < depth) return TT_MISS;
        int32_t score = dataScore(entry.data);
        if (score > MATE_BOUND) score -= ply;
        else if (score < -MATE_BOUND) score += ply;
        scoreOut = score;
        const int32_t bound = dataBound(entry.data);
        const bool usable = bound == BOUND_EXACT || (bound == BOUND_UPPER && score <= alpha) ||
                            (bound == BOUND_LOWER && score >= beta);
        if (!usable) return TT_MISS;
        entry.data = (entry.data & ~(uint32_t(31) << 11)) | ((age & 31) << 11);
        return bound;
    }
    return TT_MISS;
}

Move TranspositionTable::storedMove(uint64_t key) const {
    if (entries == nullptr) return noMove;
    const TTEntry* bucket = entries + (uint32_t(key) & indexMask);
    for (int32_t i = 0; i < 4; ++i) {
        if (bucket[i].key == key) return bucket[i].move;
    }
    return noMove;
}
