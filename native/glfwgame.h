// The desktop host on GLFW: owns the window, turns its events into framework events and drives
// renders and updates at the application's rate (native/schedule.h).
#pragma once

#include "native/game.h"
#include "native/schedule.h"

struct GLFWwindow;

// GLFW's timer, and a sleep precise enough to hit the next update.
class ZVGlfwClock : public ZVClock {
public:
    double Now() override;
    void Sleep(double seconds) override;
};

class ZVGlfwGame : public ZVGame {
public:
    ZVGlfwGame();

    void SetUpdateRate(int hertz) override;
    int ElapsedMillis() override;
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override;
    void OpenUrl(const String& url) override;
    void SetMouseVisible(bool visible) override;
    int GetDeviceWidth() override;
    int GetDeviceHeight() override;
    void SetDeviceWindow(int width, int height, int flags) override;
    Array<ZVDisplayMode*> GetDisplayModes() override;
    ZVDisplayMode* GetDesktopMode() override;
    void SetSwapInterval(int interval) override;
    String MapDataPath(const String& path) override;
    unsigned char* DecodeImageFile(const String& path, int& width, int& height, int& depth) override;
    unsigned char* DecodeAudioFile(const String& path, int& length, int& channels, int& format,
                                   int& hertz) override;

    // Replaces the window (keys held in the old one are released first) with a new OpenGL context.
    virtual void OpenGlfwWindow(int width, int height, int redBits, int greenBits, int blueBits,
                                int alphaBits, int depthBits, int stencilBits, bool fullscreen);
    virtual ZVGlfwVideoMode* GetGlfwDesktopMode();
    virtual Array<ZVGlfwVideoMode*> GetGlfwVideoModes();
    // Opens the window, starts the game and runs frames until the window is gone.
    virtual void RunLoop();

    // A joystick known as a pad, in the framework's pad layout (native/joystick.h): on the
    // desktop, one GLFW has a mapping for. False leaves it to the raw arrangement.
    virtual bool ArrangeKnownPad(int joystick, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                                 Array<bool> buttons);

    // The host's own keys, which belong to the desktop rather than to the game: F11 or Alt+Enter
    // switches fullscreen, M mutes and unmutes. True when the key was the host's alone.
    bool HandleHostKey(int key, int mods);
    // Fullscreen on the monitor the window is on, at that monitor's current mode, or back to the
    // window's earlier size and place. The OpenGL context stays.
    void ToggleFullscreen();

    // Processes window events (blocking while suspended) and suspends or resumes on focus.
    void PumpEvents();
    // Suspends the game when the focus is lost and resumes it when it is back; the schedule
    // restarts either way, so time spent suspended is not made up.
    void ApplyFocus(bool focused);

    GLFWwindow* Window() const { return window; }
    // The window's drawable size in pixels, as GLFW reports it.
    void SetFramebufferSize(int width, int height);

protected:
    ZVGlfwClock clock;
    ZVUpdateSchedule schedule{clock};

private:
    int swapInterval = -1;  // applied to every window once it is 0 or more
    GLFWwindow* window = nullptr;
    // The device size: pixels, not screen coordinates, which on a scaled display are fewer. Kept
    // from the callback so that reading it costs no round trip to the display server.
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    // Where the window was before it went fullscreen.
    int windowedX = 0, windowedY = 0, windowedWidth = 640, windowedHeight = 480;
};

#ifdef __EMSCRIPTEN__
#include "native/web_game.h"  // the browser's host is the concrete one there
#else
// The concrete host the process entry creates.
class ZVZorvexGame : public ZVGlfwGame {};
#endif

// The one desktop host, set by its constructor.
extern ZVGlfwGame* glfwGameInstance;
