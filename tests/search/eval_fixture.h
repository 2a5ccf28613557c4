// Position set-up and colour mirroring shared by the evaluation tests.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "search/evaluate.h"

inline void initEvalTestTables() {
    static const bool ready = [] {
        initAttackTables();
        initEvalTables();
        return true;
    }();
    (void)ready;
}

inline Position positionFromFen(const std::string& fen) {
    initEvalTestTables();
    Position pos{};
    pos.reset();
    EXPECT_EQ(parseFen(pos, fen.c_str()), 1) << fen;
    return pos;
}

// Board flipped top to bottom, colours and side to move swapped.
inline std::string mirrorFen(const std::string& fen) {
    std::istringstream in(fen);
    std::string board, side, castling, ep, rest;
    in >> board >> side >> castling >> ep;
    std::getline(in, rest);
    std::vector<std::string> ranks;
    std::string rank;
    for (char c : board) {
        if (c == '/') {
            ranks.push_back(rank);
            rank.clear();
        } else {
            rank += c;
        }
    }
    ranks.push_back(rank);
    auto swapCase = [](std::string s) {
        for (char& c : s) {
            const unsigned char u = static_cast<unsigned char>(c);
            c = std::isupper(u) ? char(std::tolower(u)) : char(std::toupper(u));
        }
        return s;
    };
    std::string flipped;
    for (auto it = ranks.rbegin(); it != ranks.rend(); ++it) {
        if (!flipped.empty()) flipped += '/';
        flipped += swapCase(*it);
    }
    std::string mirroredEp = ep;
    if (ep.size() == 2) mirroredEp[1] = ep[1] == '3' ? '6' : '3';
    return flipped + " " + (side == "w" ? "b" : "w") + " " + (castling == "-" ? castling : swapCase(castling)) +
           " " + mirroredEp + rest;
}
