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

// Keys and occupancy live in locals: the byte-wide board writes would otherwise force reloads.
void Position::doMove(Move move, UndoRecord& undo) {
    const uint8_t oldRights = castlingRights;
    const uint8_t oldEpFile = epFile;
    undo = {key, pawnKey, move, oldRights, oldEpFile, rule50};

    const int32_t from = moveFrom(move), to = moveTo(move);
    const int32_t moving = movePiece(move), captured = moveCaptured(move), promotion = movePromotion(move);
    const int32_t us = sideToMove, them = otherSide;

    // Saturates so a very long quiet stretch can never wrap back below the draw limit.
    if (captured || moving == PAWN) rule50 = 0;
    else if (rule50 < 255) ++rule50;

    int32_t destination = to;
    int32_t rookEnd = 0;
    if (isCastling(move)) {
        const int32_t right = to > from;
        destination = castleKingEnd[us][right];
        rookEnd = castleRookEnd[us][right];
    }

    uint64_t newKey = key ^ zobristSideToMove ^ zobristPieceSquare[moving][us][from];
    uint64_t newPawnKey = pawnKey;
    Bitboard occ = occupied ^ squareBB[from];
    Bitboard mine = byColour[us] ^ squareBB[from];
    uint8_t rights = oldRights;
    pieces[us][moving] ^= squareBB[from];

    if (oldEpFile) newKey ^= zobristEnPassant[oldEpFile - 1];

    if (moving == PAWN) {
        newPawnKey ^= zobristPieceSquare[PAWN][us][from];
        if (!promotion) newPawnKey ^= zobristPieceSquare[PAWN][us][destination];
    }

    int32_t capturedSquare = destination;
    if (captured) {
        materialKey -= materialKeyIncrement[them][captured];
        material[them] -= pieceValue[captured];
        phaseByColour[them] -= phaseWeight[captured];
        if (isEnPassant(move)) {
            capturedSquare = destination + epCaptureOffset[us];
            occ ^= squareBB[capturedSquare];
        }
        byColour[them] ^= squareBB[capturedSquare];
        pieces[them][captured] ^= squareBB[capturedSquare];
        newKey ^= zobristPieceSquare[captured][them][capturedSquare];
        if (captured == PAWN) {
            newPawnKey ^= zobristPieceSquare[PAWN][them][capturedSquare];
        } else if (captured == ROOK) {
            if (capturedSquare == castleRookKingSide[them]) rights &= uint8_t(~kingSideRight[them]);
            else if (capturedSquare == castleRookQueenSide[them]) rights &= uint8_t(~queenSideRight[them]);
        }
    }

    if (moving == KING) {
        if (isCastling(move)) {
            occ ^= squareBB[to];
            mine ^= squareBB[to];
            occ |= squareBB[rookEnd];
            mine |= squareBB[rookEnd];
            pieces[us][ROOK] = (pieces[us][ROOK] ^ squareBB[to]) | squareBB[rookEnd];
            newKey ^= zobristPieceSquare[ROOK][us][to] ^ zobristPieceSquare[ROOK][us][rookEnd];
        }
        rights &= kingMoveCastleMask[us];
        kingSquare[us] = destination;
    } else if (moving == ROOK) {
        if (from == castleRookKingSide[us]) rights &= uint8_t(~kingSideRight[us]);
        else if (from == castleRookQueenSide[us]) rights &= uint8_t(~queenSideRight[us]);
    }

    int32_t placed = moving;
    if (promotion) {
        placed = promotion;
        materialKey += materialKeyIncrement[us][promotion] - materialKeyIncrement[us][PAWN];
        material[us] += pieceValue[promotion] - pieceValue[PAWN];
        phaseByColour[us] += phaseWeight[promotion];
    }

    occupied = occ | squareBB[destination];
    byColour[us] = mine | squareBB[destination];
    pieces[us][placed] |= squareBB[destination];
    newKey ^= zobristPieceSquare[placed][us][destination];

    if (isDoublePush(move)) {
        epFile = uint8_t(fileOf(destination) + 1);
        newKey ^= zobristEnPassant[fileOf(destination)];
    } else {
        epFile = 0;
    }

    if (rights != oldRights) newKey ^= zobristCastling[oldRights] ^ zobristCastling[rights];
    castlingRights = rights;
    key = newKey;
    pawnKey = newPawnKey;
    sideToMove = them;
    otherSide = us;
    phase = phaseByColour[BLACK] + phaseByColour[WHITE];

    // Board bytes last, in an order that also serves king and rook landing on each other's squares.
    board[from] = 0;
    if (isEnPassant(move)) board[capturedSquare] = 0;
    if (isCastling(move)) {
        board[to] = 0;
        board[rookEnd] = ROOK;
    }
    board[destination] = uint8_t(placed);
}

void Position::undoMove(Move move, const UndoRecord& undo) {
    const int32_t us = otherSide, them = us ^ 1;
    sideToMove = us;
    otherSide = them;

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
        materialKey += materialKeyIncrement[us][PAWN] - materialKeyIncrement[us][promotion];
        material[us] += pieceValue[PAWN] - pieceValue[promotion];
        phaseByColour[us] -= phaseWeight[promotion];
    }

    Bitboard occ = occupied;
    Bitboard mine = byColour[us] ^ squareBB[destination];
    pieces[us][lifted] ^= squareBB[destination];
    const bool destinationEmptied = !captured || isEnPassant(move);
    if (destinationEmptied) occ ^= squareBB[destination];

    int32_t capturedSquare = destination;
    if (captured) {
        materialKey += materialKeyIncrement[them][captured];
        material[them] += pieceValue[captured];
        phaseByColour[them] += phaseWeight[captured];
        if (isEnPassant(move)) {
            capturedSquare = destination + epCaptureOffset[us];
            occ |= squareBB[capturedSquare];
        }
        byColour[them] |= squareBB[capturedSquare];
        pieces[them][captured] |= squareBB[capturedSquare];
    }

    if (moving == KING) {
        if (isCastling(move)) {
            occ = (occ ^ squareBB[rookEnd]) | squareBB[to];
            mine = (mine ^ squareBB[rookEnd]) | squareBB[to];
            pieces[us][ROOK] = (pieces[us][ROOK] ^ squareBB[rookEnd]) | squareBB[to];
        }
        kingSquare[us] = from;
    }

    occupied = occ | squareBB[from];
    byColour[us] = mine | squareBB[from];
    pieces[us][moving] |= squareBB[from];

    phase = phaseByColour[BLACK] + phaseByColour[WHITE];
    key = undo.key;
    pawnKey = undo.pawnKey;
    castlingRights = undo.castlingRights;
    epFile = undo.epFile;
    rule50 = undo.rule50;

    // Board bytes last, in the order that serves king and rook swapping squares.
    if (destinationEmptied) board[destination] = 0;
    if (captured) board[capturedSquare] = uint8_t(captured);
    if (isCastling(move)) {
        board[rookEnd] = 0;
        board[to] = ROOK;
    }
    board[from] = uint8_t(moving);
}

bool Position::doMoveIfLegal(Move move, UndoRecord& undo) {
    doMove(move, undo);
    if (!moverKingAttacked()) return true;
    undoMove(move, undo);
    return false;
}

bool Position::isLegal(Move move) {
    UndoRecord undo;
    if (!doMoveIfLegal(move, undo)) return false;
    undoMove(move, undo);
    return true;
}

void Position::doNullMove(UndoRecord& undo) {
    undo = {key, pawnKey, noMove, castlingRights, epFile, rule50};
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
