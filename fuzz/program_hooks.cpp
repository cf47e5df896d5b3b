// The program hooks the runtime links against, for targets that run no managed program; a target
// that starts modules of its own defines them itself, and its definitions win. Each target
// queues its own collector roots.
#include "runtime/startup.h"

__attribute__((weak)) void zv_init_globals() {}
__attribute__((weak)) int Main() { return 0; }
