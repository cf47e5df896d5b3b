#include "tests/game/harness.h"

#include <gtest/gtest.h>
#include <unistd.h>


#include "framework/app.h"
#include "runtime/gc.h"
#include "runtime/startup.h"
#include "tests/support/sound_capture.h"

GameHarness::GameHarness(int width, int height, const std::string& saved_state) {
    char cwd[4096];
    previous_dir_ = getcwd(cwd, sizeof cwd) ? cwd : ".";
    folder_.LinkGameData();
    if (!saved_state.empty()) folder_.Write(".zorvexstate", saved_state);
    EXPECT_EQ(chdir(folder_.path().c_str()), 0);

    // The same silent sound device on every machine.
    UseOpenAlConfig(OpenAlConfig("silent"));
    // A fresh runtime: empty collector lists and counters, every module's globals anew.
    gc_init();
    gc.white_bit = 1;
    gc.new_bytes = gc.live_bytes = gc.black_bytes = gc.garbage_bytes = 0;
    gc.native_bytes = 0;
    host_ = new HeadlessHost(width, height);  // becomes the one game instance
    zv_init_globals();
    gc_queue_roots();
    Main();
    host_->StartGame();
}

GameHarness::~GameHarness() {
    EXPECT_EQ(chdir(previous_dir_.c_str()), 0);
    // The host stays allocated: objects of the abandoned runtime may still point at it.
}

void GameHarness::Update(int count) {
    for (int i = 0; i < count; ++i) host_->UpdateGame();
}

void GameHarness::Press(int key) { host_->KeyEvent(c_ZVGameEvent::KeyDown, key); }

void GameHarness::Release(int key) { host_->KeyEvent(c_ZVGameEvent::KeyUp, key); }

void GameHarness::Tap(int key) {
    Press(key);
    Release(key);
}

void GameHarness::StartRun() {
    Tap(32);
    Update();
    ASSERT_EQ(app()->gameState, c_JamApp::StateSkiing);
}

std::string GameHarness::SavedState() const { return folder_.Read(".zorvexstate"); }

void GameHarness::WriteState(const std::string& text) { folder_.Write(".zorvexstate", text); }
