// Data paths: names the game gives to its files become virtual paths under "zorvex://data/".
#pragma once

#include "runtime/string.h"

// A path with a scheme ("x:/...", the first "/" right after the colon) or starting with "./" or
// "/" is kept; any other is a name in the game's data folder.
String FixDataPath(String path);
