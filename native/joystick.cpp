#include "native/joystick.h"

#include <algorithm>

namespace {

// For each button of the pad layout, where the source has it.
using PadSources = int[ZV_PAD_BUTTONS];

// GLFW's gamepad buttons: A B X Y, bumpers, back, start, guide, thumbs, d-pad up right down left.
constexpr PadSources GLFW_PAD_SOURCES = {0, 1, 2, 3, 4, 5, 6, 7, 14, 11, 12, 13, 9, 10, 8};
// The browser's standard layout: A B X Y, bumpers, triggers, back, start, thumbs, d-pad up down
// left right, guide.
constexpr PadSources STANDARD_PAD_SOURCES = {0, 1, 2, 3, 4, 5, 8, 9, 14, 12, 15, 13, 10, 11, 16};
constexpr int STANDARD_LEFT_TRIGGER = 6;
constexpr int STANDARD_RIGHT_TRIGGER = 7;

bool Pressed(const unsigned char* states, int count, int index) { return index < count && states[index] != 0; }

void StorePadButtons(const PadSources& sources, const unsigned char* states, int count, Array<bool> buttons) {
    for (int i = 0; i < ZV_PAD_BUTTONS; ++i) buttons[i] = Pressed(states, count, sources[i]);
    for (int i = ZV_PAD_BUTTONS; i < ZV_JOY_MAX_BUTTONS; ++i) buttons[i] = false;
}

void StoreSticks(const float* axes, int count, Array<float> joyx, Array<float> joyy) {
    auto axis = [&](int i) { return i < count ? axes[i] : 0.0f; };
    joyx[0] = axis(0);
    joyy[0] = axis(1);
    joyx[1] = axis(2);
    joyy[1] = axis(3);
}

}  // namespace

void ZVArrangeJoystick(const float* axes, int axisCount, const unsigned char* states, int buttonCount,
                       Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) {
    int na = std::clamp(axisCount, 0, ZV_JOY_MAX_AXES);
    int nb = std::clamp(buttonCount, 0, ZV_JOY_MAX_BUTTONS);
    float axis[ZV_JOY_MAX_AXES] = {};
    std::copy(axes, axes + na, axis);

    joyx[0] = axis[0];
    joyy[0] = axis[1];
    joyz[0] = axis[2];
    joyx[1] = axis[3];
    joyy[1] = axis[4];
    joyz[1] = axis[5];

    if (nb <= 12) {
        for (int i = 0; i < nb; ++i) buttons[i] = states[i] != 0;
    } else {
        for (int i = 0; i < 8; ++i) buttons[i] = states[i] != 0;
        for (int i = 0; i < 4; ++i) buttons[8 + i] = states[nb - 4 + i] != 0;
        for (int i = 0; i < nb - 12; ++i) buttons[12 + i] = states[8 + i] != 0;
    }

    if (na == 5 && nb == 14) {
        joyx[1] = axis[4];
        joyy[1] = -axis[3];
    } else if (na == 4 && nb == 18) {
        joyy[1] = -axis[2];
    }
}

void ZVArrangeGamepad(const unsigned char* states, const float* axes, Array<float> joyx, Array<float> joyy,
                      Array<float> joyz, Array<bool> buttons) {
    StorePadButtons(GLFW_PAD_SOURCES, states, ZV_PAD_BUTTONS, buttons);
    StoreSticks(axes, 4, joyx, joyy);
    joyz[0] = (axes[4] + 1) / 2;
    joyz[1] = (axes[5] + 1) / 2;
}

void ZVArrangeStandardGamepad(const float* axes, int axisCount, const unsigned char* states, int buttonCount,
                              Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) {
    StorePadButtons(STANDARD_PAD_SOURCES, states, buttonCount, buttons);
    StoreSticks(axes, axisCount, joyx, joyy);
    joyz[0] = Pressed(states, buttonCount, STANDARD_LEFT_TRIGGER) ? 1.0f : 0.0f;
    joyz[1] = Pressed(states, buttonCount, STANDARD_RIGHT_TRIGGER) ? 1.0f : 0.0f;
}
