// Pseudo-legal generators: captures with every promotion, quiet moves, check evasions.
#include "board/movegen.h"

#include "board/attacks.h"
#include "board/bits.h"

namespace {

// Whether a group's targets may hold a piece (captures, evasions) or are all empty (quiet
// moves): the captured type of an empty target is 0 without reading the board.
enum TargetKind { ANY_TARGETS, EMPTY_TARGETS };

template <TargetKind Kind>
int32_t capturedOn(const Position& position, int32_t to) {
    if constexpr (Kind == EMPTY_TARGETS) return NO_PIECE;
    return position.board[to];
}

// Bounded writer: moves beyond the room given by the caller are dropped.
struct MoveWriter {
    ScoredMove* out;
    int32_t count;
    int32_t room;

    void add(Move move) {
        if (count < room) out[count++].move = move;
    }
    // One word per target, with the captured type on the target (0 on empty squares).
    template <TargetKind Kind>
    void addTargets(const Position& position, int32_t from, int32_t piece, Bitboard targets) {
        const Move base = Move(from) | (Move(piece) << 12);
        for (; targets; targets &= targets - 1) {
            const int32_t to = lowestSquare(targets);
            add(base | (Move(to) << 6) | (Move(capturedOn<Kind>(position, to)) << 15));
        }
    }
    // Pawn moves of one group: from = to - delta.
    template <TargetKind Kind>
    void addPawnGroup(const Position& position, Bitboard targets, int32_t delta, Move flags) {
        for (; targets; targets &= targets - 1) {
            const int32_t to = lowestSquare(targets);
            add(makeMove(to - delta, to, PAWN, capturedOn<Kind>(position, to), 0, flags));
        }
    }
    void addPromotions(const Position& position, Bitboard targets, int32_t delta) {
        for (; targets; targets &= targets - 1) {
            const int32_t to = lowestSquare(targets);
            const int32_t captured = position.board[to];
            add(makeMove(to - delta, to, PAWN, captured, QUEEN));
            add(makeMove(to - delta, to, PAWN, captured, ROOK));
            add(makeMove(to - delta, to, PAWN, captured, KNIGHT));
            add(makeMove(to - delta, to, PAWN, captured, BISHOP));
        }
    }
};

// Colour-dependent pawn geometry.
template <int32_t Us>
struct PawnGeometry {
    static constexpr int32_t up = Us == WHITE ? 8 : -8;
    // Capture "distance 7" and "distance 9" as signed deltas.
    static constexpr int32_t left = Us == WHITE ? 7 : -7;
    static constexpr int32_t right = Us == WHITE ? 9 : -9;
    static constexpr Bitboard seventhRank = Us == WHITE ? 0xFFULL << 48 : 0xFFULL << 8;
    static constexpr Bitboard startRank = Us == WHITE ? 0xFFULL << 8 : 0xFFULL << 48;

