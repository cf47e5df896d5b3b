#include "framework/app.h"

#include "framework/audio.h"
#include "framework/data.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "runtime/std/map.h"
#include "runtime/std/stack.h"

// ---- Module globals ----

c_App* currentApp;
c_GameDelegate* currentDelegate;
ZVGame* gameHandle;
int cachedDeviceWidth;
int cachedDeviceHeight;
Array<c_DisplayMode*> displayModeList;
c_DisplayMode* desktopDisplayMode;
int requestedUpdateRate;

void app_init_globals() {
    currentApp = nullptr;
    currentDelegate = nullptr;
    gameHandle = gameInstance;
    cachedDeviceWidth = 0;
    cachedDeviceHeight = 0;
    gc_store_array(displayModeList, Array<c_DisplayMode*>());
    desktopDisplayMode = nullptr;
    requestedUpdateRate = 0;
}

void app_queue_roots() {
    gc_grey(currentApp);
    gc_grey(currentDelegate);
    gc_grey(displayModeList.Storage());
    gc_grey(desktopDisplayMode);
}

// ---- App ----

c_App::c_App() {
    ZV_FUNC("App.new");
    ZV_SELF;
    ZV_AT if (currentApp) error_statement(String("App has already been created"));
    ZV_AT gc_store(currentApp, this);
    ZV_AT gc_store(currentDelegate, new c_GameDelegate());
    ZV_AT gameHandle->SetDelegate(currentDelegate);
}

String c_App::debug_dump() { return dbg_dump_header("App"); }

int c_App::OnCreate() {
    ZV_FUNC("App.OnCreate");
    ZV_SELF;
    ZV_AT return 0;
}

int c_App::OnUpdate() {
    ZV_FUNC("App.OnUpdate");
    ZV_SELF;
    ZV_AT return 0;
}

int c_App::OnRender() {
    ZV_FUNC("App.OnRender");
    ZV_SELF;
    ZV_AT return 0;
}

int c_App::OnLoading() {
    ZV_FUNC("App.OnLoading");
    ZV_SELF;
    ZV_AT return 0;
}

int c_App::OnSuspend() {
    ZV_FUNC("App.OnSuspend");
    ZV_SELF;
    ZV_AT return 0;
}

int c_App::OnResume() {
    ZV_FUNC("App.OnResume");
    ZV_SELF;
    ZV_AT return 0;
}

int c_App::OnResize() {
    ZV_FUNC("App.OnResize");
    ZV_SELF;
    ZV_AT return 0;
}

int c_App::OnClose() {
    ZV_FUNC("App.OnClose");
    ZV_SELF;
    ZV_AT EndApp();
    ZV_AT return 0;
}

int c_App::OnBack() {
    ZV_FUNC("App.OnBack");
    ZV_SELF;
    ZV_AT OnClose();
    ZV_AT return 0;
}

// ---- GameDelegate ----

c_GameDelegate::c_GameDelegate() {
    ZV_FUNC("GameDelegate.new");
    ZV_SELF;
}

void c_GameDelegate::mark_children() {
    ZVGameDelegate::mark_children();
    gc_grey(_graphics);
    gc_grey(_audio);
    gc_grey(_input);
}

String c_GameDelegate::debug_dump() {
    String t = dbg_dump_header("GameDelegate");
    dbg_dump_field(t, "_graphics", _graphics);
    dbg_dump_field(t, "_audio", _audio);
    dbg_dump_field(t, "_input", _input);
    return t;
}

void c_GameDelegate::StartGame() {
    ZV_FUNC("GameDelegate.StartGame");
    ZV_SELF;
    ZV_AT gc_store(_graphics, new gxtkGraphics());
    ZV_AT SetGraphicsDevice(_graphics);
    ZV_AT SetFont(nullptr, 32);
    ZV_AT gc_store(_audio, new gxtkAudio());
    ZV_AT SetAudioDevice(_audio);
    ZV_AT gc_store(_input, new c_InputDevice());
    ZV_AT SetInputDevice(_input);
    ZV_AT ValidateDeviceWindow(false);
    ZV_AT EnumDisplayModes();
    ZV_AT currentApp->OnCreate();
}

