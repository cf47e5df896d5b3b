// Shared pieces of the framework's unit tests: a host without a window, a renderer that records
// what the graphics API asks of it, and a fixture that starts the framework's modules afresh.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <set>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/app.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "tests/support/sound_capture.h"
#include "tests/support/test_program.h"

// What the host, the renderer and the test apps did, in order.
inline std::vector<std::string> calls;

inline std::string Num(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    return text;
}

// A host with a scripted window size, joysticks and display modes.
class FakeHost : public ZVGame {
public:
    int width = 0;
    int height = 0;
    int joysticks = 0;  // ports 0 .. joysticks - 1 have one
    std::array<std::array<bool, 32>, 4> pressed{};
    std::array<float, 4> leftStickX{};
    std::vector<int> polledPorts;
    std::vector<std::pair<int, int>> modes;
    bool hasDesktop = true;
    std::string loadedPath;

    int GetDeviceWidth() override { return width; }
    int GetDeviceHeight() override { return height; }

    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override {
        polledPorts.push_back(port);
        if (port >= joysticks) return false;
        for (int j = 0; j < 32; ++j) buttons[j] = pressed[port][j];
        joyx[0] = leftStickX[port];
        return true;
    }

    Array<ZVDisplayMode*> GetDisplayModes() override {
        Array<ZVDisplayMode*> result(int(modes.size()));
        for (int i = 0; i < result.Length(); ++i) result.Set(i, new ZVDisplayMode(modes[i].first, modes[i].second));
        return result;
    }

    ZVDisplayMode* GetDesktopMode() override { return hasDesktop ? new ZVDisplayMode(1920, 1080) : nullptr; }

    // Sound paths that decode (to a tenth of a second of 16-bit mono silence), and every one asked for.
    std::set<std::string> sounds;
    std::vector<std::string> decodedSounds;

    unsigned char* DecodeAudioFile(const String& path, int& length, int& channels, int& format,
                                   int& hertz) override {
        decodedSounds.push_back(path.ToUtf8());
        if (!sounds.count(path.ToUtf8())) return nullptr;
        length = 2205;
        channels = 1;
        format = 2;
        hertz = 22050;
        return static_cast<unsigned char*>(std::calloc(size_t(length), 2));
    }

    String LoadString(const String& path) override {
        loadedPath = path.ToUtf8();
        return String("text");
    }
};

// A renderer without OpenGL: logs every call the graphics API makes.
class RecordingGraphics : public gxtkGraphics {
public:
    // Surfaces LoadSurface answers with, by path: width and height.
    std::map<std::string, std::pair<int, int>> files;
    std::vector<std::string> loads;

    int BeginRender() override {
        calls.push_back("BeginRender");
        return 1;
    }
    void EndRender() override { calls.push_back("EndRender"); }
    gxtkSurface* LoadSurface(const String& path) override {
        loads.push_back(path.ToUtf8());
        auto file = files.find(path.ToUtf8());
        if (file == files.end()) return nullptr;
        return MakeSurface(file->second.first, file->second.second);
    }
    int Cls(float r, float g, float b) override { return Log("Cls " + Num(r) + " " + Num(g) + " " + Num(b)); }
    int SetAlpha(float a) override { return Log("SetAlpha " + Num(a)); }
    int SetColor(float r, float g, float b) override {
        return Log("SetColor " + Num(r) + " " + Num(g) + " " + Num(b));
    }
    int SetBlend(int blend) override { return Log("SetBlend " + std::to_string(blend)); }
    int SetScissor(int x, int y, int w, int h) override {
        return Log("SetScissor " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) + " " +
                   std::to_string(h));
    }
    int SetMatrix(float a, float b, float c, float d, float e, float f) override {
        return Log("SetMatrix " + Num(a) + " " + Num(b) + " " + Num(c) + " " + Num(d) + " " + Num(e) + " " + Num(f));
    }
    int DrawSurface(gxtkSurface*, float x, float y) override { return Log("DrawSurface " + Num(x) + " " + Num(y)); }
    int DrawSurfaceRect(gxtkSurface*, float x, float y, int sx, int sy, int sw, int sh) override {
        return Log("DrawSurfaceRect " + Num(x) + " " + Num(y) + " " + std::to_string(sx) + " " + std::to_string(sy) +
                   " " + std::to_string(sw) + " " + std::to_string(sh));
    }

    static gxtkSurface* MakeSurface(int w, int h) {
        gxtkSurface* surface = new gxtkSurface();
        surface->width = w;
        surface->height = h;
        surface->depth = 4;
        return surface;
    }

private:
    static int Log(const std::string& call) {
        calls.push_back(call);
        return 0;
    }
};

// Roots the framework's module globals the way the program's composition root does.
class FrameworkRoots : public Object {
public:
    void mark_children() override {
        Object::mark_children();
        app_queue_roots();
        graphics_queue_roots();
        input_queue_roots();
        audio_queue_roots();
    }
};

class FrameworkTest : public ::testing::Test {
protected:
    FakeHost host;  // constructed first, so the app module's game handle is this host

    void SetUp() override {
        reset_runtime();
        UseOpenAlConfig(OpenAlConfig("silent"));  // the same sound device on every machine
        calls.clear();
        app_init_globals();
        graphics_init_globals();
        input_init_globals();
        audio_init_globals();
        test_roots.push_back(new FrameworkRoots());
        gc_queue_roots();  // as the runtime's start-up does before Main
    }
};

// A runtime error ends the process with status 255 after its report on standard output; the
// death-test child sends that report to standard error, where the matcher looks, and gives the
// debugger prompt an empty input so it does not wait.
#define EXPECT_RUNTIME_ERROR(statement, message)                                     \
    EXPECT_EXIT(                                                                     \
        {                                                                            \
            if (!std::freopen("/dev/null", "r", stdin)) std::abort();                \
            dup2(2, 1);                                                              \
            statement;                                                               \
        },                                                                           \
        ::testing::ExitedWithCode(255), "Zorvex Runtime Error : " message)
