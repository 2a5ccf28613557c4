// What every protocol conversation with the real program shares: the process and the
// reading of its output lines.
#pragma once

#include <string>

#include "blackbox/harness.h"

namespace blackbox {

class Session {
public:
    explicit Session(const FileMap& files = {}) : engine({}, files) {}

    EngineProcess engine;

    // Counts output lines that start with `prefix` from line `from` on.
    size_t countLines(const std::string& prefix, size_t from = 0) const {
        size_t count = 0;
        const auto& lines = engine.lines();
        for (size_t i = from; i < lines.size(); i++)
            if (lines[i].rfind(prefix, 0) == 0) count++;
        return count;
    }

    // Word `index` (from 0) of a blank-separated line.
    static std::string word(const std::string& line, size_t index) {
        size_t start = 0;
        for (size_t i = 0;; i++) {
            while (start < line.size() && line[start] == ' ') start++;
            size_t end = line.find(' ', start);
            if (end == std::string::npos) end = line.size();
            if (start >= line.size()) return "";
            if (i == index) return line.substr(start, end - start);
            start = end;
        }
    }
};

}  // namespace blackbox