void c_GameDelegate::SuspendGame() {
    ZV_FUNC("GameDelegate.SuspendGame");
    ZV_SELF;
    ZV_AT currentApp->OnSuspend();
    ZV_AT _audio->Suspend();
}

void c_GameDelegate::ResumeGame() {
    ZV_FUNC("GameDelegate.ResumeGame");
    ZV_SELF;
    ZV_AT _audio->Resume();
    ZV_AT currentApp->OnResume();
}

void c_GameDelegate::UpdateGame() {
    ZV_FUNC("GameDelegate.UpdateGame");
    ZV_SELF;
    ZV_AT ValidateDeviceWindow(true);
    ZV_AT _input->BeginUpdate();
    ZV_AT currentApp->OnUpdate();
    ZV_AT _input->EndUpdate();
}

void c_GameDelegate::RenderGame() {
    ZV_FUNC("GameDelegate.RenderGame");
    ZV_SELF;
    ZV_AT ValidateDeviceWindow(true);
    ZV_AT int mode = _graphics->BeginRender();
    ZV_LOCAL(mode);
    ZV_AT if (mode != 0) BeginRender();
    // Mode 2 is a renderer still loading; the desktop renderer always answers 1.
    ZV_AT if (mode == 2) {
        ZV_BLOCK;
        ZV_AT currentApp->OnLoading();
    } else {
        ZV_BLOCK;
        ZV_AT currentApp->OnRender();
    }
    ZV_AT if (mode != 0) EndRender();
    ZV_AT _graphics->EndRender();
}

void c_GameDelegate::KeyEvent(int event, int data) {
    ZV_FUNC("GameDelegate.KeyEvent");
    ZV_SELF;
    ZV_LOCAL(event);
    ZV_LOCAL(data);
    ZV_AT _input->KeyEvent(event, data);
    // Only the press acts: the host sends the close key down and up together.
    ZV_AT if (event != c_ZVGameEvent::KeyDown) return;
    ZV_AT if (data == KeyClose) {
        ZV_BLOCK;
        ZV_AT currentApp->OnClose();
    } else if (data == KeyBack) {
        ZV_BLOCK;
        ZV_AT currentApp->OnBack();
    }
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y) {
    ZV_FUNC("GameDelegate.MouseEvent");
    ZV_SELF;
    ZV_LOCAL(event);
    ZV_LOCAL(data);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT _input->MouseEvent(event, data, x, y);
}

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) {
    ZV_FUNC("GameDelegate.TouchEvent");
    ZV_SELF;
    ZV_LOCAL(event);
    ZV_LOCAL(data);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT _input->TouchEvent(event, data, x, y);
}

void c_GameDelegate::MotionEvent(int event, int data, float x, float y, float z) {
    ZV_FUNC("GameDelegate.MotionEvent");
    ZV_SELF;
    ZV_LOCAL(event);
    ZV_LOCAL(data);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(z);
    ZV_AT _input->MotionEvent(event, data, x, y, z);
}

void c_GameDelegate::DiscardGraphics() {
    ZV_FUNC("GameDelegate.DiscardGraphics");
    ZV_SELF;
    ZV_AT _graphics->DiscardGraphics();
}

// ---- DisplayMode ----

c_DisplayMode::c_DisplayMode() {
    ZV_FUNC("DisplayMode.new");
    ZV_SELF;
}

c_DisplayMode::c_DisplayMode(int width, int height) {
    ZV_FUNC("DisplayMode.new");
    ZV_SELF;
    ZV_LOCAL(width);
    ZV_LOCAL(height);
    ZV_AT _width = width;
    ZV_AT _height = height;
}

