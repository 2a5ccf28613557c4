// Building an opening book file from a PGN game collection: the first `depth` plies of every
// game are counted per opening line, the lines that enough games share are replayed from the
// start position, and every (position, move) pair met is written with its game count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book/book_file_writer.h"
#include "book/line_table.h"

// The deepest book: a game record holds this many plies.
inline constexpr int32_t BOOK_BUILD_MAX_DEPTH = PGN_MAX_PLIES;

constexpr bool isValidBookDepth(int32_t depth) { return depth >= 1 && depth <= BOOK_BUILD_MAX_DEPTH; }

enum class BookBuildResult { Built, BadDepth, PgnNotFound, PgnUnreadable, BookNotWritten, OutOfMemory };

// The book of `table`'s lines that at least `minGames` games share, in file order.
//
// Every such line is replayed from the standard start position; its last move, matched as
// SAN against the legal moves, gets the line's game count as weight and its white and black
// win percentages. A pair met again keeps the values of the line that met it first (in table
// order); a move text that names no single legal move ends the line there. Positions ascend
// by key; each keeps its 16 heaviest moves (the first met among equal weights), ordered by
// the exchange sort of the book format: for each place in turn, every later move heavier than
// the one there is exchanged with it, starting from the order the moves were met. Needs the
// attack tables.
std::vector<BookFileMove> collectBookMoves(const LineTable& table, int32_t minGames);

// The whole build: reads the PGN file, collects the book and writes it (see writeBookFile).
// A failure is logged at ERROR with describeBookBuildFailure's text. Needs the attack tables.
BookBuildResult buildOpeningBook(const char* pgnFileName, const char* bookFileName, int32_t depth,
                                 int32_t minGames);

// One line telling why a build failed, naming the file concerned; empty for Built.
std::string describeBookBuildFailure(BookBuildResult result, const char* pgnFileName, const char* bookFileName);
