#include "protocol/search_input.h"

#include <string>

#include "app/host.h"
#include "search/engine.h"
#include "search/input.h"

void handleLineDuringSearch(ProtocolHost& host, Engine& engine) {
    std::string text;
    if (!readInputLine(text)) {
        // End of input is a "quit": nobody is left to read the result.
        host.quit = true;
        engine.abortSearch();
        return;
    }
    host.handleInputLine(text);
    if (host.quit) engine.abortSearch();
}
