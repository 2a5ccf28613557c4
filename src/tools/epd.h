// The fields of a best-move test line in EPD form: "<fen> bm Nf3 Nc3; id \"name\";".
#pragma once

#include <string>

enum class EpdOpcode { None, BestMove, AvoidMove };

// Every field is kept whole: a cut move list would change the line's verdict.
struct EpdTestLine {
    EpdOpcode opcode = EpdOpcode::None;
    // Everything before the opcode, the blank before it included.
    std::string fen;
    // The move list after "bm " or "am " up to the first ";", every "0" read as "O".
    std::string expected;
    // The text of the id field after "; id \"" up to the closing quote.
    std::string name;
};

// Splits one line (without its line end). The opcode is the first "bm" or "am" in the line;
// without one only `opcode` is set (None).
EpdTestLine splitEpdTestLine(const std::string& line);

// Whether a whole move token of `expected` names the move written as `san`, `longText`
// ("Ng1-f3") or `coordinate` ("g1f3"). Check, mate and annotation marks (+ # ! ?) are
// ignored in the tokens, so "Nf3+" names Nf3 but "f3" does not.
bool expectedMovesMatch(const char* expected, const char* san, const char* longText, const char* coordinate);
