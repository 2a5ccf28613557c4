// UCI identification ("uci") and the options set through "setoption".
#include <algorithm>
#include <cstring>

#include "app/host.h"
#include "protocol/uci.h"
#include "protocol/command_text.h"
#include "search/engine.h"

using namespace commandtext;

namespace {

constexpr int32_t MULTI_PV_MAX = MAX_PV_LINES;
constexpr int32_t ELO_MIN = STRENGTH_ELO_MIN;
constexpr int32_t ELO_MAX = STRENGTH_ELO_MAX;

const char* checkText(int32_t on) { return on ? "true" : "false"; }

// The value of `option` in the name text: it must be followed by "value " and the value.
const char* optionValue(const char* name, const char* option) {
    const char* rest = keywordValue(name, option);
    return rest != nullptr ? keywordValue(rest, "value ") : nullptr;
}

bool isTrue(const char* value) { return equals(value, "true"); }

}  // namespace

void UciProtocol::applyStrength(int32_t elo) { setStrength(elo, limitStrength); }

void UciProtocol::commandUci() {
    host->sendLine("id name Mirelt %s %s", ENGINE_VERSION, host->wordSize);
    host->sendText("id author Orlen Vastrade");
    host->sendLine("option name Hash type spin default %d min %d max %d", host->Hash, HASH_MIN_MB,
                   HASH_MAX_MB);
    host->sendText("option name Ponder type check default false");
    host->sendLine("option name OwnBook type check default %s", checkText(host->Book));
    host->sendLine("option name Book File type string default %s", host->BookFile);
    host->sendText("option name Clear Hash type button");
    host->sendText("option name UCI_Chess960 type check default false");
    host->sendLine("option name MultiPV type spin default 1 min 1 max %d", MULTI_PV_MAX);
    host->sendLine("option name NullMovePruning type check default %s",
                   checkText(host->UseNullMovePruning));
    host->sendLine("option name LateMoveReduction type check default %s", checkText(host->UseLMR));
    host->sendLine("option name UCI_LimitStrength type check default %s", checkText(host->UseStrength));
    host->sendLine("option name UCI_Elo type spin default %d min %d max %d", host->StrengthELO, ELO_MIN,
                   ELO_MAX);

    engine->init(std::clamp(host->Hash, HASH_MIN_MB, HASH_MAX_MB));
    host->newGame();
    resultHeld = false;
    // The defaults just announced are what the engine really uses.
    engine->limits.nullMoveEnabled = host->UseNullMovePruning;
    engine->limits.lmrEnabled = host->UseLMR;
    limitStrength = host->UseStrength;
    applyStrength(host->StrengthELO);
    if (host->Book) {
        if (!engine->loadBook(host->BookFile)) host->Book = 0;
    } else {
        engine->limits.bookEnabled = false;
        engine->book.clear();
    }
    host->sendText("uciok");
}

void UciProtocol::commandSetOption(const char* text) {
    const char* name = keywordValue(text, "name ");
    if (name == nullptr) return;
    const char* value = nullptr;
    SearchLimits& limits = engine->limits;
    if ((value = optionValue(name, "Hash "))) {
        int32_t megabytes = std::clamp(parseInt32(value), HASH_MIN_MB, HASH_MAX_MB);
        engine->tt.resize(megabytes);
    } else if ((value = optionValue(name, "Ponder "))) {
        host->setPonderEnabled(isTrue(value));
    } else if ((value = optionValue(name, "NullMovePruning "))) {
        limits.nullMoveEnabled = isTrue(value);
    } else if ((value = optionValue(name, "LateMoveReduction "))) {
        limits.lmrEnabled = isTrue(value);
    } else if ((value = optionValue(name, "OwnBook "))) {
        if (isTrue(value)) {
            host->Book = 1;
            loadBookFile();
        } else {
            host->Book = 0;
            limits.bookEnabled = false;
            engine->book.clear();
        }
    } else if ((value = optionValue(name, "Book File "))) {
        // A name that does not fit is refused rather than cut into another file's name.
        if (std::strlen(value) >= sizeof host->BookFile) return;
        std::strcpy(host->BookFile, value);
        if (host->Book) loadBookFile();
    } else if (const char* rest = keywordValue(name, "Clear ")) {
        if (startsWith(rest, "Hash")) engine->tt.clear();
    } else if ((value = optionValue(name, "MultiPV "))) {
        engine->multiPv = std::clamp(parseInt32(value), 1, MULTI_PV_MAX);
    } else if ((value = optionValue(name, "UCI_Elo "))) {
        applyStrength(parseInt32(value));
    } else if ((value = optionValue(name, "UCI_LimitStrength "))) {
        limitStrength = isTrue(value);
        applyStrength(strengthElo);
    } else if ((value = optionValue(name, "UCI_Chess960 "))) {
        engine->setChess960(isTrue(value));
    }
}

void UciProtocol::loadBookFile() {
    if (engine->loadBook(host->BookFile)) return;
    host->sendText("info string book file not found");
    host->Book = 0;
}
