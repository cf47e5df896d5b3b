// Spraywick: an endless water-ski run seen from above.
#include <cstdio>
#include <cstring>

#include "native/entry.h"
#include "native/install_paths.h"

namespace {

const char* const HELP =
    "Usage: spraywick [--help | --version]\n"
    "An endless water-ski run: space starts, the arrow keys or W, A, S, D swing the skier.";

}  // namespace

int main(int argc, char** argv) {
    // Answered before GLFW starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("Spraywick " ZV_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::puts(HELP);
            return 0;
        }
    }
    if (!ZVUseInstallPaths()) return -1;
    return zv_host_main(argc, argv);
}
