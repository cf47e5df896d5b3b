// The framework's joystick layout: two sticks of x, y and z axes and 32 buttons.
#pragma once

#include "runtime/array.h"

constexpr int ZV_JOY_MAX_AXES = 6;
constexpr int ZV_JOY_MAX_BUTTONS = 32;

// Stores a device's axes (at most 6) and button states (at most 32) in the framework's arrays:
// axes 0-2 are the first stick, 3-5 the second; on devices with more than 12 buttons the last four
// move to positions 8-11. Two known layouts get their second stick turned the right way.
// joyx, joyy and joyz hold at least 2 elements, buttons at least 32.
void ZVArrangeJoystick(const float* axes, int axisCount, const unsigned char* states, int buttonCount,
                       Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons);
