// Opening book: file format and the in-memory book sorted by key.
#pragma once

#include <cstdint>
#include <vector>

struct BookEntry {
    uint64_t key = 0;
};

struct OpeningBook {
    std::vector<BookEntry> entries;
};
