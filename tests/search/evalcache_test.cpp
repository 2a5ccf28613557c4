// The evaluation cache never changes a score: along random games, with positions met again,
// entries shared by several keys and the strength setting changed between evaluations.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board/board_helpers.h"
#include "eval_fixture.h"
#include "search/evalcache.h"
#include "search/limits.h"

namespace {

struct StrengthSetting {
    int32_t elo;
    int32_t limited;
};

}  // namespace

TEST(EvalCache, ScoresEqualFreshEvaluations) {
    // Sixteen entries, four buckets: most positions share a bucket with others.
    std::vector<EvalCacheEntry> storage(16, EvalCacheEntry{});
    EvalCache cache;
    cache.entries = storage.data();
    cache.mask = 15;
    Evaluator cached;
    cached.evalCache = &cache;
    const Evaluator fresh;
    const StrengthSetting settings[] = {{2600, 0}, {1000, 1}, {1800, 1}, {2600, 1}};
    const int32_t savedElo = strengthElo, savedLimited = strengthLimited;
    std::mt19937 rng(5);
    int32_t evaluations = 0;
    for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
                            "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8"}) {
        Position pos = positionFromFen(fen);
        std::vector<Position> seen;
        for (int32_t ply = 0; ply < 60; ++ply) {
            seen.push_back(pos);
            // Every position met so far, again, under a setting picked at random.
            for (int32_t i = 0; i < 4; ++i) {
                const Position& again = seen[rng() % seen.size()];
                const StrengthSetting setting = settings[rng() % 4];
                strengthElo = setting.elo;
                strengthLimited = setting.limited;
                ASSERT_EQ(cached.evaluate(again), fresh.evaluate(again)) << setting.elo << " " << setting.limited;
                ++evaluations;
            }
            if (!playRandomLegalMove(pos, rng)) break;
        }
    }
    strengthElo = savedElo;
    strengthLimited = savedLimited;
    EXPECT_GT(evaluations, 400);
}

TEST(EvalCache, AllocatesItsEntriesAndReleasesThem) {
    EvalCache cache;
    ASSERT_TRUE(cache.allocate());
    EXPECT_EQ(cache.mask, EVAL_CACHE_ENTRIES - 1);
    for (uint32_t i = 0; i < EVAL_CACHE_ENTRIES; i += 4099) EXPECT_EQ(cache.entries[i].key, 0u);
    cache.release();
    EXPECT_EQ(cache.entries, nullptr);
    // Without storage the evaluator evaluates afresh.
    Evaluator evaluator;
    evaluator.evalCache = &cache;
    const Position start = positionFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(evaluator.evaluate(start), Evaluator{}.evaluate(start));
}
