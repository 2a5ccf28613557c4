// The perft, detailed perft and divide commands: timing and the report lines.
#include "app/host.h"
#include "search/engine.h"
#include "search/timecontrol.h"
#include "tools/elapsed.h"

namespace {

// The counters need an initialised engine; a bad depth is ignored rather than used as an index.
Perft* readyPerft(Engine* engine, int32_t depth) {
    if (engine == nullptr || !isValidPerftDepth(depth)) return nullptr;
    Perft& tool = engine->perft;
    if (tool.position == nullptr) return nullptr;
    return &tool;
}

// Runs a count on a fresh move stack and returns its elapsed time in microseconds.
template <class Count>
double timedCount(Perft& tool, Count count) {
    tool.allocateMoveStack();
    const uint64_t start = monotonicMicros();
    count();
    const double elapsed = double(monotonicMicros() - start);
    tool.releaseMoveStack();
    return elapsed;
}

}  // namespace

void ProtocolHost::perft(int32_t depth) {
    Perft* tool = readyPerft(engine, depth);
    if (tool == nullptr) return;
    tool->nodes = 0;
    const double elapsed = timedCount(*tool, [&] { tool->perft(depth); });
    sendLine("Depth %d", depth);
    sendLine("Nodes = %llu", (unsigned long long)tool->nodes);
    sendLine("Time = %s", ElapsedText(elapsed).text);
    sendLine("Speed = %d", speedOf(tool->nodes * 1000000ull, elapsed));
}

void ProtocolHost::perftd(int32_t depth) {
    Perft* tool = readyPerft(engine, depth);
    if (tool == nullptr) return;
    tool->zeroCounters();
    const double elapsed = timedCount(*tool, [&] { tool->run(depth); });
    sendLine("Depth %d", depth);
    sendLine("Nodes = %llu", (unsigned long long)tool->nodes);
    sendLine("Nodes captures = %llu", (unsigned long long)tool->captures);
    sendLine("Nodes e.p = %llu", (unsigned long long)tool->enPassant);
    sendLine("Nodes check = %llu", (unsigned long long)tool->checks);
    sendLine("Nodes mate = %llu", (unsigned long long)tool->mates);
    sendLine("Nodes promotion = %llu", (unsigned long long)tool->promotions);
    sendLine("Nodes castle = %llu", (unsigned long long)tool->castles);
    sendLine("Time = %s", ElapsedText(elapsed).text);
    // Nodes per millisecond here, per second in perft and divide.
    sendLine("Speed = %d", speedOf(tool->nodes * 1000ull, elapsed));
}

void ProtocolHost::divide(int32_t depth) {
    Perft* tool = readyPerft(engine, depth);
    if (tool == nullptr) return;
    const double elapsed = timedCount(*tool, [&] { tool->divide(depth); });
    uint64_t total = 0;
    for (int32_t i = 0; i < tool->divideCount; i++) {
        const DivideResult& result = tool->divideResults[i];
        sendLine("%10s : %llu", result.moveText, (unsigned long long)result.count);
        total += result.count;
    }
    sendLine("\n     total : %llu", (unsigned long long)total);
    sendLine("\nTime = %s", ElapsedText(elapsed).text);
    sendLine("Speed = %d", speedOf(total * 1000000ull, elapsed));
    tool->divideResults.reset();
}
