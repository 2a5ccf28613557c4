// FEN reading (all or nothing, tolerant of missing trailing fields) and writing.
#include <string>
#include <vector>

#include "board_helpers.h"

namespace {

// Parses from a heap copy of exactly the text's size, so any read past the end is caught.
int32_t parseExact(Position& p, const std::string& text, int32_t* fullMove = nullptr) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return parseFen(p, copy.data(), fullMove);
}

Position emptyPosition() {
    ensureAttackTables();
    Position p;
    p.reset();
    return p;
}

}  // namespace

TEST(FenRead, StartPositionEqualsSetter) {
    Position fromFen = loadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    Position start = emptyPosition();
    start.setStartPosition();
    EXPECT_TRUE(samePosition(fromFen, start));
    EXPECT_EQ(fenOf(fromFen), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0");
}

TEST(FenRead, MissingTrailingFieldsAreTolerated) {
    Position p = loadFen("8/8/8/8/8/8/8/8 w");
    EXPECT_EQ(p.occupied, 0u);
    EXPECT_EQ(p.castlingRights, 0);
    EXPECT_EQ(p.epFile, 0);
    EXPECT_EQ(p.rule50, 0);
    Position q = emptyPosition();
    EXPECT_EQ(parseExact(q, "4k3/8/8/8/8/8/8/4K2R b K"), 0) << "a one-letter field at the very end is refused";
    EXPECT_TRUE(isConsistent(loadFen("4k3/8/8/8/8/8/8/4K3 w -")));
    EXPECT_TRUE(isConsistent(loadFen("4k3/8/8/8/8/8/8/4K3 b - -")));
    EXPECT_TRUE(isConsistent(loadFen("4k3/8/8/8/8/8/8/4K3 w - - 12 40 trailing words")));
}

TEST(FenRead, RejectsMalformedText) {
    const char* bad[] = {
        "",
        "rnbqkbnr/pppppppp/8/8",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",
        "rnbqkbnr/pppppppp/0/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w KQkq - 0 1",
        "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // a rank of seven squares
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",           // seven ranks
        "4k3/8/8/8/8/8/PPPPPPPP/4KP2 w - - 0 1",                     // nine white pawns
        "4k3/8/8/8/8/NNNNNNNN/NNNNNNNN/4K3 w - - 0 1",               // seventeen white pieces
        "4k3/8/8/8/8/8/8/4K3 w KQ",                                  // two letters at the end
        "4k3/8/8/8/8/8/8/4K3 w KX - 0 1",
        "4k3/8/8/8/8/8/8/4K3 w - e3 0 1",                            // rank 3 with White to move
        "4k3/8/8/8/8/8/8/4K3 b - e6 0 1",                            // rank 6 with Black to move
        "4k3/8/8/8/8/8/8/4K3 w - i6 0 1",
        "4k3/8/8/8/8/8/8/4K3 w - e",
        "4k3/8/8/@7/8/8/8/4K3 w - - 0 1",
        "4k3/8/8/y7/8/8/8/4K3 w - - 0 1",
        "4k3/8/8/\xC3\x9F" "7/8/8/8/4K3 w - - 0 1",
        "4k3/8/8/\x7F" "7/8/8/8/4K3 w - - 0 1",
        "4k3/8/8/8/8/8/8/4K3\tw - - 0 1",
    };
    Position start = emptyPosition();
    start.setStartPosition();
    for (const char* fen : bad) {
        Position p = start;
        EXPECT_EQ(parseExact(p, fen), 0) << fen;
        EXPECT_TRUE(samePosition(p, start)) << fen;
    }
    EXPECT_EQ(parseFen(start, nullptr), 0);
}

// Every prefix of valid texts is either accepted or refused, never read past its end.
TEST(FenRead, PrefixesNeverReadPastTheEnd) {
    const std::string texts[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 73 123",
        "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9",
    };
    for (const std::string& text : texts) {
        for (size_t length = 0; length <= text.size(); ++length) {
            Position p = emptyPosition();
            const int32_t accepted = parseExact(p, text.substr(0, length));
            if (accepted) {
                EXPECT_TRUE(isConsistent(p)) << text.substr(0, length);
            }
        }
    }
}

TEST(FenRead, CastlingLettersAndRookSearch) {
    const uint64_t standard = loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1").key;
    EXPECT_EQ(loadFen("r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1").key, standard);
    EXPECT_EQ(loadFen("r3k2r/8/8/8/8/8/8/R3K2R w AHah - 0 1").key, standard);
    EXPECT_EQ(loadFen("r3k2r/8/8/8/8/8/8/R3K2R w qQkKKq - 0 1").castlingRights, 15);

    Position h = loadFen("4k3/8/8/8/8/8/8/R3K2R w H - 0 1");
    EXPECT_EQ(h.castlingRights, 1);
    EXPECT_EQ(h.castleRookKingSide[WHITE], H1);
    Position a = loadFen("4k3/8/8/8/8/8/8/R3K2R w A - 0 1");
    EXPECT_EQ(a.castlingRights, 2);
    EXPECT_EQ(a.castleRookQueenSide[WHITE], A1);
    EXPECT_EQ(a.castlePathQueenSide[WHITE], (1ULL << B1) | (1ULL << C1) | (1ULL << D1));

    // K takes the outermost rook; a file letter names exactly its rook, an inner one too.
    Position outer = loadFen("4k3/8/8/8/8/8/8/4KR1R w K - 0 1");
    EXPECT_EQ(outer.castleRookKingSide[WHITE], H1);
    Position inner = loadFen("4k3/8/8/8/8/8/8/4KR1R w F - 0 1");
    EXPECT_EQ(inner.castleRookKingSide[WHITE], F1);
    EXPECT_EQ(inner.castlePathKingSide[WHITE], 1ULL << G1);
    EXPECT_EQ(fenOf(inner), "4k3/8/8/8/8/8/8/4KR1R w F - 0 0");
    EXPECT_EQ(fenOf(outer), "4k3/8/8/8/8/8/8/4KR1R w K - 0 0");

    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/R3K3 w K - 0 1").castlingRights, 0);   // no rook on the wing
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/4K3 w G - 0 1").castlingRights, 0);    // no rook on that file
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/4K3/R6R w KQ - 0 1").castlingRights, 0); // king off rank 1
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/R6R w KQ - 0 1").castlingRights, 0);   // no king at all
    EXPECT_EQ(loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1").castlingRights, 15);
    EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/4K2R w KQkq - 0 1").castlingRights, 1);
}

TEST(FenRead, FourLettersAtTheEndAccepted) {
    Position p = loadFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq");
    EXPECT_EQ(p.castlingRights, 15);
    EXPECT_EQ(p.sideToMove, BLACK);
}

TEST(FenRead, EnPassantStoredWithoutCapturer) {
    Position p = loadFen("4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1");
    EXPECT_EQ(p.epFile, 5);
    Position q = loadFen("4k3/8/8/8/4P3/8/8/4K3 b - - 0 1");
    EXPECT_EQ(p.key ^ q.key, zobristEnPassant[4]);
    EXPECT_EQ(fenOf(p), "4k3/8/8/8/4P3/8/8/4K3 b - e3 0 0");
}

TEST(FenRead, Counters) {
    int32_t fullMove = -1;
    Position p = emptyPosition();
    ASSERT_EQ(parseExact(p, "4k3/8/8/8/8/8/8/4K3 w - - 7 12", &fullMove), 1);
    EXPECT_EQ(p.rule50, 7);
    EXPECT_EQ(fullMove, 12);
    ASSERT_EQ(parseExact(p, "4k3/8/8/8/8/8/8/4K3 w - - 73 5", &fullMove), 1);
    EXPECT_EQ(p.rule50, 73);
    ASSERT_EQ(parseExact(p, "4k3/8/8/8/8/8/8/4K3 w - - 734 5", &fullMove), 1);
    EXPECT_EQ(p.rule50, 73);
    EXPECT_EQ(fullMove, 0);
    ASSERT_EQ(parseExact(p, "4k3/8/8/8/8/8/8/4K3 w - - - 12345", &fullMove), 1);
    EXPECT_EQ(p.rule50, 0);
    EXPECT_EQ(fullMove, 123);
}

// Reading what the writer wrote gives the same position, Chess960 rook letters included.
TEST(FenWrite, RoundTrips) {
    const char* fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 0",
        "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 0",
        "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w KQkq - 2 0",
        "1rqbkrbn/1ppppp1p/1n6/p1N3p1/8/2P4P/PP1PPPP1/1RQBKRBN w KQkq - 0 0",
        "rr2k2r/8/8/8/8/8/8/RR2K2R w KBkb - 0 0",
        "r2rk3/8/8/8/8/8/8/R3K1RR b Qd - 99 0",
        "8/8/8/8/8/8/8/8 b - - 0 0",
    };
    for (const char* fen : fens) {
        Position p = loadFen(fen);
        EXPECT_EQ(fenOf(p), fen);
        Position q = loadFen(fenOf(p).c_str());
        EXPECT_TRUE(samePosition(p, q)) << fen;
    }
    EXPECT_EQ(fenOf(loadFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"), 317), "4k3/8/8/8/8/8/8/4K3 w - - 0 317");
}
