#include "board/movegen.h"
#include "search/engine.h"

void Engine::findPonderMove(Move bestMove, Move& ponderMove) {
    if (bestMove == noMove) return;
    UndoRecord bestUndo;
    position.doMove(bestMove, bestUndo);
    if (position.isSquareAttacked(position.kingSquare[position.otherSide], position.sideToMove)) {
        position.undoMove(bestMove, bestUndo);
        return;
    }
    // The table's reply, screened first: a key collision could hand back a move of another position.
    ponderMove = noMove;
    const Move stored = tt.storedMove(position.key);
    if (stored != noMove && position.isPseudoLegal(stored)) {
        UndoRecord replyUndo;
        position.doMove(stored, replyUndo);
        if (!position.isSquareAttacked(position.kingSquare[position.otherSide], position.sideToMove))
            ponderMove = stored;
        position.undoMove(stored, replyUndo);
    }
    if (ponderMove == noMove) {
        ScoredMove replies[MAX_MOVES];
        if (generateLegalMoves(position, replies, isInCheck(position)) > 0) ponderMove = replies[0].move;
    }
    position.undoMove(bestMove, bestUndo);
}
