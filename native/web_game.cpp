#include "native/web_game.h"

#include <GLFW/glfw3.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include "native/joystick.h"

namespace {

// A frame over the canvas. Input arrives by callbacks between browser frames, and focus by the
// page's events, so there is nothing to pump.
class BrowserFrame : public ZVFrameSteps {
public:
    explicit BrowserFrame(ZVWebGame& host) : host(host) {}
    void RenderAndSwap() override {
        host.RenderGame();
        glfwSwapBuffers(host.Window());
    }
    void PumpEvents() override {}
    bool IsSuspended() override { return host.IsSuspended(); }
    void UpdateGame() override { host.UpdateGame(); }

private:
    ZVWebGame& host;
};

struct BrowserLoop {
    ZVUpdateSchedule& schedule;
    BrowserFrame frame;
};

void RunBrowserFrame(void* loop) {
    auto* browser = static_cast<BrowserLoop*>(loop);
    browser->schedule.RunBrowserFrame(browser->frame);
}

// A hidden page gets no frames at all, and a blurred one no keys: both count as focus lost.
void ApplyPageFocus(void* host) {
    bool focused = EM_ASM_INT({ return !document.hidden && document.hasFocus(); }) != 0;
    static_cast<ZVWebGame*>(host)->ApplyFocus(focused);
}

EM_BOOL OnFocusOrBlur(int, const EmscriptenFocusEvent*, void* host) {
    ApplyPageFocus(host);
    return EM_FALSE;
}

EM_BOOL OnVisibilityChange(int, const EmscriptenVisibilityChangeEvent*, void* host) {
    ApplyPageFocus(host);
    return EM_FALSE;
}

// Emscripten's GLFW numbers the joysticks as the Gamepad API does.
EM_JS(int, PadHasStandardLayout, (int joystick), {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    return pads[joystick] && pads[joystick].mapping === "standard" ? 1 : 0;
});

}  // namespace

bool ZVWebGame::ArrangeKnownPad(int joystick, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                                Array<bool> buttons) {
    if (!PadHasStandardLayout(joystick)) return false;
    int axisCount = 0, buttonCount = 0;
    const float* axes = glfwGetJoystickAxes(joystick, &axisCount);
    const unsigned char* states = glfwGetJoystickButtons(joystick, &buttonCount);
    if (!axes || !states) return false;
    ZVArrangeStandardGamepad(axes, axisCount, states, buttonCount, joyx, joyy, joyz, buttons);
    return true;
}

// In a new tab, cut off from this page.
void ZVGlfwGame::OpenUrl(const String& url) {
    EM_ASM({ window.open(UTF8ToString($0), "_blank", "noopener"); }, url.ToBytes().c_str());
}

int ZVWebGame::SaveState(const String& state) {
    int status = ZVGame::SaveState(state);
    if (status == 0) {
        EM_ASM({
            FS.syncfs(false, function(error) {
                if (error) console.error("Spraywick: the best score could not be stored", error);
            });
        });
    }
    return status;
}

void ZVWebGame::RunLoop() {
    OpenGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    StartGame();
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, OnFocusOrBlur);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, true, OnFocusOrBlur);
    emscripten_set_visibilitychange_callback(this, true, OnVisibilityChange);

    // Lives as long as the page; this function never returns to free it.
    auto* loop = new BrowserLoop{schedule, BrowserFrame(*this)};
    // The first render comes before the first update, as on the desktop.
    loop->frame.RenderAndSwap();
    EM_ASM({ performance.mark("spraywick-first-frame"); });
    emscripten_set_main_loop_arg(RunBrowserFrame, loop, 0, true);
}
