#include "native/game.h"

#include "runtime/gc.h"

ZVGame* gameInstance = nullptr;
int graphicsSeq = 0;

ZVGame::ZVGame() { gameInstance = this; }

ZVGame::~ZVGame() {
    if (gameInstance == this) gameInstance = nullptr;
}

void ZVGame::SetDelegate(ZVGameDelegate* delegate) { gameDelegate = delegate; }
ZVGameDelegate* ZVGame::GetDelegate() { return gameDelegate; }
void ZVGame::SetKeyboardEnabled(int enabled) { keyboardEnabled = enabled; }
int ZVGame::GetKeyboardEnabled() { return keyboardEnabled; }
void ZVGame::SetUpdateRate(int hertz) { updateRate = hertz; }
int ZVGame::GetUpdateRate() { return updateRate; }
bool ZVGame::IsStarted() { return started; }
bool ZVGame::IsSuspended() { return suspended; }

// What a platform without a window or a clock answers; the desktop host overrides these.
int ZVGame::ElapsedMillis() { return 0; }
bool ZVGame::PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) { return false; }
void ZVGame::OpenUrl(const String&) {}
void ZVGame::SetMouseVisible(bool) {}
int ZVGame::GetDeviceWidth() { return 0; }
int ZVGame::GetDeviceHeight() { return 0; }
void ZVGame::SetDeviceWindow(int, int, int) {}
Array<ZVDisplayMode*> ZVGame::GetDisplayModes() { return Array<ZVDisplayMode*>(); }
ZVDisplayMode* ZVGame::GetDesktopMode() { return nullptr; }
void ZVGame::SetSwapInterval(int) {}

void ZVGame::uncaught_exception(ThrowableObject* thrown) { ::uncaught_exception(thrown); }

// The delegate is the root of everything the framework and the game hold, so it is traced at once;
// then the collector takes one step, between calls into managed code and never inside one.
void ZVGame::CollectAfterCallback() {
    gc_blacken(gameDelegate);
    gc_step();
}

namespace {

// Calls into the delegate: a managed exception that escapes ends the process.
template <class Call>
void Dispatch(ZVGame& game, Call call) {
    if (!game.GetDelegate()) return;
    try {
        call();
    } catch (ThrowableObject* thrown) {
        game.uncaught_exception(thrown);
    }
    game.CollectAfterCallback();
}

}  // namespace

void ZVGame::StartGame() {
    if (started) return;
    started = true;
    Dispatch(*this, [this] { gameDelegate->StartGame(); });
}

void ZVGame::SuspendGame() {
    if (!started || suspended) return;
    suspended = true;
    Dispatch(*this, [this] { gameDelegate->SuspendGame(); });
}

void ZVGame::ResumeGame() {
    if (!started || !suspended) return;
    suspended = false;
    Dispatch(*this, [this] { gameDelegate->ResumeGame(); });
}

void ZVGame::UpdateGame() {
    if (!started || suspended) return;
    Dispatch(*this, [this] { gameDelegate->UpdateGame(); });
}

void ZVGame::RenderGame() {
    if (!started) return;
    Dispatch(*this, [this] { gameDelegate->RenderGame(); });
}

void ZVGame::KeyEvent(int event, int data) {
    if (!started) return;
    Dispatch(*this, [&] { gameDelegate->KeyEvent(event, data); });
}

void ZVGame::MouseEvent(int event, int data, float x, float y) {
    if (!started) return;
    Dispatch(*this, [&] { gameDelegate->MouseEvent(event, data, x, y); });
}

void ZVGame::TouchEvent(int event, int data, float x, float y) {
    if (!started) return;
    Dispatch(*this, [&] { gameDelegate->TouchEvent(event, data, x, y); });
}

void ZVGame::MotionEvent(int event, int data, float x, float y, float z) {
    if (!started) return;
    Dispatch(*this, [&] { gameDelegate->MotionEvent(event, data, x, y, z); });
}

void ZVGame::DiscardGraphics() {
    if (!started) return;
    Dispatch(*this, [this] { gameDelegate->DiscardGraphics(); });
}
