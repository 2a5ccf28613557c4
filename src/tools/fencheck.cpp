#include "tools/fencheck.h"

#include <cstdio>
#include <cstring>

#include "tools/perft.h"
#include "tools/suitefile.h"

namespace {

// Counters beyond these mean a position no game can reach (promotions included).
constexpr int32_t MAX_PAWNS = 8;
constexpr int32_t MAX_KINGS = 1;
constexpr int32_t MAX_OTHER_PIECES = 9;
// Longest digit run the two move counters may hold together.
constexpr int32_t MAX_COUNTER_DIGITS = 30;

constexpr const char* PIECE_LETTERS = "pnbrqk";

enum class FenField { Pieces, RankEnd, Blank, Side, Castling, EnPassant, HalfMoves, FullMoves, Rest };

class FenChecker {
public:
    // Feeds one character; false when the text is no longer a FEN.
    bool step(char c) {
        switch (field_) {
        case FenField::Pieces: return stepPieces(c);
        case FenField::RankEnd: return stepRankEnd(c);
        case FenField::Blank: return stepBlank(c);
        case FenField::Side: return stepSide(c);
        case FenField::Castling: return stepCastling(c);
        case FenField::EnPassant: return stepEnPassant(c);
        case FenField::HalfMoves:
        case FenField::FullMoves: return stepCounter(c);
        case FenField::Rest: return true;
        }
        return false;
    }

    // The end of the text ends the field it is in; the en-passant field must be reached.
    bool finish() {
        if (field_ == FenField::EnPassant) return stepEnPassant(' ');
        return field_ >= FenField::HalfMoves;
    }

private:
    FenField field_ = FenField::Pieces;
    FenField afterBlank_ = FenField::Side;
    int32_t rank_ = 7;
    int32_t squares_ = 0;
    int32_t pieceCount_[2][6] = {};
    bool epFile_ = false;
    bool epRank_ = false;
    int32_t counterDigits_ = 0;

    static bool isBlank(char c) { return c == ' '; }

    bool addPiece(char c) {
        const char* letter = c ? std::strchr(PIECE_LETTERS, c | 0x20) : nullptr;
        if (letter == nullptr) return false;
        const int32_t type = int32_t(letter - PIECE_LETTERS);
        const int32_t colour = (c & 0x20) ? 0 : 1;
        const int32_t count = ++pieceCount_[colour][type];
        const int32_t limit = type == 0 ? MAX_PAWNS : type == 5 ? MAX_KINGS : MAX_OTHER_PIECES;
        if (count > limit) return false;
        if (type == 0 && (rank_ == 0 || rank_ == 7)) return false;
        if (squares_ >= 8 || rank_ < 0) return false;
        squares_ += 1;
        return true;
    }

    // A full rank ends with "/", or with the blank after the last rank.
    void closeFullRank() {
        if (squares_ != 8) return;
        if (rank_ == 0) {
            field_ = FenField::Blank;
            afterBlank_ = FenField::Side;
        } else {
            field_ = FenField::RankEnd;
        }
    }

    bool stepPieces(char c) {
        if (c >= '1' && c <= '8') {
            squares_ += c - '0';
            if (squares_ > 8) return false;
        } else if (!addPiece(c)) {
            // A "/" or blank here ends a short rank or leaves ranks out.
            return false;
        }
        closeFullRank();
        return true;
    }

    bool stepRankEnd(char c) {
        if (c != '/') return false;
        field_ = FenField::Pieces;
        rank_ -= 1;
        squares_ = 0;
        return true;
    }

    bool stepBlank(char c) {
        if (!isBlank(c)) return false;
        field_ = afterBlank_;
        return true;
    }

    bool stepSide(char c) {
        if (c != 'w' && c != 'b') return false;
        field_ = FenField::Blank;
        afterBlank_ = FenField::Castling;
        return true;
    }

    bool stepCastling(char c) {
        if (isBlank(c)) {
            field_ = FenField::EnPassant;
            return true;
        }
        return c != '\0' && std::strchr("-KQkq", c) != nullptr;
    }

    bool stepEnPassant(char c) {
        if (c == '-' || c == ';') return true;
        if (c >= 'a' && c <= 'h') {
            if (epFile_ || epRank_) return false;
            epFile_ = true;
            return true;
        }
        if (c >= '1' && c <= '8') {
            if (!epFile_ || epRank_) return false;
            epRank_ = true;
            return true;
        }
        if (!isBlank(c)) return false;
        // A file letter names no square without its rank.
        if (epFile_ && !epRank_) return false;
        field_ = FenField::HalfMoves;
        return true;
    }

    bool stepCounter(char c) {
        if (isBlank(c)) {
            field_ = field_ == FenField::HalfMoves ? FenField::FullMoves : FenField::Rest;
            return true;
        }
        if (c >= '0' && c <= '9') return ++counterDigits_ <= MAX_COUNTER_DIGITS;
        // Anything else starts the free text after the counters.
        field_ = FenField::Rest;
        return true;
    }
};

char asFenCharacter(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 32 || byte >= 128 ? ' ' : c;
}

}  // namespace

bool isWellFormedFen(const std::string& line) {
    FenChecker checker;
    for (char c : line) {
        if (c == '\0') break;
        if (!checker.step(asFenCharacter(c))) return false;
    }
    return checker.finish();
}

bool Perft::checkFenSuite(const char* fileName) {
    SuiteFile file(fileName);
    if (!file.isOpen()) return false;
    std::printf("Check FEN suite : '%s'\n", fileName);
    uint32_t valid = 0;
    uint32_t counted = 0;
    std::string line;
    while (file.nextLine(line)) {
        counted += 1;
        if (isWellFormedFen(line))
            valid += 1;
        else
            std::printf("Invalid FEN String : '%s'\n", line.c_str());
    }
    std::printf("Checked %u / %u valid FEN string\n", valid, counted);
    return true;
}
