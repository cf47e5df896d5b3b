// Runs the real game (its Main, the real host object and delegate, a real window) on a fixed
// schedule instead of the clock: one render per update, key events at chosen updates. It
// reports what the game did, so that runs can be compared and recorded.
//
//   scripted_run UPDATES [EVENT...]
//     EVENT  U:down:KEY | U:up:KEY | U:tap:KEY   key event just before update U
//            U:report                            a report line after update U
//            U:rope                              the rope's angle and turn rate after update U
//            U:shot:FILE.png                     the frame rendered after update U
//   A report line is printed after the last update too.
#include <GLFW/glfw3.h>
#include <stb/stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "framework/app.h"
#include "game/buoy.h"
#include "game/cloud.h"
#include "game/creature.h"
#include "game/jamapp.h"
#include "game/wake.h"
#include "game/wave.h"
#include "native/glfwgame.h"
#include "runtime/startup.h"
#include "runtime/std/random.h"

namespace {

struct Event {
    std::string what;
    std::string argument;
};

void Report(int update) {
    c_JamApp* app = jamApp;
    std::printf("update=%d score=%d state=%d best=%d skiing=%d creatures=%d waves=%d wakes=%d clouds=%d buoys=%d "
                "seed=%u\n",
                update, app->score, app->gameState, app->bestScore, app->playerSkiing ? 1 : 0,
                c_Creature::list->Count(), c_Wave::list->Count(), c_Wake::list->Count(), c_Cloud::list->Count(),
                c_Buoy::list->Count(), unsigned(rndSeed));
    std::fflush(stdout);
}

void Screenshot(const std::string& path) {
    std::vector<unsigned char> pixels(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    stbi_flip_vertically_on_write(1);
    if (!stbi_write_png(path.c_str(), 640, 480, 3, pixels.data(), 640 * 3)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s UPDATES [EVENT...]\n", argv[0]);
        return 2;
    }
    int updates = std::atoi(argv[1]);
    std::multimap<int, Event> script;
    for (int i = 2; i < argc; ++i) {
        std::string spec = argv[i];
        size_t first = spec.find(':');
        size_t second = spec.find(':', first + 1);
        Event event{spec.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1),
                    second == std::string::npos ? "" : spec.substr(second + 1)};
        script.emplace(std::atoi(spec.c_str()), event);
    }

    if (!glfwInit()) return 1;
    auto* host = new ZVZorvexGame();
    zv_start(argc, argv);
    host->OpenGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    host->StartGame();

    for (int update = 1; update <= updates; ++update) {
        auto [from, to] = script.equal_range(update);
        for (auto it = from; it != to; ++it) {
            const Event& e = it->second;
            int key = std::atoi(e.argument.c_str());
            if (e.what == "down" || e.what == "tap") host->KeyEvent(c_ZVGameEvent::KeyDown, key);
            if (e.what == "up" || e.what == "tap") host->KeyEvent(c_ZVGameEvent::KeyUp, key);
        }
        host->UpdateGame();
        host->RenderGame();
        for (auto it = from; it != to; ++it) {
            if (it->second.what == "report") Report(update);
            if (it->second.what == "rope") {
                std::printf("update=%d rope=%.3f turn=%.3f\n", update, jamApp->playerAng, jamApp->playerDif);
            }
            if (it->second.what == "shot") Screenshot(it->second.argument);
        }
        glfwSwapBuffers(host->Window());
    }
    Report(updates);
    glfwTerminate();
    return 0;
}
