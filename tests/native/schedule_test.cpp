// The host loop's schedule, driven by a fake clock: sleeping, catch-up, dropped schedules,
// rate 0, rate changes inside an update and suspension; and the same rules in browser frames.
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

// Browser frames at a display rate: the updates each frame ran, and how many frames rendered.
struct BrowserRun {
    std::vector<int> counts;
    int renders = 0;
};

BrowserRun RunBrowserFrames(ZVUpdateSchedule& schedule, FakeFrame& frame, double displayHertz, int frames) {
    BrowserRun run;
    for (int f = 0; f < frames; ++f) {
        int before = frame.updates;
        size_t logged = frame.log.size();
        schedule.RunBrowserFrame(frame);
        run.counts.push_back(frame.updates - before);
        for (size_t i = logged; i < frame.log.size(); ++i) run.renders += frame.log[i] == "render";
        frame.clock.now += 1.0 / displayHertz;
    }
    return run;
}

int Sum(const std::vector<int>& counts) {
    int sum = 0;
    for (int n : counts) sum += n;
    return sum;
}

TEST(Schedule, BrowserFramesKeepTheUpdateRateWhateverTheDisplayRate) {
    for (double display : {60.0, 59.94, 75.0, 144.0, 30.0}) {
        SCOPED_TRACE(display);
        FakeClock clock;
        FakeFrame frame(clock);
        ZVUpdateSchedule schedule(clock);
        schedule.SetRate(60);

        // The first frame updates at once and then renders; the browser never sleeps.
        schedule.RunBrowserFrame(frame);
        EXPECT_EQ(frame.log, (std::vector<std::string>{"update", "render"}));
        clock.now += 1.0 / display;

        BrowserRun run = RunBrowserFrames(schedule, frame, display, int(display * 10));
        EXPECT_NEAR(Sum(run.counts), 600, 2);
        EXPECT_TRUE(clock.sleeps.empty());
        // Frames without an update leave the last picture; the others render once, after them.
        int framesWithUpdates = 0;
        for (int n : run.counts) framesWithUpdates += n > 0;
        EXPECT_EQ(run.renders, framesWithUpdates);
        EXPECT_EQ(frame.log.back(), "render");
        if (display == 60.0) {
            EXPECT_EQ(run.counts, std::vector<int>(600, 1));
        } else if (display == 30.0) {
            EXPECT_EQ(run.counts, std::vector<int>(300, 2));
        }
    }
}

TEST(Schedule, BrowserFramesCatchUpAtMostFourAndStopWhileSuspended) {
    FakeClock clock;
    FakeFrame frame(clock);
    ZVUpdateSchedule schedule(clock);
    schedule.SetRate(60);
    RunBrowserFrames(schedule, frame, 60, 3);

    // A hidden tab gets no frames for a second: four updates, then a fresh schedule.
    clock.now += 1.0;
    EXPECT_EQ(RunBrowserFrames(schedule, frame, 60, 3).counts, (std::vector<int>{4, 1, 1}));

    frame.suspended = true;
    frame.log.clear();
    EXPECT_EQ(RunBrowserFrames(schedule, frame, 60, 3).counts, (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(frame.log.empty());

    // Rate 0: one update and one render in every frame.
    frame.suspended = false;
    schedule.SetRate(0);
    BrowserRun run = RunBrowserFrames(schedule, frame, 144, 5);
    EXPECT_EQ(run.counts, std::vector<int>(5, 1));
    EXPECT_EQ(run.renders, 5);
}

}  // namespace
