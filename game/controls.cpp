#include "game/controls.h"

#include "framework/input.h"
#include "game/jamapp.h"
#include "runtime/std/math.h"

namespace {

// A worn stick resting off centre swings nothing.
constexpr float StickDeadZone = 0.3f;

// Any pad held towards one side: `sign` -1 for left or up, 1 for right or down.
bool PadHeldTowards(int sign) {
    ZV_FUNC("PadHeldTowards");
    ZV_LOCAL(sign);
    ZV_AT int across = sign < 0 ? ZV_PAD_LEFT : ZV_PAD_RIGHT;
    ZV_LOCAL(across);
    ZV_AT int along = sign < 0 ? ZV_PAD_UP : ZV_PAD_DOWN;
    ZV_LOCAL(along);
    ZV_AT for (int unit = 0; unit < c_InputDevice::JoystickPorts; ++unit) {
        ZV_BLOCK;
        ZV_LOCAL(unit);
        ZV_AT if (KeyDown(JoyKey(across, unit)) || KeyDown(JoyKey(along, unit))) return true;
        ZV_AT if (JoyX(0, unit) * sign > StickDeadZone || JoyY(0, unit) * sign > StickDeadZone) return true;
    }
    ZV_AT return false;
}

// The stern on the virtual screen, where the rope starts (the camera's centre is at 320, 240).
constexpr float SternX = 630;
constexpr float SternY = 10;
// Within this many degrees of the rope the pointer swings nothing, so the rope settles under the
// finger instead of shaking about it.
constexpr float PointerMargin = 3;

// Where the held pointer lies from the rope, seen from the stern: 1 clockwise by more than the
// margin, -1 anticlockwise by more, 0 inside it, at the stern itself or when nothing is held.
int PointerSide() {
    ZV_FUNC("PointerSide");
    ZV_AT c_VirtualDevice* screen = jamApp->vDevice;
    ZV_LOCAL(screen);
    ZV_AT if (KeyDown(KeyLeftMouse) == 0 || screen->deviceScale <= 0) return 0;
    ZV_AT float dx = screen->VirtualX(MouseX()) - SternX;
    ZV_LOCAL(dx);
    ZV_AT float dy = screen->VirtualY(MouseY()) - SternY;
    ZV_LOCAL(dy);
    ZV_AT if (dx == 0 && dy == 0) return 0;
    // How far clockwise of the rope, from -180 to 180.
    ZV_AT float off = ATan2(dy, dx) - (jamApp->playerAng + 135);
    ZV_LOCAL(off);
    ZV_AT off -= 360 * Floor((off + 180) / 360);
    ZV_AT if (off > PointerMargin) return 1;
    ZV_AT if (off < -PointerMargin) return -1;
    ZV_AT return 0;
}

}  // namespace

bool StartPressed() {
    ZV_FUNC("StartPressed");
    ZV_AT if (KeyHit(32) != 0) return true;
    ZV_AT for (int unit = 0; unit < c_InputDevice::JoystickPorts; ++unit) {
        ZV_BLOCK;
        ZV_LOCAL(unit);
        ZV_AT if (KeyHit(JoyKey(ZV_PAD_A, unit)) != 0 || KeyHit(JoyKey(ZV_PAD_START, unit)) != 0) return true;
    }
    ZV_AT return KeyHit(KeyLeftMouse) != 0;
}

bool SwingClockwise() {
    ZV_FUNC("SwingClockwise");
    ZV_AT return KeyDown(38) || KeyDown(37) || KeyDown(87) || KeyDown(65) || PadHeldTowards(-1) ||
                 PointerSide() > 0;
}

bool SwingAnticlockwise() {
    ZV_FUNC("SwingAnticlockwise");
    ZV_AT return KeyDown(40) || KeyDown(39) || KeyDown(83) || KeyDown(68) || PadHeldTowards(1) ||
                 PointerSide() < 0;
}
