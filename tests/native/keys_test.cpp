// Keyboard translation (GLFW keys to framework codes, the KeyChar rule) and the joystick layout.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <map>
#include <set>

#include "native/joystick.h"
#include "native/keys.h"
#include "tests/support/test_program.h"

namespace {

TEST(Keys, EveryMappedKeyHasItsFrameworkCodeAndNoOtherKeyHasOne) {
    std::map<int, int> expected = {
        {GLFW_KEY_SPACE, 32},          {GLFW_KEY_APOSTROPHE, 222},    {GLFW_KEY_COMMA, 188},
        {GLFW_KEY_MINUS, 189},         {GLFW_KEY_PERIOD, 190},        {GLFW_KEY_SLASH, 191},
        {GLFW_KEY_SEMICOLON, 186},     {GLFW_KEY_EQUAL, 187},         {GLFW_KEY_LEFT_BRACKET, 219},
        {GLFW_KEY_BACKSLASH, 220},     {GLFW_KEY_RIGHT_BRACKET, 221}, {GLFW_KEY_GRAVE_ACCENT, 192},
        {GLFW_KEY_ESCAPE, 27},         {GLFW_KEY_UP, 38},             {GLFW_KEY_DOWN, 40},
        {GLFW_KEY_LEFT, 37},           {GLFW_KEY_RIGHT, 39},          {GLFW_KEY_LEFT_SHIFT, 16},
        {GLFW_KEY_RIGHT_SHIFT, 16},    {GLFW_KEY_LEFT_CONTROL, 17},   {GLFW_KEY_RIGHT_CONTROL, 17},
        {GLFW_KEY_TAB, 9},             {GLFW_KEY_ENTER, 13},          {GLFW_KEY_BACKSPACE, 8},
        {GLFW_KEY_INSERT, 45},         {GLFW_KEY_DELETE, 46},         {GLFW_KEY_PAGE_UP, 33},
        {GLFW_KEY_PAGE_DOWN, 34},      {GLFW_KEY_HOME, 36},           {GLFW_KEY_END, 35},
        {GLFW_KEY_KP_DIVIDE, 111},     {GLFW_KEY_KP_MULTIPLY, 106},   {GLFW_KEY_KP_SUBTRACT, 109},
        {GLFW_KEY_KP_ADD, 107},        {GLFW_KEY_KP_DECIMAL, 110},
    };
    for (int d = 0; d <= 9; ++d) {
        expected[GLFW_KEY_0 + d] = '0' + d;
        expected[GLFW_KEY_KP_0 + d] = 96 + d;
    }
    for (int c = 0; c < 26; ++c) expected[GLFW_KEY_A + c] = 'A' + c;
    for (int f = 0; f < 12; ++f) expected[GLFW_KEY_F1 + f] = 112 + f;

    for (int key = GLFW_KEY_UNKNOWN; key <= GLFW_KEY_LAST + 1; ++key) {
        auto found = expected.find(key);
        EXPECT_EQ(ZVFrameworkKeyCode(key), found == expected.end() ? 0 : found->second) << "GLFW key " << key;
    }
    // Spot checks of keys that must stay silent.
    for (int key : {GLFW_KEY_F13, GLFW_KEY_F25, GLFW_KEY_LEFT_ALT, GLFW_KEY_RIGHT_SUPER, GLFW_KEY_KP_ENTER,
                    GLFW_KEY_KP_EQUAL, GLFW_KEY_CAPS_LOCK, GLFW_KEY_PAUSE, GLFW_KEY_MENU}) {
        EXPECT_EQ(ZVFrameworkKeyCode(key), 0) << "GLFW key " << key;
    }
}

TEST(Keys, OnlyNavigationAndEditingKeysSendACharacter) {
    for (int code = 0; code < 512; ++code) {
        int expected = 0;
        if ((code >= 33 && code <= 40) || code == 45) expected = code | 0x10000;
        if (code == 8 || code == 9 || code == 13 || code == 27) expected = code;
        if (code == 46) expected = 127;
        EXPECT_EQ(ZVKeyChar(code), expected) << "framework code " << code;
    }
    EXPECT_EQ(ZVKeyChar(ZVFrameworkKeyCode(GLFW_KEY_LEFT)), 65573);
    EXPECT_EQ(ZVKeyChar(ZVFrameworkKeyCode(GLFW_KEY_DELETE)), 127);
    EXPECT_EQ(ZVKeyChar(ZVFrameworkKeyCode(GLFW_KEY_A)), 0);
}

struct JoyArrays {
    Array<float> x = Array<float>(2), y = Array<float>(2), z = Array<float>(2);
    Array<bool> buttons = Array<bool>(32);
};

TEST(Joystick, AxesAndButtonsTakeTheFrameworkLayout) {
    reset_runtime();
    const float axes[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
    unsigned char states[32] = {};

    // Two axes: the rest read 0; a short button list leaves later entries as they were.
    JoyArrays a;
    a.buttons[5] = true;
    states[1] = 1;
    ZVArrangeJoystick(axes, 2, states, 3, a.x, a.y, a.z, a.buttons);
    EXPECT_FLOAT_EQ(a.x[0], 0.1f);
    EXPECT_FLOAT_EQ(a.y[0], 0.2f);
    EXPECT_EQ(a.z[0], 0.0f);
    EXPECT_EQ(a.x[1], 0.0f);
    EXPECT_FALSE(a.buttons[0]);
    EXPECT_TRUE(a.buttons[1]);
    EXPECT_TRUE(a.buttons[5]);

    // Eight axes: only six are read, in x, y, z order per stick.
    JoyArrays b;
    ZVArrangeJoystick(axes, 8, states, 0, b.x, b.y, b.z, b.buttons);
    EXPECT_FLOAT_EQ(b.z[0], 0.3f);
    EXPECT_FLOAT_EQ(b.x[1], 0.4f);
    EXPECT_FLOAT_EQ(b.y[1], 0.5f);
    EXPECT_FLOAT_EQ(b.z[1], 0.6f);

    // Sixteen buttons: the last four move to 8-11 and 8-11 move up to 12-15.
    JoyArrays c;
    unsigned char sixteen[16] = {};
    for (int pressed : {0, 7, 8, 12, 15}) sixteen[pressed] = 1;
    ZVArrangeJoystick(axes, 0, sixteen, 16, c.x, c.y, c.z, c.buttons);
    std::set<int> down;
    for (int i = 0; i < 32; ++i)
        if (c.buttons[i]) down.insert(i);
    EXPECT_EQ(down, (std::set<int>{0, 7, 8, 11, 12}));
}

TEST(Joystick, TwoKnownLayoutsTurnTheSecondStick) {
    reset_runtime();
    const float axes[6] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};
    unsigned char states[32] = {};

    JoyArrays fiveAxes;
    ZVArrangeJoystick(axes, 5, states, 14, fiveAxes.x, fiveAxes.y, fiveAxes.z, fiveAxes.buttons);
    EXPECT_FLOAT_EQ(fiveAxes.x[1], 0.5f);
    EXPECT_FLOAT_EQ(fiveAxes.y[1], -0.4f);

    JoyArrays fourAxes;
    ZVArrangeJoystick(axes, 4, states, 18, fourAxes.x, fourAxes.y, fourAxes.z, fourAxes.buttons);
    EXPECT_FLOAT_EQ(fourAxes.z[0], 0.3f);
    EXPECT_FLOAT_EQ(fourAxes.y[1], -0.3f);

    // Any other layout keeps the plain order.
    JoyArrays other;
    ZVArrangeJoystick(axes, 5, states, 13, other.x, other.y, other.z, other.buttons);
    EXPECT_FLOAT_EQ(other.y[1], 0.5f);
}

}  // namespace
