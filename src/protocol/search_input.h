// Input that arrives while a search runs, handled as the command loop would.
#pragma once

class Engine;
class ProtocolHost;

// Reads the waiting line and hands it to the current front end. End of input, or a line that
// ends the program, aborts the search and marks the program to end once it has returned.
void handleLineDuringSearch(ProtocolHost& host, Engine& engine);
