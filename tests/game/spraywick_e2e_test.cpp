// The real spraywick binary under X: real key presses through xdotool, screenshots of its window,
// and the state file it leaves behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stb/stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <thread>

#include "tests/game/screen_text.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

struct Pixel {
    int r, g, b;
};

struct Screenshot : RgbImage {
    Pixel At(int x, int y) const {
        const unsigned char* p = &rgb[size_t((y * width + x) * 3)];
        return {p[0], p[1], p[2]};
    }
};

bool IsSea(Pixel p) { return std::abs(p.r - 32) < 12 && std::abs(p.g - 96) < 12 && std::abs(p.b - 128) < 12; }
bool IsRope(Pixel p) { return p.r > 140 && p.g > 90 && p.b < 110; }
bool IsSkierRed(Pixel p) { return p.r > 150 && p.g < 110 && p.b < 110; }

// The game in a fresh folder that links to its data, so its state file is the test's own.
class RunningGame {
public:
    RunningGame() {
        dir.LinkGameData();
        std::string binary = std::string(ZV_BINARY_DIR) + "/spraywick";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        char* argv[] = {const_cast<char*>(binary.c_str()), nullptr};
        EXPECT_EQ(posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        window = Shell("timeout 20 xdotool search --sync --name '^Spraywick$' | head -1");
        EXPECT_FALSE(window.empty()) << "no window captioned Spraywick appeared";
        Shell("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window);
    }
    ~RunningGame() {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }

    void Key(const std::string& action, const std::string& key) {
        Shell("xdotool " + action + " --window " + window + " " + key);
    }

    Screenshot Shoot(const std::string& name) {
        std::string path = std::string(ZV_BINARY_DIR) + "/e2e-" + name + ".png";
        Shell("import -window " + window + " " + path);
        Screenshot shot;
        int channels;
        unsigned char* pixels = stbi_load(path.c_str(), &shot.width, &shot.height, &channels, 3);
        EXPECT_NE(pixels, nullptr) << "no screenshot at " << path;
        if (pixels) shot.rgb.assign(pixels, pixels + shot.width * shot.height * 3);
        stbi_image_free(pixels);
        return shot;
    }

    std::string StateFile() const { return dir.Read(".zorvexstate", ""); }

    TempFolder dir{"spraywick-e2e"};
    pid_t pid = 0;
    std::string window;
};

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
    RunningGame game;
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
        state = game.StateFile();
    }
    ASSERT_FALSE(state.empty()) << "no crash wrote a best score within a minute";
    EXPECT_GT(std::atoi(state.c_str()), 0);
    EXPECT_EQ(state, std::to_string(std::atoi(state.c_str()))) << "the state is the decimal score alone";
}

// Where the game's text starts on a 640 x 480 window: 20 pixels in from the left.
constexpr int kTextX = 20, kPromptY = 20, kScoreY = 400, kLastY = 420, kBestY = 440;

TEST(SpraywickEndToEnd, ShowsThePromptAndTheScoresInEveryState) {
    ScreenText text;
    RunningGame game;
    Sleep(1.5);
    Screenshot title = game.Shoot("text-title");
    EXPECT_TRUE(text.Shows(title, kTextX, kPromptY, "Hit 'space' to play"));
    EXPECT_EQ(text.NumberAfter(title, kTextX, kScoreY, "Score: "), "0");
    EXPECT_EQ(text.NumberAfter(title, kTextX, kLastY, "Last score: "), "0");
    EXPECT_EQ(text.NumberAfter(title, kTextX, kBestY, "Best score: "), "0") << "no state file yet";

    // Skiing: the prompt has slid away, the score counts.
    game.Key("key", "space");
    Sleep(0.5);
    Screenshot run = game.Shoot("text-run");
    EXPECT_FALSE(text.Shows(run, kTextX, kPromptY, "Hit 'space' to play"));
    EXPECT_GT(std::atoi(text.NumberAfter(run, kTextX, kScoreY, "Score: ").c_str()), 0);
    EXPECT_TRUE(text.Shows(run, kTextX, kLastY, "Last score: "));
    EXPECT_EQ(text.NumberAfter(run, kTextX, kBestY, "Best score: "), "0");

    // Wiped out: the run's score is the new best, on screen and in the state file.
    std::string state;
    for (int i = 0; i < 300 && state.empty(); ++i) {
        Sleep(0.2);
        state = game.StateFile();
    }
    ASSERT_FALSE(state.empty()) << "no crash within a minute";
    Screenshot wiped = game.Shoot("text-wipeout");
    EXPECT_EQ(text.NumberAfter(wiped, kTextX, kBestY, "Best score: "), state);
    EXPECT_EQ(text.NumberAfter(wiped, kTextX, kScoreY, "Score: "), state);
    EXPECT_EQ(text.NumberAfter(wiped, kTextX, kLastY, "Last score: "), "0");

    // The title again, with the prompt back; then the next run shows the last score.
    Sleep(2.8);
    Screenshot back = game.Shoot("text-title-again");
    EXPECT_TRUE(text.Shows(back, kTextX, kPromptY, "Hit 'space' to play"));
    EXPECT_EQ(text.NumberAfter(back, kTextX, kBestY, "Best score: "), state);
    game.Key("key", "space");
    Sleep(0.3);
    Screenshot next = game.Shoot("text-next-run");
    EXPECT_EQ(text.NumberAfter(next, kTextX, kLastY, "Last score: "), state);
    EXPECT_EQ(text.NumberAfter(next, kTextX, kBestY, "Best score: "), state);
}

TEST(SpraywickEndToEnd, AMissingImageIsReportedByName) {
    TempFolder dir("spraywick-missing");
    std::string data = std::string(ZV_SOURCE_DIR) + "/data";
    Shell("mkdir '" + dir.path() + "/data' && ln -s '" + data + "'/* '" + dir.path() + "/data/' && rm '" +
          dir.path() + "/data/whale.png'");
    ProcessResult result = run_process(std::string(ZV_BINARY_DIR) + "/spraywick", {}, "", dir.path());
    EXPECT_EQ(result.exit_status, 255);
    EXPECT_EQ(result.out.rfind("Zorvex Runtime Error : Unable to load image \"whale.png\"\n", 0), 0u) << result.out;
}

}  // namespace
