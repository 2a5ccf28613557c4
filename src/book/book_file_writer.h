// Writing an opening book file in the layout that readBookFile reads.
#pragma once

#include <cstdint>
#include <vector>

#include "book/book.h"

// One move of a book file with the key of its position.
struct BookFileMove {
    uint64_t key = 0;
    BookMove move;
};

// Writes `moves` as a book file: consecutive moves with one key form one position record,
// so they must come grouped by ascending key, each group in the order to write. The file is
// first written under a temporary name in the target's folder and renamed over the target
// only once every byte is written, so a failure (false) leaves an existing book untouched.
// The target is `fileName` with its symbolic links followed; an existing book that the user
// may not write is refused, one that may be written keeps its permissions.
bool writeBookFile(const char* fileName, const std::vector<BookFileMove>& moves);
