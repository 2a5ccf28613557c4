#include <algorithm>
#include <utility>

#include "search/engine.h"

namespace {

// Lines with a variation first, finished ones before cut-short ones, then the deepest, then the
// highest score: the best move then always comes from a finished line when there is one.
bool ranksAbove(const PvLine& a, const PvLine& b) {
    if ((a.pvLength > 0) != (b.pvLength > 0)) return a.pvLength > 0;
    if (a.unfinished != b.unfinished) return b.unfinished;
    return a.depth > b.depth || (a.depth == b.depth && a.score > b.score);
}

}  // namespace

void MultiPvTable::sortLines() {
    const int32_t count = std::clamp(lineCount, 0, MAX_PV_LINES);
    for (int32_t i = 0; i < count; ++i)
        for (int32_t j = i + 1; j < count; ++j)
            if (ranksAbove(lines[j], lines[i])) std::swap(lines[i], lines[j]);
}
