#include <cstdlib>
#include <ctime>

#include "app/logger.h"
#include "book/book.h"
#include "search/engine.h"

int32_t Engine::loadBook(const char* fileName) {
    limits.bookEnabled = true;
    limits.bookMaxPly = BOOK_DEFAULT_MAX_PLY;
    std::srand(unsigned(std::time(nullptr)));
    switch (readBookFile(fileName, book)) {
    case BookReadResult::NotFound:
        logger.log(LOG_ERROR, "Opening book file not found : %s", fileName);
        return 0;
    case BookReadResult::BadFormat:
        logger.log(LOG_ERROR, "Bad opening book format : %s", fileName);
        return 0;
    case BookReadResult::Damaged:
        // The complete records before the damage stay usable.
        logger.log(LOG_ERROR, "Opening book file damaged : %s", fileName);
        return 1;
    case BookReadResult::Loaded:
        break;
    }
    return 1;
}
