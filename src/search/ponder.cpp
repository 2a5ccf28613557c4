#include "board/movegen.h"
#include "search/engine.h"

void Engine::findPonderMove(Move bestMove, Move& ponderMove) {
    if (bestMove == noMove) return;
    UndoRecord bestUndo;
    if (!position.doMoveIfLegal(bestMove, bestUndo)) return;
    // The table's reply, screened first: a key collision could hand back a move of another position.
    ponderMove = noMove;
    const Move stored = tt.storedMove(position.key);
    if (stored != noMove && position.isPseudoLegal(stored) && position.isLegal(stored)) ponderMove = stored;
    if (ponderMove == noMove) {
        ScoredMove replies[MAX_MOVES];
        if (generateLegalMoves(position, replies, isInCheck(position)) > 0) ponderMove = replies[0].move;
    }
    position.undoMove(bestMove, bestUndo);
}
