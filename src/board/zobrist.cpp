// Zobrist keys: fixed given values, the rest from a fixed-seed generator, built at compile time.
#include "board/zobrist.h"

#include "board/bits.h"

namespace {

constexpr uint64_t splitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Start-position keys that "printHashKey" and existing book files expect.
constexpr uint64_t startKey = 0x520580D74CABA998ULL;
constexpr uint64_t startPawnKey = 0xEF643218E36C26CAULL;

constexpr ZobristTables buildZobrist() {
    ZobristTables set;
    uint64_t state = 0x4D6972656C744B31ULL;
    for (int type = PAWN; type <= KING; ++type)
        for (int colour = 0; colour < 2; ++colour)
            for (int sq = 0; sq < 64; ++sq) set.pieceSquare[type][colour][sq] = splitMix(state);
    for (uint64_t& key : set.enPassant) key = splitMix(state);
    set.pieceSquare[PAWN][WHITE][E2] = 0x562F36FAE610A2E1ULL;
    set.enPassant[0] = 0x9052FED81A8CA4FAULL;
    const uint64_t single[4] = {0x71FDDF9EF5B5DEF6ULL, 0xD4D61614CC333541ULL, 0xD08A0694CD7F72A7ULL,
                                0x686CFE3EA1889281ULL};
    for (int rights = 0; rights < 16; ++rights)
        for (int bit = 0; bit < 4; ++bit)
            if (rights & (1 << bit)) set.castling[rights] ^= single[bit];

    // The black pawn on h7 and the white king on e1 are solved last so the start keys come out exact.
    const int backRank[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    uint64_t pawns = 0, others = 0;
    for (int file = 0; file < 8; ++file) {
        pawns ^= set.pieceSquare[PAWN][WHITE][8 + file];
        if (file != 7) pawns ^= set.pieceSquare[PAWN][BLACK][48 + file];
        others ^= set.pieceSquare[backRank[file]][BLACK][56 + file];
        if (file != 4) others ^= set.pieceSquare[backRank[file]][WHITE][file];
    }
    set.pieceSquare[PAWN][BLACK][H7] = startPawnKey ^ pawns;
    set.pieceSquare[KING][WHITE][E1] = startKey ^ startPawnKey ^ others ^ set.castling[15];
    return set;
}

}  // namespace

constexpr ZobristTables zobristTables = buildZobrist();
static_assert(zobristTables.castling[15] == 0x1DCD312055710B91ULL);

uint64_t computeKey(const Position& position) {
    uint64_t key = 0;
    for (int32_t colour = 0; colour < 2; ++colour) {
        for (int32_t type = PAWN; type <= KING; ++type) {
            for (Bitboard bb = position.pieces[colour][type]; bb; bb &= bb - 1)
                key ^= zobristPieceSquare[type][colour][lowestSquare(bb)];
        }
    }
    key ^= zobristCastling[position.castlingRights & ALL_CASTLING_RIGHTS];
    if (position.epFile >= 1 && position.epFile <= 8) key ^= zobristEnPassant[position.epFile - 1];
    if (position.sideToMove == BLACK) key ^= zobristSideToMove;
    return key;
}

uint64_t computePawnKey(const Position& position) {
    uint64_t key = 0;
    for (int32_t colour = 0; colour < 2; ++colour) {
        for (Bitboard bb = position.pieces[colour][PAWN]; bb; bb &= bb - 1)
            key ^= zobristPieceSquare[PAWN][colour][lowestSquare(bb)];
    }
    return key;
}
