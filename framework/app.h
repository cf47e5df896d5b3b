// The application lifecycle: the App a game derives from, the delegate through which the host
// drives it, and the module functions a game uses to talk to the host.
//
// The host calls the delegate for every lifecycle step and input event; the delegate creates the
// devices once the window exists (StartGame) and brackets every update and render with them.
#pragma once

#include "framework/inputdevice.h"
#include "native/game.h"
#include "native/gxtk_audio.h"
#include "native/gxtk_graphics.h"
#include "runtime/array.h"
#include "runtime/object.h"

class c_App : public Object {
public:
    static constexpr const char* debug_name = "App";

    // Installs a new delegate in the host; there is only ever one App.
    c_App();

    virtual int OnCreate();
    virtual int OnUpdate();
    virtual int OnRender();
    virtual int OnLoading();
    virtual int OnSuspend();
    virtual int OnResume();
    virtual int OnResize();
    virtual int OnClose();
    virtual int OnBack();

    String debug_dump() override;
};

class c_GameDelegate : public ZVGameDelegate {
public:
    static constexpr const char* debug_name = "GameDelegate";

    gxtkGraphics* _graphics = nullptr;
    gxtkAudio* _audio = nullptr;
    c_InputDevice* _input = nullptr;

    void mark_children() override;
    String debug_dump() override;

    c_GameDelegate();

    void StartGame() override;
    void SuspendGame() override;
    void ResumeGame() override;
    void UpdateGame() override;
    void RenderGame() override;
    void KeyEvent(int event, int data) override;
    void MouseEvent(int event, int data, float x, float y) override;
    void TouchEvent(int event, int data, float x, float y) override;
    void MotionEvent(int event, int data, float x, float y, float z) override;
    void DiscardGraphics() override;
};

class c_DisplayMode : public Object {
public:
    static constexpr const char* debug_name = "DisplayMode";

    int _width = 0;
    int _height = 0;

    String debug_dump() override;

    c_DisplayMode();
    c_DisplayMode(int width, int height);
};

// The event codes the host passes to the delegate. No instances.
class c_ZVGameEvent : public Object {
public:
    static constexpr const char* debug_name = "ZVGameEvent";

    static constexpr int KeyDown = 1;
    static constexpr int KeyUp = 2;
    static constexpr int KeyChar = 3;
    static constexpr int MouseDown = 4;
    static constexpr int MouseUp = 5;
    static constexpr int MouseMove = 6;
    static constexpr int TouchDown = 7;
    static constexpr int TouchUp = 8;
    static constexpr int TouchMove = 9;
    static constexpr int MotionAccel = 10;
};

extern c_App* currentApp;
extern c_GameDelegate* currentDelegate;
extern ZVGame* gameHandle;  // the host; plain C++, not collected
extern int cachedDeviceWidth;
extern int cachedDeviceHeight;
extern Array<c_DisplayMode*> displayModeList;
extern c_DisplayMode* desktopDisplayMode;
extern int requestedUpdateRate;

void app_init_globals();
void app_queue_roots();

void SetUpdateRate(int hertz);
// Ends the program with exit status 0; never returns.
void EndApp();
String LoadState();
void SaveState(const String& state);
String LoadString(const String& path);
int DeviceWidth();
int DeviceHeight();
void ValidateDeviceWindow(bool notifyApp);
void EnumDisplayModes();
