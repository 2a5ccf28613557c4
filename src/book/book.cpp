#include "book/book.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void OpeningBook::insert(uint64_t key, Move move, int32_t weight, uint8_t whitePct, uint8_t blackPct) {
    // Someone may have emptied `entries` directly; the index must never point past it.
    if (index.size() != entries.size()) {
        index.clear();
        for (uint32_t i = 0; i < entries.size(); ++i) index.emplace(entries[i].key, i);
    }
    auto found = index.find(key);
    if (found == index.end()) {
        found = index.emplace(key, uint32_t(entries.size())).first;
        entries.push_back(BookEntry{});
        entries.back().key = key;
    }
    BookEntry& entry = entries[found->second];
    for (int32_t i = 0; i < entry.moveCount; ++i)
        if (entry.moves[i].move == move) return;
    if (entry.moveCount >= BOOK_MAX_MOVES) return;
    entry.moves[entry.moveCount++] = BookMove{move, weight, whitePct, blackPct};
}

void OpeningBook::clear() {
    entries.clear();
    index.clear();
}

const BookEntry* OpeningBook::find(uint64_t key) const {
    size_t low = 0;
    size_t high = entries.size();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        const uint64_t midKey = entries[mid].key;
        if (midKey == key) return &entries[mid];
        if (midKey < key)
            low = mid + 1;
        else
            high = mid;
    }
    return nullptr;
}

Move chooseBookMove(const BookEntry& entry) {
    const int32_t count = entry.moveCount < 0 ? 0 : (entry.moveCount > BOOK_MAX_MOVES ? BOOK_MAX_MOVES : entry.moveCount);
    if (count == 0) return noMove;
    int32_t choice = 0;
    // 64-bit sum: sixteen large weights must not overflow.
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        sum += entry.moves[i].weight;
        const int64_t r = std::rand();
        if (sum > 0 && r % sum < entry.moves[i].weight) choice = i;
    }
    return entry.moves[choice].move;
}

namespace {

uint32_t readU32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint64_t readU64(const unsigned char* bytes) { return uint64_t(readU32(bytes)) | uint64_t(readU32(bytes + 4)) << 32; }

// Reads one position record; false on a short read (the record is then dropped whole).
bool readPositionRecord(FILE* file, OpeningBook& book) {
    unsigned char head[BOOK_POSITION_BYTES];
    if (std::fread(head, 1, sizeof head, file) != sizeof head) return false;
    const uint64_t key = readU64(head);
    const int32_t moveCount = int32_t(readU32(head + 8));
    // Only the first 16 distinct moves of a record can ever be kept, so only they are held.
    BookMove kept[BOOK_MAX_MOVES];
    int32_t keptCount = 0;
    unsigned char record[BOOK_MOVE_BYTES];
    for (int32_t i = 0; i < moveCount; ++i) {
        if (std::fread(record, 1, sizeof record, file) != sizeof record) return false;
        const BookMove move{readU32(record), int32_t(readU32(record + 4)), record[8], record[9]};
        bool seen = false;
        for (int32_t k = 0; k < keptCount && !seen; ++k) seen = kept[k].move == move.move;
        if (!seen && keptCount < BOOK_MAX_MOVES) kept[keptCount++] = move;
    }
    for (int32_t k = 0; k < keptCount; ++k)
        book.insert(key, kept[k].move, kept[k].weight, kept[k].whitePct, kept[k].blackPct);
    return true;
}

}  // namespace

BookReadResult readBookFile(const char* fileName, OpeningBook& book) {
    book.clear();
    FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) return BookReadResult::NotFound;
    unsigned char header[BOOK_HEADER_BYTES];
    const size_t headerRead = std::fread(header, 1, sizeof header, file);
    if (headerRead < 4 || std::memcmp(header, "BOOK", 4) != 0) {
        std::fclose(file);
        return BookReadResult::BadFormat;
    }
    if (headerRead != sizeof header) {
        std::fclose(file);
        return BookReadResult::Damaged;
    }
    const int32_t positionCount = int32_t(readU32(header + 8));
    BookReadResult result = BookReadResult::Loaded;
    // Every record is read in full before the next, so a huge count ends at the file's end.
    for (int32_t i = 0; i < positionCount; ++i) {
        if (!readPositionRecord(file, book)) {
            result = BookReadResult::Damaged;
            break;
        }
    }
    std::fclose(file);
    return result;
}
