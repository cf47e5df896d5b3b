// The real spraywick binary under X: real key presses through xdotool, screenshots of its window,
// and the state file it leaves behind.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "tests/game/running_game.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace {

bool IsSea(Pixel p) { return std::abs(p.r - 32) < 12 && std::abs(p.g - 96) < 12 && std::abs(p.b - 128) < 12; }
bool IsRope(Pixel p) { return p.r > 140 && p.g > 90 && p.b < 110; }
bool IsSkierRed(Pixel p) { return p.r > 150 && p.g < 110 && p.b < 110; }

// The stern, where the rope starts, on a 640 x 480 window.
constexpr double kSternX = 630, kSternY = 10;
constexpr double kPi = 3.14159265358979;

// The skier: the red pixels 370 to 440 pixels from the stern, within 25 degrees of straight
// behind the boat (135 degrees), which keeps the buoys' lanes out. `angle` is their direction
// from the stern. Red all over the screen means the "wasted" banner of a crash.
struct Skier {
    double angle = 0;
    int red = 0;
    bool crashed = false;
};

Skier FindSkier(const Screenshot& shot) {
    Skier skier;
    double angles = 0;
    int all_red = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            if (!IsSkierRed(shot.At(x, y))) continue;
            ++all_red;
            double distance = std::hypot(x - kSternX, y - kSternY);
            double angle = std::atan2(y - kSternY, x - kSternX) * 180 / kPi;
            if (distance >= 370 && distance <= 440 && std::abs(angle - 135) <= 25) {
                angles += angle;
                ++skier.red;
            }
        }
    }
    if (skier.red) skier.angle = angles / skier.red;
    skier.crashed = all_red > 400;
    return skier;
}

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

TEST(SpraywickEndToEnd, PlaysAndKeepsTheBestScore) {
    // A fresh folder that links to the data, so the state file is the test's own.
    TempFolder dir("spraywick-e2e");
    dir.LinkGameData();
    RunningGame game(BuiltGame(), dir.path());
    Sleep(1.5);
    Screenshot title = game.Shoot("title");
    ASSERT_EQ(title.width, 640);
    ASSERT_EQ(title.height, 480);

    // The sea fills the view; the corners away from the boat are mostly sea colour.
    int sea = 0;
    for (int y = 380; y < 480; y += 4)
        for (int x = 0; x < 100; x += 4) sea += IsSea(title.At(x, y));
    EXPECT_GT(sea, 400) << "of 625 samples in the bottom-left corner";

    // The boat sits in the top-right corner, where the sea colour gives way.
    int boat = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 620; x < 640; ++x) boat += !IsSea(title.At(x, y));
    EXPECT_GT(boat, 100) << "of 400 pixels at the boat";

    // The rope runs 400 pixels from the stern (630, 10) down and to the left, at 135 degrees.
    int rope = 0;
    for (int d = 40; d < 380; d += 10) {
        int x = int(630 - d * 0.7071), y = int(10 + d * 0.7071);
        bool found = false;
        for (int dy = -3; dy <= 3 && !found; ++dy)
            for (int dx = -3; dx <= 3 && !found; ++dx) found = IsRope(title.At(x + dx, y + dy));
        rope += found;
    }
    EXPECT_GT(rope, 28) << "of 34 points along the rope";

    // Space starts a run with the skier up at the rope's end, straight behind the boat; holding
    // left swings the skier clockwise on screen, to the left and up. A creature may end a run first: then the
    // title comes back and the next attempt starts another run.
    int swings = 0;
    for (int attempt = 0; attempt < 4 && swings == 0; ++attempt) {
        game.Key("key", "space");
        Sleep(0.3);
        Skier skier = FindSkier(game.Shoot("run"));
        game.Key("keydown", "Left");
        Sleep(0.8);
        Skier swung = FindSkier(game.Shoot("swung"));
        game.Key("keyup", "Left");
        if (skier.crashed || swung.crashed || skier.red < 3 || swung.red < 3) {
            Sleep(3);  // the wipeout and the return of the title
            continue;
        }
        ++swings;
        EXPECT_NEAR(skier.angle, 135, 5);
        EXPECT_GT(swung.angle, skier.angle + 2) << "the skier did not swing clockwise";
    }
    EXPECT_EQ(swings, 1) << "every attempt crashed before the swing could be seen";

    // Sooner or later the skier crashes, and the score is kept.
    std::string state;
    for (int i = 0; i < 120 && state.empty(); ++i) {
        Sleep(0.5);
        state = dir.Read(".zorvexstate", "");
    }
    ASSERT_FALSE(state.empty()) << "no crash wrote a best score within a minute";
    EXPECT_GT(std::atoi(state.c_str()), 0);
    EXPECT_EQ(state, std::to_string(std::atoi(state.c_str()))) << "the state is the decimal score alone";
}

TEST(SpraywickEndToEnd, AMissingImageIsReportedByName) {
    TempFolder dir("spraywick-missing");
    std::string data = std::string(ZV_SOURCE_DIR) + "/data";
    Shell("mkdir '" + dir.path() + "/data' && ln -s '" + data + "'/* '" + dir.path() + "/data/' && rm '" +
          dir.path() + "/data/whale.png'");
    ProcessResult result = run_process(BuiltGame(), {}, "", dir.path());
    EXPECT_EQ(result.exit_status, 255);
    EXPECT_EQ(result.out.rfind("Zorvex Runtime Error : Unable to load image \"whale.png\"\n", 0), 0u) << result.out;
}

}  // namespace
