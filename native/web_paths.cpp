// The browser's paths, fixed rather than chosen: the data preloaded with the page, and the state
// file in the folder that web/host.js keeps in IndexedDB and loads before Main runs.
#include "native/install_paths.h"

ZVInstallPaths installPaths{"/data/", "/state/.zorvexstate"};

bool ZVUseInstallPaths() { return true; }
