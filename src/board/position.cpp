// Position set-up, making and unmaking moves.
#include "board/position.h"

#include <utility>

#include "board/attacks.h"
#include "board/zobrist.h"

const int32_t pieceValue[8] = {0, 100, 325, 325, 500, 975, 0, 0};
const int32_t phaseWeight[8] = {0, 0, 1, 1, 2, 4, 0, 0};
const uint64_t materialKeyIncrement[2][8] = {
    {0, 1ULL << 0, 1ULL << 4, 1ULL << 8, 1ULL << 12, 1ULL << 16, 0, 0},
    {0, 1ULL << 32, 1ULL << 36, 1ULL << 40, 1ULL << 44, 1ULL << 48, 0, 0},
};

namespace {

constexpr int8_t initialBoard[64] = {
    4,  2,  3,  5,  6,  3,  2,  4,  1,  1,  1,  1,  1,  1,  1,  1,  0,  0,  0,  0,  0,  0,
    0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    0,  0,  0,  0,  -1, -1, -1, -1, -1, -1, -1, -1, -4, -2, -3, -5, -6, -3, -2, -4,
};

// A king move of a colour drops both of its rights.
constexpr uint8_t kingMoveCastleMask[2] = {uint8_t(~castlingRightsOf[BLACK]), uint8_t(~castlingRightsOf[WHITE])};

// What undoMove and undoNullMove restore. Field by field on purpose: copied as one record, the
// key and pawn key are read with one wide load, which cannot take its value from the two narrow
// stores of the undoMove just before it and stalls every make/unmake pair.
void saveState(const Position& position, UndoRecord& undo, Move move) {
    undo.key = position.key;
    undo.pawnKey = position.pawnKey;
    undo.move = move;
    undo.castlingRights = position.castlingRights;
    undo.epFile = position.epFile;
    undo.rule50 = position.rule50;
}

}  // namespace

void Position::setStartPosition() {
    kingSquare[BLACK] = E8;
    kingSquare[WHITE] = E1;
    phase = 24;
    material[BLACK] = material[WHITE] = 4075;
    materialKey = 0x0001222800012228ULL;
    phaseByColour[BLACK] = phaseByColour[WHITE] = 12;
    occupied = byColour[BLACK] = byColour[WHITE] = 0;
    for (auto& colourPieces : pieces)
        for (Bitboard& set : colourPieces) set = 0;
    for (int32_t sq = 0; sq < 64; ++sq) {
        board[sq] = 0;
        const int32_t code = initialBoard[sq];
        if (code == 0) continue;
        const int32_t colour = code > 0 ? WHITE : BLACK;
        const int32_t type = code > 0 ? code : -code;
        occupied |= squareBB[sq];
        byColour[colour] |= squareBB[sq];
        pieces[colour][type] |= squareBB[sq];
        board[sq] = uint8_t(type);
    }
    castlingRights = ALL_CASTLING_RIGHTS;
    epFile = 0;
    rule50 = 0;
    sideToMove = WHITE;
    otherSide = BLACK;
    castleKingFrom[BLACK] = E8;
    castleKingFrom[WHITE] = E1;
    castleRookKingSide[BLACK] = H8;
    castleRookKingSide[WHITE] = H1;
    castleRookQueenSide[BLACK] = A8;
    castleRookQueenSide[WHITE] = A1;
    castlePathKingSide[BLACK] = squareBB[F8] | squareBB[G8];
    castlePathKingSide[WHITE] = squareBB[F1] | squareBB[G1];
    castlePathQueenSide[BLACK] = squareBB[B8] | squareBB[C8] | squareBB[D8];
    castlePathQueenSide[WHITE] = squareBB[B1] | squareBB[C1] | squareBB[D1];
    key = computeKey(*this);
    pawnKey = computePawnKey(*this);
}

void Position::reset() {
    key = pawnKey = occupied = 0;
    byColour[BLACK] = byColour[WHITE] = 0;
    for (auto& colourPieces : pieces)
        for (Bitboard& set : colourPieces) set = 0;
    for (uint8_t& square : board) square = 0;
    material[BLACK] = material[WHITE] = 0;
    phase = phaseByColour[BLACK] = phaseByColour[WHITE] = 0;
    epFile = rule50 = 0;
    otherSide = 0;
    sideToMove = WHITE;
    castlingRights = ALL_CASTLING_RIGHTS;
    materialKey = 0x0001222800012228ULL;
    kingSquare[BLACK] = E8;
    kingSquare[WHITE] = E1;
    for (int32_t c = 0; c < 2; ++c) {
        castleKingFrom[c] = castleRookKingSide[c] = castleRookQueenSide[c] = 0;
        castlePathKingSide[c] = castlePathQueenSide[c] = 0;
    }
    chess960 = false;
}

