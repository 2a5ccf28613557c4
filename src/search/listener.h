// The interface through which the engine reports; the base does nothing.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "search/limits.h"

class Engine;

class SearchListener {
public:
    Engine* engine = nullptr;

    virtual ~SearchListener() = default;
    virtual void onSearchEnd(StopReason /*reason*/) {}
    virtual void onPv(int32_t /*depth*/, int32_t /*score*/, const Move* /*pv*/, double /*elapsedUs*/,
                      int32_t /*pvLength*/, uint64_t /*nodes*/, int32_t /*seldepth*/, int32_t /*bound*/) {}
    virtual void onMultiPv(int32_t /*line*/, int32_t /*depth*/, int32_t /*score*/, double /*elapsedUs*/,
                           const Move* /*pv*/, int32_t /*pvLength*/, uint64_t /*nodes*/,
                           int32_t /*seldepth*/, int32_t /*bound*/) {}
    virtual void onHashFull(int32_t /*value*/) {}
    virtual void onDepth(int32_t /*depth*/) {}
    virtual void onInputPending() {}
    virtual void onCurrMove(Move /*move*/, int32_t /*number*/) {}
    virtual void onRootScore(int32_t /*score*/) {}
    virtual void onInfoString(const char* /*text*/) {}
};
