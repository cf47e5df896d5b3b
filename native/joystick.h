// The framework's joystick layout: two sticks of x, y and z axes and 32 buttons.
//
// A pad that GLFW or the browser knows is arranged in the pad layout below: the face buttons,
// the shoulders, back and start, then the d-pad clockwise from left, then the stick presses and
// the guide button. Its left stick is joyx[0] and joyy[0], its right stick joyx[1] and joyy[1]
// (y grows downwards, as on the screen), and its triggers are joyz[0] and joyz[1], from 0 at rest
// to 1 pulled. Any other joystick keeps the raw arrangement of ZVArrangeJoystick.
#pragma once

#include "runtime/array.h"

constexpr int ZV_JOY_MAX_AXES = 6;
constexpr int ZV_JOY_MAX_BUTTONS = 32;

enum ZVPadButton {
    ZV_PAD_A,
    ZV_PAD_B,
    ZV_PAD_X,
    ZV_PAD_Y,
    ZV_PAD_LEFT_SHOULDER,
    ZV_PAD_RIGHT_SHOULDER,
    ZV_PAD_BACK,
    ZV_PAD_START,
    ZV_PAD_LEFT,
    ZV_PAD_UP,
    ZV_PAD_RIGHT,
    ZV_PAD_DOWN,
    ZV_PAD_LEFT_STICK,
    ZV_PAD_RIGHT_STICK,
    ZV_PAD_GUIDE,
    ZV_PAD_BUTTONS
};

// Stores a device's axes (at most 6) and button states (at most 32) in the framework's arrays:
// axes 0-2 are the first stick, 3-5 the second; on devices with more than 12 buttons the last four
// move to positions 8-11. Two known layouts get their second stick turned the right way.
// joyx, joyy and joyz hold at least 2 elements, buttons at least 32.
void ZVArrangeJoystick(const float* axes, int axisCount, const unsigned char* states, int buttonCount,
                       Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons);

// A pad as GLFW maps it: its gamepad state's 15 buttons and 6 axes (sticks, then triggers from
// -1 at rest to 1), in GLFW's order.
void ZVArrangeGamepad(const unsigned char* states, const float* axes, Array<float> joyx, Array<float> joyy,
                      Array<float> joyz, Array<bool> buttons);

// A pad in the browser's standard layout: 17 buttons, the triggers among them (6 and 7), and the
// two sticks' 4 axes. Missing buttons and axes read as released and centred.
void ZVArrangeStandardGamepad(const float* axes, int axisCount, const unsigned char* states, int buttonCount,
                              Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons);
