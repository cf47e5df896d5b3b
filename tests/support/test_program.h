// Program hooks for test executables that do not link the game: the runtime's globals are
// initialised once, and tests register their own roots.
#pragma once

#include <vector>

#include "runtime/gc.h"

// Objects greyed by gc_queue_roots, as module globals would be.
extern std::vector<gc_object*> test_roots;

// Starts a clean collector: empty lists, zeroed counters, fresh globals.
void reset_runtime();
