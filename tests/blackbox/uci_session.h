// A UCI conversation with the real program, with the checks the UCI and self-play tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blackbox/session.h"

namespace blackbox {

class UciSession : public Session {
public:
    explicit UciSession(const FileMap& files = {}) : Session(files) {
        engine.send("uci");
        handshakeDone = engine.waitForLine("uciok");
    }

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

    // Asks the engine itself whether `move` can be played after the "position" command
    // `position`: a refused move is reported as "info string Illegal move".
    bool acceptsMove(const std::string& position, const std::string& move) {
        size_t from = engine.lines().size();
        bool hasMoves = position.find(" moves ") != std::string::npos;
        engine.send(position + (hasMoves ? " " : " moves ") + move);
        if (!sync()) return false;
        return countLines("info string Illegal move", from) == 0;
    }

    // The legal moves after the "position" command `position` in coordinate text, from the
    // engine's own divide listing (castling left out).
    std::vector<std::string> legalMoves(const std::string& position) {
        engine.send(position);
        engine.send("divide 1");
        std::vector<std::string> moves;
        while (engine.waitFor([](const std::string& line) { return line.find(" : ") != std::string::npos; })) {
            std::string text = word(engine.lastMatch(), 0);
            if (text == "total") break;
            std::string move;
            for (char c : text)
                if ((c >= 'a' && c <= 'h') || (c >= '1' && c <= '8')) move += c;
            // Long algebraic text: two squares with '-' or 'x' between, then "e.p" or "=Q".
            move = move.substr(0, 4);
            if (text.find('=') != std::string::npos) move += char(text.back() - 'A' + 'a');
            if (text[0] != 'O') moves.push_back(move);
        }
        sync();
        return moves;
    }

    // The FEN of the engine's current game.
    std::string fen() {
        engine.send("printFEN");
        if (!sync()) return "";
        std::vector<std::string> lines = engine.lines();
        return lines.size() >= 2 ? lines[lines.size() - 2] : "";
    }
};

}  // namespace blackbox
