#include "search/listener.h"
