// Bit scans and counts, whole-word and by halves, against the standard library.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <vector>

#include "board/bits.h"

namespace {

// Single squares at both ends of each half, full and sparse sets, and random densities.
std::vector<Bitboard> sampleSets() {
    std::vector<Bitboard> sets = {~0ULL, 1ULL, 1ULL << 31, 1ULL << 32, 1ULL << 63, 0xFFFFFFFFULL,
                                  0xFFFFFFFF00000000ULL, 0x8000000000000001ULL, 0x5555555555555555ULL};
    std::mt19937_64 rng(17);
    for (int32_t i = 0; i < 3000; ++i) {
        const Bitboard dense = rng() | rng(), plain = rng(), sparse = rng() & rng() & rng();
        const Bitboard lowHalf = plain & 0xFFFFFFFFULL, highHalf = plain & ~0xFFFFFFFFULL;
        for (const Bitboard set : {dense, plain, sparse, lowHalf, highHalf})
            if (set) sets.push_back(set);
    }
    return sets;
}

}  // namespace

TEST(Bits, ScansAndCountsMatchTheStandardForms) {
    for (const Bitboard set : sampleSets()) {
        const int32_t lowest = std::countr_zero(set), highest = 63 - std::countl_zero(set);
        const int32_t count = std::popcount(set);
        ASSERT_EQ(bitops::lowestByHalves(set), lowest) << std::hex << set;
        ASSERT_EQ(bitops::highestByHalves(set), highest) << std::hex << set;
        ASSERT_EQ(bitops::countByHalves(set), count) << std::hex << set;
        ASSERT_EQ(bitops::countWhole(set), count) << std::hex << set;
        ASSERT_EQ(lowestSquare(set), lowest) << std::hex << set;
        ASSERT_EQ(highestSquare(set), highest) << std::hex << set;
        ASSERT_EQ(squareCount(set), count) << std::hex << set;
    }
    EXPECT_EQ(squareCount(0), 0);
    EXPECT_EQ(bitops::countByHalves(0), 0);
}

// Rank counts weighted and summed equal the weighted square counts (the king-zone use: up to
// eight squares in three ranks, weights up to 5).
TEST(Bits, WeightedRankCountsSumToWeightedCounts) {
    std::mt19937_64 rng(3);
    for (int32_t i = 0; i < 20000; ++i) {
        const int32_t shift = int32_t(rng() % 41);
        const Bitboard zone = (0x70507ULL << shift) & (rng() | rng());
        const Bitboard sets[3] = {zone & rng(), zone & rng(), zone & rng()};
        const Bitboard weighted = 2 * rankCounts(sets[0]) + 3 * rankCounts(sets[1]) + 5 * rankCounts(sets[2]);
        const int32_t expected =
            2 * std::popcount(sets[0]) + 3 * std::popcount(sets[1]) + 5 * std::popcount(sets[2]);
        ASSERT_EQ(bitops::sumBytesWhole(weighted), expected);
        ASSERT_EQ(bitops::sumBytesByHalves(weighted), expected);
        ASSERT_EQ(sumOfBytes(weighted), expected);
    }
    // Full ranks: eight squares in one byte.
    EXPECT_EQ(sumOfBytes(rankCounts(0xFF00FF0000000000ULL)), 16);
    EXPECT_EQ(bitops::sumBytesByHalves(rankCounts(~0ULL) * 3), 192);
}
