// A million updates of the real game, without a window, through the real host and delegate:
// a player who starts a run from every title screen and swings the skier left and right until
// it crashes. Prints the live heap every 100,000 updates, the collector step's worst and 99.9th
// percentile time, and the update's median and worst time (its collector step included). Times
// are given twice: on the wall clock, and on the thread's CPU clock, which leaves out the time
// the process waited for a CPU on a busy machine.
//
// The live heap is read after each sweep, where it is the survivors alone; between sweeps it
// also holds everything allocated since. Each line gives the last sweep's figures and the mean
// over the sweeps of those 100,000 updates, which evens out the runs' different lengths. The
// heap is flat when the last mean is within 10% of the first one after the warm-up (the first
// 100,000 updates).
//
//   build/bench/bench_game_soak      (from the folder that holds data/; the state file it writes
//                                     goes to a temporary folder)
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/app.h"
#include "game/jamapp.h"
#include "native/glfwgame.h"
#include "runtime/gc.h"
#include "runtime/startup.h"

namespace {

constexpr int kUpdates = 1000000;
constexpr int kReportEvery = 100000;
constexpr int kSpace = 32, kLeft = 37, kRight = 39;

using Clock = std::chrono::steady_clock;

// A moment on both clocks, in microseconds.
struct Instant {
    double wall, cpu;
    static Instant Now() {
        timespec cpu;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        return {std::chrono::duration<double, std::micro>(Clock::now().time_since_epoch()).count(),
                double(cpu.tv_sec) * 1e6 + double(cpu.tv_nsec) / 1e3};
    }
};

// Durations on both clocks.
struct Times {
    // Room for every sample up front, so that growing never lands in a measured step.
    explicit Times(size_t samples) {
        wall.reserve(samples);
        cpu.reserve(samples);
    }
    std::vector<double> wall, cpu;
    void Add(const Instant& start) {
        Instant end = Instant::Now();
        wall.push_back(end.wall - start.wall);
        cpu.push_back(end.cpu - start.cpu);
    }
};

struct Sweep {
    double bytes = 0, objects = 0;
};

// The desktop host without a window: a 640 x 480 device, and every collector step timed.
class SoakHost : public ZVZorvexGame {
public:
    SoakHost() { SetFramebufferSize(640, 480); }

    void CollectAfterCallback() override {
        int allocated = gc.new_bytes;
        Instant start = Instant::Now();
        ZVZorvexGame::CollectAfterCallback();
        stepTimes.Add(start);
        // A step that swept starts counting allocation afresh; what it kept is the live heap.
        if (allocated > 0 && gc.new_bytes == 0) {
            int objects = gc_list_count(gc_list_id::white) + gc_list_count(gc_list_id::grey) +
                          gc_list_count(gc_list_id::black);
            sweeps.push_back({double(gc.live_bytes), double(objects)});
        }
    }

    Times stepTimes{kUpdates + kUpdates / 10};  // a step after every update and every key event
    std::vector<Sweep> sweeps;
};

// The player: space whenever the title shows, then the skier swung left and right in turn,
// 50 updates one way, 30 letting go, 50 the other way, 30 letting go.
void Play(SoakHost& host, int update) {
    if (jamApp->gameState == c_JamApp::StateTitle && update % 20 == 0) {
        host.KeyEvent(c_ZVGameEvent::KeyDown, kSpace);
        host.KeyEvent(c_ZVGameEvent::KeyUp, kSpace);
    }
    switch (update % 160) {
        case 0: host.KeyEvent(c_ZVGameEvent::KeyDown, kLeft); break;
        case 50: host.KeyEvent(c_ZVGameEvent::KeyUp, kLeft); break;
        case 80: host.KeyEvent(c_ZVGameEvent::KeyDown, kRight); break;
        case 130: host.KeyEvent(c_ZVGameEvent::KeyUp, kRight); break;
    }
}

// A private folder for the state file, with the game's data linked in.
bool EnterSoakFolder() {
    char cwd[4096];
    char folder[] = "/tmp/spraywick_soak_XXXXXX";
    if (!getcwd(cwd, sizeof cwd) || access("data", R_OK) != 0 || !mkdtemp(folder)) return false;
    return symlink((std::string(cwd) + "/data").c_str(), (std::string(folder) + "/data").c_str()) == 0 &&
           chdir(folder) == 0;
}

double Percentile(const std::vector<double>& sorted, double fraction) {
    return sorted[std::min(sorted.size() - 1, size_t(std::ceil(fraction * double(sorted.size()))) - 1)];
}

// The percentile and the worst, on each clock.
void PrintTimes(const char* what, Times& times, double fraction, const char* label) {
    for (std::vector<double>* clock : {&times.wall, &times.cpu}) {
        std::sort(clock->begin(), clock->end());
        std::printf("%-34s %-4s %s %9.1f us, worst %9.1f us\n", what, clock == &times.wall ? "wall" : "cpu", label,
                    Percentile(*clock, fraction), clock->back());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!EnterSoakFolder()) {
        std::puts("run from the folder that holds data/");
        return 1;
    }
    // A silent sound device unless told otherwise: the sound layer runs as in play, and no
    // sound card is needed.
    setenv("ALSOFT_DRIVERS", "null", 0);
    auto* host = new SoakHost();
    zv_start(argc, argv);
    host->StartGame();

    Times updateTimes(kUpdates);
    int runs = 0, crashes = 0, state = jamApp->gameState;
    size_t windowStart = 0;
    double firstMean = 0, lastMean = 0;
    std::printf("%9s %6s %7s %14s %13s %14s %13s\n", "updates", "runs", "crashes", "live bytes", "live objects",
                "mean bytes", "mean objects");
    for (int update = 1; update <= kUpdates; ++update) {
        Play(*host, update);
        Instant start = Instant::Now();
        host->UpdateGame();
        updateTimes.Add(start);

        if (jamApp->gameState != state) {
            runs += jamApp->gameState == c_JamApp::StateSkiing;
            crashes += jamApp->gameState == c_JamApp::StateWipedOut;
            state = jamApp->gameState;
        }
        if (update % kReportEvery == 0) {
            const std::vector<Sweep>& sweeps = host->sweeps;
            Sweep mean;
            for (size_t i = windowStart; i < sweeps.size(); ++i) {
                mean.bytes += sweeps[i].bytes / double(sweeps.size() - windowStart);
                mean.objects += sweeps[i].objects / double(sweeps.size() - windowStart);
            }
            windowStart = sweeps.size();
            Sweep last = sweeps.empty() ? Sweep() : sweeps.back();
            std::printf("%9d %6d %7d %14.0f %13.0f %14.0f %13.0f\n", update, runs, crashes, last.bytes,
                        last.objects, mean.bytes, mean.objects);
            std::fflush(stdout);  // a line as soon as it is known: the whole soak takes minutes
            if (update == 2 * kReportEvery) firstMean = mean.bytes;
            lastMean = mean.bytes;
        }
    }

    std::printf("sweeps %zu, collector steps %zu\n", host->sweeps.size(), host->stepTimes.wall.size());
    PrintTimes("collector step", host->stepTimes, 0.999, "99.9th percentile");
    PrintTimes("update with its collector step", updateTimes, 0.5, "median");
    double change = firstMean > 0 ? 100.0 * (lastMean - firstMean) / firstMean : 0;
    std::printf("live heap after warm-up: %.0f bytes at first, %.0f at last (%+.1f%%): %s\n", firstMean, lastMean,
                change, std::fabs(change) <= 10.0 ? "flat" : "NOT FLAT");
    return 0;
}
