#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <set>
#include <vector>

#include "board/movegen.h"
#include "search/engine.h"
#include "search/search_fixture.h"

namespace {

const char* const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

struct PvReport {
    int32_t line;  // 0 for onPv
    int32_t depth;
    int32_t score;
    int32_t bound;
    std::vector<Move> pv;
};

class RecordingListener : public SearchListener {
public:
    std::vector<PvReport> reports;
    std::vector<int32_t> ends;
    int32_t depthReports = 0;
    int32_t currMoveReports = 0;
    std::function<void(const PvReport&)> onReport;

    void onSearchEnd(StopReason reason) override { ends.push_back(reason); }
    void onPv(int32_t depth, int32_t score, const Move* pv, double, int32_t pvLength, uint64_t, int32_t,
              int32_t bound) override {
        record({0, depth, score, bound, std::vector<Move>(pv, pv + pvLength)});
    }
    void onMultiPv(int32_t line, int32_t depth, int32_t score, double, const Move* pv, int32_t pvLength, uint64_t,
                   int32_t, int32_t bound) override {
        record({line, depth, score, bound, std::vector<Move>(pv, pv + pvLength)});
    }
    void onDepth(int32_t) override { ++depthReports; }
    void onCurrMove(Move, int32_t) override { ++currMoveReports; }

    const PvReport* lastExact() const {
        for (auto it = reports.rbegin(); it != reports.rend(); ++it)
            if (it->bound == 0) return &*it;
        return nullptr;
    }

private:
    void record(const PvReport& report) {
        reports.push_back(report);
        if (onReport) onReport(report);
    }
};

class ThinkTest : public SearchFixture {
protected:
    void SetUp() override {
        SearchFixture::SetUp();
        engine->listener = &listener;
        engine->limits.bookEnabled = 0;
    }

    void depthSearch(const char* fen, int32_t depth) {
        setFen(fen);
        engine->limits.mode = MODE_DEPTH;
        engine->limits.maxDepth = depth;
        engine->think(0);
    }

    bool isLegalIn(const char* fen, Move move) {
        Position position{};
        EXPECT_EQ(engine->setFen(fen), 1);
        position = engine->position;
        ScoredMove moves[MAX_MOVES];
        const int32_t count = generateLegalMoves(position, moves, isInCheck(position));
        for (int32_t i = 0; i < count; ++i)
            if (moves[i].move == move) return true;
        return false;
    }

    RecordingListener listener;
};

}  // namespace

TEST_F(ThinkTest, FixedDepthEndsNormallyAndPlaysTheMove) {
    depthSearch(START_FEN, 3);
    ASSERT_EQ(listener.ends, std::vector<int32_t>{STOP_NORMAL});
    EXPECT_EQ(engine->limits.depthReached, 3);
    EXPECT_EQ(engine->gameHistoryCount, 1);
    EXPECT_EQ(engine->searching, 0);
    const Move best = engine->lastMove;
    EXPECT_EQ(engine->gameHistory[0].move, best);
    EXPECT_TRUE(isLegalIn(START_FEN, best));
    // One exact report per finished iteration, none of the delayed ones in a short search.
    ASSERT_EQ(listener.reports.size(), 3u);
    for (int32_t d = 1; d <= 3; ++d) EXPECT_EQ(listener.reports[d - 1].depth, d);
    EXPECT_EQ(listener.reports.back().pv.front(), best);
    EXPECT_EQ(listener.depthReports, 0);
    EXPECT_EQ(listener.currMoveReports, 0);
    EXPECT_EQ(engine->limits.thinkCount, 1);
}

TEST_F(ThinkTest, MatesAreFoundWithTheirDistanceAtFixedDepth) {
    struct Case {
        const char* fen;
        int32_t depth;
        int32_t score;
        const char* move;  // empty: any mating move
    };
    const Case cases[] = {
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2, MATE_SCORE - 1, "a1a8"},
        {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 4, MATE_SCORE - 3, ""},
        {"r1bqkbnr/pppp1ppp/2n5/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", 3, MATE_SCORE - 1, "h5f7"},
        // The side to move is mated next move whatever it does.
        {"k7/8/1K6/8/8/8/8/7R b - - 0 1", 3, -(MATE_SCORE - 2), "a8b8"},
    };
    for (const Case& c : cases) {
        listener.reports.clear();
        depthSearch(c.fen, c.depth);
        const PvReport* report = listener.lastExact();
        ASSERT_NE(report, nullptr) << c.fen;
        EXPECT_EQ(report->score, c.score) << c.fen;
        if (c.move[0]) {
            setFen(c.fen);
            EXPECT_EQ(report->pv.front(), move(c.move)) << c.fen;
        }
    }
}

