// The real game with a pad that the test provides at the GLFW boundary: a library preloaded in
// front of GLFW (tests/support/preload/fake_pad.cpp) answers its joystick calls from a script the
// test writes. In the real spraywick under X, A and start each start a run whose best score is
// saved, and a pad pulled out mid-run leaves the game playing on the keyboard; through the
// scripted driver, the d-pad and the stick swing the rope exactly as the keys do, and a stick
// resting off centre swings nothing.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "tests/game/running_game.h"
#include "tests/support/process.h"
#include "tests/support/sound_capture.h"
#include "tests/support/temp_folder.h"

namespace {

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// A mapping as pad tools write it; the game must hand it to GLFW as it is.
const std::string kPlayersMapping = "03000000de2800000112000001000000,Spraywick Test Pad,a:b0,b:b1,platform:Linux,";

struct PadState {
    bool present = true;
    std::array<bool, 15> buttons{};
    float stickX = 0.12f, stickY = -0.1f;  // where a worn stick rests

    PadState With(int button) const {
        PadState state = *this;
        state.buttons[size_t(button)] = true;
        return state;
    }
    PadState Stick(float x, float y) const {
        PadState state = *this;
        state.stickX = x;
        state.stickY = y;
        return state;
    }
    // The script line that makes this the pad's state from the host's `poll`th look on.
    std::string Line(long poll) const {
        std::string text = std::to_string(poll) + (present ? " pad" : " absent");
        if (!present) return text + "\n";
        for (bool down : buttons) text += down ? " 1" : " 0";
        for (float axis : {stickX, stickY, 0.0f, 0.0f, -1.0f, -1.0f}) text += " " + std::to_string(axis);
        return text + "\n";
    }
};

class FakePad {
public:
    FakePad() { Set(PadState()); }

    std::vector<std::string> Environment() const {
        return {"LD_PRELOAD=" ZV_FAKE_PAD_LIBRARY, "ZV_FAKE_PAD=" + path, "ZV_FAKE_PAD_MAPPINGS=" + MappingsPath(),
                "SDL_GAMECONTROLLERCONFIG=" + kPlayersMapping};
    }
    std::string MappingsGiven() const { return folder.Read("mappings"); }

    // From now on; renamed into place, so that the game never reads half a file.
    void Set(const PadState& state) const { Script({{0, state}}); }
    void Script(const std::vector<std::pair<long, PadState>>& lines) const {
        std::string text;
        for (const auto& [poll, state] : lines) text += state.Line(poll);
        folder.Write("pad.new", text);
        std::rename((folder.path() + "/pad.new").c_str(), path.c_str());
    }

private:
    std::string MappingsPath() const { return folder.path() + "/mappings"; }

    TempFolder folder{"spraywick-pad"};
    std::string path = folder.path() + "/pad";
};

const PadState kResting;

// Presses the button until a run shows; false when every attempt met a creature at once.
bool StartRun(RunningGame& game, const FakePad& pad, int button) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        pad.Set(kResting.With(button));
        Sleep(0.3);
        pad.Set(kResting);
        Sleep(0.3);
        Skier skier = FindSkier(game.Shoot("pad-start"));
        if (skier.red >= 3 && !skier.crashed) return true;
        Sleep(3);  // the wipeout and the return of the title
    }
    return false;
}

