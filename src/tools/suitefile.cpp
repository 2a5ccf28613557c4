#include "tools/suitefile.h"

#include <cstring>

#include "app/logger.h"

namespace {

// Reads one line with its line feed dropped; false when the file has nothing left. A line
// ends at its line feed whatever bytes it holds: a NUL is read as a blank, so it can neither
// hide the rest of the line nor join it to the next.
bool readWholeLine(std::FILE* file, std::string& line) {
    line.clear();
    int c = 0;
    while ((c = std::getc(file)) != EOF && c != '\n') line.push_back(c == '\0' ? ' ' : char(c));
    return c == '\n' || !line.empty();
}

}  // namespace

SuiteFile::SuiteFile(const char* fileName) : file_(fileName ? std::fopen(fileName, "r") : nullptr) {
    if (file_ == nullptr) logger.log(LOG_ERROR, "file not found : %s", fileName ? fileName : "");
}

SuiteFile::~SuiteFile() {
    if (file_) std::fclose(file_);
}

bool SuiteFile::nextLine(std::string& line) {
    if (file_ == nullptr) return false;
    while (readWholeLine(file_, line)) {
        // A file written on Windows ends its lines with "\r\n": the carriage return is no text.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) return true;
    }
    return false;
}

void blankControlCharacters(std::string& line) {
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 128) c = ' ';
}

bool copyBounded(const char* text, size_t length, char* buffer, size_t size) {
    if (size == 0) return length > 0;
    const size_t available = strnlen(text, length);
    const size_t copied = available < size - 1 ? available : size - 1;
    std::memcpy(buffer, text, copied);
    buffer[copied] = '\0';
    return copied < available;
}