// The plain make and unmake paths (captures included) and the legality shortcut are forced
// inline into every caller in this file, so a make-test-unmake round trip (as perft's leaves
// do) runs as one body without calls.
#define ALWAYS_INLINE [[gnu::always_inline]] inline

namespace {

// Castling, en passant and promotions: the moves that do more than take one piece from its
// square to another, capturing what stands there.
constexpr Move SPECIAL_MOVE_BITS = MOVE_CASTLING | MOVE_EN_PASSANT | (Move(7) << 18);

// The half-move clock after a move. It saturates so a very long quiet stretch can never wrap
// back below the draw limit.
uint8_t rule50After(uint8_t rule50, int32_t moving, int32_t captured) {
    if (captured || moving == PAWN) return 0;
    return rule50 < 255 ? uint8_t(rule50 + 1) : rule50;
}

// Castling rights left after a move of the side to move: a king move drops both of its side's,
// a rook leaving a castling rook square, or taken on one, drops that wing's.
uint8_t rightsAfter(const Position& p, int32_t from, int32_t moving, int32_t captured, int32_t capturedSquare) {
    const int32_t us = p.sideToMove, them = p.otherSide;
    uint8_t rights = p.castlingRights;
    if (captured == ROOK) {
        if (capturedSquare == p.castleRookKingSide[them]) rights &= uint8_t(~kingSideRight[them]);
        else if (capturedSquare == p.castleRookQueenSide[them]) rights &= uint8_t(~queenSideRight[them]);
    }
    if (moving == KING) {
        rights &= kingMoveCastleMask[us];
    } else if (moving == ROOK) {
        if (from == p.castleRookKingSide[us]) rights &= uint8_t(~kingSideRight[us]);
        else if (from == p.castleRookQueenSide[us]) rights &= uint8_t(~queenSideRight[us]);
    }
    return rights;
}

// A captured piece leaves its colour's sets, the counters and the keys; the occupancy is left
// to the caller, since a capture on the destination leaves that square occupied.
ALWAYS_INLINE void removeCaptured(Position& p, int32_t them, int32_t captured, int32_t square, uint64_t& key,
                                  uint64_t& pawnKey) {
    p.materialKey -= materialKeyIncrement[them][captured];
    p.material[them] -= pieceValue[captured];
    p.phaseByColour[them] -= phaseWeight[captured];
    p.byColour[them] ^= squareBB[square];
    p.pieces[them][captured] ^= squareBB[square];
    key ^= zobristPieceSquare[captured][them][square];
    if (captured == PAWN) pawnKey ^= zobristPieceSquare[PAWN][them][square];
}

ALWAYS_INLINE void restoreCaptured(Position& p, int32_t them, int32_t captured, int32_t square) {
    p.materialKey += materialKeyIncrement[them][captured];
    p.material[them] += pieceValue[captured];
    p.phaseByColour[them] += phaseWeight[captured];
    p.byColour[them] |= squareBB[square];
    p.pieces[them][captured] |= squareBB[square];
}

// The common move, neither castling, en passant nor a promotion, on its own short path: one
// piece and one key table row, a capture only on the destination, the phase changed only by
// a capture. Removals toggle and additions set, as in the general path.
ALWAYS_INLINE void doPlainMove(Position& p, Move move) {
    const int32_t from = moveFrom(move), to = moveTo(move);
    const int32_t moving = movePiece(move), captured = moveCaptured(move);
    const int32_t us = p.sideToMove, them = p.otherSide;
    const Bitboard fromBB = squareBB[from], toBB = squareBB[to];
    const uint64_t* movingKeys = zobristPieceSquare[moving][us];
    uint64_t key = p.key ^ zobristSideToMove ^ movingKeys[from] ^ movingKeys[to];
    uint64_t pawnKey = p.pawnKey;
    if (p.epFile) key ^= zobristEnPassant[p.epFile - 1];
    if (moving == PAWN) pawnKey ^= movingKeys[from] ^ movingKeys[to];
    if (captured) {
        removeCaptured(p, them, captured, to, key, pawnKey);
        p.phase = p.phaseByColour[BLACK] + p.phaseByColour[WHITE];
    }
    // Only king and rook moves and rook captures can change the rights, and only while some remain.
    if (p.castlingRights && (moving == KING || moving == ROOK || captured == ROOK)) {
        const uint8_t rights = rightsAfter(p, from, moving, captured, to);
        if (rights != p.castlingRights) key ^= zobristCastling[p.castlingRights] ^ zobristCastling[rights];
        p.castlingRights = rights;
    }
    if (moving == KING) p.kingSquare[us] = to;
    p.rule50 = rule50After(p.rule50, moving, captured);
    p.occupied = (p.occupied ^ fromBB) | toBB;
    p.byColour[us] = (p.byColour[us] ^ fromBB) | toBB;
    p.pieces[us][moving] = (p.pieces[us][moving] ^ fromBB) | toBB;
    if (isDoublePush(move)) {
        p.epFile = uint8_t(fileOf(to) + 1);
        key ^= zobristEnPassant[fileOf(to)];
    } else {
        p.epFile = 0;
    }
    p.key = key;
    p.pawnKey = pawnKey;
    p.sideToMove = them;
    p.otherSide = us;
    p.board[from] = 0;
    p.board[to] = uint8_t(moving);
}

ALWAYS_INLINE void undoPlainMove(Position& p, Move move, const UndoRecord& undo) {
    const int32_t us = p.otherSide, them = us ^ 1;
    const int32_t from = moveFrom(move), to = moveTo(move);
    const int32_t moving = movePiece(move), captured = moveCaptured(move);
    const Bitboard fromBB = squareBB[from], toBB = squareBB[to];
    p.sideToMove = us;
    p.otherSide = them;
    p.pieces[us][moving] = (p.pieces[us][moving] ^ toBB) | fromBB;
    p.byColour[us] = (p.byColour[us] ^ toBB) | fromBB;
    Bitboard occ = p.occupied;
    if (captured) {
        restoreCaptured(p, them, captured, to);
        p.phase = p.phaseByColour[BLACK] + p.phaseByColour[WHITE];
    } else {
        occ ^= toBB;
    }
    p.occupied = occ | fromBB;
    if (moving == KING) p.kingSquare[us] = from;
    p.key = undo.key;
    p.pawnKey = undo.pawnKey;
    p.castlingRights = undo.castlingRights;
    p.epFile = undo.epFile;
    p.rule50 = undo.rule50;
    p.board[to] = uint8_t(captured);
    p.board[from] = uint8_t(moving);
}

// Every kind of move, the special ones included. Keys and occupancy live in locals: the
// byte-wide board writes would otherwise force reloads.
void doAnyMove(Position& p, Move move) {
    const uint8_t oldRights = p.castlingRights;
    const uint8_t oldEpFile = p.epFile;
    const int32_t from = moveFrom(move), to = moveTo(move);
    const int32_t moving = movePiece(move), captured = moveCaptured(move), promotion = movePromotion(move);
    const int32_t us = p.sideToMove, them = p.otherSide;

    int32_t destination = to;
    int32_t rookEnd = 0;
    if (isCastling(move)) {
        const int32_t right = to > from;
        destination = castleKingEnd[us][right];
        rookEnd = castleRookEnd[us][right];
    }
    int32_t capturedSquare = destination;
    if (isEnPassant(move)) capturedSquare = destination + epCaptureOffset[us];
    const uint8_t rights = oldRights ? rightsAfter(p, from, moving, captured, capturedSquare) : oldRights;
    p.rule50 = rule50After(p.rule50, moving, captured);

    uint64_t newKey = p.key ^ zobristSideToMove ^ zobristPieceSquare[moving][us][from];
    uint64_t newPawnKey = p.pawnKey;
    Bitboard occ = p.occupied ^ squareBB[from];
    Bitboard mine = p.byColour[us] ^ squareBB[from];
    p.pieces[us][moving] ^= squareBB[from];

    if (oldEpFile) newKey ^= zobristEnPassant[oldEpFile - 1];

    if (moving == PAWN) {
        newPawnKey ^= zobristPieceSquare[PAWN][us][from];
        if (!promotion) newPawnKey ^= zobristPieceSquare[PAWN][us][destination];
    }

    if (captured) {
        if (isEnPassant(move)) occ ^= squareBB[capturedSquare];
        removeCaptured(p, them, captured, capturedSquare, newKey, newPawnKey);
    }

    if (moving == KING) {
        if (isCastling(move)) {
            occ ^= squareBB[to];
            mine ^= squareBB[to];
            occ |= squareBB[rookEnd];
            mine |= squareBB[rookEnd];
            p.pieces[us][ROOK] = (p.pieces[us][ROOK] ^ squareBB[to]) | squareBB[rookEnd];
            newKey ^= zobristPieceSquare[ROOK][us][to] ^ zobristPieceSquare[ROOK][us][rookEnd];
        }
        p.kingSquare[us] = destination;
    }

    int32_t placed = moving;
    if (promotion) {
        placed = promotion;
        p.materialKey += materialKeyIncrement[us][promotion] - materialKeyIncrement[us][PAWN];
        p.material[us] += pieceValue[promotion] - pieceValue[PAWN];
        p.phaseByColour[us] += phaseWeight[promotion];
    }

    p.occupied = occ | squareBB[destination];
    p.byColour[us] = mine | squareBB[destination];
    p.pieces[us][placed] |= squareBB[destination];
    newKey ^= zobristPieceSquare[placed][us][destination];

    if (isDoublePush(move)) {
        p.epFile = uint8_t(fileOf(destination) + 1);
        newKey ^= zobristEnPassant[fileOf(destination)];
    } else {
        p.epFile = 0;
    }

    if (rights != oldRights) newKey ^= zobristCastling[oldRights] ^ zobristCastling[rights];
    p.castlingRights = rights;
    p.key = newKey;
    p.pawnKey = newPawnKey;
    p.sideToMove = them;
    p.otherSide = us;
    p.phase = p.phaseByColour[BLACK] + p.phaseByColour[WHITE];

    // Board bytes last, in an order that also serves king and rook landing on each other's squares.
    p.board[from] = 0;
    if (isEnPassant(move)) p.board[capturedSquare] = 0;
    if (isCastling(move)) {
        p.board[to] = 0;
        p.board[rookEnd] = ROOK;
    }
    p.board[destination] = uint8_t(placed);
}

void undoAnyMove(Position& p, Move move, const UndoRecord& undo) {
    const int32_t us = p.otherSide, them = us ^ 1;
    p.sideToMove = us;
    p.otherSide = them;

    const int32_t from = moveFrom(move), to = moveTo(move);
    const int32_t moving = movePiece(move), captured = moveCaptured(move), promotion = movePromotion(move);

    int32_t destination = to;
    int32_t rookEnd = 0;
    if (isCastling(move)) {
        const int32_t right = to > from;
        destination = castleKingEnd[us][right];
        rookEnd = castleRookEnd[us][right];
    }

    int32_t lifted = moving;
    if (promotion) {
        lifted = promotion;
        p.materialKey += materialKeyIncrement[us][PAWN] - materialKeyIncrement[us][promotion];
        p.material[us] += pieceValue[PAWN] - pieceValue[promotion];
        p.phaseByColour[us] -= phaseWeight[promotion];
    }

    Bitboard occ = p.occupied;
    Bitboard mine = p.byColour[us] ^ squareBB[destination];
    p.pieces[us][lifted] ^= squareBB[destination];
    const bool destinationEmptied = !captured || isEnPassant(move);
    if (destinationEmptied) occ ^= squareBB[destination];

    int32_t capturedSquare = destination;
    if (captured) {
        if (isEnPassant(move)) {
            capturedSquare = destination + epCaptureOffset[us];
            occ |= squareBB[capturedSquare];
        }
        restoreCaptured(p, them, captured, capturedSquare);
    }

    if (moving == KING) {
        if (isCastling(move)) {
            occ = (occ ^ squareBB[rookEnd]) | squareBB[to];
            mine = (mine ^ squareBB[rookEnd]) | squareBB[to];
            p.pieces[us][ROOK] = (p.pieces[us][ROOK] ^ squareBB[rookEnd]) | squareBB[to];
        }
        p.kingSquare[us] = from;
    }

    p.occupied = occ | squareBB[from];
    p.byColour[us] = mine | squareBB[from];
    p.pieces[us][moving] |= squareBB[from];

    p.phase = p.phaseByColour[BLACK] + p.phaseByColour[WHITE];
    p.key = undo.key;
    p.pawnKey = undo.pawnKey;
    p.castlingRights = undo.castlingRights;
    p.epFile = undo.epFile;
    p.rule50 = undo.rule50;

    // Board bytes last, in the order that serves king and rook swapping squares.
    if (destinationEmptied) p.board[destination] = 0;
    if (captured) p.board[capturedSquare] = uint8_t(captured);
    if (isCastling(move)) {
        p.board[rookEnd] = 0;
        p.board[to] = ROOK;
    }
    p.board[from] = uint8_t(moving);
}

ALWAYS_INLINE void makeAnyMove(Position& p, Move move, UndoRecord& undo) {
    saveState(p, undo, move);
    if (move & SPECIAL_MOVE_BITS) doAnyMove(p, move);
    else doPlainMove(p, move);
}

ALWAYS_INLINE void unmakeAnyMove(Position& p, Move move, const UndoRecord& undo) {
    if (move & SPECIAL_MOVE_BITS) undoAnyMove(p, move, undo);
    else undoPlainMove(p, move, undo);
}

// Out of check, only sliders can come to attack the king, and only through the square the
// piece left: so a move that is neither a king move nor en passant (two squares emptied) is
// safe when its from-square lies on no line through the king, and otherwise needs only the
// slider test along that kind of line. In check, or for those moves, the full test decides.
ALWAYS_INLINE bool kingAttackedAfter(const Position& p, Move move, bool wasInCheck) {
    if (wasInCheck || movePiece(move) == KING || isEnPassant(move)) return p.moverKingAttacked();
    const int32_t king = p.kingSquare[p.otherSide];
    const Bitboard from = squareBB[moveFrom(move)];
    const Bitboard* enemy = p.pieces[p.sideToMove];
    if (from & bishopRays[king]) {
        const Bitboard sliders = (enemy[BISHOP] | enemy[QUEEN]) & bishopRays[king];
        return sliders && (bishopAttacks(king, p.occupied) & sliders);
    }
    if (from & rookRays[king]) {
        const Bitboard sliders = (enemy[ROOK] | enemy[QUEEN]) & rookRays[king];
        return sliders && (rookAttacks(king, p.occupied) & sliders);
    }
    return false;
}

}  // namespace

