#include "book/book_builder.h"

#include <algorithm>
#include <new>

#include "app/logger.h"
#include "board/movegen.h"
#include "board/san_match.h"
#include "tools/perft.h"

namespace {

// A (position, move) pair as one line meets it; `line` orders pairs by first appearance.
struct BookCandidate {
    uint64_t key;
    uint32_t line;
    BookMove move;
};

// The lines that qualify, as a tree: children of line i are child[first[i] .. first[i + 1]),
// in table order; the root (the start position) is index lines.size().
struct LineTree {
    std::vector<uint32_t> first;
    std::vector<uint32_t> child;
};

uint8_t percentOf(int32_t part, int32_t games) { return uint8_t(int64_t(part) * 100 / games); }

// A line's games are at least those of any line extending it, so the qualifying lines form a
// tree from the start position, and each qualifying line's parent qualifies too.
LineTree buildTree(const std::vector<OpeningLine>& lines, int32_t minGames) {
    const uint32_t root = uint32_t(lines.size());
    auto parentOf = [root](const OpeningLine& line) { return line.parent == NO_LINE ? root : line.parent; };
    LineTree tree;
    tree.first.assign(size_t(root) + 2, 0);
    for (const OpeningLine& line : lines)
        if (line.games >= minGames) ++tree.first[parentOf(line) + 1];
    for (size_t i = 1; i < tree.first.size(); ++i) tree.first[i] += tree.first[i - 1];
    tree.child.resize(tree.first.back());
    // Placing advances first[p] to the end of p's children; shifting by one restores the starts.
    for (uint32_t i = 0; i < root; ++i)
        if (lines[i].games >= minGames) tree.child[tree.first[parentOf(lines[i])]++] = i;
    for (size_t i = tree.first.size() - 1; i > 0; --i) tree.first[i] = tree.first[i - 1];
    tree.first[0] = 0;
    return tree;
}

// Walks the tree with one position, making and unmaking each line's last move. The moves
// before a line's last are its shorter lines' last moves, which come earlier in table order
// with at least as many games; so taking each line's last move, first appearance first, gives
// what replaying every line whole from the start would give.
class LineReplay {
public:
    LineReplay(const LineTable& table, const LineTree& tree, std::vector<BookCandidate>& out)
        : table(table), tree(tree), out(out) {}

    void fromStartPosition() {
        Position position{};
        position.reset();
        position.setStartPosition();
        replayChildren(position, uint32_t(table.lines().size()));
    }

private:
    void replayChildren(Position& position, uint32_t parent) {
        const uint32_t begin = tree.first[parent], end = tree.first[parent + 1];
        if (begin == end) return;
        ScoredMove legal[MAX_MOVES];
        const int32_t count = generateLegalMoves(position, legal, isInCheck(position));
        for (uint32_t k = begin; k < end; ++k) {
            const uint32_t index = tree.child[k];
            const OpeningLine& line = table.lines()[index];
            const Move move = matchSanMove(legal, count, table.moveText(line.textId));
            // A text that names no legal move ends the line, and every line through it, here.
            if (move == noMove) continue;
            const BookMove record{move, line.games, percentOf(line.whiteWins, line.games),
                                  percentOf(line.blackWins, line.games)};
            out.push_back(BookCandidate{position.key, index, record});
            UndoRecord undo;
            position.doMove(move, undo);
            replayChildren(position, index);
            position.undoMove(move, undo);
        }
    }

    const LineTable& table;
    const LineTree& tree;
    std::vector<BookCandidate>& out;
};

bool byKeyMoveAndLine(const BookCandidate& a, const BookCandidate& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.move.move != b.move.move) return a.move.move < b.move.move;
    return a.line < b.line;
}

bool heavierOrEarlier(const BookCandidate& a, const BookCandidate& b) {
    if (a.move.weight != b.move.weight) return a.move.weight > b.move.weight;
    return a.line < b.line;
}

bool samePair(const BookCandidate& a, const BookCandidate& b) { return a.key == b.key && a.move.move == b.move.move; }

