// FEN reader (all or nothing) and writer on a bare Position.
#include "board/fen.h"

#include <bit>
#include <cstdio>

#include "board/attacks.h"
#include "board/zobrist.h"

namespace {


// Piece code by character: +type for White, -type for Black, 0 for anything else.
int32_t fenPieceCode(unsigned char c) {
    switch (c) {
    case 'P': return 1;
    case 'N': return 2;
    case 'B': return 3;
    case 'R': return 4;
    case 'Q': return 5;
    case 'K': return 6;
    case 'p': return -1;
    case 'n': return -2;
    case 'b': return -3;
    case 'r': return -4;
    case 'q': return -5;
    case 'k': return -6;
    default: return 0;
    }
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

constexpr int32_t OUTERMOST_ROOK = -1;

// Everything the text says, held locally until the whole text is accepted.
struct FenFields {
    int8_t board[64] = {};
    int32_t kingSquare[2] = {-1, -1};
    int32_t side = WHITE;
    uint8_t castling = 0;
    // Rook file named per right (index of its bit in CastlingRight), or OUTERMOST_ROOK for K/Q/k/q.
    int32_t rookFile[4] = {OUTERMOST_ROOK, OUTERMOST_ROOK, OUTERMOST_ROOK, OUTERMOST_ROOK};
    uint8_t epFile = 0;
    int32_t halfMoves = 0;
    int32_t fullMoves = 0;
};

// Piece placement: eight ranks of exactly eight squares each, ended by one blank.
bool readPlacement(const unsigned char* text, int32_t& i, FenFields& fields) {
    int32_t rank = 7, file = 0;
    int32_t count[2] = {0, 0}, pawns[2] = {0, 0};
    for (;; ++i) {
        const unsigned char c = text[i];
        if (c == ' ') break;
        if (c == '/') {
            if (file != 8 || rank == 0) return false;
            --rank;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8) return false;
        } else if (const int32_t code = fenPieceCode(c)) {
            if (file >= 8) return false;
            const int32_t colour = code > 0 ? WHITE : BLACK;
            const int32_t square = rank * 8 + file;
            fields.board[square] = int8_t(code);
            if (code == KING || code == -KING) fields.kingSquare[colour] = square;
            if (++count[colour] > 16) return false;
            if ((code == PAWN || code == -PAWN) && ++pawns[colour] > 8) return false;
            ++file;
        } else {
            return false;
        }
    }
    return rank == 0 && file == 8;
}

// Castling letters; returns false on a reject, sets `more` when the en-passant field follows.
bool readCastling(const unsigned char* text, int32_t& i, FenFields& fields, bool& more) {
    more = false;
    if (text[i] == ' ') {
        ++i;
        more = true;
        return true;
    }
    if (text[i] == '-') {
        ++i;
        if (text[i] == ' ') {
            ++i;
            more = true;
        }
        return true;
    }
    for (int32_t letters = 0; letters < 4; ++letters) {
        const unsigned char c = text[i];
        if (letters > 0 && c == ' ') {
            ++i;
            more = true;
            return true;
        }
        const int32_t colour = c >= 'a' ? BLACK : WHITE;
        const int32_t kingSide = kingSideRight[colour];
        const int32_t queenSide = queenSideRight[colour];
        const int32_t rightIndexKing = std::countr_zero(kingSideRight[colour]);
        if (c == 'K' || c == 'k') {
            fields.castling |= uint8_t(kingSide);
            fields.rookFile[rightIndexKing] = OUTERMOST_ROOK;
        } else if (c == 'Q' || c == 'q') {
            fields.castling |= uint8_t(queenSide);
            fields.rookFile[rightIndexKing + 1] = OUTERMOST_ROOK;
        } else if ((c >= 'A' && c <= 'H') || (c >= 'a' && c <= 'h')) {
            const int32_t file = c - (colour == WHITE ? 'A' : 'a');
            const int32_t king = fields.kingSquare[colour];
            const bool rightOfKing = king >= 0 && file > fileOf(king);
            fields.castling |= uint8_t(rightOfKing ? kingSide : queenSide);
            fields.rookFile[rightIndexKing + (rightOfKing ? 0 : 1)] = file;
        } else {
            return false;
        }
        ++i;
    }
    if (text[i] == ' ') {
        ++i;
        more = true;
    }
    return true;
}

bool readEnPassant(const unsigned char* text, int32_t& i, FenFields& fields) {
    if (text[i] == '-') {
        ++i;
        return true;
    }
    const unsigned char fileChar = text[i];
    if (fileChar < 'a' || fileChar > 'h') return false;
    const unsigned char rankChar = text[i + 1];
    if (rankChar != (fields.side == WHITE ? '6' : '3')) return false;
    fields.epFile = uint8_t(fileChar - 'a' + 1);
    i += 2;
    return true;
}

void readCounters(const unsigned char* text, int32_t& i, FenFields& fields) {
    if (text[i] != ' ') return;
    ++i;
    if (text[i] == '-') {
        ++i;
    } else if (isDigit(text[i])) {
        fields.halfMoves = text[i++] - '0';
        if (isDigit(text[i])) fields.halfMoves = fields.halfMoves * 10 + (text[i++] - '0');
    } else {
        return;
    }
    if (text[i] != ' ' || text[i + 1] == '-') return;
    ++i;
    for (int32_t digits = 0; digits < 3 && isDigit(text[i]); ++digits) fields.fullMoves = fields.fullMoves * 10 + (text[i++] - '0');
}

bool readFen(const unsigned char* text, FenFields& fields) {
    int32_t i = 0;
    if (!readPlacement(text, i, fields)) return false;
    ++i;
    if (text[i] == 'w') fields.side = WHITE;
    else if (text[i] == 'b') fields.side = BLACK;
    else return false;
    ++i;
    // A blank with nothing after it ends the text as well as no blank at all.
    if (text[i] != ' ' || text[i + 1] == 0) return true;
    ++i;
    bool more = false;
    if (!readCastling(text, i, fields, more)) return false;
    if (!more || text[i] == 0) return true;
    if (!readEnPassant(text, i, fields)) return false;
    readCounters(text, i, fields);
    return true;
}

void placePieces(Position& p, const FenFields& fields) {
    p.occupied = p.byColour[BLACK] = p.byColour[WHITE] = 0;
    for (auto& colourPieces : p.pieces)
        for (Bitboard& set : colourPieces) set = 0;
    p.material[BLACK] = p.material[WHITE] = 0;
    p.phaseByColour[BLACK] = p.phaseByColour[WHITE] = 0;
    p.materialKey = 0;
    for (int32_t sq = 0; sq < 64; ++sq) {
        const int32_t code = fields.board[sq];
        p.board[sq] = 0;
        if (!code) continue;
        const int32_t colour = code > 0 ? WHITE : BLACK;
        const int32_t type = code > 0 ? code : -code;
        p.occupied |= squareBB[sq];
        p.byColour[colour] |= squareBB[sq];
        p.pieces[colour][type] |= squareBB[sq];
        p.board[sq] = uint8_t(type);
        p.material[colour] += pieceValue[type];
        p.phaseByColour[colour] += phaseWeight[type];
        p.materialKey += materialKeyIncrement[colour][type];
        if (type == KING) p.kingSquare[colour] = sq;
    }
}

// Squares the king and rook cross or land on, less their own squares.
Bitboard castlePath(int32_t king, int32_t kingEnd, int32_t rook, int32_t rookEnd) {
    Bitboard path = 0;
    for (int32_t sq = king < kingEnd ? king : kingEnd; sq <= (king < kingEnd ? kingEnd : king); ++sq) path |= squareBB[sq];
    for (int32_t sq = rook < rookEnd ? rook : rookEnd; sq <= (rook < rookEnd ? rookEnd : rook); ++sq) path |= squareBB[sq];
    return path & ~squareBB[king] & ~squareBB[rook];
}

void setCastling(Position& p, const FenFields& fields) {
    uint8_t rights = fields.castling;
    // Rights need the colour's one king on its back rank.
    if (fields.kingSquare[WHITE] < 0 || rankOf(fields.kingSquare[WHITE]) != 0)
        rights &= uint8_t(~castlingRightsOf[WHITE]);
    if (fields.kingSquare[BLACK] < 0 || rankOf(fields.kingSquare[BLACK]) != 7)
        rights &= uint8_t(~castlingRightsOf[BLACK]);
    for (int32_t colour = 0; colour < 2; ++colour) {
        const int32_t backRank = colour == WHITE ? 0 : 56;
        p.castleKingFrom[colour] = (rights & castlingRightsOf[colour]) ? fields.kingSquare[colour] : backRank + 4;
        p.castleRookKingSide[colour] = backRank + 7;
        p.castleRookQueenSide[colour] = backRank;
        p.castlePathKingSide[colour] = p.castlePathQueenSide[colour] = 0;
    }
    // Order: black king side, black queen side, white king side, white queen side.
    const uint8_t order[4] = {BLACK_KING_SIDE, BLACK_QUEEN_SIDE, WHITE_KING_SIDE, WHITE_QUEEN_SIDE};
    for (uint8_t right : order) {
        if (!(rights & right)) continue;
        const int32_t index = std::countr_zero(right);
        const int32_t colour = (right & castlingRightsOf[WHITE]) ? WHITE : BLACK;
        const bool kingSide = right == kingSideRight[colour];
        const int32_t backRank = colour == WHITE ? 0 : 56;
        const int32_t king = p.castleKingFrom[colour];
        const int32_t kingFile = fileOf(king);
        const Bitboard rooks = p.pieces[colour][ROOK];
        int32_t rook = -1;
        if (kingFile != (kingSide ? 7 : 0)) {
            if (fields.rookFile[index] != OUTERMOST_ROOK) {
                // A file letter names exactly the rook on that file.
                const int32_t square = backRank + fields.rookFile[index];
                if (rooks & squareBB[square]) rook = square;
            } else {
                const int32_t step = kingSide ? 1 : -1;
                for (int32_t file = kingFile + step; file >= 0 && file <= 7; file += step)
                    if (rooks & squareBB[backRank + file]) rook = backRank + file;
            }
        }
        if (rook < 0) {
            rights &= uint8_t(~right);
            continue;
        }
        if (kingSide) {
            p.castleRookKingSide[colour] = rook;
            p.castlePathKingSide[colour] = castlePath(king, castleKingEnd[colour][1], rook, castleRookEnd[colour][1]);
        } else {
            p.castleRookQueenSide[colour] = rook;
            p.castlePathQueenSide[colour] = castlePath(king, castleKingEnd[colour][0], rook, castleRookEnd[colour][0]);
        }
    }
    p.castlingRights = rights;
}

// The letter of one castling right: the file letter when its rook is not the outermost of its wing.
char castlingLetter(const Position& p, int32_t colour, bool kingSide) {
    const int32_t rook = kingSide ? p.castleRookKingSide[colour] : p.castleRookQueenSide[colour];
    const int32_t backRank = colour == WHITE ? 0 : 56;
    const int32_t step = kingSide ? 1 : -1;
    bool outermost = true;
    for (int32_t file = fileOf(rook) + step; file >= 0 && file <= 7; file += step)
        if (p.pieces[colour][ROOK] & squareBB[backRank + file]) outermost = false;
    const char base = colour == WHITE ? 'A' : 'a';
    if (!outermost) return char(base + fileOf(rook));
    const char* letters = colour == WHITE ? "KQ" : "kq";
    return letters[kingSide ? 0 : 1];
}

}  // namespace

