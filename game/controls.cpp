#include "game/controls.h"

#include "framework/input.h"

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

}  // namespace

bool StartPressed() {
    ZV_FUNC("StartPressed");
    ZV_AT if (KeyHit(32) != 0) return true;
    ZV_AT for (int unit = 0; unit < c_InputDevice::JoystickPorts; ++unit) {
        ZV_BLOCK;
        ZV_LOCAL(unit);
        ZV_AT if (KeyHit(JoyKey(ZV_PAD_A, unit)) != 0 || KeyHit(JoyKey(ZV_PAD_START, unit)) != 0) return true;
    }
    ZV_AT return false;
}

bool SwingClockwise() {
    ZV_FUNC("SwingClockwise");
    ZV_AT return KeyDown(38) || KeyDown(37) || KeyDown(87) || KeyDown(65) || PadHeldTowards(-1);
}

bool SwingAnticlockwise() {
    ZV_FUNC("SwingAnticlockwise");
    ZV_AT return KeyDown(40) || KeyDown(39) || KeyDown(83) || KeyDown(68) || PadHeldTowards(1);
}
