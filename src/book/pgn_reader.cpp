#include "book/pgn_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Bytes read from the file at a time.
constexpr size_t PGN_READ_CHUNK = 1 << 16;

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A ";" comment, or a line that begins with "%" (an escape line): both run to the line feed.
bool startsLineComment(char c, bool lineStart) { return c == ';' || (lineStart && c == '%'); }

bool isResultToken(const char* token) {
    return std::strcmp(token, "1-0") == 0 || std::strcmp(token, "0-1") == 0 || std::strcmp(token, "1/2-1/2") == 0 ||
           std::strcmp(token, "*") == 0;
}

GameResult resultOfTagValue(const char* value) {
    if (std::strcmp(value, "1-0") == 0) return GameResult::WhiteWin;
    if (std::strcmp(value, "0-1") == 0) return GameResult::BlackWin;
    if (std::strcmp(value, "1/2-1/2") == 0) return GameResult::Draw;
    return GameResult::Unknown;
}

}  // namespace

PgnReader::PgnReader(int32_t depth, PgnGameSink& sink) : sink(sink), depth(std::clamp(depth, 1, PGN_MAX_PLIES)) {}

void PgnReader::feed(const char* text, size_t size) {
    for (size_t i = 0; i < size; ++i) feed(text[i]);
}

void PgnReader::feed(char c) {
    const bool lineStart = atLineStart;
    atLineStart = c == '\n';
    switch (state) {
    case PgnState::BetweenGames: onBetweenGames(c, lineStart); break;
    case PgnState::Tag: onTag(c); break;
    case PgnState::Variation: onVariation(c, lineStart); break;
    case PgnState::Comment: onComment(c); break;
    case PgnState::LineComment: onLineComment(c); break;
    case PgnState::MoveText: onMoveText(c, lineStart); break;
    case PgnState::SkipGame: onSkipGame(c, lineStart); break;
    }
}

void PgnReader::finish() { feed('\n'); }

void PgnReader::onBetweenGames(char c, bool lineStart) {
    if (enterCommentAt(c, lineStart)) return;
    if (c == '[') {
        enterTag();
    } else if (c == '(') {
        enterVariation();
    } else if (c >= '1' && c <= '9') {
        state = PgnState::MoveText;
        clearToken();
        appendToken(c);
    } else if (c == '*') {
        // The result of a game without moves: its tags must not pass to the next game.
        endGame();
    }
}

void PgnReader::onTag(char c) {
    if (c == '"') {
        if (tagPhase == TagPhase::Value) endTag();
        tagPhase = tagPhase == TagPhase::Name ? TagPhase::Value : TagPhase::Name;
        clearToken();
    } else if (c == ']') {
        state = PgnState::BetweenGames;
    } else if ((c == ' ' || c == '\t') && tagPhase == TagPhase::Name) {
        // A second blank before the value must not wipe the name.
        if (tokenLength > 0) std::memcpy(tagName, token, size_t(tokenLength) + 1);
        clearToken();
    } else {
        appendToken(c);
    }
}

void PgnReader::onVariation(char c, bool lineStart) {
    // A comment's parentheses are text: "1) Nf3" must not close the side line.
    if (enterCommentAt(c, lineStart)) return;
    if (c == '(' && variationNesting < INT32_MAX) {
        ++variationNesting;
    } else if (c == ')' && --variationNesting == 0) {
        state = variationReturn;
    }
}

void PgnReader::onComment(char c) {
    if (c == '{' && commentNesting < INT32_MAX) {
        ++commentNesting;
    } else if (c == '}' && --commentNesting == 0) {
        state = commentReturn;
    }
}

void PgnReader::onLineComment(char c) {
    if (c == '\n') state = lineCommentReturn;
}

