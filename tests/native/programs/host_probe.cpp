// A tiny game on the real host, for process and window tests. It reports every delegate call
// it receives on standard output, one line each, and draws green with a red top-left quarter.
// The key R makes it replace its window; a change of the device size is reported at the next update.
//
//   host_probe            run at 30 updates per second until the close key arrives (status 0)
//   host_probe throw      Main throws a managed exception
//   host_probe throw-update  the third update throws a managed exception
//   host_probe nothing    Main installs no delegate
#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "native/entry.h"
#include "native/game.h"
#include "native/keys.h"
#include "runtime/startup.h"

namespace {

void Report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    std::fflush(stdout);
}

class ProbeDelegate : public ZVGameDelegate {
public:
    static constexpr const char* debug_name = "ProbeDelegate";

    bool throwOnUpdate = false;

    void StartGame() override {
        ZVDisplayMode* desktop = gameInstance->GetDesktopMode();
        Report("desktop %d %d", desktop->width, desktop->height);
        Report("modes %d", gameInstance->GetDisplayModes().Length());
        deviceWidth = gameInstance->GetDeviceWidth();
        deviceHeight = gameInstance->GetDeviceHeight();
        Report("start %d %d", deviceWidth, deviceHeight);
    }
    void SuspendGame() override { Report("suspend"); }
    void ResumeGame() override { Report("resume"); }
    void UpdateGame() override {
        if (gameInstance->GetDeviceWidth() != deviceWidth || gameInstance->GetDeviceHeight() != deviceHeight) {
            deviceWidth = gameInstance->GetDeviceWidth();
            deviceHeight = gameInstance->GetDeviceHeight();
            Report("size %d %d", deviceWidth, deviceHeight);
        }
        Report("update %d", ++updates);
        if (throwOnUpdate && updates == 3) throw new ThrowableObject(String("update failed"));
        if (reopenWindow) {
            reopenWindow = false;
            gameInstance->SetDeviceWindow(640, 480, 0);
            Report("reopened %d", graphicsSeq);
        }
    }
    void RenderGame() override {
        if (renders++ == 0) Report("render");
        glClearColor(0.2f, 0.6f, 0.4f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        // The top-left quarter in red, so a capture shows which way up the frame is.
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 240, 320, 240);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
    void KeyEvent(int event, int data) override {
        Report("key %d %d", event, data);
        if (event == ZV_EVENT_KEY_DOWN && data == ZV_KEY_CLOSE) std::exit(0);
        // R asks for a new window at the next update (never inside a window callback).
        if (event == ZV_EVENT_KEY_DOWN && data == 'R') reopenWindow = true;
    }
    void MouseEvent(int event, int data, float x, float y) override { Report("mouse %d %d %g %g", event, data, x, y); }
    void TouchEvent(int, int, float, float) override {}
    void MotionEvent(int, int, float, float, float) override {}
    void DiscardGraphics() override {}

private:
    int updates = 0;
    int renders = 0;
    int deviceWidth = 0;
    int deviceHeight = 0;
    bool reopenWindow = false;
};

ProbeDelegate* probe = nullptr;

}  // namespace

void zv_init_globals() {}
void gc_queue_roots() { gc_grey(probe); }

int Main() {
    std::string mode = zv_args().size() > 1 ? zv_args()[1] : "";
    Report("main");
    if (mode == "throw") throw new ThrowableObject(String("probe failed"));
    if (mode == "nothing") return 0;
    gc_store(probe, new ProbeDelegate());
    probe->throwOnUpdate = mode == "throw-update";
    gameInstance->SetDelegate(probe);
    gameInstance->SetUpdateRate(30);
    return 0;
}

int main(int argc, char** argv) { return zv_host_main(argc, argv); }
