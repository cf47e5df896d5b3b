#include "native/joystick.h"

#include <algorithm>

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
