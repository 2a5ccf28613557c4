// Unbuffered standard-input line reader shared by the command loop and the search's input poll.
// It reads with read(2) so that a line waiting in the pipe stays visible to select().
#pragma once

#include <string>

// Blocks for the next line; strips the newline and a trailing carriage return.
// Returns false at end of input (stdin closed) with no line left.
bool readInputLine(std::string& line);

// True when a line or end of input is waiting (the reader's own buffer first, then select()
// with a zero time-out); never blocks.
bool inputPending();
