// The program hooks the runtime links against. The fuzz targets never run a managed Main; each
// queues its own collector roots.
#include "runtime/startup.h"

void zv_init_globals() {}
int Main() { return 0; }
