#include "book/line_table.h"

namespace {

// Slots of the first index; it doubles whenever it would become more than half full.
constexpr size_t FIRST_INDEX_SLOTS = 1024;

uint64_t lineHash(uint32_t parent, uint32_t textId) {
    uint64_t h = (uint64_t(parent) << 32 | textId) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

void countGame(OpeningLine& line, GameResult result) {
    ++line.games;
    switch (result) {
    case GameResult::WhiteWin: ++line.whiteWins; break;
    case GameResult::BlackWin: ++line.blackWins; break;
    case GameResult::Draw: ++line.draws; break;
    case GameResult::Unknown: break;
    }
}

}  // namespace

void LineTable::addGame(const PgnGame& game) {
    uint32_t parent = NO_LINE;
    for (int32_t ply = 0; ply < game.moveCount; ++ply) {
        parent = findOrAddLine(parent, internText(game.moves[ply]));
        countGame(lines_[parent], game.result);
    }
}

uint32_t LineTable::internText(const char* text) {
    const auto [found, added] = textIds_.try_emplace(text, uint32_t(texts_.size()));
    if (added) texts_.emplace_back(text);
    return found->second;
}

uint32_t LineTable::findOrAddLine(uint32_t parent, uint32_t textId) {
    if (2 * (lines_.size() + 1) > slots_.size()) growIndex();
    const size_t mask = slots_.size() - 1;
    for (size_t slot = lineHash(parent, textId) & mask;; slot = (slot + 1) & mask) {
        const uint32_t held = slots_[slot];
        if (held == 0) {
            slots_[slot] = uint32_t(lines_.size()) + 1;
            lines_.push_back(OpeningLine{parent, textId, 0, 0, 0, 0});
            return uint32_t(lines_.size()) - 1;
        }
        const OpeningLine& line = lines_[held - 1];
        if (line.parent == parent && line.textId == textId) return held - 1;
    }
}

void LineTable::growIndex() {
    slots_.assign(slots_.empty() ? FIRST_INDEX_SLOTS : 2 * slots_.size(), 0);
    const size_t mask = slots_.size() - 1;
    for (uint32_t index = 0; index < lines_.size(); ++index) {
        size_t slot = lineHash(lines_[index].parent, lines_[index].textId) & mask;
        while (slots_[slot] != 0) slot = (slot + 1) & mask;
        slots_[slot] = index + 1;
    }
}
