// Perft counts against the published reference files and hand-checked Chess960 castlings.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board_helpers.h"

namespace {

struct PerftCase {
    std::string fen;
    std::vector<std::pair<int32_t, uint64_t>> counts;
};

std::vector<PerftCase> readSuite(const char* name) {
    std::ifstream in(std::string(MIRELT_TEST_DATA) + "/" + name);
    std::vector<PerftCase> cases;
    std::string line;
    while (std::getline(in, line)) {
        const size_t semicolon = line.find(';');
        if (semicolon == std::string::npos) continue;
        PerftCase c;
        c.fen = line.substr(0, semicolon);
        std::istringstream fields(line.substr(semicolon));
        std::string field;
        while (std::getline(fields, field, ';')) {
            int32_t depth = 0;
            unsigned long long nodes = 0;
            if (std::sscanf(field.c_str(), " D%d %llu", &depth, &nodes) == 2) c.counts.push_back({depth, nodes});
        }
        cases.push_back(c);
    }
    return cases;
}

// Runs every depth whose expected count stays under the budget (the deep ones are benchmarks).
void checkSuite(const char* name, uint64_t budget) {
    const std::vector<PerftCase> cases = readSuite(name);
    ASSERT_FALSE(cases.empty()) << name;
    int32_t checked = 0;
    for (const PerftCase& c : cases) {
        Position position = loadFen(c.fen.c_str());
        const Position before = position;
        for (const auto& [depth, nodes] : c.counts) {
            if (nodes > budget) continue;
            EXPECT_EQ(perft(position, depth), nodes) << c.fen << " depth " << depth;
            ++checked;
        }
        EXPECT_TRUE(samePosition(position, before)) << c.fen;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace

TEST(Perft, StandardSuiteShallowDepths) { checkSuite("perft-standard.epd", 500000); }

TEST(Perft, Chess960SuiteShallowDepths) { checkSuite("perft-chess960.epd", 400000); }

// Chess960 castlings in every shape, counted by hand at depth 1 and 2.
TEST(Perft, Chess960CastlingShapes) {
    struct Case {
        const char* fen;
        uint64_t depth1;
        uint64_t depth2;
    };
    const Case cases[] = {
        // King f1 and rook g1 swap squares.
        {"4k3/8/8/8/8/8/8/5KR1 w G - 0 1", 13, 58},
        // King already on g1: only the rook moves, to f1.
        {"4k3/8/8/8/8/8/8/6KR w H - 0 1", 12, 53},
        // Rook f1 stands inside the king's path e1-g1.
        {"4k3/8/8/8/8/8/8/4KR2 w F - 0 1", 14, 47},
        // Black queen side: king b8 to c8, rook a8 to d8.
        {"rk6/8/8/8/8/8/8/4K3 b a - 0 1", 12, 53},
    };
    for (const Case& c : cases) {
        Position position = loadFen(c.fen);
        EXPECT_EQ(perft(position, 1), c.depth1) << c.fen;
        EXPECT_EQ(perft(position, 2), c.depth2) << c.fen;
    }
}
