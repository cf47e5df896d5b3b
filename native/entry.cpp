#include "native/entry.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "native/glfwgame.h"
#include "runtime/startup.h"

namespace {

bool mainRunning = false;

// The process can end inside Main (an escaped exception, a runtime error, EndApp); GLFW is shut
// down first then. Later exits happen inside GLFW callbacks, where terminating it is not allowed.
void TerminateGlfwDuringMain() {
    if (mainRunning) glfwTerminate();
}

}  // namespace

int zv_host_main(int argc, char** argv) {
#ifdef GLFW_JOYSTICK_HAT_BUTTONS  // GLFW 3.3 on; the browser's GLFW reports no hats anyway
    // Hats are not reported as extra buttons, so the button layout is the device's own.
    glfwInitHint(GLFW_JOYSTICK_HAT_BUTTONS, GLFW_FALSE);
#endif
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        std::fflush(stdout);
        return -1;
    }
#ifndef __EMSCRIPTEN__  // the browser maps its pads itself
    // A player's own pad mappings, in the form pad tools write, join GLFW's built-in ones.
    if (const char* mappings = std::getenv("SDL_GAMECONTROLLERCONFIG")) glfwUpdateGamepadMappings(mappings);
#endif
    ZVZorvexGame* game = new ZVZorvexGame();  // lives as long as the process

    mainRunning = true;
    std::atexit(TerminateGlfwDuringMain);
    zv_start(argc, argv);
    mainRunning = false;

    if (game->GetDelegate()) game->RunLoop();
    glfwTerminate();
    return 0;
}
