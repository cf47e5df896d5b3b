// The game object's guarded dispatch: which lifecycle and event calls reach the delegate in
// which state, and the collector step after each. (An exception escaping the delegate is tested
// on the real host, in host_window_test.cpp.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "native/game.h"
#include "tests/support/test_program.h"

namespace {

class Leaf : public Object {};

class RecordingDelegate : public ZVGameDelegate {
public:
    static constexpr const char* debug_name = "RecordingDelegate";

    std::vector<std::string> calls;
    Leaf* kept = nullptr;       // owned: must survive every collection
    Leaf* dropped = nullptr;    // not traced: what the last update left unreachable

    void StartGame() override { calls.push_back("start"); }
    void SuspendGame() override { calls.push_back("suspend"); }
    void ResumeGame() override { calls.push_back("resume"); }
    void UpdateGame() override {
        calls.push_back("update");
        gc_store(kept, new Leaf());
        dropped = new Leaf();
        // Enough native bytes that the step after this call is a full collection.
        gc_add_native_bytes(GC_TRIGGER_BYTES + 1);
    }
    void RenderGame() override { calls.push_back("render"); }
    void KeyEvent(int event, int data) override {
        calls.push_back("key " + std::to_string(event) + " " + std::to_string(data));
    }
    void MouseEvent(int event, int data, float x, float y) override {
        calls.push_back("mouse " + std::to_string(event) + " " + std::to_string(data) + " " + Text(x) + " " + Text(y));
    }
    void TouchEvent(int event, int data, float x, float y) override {
        calls.push_back("touch " + std::to_string(event) + " " + std::to_string(data) + " " + Text(x) + " " + Text(y));
    }
    void MotionEvent(int event, int data, float x, float y, float z) override {
        calls.push_back("motion " + std::to_string(event) + " " + std::to_string(data) + " " + Text(x) + " " +
                        Text(y) + " " + Text(z));
    }
    void DiscardGraphics() override { calls.push_back("discard"); }

    void mark_children() override {
        ZVGameDelegate::mark_children();
        gc_grey(kept);
    }

private:
    static std::string Text(float v) { return String::FromFloat(v).ToUtf8(); }
};

// Every lifecycle and event call once, in this order.
void CallEverything(ZVGame& game) {
    game.StartGame();
    game.SuspendGame();
    game.ResumeGame();
    game.UpdateGame();
    game.RenderGame();
    game.KeyEvent(1, 65);
    game.MouseEvent(4, 2, 1.5f, 2.5f);
    game.TouchEvent(7, 0, 3.0f, 4.0f);
    game.MotionEvent(10, 0, 0.5f, -0.5f, 1.0f);
    game.DiscardGraphics();
}

class GameDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        reset_runtime();
        delegate = new RecordingDelegate();
        test_roots.push_back(delegate);
    }
    ZVGame game;
    RecordingDelegate* delegate = nullptr;
};

TEST_F(GameDispatch, CallsReachTheDelegateOnlyInTheStatesThatAllowThem) {
    // No delegate yet: nothing happens and nothing breaks.
    CallEverything(game);
    EXPECT_EQ(game.GetDelegate(), nullptr);

    ZVGame fresh;
    fresh.SetDelegate(delegate);
    // Before the start only StartGame gets through.
    fresh.SuspendGame();
    fresh.ResumeGame();
    fresh.UpdateGame();
    fresh.RenderGame();
    fresh.KeyEvent(1, 32);
    EXPECT_TRUE(delegate->calls.empty());

    fresh.StartGame();
    fresh.StartGame();
    EXPECT_TRUE(fresh.IsStarted());
    fresh.ResumeGame();  // not suspended: ignored
    fresh.SuspendGame();
    fresh.SuspendGame();
    EXPECT_TRUE(fresh.IsSuspended());
    // While suspended, rendering and input are delivered and updates are not.
    fresh.UpdateGame();
    fresh.RenderGame();
    fresh.KeyEvent(3, 65573);
    fresh.ResumeGame();
    fresh.ResumeGame();
    EXPECT_FALSE(fresh.IsSuspended());
    fresh.UpdateGame();
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"start", "suspend", "render", "key 3 65573", "resume",
                                                          "update"}));

    // Every operation passes its arguments unchanged.
    delegate->calls.clear();
    CallEverything(fresh);
    EXPECT_EQ(delegate->calls,
              (std::vector<std::string>{"suspend", "resume", "update", "render", "key 1 65", "mouse 4 2 1.5 2.5",
                                        "touch 7 0 3.0 4.0", "motion 10 0 0.5 -0.5 1.0", "discard"}));
}

TEST_F(GameDispatch, TheCollectorRunsAfterEachCallAndKeepsWhatTheDelegateHolds) {
    // The delegate is not a root here: the host traces it itself after every call.
    test_roots.clear();
    game.SetDelegate(delegate);
    game.StartGame();
    for (int i = 0; i < 3; ++i) {
        game.UpdateGame();
        EXPECT_TRUE(gc_is_live_object(delegate));
        EXPECT_TRUE(gc_is_live_object(delegate->kept));
        EXPECT_FALSE(gc_is_live_object(delegate->dropped)) << "update " << i;
    }
}

}  // namespace
