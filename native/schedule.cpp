#include "native/schedule.h"

void ZVUpdateSchedule::SetRate(int hertz) {
    rate = hertz;
    if (hertz != 0) updatePeriod = 1.0 / hertz;
    nextUpdate = 0.0;
}

void ZVUpdateSchedule::RunFrame(ZVFrameSteps& steps) {
    steps.RenderAndSwap();
    if (nextUpdate != 0.0) {
        double delay = nextUpdate - clock.Now();
        if (delay > 0.0) clock.Sleep(delay);
    }
    steps.PumpEvents();
    if (steps.IsSuspended()) return;
    if (rate == 0) {
        steps.UpdateGame();
        return;
    }
    RunDueUpdates(steps);
}

void ZVUpdateSchedule::RunBrowserFrame(ZVFrameSteps& steps) {
    if (steps.IsSuspended()) return;
    // Display frames rarely fall on the due time: the one nearest to it runs the update. The
    // schedule itself stays absolute, so the rate holds on average whatever the display's rate.
    if (rate != 0 && nextUpdate != 0.0 && nextUpdate - clock.Now() > updatePeriod / 2) return;
    if (rate == 0) {
        steps.UpdateGame();
    } else {
        RunDueUpdates(steps);
    }
    steps.RenderAndSwap();
}

void ZVUpdateSchedule::RunDueUpdates(ZVFrameSteps& steps) {
    if (nextUpdate == 0.0) nextUpdate = clock.Now();
    for (int count = 0; count < MAX_UPDATES_PER_FRAME; ++count) {
        steps.UpdateGame();
        // The update changed the rate or suspended the game: its new schedule starts now.
        if (nextUpdate == 0.0) return;
        nextUpdate += updatePeriod;
        if (nextUpdate > clock.Now()) return;
    }
    nextUpdate = 0.0;  // still behind after the cap: drop the backlog
}
