// Playing moves given as text: one move (XBoard) or a blank-separated list (UCI "position").
#include <cstdio>
#include <cstring>

#include "app/logger.h"
#include "board/notation.h"
#include "search/engine.h"

namespace {

// Report text: the first four characters, or five when a fifth one belongs to the move;
// never reads past the end of the text.
void formatIllegalMove(const char* text, char* out, size_t size) {
    char shown[6] = {};
    int32_t length = 0;
    while (length < 4 && text[length] != '\0') {
        shown[length] = text[length];
        length++;
    }
    if (length == 4 && text[4] != '\0' && text[4] != ' ') shown[length++] = text[4];
    std::snprintf(out, size, "Illegal move: %s", shown);
}

void reportIllegalMove(Engine& engine, const char* text) {
    char message[32];
    formatIllegalMove(text, message, sizeof(message));
    engine.listener->onInfoString(message);
    logger.log(LOG_ERROR, "%s", message);
}

}  // namespace

int32_t Engine::playMoveText(const char* text) {
    if (text == nullptr) return 0;
    Move move = noMove;
    if (text[0] != 'O' || std::strncmp(text, "O-O", 3) == 0) move = parseMoveText(position, text);
    if (!playMove(move)) {
        reportIllegalMove(*this, text);
        return 0;
    }
    return 1;
}

int32_t Engine::playMoveList(const char* text) {
    if (text == nullptr) return 1;
    const size_t length = std::strlen(text);
    size_t index = 0;
    while (true) {
        while (index < length && text[index] == ' ') index++;
        if (index >= length) return 1;
        const char* token = text + index;
        Move move = noMove;
        if (std::strncmp(token, "O-O-O", 5) == 0) {
            move = buildCastlingMove(position, 1);
            index += 5;
        } else if (std::strncmp(token, "O-O", 3) == 0) {
            move = buildCastlingMove(position, 0);
            index += 3;
        } else {
            const bool coordinates = length - index >= 4 && parseSquare(token) >= 0 && parseSquare(token + 2) >= 0;
            int32_t promotion = NO_PIECE;
            bool wellFormed = coordinates;
            if (coordinates) {
                index += 4;
                if (index < length) {
                    const char next = text[index];
                    if (next == ' ') {
                        index++;
                    } else if ((promotion = promotionFromLetter(next)) != NO_PIECE) {
                        // The character after a promotion letter is a separator.
                        index += 2;
                    } else {
                        wellFormed = false;
                    }
                }
            }
            if (wellFormed) move = buildMove(position, parseSquare(token), parseSquare(token + 2), promotion);
        }
        if (!playMove(move)) {
            reportIllegalMove(*this, token);
            return 0;
        }
    }
}