    static Bitboard shift(Bitboard b, int32_t delta) { return delta > 0 ? b << delta : b >> -delta; }
    static Bitboard push(Bitboard b) { return shift(b, up); }
    // Pawns stepping by `left` never leave from the file they would wrap off.
    static Bitboard leftCaptures(Bitboard pawns) { return shift(pawns & ~fileMask[Us == WHITE ? 0 : 7], left); }
    static Bitboard rightCaptures(Bitboard pawns) { return shift(pawns & ~fileMask[Us == WHITE ? 7 : 0], right); }
};

// Knight, bishop, rook and queen moves onto `targets`, in the fixed generation order.
template <int32_t Us, TargetKind Kind>
void nonKingMoves(const Position& position, MoveWriter& writer, Bitboard targets) {
    const Bitboard* own = position.pieces[Us];
    const Bitboard occupied = position.occupied;
    for (Bitboard b = own[KNIGHT]; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        writer.addTargets<Kind>(position, from, KNIGHT, knightAttacks[from] & targets);
    }
    for (Bitboard b = own[BISHOP]; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        writer.addTargets<Kind>(position, from, BISHOP, bishopAttacks(from, occupied) & targets);
    }
    for (Bitboard b = own[ROOK]; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        writer.addTargets<Kind>(position, from, ROOK, rookAttacks(from, occupied) & targets);
    }
    for (Bitboard b = own[QUEEN]; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        writer.addTargets<Kind>(position, from, QUEEN, queenAttacks(from, occupied) & targets);
    }
}

template <int32_t Us, TargetKind Kind>
void pieceMoves(const Position& position, MoveWriter& writer, Bitboard targets) {
    nonKingMoves<Us, Kind>(position, writer, targets);
    for (Bitboard b = position.pieces[Us][KING]; b; b &= b - 1) {
        const int32_t from = lowestSquare(b);
        writer.addTargets<Kind>(position, from, KING, kingAttacks[from] & targets);
    }
}

// En-passant captures onto the target square, only with an enemy pawn on the pushed square
// and the target empty; `allowed` restricts the captured pawn's square (evasions).
template <int32_t Us>
void enPassantMoves(const Position& position, MoveWriter& writer, Bitboard allowed) {
    if (position.epFile < 1 || position.epFile > 8) return;
    const int32_t file = position.epFile - 1;
    const int32_t target = Us == WHITE ? 40 + file : 16 + file;
    const int32_t pushed = target + epCaptureOffset[Us];
    if (!(position.pieces[Us ^ 1][PAWN] & squareBB[pushed] & allowed) || (position.occupied & squareBB[target])) return;
    for (Bitboard b = pawnAttacks[Us ^ 1][target] & position.pieces[Us][PAWN]; b; b &= b - 1)
        writer.add(makeMove(lowestSquare(b), target, PAWN, PAWN, 0, MOVE_EN_PASSANT));
}

template <int32_t Us>
void captures(const Position& position, MoveWriter& writer) {
    using G = PawnGeometry<Us>;
    // The enemy king is never a capture target.
    const Bitboard enemies = position.byColour[Us ^ 1] & ~position.pieces[Us ^ 1][KING];
    pieceMoves<Us, ANY_TARGETS>(position, writer, enemies);

    const Bitboard pawns = position.pieces[Us][PAWN];
    const Bitboard lowerPawns = pawns & ~G::seventhRank;
    writer.addPawnGroup<ANY_TARGETS>(position, G::leftCaptures(lowerPawns) & enemies, G::left, 0);
    writer.addPawnGroup<ANY_TARGETS>(position, G::rightCaptures(lowerPawns) & enemies, G::right, 0);
    enPassantMoves<Us>(position, writer, ~0ULL);

    const Bitboard promoting = pawns & G::seventhRank;
    if (promoting) {
        writer.addPromotions(position, G::leftCaptures(promoting) & enemies, G::left);
        writer.addPromotions(position, G::rightCaptures(promoting) & enemies, G::right);
        writer.addPromotions(position, G::push(promoting) & ~position.occupied, G::up);
    }
}

// Castling onto the rook when the rights bit is held, the path is empty and the king's path
// from its square to its end square (both included) is not attacked.
void castling(const Position& position, MoveWriter& writer, int32_t us, bool kingSide) {
    const uint8_t right = kingSide ? kingSideRight[us] : queenSideRight[us];
    const Bitboard path = kingSide ? position.castlePathKingSide[us] : position.castlePathQueenSide[us];
    if (!(position.castlingRights & right) || (position.occupied & path)) return;
    const int32_t king = position.castleKingFrom[us];
    const int32_t rookSquare = kingSide ? position.castleRookKingSide[us] : position.castleRookQueenSide[us];
    // A rights bit without its king and rook (inconsistent set-up) never moves a phantom piece.
    if (!(position.pieces[us][KING] & squareBB[king]) || !(position.pieces[us][ROOK] & squareBB[rookSquare])) return;
    if (!position.isCastlingPathSafe(king, castleKingEnd[us][kingSide])) return;
    writer.add(makeMove(king, rookSquare, KING, 0, 0, MOVE_CASTLING));
}

template <int32_t Us>
void quiets(const Position& position, MoveWriter& writer) {
    using G = PawnGeometry<Us>;
    castling(position, writer, Us, true);
    castling(position, writer, Us, false);

    const Bitboard empty = ~position.occupied;
    pieceMoves<Us, EMPTY_TARGETS>(position, writer, empty);

    const Bitboard pawns = position.pieces[Us][PAWN] & ~G::seventhRank;
    const Bitboard single = G::push(pawns) & empty;
    writer.addPawnGroup<EMPTY_TARGETS>(position, single, G::up, 0);
    writer.addPawnGroup<EMPTY_TARGETS>(position, G::push(G::push(pawns & G::startRank) & empty) & empty, 2 * G::up,
                                       MOVE_DOUBLE_PUSH);
}

template <int32_t Us>
void evasions(const Position& position, MoveWriter& writer) {
    using G = PawnGeometry<Us>;
    constexpr int32_t them = Us ^ 1;
    const int32_t king = position.kingSquare[Us];
    const Bitboard* enemy = position.pieces[them];
    const Bitboard occupied = position.occupied;
    const Bitboard checkers = (pawnAttacks[Us][king] & enemy[PAWN]) | (knightAttacks[king] & enemy[KNIGHT]) |
                              (bishopAttacks(king, occupied) & (enemy[BISHOP] | enemy[QUEEN])) |
                              (rookAttacks(king, occupied) & (enemy[ROOK] | enemy[QUEEN]));

    // King moves with a full attack test; sliders see through the king's own square.
    if (position.pieces[Us][KING] & squareBB[king]) {
        const Bitboard withoutKing = occupied & ~squareBB[king];
        const Bitboard targets = kingAttacks[king] & ~position.byColour[Us] & ~enemy[KING];
        for (Bitboard b = targets; b; b &= b - 1) {
            const int32_t to = lowestSquare(b);
            if (pawnAttacks[Us][to] & enemy[PAWN]) continue;
            if (knightAttacks[to] & enemy[KNIGHT]) continue;
            if (bishopAttacks(to, withoutKing) & (enemy[BISHOP] | enemy[QUEEN])) continue;
            if (rookAttacks(to, withoutKing) & (enemy[ROOK] | enemy[QUEEN])) continue;
            if (kingAttacks[to] & enemy[KING]) continue;
            writer.add(makeMove(king, to, KING, position.board[to]));
        }
    }
    if (checkers == 0 || (checkers & (checkers - 1)) != 0) return;

    const int32_t checker = lowestSquare(checkers);
    const Bitboard blocks = betweenBB[king][checker];
    const Bitboard answers = (checkers | blocks) & ~position.byColour[Us];
    const Bitboard* own = position.pieces[Us];
    nonKingMoves<Us, ANY_TARGETS>(position, writer, answers);

    const Bitboard pawns = own[PAWN];
    const Bitboard lowerPawns = pawns & ~G::seventhRank;
    const Bitboard promoting = pawns & G::seventhRank;
    writer.addPawnGroup<ANY_TARGETS>(position, G::leftCaptures(lowerPawns) & checkers, G::left, 0);
    writer.addPawnGroup<ANY_TARGETS>(position, G::rightCaptures(lowerPawns) & checkers, G::right, 0);
    enPassantMoves<Us>(position, writer, checkers);
    writer.addPromotions(position, G::leftCaptures(promoting) & checkers, G::left);
    writer.addPromotions(position, G::rightCaptures(promoting) & checkers, G::right);
    const Bitboard empty = ~occupied;
    writer.addPawnGroup<EMPTY_TARGETS>(position, G::push(lowerPawns) & blocks & empty, G::up, 0);
    writer.addPawnGroup<EMPTY_TARGETS>(position, G::push(G::push(lowerPawns & G::startRank) & empty) & blocks & empty,
                                       2 * G::up, MOVE_DOUBLE_PUSH);
    writer.addPromotions(position, G::push(promoting) & blocks & empty, G::up);
}

int32_t clampRoom(int32_t room) { return room < 0 ? 0 : room; }

}  // namespace

int32_t generateCaptures(const Position& position, ScoredMove* out, int32_t room) {
    MoveWriter writer{out, 0, clampRoom(room)};
    if (position.sideToMove == WHITE) captures<WHITE>(position, writer);
    else captures<BLACK>(position, writer);
    return writer.count;
}

int32_t generateQuiets(const Position& position, ScoredMove* out, int32_t room) {
    MoveWriter writer{out, 0, clampRoom(room)};
    if (position.sideToMove == WHITE) quiets<WHITE>(position, writer);
    else quiets<BLACK>(position, writer);
    return writer.count;
}

int32_t generateEvasions(const Position& position, ScoredMove* out, int32_t room) {
    MoveWriter writer{out, 0, clampRoom(room)};
    if (position.sideToMove == WHITE) evasions<WHITE>(position, writer);
    else evasions<BLACK>(position, writer);
    return writer.count;
}

int32_t generateMoves(const Position& position, ScoredMove* out, bool inCheck, int32_t room) {
    if (inCheck) return generateEvasions(position, out, room);
    const int32_t count = generateCaptures(position, out, room);
    return count + generateQuiets(position, out + count, room - count);
}
