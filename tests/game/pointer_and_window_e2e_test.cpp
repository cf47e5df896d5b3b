// The real spraywick under X, played with the mouse and resized by the player: real pointer
// events through xdotool, and the window's geometry as the X server reports it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "tests/game/running_game.h"
#include "tests/support/sound_capture.h"
#include "tests/support/temp_folder.h"

namespace {

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

struct Geometry {
    int x = -1, y = -1, width = 0, height = 0;
};

Geometry GeometryOf(const RunningGame& game) {
    Geometry g;
    std::string text = Shell("xdotool getwindowgeometry " + game.window);
    std::sscanf(text.c_str(), "Window %*s Position: %d,%d (screen: %*d) Geometry: %dx%d", &g.x, &g.y, &g.width,
                &g.height);
    return g;
}

void Pointer(const RunningGame& game, int x, int y, const std::string& action) {
    Shell("xdotool mousemove --window " + game.window + " " + std::to_string(x) + " " + std::to_string(y) + " " +
          action);
}

TEST(PointerEndToEnd, AClickStartsARunAndTheHeldButtonSwingsTheSkierTowardsIt) {
    UseOpenAlConfig(OpenAlConfig("silent"));
    TempFolder dir("spraywick-pointer");
    dir.LinkGameData();
    RunningGame game(BuiltGame(), dir.path());
    Sleep(1.5);

    // A creature may end a run before both swings are seen: the title comes back, and the next
    // attempt clicks again.
    bool seen = false;
    for (int attempt = 0; attempt < 4 && !seen; ++attempt) {
        Pointer(game, 320, 240, "click 1");
        Sleep(0.5);
        Skier started = FindSkier(game.Shoot("pointer-run"));
        Pointer(game, 50, 50, "mousedown 1");  // upper left: clockwise of the rope
        Sleep(0.8);
        Skier clockwise = FindSkier(game.Shoot("pointer-clockwise"));
        Pointer(game, 600, 470, "");  // lower right, still held: anticlockwise
        Sleep(1.2);
        Skier anticlockwise = FindSkier(game.Shoot("pointer-anticlockwise"));
        Pointer(game, 600, 470, "mouseup 1");
        bool crashed = false;
        for (const Skier& skier : {started, clockwise, anticlockwise}) crashed |= skier.crashed || skier.red < 3;
        if (crashed) {
            Sleep(3);  // the wipeout and the return of the title
            continue;
        }
        seen = true;
        EXPECT_NEAR(started.angle, 135, 3) << "the click swung the skier";
        EXPECT_GT(clockwise.angle, started.angle + 2) << "held at the upper left";
        EXPECT_LT(anticlockwise.angle, clockwise.angle - 2) << "held at the lower right";
    }
    EXPECT_TRUE(seen) << "every attempt crashed too soon";
    EXPECT_TRUE(game.Running());
}

// The test's screen is 1280 x 1024 (tools/run-tests).
TEST(WindowEndToEnd, F11AndAltEnterSwitchFullscreenAndBack) {
    UseOpenAlConfig(OpenAlConfig("silent"));
    TempFolder dir("spraywick-fullscreen");
    dir.LinkGameData();
    RunningGame game(BuiltGame(), dir.path());
    Sleep(1);
    Geometry windowed = GeometryOf(game);
    ASSERT_EQ(windowed.width, 640);
    ASSERT_EQ(windowed.height, 480);
    for (const char* keys : {"F11", "alt+Return"}) {
        SCOPED_TRACE(keys);
        game.Key("key", keys);
        Sleep(1);
        Geometry full = GeometryOf(game);
        EXPECT_EQ(full.x, 0);
        EXPECT_EQ(full.y, 0);
        EXPECT_EQ(full.width, 1280);
        EXPECT_EQ(full.height, 1024);
        // The picture scales by two and centres, with the sea in the bars above and below.
        Screenshot shot = game.Shoot("fullscreen");
        EXPECT_EQ(shot.width, 1280);
        Pixel bar = shot.At(640, 8);
        EXPECT_TRUE(std::abs(bar.r - 32) < 12 && std::abs(bar.g - 96) < 12 && std::abs(bar.b - 128) < 12);
        game.Key("key", keys);
        Sleep(1);
        Geometry back = GeometryOf(game);
        EXPECT_EQ(back.width, 640);
        EXPECT_EQ(back.height, 480);
        EXPECT_EQ(back.x, windowed.x);
        EXPECT_EQ(back.y, windowed.y);
    }
    EXPECT_TRUE(game.Running());
    EXPECT_EQ(game.Close(), 0);
}

}  // namespace
