// The opening lines of a game collection: every distinct start of the games read, with the
// number of games that share it and their results.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "book/pgn_reader.h"

inline constexpr uint32_t NO_LINE = UINT32_MAX;

// One line: its last move text after the line one ply shorter (its parent), so a line costs
// a few words whatever its length.
struct OpeningLine {
    uint32_t parent = NO_LINE;  // NO_LINE for a line of one move
    uint32_t textId = 0;        // the last move text, as LineTable::moveText gives it
    int32_t games = 0;
    int32_t whiteWins = 0;
    int32_t blackWins = 0;
    int32_t draws = 0;
};

// Lines in the order in which they first appear; a line always comes after its parent.
// Move texts are compared exactly, as written. Lookups are hashed, so adding a game costs
// the same however many lines the table holds.
class LineTable : public PgnGameSink {
public:
    // Adds every start of the game (its first move, its first two moves, ...): a line already
    // in the table counts one more game with its result, a new line is appended.
    void addGame(const PgnGame& game) override;

    const std::vector<OpeningLine>& lines() const { return lines_; }
    const char* moveText(uint32_t textId) const { return texts_[textId].c_str(); }

private:
    uint32_t internText(const char* text);
    uint32_t findOrAddLine(uint32_t parent, uint32_t textId);
    void growIndex();

    std::vector<OpeningLine> lines_;
    // Open addressing over the lines by (parent, textId): line index + 1, 0 for an empty slot.
    std::vector<uint32_t> slots_;
    std::vector<std::string> texts_;
    std::unordered_map<std::string, uint32_t> textIds_;
};
