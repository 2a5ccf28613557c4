// Bit scans and counts on bitboards. The 32-bit ARM builds have no 64-bit scan or count
// instruction: the standard forms call a library routine there for every square found, so
// they work on the two 32-bit halves instead, inline. Every build gives the same results.
#pragma once

#include <cstdint>

#include "board/types.h"

// With 64-bit pointers the registers are 64 bits wide and the whole-word forms are the fast ones.
inline constexpr bool WIDE_REGISTERS = sizeof(void*) == 8;

// The two forms of each operation; both are compiled everywhere so the tests check both.
namespace bitops {

constexpr int32_t lowestByHalves(Bitboard b) {
    const uint32_t low = uint32_t(b);
    return low ? __builtin_ctz(low) : 32 + __builtin_ctz(uint32_t(b >> 32));
}

constexpr int32_t highestByHalves(Bitboard b) {
    const uint32_t high = uint32_t(b >> 32);
    return high ? 63 - __builtin_clz(high) : 31 - __builtin_clz(uint32_t(b));
}

// Two-bit, then four-bit field sums of a word: every nibble ends at most 4.
template <typename Word>
constexpr Word nibbleSums(Word x) {
    constexpr Word fives = Word(0x5555555555555555ULL), threes = Word(0x3333333333333333ULL);
    x = x - ((x >> 1) & fives);
    return (x & threes) + ((x >> 2) & threes);
}

// Byte sums of nibble sums of at most 8 (both nibbles masked first: a byte may reach 16), then
// the total of all bytes, gathered in the top byte.
template <typename Word>
constexpr int32_t nibbleTotal(Word nibbles) {
    constexpr Word lowNibbles = Word(0x0F0F0F0F0F0F0F0FULL), ones = Word(0x0101010101010101ULL);
    const Word bytes = (nibbles & lowNibbles) + ((nibbles >> 4) & lowNibbles);
    return int32_t((bytes * ones) >> (8 * sizeof(Word) - 8));
}

constexpr int32_t countWhole(Bitboard b) { return nibbleTotal(nibbleSums(b)); }

// The halves' nibble sums (at most 4 each) are added before the byte step: one multiply.
constexpr int32_t countByHalves(Bitboard b) {
    return nibbleTotal(nibbleSums(uint32_t(b)) + nibbleSums(uint32_t(b >> 32)));
}

constexpr int32_t sumBytesWhole(Bitboard bytes) { return int32_t((bytes * 0x0101010101010101ULL) >> 56); }

// The halves are added first, so that the multiply stays 32 bits wide.
constexpr int32_t sumBytesByHalves(Bitboard bytes) {
    const uint32_t folded = uint32_t(bytes) + uint32_t(bytes >> 32);
    return int32_t((folded * 0x01010101u) >> 24);
}

}  // namespace bitops

// Index of the lowest square of a set that must not be empty.
constexpr int32_t lowestSquare(Bitboard b) {
    if constexpr (WIDE_REGISTERS) return __builtin_ctzll(b);
    return bitops::lowestByHalves(b);
}

// Index of the highest square of a set that must not be empty.
constexpr int32_t highestSquare(Bitboard b) {
    if constexpr (WIDE_REGISTERS) return 63 - __builtin_clzll(b);
    return bitops::highestByHalves(b);
}

// Number of squares in a set. Bit-parallel: neither the x86-64 baseline nor ARMv6/ARMv7 has a
// count instruction, and the library routine costs a call per count.
constexpr int32_t squareCount(Bitboard b) {
    if constexpr (WIDE_REGISTERS) return bitops::countWhole(b);
    return bitops::countByHalves(b);
}

// The number of squares in each byte (rank) of a set, one count per byte. Weighted sums of
// such counts, added byte by byte, give a weighted count of several sets with one sumOfBytes.
constexpr Bitboard rankCounts(Bitboard b) {
    const Bitboard nibbles = bitops::nibbleSums(b);
    return (nibbles + (nibbles >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
}

// The sum of the eight bytes of a word whose bytes add up to less than 256.
constexpr int32_t sumOfBytes(Bitboard bytes) {
    if constexpr (WIDE_REGISTERS) return bitops::sumBytesWhole(bytes);
    return bitops::sumBytesByHalves(bytes);
}