String c_DisplayMode::debug_dump() {
    String t = dbg_dump_header("DisplayMode");
    dbg_dump_field(t, "_width", _width);
    dbg_dump_field(t, "_height", _height);
    return t;
}

// ---- Module functions ----

void SetUpdateRate(int hertz) {
    ZV_FUNC("SetUpdateRate");
    ZV_LOCAL(hertz);
    ZV_AT requestedUpdateRate = hertz;
    ZV_AT gameHandle->SetUpdateRate(hertz);
}

void EndApp() {
    ZV_FUNC("EndApp");
    ZV_AT error_statement(String());
}

String LoadState() {
    ZV_FUNC("LoadState");
    ZV_AT return gameHandle->LoadState();
}

void SaveState(const String& state) {
    ZV_FUNC("SaveState");
    ZV_LOCAL(state);
    // A state that cannot be saved is not the game's concern; the status is dropped.
    ZV_AT gameHandle->SaveState(state);
}

String LoadString(const String& path) {
    ZV_FUNC("LoadString");
    ZV_LOCAL(path);
    ZV_AT return gameHandle->LoadString(FixDataPath(path));
}

int DeviceWidth() {
    ZV_FUNC("DeviceWidth");
    ZV_AT return cachedDeviceWidth;
}

int DeviceHeight() {
    ZV_FUNC("DeviceHeight");
    ZV_AT return cachedDeviceHeight;
}

void ValidateDeviceWindow(bool notifyApp) {
    ZV_FUNC("ValidateDeviceWindow");
    ZV_LOCAL(notifyApp);
    ZV_AT int width = gameHandle->GetDeviceWidth();
    ZV_LOCAL(width);
    ZV_AT int height = gameHandle->GetDeviceHeight();
    ZV_LOCAL(height);
    ZV_AT if (width == cachedDeviceWidth && height == cachedDeviceHeight) return;
    ZV_AT cachedDeviceWidth = width;
    ZV_AT cachedDeviceHeight = height;
    ZV_AT if (notifyApp) currentApp->OnResize();
}

void EnumDisplayModes() {
    ZV_FUNC("EnumDisplayModes");
    ZV_AT Array<ZVDisplayMode*> modes = gameHandle->GetDisplayModes();
    ZV_LOCAL(modes);
    // Modes that differ only in colour depth or refresh rate are one size to the game.
    ZV_AT c_IntMap<c_DisplayMode*>* seen = new c_IntMap<c_DisplayMode*>();
    ZV_LOCAL(seen);
    ZV_AT c_Stack<c_DisplayMode*>* unique = new c_Stack<c_DisplayMode*>();
    ZV_LOCAL(unique);
    ZV_AT for (int i = 0; i < modes.Length(); ++i) {
        ZV_BLOCK;
        ZV_LOCAL(i);
        ZV_AT ZVDisplayMode* mode = modes[i];
        ZV_LOCAL(mode);
        ZV_AT int key = int((unsigned(mode->width) << 16) | unsigned(mode->height));
        ZV_LOCAL(key);
        ZV_AT if (seen->Contains(key)) continue;
        ZV_AT c_DisplayMode* displayMode = new c_DisplayMode(mode->width, mode->height);
        ZV_LOCAL(displayMode);
        ZV_AT seen->Insert(key, displayMode);
        ZV_AT unique->Push(displayMode);
    }
    ZV_AT gc_store_array(displayModeList, unique->ToArray());
    ZV_AT ZVDisplayMode* desktop = gameHandle->GetDesktopMode();
    ZV_LOCAL(desktop);
    ZV_AT if (desktop) {
        ZV_BLOCK;
        ZV_AT gc_store(desktopDisplayMode, new c_DisplayMode(desktop->width, desktop->height));
    } else {
        ZV_BLOCK;
        ZV_AT gc_store(desktopDisplayMode, new c_DisplayMode(DeviceWidth(), DeviceHeight()));
    }
}
