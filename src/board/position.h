// The board state: bitboards, piece-type board, keys, material, castling geometry.
#pragma once

#include "board/attacks.h"
#include "board/types.h"

// Per piece type 0..7: material value (king 0) and game-phase weight (24 with all pieces).
extern const int32_t pieceValue[8];
extern const int32_t phaseWeight[8];
// [colour][type]: one nibble per type, black in the low half, white in the high half.
extern const uint64_t materialKeyIncrement[2][8];
// Exchange values (king 5000) used by Position::see.
extern const int32_t seeValue[8];

// Bits of Position::castlingRights.
enum CastlingRight : uint8_t { WHITE_KING_SIDE = 1, WHITE_QUEEN_SIDE = 2, BLACK_KING_SIDE = 4, BLACK_QUEEN_SIDE = 8 };
inline constexpr uint8_t ALL_CASTLING_RIGHTS = 15;
// By colour [black, white]: each wing's right and both together.
inline constexpr uint8_t kingSideRight[2] = {BLACK_KING_SIDE, WHITE_KING_SIDE};
inline constexpr uint8_t queenSideRight[2] = {BLACK_QUEEN_SIDE, WHITE_QUEEN_SIDE};
inline constexpr uint8_t castlingRightsOf[2] = {BLACK_KING_SIDE | BLACK_QUEEN_SIDE, WHITE_KING_SIDE | WHITE_QUEEN_SIDE};
// King and rook end squares of a castling move by [colour][rook on the king's right].
inline constexpr int32_t castleKingEnd[2][2] = {{C8, G8}, {C1, G1}};
inline constexpr int32_t castleRookEnd[2][2] = {{D8, F8}, {D1, F1}};

// Square of the pawn taken en passant = destination + offset, by the mover's colour.
inline constexpr int32_t epCaptureOffset[2] = {8, -8};

// Filled whole by doMove and doNullMove. No default values: every node of the search and of
// perft declares one, and zeroing it there first would be wasted work; value-initialise a
// record (`UndoRecord{}`) where a zero record is wanted.
struct UndoRecord {
    uint64_t key;
    uint64_t pawnKey;
    Move move;
    uint8_t castlingRights;
    uint8_t epFile;
    uint8_t rule50;
};

struct Position {
    uint64_t key;
    uint64_t pawnKey;
    Bitboard occupied;
    Bitboard byColour[2];
    Bitboard pieces[2][8];
    uint8_t board[64];
    int32_t material[2];
    int32_t sideToMove;
    int32_t otherSide;
    int32_t phase;
    int32_t phaseByColour[2];
    uint64_t materialKey;
    uint8_t castlingRights;
    uint8_t epFile;
    uint8_t rule50;
    int32_t kingSquare[2];
    int32_t castleKingFrom[2];
    int32_t castleRookKingSide[2];
    int32_t castleRookQueenSide[2];
    Bitboard castlePathKingSide[2];
    Bitboard castlePathQueenSide[2];
    bool chess960;

    void setStartPosition();
    void reset();
    // Plays a pseudo-legal move of the side to move, recording in `undo` what undoMove needs.
    // Neither tests legality.
    void doMove(Move move, UndoRecord& undo);
    void undoMove(Move move, const UndoRecord& undo);
    // Plays `move` when it does not leave the mover's king attacked: true with the move made,
    // false with the position as it was.
    bool doMoveIfLegal(Move move, UndoRecord& undo);
    // The same for a caller that knows the check state of the side to move (`inCheck` must be
    // what isInCheck gives here): only the moves that can expose the king are tested in full.
    bool doMoveIfLegal(Move move, UndoRecord& undo, bool inCheck);
    // Whether the pseudo-legal `move` leaves the mover's king safe; the position is unchanged.
    bool isLegal(Move move);
    // The same for a caller that knows the check state of the side to move, as doMoveIfLegal.
    bool isLegal(Move move, bool inCheck);
    // Passes the move to the other side: the en-passant file and the half-move clock are
    // cleared, nothing moves. `undo` keeps what undoNullMove restores.
    void doNullMove(UndoRecord& undo);
    void undoNullMove(const UndoRecord& undo);
    // Inline: the legality test and the check test of every move run it.
    bool isSquareAttacked(int32_t square, int32_t colour) const {
        const Bitboard* own = pieces[colour];
        if (pawnAttacks[colour ^ 1][square] & own[PAWN]) return true;
        if (knightAttacks[square] & own[KNIGHT]) return true;
        // The slider lookups are skipped when no slider of the kind stands on the square's lines.
        const Bitboard diagonal = (own[BISHOP] | own[QUEEN]) & bishopRays[square];
        if (diagonal && (bishopAttacks(square, occupied) & diagonal)) return true;
        const Bitboard straight = (own[ROOK] | own[QUEEN]) & rookRays[square];
        if (straight && (rookAttacks(square, occupied) & straight)) return true;
        return (kingAttacks[square] & own[KING]) != 0;
    }
    // Whether the king of the side that just moved stands attacked (the last move was illegal).
    bool moverKingAttacked() const { return isSquareAttacked(kingSquare[otherSide], sideToMove); }
    // The same answer just after `move` was made by a side whose check state before it was
    // `wasInCheck`, found without the full test where the move cannot have exposed the king.
    bool moverKingAttackedAfter(Move move, bool wasInCheck) const;
    bool isPseudoLegal(Move move) const;
    // Whether no square from the king's square to its castling end square (both included) is
    // attacked by the side not to move.
    bool isCastlingPathSafe(int32_t kingFrom, int32_t kingEnd) const;
    int32_t see(Move move) const;
    // Whether see(move) < 0, settled without the swap where the defenders alone decide it.
    bool isLosingExchange(Move move) const;
    void printBoard() const;
};
