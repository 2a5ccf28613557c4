#include "tools/perftfields.h"

#include <cstdio>
#include <cstring>

namespace {

// Depth digits saturate here: no perft goes that deep, so such a field never matches.
constexpr int32_t DEPTH_SATURATION = 1000000;

enum class FieldState { BeforeSemicolon, AfterSemicolon, Depth, Count };

class FieldReader {
public:
    PerftDepthFields fields;

    void step(char c) {
        switch (state_) {
        case FieldState::BeforeSemicolon:
            if (c == ';') state_ = FieldState::AfterSemicolon;
            break;
        case FieldState::AfterSemicolon:
            if (c == 'D' || c == 'd') startField();
            break;
        case FieldState::Depth:
            if (isDigit(c)) addDepthDigit(c);
            else if (c == ' ') state_ = FieldState::Count;
            break;
        case FieldState::Count:
            if (isDigit(c)) addCountDigit(c);
            else if (c == ' ') state_ = FieldState::BeforeSemicolon;
            else if (c == ';') state_ = FieldState::AfterSemicolon;
            break;
        }
    }

private:
    FieldState state_ = FieldState::BeforeSemicolon;
    // Fields beyond the table are read into this one and dropped.
    PerftDepthField overflow_;
    PerftDepthField* current_ = &overflow_;
    size_t countLength_ = 0;

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    void startField() {
        current_ = fields.count < PERFT_FIELDS_MAX ? &fields.fields[fields.count++] : &overflow_;
        *current_ = PerftDepthField{};
        countLength_ = 0;
        state_ = FieldState::Depth;
    }

    void addDepthDigit(char c) {
        const int32_t depth = current_->depth * 10 + (c - '0');
        current_->depth = depth < DEPTH_SATURATION ? depth : DEPTH_SATURATION;
    }

    void addCountDigit(char c) {
        if (countLength_ + 1 >= PERFT_COUNT_TEXT_SIZE) return;
        current_->count[countLength_++] = c;
        current_->count[countLength_] = '\0';
    }
};

}  // namespace

PerftDepthFields readPerftDepthFields(const std::string& line) {
    FieldReader reader;
    for (char c : line) reader.step(c);
    return reader.fields;
}

bool perftFieldsConfirm(const PerftDepthFields& fields, int32_t depth, uint64_t nodes) {
    char text[PERFT_COUNT_TEXT_SIZE];
    std::snprintf(text, sizeof text, "%llu", (unsigned long long)nodes);
    for (int32_t i = 0; i < fields.count && i < PERFT_FIELDS_MAX; ++i)
        if (fields.fields[i].depth == depth && std::strcmp(fields.fields[i].count, text) == 0) return true;
    return false;
}
