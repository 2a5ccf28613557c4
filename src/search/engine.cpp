#include "search/engine.h"

int32_t strengthElo = 2600;
int32_t strengthLimited = 0;