int32_t parseFen(Position& position, const char* text, int32_t* fullMoveNumber) {
    if (text == nullptr) return 0;
    FenFields fields;
    if (!readFen(reinterpret_cast<const unsigned char*>(text), fields)) return 0;

    Position p = position;
    placePieces(p, fields);
    p.sideToMove = fields.side;
    p.otherSide = fields.side ^ 1;
    p.phase = p.phaseByColour[BLACK] + p.phaseByColour[WHITE];
    p.epFile = fields.epFile;
    p.rule50 = uint8_t(fields.halfMoves);
    setCastling(p, fields);
    p.key = computeKey(p);
    p.pawnKey = computePawnKey(p);
    position = p;
    if (fullMoveNumber) *fullMoveNumber = fields.fullMoves;
    return 1;
}

void writeFen(const Position& position, int32_t moveCounter, char* buffer) {
    static const char whiteLetters[] = " PNBRQK ";
    static const char blackLetters[] = " pnbrqk ";
    char* out = buffer;
    for (int32_t rank = 7; rank >= 0; --rank) {
        int32_t empty = 0;
        for (int32_t file = 0; file < 8; ++file) {
            const int32_t sq = rank * 8 + file;
            const int32_t type = position.board[sq] & 7;
            const bool white = (position.byColour[WHITE] & squareBB[sq]) != 0;
            const bool black = (position.byColour[BLACK] & squareBB[sq]) != 0;
            if (type == 0 || (!white && !black)) {
                ++empty;
                continue;
            }
            if (empty) *out++ = char('0' + empty);
            empty = 0;
            *out++ = white ? whiteLetters[type] : blackLetters[type];
        }
        if (empty) *out++ = char('0' + empty);
        if (rank > 0) *out++ = '/';
    }
    *out++ = ' ';
    *out++ = position.sideToMove == WHITE ? 'w' : 'b';
    *out++ = ' ';
    const uint8_t rights = position.castlingRights;
    if (rights & ALL_CASTLING_RIGHTS) {
        if (rights & WHITE_KING_SIDE) *out++ = castlingLetter(position, WHITE, true);
        if (rights & WHITE_QUEEN_SIDE) *out++ = castlingLetter(position, WHITE, false);
        if (rights & BLACK_KING_SIDE) *out++ = castlingLetter(position, BLACK, true);
        if (rights & BLACK_QUEEN_SIDE) *out++ = castlingLetter(position, BLACK, false);
    } else {
        *out++ = '-';
    }
    *out++ = ' ';
    if (position.epFile >= 1 && position.epFile <= 8) {
        *out++ = char('a' + position.epFile - 1);
        *out++ = position.sideToMove == WHITE ? '6' : '3';
    } else {
        *out++ = '-';
    }
    std::snprintf(out, size_t(FEN_BUFFER_SIZE - (out - buffer)), " %d %d", int(position.rule50), int(moveCounter));
}
