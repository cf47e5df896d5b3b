#include "native/glfwgame.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "native/gxtk_audio.h"
#include "native/joystick.h"
#include "native/keys.h"

ZVGlfwGame* glfwGameInstance = nullptr;

namespace {

constexpr int MAX_VIDEO_MODES = 1024;

// The primary monitor's current mode, or null when there is no monitor.
const GLFWvidmode* DesktopVideoMode() {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    return monitor ? glfwGetVideoMode(monitor) : nullptr;
}

// The primary monitor's modes, at most MAX_VIDEO_MODES of them.
const GLFWvidmode* VideoModes(int& count) {
    count = 0;
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* modes = monitor ? glfwGetVideoModes(monitor, &count) : nullptr;
    count = modes ? std::min(count, MAX_VIDEO_MODES) : 0;
    return modes;
}

// The monitor that holds the window's centre, or the primary one.
GLFWmonitor* MonitorOf(GLFWwindow* window) {
    int x, y, width, height, count = 0;
    glfwGetWindowPos(window, &x, &y);
    glfwGetWindowSize(window, &width, &height);
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    for (int i = 0; i < count; ++i) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
        int left, top;
        glfwGetMonitorPos(monitors[i], &left, &top);
        int centreX = x + width / 2, centreY = y + height / 2;
        if (mode && centreX >= left && centreX < left + mode->width && centreY >= top && centreY < top + mode->height) {
            return monitors[i];
        }
    }
    return glfwGetPrimaryMonitor();
}

ZVGlfwGame& HostOf(GLFWwindow* window) { return *static_cast<ZVGlfwGame*>(glfwGetWindowUserPointer(window)); }

// The callbacks translate and forward; the game object's dispatch does the rest.

void OnKey(GLFWwindow* window, int key, int, int action, int mods) {
    ZVGlfwGame& host = HostOf(window);
    if (action == GLFW_PRESS && host.HandleHostKey(key, mods)) return;
    int code = ZVFrameworkKeyCode(key);
    if (code == 0) return;
    if (action == GLFW_RELEASE) {
        host.KeyEvent(ZV_EVENT_KEY_UP, code);
        return;
    }
    host.KeyEvent(ZV_EVENT_KEY_DOWN, code);
    if (int character = ZVKeyChar(code)) host.KeyEvent(ZV_EVENT_KEY_CHAR, character);
}

// GLFW reports only printable code points here (32-126 and from 160), on presses and repeats.
void OnChar(GLFWwindow* window, unsigned int codepoint) {
    HostOf(window).KeyEvent(ZV_EVENT_KEY_CHAR, int(codepoint));
}

void OnMouseButton(GLFWwindow* window, int button, int action, int) {
    if (button > 2) return;
    double x, y;
    glfwGetCursorPos(window, &x, &y);
    int event = action == GLFW_PRESS ? ZV_EVENT_MOUSE_DOWN : ZV_EVENT_MOUSE_UP;
    HostOf(window).MouseEvent(event, button, float(x), float(y));
}

void OnCursorPos(GLFWwindow* window, double x, double y) {
    HostOf(window).MouseEvent(ZV_EVENT_MOUSE_MOVE, -1, float(x), float(y));
}

void OnFramebufferSize(GLFWwindow* window, int width, int height) { HostOf(window).SetFramebufferSize(width, height); }

// The close button is a key for the application; the window stays until the application ends.
void OnClose(GLFWwindow* window) {
    ZVGlfwGame& host = HostOf(window);
    host.KeyEvent(ZV_EVENT_KEY_DOWN, ZV_KEY_CLOSE);
    host.KeyEvent(ZV_EVENT_KEY_UP, ZV_KEY_CLOSE);
    glfwSetWindowShouldClose(window, GLFW_FALSE);
}

// One frame of the host loop over the real window.
class WindowFrame : public ZVFrameSteps {
public:
    explicit WindowFrame(ZVGlfwGame& host) : host(host) {}
    void RenderAndSwap() override {
        host.RenderGame();
        if (host.Window()) glfwSwapBuffers(host.Window());
    }
    void PumpEvents() override { host.PumpEvents(); }
    bool IsSuspended() override { return host.IsSuspended(); }
    void UpdateGame() override { host.UpdateGame(); }

private:
    ZVGlfwGame& host;
};

}  // namespace

