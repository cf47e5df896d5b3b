// The desktop host end to end: a child program (programs/host_probe.cpp) runs a tiny game on the
// real host under the X display, and the test watches its report lines while acting on its window
// the way a window manager or a user would.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <stb/stb_image_write.h>

#include "tests/support/process.h"
#include "tests/support/window_manager.h"

extern char** environ;

namespace {

constexpr double TIMEOUT_SECONDS = 30.0;

// The probe as a running child whose report lines are read as they come.
class Probe {
public:
    explicit Probe(std::vector<std::string> args = {}) {
        std::string program = test_program_path("native", "host_probe");
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        fd = out[0];
    }
    ~Probe() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (fd >= 0) close(fd);
    }

    bool Running() const { return pid > 0; }
    const std::vector<std::string>& Lines() const { return lines; }

    // Reads until a line satisfies `wanted`; false at the end of the output or after the timeout,
    // which counts from the call: a child that keeps talking must not keep the wait going.
    bool WaitFor(const std::function<bool(const std::string&)>& wanted, double seconds = TIMEOUT_SECONDS) {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (size_t seen = 0;; ) {
            for (; seen < lines.size(); ++seen)
                if (wanted(lines[seen])) return true;
            double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
            if (left <= 0 || !ReadSome(left)) return false;
        }
    }
    bool WaitForLine(const std::string& line) {
        return WaitFor([&](const std::string& l) { return l == line; });
    }
    // Collects whatever arrives within `seconds`.
    void Drain(double seconds) {
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end &&
               ReadSome(std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count())) {
        }
    }
    // The exit status once the child ends, or -2 if it does not end in time.
    int ExitStatus() {
        Drain(0.0);
        for (int i = 0; i < int(TIMEOUT_SECONDS * 50); ++i) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                while (ReadSome(0.0)) {
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -2;
    }
    int Count(const std::string& prefix) const {
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; }));
    }

private:
    bool ReadSome(double seconds) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, int(seconds * 1000)) <= 0) return false;
        char buffer[4096];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        partial.append(buffer, size_t(n));
        for (size_t end; (end = partial.find('\n')) != std::string::npos; partial.erase(0, end + 1))
            lines.push_back(partial.substr(0, end));
        return true;
    }

    pid_t pid = -1;
    int fd = -1;
    std::string partial;
    std::vector<std::string> lines;
};

// A connection to the X server, acting as the window manager and the user would.
class XServer : public WindowManager {
public:
    // The top-level window with this name, or 0.
    Window Find(const std::string& name) { return Find(DefaultRootWindow(display), name); }

    std::string Name(Window window) {
        char* name = nullptr;
        std::string result;
        if (XFetchName(display, window, &name) && name) result = name;
        if (name) XFree(name);
        return result;
    }
    void Geometry(Window window, int& x, int& y, int& width, int& height) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        Window child;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        width = attributes.width;
        height = attributes.height;
    }
    int ScreenWidth() { return DisplayWidth(display, DefaultScreen(display)); }
    int ScreenHeight() { return DisplayHeight(display, DefaultScreen(display)); }

    void Resize(Window window, int width, int height) {
        XResizeWindow(display, window, unsigned(width), unsigned(height));
        XSync(display, False);
    }

    // The window's pixels as RGB rows; also written as a PNG for looking at.
    std::vector<unsigned char> Capture(Window window, int width, int height, const std::string& png) {
        std::vector<unsigned char> rgb;
        XImage* image = XGetImage(display, window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        if (!image) return rgb;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                unsigned long pixel = XGetPixel(image, x, y);
                rgb.push_back((pixel & image->red_mask) >> Shift(image->red_mask));
                rgb.push_back((pixel & image->green_mask) >> Shift(image->green_mask));
                rgb.push_back((pixel & image->blue_mask) >> Shift(image->blue_mask));
            }
        }
        XDestroyImage(image);
        stbi_write_png(png.c_str(), width, height, 3, rgb.data(), width * 3);
        return rgb;
    }

private:
    static int Shift(unsigned long mask) { return mask ? __builtin_ctzl(mask) : 0; }

    Window Find(Window parent, const std::string& name) {
        Window root, ignored, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, parent, &root, &ignored, &children, &count)) return 0;
        Window found = 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            found = Name(children[i]) == name ? children[i] : Find(children[i], name);
        }
        if (children) XFree(children);
        return found;
    }
};

bool HasPrefix(const std::string& line, const std::string& prefix) { return line.compare(0, prefix.size(), prefix) == 0; }

