// The game at its peak load: held at a score of 1800, where a creature rises every update, so
// that about 300 creatures, 1500 wakes and 720 waves are alive. Prints the median and worst time
// of an update (with its collector step) and of a render through the real renderer, the draw
// calls per frame, the live objects and the collector's live bytes. Needs an X display; under
// Xvfb the renderer is software OpenGL, so render times are the CPU's.
//
//   xvfb-run -a build/bench/bench_game_peak      (from the folder that holds data/)
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "framework/app.h"
#include "framework/graphics.h"
#include "game/creature.h"
#include "game/jamapp.h"
#include "game/wake.h"
#include "game/wave.h"
#include "native/glfwgame.h"
#include "runtime/gc.h"
#include "runtime/startup.h"

namespace {

constexpr int kWarmUpdates = 900;
constexpr int kMeasuredUpdates = 600;

using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

// A crash ends the run; put the skier straight back so the load never drops.
void HoldAtPeak(c_JamApp* app) {
    app->gameState = c_JamApp::StateSkiing;
    app->playerSkiing = true;
    app->score = 1800;
}

void PrintTimes(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-28s median %7.3f ms   worst %7.3f ms\n", what, times[times.size() / 2], times.back());
}

int LiveObjects() {
    return gc_list_count(gc_list_id::white) + gc_list_count(gc_list_id::grey) + gc_list_count(gc_list_id::black);
}

}  // namespace

int main(int argc, char** argv) {
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        return 1;
    }
    auto* host = new ZVZorvexGame();
    zv_start(argc, argv);
    host->OpenGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    host->StartGame();
    host->KeyEvent(c_ZVGameEvent::KeyDown, 32);
    host->KeyEvent(c_ZVGameEvent::KeyUp, 32);

    std::vector<double> updates, renders;
    int drawCalls = 0;
    for (int i = 0; i < kWarmUpdates + kMeasuredUpdates; ++i) {
        if (i > 0) HoldAtPeak(jamApp);
        auto start = Clock::now();
        host->UpdateGame();  // includes the collector step after the call
        double update = Millis(start);

        start = Clock::now();
        host->RenderGame();
        glFinish();
        double render = Millis(start);
        drawCalls = graphicsDevice->drawCalls;
        glfwSwapBuffers(host->Window());

        if (i >= kWarmUpdates) {
            updates.push_back(update);
            renders.push_back(render);
        }
    }

    std::printf("Peak load after %d updates, measured over %d (software OpenGL under Xvfb):\n", kWarmUpdates,
                kMeasuredUpdates);
    std::printf("  creatures %d, wakes %d, waves %d\n", c_Creature::list->Count(), c_Wake::list->Count(),
                c_Wave::list->Count());
    PrintTimes("  update + collector step", updates);
    PrintTimes("  render", renders);
    std::printf("  draw calls per frame         %d\n", drawCalls);
    std::printf("  live objects (unswept too)   %d\n", LiveObjects());
    std::printf("  collector live bytes         %d\n", gc.live_bytes);
    glfwTerminate();
    return 0;
}
