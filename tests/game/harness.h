// Drives the real game through its real host object and delegate, without a window: a fresh
// runtime, a host whose device size the test chooses, Main, StartGame, then updates and key
// events one at a time. It runs in a temporary folder that links to the game's data, so the
// state file it writes is its own.
#pragma once

#include <GLFW/glfw3.h>

#include <string>

#include "game/jamapp.h"
#include "native/glfwgame.h"
#include "native/joystick.h"
#include "tests/support/temp_folder.h"

class HeadlessHost : public ZVZorvexGame {
public:
    HeadlessHost(int width, int height) : width(width), height(height) {}
    int GetDeviceWidth() override { return width; }
    int GetDeviceHeight() override { return height; }
    // A pad GLFW maps, on port 0 while connected.
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override {
        if (port != 0 || !padConnected) return false;
        ZVArrangeGamepad(pad.buttons, pad.axes, joyx, joyy, joyz, buttons);
        return true;
    }
    int width;
    int height;
    bool padConnected = false;
    GLFWgamepadstate pad{};
};

class GameHarness {
public:
    explicit GameHarness(int width = 640, int height = 480, const std::string& saved_state = "");
    ~GameHarness();
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    c_JamApp* app() const { return jamApp; }
    HeadlessHost& host() { return *host_; }

    void Update(int count = 1);
    void Press(int key);
    void Release(int key);
    // Space pressed and released before the next update, as a player's tap.
    void Tap(int key);
    // Runs updates until a run starts (space) and has lasted `updates`, or fails the test.
    void StartRun();
    // The state file's text, or "<none>" when the game never wrote one.
    std::string SavedState() const;
    // Writes the state file behind the game's back, as another copy of the game would.
    void WriteState(const std::string& text);

private:
    TempFolder folder_;
    std::string previous_dir_;
    HeadlessHost* host_;
};
