// The update schedule: when the host loop sleeps, and how many updates each frame runs.
//
// One frame renders once, sleeps until the next update is due, processes events, and then runs
// the updates that are due: none while suspended, exactly one when the rate is 0, otherwise at
// most four, after which the schedule is dropped and restarts from the current time, so a slow
// machine never tries to make up its backlog. The clock is an interface so tests can drive it.
//
// In a browser the page owns the frame and the host cannot sleep: the browser calls the host once
// per display frame instead (RunBrowserFrame), and that call stands for the end of a desktop
// frame's sleep. It does nothing until an update is due, then runs the due updates under the same
// rules and renders, so the picture changes only when the game did.
#pragma once

class ZVClock {
public:
    virtual ~ZVClock() = default;
    virtual double Now() = 0;             // seconds, monotonic
    virtual void Sleep(double seconds) = 0;
};

// What a frame does besides scheduling; the host loop implements it over the real window.
class ZVFrameSteps {
public:
    virtual ~ZVFrameSteps() = default;
    virtual void RenderAndSwap() = 0;
    virtual void PumpEvents() = 0;
    virtual bool IsSuspended() = 0;
    virtual void UpdateGame() = 0;
};

class ZVUpdateSchedule {
public:
    static constexpr int MAX_UPDATES_PER_FRAME = 4;

    explicit ZVUpdateSchedule(ZVClock& clock) : clock(clock) {}

    // A rate of 0 keeps the previous period; either way the next update is scheduled afresh.
    void SetRate(int hertz);
    int Rate() const { return rate; }
    // Forgets the due time, so the next update is scheduled from the current time.
    void Restart() { nextUpdate = 0.0; }
    double NextUpdate() const { return nextUpdate; }

    void RunFrame(ZVFrameSteps& steps);
    // Events arrive by callbacks between browser frames, so this one pumps none.
    void RunBrowserFrame(ZVFrameSteps& steps);

private:
    void RunDueUpdates(ZVFrameSteps& steps);

    ZVClock& clock;
    int rate = 0;
    double updatePeriod = 0.0;  // seconds between updates
    double nextUpdate = 0.0;    // clock time the next update is due; 0 = none scheduled
};
