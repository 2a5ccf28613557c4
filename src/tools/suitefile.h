// Reading the position files of the test suites: one position per line, lines of any length.
#pragma once

#include <cstdio>
#include <string>

class SuiteFile {
public:
    // Opens `fileName` for reading; when it cannot, logs "file not found : <name>" at ERROR.
    explicit SuiteFile(const char* fileName);
    ~SuiteFile();
    SuiteFile(const SuiteFile&) = delete;
    SuiteFile& operator=(const SuiteFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }

    // Reads the next non-empty line whole, without its "\n" or "\r\n" end, a NUL in it read
    // as a blank; false at the end of the file. Empty lines are passed over and never reach a
    // suite's counts.
    bool nextLine(std::string& line);

private:
    std::FILE* file_ = nullptr;
};

// Turns every control character and every byte of 128 or more into a blank, as the FEN
// readers of the suites expect between fields.
void blankControlCharacters(std::string& line);

// Copies at most size - 1 characters of `text` (a NUL ends it earlier) into `buffer` and
// terminates it; returns whether the text was cut.
bool copyBounded(const char* text, size_t length, char* buffer, size_t size);
