// XBoard command handler: the command table, lines that arrive during a search, and the loop
// that starts one search after another.
#include "protocol/xboard.h"

#include <cstring>

#include "app/host.h"
#include "protocol/command_text.h"
#include "protocol/xboard_text.h"
#include "search/engine.h"

using namespace commandtext;

namespace {

enum class Match : uint8_t {
    Equals,      // the whole line
    StartsWith,  // the line starts with the text (a trailing blank included)
    Word,        // the whole line, or the text followed by a blank and more
};

bool matches(const char* line, const char* text, Match match) {
    switch (match) {
        case Match::Equals: return equals(line, text);
        case Match::StartsWith: return startsWith(line, text);
        case Match::Word: {
            const char* rest = keywordValue(line, text);
            return rest != nullptr && (*rest == '\0' || *rest == ' ');
        }
    }
    return false;
}

// The text after the first blank of the line ("" when there is none).
const char* argumentOf(const char* line) {
    const char* blank = std::strchr(line, ' ');
    return blank != nullptr ? blank + 1 : "";
}

}  // namespace

struct XboardProtocol::Command {
    const char* text;
    Match match;
    DuringSearch duringSearch;
    // Null for lines that are accepted and ignored.
    void (XboardProtocol::*run)(const char* text);
};

const XboardProtocol::Command* XboardProtocol::findCommand(const char* line) {
    using X = XboardProtocol;
    // Tested in this order; the first match wins.
    static const Command commands[] = {
        {"time ", Match::StartsWith, DuringSearch::Now, &X::commandTime},
        {"otim ", Match::StartsWith, DuringSearch::Now, &X::commandOtim},
        {"go", Match::Equals, DuringSearch::EndsSearch, &X::commandGo},
        {"xboard", Match::Equals, DuringSearch::Later, &X::commandXboard},
        {"undo", Match::Equals, DuringSearch::EndsSearch, &X::commandUndo},
        {"remove", Match::Equals, DuringSearch::EndsSearch, &X::commandRemove},
        {"force", Match::Equals, DuringSearch::Now, &X::commandForce},
        {"result", Match::Word, DuringSearch::Now, &X::commandResult},
        {"analyze", Match::Equals, DuringSearch::EndsSearch, &X::commandAnalyze},
        {"exit", Match::Equals, DuringSearch::Now, &X::commandExit},
        {"setboard ", Match::StartsWith, DuringSearch::EndsSearch, &X::commandSetboard},
        {"?", Match::Equals, DuringSearch::Now, &X::commandMoveNow},
        {"new", Match::Equals, DuringSearch::EndsSearch, &X::commandNew},
        {"variant ", Match::StartsWith, DuringSearch::EndsSearch, &X::commandVariant},
        {"easy", Match::Equals, DuringSearch::Now, &X::commandEasy},
        {"hard", Match::Equals, DuringSearch::Now, &X::commandHard},
        {"post", Match::Equals, DuringSearch::Now, &X::commandPost},
        {"nopost", Match::Equals, DuringSearch::Now, &X::commandNopost},
        {"accepted ", Match::StartsWith, DuringSearch::Now, nullptr},
        {"protover ", Match::StartsWith, DuringSearch::Later, &X::commandProtover},
        {"ping ", Match::StartsWith, DuringSearch::AfterOwnSearch, &X::commandPing},
        {"st ", Match::StartsWith, DuringSearch::Later, &X::commandSt},
        {"sd ", Match::StartsWith, DuringSearch::Later, &X::commandSd},
        {"level ", Match::StartsWith, DuringSearch::Later, &X::commandLevel},
        {"#", Match::Equals, DuringSearch::Now, nullptr},
        {".", Match::Equals, DuringSearch::Now, nullptr},
        {"computer", Match::Equals, DuringSearch::Now, nullptr},
        {"printBoard", Match::Equals, DuringSearch::Later, &X::commandPrintBoard},
        {"eval", Match::StartsWith, DuringSearch::Later, &X::commandEval},
        {"printHashKey", Match::StartsWith, DuringSearch::Later, &X::commandPrintHashKey},
        {"printFEN", Match::StartsWith, DuringSearch::Later, &X::commandPrintFen},
        {"perftd ", Match::StartsWith, DuringSearch::Later, &X::commandPerftd},
        {"perft ", Match::StartsWith, DuringSearch::Later, &X::commandPerft},
        {"divide ", Match::StartsWith, DuringSearch::Later, &X::commandDivide},
        {"option ", Match::StartsWith, DuringSearch::Later, &X::commandOption},
    };
    for (const Command& command : commands)
        if (matches(line, command.text, command.match)) return &command;
    return nullptr;
}

void XboardProtocol::attach() {
    listener.engine = engine;
    listener.owner = this;
    listener.host = host;
    engine->listener = &listener;
}

int32_t XboardProtocol::handleCommand(const char* line) {
    if (equals(line, "quit")) {
        engine->abortSearch();
        return 0;
    }
    carryOut(line);
    // A line read during a search only plans; the searches start once it has returned.
    if (!engine->searching) runSearches();
    return 1;
}

bool XboardProtocol::moveLine(const char* line) const {
    return hasMoveShape(line) || (engine->position.chess960 && isCastlingWord(line));
}

void XboardProtocol::carryOut(const char* line) {
    if (moveLine(line)) {
        commandMove(line);
        return;
    }
    const Command* command = findCommand(line);
    if (command == nullptr || command->run == nullptr) return;
    if (engine->searching && !runsDuringSearch(command->duringSearch)) {
        waitForSearchEnd(line, command->duringSearch == DuringSearch::EndsSearch);
        return;
    }
    (this->*command->run)(argumentOf(line));
}

bool XboardProtocol::runsDuringSearch(DuringSearch when) const {
    const bool ownSearch = !engine->limits.pondering && !analyzing;
    return when == DuringSearch::Now || (when == DuringSearch::AfterOwnSearch && !ownSearch);
}

void XboardProtocol::waitForSearchEnd(const char* line, bool endOwnSearch) {
    waitingLines.emplace_back(line);
    if (analyzing) {
        // The analysis goes on once the line has been carried out.
        nextSearch = NextSearch::Analysis;
        engine->abortSearch();
    } else if (engine->limits.pondering || endOwnSearch) {
        engine->abortSearch();
    }
}

void XboardProtocol::runSearches() {
    if (runningSearches) return;
    runningSearches = true;
    while (!host->quit) {
        if (!waitingLines.empty()) {
            const std::string line = std::move(waitingLines.front());
            waitingLines.pop_front();
            carryOut(line.c_str());
            continue;
        }
        const NextSearch next = nextSearch;
        if (next == NextSearch::None) break;
        nextSearch = NextSearch::None;
        startSearch(next);
    }
    runningSearches = false;
}
