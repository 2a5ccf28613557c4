// The expected counts of a perft-suite line: "<fen> ;D1 20 ;D2 400 ;D3 8902".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Fields kept per line; later ones are ignored.
inline constexpr int32_t PERFT_FIELDS_MAX = 16;
// Room for a count's digits, NUL included; a longer count is cut, and a cut count, longer than
// any 64-bit number, can never equal a real one.
inline constexpr size_t PERFT_COUNT_TEXT_SIZE = 32;

struct PerftDepthField {
    int32_t depth = 0;
    char count[PERFT_COUNT_TEXT_SIZE] = {};
};

struct PerftDepthFields {
    int32_t count = 0;
    PerftDepthField fields[PERFT_FIELDS_MAX];
};

// Reads the fields: after a ";" a "D" or "d" starts one, its digits are the depth, a blank
// leads to the count's digits, and a blank, a ";" or the end of the line ends it. Other
// characters inside a field are passed over.
PerftDepthFields readPerftDepthFields(const std::string& line);

// Whether a field gives exactly `nodes` (as decimal text) for `depth`.
bool perftFieldsConfirm(const PerftDepthFields& fields, int32_t depth, uint64_t nodes);