double ZVGlfwClock::Now() { return glfwGetTime(); }

// An absolute deadline on the monotonic clock survives interruptions without drifting.
void ZVGlfwClock::Sleep(double seconds) {
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    double whole = static_cast<double>(static_cast<long>(seconds));
    deadline.tv_sec += static_cast<time_t>(whole);
    deadline.tv_nsec += static_cast<long>((seconds - whole) * 1e9);
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

ZVGlfwGame::ZVGlfwGame() { glfwGameInstance = this; }

void ZVGlfwGame::SetUpdateRate(int hertz) {
    ZVGame::SetUpdateRate(hertz);
    schedule.SetRate(hertz);
}

int ZVGlfwGame::ElapsedMillis() { return int(clock.Now() * 1000.0); }

bool ZVGlfwGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons) {
    if (port < 0 || port > GLFW_JOYSTICK_LAST - GLFW_JOYSTICK_1) return false;
    int joystick = GLFW_JOYSTICK_1 + port;
    if (!glfwJoystickPresent(joystick)) return false;
    if (ArrangeKnownPad(joystick, joyx, joyy, joyz, buttons)) return true;
    int axisCount = 0, buttonCount = 0;
    const float* axes = glfwGetJoystickAxes(joystick, &axisCount);
    const unsigned char* states = glfwGetJoystickButtons(joystick, &buttonCount);
    // Unplugged between the calls: report nothing rather than half a state.
    if (!axes || !states) return false;
    ZVArrangeJoystick(axes, axisCount, states, buttonCount, joyx, joyy, joyz, buttons);
    return true;
}

bool ZVGlfwGame::ArrangeKnownPad(int joystick, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                                 Array<bool> buttons) {
#ifdef __EMSCRIPTEN__
    return false;  // the browser's GLFW maps no pads; the page's host does (web_game.cpp)
#else
    GLFWgamepadstate pad;
    if (!glfwJoystickIsGamepad(joystick) || !glfwGetGamepadState(joystick, &pad)) return false;
    ZVArrangeGamepad(pad.buttons, pad.axes, joyx, joyy, joyz, buttons);
    return true;
#endif
}