TEST_F(ThinkTest, SameSearchAfterANewGameIsDeterministic) {
    const char* fen = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";
    uint64_t nodes[2];
    Move best[2];
    for (int run = 0; run < 2; ++run) {
        engine->newGame();
        depthSearch(fen, 5);
        nodes[run] = engine->limits.nodes;
        best[run] = engine->lastMove;
    }
    EXPECT_GT(nodes[0], 0u);
    EXPECT_EQ(nodes[0], nodes[1]);
    EXPECT_EQ(best[0], best[1]);
}

TEST_F(ThinkTest, NoLegalMoveReportsAnEndWithoutAMove) {
    depthSearch("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", 4);  // mated
    EXPECT_EQ(listener.ends, std::vector<int32_t>{STOP_NORMAL});
    EXPECT_EQ(engine->lastMove, noMove);
    depthSearch("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 4);  // stalemate
    EXPECT_EQ(engine->lastMove, noMove);
    EXPECT_EQ(engine->gameHistoryCount, 0);

    // Pondering on a reply that mates: the reply is taken back and the empty result held back.
    listener.ends.clear();
    setFen("7k/8/5K2/8/8/8/8/6Q1 w - - 0 1");
    const uint64_t keyBefore = engine->position.key;
    ASSERT_EQ(engine->playMoveText("g1g7"), 1);
    engine->limits.ponderEnabled = 1;
    engine->think(1);
    EXPECT_EQ(listener.ends, std::vector<int32_t>{STOP_PONDER_DEPTH});
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->position.key, keyBefore);
    EXPECT_EQ(engine->limits.pondering, 0);
    EXPECT_EQ(engine->lastMove, noMove);
}

TEST_F(ThinkTest, NodeLimitsStopAndStillPlayALegalMove) {
    for (uint64_t limit : {uint64_t(1), uint64_t(5000)}) {
        listener.ends.clear();
        setFen(START_FEN);
        engine->limits.mode = MODE_NODES;
        engine->limits.nodeLimit = limit;
        engine->think(0);
        ASSERT_EQ(listener.ends, std::vector<int32_t>{STOP_NORMAL}) << limit;
        EXPECT_NE(engine->lastMove, noMove) << limit;
        EXPECT_TRUE(isLegalIn(START_FEN, engine->lastMove)) << limit;
        EXPECT_LT(engine->limits.depthReached, 127);
    }
}

TEST_F(ThinkTest, DepthLimitBelowOnePlaysTheBestOrderedMove) {
    depthSearch("6k1/8/8/8/8/8/3q4/3Q2K1 w - - 0 1", 0);
    ASSERT_EQ(listener.ends, std::vector<int32_t>{STOP_NORMAL});
    EXPECT_EQ(engine->limits.depthReached, 0);
    const Move played = engine->lastMove;
    setFen("6k1/8/8/8/8/8/3q4/3Q2K1 w - - 0 1");
    // The pre-ordering puts the free queen capture first.
    EXPECT_EQ(played, move("d1d2"));
}

TEST_F(ThinkTest, MoveTimeAndClockSearchesEndByThemselves) {
    setFen(START_FEN);
    engine->limits.mode = MODE_MOVE_TIME;
    engine->limits.timePerMove = 50000;
    const auto start = std::chrono::steady_clock::now();
    engine->think(0);
    EXPECT_NE(engine->lastMove, noMove);

    setFen(START_FEN);
    engine->limits.mode = MODE_CLOCK;
    engine->limits.clock[WHITE] = 100.0f;  // 100 ms left: the budget is capped at 30 ms
    engine->limits.movesToGo = 1;
    engine->think(0);
    EXPECT_EQ(engine->limits.timeBudget, 30000u);
    EXPECT_NE(engine->lastMove, noMove);
    // Generous: only a search that ignored its budget would take this long.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(ThinkTest, SingleLegalMoveUnderAClockEndsAfterTheFirstIteration) {
    const char* fen = "k7/8/8/8/8/8/1r6/K7 w - - 0 1";  // only Kxb2
    setFen(fen);
    engine->limits.mode = MODE_CLOCK;
    engine->limits.clock[WHITE] = 600000.0f;
    engine->think(0);
    EXPECT_EQ(listener.reports.size(), 1u);
    setFen(fen);
    EXPECT_EQ(engine->gameHistory[0].move, move("a1b2"));
    // In other modes it searches on.
    listener.reports.clear();
    depthSearch(fen, 4);
    EXPECT_EQ(listener.reports.size(), 4u);
}

