// The one engine object: position, search state, hash tables, game history.
#pragma once

#include <cstdint>

#include "board/movelist.h"
#include "board/position.h"
#include "book/book.h"
#include "search/evaluate.h"
#include "search/limits.h"
#include "search/listener.h"
#include "search/pawns.h"
#include "search/tt.h"
#include "tools/perft.h"

struct PvLine {
    int32_t previousScore = 0;
    int32_t score = 0;
    int32_t depth = 0;
    int32_t pvLength = 0;
    Move pv[MAX_PLY] = {};
    // Set when the line's last search was cut short; such a line never sorts above a finished one.
    bool unfinished = false;
};

// Most principal variations one search reports (UCI "MultiPV").
inline constexpr int32_t MAX_PV_LINES = 32;

struct MultiPvTable {
    int32_t lineCount = 1;
    int32_t excludedCount = 0;
    Move excluded[MAX_PV_LINES] = {};
    PvLine lines[MAX_PV_LINES];

    // Deepest lines first, then by score.
    void sortLines();
};

// Late-move reductions by [depth in plies][move number], built by Engine::init.
extern int32_t lmrReduction[64][64];

// keyHistory holds gameHistoryCapacity + KEY_HISTORY_SLACK keys: the game plus a full search path.
inline constexpr int32_t KEY_HISTORY_SLACK = 2 * MAX_PLY;
// Game records allocated at construction; the history doubles when a game outgrows it.
inline constexpr int32_t INITIAL_GAME_CAPACITY = 512;

class Engine {
public:
    Position position;
    Evaluator evaluator;
    Move killers[MAX_PLY][2];
    uint16_t history[2][8][64];
    TranspositionTable tt;
    PawnHashTable pawnHash;
    EvalCache evalCache;
    int32_t keyHistoryCount = 0;
    uint64_t* keyHistory = nullptr;   // grows with the game history
    MoveList moveLists[MAX_PLY];
    MoveList rootMoves;
    int32_t pvLength[MAX_PLY];
    Move pvTable[MAX_PLY][MAX_PLY];
    UndoRecord* gameHistory = nullptr;
    OpeningBook book;
    int32_t gameHistoryCount = 0;
    int32_t gameHistoryCapacity = 0;
    bool searching = false;
    StopReason stopReason = STOP_RUNNING;
    // Set by the root driver when the root has a single move: the search ends after the iteration.
    bool endAfterIteration = false;
    Move lastMove = noMove;
    int32_t multiPv = 1;
    MultiPvTable pvLines;
    SearchLimits limits;
    SearchListener defaultListener;
    SearchListener* listener = &defaultListener;
    Perft perft;

    Engine();
    virtual ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Lifecycle (engine object).
    void init(int32_t hashMb);
    void newGame();
    void clear();
    // Allows pondering or forbids it; forbidding also drops the expected reply and ends the
    // ponder state of a running search.
    void setPonderEnabled(bool on);

    // The game record. Only these verbs (with init, newGame and clear) change the position and
    // the game and key histories; the search restores what it changes before it returns.
    // The start position with an empty game.
    void setStartPosition();
    // A FEN position with an empty game; 0 (logged, game unchanged) when the text is refused.
    int32_t setFen(const char* fen);
    int32_t getFen(char* buffer) const;
    // Plays a move word on the game when it is legal here; false leaves the game as it was.
    bool playMove(Move move);
    // One move as coordinate text, or "O-O"/"O-O-O"; a refused move is reported through the
    // listener ("Illegal move: ...") and returns 0.
    int32_t playMoveText(const char* text);
    // Blank-separated moves, played up to the first refused one (reported, returns 0).
    int32_t playMoveList(const char* text);
    // Takes back the last move of the game; 0 when the game has none.
    int32_t undoLastMove();
    // Chess960 or standard chess: Chess960 castling is read and written as king takes rook.
    void setChess960(bool on);
    void growUndoStack();

    // Search.
    // Alpha-beta node; depth in quarter plies (ONE_PLY), at least one ply. `allowNull` is false
    // only in the child of a null move; `inCheck` is the caller's test of the side to move.
    int32_t search(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool allowNull, bool pvNode,
                   bool inCheck);
    // Guarded child entry: 0 once the search is stopped, a draw beyond the deepest ply.
    int32_t searchEntry(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool allowNull, bool pvNode,
                        bool inCheck);
    // Captures (and at its first ply quiet checks) until the position is quiet; depth in plies,
    // 0 at its first ply and negative below.
    int32_t quiescenceSearch(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool pvNode, bool inCheck);
    int32_t quiescenceEntry(int32_t alpha, int32_t beta, int32_t depth, int32_t ply, bool pvNode, bool inCheck);
    bool checkStop();

    // Asking a running search to end (commands read during the search call these). Each does
    // nothing when no search runs.
    // Ends the search with its best move so far (StopReason 2 while pondering, else 1); an
    // abort already asked for stays.
    void stopSearch();
    // Ends the search without a result (quit, new game, shutdown).
    void abortSearch();
    // The opponent played the expected move: the ponder search goes on as the real search,
    // and the next stop check tests the time at once.
    void ponderHit();

    // Root driver, ponder move, book.
    // Runs one search; `ponder` asks for a ponder search (taken only while pondering is
    // allowed). Always returns 1.
    int32_t think(bool ponder = false);
    void findPonderMove(Move bestMove, Move& ponderMove);
    int32_t loadBook(const char* fileName);

private:
    void clearGameRecord();
};
