// Syntax check of FEN text, as the FEN check suite applies it to each line of a file.
#pragma once

#include <string>

// Whether `line` starts with a well-formed FEN: 8 ranks of exactly 8 squares; at most 8 pawns,
// 1 king and 9 of each other piece per colour, no pawn on rank 1 or 8; side "w" or "b";
// castling made of "-", "K", "Q", "k", "q"; an en-passant field of "-" or a file letter and a
// rank digit; then optional counters of at most 30 digits in all, after which anything may
// follow. Single blanks separate the fields; control characters count as blanks, and the end
// of the line ends its last field, so four fields are enough.
bool isWellFormedFen(const std::string& line);
