#include "board/san.h"

#include <cstring>

#include "board/movegen.h"
#include "board/notation.h"

namespace {

constexpr char sanPieceLetters[] = "  NBRQK ";

char* writeSquare(char* out, int32_t square) {
    *out++ = char('a' + fileOf(square));
    *out++ = char('1' + rankOf(square));
    return out;
}

struct Disambiguation {
    bool file = false;
    bool rank = false;
};

// Which of the from-file and from-rank SAN needs: the file when it tells the rivals apart,
// else the rank when that does, else both. Only legal rivals count, so a pinned piece never
// forces a mark.
Disambiguation disambiguate(Position& position, Move move) {
    ScoredMove legal[MAX_MOVES];
    const int32_t count = generateLegalMoves(position, legal, isInCheck(position));
    const int32_t from = moveFrom(move);
    bool rivalExists = false, rivalOnFile = false, rivalOnRank = false;
    for (int32_t i = 0; i < count; ++i) {
        const Move other = legal[i].move;
        if (movePiece(other) != movePiece(move) || moveTo(other) != moveTo(move) || moveFrom(other) == from) continue;
        rivalExists = true;
        rivalOnFile = rivalOnFile || fileOf(moveFrom(other)) == fileOf(from);
        rivalOnRank = rivalOnRank || rankOf(moveFrom(other)) == rankOf(from);
    }
    Disambiguation marks;
    if (!rivalExists) return marks;
    marks.file = !rivalOnFile || rivalOnRank;
    marks.rank = rivalOnFile;
    return marks;
}

}  // namespace

void moveToSan(Position& position, Move move, char* buffer) {
    if (writeWordMove(move, buffer)) return;
    char* out = buffer;
    const int32_t piece = movePiece(move);
    const int32_t from = moveFrom(move);
    if (piece != PAWN) *out++ = sanPieceLetters[piece & 7];
    if (piece >= KNIGHT && piece <= QUEEN) {
        const Disambiguation marks = disambiguate(position, move);
        if (marks.file) *out++ = char('a' + fileOf(from));
        if (marks.rank) *out++ = char('1' + rankOf(from));
    }
    if (moveCaptured(move) != NO_PIECE) {
        if (piece == PAWN) *out++ = char('a' + fileOf(from));
        *out++ = 'x';
    }
    out = writeSquare(out, moveTo(move));
    const int32_t promotion = movePromotion(move);
    if (promotion >= KNIGHT && promotion <= QUEEN) {
        *out++ = '=';
        *out++ = sanPieceLetters[promotion];
    }
    *out = '\0';
}
