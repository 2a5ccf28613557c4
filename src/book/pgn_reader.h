// PGN reading for the book builder: a character state machine that collects the first moves
// of every game of a collection, with the game's result.
#pragma once

#include <cstddef>
#include <cstdint>

// A game record holds this many move texts, so the book depth cannot go beyond it.
inline constexpr int32_t PGN_MAX_PLIES = 32;
// Longest move text kept; a longer token is cut (no SAN move needs more than 8 characters).
inline constexpr int32_t PGN_MOVE_TEXT_CHARS = 15;
// Longest tag name, tag value or other token kept; longer ones are cut.
inline constexpr int32_t PGN_TOKEN_CHARS = 255;

enum class GameResult : uint8_t { Unknown, WhiteWin, BlackWin, Draw };

// The first plies of one game, as written in the file, and its result from the Result tag.
struct PgnGame {
    char moves[PGN_MAX_PLIES][PGN_MOVE_TEXT_CHARS + 1] = {};
    int32_t moveCount = 0;
    GameResult result = GameResult::Unknown;
};

// Receiver of the games that the reader completes.
class PgnGameSink {
public:
    virtual ~PgnGameSink() = default;
    // Called once for every game that reached the reader's depth, with exactly that many moves.
    virtual void addGame(const PgnGame& game) = 0;
};

enum class PgnState { BetweenGames, Tag, Variation, Comment, LineComment, MoveText, SkipGame };
enum class TagPhase { Name, Value };
enum class MovePhase { NumberOrResult, WhiteMove, BlackMove, SkipToken };

// Reads tags (only the last "Result" of a game counts; a game with a "FEN" tag, or a "SetUp"
// tag other than "0", gives nothing), move numbers (also "1..." after a comment, a variation
// or an annotation), moves, "$n" annotations, brace comments and parenthesised variations
// (both nested, both skipped; a brace comment inside a variation hides its parentheses),
// rest-of-line comments (";" to the line feed) and escape lines (a line that begins with
// "%"), and result tokens. A game ends at its result token (also a lone "*" after its tags)
// or, without one, at the next line that begins with "[" outside any comment; after `depth`
// plies its record goes to the sink and the rest of the game is skipped, its comments still
// followed. Games shorter than `depth` plies give nothing. Every buffer is bounded, so any
// input is safe.
class PgnReader {
public:
    // `depth` is clamped to 1..PGN_MAX_PLIES.
    PgnReader(int32_t depth, PgnGameSink& sink);

    void feed(const char* text, size_t size);
    void feed(char c);
    // The end of the input: a last token without a line feed after it is still read.
    void finish();

private:
    void onBetweenGames(char c, bool lineStart);
    void onTag(char c);
    void onVariation(char c, bool lineStart);
    void onComment(char c);
    void onLineComment(char c);
    void onMoveText(char c, bool lineStart);
    void onSkipGame(char c, bool lineStart);

    void enterTag();
    void enterVariation();
    void enterComment();
    void enterLineComment();
    // A brace or rest-of-line comment that begins at `c` is entered: true when one does.
    bool enterCommentAt(char c, bool lineStart);
    void appendToken(char c);
    void clearToken();
    void endTag();
    void endMoveToken();
    void storeMove();
    void endGame();

    PgnGameSink& sink;
    int32_t depth;
    PgnState state = PgnState::BetweenGames;
    TagPhase tagPhase = TagPhase::Name;
    MovePhase movePhase = MovePhase::NumberOrResult;
    // The states that a variation, a brace comment and a rest-of-line comment return to; a
    // comment may lie inside a variation, so each keeps its own (and its own nesting).
    PgnState variationReturn = PgnState::BetweenGames;
    PgnState commentReturn = PgnState::BetweenGames;
    PgnState lineCommentReturn = PgnState::BetweenGames;
    int32_t variationNesting = 0;
    int32_t commentNesting = 0;
    // An annotation after White's move: the next move number ("1...") leads to Black's move.
    bool blackMoveDue = false;
    // The game has a FEN tag or a SetUp tag other than "0": it counts for nothing.
    bool gameFromSetUp = false;
    bool atLineStart = true;
    char token[PGN_TOKEN_CHARS + 1] = {};
    int32_t tokenLength = 0;
    char tagName[PGN_TOKEN_CHARS + 1] = {};
    PgnGame game;
};

enum class PgnFileResult { Read, NotFound, ReadError };

// Feeds the whole file to `reader` (and finishes it).
PgnFileResult readPgnFile(const char* fileName, PgnReader& reader);