TEST(GamepadEndToEnd, AOrStartStartsARunAndAPadPulledOutLeavesTheGamePlaying) {
    UseOpenAlConfig(OpenAlConfig("silent"));
    for (int start : {GLFW_GAMEPAD_BUTTON_A, GLFW_GAMEPAD_BUTTON_START}) {
        SCOPED_TRACE(start == GLFW_GAMEPAD_BUTTON_A ? "A" : "start");
        TempFolder dir("spraywick-pad-game");
        dir.LinkGameData();
        FakePad pad;
        RunningGame game(BuiltGame(), dir.path(), pad.Environment());
        EXPECT_EQ(pad.MappingsGiven(), kPlayersMapping);
        Sleep(1.5);
        ASSERT_TRUE(StartRun(game, pad, start)) << "the button started no run";

        if (start == GLFW_GAMEPAD_BUTTON_START) {
            // Pulled out while swinging clockwise: nothing stays held, and the keyboard's right
            // arrow swings the skier back (a d-pad left still held would win over it). A run that
            // meets a creature first is followed by another.
            bool seen = false;
            for (int attempt = 0; attempt < 4 && !seen; ++attempt) {
                if (attempt > 0) {
                    pad.Set(kResting);  // plugged in again for the next run
                    Sleep(3);
                    ASSERT_TRUE(StartRun(game, pad, start));
                }
                pad.Set(kResting.With(GLFW_GAMEPAD_BUTTON_DPAD_LEFT));
                Sleep(0.6);
                Skier swung = FindSkier(game.Shoot("pad-swung"));
                PadState gone;
                gone.present = false;
                pad.Set(gone);
                game.Key("keydown", "Right");
                Sleep(1);
                Skier keyed = FindSkier(game.Shoot("pad-keyboard"));
                game.Key("keyup", "Right");
                seen = !swung.crashed && !keyed.crashed && swung.red >= 3 && keyed.red >= 3;
                if (seen) {
                    EXPECT_LT(keyed.angle, swung.angle - 2) << "the pad pulled out still swings the skier";
                }
            }
            EXPECT_TRUE(seen) << "every run crashed before the pad was pulled out";
        }
        // Sooner or later the skier crashes, and the score is kept.
        std::string state;
        for (int i = 0; i < 180 && (state = dir.Read(".zorvexstate", "")).empty(); ++i) Sleep(0.5);
        EXPECT_GT(std::atoi(state.c_str()), 0) << "no run's best score was saved within 90 seconds";
        EXPECT_TRUE(game.Running());
        EXPECT_EQ(game.Close(), 0);
    }
}

// The scripted driver's rope lines for a script, with the pad's script preloaded when given.
std::string RopeLines(const std::vector<std::string>& events, const FakePad* pad) {
    TempFolder dir("spraywick-pad-run");
    dir.LinkGameData();
    UseOpenAlConfig(OpenAlConfig("silent"));
    std::vector<std::string> command = pad ? pad->Environment() : std::vector<std::string>{};
    command.push_back(test_program_path("game", "scripted_run"));
    command.push_back("300");
    for (int update : {60, 100, 160, 220, 280}) command.push_back(std::to_string(update) + ":rope");
    command.insert(command.end(), events.begin(), events.end());
    ProcessResult result = run_process("/usr/bin/env", command, "", dir.path());
    EXPECT_EQ(result.exit_status, 0) << result.err;
    std::string lines;
    for (size_t at = result.out.find("rope="); at != std::string::npos; at = result.out.find("rope=", at + 1)) {
        lines += result.out.substr(at, result.out.find('\n', at) - at) + "\n";
    }
    return lines;
}

// The pad's state at update U is what the script gives from poll U - 1 on.
TEST(GamepadEndToEnd, TheDPadAndTheStickSwingTheRopeAsTheKeysDoAndARestingStickDoesNot) {
    FakePad pad;
    pad.Script({
        {0, kResting},
        {10, kResting.With(GLFW_GAMEPAD_BUTTON_A)},
        {11, kResting},
        {60, kResting.With(GLFW_GAMEPAD_BUTTON_DPAD_LEFT)},
        {100, kResting.With(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT)},
        {160, kResting.Stick(-0.9f, -0.1f)},
        {220, kResting.Stick(0.9f, -0.1f)},
        {280, kResting},
    });
    std::string withPad = RopeLines({}, &pad);
    std::string withKeys = RopeLines({"11:tap:32", "61:down:37", "101:up:37", "101:down:39", "161:up:39",
                                      "161:down:37", "221:up:37", "221:down:39", "281:up:39"},
                                     nullptr);
    EXPECT_EQ(withPad, withKeys);

    float rope[5] = {};
    ASSERT_EQ(std::sscanf(withPad.c_str(), "rope=%f %*s rope=%f %*s rope=%f %*s rope=%f %*s rope=%f", &rope[0],
                          &rope[1], &rope[2], &rope[3], &rope[4]),
              5)
        << withPad;
    EXPECT_EQ(rope[0], 0) << "fifty updates of a resting stick";
    EXPECT_GT(rope[1], rope[0] + 2) << "d-pad left";
    EXPECT_LT(rope[2], rope[1] - 2) << "d-pad right";
    EXPECT_GT(rope[3], rope[2] + 2) << "stick left";
    EXPECT_LT(rope[4], rope[3] - 2) << "stick right";
}

}  // namespace
