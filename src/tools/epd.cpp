#include "tools/epd.h"

#include <algorithm>
#include <cstring>

namespace {

// "bm " / "am " and "; id \"" before the fields they introduce.
constexpr size_t OPCODE_LENGTH = 3;
constexpr size_t ID_PREFIX_LENGTH = 6;

constexpr const char* MOVE_MARKS = "+#!?";

bool isSeparator(char c) { return c == ' ' || c == '\t'; }

size_t findOpcode(const std::string& line) {
    for (size_t i = 0; i + 1 < line.size(); ++i)
        if ((line[i] == 'a' || line[i] == 'b') && line[i + 1] == 'm') return i;
    return std::string::npos;
}

// The move list with castling written in zeros read as letters ("0-0" is "O-O").
std::string moveListOf(const std::string& line, size_t begin, size_t end) {
    std::string moves = line.substr(begin, end - begin);
    std::replace(moves.begin(), moves.end(), '0', 'O');
    return moves;
}

// The token [begin, end) without its marks equals `text`.
bool tokenEquals(const char* begin, const char* end, const char* text) {
    for (const char* c = begin; c < end; ++c) {
        if (std::strchr(MOVE_MARKS, *c)) continue;
        if (*text != *c) return false;
        ++text;
    }
    return *text == '\0';
}

bool tokenNames(const char* begin, const char* end, const char* san, const char* longText, const char* coordinate) {
    for (const char* text : {san, longText, coordinate})
        if (text && *text && tokenEquals(begin, end, text)) return true;
    return false;
}

}  // namespace

EpdTestLine splitEpdTestLine(const std::string& line) {
    EpdTestLine fields;
    const size_t opcode = findOpcode(line);
    if (opcode == std::string::npos) return fields;
    fields.opcode = line[opcode] == 'b' ? EpdOpcode::BestMove : EpdOpcode::AvoidMove;
    fields.fen = line.substr(0, opcode);

    const size_t movesBegin = std::min(opcode + OPCODE_LENGTH, line.size());
    const size_t semicolon = line.find(';', movesBegin);
    const size_t movesEnd = semicolon == std::string::npos ? line.size() : semicolon;
    fields.expected = moveListOf(line, movesBegin, movesEnd);

    if (semicolon != std::string::npos && semicolon + ID_PREFIX_LENGTH <= line.size()) {
        const size_t nameBegin = semicolon + ID_PREFIX_LENGTH;
        const size_t quote = line.find('"', nameBegin);
        const size_t nameEnd = quote == std::string::npos ? line.size() : quote;
        fields.name = line.substr(nameBegin, nameEnd - nameBegin);
    }
    return fields;
}

bool expectedMovesMatch(const char* expected, const char* san, const char* longText, const char* coordinate) {
    const char* c = expected;
    while (*c) {
        while (isSeparator(*c)) ++c;
        const char* begin = c;
        while (*c && !isSeparator(*c)) ++c;
        if (c > begin && tokenNames(begin, c, san, longText, coordinate)) return true;
    }
    return false;
}
