// Test helper: writes book files byte by byte in the little-endian file layout.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

class BookBytes {
public:
    std::vector<unsigned char> bytes;

    BookBytes& raw(const std::string& text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    BookBytes& u8(uint8_t value) {
        bytes.push_back(value);
        return *this;
    }
    BookBytes& u32(uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
        return *this;
    }
    BookBytes& u64(uint64_t value) {
        for (int i = 0; i < 8; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
        return *this;
    }
    BookBytes& header(int32_t positionCount) { return raw("BOOK").u32(0x00010001u).u32(uint32_t(positionCount)); }
    BookBytes& position(uint64_t key, int32_t moveCount) { return u64(key).u32(uint32_t(moveCount)); }
    BookBytes& move(uint32_t move, int32_t weight, uint8_t whitePct = 50, uint8_t blackPct = 30) {
        return u32(move).u32(uint32_t(weight)).u8(whitePct).u8(blackPct);
    }

    // Writes the bytes (the first `limit` of them when given) to a fresh temporary file.
    std::string writeTemp(size_t limit = SIZE_MAX) const {
        char name[] = "/tmp/mirelt-book-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) return "";
        const size_t size = limit < bytes.size() ? limit : bytes.size();
        if (size > 0 && write(fd, bytes.data(), size) != ssize_t(size)) {
            close(fd);
            return "";
        }
        close(fd);
        return name;
    }
};
