// The native game object: the one object that stands between the platform and the framework.
//
// ZVGame dispatches the lifecycle and input operations to the framework's delegate (guarded, with
// one collector step after each) and offers the file, state and decoding services. The desktop
// host (ZVGlfwGame, native/glfwgame.h) overrides what needs a window or a real clock.
#pragma once

#include <cstdio>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

// Event codes passed as the `event` argument of the delegate's event operations.
enum ZVEventCode {
    ZV_EVENT_KEY_DOWN = 1,
    ZV_EVENT_KEY_UP = 2,
    ZV_EVENT_KEY_CHAR = 3,
    ZV_EVENT_MOUSE_DOWN = 4,
    ZV_EVENT_MOUSE_UP = 5,
    ZV_EVENT_MOUSE_MOVE = 6,
    ZV_EVENT_TOUCH_DOWN = 7,
    ZV_EVENT_TOUCH_UP = 8,
    ZV_EVENT_TOUCH_MOVE = 9,
    ZV_EVENT_MOTION_ACCEL = 10,
};

// Native collected classes show as plain Object to the debugger, so the three below keep Object's
// debug name and dump.

// The framework's side of the host: every lifecycle step and input event arrives here.
class ZVGameDelegate : public Object {
public:
    virtual void StartGame() = 0;
    virtual void SuspendGame() = 0;
    virtual void ResumeGame() = 0;
    virtual void UpdateGame() = 0;
    virtual void RenderGame() = 0;
    virtual void KeyEvent(int event, int data) = 0;
    virtual void MouseEvent(int event, int data, float x, float y) = 0;
    virtual void TouchEvent(int event, int data, float x, float y) = 0;
    virtual void MotionEvent(int event, int data, float x, float y, float z) = 0;
    virtual void DiscardGraphics() = 0;
};

// A display mode as the framework sees it; this host fills only the size.
class ZVDisplayMode : public Object {
public:
    ZVDisplayMode(int width = 0, int height = 0) : width(width), height(height) {}

    int width;
    int height;
    int depth = 0;
    int hertz = 0;
    int flags = 0;
};

// A video mode with its colour depths, as the window layer reports it.
class ZVGlfwVideoMode : public Object {
public:
    ZVGlfwVideoMode(int width = 0, int height = 0, int redBits = 0, int greenBits = 0, int blueBits = 0)
        : width(width), height(height), redBits(redBits), greenBits(greenBits), blueBits(blueBits) {}

    int width;
    int height;
    int redBits;
    int greenBits;
    int blueBits;
};

// Platform-neutral game object. Plain C++ (not collected): it lives for the whole process.
class ZVGame {
public:
    ZVGame();
    virtual ~ZVGame();
    ZVGame(const ZVGame&) = delete;
    ZVGame& operator=(const ZVGame&) = delete;

    virtual void SetDelegate(ZVGameDelegate* delegate);
    virtual ZVGameDelegate* GetDelegate();
    virtual void SetKeyboardEnabled(int enabled);
    virtual int GetKeyboardEnabled();
    virtual void SetUpdateRate(int hertz);
    virtual int GetUpdateRate();
    virtual bool IsStarted();
    virtual bool IsSuspended();
    virtual int ElapsedMillis();
    virtual void FillDate(Array<int> date);
    // 0 saved, -1 the file could not be created or replaced, -2 not every byte was written.
    virtual int SaveState(const String& state);
    virtual String LoadState();
    virtual String LoadString(const String& path);
    virtual bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons);
    virtual void OpenUrl(const String& url);
    virtual void SetMouseVisible(bool visible);
    virtual int GetDeviceWidth();
    virtual int GetDeviceHeight();
    virtual void SetDeviceWindow(int width, int height, int flags);
    virtual Array<ZVDisplayMode*> GetDisplayModes();
    virtual ZVDisplayMode* GetDesktopMode();
    virtual void SetSwapInterval(int interval);
    virtual String MapDataPath(const String& path);
    // Buffers returned by the next three belong to the caller, who releases them with free().
    virtual std::FILE* OpenDataFile(const String& path, const String& mode);
    virtual unsigned char* ReadDataFile(const String& path, int& length);
    virtual unsigned char* DecodeImageFile(const String& path, int& width, int& height, int& depth);
    virtual unsigned char* DecodeAudioFile(const String& path, int& length, int& channels, int& format,
                                           int& hertz);
    [[noreturn]] virtual void uncaught_exception(ThrowableObject* thrown);
    virtual void CollectAfterCallback();

    // Guarded dispatch to the delegate: each runs only in the states that allow it.
    virtual void StartGame();
    virtual void SuspendGame();
    virtual void ResumeGame();
    virtual void UpdateGame();
    virtual void RenderGame();
    virtual void KeyEvent(int event, int data);
    virtual void MouseEvent(int event, int data, float x, float y);
    virtual void TouchEvent(int event, int data, float x, float y);
    virtual void MotionEvent(int event, int data, float x, float y, float z);
    virtual void DiscardGraphics();

protected:
    ZVGameDelegate* gameDelegate = nullptr;  // not owned: the framework keeps it reachable
    int keyboardEnabled = 0;                 // stored for the framework; nothing reads it
    int updateRate = 0;                      // updates per second; 0 = one per rendered frame
    bool started = false;
    bool suspended = false;
};

// The one game object, set by its constructor.
extern ZVGame* gameInstance;
// Counts the OpenGL contexts created; a texture made under an older value must be rebuilt.
extern int graphicsSeq;
