// The PGN reader: which games and move texts reach the book builder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/pgn_reader.h"

namespace {

struct ReadGame {
    std::vector<std::string> moves;
    GameResult result;
    bool operator==(const ReadGame&) const = default;
};

class GameRecorder : public PgnGameSink {
public:
    std::vector<ReadGame> games;
    void addGame(const PgnGame& game) override {
        games.push_back({std::vector<std::string>(game.moves, game.moves + game.moveCount), game.result});
    }
};

std::vector<ReadGame> readPgn(const std::string& text, int32_t depth) {
    GameRecorder recorder;
    PgnReader reader(depth, recorder);
    reader.feed(text.data(), text.size());
    reader.finish();
    return recorder.games;
}

std::string tags(const std::string& result) { return "[Event \"t\"]\n[Result \"" + result + "\"]\n\n"; }

const GameResult WHITE = GameResult::WhiteWin, BLACK = GameResult::BlackWin, NONE = GameResult::Unknown;

}  // namespace

TEST(PgnReader, ReadsMovesThroughEveryKindOfNoise) {
    const struct {
        const char* name;
        std::string pgn;
        int32_t depth;
        std::vector<ReadGame> expected;
    } cases[] = {
        {"plain", tags("1-0") + "1. e4 e5 2. Nf3 Nc6 3. Bb5 1-0\n", 4, {{{"e4", "e5", "Nf3", "Nc6"}, WHITE}}},
        {"comment and variation", tags("0-1") + "1. e4 {best by test} e5 (1... c5 2. Nf3 {x}) 2. Nf3 0-1\n", 3,
         {{{"e4", "e5", "Nf3"}, BLACK}}},
        {"annotation before black move number", tags("1-0") + "1. e4 $1 1... e5 2. Nf3\n", 3,
         {{{"e4", "e5", "Nf3"}, WHITE}}},
        {"black move number after comment", tags("1-0") + "1. e4 {c} 1... e5 2. Nf3\n", 3,
         {{{"e4", "e5", "Nf3"}, WHITE}}},
        {"nested comments and variations", tags("1-0") + "1. d4 {a {b} (c} (1. e4 (1. c4 {x}) e5) d5 2. c4\n", 3,
         {{{"d4", "d5", "c4"}, WHITE}}},
        {"no blanks after dots, tabs, CRLF", tags("1-0") + "1.e4\te5\r\n2.Nf3 *\r\n", 3, {{{"e4", "e5", "Nf3"}, WHITE}}},
        {"check and annotation marks stay in the text", tags("*") + "1. e4! e5?! 2. Bc4 Nc6 3. Qh5 Nf6?? 4. Qxf7#\n", 7,
         {{{"e4!", "e5?!", "Bc4", "Nc6", "Qh5", "Nf6??", "Qxf7#"}, NONE}}},
        {"short game gives nothing", tags("1-0") + "1. e4 e5 1-0\n" + tags("0-1") + "1. d4 d5 2. c4 0-1\n", 3,
         {{{"d4", "d5", "c4"}, BLACK}}},
        {"rest of a complete game skipped", tags("1-0") + "1. e4 e5 2. Nf3 {c}\n" + tags("0-1") + "1. d4 d5\n", 2,
         {{{"e4", "e5"}, WHITE}, {{"d4", "d5"}, BLACK}}},
        // A comment runs to its closing brace, in the skipped rest of a game too.
        {"unclosed comment in the rest", tags("1-0") + "1. e4 e5 2. Nf3 {unclosed\n" + tags("0-1") + "1. d4 d5\n", 2,
         {{{"e4", "e5"}, WHITE}}},
        {"wrapped comment begins a line with [", tags("1-0") +
             "1. d4 { [%eval 0.2] } 1... d5 { [%clk 0:03:00] } 2. c4\n{ [%clk 0:02:58] } 2... e6 { [%eval\n0.3] } "
             "3. Nf3 { [%eval 0.3]\n[%clk 0:02:50] } 4. Nc3 Nc6 5. e3 Be7 1-0\n" + tags("0-1") + "1. e4 e5 2. Nf3 c5\n",
         4, {{{"d4", "d5", "c4", "e6"}, WHITE}, {{"e4", "e5", "Nf3", "c5"}, BLACK}}},
        {"parentheses in a comment in a side line", tags("1-0") + "1. e4 e5 (1... c5 { Plans: 1) Nf3 2) d4 } 2. Nf3) "
             "2. Nf3 Nc6 1-0\n", 4, {{{"e4", "e5", "Nf3", "Nc6"}, WHITE}}},
        // ";" runs to the line feed and a line that begins with "%" is skipped, wherever the
        // reader is outside tags and brace comments; inside those both are text.
        {"rest-of-line comment", tags("0-1") + "1. e4 e5 ; the usual 1. d4 d5 is also fine\n2. Nf3 Nc6 0-1\n", 4,
         {{{"e4", "e5", "Nf3", "Nc6"}, BLACK}}},
        {"escape line", "% exported 1. d4 d5 1-0\n" + tags("1-0") + "1. e4 e5 1-0\n", 2, {{{"e4", "e5"}, WHITE}}},
        {"rest-of-line comments everywhere", "; [Result \"1-0\"]\n[Event \"a;b\"]\n[Result \"0-1\"]\n1. e4;x\n"
             "e5 (1... c5 ; 2. d4)\n%)\n) 2. Nf3 {a; b} Nc6 3. Bb5 ; {\n% {\n" + tags("1-0") + "1. d4 d5 2. c4 c5\n", 4,
         {{{"e4", "e5", "Nf3", "Nc6"}, BLACK}, {{"d4", "d5", "c4", "c5"}, WHITE}}},
        {"last line without line feed", tags("1-0") + "1. e4 e5", 2, {{{"e4", "e5"}, WHITE}}},
        {"empty input", "", 1, {}},
        {"tags only", tags("1-0") + tags("0-1"), 1, {}},
        // Every game end clears its state: an annotation after White's last move must not make
        // the next game's first move Black's; a game without a result ends at the next tag line.
        {"annotated end", tags("1-0") + "1. e4 $2 1-0\n" + tags("0-1") + "1. d4 d5 0-1\n", 2, {{{"d4", "d5"}, BLACK}}},
        {"no result token", tags("1-0") + "1. e4 e5\n\n[Event \"u\"]\n1. d4 d5 2. c4\n", 3, {{{"d4", "d5", "c4"}, NONE}}},
        {"annotated, no result token", tags("1-0") + "1. e4 $1\n" + tags("0-1") + "1. d4 d5\n", 2,
         {{{"d4", "d5"}, BLACK}}},
        // The last Result tag counts; a valueless tag must not run into the name after it.
        {"two results", "[Result \"1-0\"]\n[Result \"0-1\"]\n1. e4 e5\n", 2, {{{"e4", "e5"}, BLACK}}},
        {"unknown result last", "[Result \"1-0\"]\n[Result \"*\"]\n1. e4 e5\n", 2, {{{"e4", "e5"}, NONE}}},
        {"valueless tag", "[Broken]\n[Result  \"1/2-1/2\"]\n1. e4 e5\n", 2, {{{"e4", "e5"}, GameResult::Draw}}},
        // A game set up from a FEN (even one without moves) gives nothing and leaves nothing
        // behind; SetUp "0" is the standard start.
        {"set-up games", "[SetUp \"1\"]\n" + tags("1-0") + "1. e4 e5 1-0\n[FEN \"4k3/8/8/8/8/8/8/4K3 w - - 0 1\"]\n*\n" +
             tags("0-1") + "1. d4 d5 0-1\n[SetUp \"0\"]\n" + tags("1-0") + "1. c4 c5\n", 2,
         {{{"d4", "d5"}, BLACK}, {{"c4", "c5"}, WHITE}}},
        // Over-long texts are cut: a tag value that starts like a result is then no result.
        {"huge move", tags("1-0") + "1. " + std::string(10000, 'N') + " e5\n", 2,
         {{{std::string(PGN_MOVE_TEXT_CHARS, 'N'), "e5"}, WHITE}}},
        {"long tag value", "[Result \"1-0" + std::string(300, ' ') + "\"]\n1. e4 e5\n", 2, {{{"e4", "e5"}, NONE}}},
        {"long tag name", "[" + std::string(5000, 'R') + " \"1-0\"]\n1. e4 e5\n", 2, {{{"e4", "e5"}, NONE}}},
        {"good game after garbage", "\x01\xff}) garbage 1-0\n" + tags("1-0") + "1. e4 e5\n", 2, {{{"e4", "e5"}, WHITE}}},
    };
    for (const auto& c : cases) EXPECT_EQ(readPgn(c.pgn, c.depth), c.expected) << c.name;
}

TEST(PgnReader, MalformedInputEndsQuietly) {
    for (const std::string& text : {std::string("[Event \"never closed"), std::string("[Event"),
                                    std::string("1. e4 {never closed"), std::string("1. e4 (never (closed)"),
                                    std::string(100000, '('), std::string(100000, '{') + std::string(100000, '}'),
                                    std::string(5000, '1'), std::string("1. e4 $"), std::string("]]]\"\"\"...$$$")})
        EXPECT_TRUE(readPgn(text, 32).empty()) << text.substr(0, 40);
    // Every byte value, twice over, in an order that crosses every state.
    std::string garbage;
    for (int byte = 0; byte < 512; ++byte) garbage += char((byte * 37 + byte / 256) & 0xff);
    readPgn(garbage + tags("1-0") + "1. e4 e5\n", 32);
}
