// Start-up time: from the start of the process to the end of the game's first rendered frame,
// through the real entry sequence and host loop (window, devices, assets, the sea decoded whole).
// The program runs itself as a child several times and prints the median and the fastest run, in
// wall-clock time and in the CPU time the child used (all its threads), which a busy machine
// disturbs less.
// Sound goes to a silent OpenAL device unless ALSOFT_CONF names another configuration.
//
//   xvfb-run -a build/bench/bench_game_startup [runs]      (from the folder that holds data/)
#include <GLFW/glfw3.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "native/glfwgame.h"
#include "runtime/startup.h"

extern char** environ;

namespace {

const char* const kChildFlag = "--first-frame";

// Nanoseconds on the clock that parent and child share.
long long MonotonicNanos() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Passes everything to the game's delegate and ends the process once the first frame is drawn.
class FirstFrameDelegate : public ZVGameDelegate {
public:
    explicit FirstFrameDelegate(ZVGameDelegate* game) : game(game) {}
    void mark_children() override { gc_grey(game); }

    void StartGame() override { game->StartGame(); }
    void SuspendGame() override { game->SuspendGame(); }
    void ResumeGame() override { game->ResumeGame(); }
    void UpdateGame() override { game->UpdateGame(); }
    void RenderGame() override {
        game->RenderGame();
        rusage usage;
        getrusage(RUSAGE_SELF, &usage);
        long long cpuMicros = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec +
                              usage.ru_stime.tv_usec;
        std::printf("first-frame %lld %lld\n", MonotonicNanos(), cpuMicros);
        std::fflush(stdout);
        std::_Exit(0);
    }
    void KeyEvent(int event, int data) override { game->KeyEvent(event, data); }
    void MouseEvent(int event, int data, float x, float y) override { game->MouseEvent(event, data, x, y); }
    void TouchEvent(int event, int data, float x, float y) override { game->TouchEvent(event, data, x, y); }
    void MotionEvent(int event, int data, float x, float y, float z) override {
        game->MotionEvent(event, data, x, y, z);
    }
    void DiscardGraphics() override { game->DiscardGraphics(); }

private:
    ZVGameDelegate* game;
};

// The entry sequence of the real program, with the first frame reported.
int RunChild(int argc, char** argv) {
    if (!glfwInit()) return 1;
    ZVZorvexGame* host = new ZVZorvexGame();
    zv_start(argc, argv);
    if (!host->GetDelegate()) return 1;
    host->SetDelegate(new FirstFrameDelegate(host->GetDelegate()));
    host->RunLoop();
    return 1;
}

struct StartTimes {
    double wallMs = -1;  // from spawning the child to its first frame; negative when it reported none
    double cpuMs = -1;
};

StartTimes TimeOneStart(const char* self) {
    StartTimes times;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return times;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char* argv[] = {const_cast<char*>(self), const_cast<char*>(kChildFlag), nullptr};
    long long spawned = MonotonicNanos();
    pid_t pid;
    int failed = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed) {
        close(pipeEnds[0]);
        return times;
    }
    std::string out;
    char piece[256];
    ssize_t n;
    while ((n = read(pipeEnds[0], piece, sizeof piece)) > 0) out.append(piece, size_t(n));
    close(pipeEnds[0]);
    waitpid(pid, nullptr, 0);
    long long frameNanos = 0, cpuMicros = 0;
    size_t at = out.find("first-frame ");
    if (at == std::string::npos || std::sscanf(out.c_str() + at, "first-frame %lld %lld", &frameNanos, &cpuMicros) != 2)
        return times;
    times.wallMs = double(frameNanos - spawned) / 1e6;
    times.cpuMs = double(cpuMicros) / 1e3;
    return times;
}

void PrintFigures(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-36s median %7.1f ms   fastest %7.1f ms\n", what, ms[ms.size() / 2], ms.front());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kChildFlag) return RunChild(argc, argv);

    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    char config[] = "/tmp/zv_startup_alsoft_XXXXXX";
    bool ownConfig = false;
    if (!std::getenv("ALSOFT_CONF")) {
        int fd = mkstemp(config);
        if (fd >= 0) {
            const char text[] = "[general]\ndrivers=null\n";
            ownConfig = write(fd, text, sizeof text - 1) == ssize_t(sizeof text - 1);
            close(fd);
        }
        if (ownConfig) setenv("ALSOFT_CONF", config, 1);
    }
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        StartTimes times = TimeOneStart("/proc/self/exe");
        if (times.wallMs < 0) {
            std::puts("a run reported no first frame (is there a display, and data/ here?)");
            return 1;
        }
        wall.push_back(times.wallMs);
        cpu.push_back(times.cpuMs);
    }
    if (ownConfig) unlink(config);
    std::printf("%d runs\n", runs);
    PrintFigures("start to first frame, wall clock", wall);
    PrintFigures("start to first frame, CPU time", cpu);
    return 0;
}
