// The engine's own commands that the UCI and XBoard front ends answer alike.
#pragma once

#include <cstdint>

class Engine;
class ProtocolHost;

// "eval = %.2f": the static evaluation in pawns, from the side to move's view.
void sendEvaluation(ProtocolHost& host, Engine& engine);
// The position key as 16 hexadecimal digits.
void sendHashKey(ProtocolHost& host, const Engine& engine);
// The game's FEN.
void sendFen(ProtocolHost& host, const Engine& engine);
