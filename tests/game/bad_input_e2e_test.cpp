// The real spraywick binary given broken files: each case ends in a clear outcome, never a crash
// or a hang. Damaged images end the game with a report that names the file; a state file that
// holds no usable number, or a folder where nothing can be saved, leaves the game playing.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stb/stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

const std::string kBinary = std::string(ZV_BINARY_DIR) + "/spraywick";

std::string Shell(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

void Truncate(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());  // a link into the repository's data: never write through it
    std::ofstream(path, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
}

void Garble(const std::string& path) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += char(i * 7919 % 251);
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The game started in `folder`, optionally through a command that runs it, until it ends.
class GameProcess {
public:
    explicit GameProcess(const std::string& folder, const std::string& launcher = "") {
        std::vector<std::string> args = {kBinary};
        if (!launcher.empty()) args = {"/bin/sh", "-c", launcher};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        window = Shell("timeout 20 xdotool search --sync --name '^Spraywick$' | head -1");
        EXPECT_FALSE(window.empty()) << "no window captioned Spraywick appeared";
        Shell("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window);
    }
    ~GameProcess() {
        if (pid > 0) kill(pid, SIGKILL);
        if (pid > 0) waitpid(pid, nullptr, 0);
    }

    bool Running() { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

    void Key(const std::string& action, const std::string& key) {
        Shell("xdotool " + action + " --window " + window + " " + key);
    }

    // Starts a run and holds the skier to one side until the "wasted" banner shows.
    bool PlayUntilCrash(double seconds = 90) {
        Key("key", "space");
        Key("keydown", "Left");
        bool crashed = false;
        for (double waited = 0; waited < seconds && !crashed && Running(); waited += 0.5) {
            Sleep(0.5);
            crashed = RedPixels() > 400;
        }
        Key("keyup", "Left");
        return crashed;
    }

    // What the window manager sends for the close button; the exit status, or -2 if the game
    // does not end within ten seconds.
    int CloseAndWait() {
        Display* display = XOpenDisplay(nullptr);
        if (!display) return -2;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = std::stoul(window);
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
        XCloseDisplay(display);
        for (int i = 0; i < 200; ++i) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            Sleep(0.05);
        }
        return -2;
    }

private:
    // The banner of a crash is the only large red area the game draws.
    int RedPixels() {
        std::string path = std::string(ZV_BINARY_DIR) + "/e2e-bad-input.png";
        Shell("import -window " + window + " " + path + " 2>/dev/null");
        int width = 0, height = 0, channels;
        unsigned char* rgb = stbi_load(path.c_str(), &width, &height, &channels, 3);
        int red = 0;
        for (int i = 0; rgb && i < width * height; ++i) {
            const unsigned char* p = rgb + i * 3;
            red += p[0] > 150 && p[1] < 110 && p[2] < 110;
        }
        stbi_image_free(rgb);
        return red;
    }

    pid_t pid = -1;
    std::string window;
};

TEST(BadInputEndToEnd, ADamagedImageEndsTheGameWithAReportThatNamesIt) {
    for (auto damage : {Truncate, Garble}) {
        TempFolder dir("spraywick-bad-image");
        damage(dir.LinkGameDataFiles() + "/squid.png");
        ProcessResult result = run_process(kBinary, {}, "", dir.path());
        EXPECT_EQ(result.exit_status, 255);
        EXPECT_NE(result.out.find("Zorvex Runtime Error : Unable to load image \"squid.png\"\n"), std::string::npos)
            << result.out;
    }
}

// Text, nothing, or a number below any score: the first crash saves its score as the best.
TEST(BadInputEndToEnd, AStateWithoutAUsableBestScoreIsReplacedByTheFirstCrash) {
    for (std::string state : {"best score", "", "-25"}) {
        SCOPED_TRACE("state \"" + state + "\"");
        TempFolder dir("spraywick-bad-state");
        dir.LinkGameData();
        dir.Write(".zorvexstate", state);
        GameProcess game(dir.path());
        ASSERT_TRUE(game.PlayUntilCrash()) << "no crash within 90 seconds";
        Sleep(0.5);
        std::string saved = dir.Read(".zorvexstate");
        EXPECT_GT(std::atoi(saved.c_str()), 0) << saved;
        EXPECT_EQ(saved, std::to_string(std::atoi(saved.c_str()))) << "the state is the decimal score alone";
        EXPECT_EQ(game.CloseAndWait(), 0);
    }
}

// A number beyond Int reads as the largest Int, which no run beats: the file stays as it was.
TEST(BadInputEndToEnd, AHugeBestScoreIsKept) {
    TempFolder dir("spraywick-huge-state");
    dir.LinkGameData();
    dir.Write(".zorvexstate", "99999999999999999999");
    GameProcess game(dir.path());
    ASSERT_TRUE(game.PlayUntilCrash()) << "no crash within 90 seconds";
    Sleep(0.5);
    EXPECT_EQ(dir.Read(".zorvexstate"), "99999999999999999999");
    EXPECT_EQ(game.CloseAndWait(), 0);
}

// A read-only bind mount holds for root too; where mounts are not allowed the case is skipped.
TEST(BadInputEndToEnd, AFolderThatCannotBeWrittenLeavesTheGameRunning) {
    TempFolder dir("spraywick-read-only");
    dir.LinkGameData();
    std::string readOnly = "mount --bind '" + dir.path() + "' '" + dir.path() + "' && mount -o remount,bind,ro '" +
                           dir.path() + "' && cd '" + dir.path() + "'";
    if (std::system(("unshare -m sh -c \"" + readOnly + " && ! touch probe\" 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "no read-only mount here (unshare or mount not permitted), so no folder root cannot write";
    }
    GameProcess game(dir.path(), "exec unshare -m sh -c \"" + readOnly + " && exec '" + kBinary + "'\"");
    ASSERT_TRUE(game.PlayUntilCrash()) << "no crash within 90 seconds";
    Sleep(1);
    EXPECT_TRUE(game.Running()) << "the game ended when its best score could not be saved";
    EXPECT_EQ(dir.Read(".zorvexstate"), "<none>");
    EXPECT_EQ(game.CloseAndWait(), 0);
}

}  // namespace