bool earlier(const BookCandidate& a, const BookCandidate& b) { return a.line < b.line; }

// The book format's move order: each place in turn takes any later move that is heavier than
// the one it holds. It is not stable: equal weights end in the order it gives, not first met.
void exchangeSortByWeight(std::vector<BookCandidate>::iterator first, std::vector<BookCandidate>::iterator end) {
    for (auto j = first; j != end; ++j)
        for (auto k = j + 1; k != end; ++k)
            if (k->move.weight > j->move.weight) std::iter_swap(j, k);
}

}  // namespace

std::vector<BookFileMove> collectBookMoves(const LineTable& table, int32_t minGames) {
    std::vector<BookCandidate> candidates;
    {
        const LineTree tree = buildTree(table.lines(), minGames);
        // One pair at most per qualifying line.
        candidates.reserve(tree.child.size());
        LineReplay(table, tree, candidates).fromStartPosition();
    }
    // A pair keeps the values of the first line that met it.
    std::sort(candidates.begin(), candidates.end(), byKeyMoveAndLine);
    candidates.erase(std::unique(candidates.begin(), candidates.end(), samePair), candidates.end());
    std::vector<BookFileMove> moves;
    moves.reserve(candidates.size());
    for (auto first = candidates.begin(); first != candidates.end();) {
        auto end = first;
        while (end != candidates.end() && end->key == first->key) ++end;
        std::sort(first, end, heavierOrEarlier);
        const auto kept = first + std::min<ptrdiff_t>(end - first, BOOK_MAX_MOVES);
        // The kept moves (at most 16) in the order they were met, then in the file's order.
        std::sort(first, kept, earlier);
        exchangeSortByWeight(first, kept);
        for (auto it = first; it != kept; ++it) moves.push_back(BookFileMove{it->key, it->move});
        first = end;
    }
    return moves;
}

BookBuildResult buildOpeningBook(const char* pgnFileName, const char* bookFileName, int32_t depth,
                                 int32_t minGames) {
    BookBuildResult result = BookBuildResult::Built;
    if (!isValidBookDepth(depth)) {
        result = BookBuildResult::BadDepth;
    } else {
        try {
            std::vector<BookFileMove> moves;
            {
                LineTable table;
                PgnReader reader(depth, table);
                const PgnFileResult read = readPgnFile(pgnFileName, reader);
                if (read == PgnFileResult::NotFound) result = BookBuildResult::PgnNotFound;
                if (read == PgnFileResult::ReadError) result = BookBuildResult::PgnUnreadable;
                if (read == PgnFileResult::Read) moves = collectBookMoves(table, minGames);
            }
            if (result == BookBuildResult::Built && !writeBookFile(bookFileName, moves))
                result = BookBuildResult::BookNotWritten;
        } catch (const std::bad_alloc&) {
            result = BookBuildResult::OutOfMemory;
        }
    }
    if (result != BookBuildResult::Built)
        logger.log(LOG_ERROR, "%s", describeBookBuildFailure(result, pgnFileName, bookFileName).c_str());
    return result;
}

std::string describeBookBuildFailure(BookBuildResult result, const char* pgnFileName, const char* bookFileName) {
    switch (result) {
    case BookBuildResult::Built: return "";
    case BookBuildResult::BadDepth:
        return "book depth is not a number from 1 to " + std::to_string(BOOK_BUILD_MAX_DEPTH);
    case BookBuildResult::PgnNotFound: return std::string("PGN file not found : ") + pgnFileName;
    case BookBuildResult::PgnUnreadable: return std::string("PGN file cannot be read : ") + pgnFileName;
    case BookBuildResult::BookNotWritten: return std::string("Error saving opening book : ") + bookFileName;
    case BookBuildResult::OutOfMemory: return std::string("Not enough memory to build the book from ") + pgnFileName;
    }
    return "";
}

BookBuildResult Perft::buildBookFromPgn(const char* pgnFileName, const char* bookFileName, int32_t depth,
                                        int32_t minGames) {
    return buildOpeningBook(pgnFileName, bookFileName, depth, minGames);
}
