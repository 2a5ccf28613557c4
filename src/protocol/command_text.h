// Small text helpers for reading protocol command lines (UCI and XBoard).
#pragma once

#include <cstdint>
#include <cstring>

#include "app/numbers.h"

namespace commandtext {

inline bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

inline bool equals(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The text after `keyword` (which ends with its blank) when `text` starts with it, else null.
inline const char* keywordValue(const char* text, const char* keyword) {
    return startsWith(text, keyword) ? text + std::strlen(keyword) : nullptr;
}

inline const char* skipBlanks(const char* text) {
    while (*text == ' ') text++;
    return text;
}

// The position of the blank (or the end) that ends the word at `text`.
inline const char* skipWord(const char* text) {
    while (*text != '\0' && *text != ' ') text++;
    return text;
}

// The number that the word at `text` starts with; an empty word reads as 0.
inline int32_t wordNumber(const char* text) { return *text == ' ' ? 0 : parseInt32(text); }

// `count` units of `unitUs` microseconds in 32 bits: negative gives 0, too large saturates.
inline int32_t saturatedMicroseconds(int32_t count, int32_t unitUs) {
    if (count <= 0) return 0;
    int64_t us = int64_t(count) * unitUs;
    return us > INT32_MAX ? INT32_MAX : int32_t(us);
}

inline int32_t millisecondsToMicroseconds(int32_t ms) { return saturatedMicroseconds(ms, 1000); }
inline int32_t secondsToMicroseconds(int32_t seconds) { return saturatedMicroseconds(seconds, 1000000); }

}  // namespace commandtext