void PgnReader::onMoveText(char c, bool lineStart) {
    // A tag line ends a game that has no result token.
    if (lineStart && c == '[') {
        endGame();
        enterTag();
        return;
    }
    // A comment ends the token before it, as a blank does.
    if (startsLineComment(c, lineStart)) {
        endMoveToken();
        clearToken();
        enterLineComment();
        return;
    }
    switch (c) {
    case '$':
        if (movePhase == MovePhase::BlackMove) blackMoveDue = true;
        movePhase = MovePhase::SkipToken;
        break;
    case '.':
        // Only a move number's first dot chooses the next move's colour; "1..." changes nothing more.
        if (movePhase == MovePhase::NumberOrResult)
            movePhase = blackMoveDue ? MovePhase::BlackMove : MovePhase::WhiteMove;
        clearToken();
        break;
    case '{': enterComment(); break;
    case '(': enterVariation(); break;
    default:
        if (isSeparator(c)) {
            endMoveToken();
            clearToken();
        } else {
            appendToken(c);
        }
    }
}

void PgnReader::onSkipGame(char c, bool lineStart) {
    // A wrapped comment may begin a line with "[%clk ...]": that is no tag.
    if (enterCommentAt(c, lineStart)) return;
    if (lineStart && c == '[') {
        movePhase = MovePhase::NumberOrResult;
        enterTag();
    }
}

void PgnReader::enterTag() {
    state = PgnState::Tag;
    tagPhase = TagPhase::Name;
    tagName[0] = '\0';
    clearToken();
}

void PgnReader::enterVariation() {
    variationReturn = state;
    variationNesting = 1;
    state = PgnState::Variation;
}

void PgnReader::enterComment() {
    commentReturn = state;
    commentNesting = 1;
    state = PgnState::Comment;
}

void PgnReader::enterLineComment() {
    lineCommentReturn = state;
    state = PgnState::LineComment;
}

bool PgnReader::enterCommentAt(char c, bool lineStart) {
    if (startsLineComment(c, lineStart)) {
        enterLineComment();
    } else if (c == '{') {
        enterComment();
    } else {
        return false;
    }
    return true;
}

void PgnReader::appendToken(char c) {
    if (tokenLength == PGN_TOKEN_CHARS) return;
    token[tokenLength++] = c;
    token[tokenLength] = '\0';
}

void PgnReader::clearToken() {
    tokenLength = 0;
    token[0] = '\0';
}

void PgnReader::endTag() {
    // Every Result tag overwrites the last, so a game has one result at most.
    if (std::strcmp(tagName, "Result") == 0) game.result = resultOfTagValue(token);
    // The book starts from the standard position: a game set up elsewhere says nothing of it.
    if (std::strcmp(tagName, "FEN") == 0 || (std::strcmp(tagName, "SetUp") == 0 && std::strcmp(token, "0") != 0))
        gameFromSetUp = true;
}

void PgnReader::endMoveToken() {
    switch (movePhase) {
    case MovePhase::NumberOrResult:
        if (isResultToken(token)) endGame();
        break;
    case MovePhase::WhiteMove:
    case MovePhase::BlackMove:
        if (tokenLength == 0) break;
        if (isResultToken(token))
            endGame();
        else
            storeMove();
        break;
    case MovePhase::SkipToken: movePhase = MovePhase::NumberOrResult; break;
    }
}

void PgnReader::storeMove() {
    char* text = game.moves[game.moveCount++];
    const size_t length = std::min(size_t(tokenLength), size_t(PGN_MOVE_TEXT_CHARS));
    std::memcpy(text, token, length);
    text[length] = '\0';
    const bool whiteMoved = movePhase == MovePhase::WhiteMove;
    if (game.moveCount < depth) {
        movePhase = whiteMoved ? MovePhase::BlackMove : MovePhase::NumberOrResult;
        if (!whiteMoved) blackMoveDue = false;
        return;
    }
    if (!gameFromSetUp) sink.addGame(game);
    endGame();
    state = PgnState::SkipGame;
}

void PgnReader::endGame() {
    game.moveCount = 0;
    game.result = GameResult::Unknown;
    gameFromSetUp = false;
    blackMoveDue = false;
    movePhase = MovePhase::NumberOrResult;
    state = PgnState::BetweenGames;
}

PgnFileResult readPgnFile(const char* fileName, PgnReader& reader) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) return PgnFileResult::NotFound;
    std::vector<char> buffer(PGN_READ_CHUNK);
    size_t size = 0;
    while ((size = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) reader.feed(buffer.data(), size);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return PgnFileResult::ReadError;
    reader.finish();
    return PgnFileResult::Read;
}
