// An XBoard conversation with the real program, as a GUI holds it.
#pragma once

#include <string>
#include <vector>

#include "blackbox/session.h"

namespace blackbox {

// A thinking line: depth, score, centiseconds, nodes, then the principal variation.
inline const char* const THINKING_LINE = "^[0-9]+ -?[0-9]+ [0-9]+ [0-9]+ ";

class XboardSession : public Session {
public:
    XboardSession() {
        engine.send("xboard");
        engine.send("protover 2");
        handshakeDone = engine.waitForLine("feature done=1");
    }

    bool handshakeDone = false;

    // Sends "ping N" and waits for "pong N": every earlier command has been carried out (and
    // a move the engine was thinking about has been sent).
    bool sync(double timeoutSeconds = DEFAULT_TIMEOUT) {
        const std::string number = std::to_string(++pings);
        engine.send("ping " + number);
        return engine.waitForLine("pong " + number, timeoutSeconds);
    }

    // Waits for the engine's next "move" line; returns its move ("" on time-out).
    std::string waitMove(double timeoutSeconds = DEFAULT_TIMEOUT) {
        if (!engine.waitForPrefix("move ", timeoutSeconds)) return "";
        return word(engine.lastMatch(), 1);
    }

    // Sends every line, in order.
    void send(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) engine.send(line);
    }

    // The FEN of the engine's game (asked while no search runs).
    std::string fen() {
        engine.send("printFEN");
        if (!sync()) return "";
        const std::vector<std::string>& lines = engine.lines();
        return lines.size() >= 2 ? lines[lines.size() - 2] : "";
    }

private:
    int pings = 0;
};

}  // namespace blackbox