void ZVGlfwGame::SetMouseVisible(bool visible) {
    if (window) glfwSetInputMode(window, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}

int ZVGlfwGame::GetDeviceWidth() { return framebufferWidth; }

int ZVGlfwGame::GetDeviceHeight() { return framebufferHeight; }

void ZVGlfwGame::SetFramebufferSize(int width, int height) {
    framebufferWidth = width;
    framebufferHeight = height;
}

void ZVGlfwGame::SetDeviceWindow(int width, int height, int flags) {
    OpenGlfwWindow(width, height, 8, 8, 8, 0, 0, 0, (flags & 1) != 0);
}

Array<ZVDisplayMode*> ZVGlfwGame::GetDisplayModes() {
    int count;
    const GLFWvidmode* modes = VideoModes(count);
    Array<ZVDisplayMode*> result(count);
    for (int i = 0; i < count; ++i) result.Set(i, new ZVDisplayMode(modes[i].width, modes[i].height));
    return result;
}

// Never null: without a monitor the desktop is 0 by 0.
ZVDisplayMode* ZVGlfwGame::GetDesktopMode() {
    const GLFWvidmode* mode = DesktopVideoMode();
    return mode ? new ZVDisplayMode(mode->width, mode->height) : new ZVDisplayMode();
}

ZVGlfwVideoMode* ZVGlfwGame::GetGlfwDesktopMode() {
    const GLFWvidmode* mode = DesktopVideoMode();
    if (!mode) return new ZVGlfwVideoMode();
    return new ZVGlfwVideoMode(mode->width, mode->height, mode->redBits, mode->greenBits, mode->blueBits);
}

Array<ZVGlfwVideoMode*> ZVGlfwGame::GetGlfwVideoModes() {
    int count;
    const GLFWvidmode* modes = VideoModes(count);
    Array<ZVGlfwVideoMode*> result(count);
    for (int i = 0; i < count; ++i) {
        const GLFWvidmode& m = modes[i];
        result.Set(i, new ZVGlfwVideoMode(m.width, m.height, m.redBits, m.greenBits, m.blueBits));
    }
    return result;
}

void ZVGlfwGame::SetSwapInterval(int interval) {
    swapInterval = interval;
    if (swapInterval >= 0 && window) glfwSwapInterval(swapInterval);
}

void ZVGlfwGame::OpenGlfwWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                                int depthBits, int stencilBits, bool fullscreen) {
    // Keys held while the window is replaced would otherwise stay down for ever.
    if (window) {
        for (int key = 0; key <= GLFW_KEY_LAST; ++key) {
            int code = ZVFrameworkKeyCode(key);
            if (code != 0 && glfwGetKey(window, key) == GLFW_PRESS) KeyEvent(ZV_EVENT_KEY_UP, code);
        }
    }
    const GLFWvidmode* desktop = DesktopVideoMode();
    int desktopWidth = desktop ? desktop->width : 0, desktopHeight = desktop ? desktop->height : 0;
    if (window) {
        glfwDestroyWindow(window);
        window = nullptr;
        SetFramebufferSize(0, 0);
    }

    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_REFRESH_RATE, 60);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    glfwWindowHint(GLFW_RED_BITS, redBits);
    glfwWindowHint(GLFW_GREEN_BITS, greenBits);
    glfwWindowHint(GLFW_BLUE_BITS, blueBits);
    glfwWindowHint(GLFW_ALPHA_BITS, alphaBits);
    glfwWindowHint(GLFW_DEPTH_BITS, depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencilBits);
    // Not tested here: a window that did not open ends the host loop at its next test.
    window = glfwCreateWindow(width, height, "Spraywick", fullscreen ? glfwGetPrimaryMonitor() : nullptr,
                              nullptr);
    ++graphicsSeq;
    if (!window) return;

    if (!fullscreen) glfwSetWindowPos(window, (desktopWidth - width) / 2, (desktopHeight - height) / 2);
    glfwMakeContextCurrent(window);
    if (swapInterval >= 0) glfwSwapInterval(swapInterval);

    glfwSetWindowUserPointer(window, this);
    glfwSetKeyCallback(window, OnKey);
    glfwSetCharCallback(window, OnChar);
    glfwSetMouseButtonCallback(window, OnMouseButton);
    glfwSetCursorPosCallback(window, OnCursorPos);
    glfwSetWindowCloseCallback(window, OnClose);
    glfwSetFramebufferSizeCallback(window, OnFramebufferSize);
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    // The application learns the pointer's place at once, not on its first move.
    double x, y;
    glfwGetCursorPos(window, &x, &y);
    OnCursorPos(window, x, y);
}

bool ZVGlfwGame::HandleHostKey(int key, int mods) {
#ifdef __EMSCRIPTEN__
    return false;  // the page has its own fullscreen button, and the browser its own keys
#else
    if (key == GLFW_KEY_F11 || (key == GLFW_KEY_ENTER && (mods & GLFW_MOD_ALT))) {
        ToggleFullscreen();
        return true;
    }
    // A letter the game might want too, so it is passed on as well.
    if (key == GLFW_KEY_M && audioInstance) audioInstance->SetMuted(!audioInstance->muted);
    return false;
#endif
}

void ZVGlfwGame::ToggleFullscreen() {
    if (!window) return;
    if (glfwGetWindowMonitor(window)) {
        glfwSetWindowMonitor(window, nullptr, windowedX, windowedY, windowedWidth, windowedHeight, GLFW_DONT_CARE);
        return;
    }
    GLFWmonitor* monitor = MonitorOf(window);
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!mode) return;
    glfwGetWindowPos(window, &windowedX, &windowedY);
    glfwGetWindowSize(window, &windowedWidth, &windowedHeight);
    glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}

void ZVGlfwGame::RunLoop() {
    OpenGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    StartGame();
    WindowFrame frame(*this);
    while (window && !glfwWindowShouldClose(window)) schedule.RunFrame(frame);
}

void ZVGlfwGame::PumpEvents() {
    if (!window) return;  // nothing could wake a wait
    if (suspended) {
        glfwWaitEvents();
    } else {
        glfwPollEvents();
    }
    ApplyFocus(glfwGetWindowAttrib(window, GLFW_FOCUSED));
}

void ZVGlfwGame::ApplyFocus(bool focused) {
    if (focused && suspended) {
        ResumeGame();
        schedule.Restart();
    } else if (!focused && !suspended) {
        SuspendGame();
        schedule.Restart();
    }
}
