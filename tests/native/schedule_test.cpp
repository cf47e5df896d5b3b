// The host loop's schedule, driven by a fake clock: sleeping, catch-up, dropped schedules,
// rate 0, rate changes inside an update and suspension.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "native/schedule.h"

namespace {

class FakeClock : public ZVClock {
public:
    double now = 100.0;
    std::vector<double> sleeps;

    double Now() override { return now; }
    void Sleep(double seconds) override {
        sleeps.push_back(seconds);
        now += seconds;
    }
};

// Records what each frame did, in order; each step may advance the clock or change the schedule.
class FakeFrame : public ZVFrameSteps {
public:
    explicit FakeFrame(FakeClock& clock) : clock(clock) {}

    FakeClock& clock;
    std::vector<std::string> log;
    double renderSeconds = 0.0;
    double updateSeconds = 0.0;
    bool suspended = false;
    std::function<void()> onPump = [] {};
    std::function<void(int)> onUpdate = [](int) {};
    int updates = 0;

    void RenderAndSwap() override {
        log.push_back("render");
        clock.now += renderSeconds;
    }
    void PumpEvents() override { onPump(); }
    bool IsSuspended() override { return suspended; }
    void UpdateGame() override {
        log.push_back("update");
        clock.now += updateSeconds;
        onUpdate(++updates);
    }

    // The number of updates in each of the next `frames` frames.
    std::vector<int> Run(ZVUpdateSchedule& schedule, int frames) {
        std::vector<int> counts;
        for (int f = 0; f < frames; ++f) {
            int before = updates;
            schedule.RunFrame(*this);
            counts.push_back(updates - before);
        }
        return counts;
    }
};

TEST(Schedule, RendersFirstThenSleepsUntilEachUpdateIsDue) {
    FakeClock clock;
    FakeFrame frame(clock);
    ZVUpdateSchedule schedule(clock);
    schedule.SetRate(50);

    schedule.RunFrame(frame);
    // Nothing was scheduled yet: no sleep, the render comes before the first update.
    EXPECT_EQ(frame.log, (std::vector<std::string>{"render", "update"}));
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_DOUBLE_EQ(schedule.NextUpdate(), 100.02);

    // A fast render: every later frame sleeps the rest of a period and runs exactly one update.
    frame.renderSeconds = 0.005;
    EXPECT_EQ(frame.Run(schedule, 5), (std::vector<int>{1, 1, 1, 1, 1}));
    ASSERT_EQ(clock.sleeps.size(), 5u);
    for (double sleep : clock.sleeps) EXPECT_NEAR(sleep, 0.015, 1e-9);
    EXPECT_NEAR(clock.now, 100.1, 1e-9);
}

TEST(Schedule, CatchesUpAtMostFourUpdatesThenDropsTheBacklog) {
    FakeClock clock;
    FakeFrame frame(clock);
    ZVUpdateSchedule schedule(clock);
    schedule.SetRate(60);

    frame.Run(schedule, 1);

    // A render five and a half periods long: four updates, then the schedule is dropped; the next
    // frame starts a fresh one from the current time without sleeping, which has one update due.
    frame.renderSeconds = 5.5 / 60;
    EXPECT_EQ(frame.Run(schedule, 4), (std::vector<int>{4, 1, 4, 1}));
    EXPECT_TRUE(clock.sleeps.empty());

    // Caught up exactly at the fourth update: the schedule is kept.
    frame.renderSeconds = 0.0;
    frame.Run(schedule, 1);
    double due = schedule.NextUpdate();
    clock.now = due + 3.5 / 60;
    EXPECT_EQ(frame.Run(schedule, 1), std::vector<int>{4});
    EXPECT_NEAR(schedule.NextUpdate(), due + 4.0 / 60, 1e-9);
    // One period further behind: dropped after four.
    clock.now = schedule.NextUpdate() + 4.5 / 60;
    EXPECT_EQ(frame.Run(schedule, 1), std::vector<int>{4});
    EXPECT_EQ(schedule.NextUpdate(), 0.0);
}

TEST(Schedule, RateZeroRunsOneUpdatePerFrameAndNeverSleeps) {
    FakeClock clock;
    FakeFrame frame(clock);
    ZVUpdateSchedule schedule(clock);
    schedule.SetRate(60);
    frame.Run(schedule, 2);

    schedule.SetRate(0);
    EXPECT_EQ(schedule.NextUpdate(), 0.0);
    clock.sleeps.clear();
    frame.renderSeconds = 1.0;  // however slow or fast the frame
    EXPECT_EQ(frame.Run(schedule, 3), (std::vector<int>{1, 1, 1}));
    frame.renderSeconds = 0.0;
    EXPECT_EQ(frame.Run(schedule, 3), (std::vector<int>{1, 1, 1}));
    EXPECT_TRUE(clock.sleeps.empty());

    // Back to a rate: the old period stays until a new one is given, and scheduling resumes.
    schedule.SetRate(10);
    frame.Run(schedule, 1);
    EXPECT_NEAR(schedule.NextUpdate(), clock.now + 0.1, 1e-9);
}

TEST(Schedule, RateChangeInsideAnUpdateEndsTheCatchUpAndSchedulesFromNow) {
    FakeClock clock;
    FakeFrame frame(clock);
    ZVUpdateSchedule schedule(clock);
    schedule.SetRate(60);
    frame.Run(schedule, 1);

    // Far behind, but the second update changes the rate.
    clock.now += 1.0;
    frame.onUpdate = [&](int n) {
        if (n == 3) schedule.SetRate(30);
    };
    EXPECT_EQ(frame.Run(schedule, 1), std::vector<int>{2});
    EXPECT_EQ(schedule.NextUpdate(), 0.0);

    // The next frame does not sleep and starts the new period at the current time.
    clock.sleeps.clear();
    double start = clock.now;
    EXPECT_EQ(frame.Run(schedule, 1), std::vector<int>{1});
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_NEAR(schedule.NextUpdate(), start + 1.0 / 30, 1e-9);
}

TEST(Schedule, NoUpdatesWhileSuspendedAndAFreshScheduleOnResume) {
    FakeClock clock;
    FakeFrame frame(clock);
    ZVUpdateSchedule schedule(clock);
    schedule.SetRate(60);
    frame.Run(schedule, 3);

    // Focus lost during the events of a frame: that frame and the following ones run no update,
    // but each still renders once.
    frame.onPump = [&] {
        if (!frame.suspended) {
            frame.suspended = true;
            schedule.Restart();
        }
        clock.now += 0.5;  // the blocking wait for the next event
    };
    frame.log.clear();
    EXPECT_EQ(frame.Run(schedule, 4), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(frame.log, std::vector<std::string>(4, "render"));

    // Resumed: the seconds spent suspended are not made up.
    frame.onPump = [&] {
        if (frame.suspended) {
            frame.suspended = false;
            schedule.Restart();
        }
    };
    EXPECT_EQ(frame.Run(schedule, 3), (std::vector<int>{1, 1, 1}));

    // Rate 0 does not run updates while suspended either.
    schedule.SetRate(0);
    frame.suspended = true;
    frame.onPump = [] {};
    EXPECT_EQ(frame.Run(schedule, 2), (std::vector<int>{0, 0}));
}

}  // namespace
