// The browser's host: the desktop host on Emscripten's GLFW, except that the page owns the frame
// (it calls the host once per display frame), the page's focus and visibility suspend the game,
// and the state file lives in a folder that the browser keeps in IndexedDB (web_paths.cpp).
#pragma once

#include "native/glfwgame.h"

class ZVWebGame : public ZVGlfwGame {
public:
    // Saves as the desktop does, then writes the folder out to IndexedDB.
    int SaveState(const String& state) override;
    // Opens the canvas, starts the game and hands the frames to the browser; never returns.
    void RunLoop() override;
    // A pad the browser gives the standard layout.
    bool ArrangeKnownPad(int joystick, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                         Array<bool> buttons) override;
};

class ZVZorvexGame : public ZVWebGame {};
