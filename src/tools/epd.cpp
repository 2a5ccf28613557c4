#include "tools/epd.h"

#include <algorithm>
#include <cstring>

#include "tools/suitefile.h"

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

// Copies the move list; when it does not fit, the last move that was cut is dropped whole,
// so a cut never turns "O-O-O" into "O-O".
void copyMoveList(const std::string& line, size_t begin, size_t end, char* buffer) {
    if (copyBounded(line.c_str() + begin, end - begin, buffer, EPD_MOVES_SIZE)) {
        const size_t kept = std::strlen(buffer);
        const bool cutInsideMove = !isSeparator(line[begin + kept]);
        if (cutInsideMove) {
            size_t keep = kept;
            while (keep > 0 && !isSeparator(buffer[keep - 1])) --keep;
            buffer[keep] = '\0';
        }
    }
    for (char* c = buffer; *c; ++c)
        if (*c == '0') *c = 'O';
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
    copyBounded(line.c_str(), opcode, fields.fen, sizeof fields.fen);

    const size_t movesBegin = std::min(opcode + OPCODE_LENGTH, line.size());
    const size_t semicolon = line.find(';', movesBegin);
    const size_t movesEnd = semicolon == std::string::npos ? line.size() : semicolon;
    copyMoveList(line, movesBegin, movesEnd, fields.expected);

    if (semicolon != std::string::npos && semicolon + ID_PREFIX_LENGTH <= line.size()) {
        const size_t nameBegin = semicolon + ID_PREFIX_LENGTH;
        const size_t quote = line.find('"', nameBegin);
        const size_t nameEnd = quote == std::string::npos ? line.size() : quote;
        copyBounded(line.c_str() + nameBegin, nameEnd - nameBegin, fields.name, sizeof fields.name);
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
