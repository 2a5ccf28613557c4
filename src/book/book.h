// Opening book: file format and the in-memory book sorted by key.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "board/types.h"

// File layout (little-endian, no padding): "BOOK", uint32 version, int32 positionCount, then
// per position: uint64 key, int32 moveCount, moveCount x {uint32 move, int32 weight,
// uint8 whitePct, uint8 blackPct}. Positions ascend by key; moves descend by weight.
inline constexpr uint32_t BOOK_VERSION = 0x00010001u;
inline constexpr int32_t BOOK_HEADER_BYTES = 12;
inline constexpr int32_t BOOK_POSITION_BYTES = 12;
inline constexpr int32_t BOOK_MOVE_BYTES = 10;
inline constexpr int32_t BOOK_MAX_MOVES = 16;
inline constexpr int32_t BOOK_DEFAULT_MAX_PLY = 20;

struct BookMove {
    Move move = noMove;
    int32_t weight = 0;
    uint8_t whitePct = 0;
    uint8_t blackPct = 0;
};

struct BookEntry {
    uint64_t key = 0;
    int32_t moveCount = 0;
    BookMove moves[BOOK_MAX_MOVES] = {};
};

struct OpeningBook {
    // Entries in order of first insertion (file order, so ascending keys for a built book).
    std::vector<BookEntry> entries;

    // Adds one move to the entry of `key`: a move already there or a 17th move is ignored.
    void insert(uint64_t key, Move move, int32_t weight, uint8_t whitePct, uint8_t blackPct);
    void clear();
    // Binary search over the entries by unsigned key; null when absent.
    const BookEntry* find(uint64_t key) const;

private:
    // Key -> entry index, so that loading stays linear in the file size.
    std::unordered_map<uint64_t, uint32_t> index;
};

// Weighted random choice among the entry's moves (rand() based); noMove for an empty entry.
Move chooseBookMove(const BookEntry& entry);

enum class BookReadResult { Loaded, Damaged, NotFound, BadFormat };

// Reads a book file into `book` (emptied first). A short or damaged file keeps every complete
// position record before the damage and reports Damaged; nothing past the data is read.
BookReadResult readBookFile(const char* fileName, OpeningBook& book);