TEST_F(ThinkTest, MateUnderAClockEndsTheSearchFromIterationSix) {
    setFen("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    engine->limits.mode = MODE_CLOCK;
    engine->limits.clock[WHITE] = 600000.0f;
    engine->limits.movesToGo = 0;
    engine->think(0);
    ASSERT_EQ(listener.ends, std::vector<int32_t>{STOP_NORMAL});
    ASSERT_FALSE(listener.reports.empty());
    EXPECT_EQ(listener.reports.back().depth, 6);
    EXPECT_EQ(listener.reports.back().score, MATE_SCORE - 1);
    EXPECT_EQ(engine->limits.depthReached, 5);
}

TEST_F(ThinkTest, InfiniteSearchReportsButDoesNotPlay) {
    setFen(START_FEN);
    engine->limits.mode = MODE_INFINITE;
    engine->limits.timePerMove = 1;
    listener.onReport = [&](const PvReport& report) {
        if (report.depth >= 4) engine->stopReason = STOP_NORMAL;
    };
    engine->think(0);
    EXPECT_EQ(engine->limits.timeBudget, UINT32_MAX);
    EXPECT_EQ(listener.reports.back().depth, 4);
    EXPECT_NE(engine->lastMove, noMove);
    EXPECT_EQ(engine->gameHistoryCount, 0);
}

TEST_F(ThinkTest, AbortPlaysNothing) {
    setFen(START_FEN);
    engine->limits.mode = MODE_DEPTH;
    engine->limits.maxDepth = 10;
    listener.onReport = [&](const PvReport& report) {
        if (report.depth >= 2) engine->stopReason = STOP_ABORTED;
    };
    engine->think(0);
    EXPECT_EQ(listener.ends, std::vector<int32_t>{STOP_ABORTED});
    EXPECT_EQ(engine->lastMove, noMove);
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_EQ(engine->searching, 0);
}

TEST_F(ThinkTest, PonderSearchTakesThePonderedMoveBack) {
    setFen(START_FEN);
    ASSERT_EQ(engine->playMoveText("e2e4"), 1);
    const uint64_t keyBefore = engine->position.key;
    engine->limits.ponderEnabled = 1;
    engine->limits.mode = MODE_DEPTH;
    engine->limits.maxDepth = 3;
    engine->think(1);
    // The depth limit was reached: the result is held back.
    EXPECT_EQ(listener.ends, std::vector<int32_t>{STOP_PONDER_DEPTH});
    EXPECT_EQ(engine->gameHistoryCount, 0);
    EXPECT_NE(engine->position.key, keyBefore);
    EXPECT_EQ(engine->limits.pondering, 0);
    EXPECT_NE(engine->lastMove, noMove);

    // Stopped early while pondering.
    listener.ends.clear();
    ASSERT_EQ(engine->playMoveText("e2e4"), 1);
    engine->limits.maxDepth = 10;
    listener.onReport = [&](const PvReport& report) {
        if (report.depth >= 2) engine->stopReason = STOP_NORMAL;
    };
    engine->think(1);
    EXPECT_EQ(listener.ends, std::vector<int32_t>{STOP_PONDER});
    EXPECT_EQ(engine->gameHistoryCount, 0);
}

TEST_F(ThinkTest, PonderMoveIsALegalReply) {
    const char* fen = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";
    engine->limits.ponderEnabled = 1;
    depthSearch(fen, 4);
    const Move ponder = engine->limits.ponderMove;
    ASSERT_NE(ponder, noMove);
    ScoredMove replies[MAX_MOVES];
    const int32_t count = generateLegalMoves(engine->position, replies, isInCheck(engine->position));
    bool found = false;
    for (int32_t i = 0; i < count; ++i) found |= replies[i].move == ponder;
    EXPECT_TRUE(found);
}

TEST_F(ThinkTest, MultiPvLinesHaveDistinctFirstMoves) {
    setFen(START_FEN);
    engine->multiPv = 3;
    depthSearch(START_FEN, 4);
    EXPECT_EQ(engine->pvLines.lineCount, 3);
    std::set<Move> firsts;
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(engine->pvLines.lines[i].depth, 4);
        EXPECT_GT(engine->pvLines.lines[i].pvLength, 0);
        firsts.insert(engine->pvLines.lines[i].pv[0]);
    }
    EXPECT_EQ(firsts.size(), 3u);
    EXPECT_EQ(engine->lastMove, engine->pvLines.lines[0].pv[0]);
    for (int32_t i = 1; i < 3; ++i) EXPECT_GE(engine->pvLines.lines[0].score, engine->pvLines.lines[i].score);
    // Each iteration reports its three lines once, after the last line.
    EXPECT_EQ(listener.reports.size(), 12u);
    EXPECT_EQ(listener.reports.back().line, 3);

    // Two legal moves give two lines; a clock search always searches one.
    depthSearch("k7/8/8/8/8/8/8/K6r w - - 0 1", 3);
    EXPECT_EQ(engine->pvLines.lineCount, 2);
    setFen(START_FEN);
    engine->limits.mode = MODE_CLOCK;
    engine->limits.clock[WHITE] = 1000.0f;
    engine->think(0);
    EXPECT_EQ(engine->pvLines.lineCount, 1);
}