void Position::doMove(Move move, UndoRecord& undo) { makeAnyMove(*this, move, undo); }

void Position::undoMove(Move move, const UndoRecord& undo) { unmakeAnyMove(*this, move, undo); }

bool Position::moverKingAttackedAfter(Move move, bool wasInCheck) const {
    return kingAttackedAfter(*this, move, wasInCheck);
}

bool Position::doMoveIfLegal(Move move, UndoRecord& undo) {
    makeAnyMove(*this, move, undo);
    if (!moverKingAttacked()) return true;
    unmakeAnyMove(*this, move, undo);
    return false;
}

bool Position::doMoveIfLegal(Move move, UndoRecord& undo, bool inCheck) {
    makeAnyMove(*this, move, undo);
    if (!kingAttackedAfter(*this, move, inCheck)) return true;
    unmakeAnyMove(*this, move, undo);
    return false;
}

bool Position::isLegal(Move move) {
    UndoRecord undo;
    if (!doMoveIfLegal(move, undo)) return false;
    undoMove(move, undo);
    return true;
}

bool Position::isLegal(Move move, bool inCheck) {
    UndoRecord undo;
    makeAnyMove(*this, move, undo);
    const bool legal = !kingAttackedAfter(*this, move, inCheck);
    unmakeAnyMove(*this, move, undo);
    return legal;
}

void Position::doNullMove(UndoRecord& undo) {
    saveState(*this, undo, noMove);
    rule50 = 0;
    if (epFile != 0) {
        key ^= zobristEnPassant[epFile - 1];
        epFile = 0;
    }
    std::swap(sideToMove, otherSide);
    key ^= zobristSideToMove;
}

void Position::undoNullMove(const UndoRecord& undo) {
    key = undo.key;
    epFile = undo.epFile;
    rule50 = undo.rule50;
    std::swap(sideToMove, otherSide);
}
