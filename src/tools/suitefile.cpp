#include "tools/suitefile.h"

#include <cstring>

#include "app/logger.h"

namespace {

// Chunk size of one read; a longer line is gathered over several reads.
constexpr int READ_CHUNK_SIZE = 512;

// Reads one line with its line feed dropped; false when the file has nothing left.
bool readWholeLine(std::FILE* file, std::string& line) {
    line.clear();
    char chunk[READ_CHUNK_SIZE];
    bool readAny = false;
    while (std::fgets(chunk, sizeof chunk, file) != nullptr) {
        readAny = true;
        const size_t length = std::strlen(chunk);
        if (length > 0 && chunk[length - 1] == '\n') {
            line.append(chunk, length - 1);
            return true;
        }
        line.append(chunk, length);
    }
    return readAny;
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