TEST_F(ThinkTest, StoppedMultiPvLineNeverOutranksAFinishedLine) {
    engine->multiPv = 3;
    for (uint64_t limit : {uint64_t(200), uint64_t(1500), uint64_t(4000), uint64_t(9000)}) {
        setFen(START_FEN);
        engine->limits.mode = MODE_NODES;
        engine->limits.nodeLimit = limit;
        engine->think(0);
        const MultiPvTable& table = engine->pvLines;
        ASSERT_EQ(table.lineCount, 3);
        bool anyFinished = false;
        for (int32_t i = 0; i < 3; ++i) anyFinished |= table.lines[i].pvLength > 0 && !table.lines[i].unfinished;
        if (anyFinished) {
            EXPECT_FALSE(table.lines[0].unfinished) << limit;
        }
        if (table.lines[0].pvLength > 0) {
            EXPECT_EQ(engine->gameHistory[0].move, table.lines[0].pv[0]) << limit;
        }
        EXPECT_NE(engine->lastMove, noMove);
    }
}

TEST(MultiPvSort, DeepestFirstThenScoreAndUnfinishedLast) {
    MultiPvTable table;
    table.lineCount = 4;
    auto set = [&](int32_t i, int32_t depth, int32_t score, Move first, bool unfinished) {
        table.lines[i].depth = depth;
        table.lines[i].score = score;
        table.lines[i].pvLength = 1;
        table.lines[i].pv[0] = first;
        table.lines[i].unfinished = unfinished;
    };
    set(0, 5, 10, 1, false);
    set(1, 6, 80, 2, true);  // cut short at depth 6
    set(2, 6, 5, 3, false);
    set(3, 5, 40, 4, false);
    table.sortLines();
    const Move expected[4] = {3, 4, 1, 2};
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(table.lines[i].pv[0], expected[i]) << i;
}

TEST_F(ThinkTest, InfiniteModeHasNoTimeTest) {
    // A start far in the past: any time test would end the search at once.
    for (TimeControlMode mode : {MODE_INFINITE, MODE_MOVE_TIME}) {
        engine->stopReason = STOP_RUNNING;
        engine->limits.mode = mode;
        engine->limits.pondering = 0;
        engine->limits.startTimeUs = 0;
        engine->limits.timeBudget = 1;
        engine->limits.checkCounter = 0;
        bool goOn = true;
        for (int32_t i = 0; i < 4096 && goOn; ++i) goOn = engine->checkStop();
        EXPECT_EQ(goOn, mode == MODE_INFINITE) << mode;
    }
}

TEST_F(ThinkTest, StoppedMultiPvSearchPlaysTheBestFinishedLine) {
    // Stops land at every point of the iterations; whenever the first line of an iteration is
    // cut short, the move played must be the best line of the last finished iteration.
    engine->multiPv = 3;
    int32_t firstLineStops = 0;
    for (uint64_t limit = 500; limit < 60000; limit = limit * 5 / 4) {
        listener.reports.clear();
        setFen(START_FEN);
        engine->limits.mode = MODE_NODES;
        engine->limits.nodeLimit = limit;
        engine->think(0);
        const PvLine& top = engine->pvLines.lines[0];
        ASSERT_GT(top.pvLength, 0) << limit;
        EXPECT_EQ(top.unfinished, 0) << limit;
        EXPECT_EQ(engine->lastMove, top.pv[0]) << limit;
        if (listener.reports.empty() || top.depth != listener.reports.back().depth) continue;
        ++firstLineStops;
        const PvReport& lastBest = listener.reports[listener.reports.size() - 3];
        ASSERT_EQ(lastBest.line, 1);
        EXPECT_EQ(engine->lastMove, lastBest.pv.front()) << limit;
    }
    EXPECT_GT(firstLineStops, 0);
}