// Starts the probe and waits until its window is open and the game started.
Window StartProbe(Probe& probe, XServer& x) {
    if (!probe.Running() || !probe.WaitForLine("start 640 480")) return 0;
    return x.Find("Spraywick");
}

size_t IndexOf(const std::vector<std::string>& lines, const std::function<bool(const std::string&)>& match,
               size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (match(lines[i])) return i;
    return lines.size();
}

class HostWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x.Open()) GTEST_SKIP() << "no X display (run under xvfb-run)";
    }
    XServer x;
};

TEST_F(HostWindow, OpensACentredCaptionedWindowRendersFirstAndEndsOnTheCloseRequest) {
    Probe probe;
    Window window = StartProbe(probe, x);
    ASSERT_NE(window, 0u) << "no window named Spraywick";
    int left, top, width, height;
    x.Geometry(window, left, top, width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(x.Name(window), "Spraywick");
    EXPECT_EQ(left, (x.ScreenWidth() - 640) / 2);
    EXPECT_EQ(top, (x.ScreenHeight() - 480) / 2);
    EXPECT_EQ(probe.Count("desktop " + std::to_string(x.ScreenWidth()) + " " + std::to_string(x.ScreenHeight())), 1);
    EXPECT_EQ(probe.Count("modes 0"), 0);
    EXPECT_EQ(probe.Count("modes "), 1);

    // The first render comes before the first update, and updates keep coming.
    ASSERT_TRUE(probe.WaitForLine("update 3"));
    const auto& lines = probe.Lines();
    EXPECT_LT(IndexOf(lines, [](const std::string& l) { return l == "render"; }),
              IndexOf(lines, [](const std::string& l) { return HasPrefix(l, "update"); }));

    // What the game drew is on the screen.
    std::vector<unsigned char> rgb = x.Capture(window, 640, 480, "host_window_frame.png");
    ASSERT_EQ(rgb.size(), 640u * 480u * 3u);
    auto pixel = [&](int px, int py) { return &rgb[size_t(py * 640 + px) * 3]; };
    EXPECT_NEAR(pixel(480, 360)[0], 51, 2);
    EXPECT_NEAR(pixel(480, 360)[1], 153, 2);
    EXPECT_NEAR(pixel(480, 360)[2], 102, 2);
    EXPECT_EQ(pixel(100, 100)[0], 255);
    EXPECT_EQ(pixel(100, 100)[1], 0);
    EXPECT_EQ(pixel(319, 239)[0], 255);
    EXPECT_NEAR(pixel(320, 239)[0], 51, 2);
    EXPECT_NEAR(pixel(319, 240)[0], 51, 2);

    x.PressClose(window);
    EXPECT_EQ(probe.ExitStatus(), 0);
    EXPECT_EQ(probe.Lines().back(), "key 1 432");
}

TEST_F(HostWindow, LosingTheFocusSuspendsUpdatesUntilItReturns) {
    Probe probe;
    Window window = StartProbe(probe, x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(probe.WaitForLine("update 2"));

    x.FocusElsewhere();
    ASSERT_TRUE(probe.WaitForLine("suspend"));
    probe.Drain(1.0);  // ample time for thirty updates, were any run
    size_t suspendAt = IndexOf(probe.Lines(), [](const std::string& l) { return l == "suspend"; });
    EXPECT_EQ(IndexOf(probe.Lines(), [](const std::string& l) { return HasPrefix(l, "update"); }, suspendAt),
              probe.Lines().size())
        << "an update ran while suspended";

    x.Focus(window);
    ASSERT_TRUE(probe.WaitForLine("resume"));
    size_t resumeAt = IndexOf(probe.Lines(), [](const std::string& l) { return l == "resume"; });
    ASSERT_TRUE(probe.WaitFor([&](const std::string& l) { return HasPrefix(l, "update"); }));
    EXPECT_GT(IndexOf(probe.Lines(), [](const std::string& l) { return HasPrefix(l, "update"); }, suspendAt),
              resumeAt);
    EXPECT_EQ(probe.Count("suspend"), 1);
    EXPECT_EQ(probe.Count("resume"), 1);
    x.PressClose(window);
    EXPECT_EQ(probe.ExitStatus(), 0);
}

TEST_F(HostWindow, TheDeviceSizeFollowsAResizedWindow) {
    Probe probe;
    Window window = StartProbe(probe, x);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(probe.WaitForLine("update 1"));
    x.Resize(window, 800, 600);
    EXPECT_TRUE(probe.WaitForLine("size 800 600"));
    x.PressClose(window);
    EXPECT_EQ(probe.ExitStatus(), 0);
}

TEST_F(HostWindow, KeysAndMouseButtonsArriveTranslated) {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    Probe probe;
    Window window = StartProbe(probe, x);
    ASSERT_NE(window, 0u);
    x.Focus(window);
    ASSERT_TRUE(probe.WaitForLine("update 1"));
    std::string id = std::to_string(window);

    ASSERT_EQ(std::system("xdotool key Delete key Left type a"), 0);
    ASSERT_TRUE(probe.WaitForLine("key 2 65"));
    std::vector<std::string> keys;
    for (const std::string& l : probe.Lines())
        if (HasPrefix(l, "key")) keys.push_back(l);
    EXPECT_EQ(keys, (std::vector<std::string>{"key 1 46", "key 3 127", "key 2 46", "key 1 37", "key 3 65573",
                                              "key 2 37", "key 1 65", "key 3 97", "key 2 65"}));

    // A move, a left click and a click of a fourth button, which gives no event.
    ASSERT_EQ(std::system(("xdotool mousemove --window " + id + " 100 50 click 8 click 1").c_str()), 0);
    ASSERT_TRUE(probe.WaitForLine("mouse 5 0 100 50"));
    EXPECT_GE(probe.Count("mouse 6 -1 100 50"), 1);
    EXPECT_EQ(probe.Count("mouse 4 0 100 50"), 1);
    EXPECT_EQ(probe.Count("mouse 4 3"), 0);
    EXPECT_EQ(probe.Count("mouse 5 3"), 0);
    x.PressClose(window);
    EXPECT_EQ(probe.ExitStatus(), 0);
}

TEST_F(HostWindow, ReopeningTheWindowReleasesHeldKeysAndStartsANewContext) {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    Probe probe;
    Window first = StartProbe(probe, x);
    ASSERT_NE(first, 0u);
    x.Focus(first);
    ASSERT_TRUE(probe.WaitForLine("update 1"));

    // X held down while R asks for a new window.
    ASSERT_EQ(std::system("xdotool keydown x key r"), 0);
    ASSERT_TRUE(probe.WaitFor([](const std::string& l) { return HasPrefix(l, "reopened"); }));
    const auto& lines = probe.Lines();
    size_t reopened = IndexOf(lines, [](const std::string& l) { return HasPrefix(l, "reopened"); });
    EXPECT_EQ(lines[reopened], "reopened 2");
    EXPECT_LT(IndexOf(lines, [](const std::string& l) { return l == "key 2 88"; }), reopened);

    // The new window takes the old one's place; the key released there reports nothing more.
    Window second = x.Find("Spraywick");
    ASSERT_NE(second, 0u);
    x.Focus(second);
    ASSERT_EQ(std::system("xdotool keyup x"), 0);
    int width, height, left, top;
    x.Geometry(second, left, top, width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    x.PressClose(second);
    EXPECT_EQ(probe.ExitStatus(), 0);
    EXPECT_EQ(probe.Count("key 2 88"), 1);
}

TEST_F(HostWindow, AnExceptionEscapingAnUpdateEndsTheProcess) {
    Probe probe({"throw-update"});
    ASSERT_NE(StartProbe(probe, x), 0u);
    EXPECT_EQ(probe.ExitStatus(), 255);
    const auto& lines = probe.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "update 3");
    EXPECT_EQ(lines[lines.size() - 2], "Zorvex Runtime Error : Uncaught Zorvex Exception");
    EXPECT_EQ(lines.back(), "update failed");
}

TEST_F(HostWindow, EntryEndsWithoutAWindowWhenMainThrowsOrInstallsNothing) {
    std::string program = test_program_path("native", "host_probe");
    ProcessResult thrown = run_process(program, {"throw"});
    EXPECT_EQ(thrown.exit_status, 255);
    EXPECT_EQ(thrown.out, "main\nZorvex Runtime Error : Uncaught Zorvex Exception\nprobe failed\n");

    ProcessResult nothing = run_process(program, {"nothing"});
    EXPECT_EQ(nothing.exit_status, 0);
    EXPECT_EQ(nothing.out, "main\n");

    // Without a display GLFW cannot start.
    ProcessResult noDisplay = run_process("/usr/bin/env", {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", program});
    EXPECT_EQ(noDisplay.exit_status, 255);
    EXPECT_EQ(noDisplay.out, "glfwInit failed\n");
}

}  // namespace
