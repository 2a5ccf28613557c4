#include "search/engine.h"
