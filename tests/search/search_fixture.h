// Shared set-up for the search tests: an initialised engine and move text helpers.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "board/notation.h"
#include "search/engine.h"

class SearchFixture : public ::testing::Test {
protected:
    void SetUp() override {
        engine = std::make_unique<Engine>();
        engine->init(1);
        engine->newGame();
    }

    void setFen(const char* fen) { ASSERT_EQ(engine->setFen(fen), 1) << fen; }

    // Coordinate text ("e2e4", "e7e8n") to the move word of the current position.
    Move move(const char* text) const {
        const int32_t from = parseSquare(text);
        const int32_t to = parseSquare(text + 2);
        const int32_t promotion = text[4] ? promotionFromLetter(text[4]) : 0;
        return buildMove(engine->position, from, to, promotion);
    }

    std::unique_ptr<Engine> engine;
};
