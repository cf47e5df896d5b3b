// Runtime start-up: fatal-signal handlers, the locale, the collector and the module globals, then
// the managed Main.
#pragma once

#include <string>
#include <vector>

// Supplied by the program's composition root.
void zv_init_globals();  // initialises every module's globals, in order
int Main();

// Runs the start-up sequence and Main; an escaped ThrowableObject is reported as uncaught.
int zv_start(int argc, char** argv);

// The command-line arguments zv_start was given.
const std::vector<std::string>& zv_args();
