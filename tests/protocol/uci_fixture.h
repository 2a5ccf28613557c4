// A UCI front end wired to a real engine, with its standard output captured per command.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/host.h"
#include "board/notation.h"
#include "protocol/uci.h"
#include "search/engine.h"

class UciFixture : public ::testing::Test {
protected:
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    ProtocolHost host;
    UciProtocol* uci = nullptr;

    void SetUp() override {
        strengthElo = 2600;
        strengthLimited = 0;
        host.Hash = 1;
        host.engine = engine.get();
        uci = new UciProtocol(engine.get(), &host);
        host.protocol = uci;
        uci->attach();
        identification = run("uci");
    }

    void TearDown() override {
        delete uci;
        host.protocol = nullptr;
        engine->clear();
        strengthElo = 2600;
        strengthLimited = 0;
    }

    // Runs one command line and returns the lines it wrote to standard output.
    std::vector<std::string> run(const std::string& line) {
        ::testing::internal::CaptureStdout();
        lastResult = uci->handleCommand(line.c_str());
        return capturedLines();
    }

    // Captures what `action` writes to standard output.
    template <class Action>
    std::vector<std::string> capture(Action action) {
        ::testing::internal::CaptureStdout();
        action();
        return capturedLines();
    }

    std::string fen() {
        char buffer[256];
        engine->getFen(buffer);
        return buffer;
    }

    Move move(const char* text) { return parseMoveText(engine->position, text); }

    std::vector<std::string> identification;
    int32_t lastResult = 1;

private:
    static std::vector<std::string> capturedLines() {
        std::istringstream text(::testing::internal::GetCapturedStdout());
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }
};

inline const std::vector<std::string> NO_LINES;
