#include "board/san_match.h"

#include <initializer_list>

#include "board/movegen.h"

namespace {

enum class SanKind { Unreadable, CastleKingSide, CastleQueenSide, PieceMove };

// What a move text asks for; -1 stands for "not given".
struct SanPattern {
    SanKind kind = SanKind::Unreadable;
    int32_t piece = NO_PIECE;
    int32_t fromFile = -1;
    int32_t fromRank = -1;
    int32_t to = -1;
    int32_t promotion = NO_PIECE;
};

constexpr bool isFileChar(char c) { return c >= 'a' && c <= 'h'; }
constexpr bool isRankChar(char c) { return c >= '1' && c <= '8'; }

int32_t pieceFromLetter(char letter) {
    switch (letter) {
    case 'N': return KNIGHT;
    case 'B': return BISHOP;
    case 'R': return ROOK;
    case 'Q': return QUEEN;
    case 'K': return KING;
    default: return NO_PIECE;
    }
}

// "O-O" or "O-O-O", written with capital O or with zeros; what follows is ignored.
SanKind castlingKind(const char* text) {
    for (const char zero : {'O', '0'}) {
        if (text[0] != zero || text[1] != '-' || text[2] != zero) continue;
        return text[3] == '-' && text[4] == zero ? SanKind::CastleQueenSide : SanKind::CastleKingSide;
    }
    return SanKind::Unreadable;
}

bool isSquareAt(const char* text) { return isFileChar(text[0]) && isRankChar(text[1]); }

int32_t squareAt(const char* text) { return (text[1] - '1') * 8 + (text[0] - 'a'); }

// Reads `length` (0, 1 or 2) disambiguation characters, an optional "x" and the target
// square; returns the index after the target, or -1 when the text does not read that way.
int32_t readFromAndTarget(const char* text, int32_t length, SanPattern& pattern) {
    pattern.fromFile = pattern.fromRank = -1;
    if (length == 2) {
        if (!isSquareAt(text)) return -1;
        pattern.fromFile = text[0] - 'a';
        pattern.fromRank = text[1] - '1';
    } else if (length == 1) {
        if (isFileChar(text[0]))
            pattern.fromFile = text[0] - 'a';
        else if (isRankChar(text[0]))
            pattern.fromRank = text[0] - '1';
        else
            return -1;
    }
    int32_t at = length;
    if (text[at] == 'x') ++at;
    if (!isSquareAt(text + at)) return -1;
    pattern.to = squareAt(text + at);
    return at + 2;
}

SanPattern parseSan(const char* text) {
    SanPattern pattern;
    pattern.kind = castlingKind(text);
    if (pattern.kind != SanKind::Unreadable) return pattern;
    if (isFileChar(text[0])) {
        pattern.piece = PAWN;
    } else {
        pattern.piece = pieceFromLetter(text[0]);
        if (pattern.piece == NO_PIECE) return pattern;
        ++text;
    }
    // The longest disambiguation that still leaves a target square wins: "Qh4e1", "Nbd2", "Nf3".
    int32_t end = -1;
    for (int32_t length = 2; length >= 0 && end < 0; --length) end = readFromAndTarget(text, length, pattern);
    if (end < 0) return pattern;
    if (text[end] == '=') {
        pattern.promotion = pieceFromLetter(text[end + 1]);
        if (pattern.promotion == NO_PIECE || pattern.promotion == KING) return pattern;
    }
    pattern.kind = SanKind::PieceMove;
    return pattern;
}

bool matches(const SanPattern& pattern, Move move) {
    if (pattern.kind != SanKind::PieceMove) {
        // The castling word moves the king onto its own rook: king side when the rook stands right.
        const bool kingSide = fileOf(moveTo(move)) > fileOf(moveFrom(move));
        return isCastling(move) && kingSide == (pattern.kind == SanKind::CastleKingSide);
    }
    // A king's castling word lands on its rook's square, which "Kh1" must not name.
    if (isCastling(move)) return false;
    if (movePiece(move) != pattern.piece || moveTo(move) != pattern.to) return false;
    if (movePromotion(move) != pattern.promotion) return false;
    if (pattern.fromFile >= 0 && fileOf(moveFrom(move)) != pattern.fromFile) return false;
    return pattern.fromRank < 0 || rankOf(moveFrom(move)) == pattern.fromRank;
}

}  // namespace

Move matchSanMove(const ScoredMove* legal, int32_t count, const char* text) {
    const SanPattern pattern = parseSan(text);
    if (pattern.kind == SanKind::Unreadable) return noMove;
    Move found = noMove;
    for (int32_t i = 0; i < count; ++i) {
        if (!matches(pattern, legal[i].move)) continue;
        if (found != noMove) return noMove;
        found = legal[i].move;
    }
    return found;
}

Move matchSanMove(Position& position, const char* text) {
    ScoredMove legal[MAX_MOVES];
    const int32_t count = generateLegalMoves(position, legal, isInCheck(position));
    return matchSanMove(legal, count, text);
}
