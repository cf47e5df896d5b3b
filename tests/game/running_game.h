// The real spraywick binary under X, started as a player would start it: from a folder of the
// test's choosing, driven with real key presses through xdotool and looked at in screenshots.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/window_manager.h"

// Runs a shell command and returns its standard output without the trailing newline.
std::string Shell(const std::string& command);

struct Pixel {
    int r, g, b;
};

struct Screenshot {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Pixel At(int x, int y) const {
        const unsigned char* p = &rgb[size_t((y * width + x) * 3)];
        return {p[0], p[1], p[2]};
    }
};

// The skier: the red pixels 370 to 440 pixels from the stern (630, 10) of a 640 x 480 window,
// within 25 degrees of straight behind the boat (135 degrees), which keeps the buoys' lanes out.
// `angle` is their direction from the stern. Red all over the screen means the "wasted" banner
// of a crash.
struct Skier {
    double angle = 0;
    int red = 0;
    bool crashed = false;
};

Skier FindSkier(const Screenshot& shot);

class RunningGame;
// Waits until the crash banner shows, or `seconds` have passed or the game has ended (false).
bool WaitForCrash(RunningGame& game, double seconds);

class RunningGame {
public:
    // Starts `binary` in `folder`, with the test's environment and `environment` ("NAME=value")
    // on top, and waits for its window.
    RunningGame(const std::string& binary, const std::string& folder,
                const std::vector<std::string>& environment = {});
    ~RunningGame();
    RunningGame(const RunningGame&) = delete;
    RunningGame& operator=(const RunningGame&) = delete;

    // True while the game has not exited.
    bool Running();
    // Presses the window's close button; the exit status, or -1 when the game did not end within
    // ten seconds.
    int Close();

    // Everything the game wrote to its standard output and standard error so far.
    std::string Output() const;

    void Key(const std::string& action, const std::string& key);
    // A screenshot of the window, kept in the build folder as e2e-NAME.png.
    Screenshot Shoot(const std::string& name);

    pid_t pid = 0;
    bool exited = false;
    std::string window;  // empty when no window appeared

private:
    std::string outputPath_;
};

// The spraywick binary of this build.
std::string BuiltGame();
