#include <gtest/gtest.h>

#include "search/tt.h"

namespace {

// Keys with the same low 32 bits share a bucket.
uint64_t bucketKey(uint32_t high, uint32_t low = 0x40) { return (uint64_t(high) << 32) | low; }

struct TableFixture : ::testing::Test {
    TranspositionTable tt;
    void SetUp() override { ASSERT_EQ(tt.resize(1), 1); }
    void TearDown() override { tt.release(); }
    TTEntry* bucket(uint64_t key) { return tt.entries + (uint32_t(key) & tt.indexMask); }
};

TEST(TranspositionTableSize, RequestsRoundUpToPowersOfTwoWithinLimits) {
    EXPECT_EQ(ttSizeForRequest(1), 1);
    EXPECT_EQ(ttSizeForRequest(2), 2);
    EXPECT_EQ(ttSizeForRequest(3), 4);
    EXPECT_EQ(ttSizeForRequest(5), 8);
    EXPECT_EQ(ttSizeForRequest(1025), 2048);
    EXPECT_EQ(ttSizeForRequest(0), 1);
    EXPECT_EQ(ttSizeForRequest(-7), 1);
    EXPECT_EQ(ttSizeForRequest(100000), 2048);
}

TEST(TranspositionTableSize, ResizeSetsCountsAndAlignment) {
    TranspositionTable tt;
    ASSERT_EQ(tt.resize(3), 1);
    EXPECT_EQ(tt.entryCount, 4u * 65536u);
    EXPECT_EQ(tt.indexMask, tt.entryCount - 4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(tt.entries) % 64, 0u);
    ASSERT_EQ(tt.resize(32), 1);
    EXPECT_EQ(tt.entryCount, 2097152u);
    tt.release();
}

TEST(TranspositionTableSize, TableWithoutStorageMissesAndIgnoresStores) {
    TranspositionTable tt;
    Move move = 77;
    int32_t score = 5;
    tt.store(1234, 99, 10, 8, 0, BOUND_EXACT);
    tt.clear();
    EXPECT_EQ(tt.probe(1234, 0, 0, -100, 100, move, score), TT_MISS);
    EXPECT_EQ(move, 77u);
    EXPECT_EQ(tt.storedMove(1234), noMove);
    ASSERT_EQ(tt.resize(1), 1);
    tt.release();
    EXPECT_EQ(tt.entryCount, 0u);
    tt.store(1234, 99, 10, 8, 0, BOUND_EXACT);
    EXPECT_EQ(tt.probe(1234, 0, 0, -100, 100, move, score), TT_MISS);
}

TEST_F(TableFixture, StoreThenProbeRoundTripsNegativeScoresAndDepth) {
    const uint64_t key = 0x123456789ABCDEF0ull;
    tt.store(key, 4242, -1234, 511, 3, BOUND_EXACT);
    Move move = 0;
    int32_t score = 0;
    EXPECT_EQ(tt.probe(key, 511, 3, -30000, 30000, move, score), BOUND_EXACT);
    EXPECT_EQ(move, 4242u);
    EXPECT_EQ(score, -1234);
}

TEST_F(TableFixture, ClearEmptiesEveryEntryAndResetsAge) {
    tt.store(99, 5, 10, 8, 0, BOUND_EXACT);
    tt.advanceAge();
    tt.clear();
    EXPECT_EQ(tt.age, 0u);
    Move move = 0;
    int32_t score = 0;
    EXPECT_EQ(tt.probe(99, 0, 0, -100, 100, move, score), TT_MISS);
    EXPECT_EQ(move, noMove);
}

TEST_F(TableFixture, SameKeyOverwritesInPlaceAndKeepsMoveWhenNewMoveIsNone) {
    const uint64_t key = bucketKey(7);
    tt.store(key, 111, 20, 8, 0, BOUND_LOWER);
    tt.store(key, noMove, 30, 12, 0, BOUND_EXACT);
    EXPECT_EQ(bucket(key)[0].key, key);
    EXPECT_EQ(bucket(key)[1].key, 0u);
    Move move = 0;
    int32_t score = 0;
    EXPECT_EQ(tt.probe(key, 12, 0, -100, 100, move, score), BOUND_EXACT);
    EXPECT_EQ(move, 111u);
    EXPECT_EQ(score, 30);
    tt.store(key, 222, 30, 12, 0, BOUND_EXACT);
    EXPECT_EQ(tt.storedMove(key), 222u);
}

TEST_F(TableFixture, ReplacementPrefersShallowestCurrentEntry) {
    const int32_t depths[4] = {8, 4, 4, 12};
    for (uint32_t i = 0; i < 4; ++i) tt.store(bucketKey(i + 1), 1, 0, depths[i], 0, BOUND_EXACT);
    tt.store(bucketKey(9), 2, 0, 16, 0, BOUND_EXACT);
    EXPECT_EQ(bucket(bucketKey(9))[1].key, bucketKey(9));
    EXPECT_EQ(bucket(bucketKey(9))[2].key, bucketKey(3));
}

TEST_F(TableFixture, ReplacementPrefersOlderAgeEvenWhenDeeper) {
    tt.store(bucketKey(1), 1, 0, 20, 0, BOUND_EXACT);
    tt.advanceAge();
    tt.store(bucketKey(2), 1, 0, 4, 0, BOUND_EXACT);
    tt.store(bucketKey(3), 1, 0, 4, 0, BOUND_EXACT);
    tt.store(bucketKey(4), 1, 0, 12, 0, BOUND_EXACT);
    tt.store(bucketKey(9), 2, 0, 4, 0, BOUND_EXACT);
    EXPECT_EQ(bucket(bucketKey(9))[0].key, bucketKey(9));
}

TEST_F(TableFixture, UsableHitRefreshesAgeSoItIsNotReplacedFirst) {
    tt.store(bucketKey(1), 1, 0, 4, 0, BOUND_EXACT);
    tt.store(bucketKey(2), 1, 0, 20, 0, BOUND_EXACT);
    tt.store(bucketKey(3), 1, 0, 20, 0, BOUND_EXACT);
    tt.store(bucketKey(4), 1, 0, 20, 0, BOUND_EXACT);
    tt.advanceAge();
    Move move = 0;
    int32_t score = 0;
    EXPECT_EQ(tt.probe(bucketKey(1), 4, 0, -10, 10, move, score), BOUND_EXACT);
    tt.store(bucketKey(9), 2, 0, 4, 0, BOUND_EXACT);
    EXPECT_EQ(bucket(bucketKey(9))[0].key, bucketKey(1));
    EXPECT_EQ(bucket(bucketKey(9))[1].key, bucketKey(9));
}

TEST_F(TableFixture, AgeWrapsAfterThirtyTwoSearches) {
    for (int32_t i = 0; i < 32; ++i) tt.advanceAge();
    EXPECT_EQ(tt.age, 0u);
}

TEST_F(TableFixture, MateScoresAreAdjustedByPly) {
    const uint64_t key = bucketKey(5);
    tt.store(key, 1, 32000 - 10, 8, 10, BOUND_EXACT);
    EXPECT_EQ(int16_t(bucket(key)[0].data >> 16), 32000);
    Move move = 0;
    int32_t score = 0;
    EXPECT_EQ(tt.probe(key, 8, 4, -100, 100, move, score), BOUND_EXACT);
    EXPECT_EQ(score, 32000 - 4);
    tt.store(key, 1, -32000 + 6, 8, 6, BOUND_EXACT);
    EXPECT_EQ(tt.probe(key, 8, 2, -100, 100, move, score), BOUND_EXACT);
    EXPECT_EQ(score, -32000 + 2);
    // 31744 itself is not a mate score for the table.
    tt.store(key, 1, 31744, 8, 9, BOUND_EXACT);
    EXPECT_EQ(tt.probe(key, 8, 2, -100, 100, move, score), BOUND_EXACT);
    EXPECT_EQ(score, 31744);
}

TEST_F(TableFixture, BoundsAreUsableOnlyOnTheirSideOfTheWindow) {
    const uint64_t upper = bucketKey(1);
    const uint64_t lower = bucketKey(2);
    tt.store(upper, 1, 50, 8, 0, BOUND_UPPER);
    tt.store(lower, 1, 50, 8, 0, BOUND_LOWER);
    Move move = 0;
    int32_t score = 0;
    EXPECT_EQ(tt.probe(upper, 8, 0, 50, 100, move, score), BOUND_UPPER);
    EXPECT_EQ(tt.probe(upper, 8, 0, 49, 100, move, score), TT_MISS);
    EXPECT_EQ(tt.probe(lower, 8, 0, 0, 50, move, score), BOUND_LOWER);
    EXPECT_EQ(tt.probe(lower, 8, 0, 0, 51, move, score), TT_MISS);
}

TEST_F(TableFixture, ShallowHitStillDeliversTheMove) {
    const uint64_t key = bucketKey(3);
    tt.store(key, 321, 10, 8, 0, BOUND_EXACT);
    Move move = 0;
    int32_t score = 999;
    EXPECT_EQ(tt.probe(key, 12, 0, -100, 100, move, score), TT_MISS);
    EXPECT_EQ(move, 321u);
    EXPECT_EQ(score, 999);
}

}  // namespace
