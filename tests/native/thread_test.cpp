// A native thread runs its body once per Start, off the main thread, and reports when it is done.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "native/thread.h"
#include "tests/support/test_program.h"

namespace {

// Holds its body until released, so the test can look at a running thread.
class GatedThread : public ZVThread {
public:
    std::atomic<bool> released{false};
    std::atomic<int> runs{0};
    std::thread::id ranOn;

    void Run() override {
        ranOn = std::this_thread::get_id();
        ++runs;
        while (!released) std::this_thread::yield();
        SetResult(&runs);
    }
};

bool FinishesWithinTenSeconds(ZVThread* thread) {
    for (int i = 0; i < 10000 && thread->IsRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !thread->IsRunning();
}

TEST(Thread, RunsItsBodyOnceOnAnotherThreadPerStart) {
    reset_runtime();
    GatedThread* thread = new GatedThread();
    test_roots.push_back(thread);
    EXPECT_EQ(thread->runState, 0);
    EXPECT_FALSE(thread->IsRunning());

    thread->Start();
    EXPECT_TRUE(thread->IsRunning());
    thread->Start();  // already running: no second body
    thread->released = true;
    ASSERT_TRUE(FinishesWithinTenSeconds(thread));
    EXPECT_EQ(thread->runState, 2);
    EXPECT_EQ(thread->runs, 1);
    EXPECT_NE(thread->ranOn, std::this_thread::get_id());
    EXPECT_EQ(thread->Result(), &thread->runs);

    // A finished thread starts again, with its result cleared first.
    thread->released = false;
    thread->Start();
    EXPECT_EQ(thread->Result(), nullptr);
    thread->released = true;
    ASSERT_TRUE(FinishesWithinTenSeconds(thread));
    EXPECT_EQ(thread->runs, 2);

    // The base body does nothing and finishes.
    ZVThread* empty = new ZVThread();
    test_roots.push_back(empty);
    empty->Start();
    EXPECT_TRUE(FinishesWithinTenSeconds(empty));
}

}  // namespace
