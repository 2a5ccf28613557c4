#include "search/input.h"

#include <sys/select.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Bytes read from fd 0 but not yet handed out as lines.
std::string pendingBytes;
bool endOfInput = false;

bool hasWholeLine() { return pendingBytes.find('\n') != std::string::npos; }

// One read(2) into the buffer; marks end of input at EOF or on a hard error.
void fillBuffer() {
    char chunk[4096];
    for (;;) {
        ssize_t got = read(0, chunk, sizeof chunk);
        if (got > 0) {
            pendingBytes.append(chunk, static_cast<size_t>(got));
            return;
        }
        if (got < 0 && errno == EINTR) continue;
        endOfInput = true;
        return;
    }
}

bool readableNow() {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(0, &readable);
    timeval zero{0, 0};
    return select(1, &readable, nullptr, nullptr, &zero) > 0;
}

void takeLine(std::string& line, size_t end) {
    line.assign(pendingBytes, 0, end);
    pendingBytes.erase(0, end == pendingBytes.size() ? end : end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

bool readInputLine(std::string& line) {
    while (!hasWholeLine() && !endOfInput) fillBuffer();
    size_t newline = pendingBytes.find('\n');
    if (newline != std::string::npos) {
        takeLine(line, newline);
        return true;
    }
    // A last line without a newline still counts before end of input.
    if (!pendingBytes.empty()) {
        takeLine(line, pendingBytes.size());
        return true;
    }
    line.clear();
    return false;
}

bool inputPending() {
    // Pull what is there, so a partial line does not count as a whole one and an end of
    // input right behind a last unterminated line is seen now.
    while (!hasWholeLine() && !endOfInput && readableNow()) fillBuffer();
    return hasWholeLine() || endOfInput;
}
