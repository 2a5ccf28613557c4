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
        ReadGame read{{}, game.result};
        for (int32_t i = 0; i < game.moveCount; ++i) read.moves.emplace_back(game.moves[i]);
        games.push_back(read);
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

const GameResult WHITE = GameResult::WhiteWin;
const GameResult BLACK = GameResult::BlackWin;
const GameResult NONE = GameResult::Unknown;

struct ReaderCase {
    const char* name;
    std::string pgn;
    int32_t depth;
    std::vector<ReadGame> expected;
};

}  // namespace

TEST(PgnReader, ReadsMovesThroughEveryKindOfNoise) {
    const std::vector<ReaderCase> cases = {
        {"plain", tags("1-0") + "1. e4 e5 2. Nf3 Nc6 3. Bb5 1-0\n", 4, {{{"e4", "e5", "Nf3", "Nc6"}, WHITE}}},
        {"comment and variation", tags("0-1") + "1. e4 {best by test} e5 (1... c5 2. Nf3 {x}) 2. Nf3 0-1\n", 3,
         {{{"e4", "e5", "Nf3"}, BLACK}}},
        {"annotation before black move number", tags("1-0") + "1. e4 $1 1... e5 2. Nf3\n", 3,
         {{{"e4", "e5", "Nf3"}, WHITE}}},
        {"black move number after comment", tags("1-0") + "1. e4 {c} 1... e5 2. Nf3\n", 3,
         {{{"e4", "e5", "Nf3"}, WHITE}}},
        {"nested comments and variations", tags("1-0") + "1. d4 {a {b} (c} (1. e4 (1. c4 {x}) e5) d5 2. c4\n", 3,
         {{{"d4", "d5", "c4"}, WHITE}}},
        {"no blanks after dots, tabs, CRLF", tags("1-0") + "1.e4\te5\r\n2.Nf3 *\r\n", 3,
         {{{"e4", "e5", "Nf3"}, WHITE}}},
        {"check and annotation marks stay in the text", tags("*") + "1. e4! e5?! 2. Bc4 Nc6 3. Qh5 Nf6?? 4. Qxf7#\n", 7,
         {{{"e4!", "e5?!", "Bc4", "Nc6", "Qh5", "Nf6??", "Qxf7#"}, NONE}}},
        {"short game gives nothing", tags("1-0") + "1. e4 e5 1-0\n" + tags("0-1") + "1. d4 d5 2. c4 0-1\n", 3,
         {{{"d4", "d5", "c4"}, BLACK}}},
        {"rest of a complete game skipped", tags("1-0") + "1. e4 e5 2. Nf3 {unclosed\n" + tags("0-1") + "1. d4 d5\n", 2,
         {{{"e4", "e5"}, WHITE}, {{"d4", "d5"}, BLACK}}},
        {"last line without line feed", tags("1-0") + "1. e4 e5", 2, {{{"e4", "e5"}, WHITE}}},
        {"empty input", "", 1, {}},
        {"tags only", tags("1-0") + tags("0-1"), 1, {}},
    };
    for (const ReaderCase& c : cases) EXPECT_EQ(readPgn(c.pgn, c.depth), c.expected) << c.name;
}

TEST(PgnReader, EveryGameEndClearsItsState) {
    // An annotation after White's last move must not turn the next game's first move into Black's.
    const std::string annotated = tags("1-0") + "1. e4 $2 1-0\n" + tags("0-1") + "1. d4 d5 0-1\n";
    EXPECT_EQ(readPgn(annotated, 2), (std::vector<ReadGame>{{{"d4", "d5"}, BLACK}}));
    // Without a result token a game ends at the next tag line; its moves and result are gone.
    const std::string unfinished = tags("1-0") + "1. e4 e5\n\n" + "[Event \"u\"]\n1. d4 d5 2. c4\n";
    EXPECT_EQ(readPgn(unfinished, 3), (std::vector<ReadGame>{{{"d4", "d5", "c4"}, NONE}}));
    const std::string annotatedUnfinished = tags("1-0") + "1. e4 $1\n" + tags("0-1") + "1. d4 d5\n";
    EXPECT_EQ(readPgn(annotatedUnfinished, 2), (std::vector<ReadGame>{{{"d4", "d5"}, BLACK}}));
}

TEST(PgnReader, TheLastResultTagCounts) {
    const std::string twice = "[Result \"1-0\"]\n[Result \"0-1\"]\n1. e4 e5\n";
    EXPECT_EQ(readPgn(twice, 2), (std::vector<ReadGame>{{{"e4", "e5"}, BLACK}}));
    const std::string unknownLast = "[Result \"1-0\"]\n[Result \"*\"]\n1. e4 e5\n";
    EXPECT_EQ(readPgn(unknownLast, 2), (std::vector<ReadGame>{{{"e4", "e5"}, NONE}}));
    // A valueless tag must not run into the name of the Result tag after it.
    const std::string valueless = "[Broken]\n[Result  \"1/2-1/2\"]\n1. e4 e5\n";
    EXPECT_EQ(readPgn(valueless, 2), (std::vector<ReadGame>{{{"e4", "e5"}, GameResult::Draw}}));
}

TEST(PgnReader, OverlongTextIsCut) {
    const std::string hugeMove(10000, 'N');
    const auto games = readPgn(tags("1-0") + "1. " + hugeMove + " e5\n", 2);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].moves[0], std::string(PGN_MOVE_TEXT_CHARS, 'N'));
    // A tag value longer than the buffer that starts like a result is no result.
    const std::string longValue = "[Result \"1-0" + std::string(300, ' ') + "\"]\n1. e4 e5\n";
    EXPECT_EQ(readPgn(longValue, 2), (std::vector<ReadGame>{{{"e4", "e5"}, NONE}}));
    const std::string longName = "[" + std::string(5000, 'R') + " \"1-0\"]\n1. e4 e5\n";
    EXPECT_EQ(readPgn(longName, 2), (std::vector<ReadGame>{{{"e4", "e5"}, NONE}}));
}

TEST(PgnReader, MalformedInputEndsQuietly) {
    const std::vector<std::string> malformed = {
        "[Event \"never closed", "[Event", "1. e4 {never closed", "1. e4 (never (closed)", std::string(100000, '('),
        std::string(100000, '{') + std::string(100000, '}'), std::string(5000, '1'), "1. e4 $", "]]]\"\"\"...$$$",
    };
    for (const std::string& text : malformed) EXPECT_TRUE(readPgn(text, 32).empty()) << text.substr(0, 40);
    // Every byte value, twice over, in an order that crosses every state.
    std::string garbage;
    for (int round = 0; round < 2; ++round)
        for (int byte = 0; byte < 256; ++byte) garbage += char((byte * 37 + round) & 0xff);
    readPgn(garbage + tags("1-0") + "1. e4 e5\n", 32);
    // A good game after garbage that closes its brackets is still read.
    EXPECT_EQ(readPgn("\x01\xff}) garbage 1-0\n" + tags("1-0") + "1. e4 e5\n", 2),
              (std::vector<ReadGame>{{{"e4", "e5"}, WHITE}}));
}
