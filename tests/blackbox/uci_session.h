// A UCI conversation with the real program, with the checks the UCI and self-play tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blackbox/harness.h"

namespace blackbox {

class UciSession {
public:
    explicit UciSession(const FileMap& files = {}) : engine({}, files) {
        engine.send("uci");
        handshakeDone = engine.waitForLine("uciok");
    }

    EngineProcess engine;
    bool handshakeDone = false;

    // Sends "isready" and waits for "readyok": every earlier command has been handled.
    bool sync(double timeoutSeconds = DEFAULT_TIMEOUT) {
        engine.send("isready");
        return engine.waitForLine("readyok", timeoutSeconds);
    }

    // Waits for the next "bestmove" line; returns its move ("" on time-out).
    std::string waitBestMove(double timeoutSeconds = DEFAULT_TIMEOUT) {
        if (!engine.waitForPrefix("bestmove ", timeoutSeconds)) return "";
        return word(engine.lastMatch(), 1);
    }

    // The move after " ponder " on the last bestmove line ("" when there is none).
    std::string lastPonderMove() const { return word(engine.lastMatch(), 3); }

    // Counts output lines that start with `prefix` from line `from` on.
    size_t countLines(const std::string& prefix, size_t from = 0) const {
        size_t count = 0;
        const auto& lines = engine.lines();
        for (size_t i = from; i < lines.size(); i++)
            if (lines[i].rfind(prefix, 0) == 0) count++;
        return count;
    }

    // Asks the engine itself whether `move` can be played after the "position" command
    // `position`: a refused move is reported as "info string Illegal move".
    bool acceptsMove(const std::string& position, const std::string& move) {
        size_t from = engine.lines().size();
        bool hasMoves = position.find(" moves ") != std::string::npos;
        engine.send(position + (hasMoves ? " " : " moves ") + move);
        if (!sync()) return false;
        return countLines("info string Illegal move", from) == 0;
    }

    // The FEN of the engine's current game.
    std::string fen() {
        engine.send("printFEN");
        if (!sync()) return "";
        std::vector<std::string> lines = engine.lines();
        return lines.size() >= 2 ? lines[lines.size() - 2] : "";
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
