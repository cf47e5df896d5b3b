#include "tests/game/running_game.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stb/stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <thread>

extern char** environ;

std::string Shell(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

Skier FindSkier(const Screenshot& shot) {
    const double sternX = 630, sternY = 10, degrees = 180 / 3.14159265358979;
    Skier skier;
    double angles = 0;
    int allRed = 0;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            Pixel p = shot.At(x, y);
            if (p.r <= 150 || p.g >= 110 || p.b >= 110) continue;
            ++allRed;
            double distance = std::hypot(x - sternX, y - sternY);
            double angle = std::atan2(y - sternY, x - sternX) * degrees;
            if (distance >= 370 && distance <= 440 && std::abs(angle - 135) <= 25) {
                angles += angle;
                ++skier.red;
            }
        }
    }
    if (skier.red) skier.angle = angles / skier.red;
    skier.crashed = allRed > 400;
    return skier;
}

bool WaitForCrash(RunningGame& game, double seconds) {
    for (double waited = 0; waited < seconds && game.Running(); waited += 0.5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        if (FindSkier(game.Shoot("crash")).crashed) return true;
    }
    return false;
}

std::string BuiltGame() { return std::string(ZV_BINARY_DIR) + "/spraywick"; }

RunningGame::RunningGame(const std::string& binary, const std::string& folder,
                         const std::vector<std::string>& environment) {
    // The test's settings replace inherited ones of the same name.
    auto overridden = [&](const char* inherited) {
        for (const std::string& e : environment) {
            size_t name = e.find('=') + 1;
            if (std::strncmp(inherited, e.c_str(), name) == 0) return true;
        }
        return false;
    };
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (!overridden(*e)) envp.push_back(*e);
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    char outputPath[] = "/tmp/spraywick-output-XXXXXX";
    close(mkstemp(outputPath));
    outputPath_ = outputPath;
    posix_spawn_file_actions_addopen(&actions, 1, outputPath, O_WRONLY | O_APPEND, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    char* argv[] = {const_cast<char*>(binary.c_str()), nullptr};
    EXPECT_EQ(posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    window = Shell("timeout 20 xdotool search --sync --name '^Spraywick$' | head -1");
    EXPECT_FALSE(window.empty()) << "no window captioned Spraywick appeared";
    Shell("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window);
}

RunningGame::~RunningGame() {
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (testing::Test::HasFailure()) std::fprintf(stderr, "The game's output:\n%s", Output().c_str());
    std::remove(outputPath_.c_str());
}

std::string RunningGame::Output() const {
    std::ifstream file(outputPath_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool RunningGame::Running() {
    int status;
    return !exited && waitpid(pid, &status, WNOHANG) == 0;
}

int RunningGame::Close() {
    WindowManager().PressClose(std::stoul(window));
    for (int i = 0; i < 1000; ++i) {
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

void RunningGame::Key(const std::string& action, const std::string& key) {
    Shell("xdotool " + action + " --window " + window + " " + key);
}

Screenshot RunningGame::Shoot(const std::string& name) {
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
