// Keyboard translation (GLFW keys to framework codes, the KeyChar rule) and the joystick layout.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "native/joystick.h"
#include "native/keys.h"
#include "tests/support/test_program.h"

namespace {

TEST(Keys, FrameworkCodesAtTheEdgesOfEachRangeAndForSharedKeys) {
    const std::pair<int, int> cases[] = {
        {GLFW_KEY_SPACE, 32},        {GLFW_KEY_APOSTROPHE, 222}, {GLFW_KEY_GRAVE_ACCENT, 192},
        {GLFW_KEY_0, '0'},           {GLFW_KEY_9, '9'},          {GLFW_KEY_A, 'A'},
        {GLFW_KEY_Z, 'Z'},           {GLFW_KEY_F1, 112},         {GLFW_KEY_F12, 123},
        {GLFW_KEY_KP_0, 96},         {GLFW_KEY_KP_9, 105},       {GLFW_KEY_KP_DIVIDE, 111},
        {GLFW_KEY_KP_DECIMAL, 110},  {GLFW_KEY_ESCAPE, 27},      {GLFW_KEY_UP, 38},
        {GLFW_KEY_LEFT, 37},         {GLFW_KEY_RIGHT_SHIFT, 16}, {GLFW_KEY_RIGHT_CONTROL, 17},
        {GLFW_KEY_DELETE, 46},       {GLFW_KEY_PAGE_DOWN, 34},   {GLFW_KEY_END, 35},
        // Keys without a framework code produce no events.
        {GLFW_KEY_F13, 0},           {GLFW_KEY_F25, 0},          {GLFW_KEY_LEFT_ALT, 0},
        {GLFW_KEY_RIGHT_SUPER, 0},   {GLFW_KEY_KP_ENTER, 0},     {GLFW_KEY_KP_EQUAL, 0},
        {GLFW_KEY_CAPS_LOCK, 0},     {GLFW_KEY_PAUSE, 0},        {GLFW_KEY_MENU, 0},
        {GLFW_KEY_WORLD_1, 0},       {GLFW_KEY_UNKNOWN, 0},      {GLFW_KEY_LAST + 1, 0},
    };
    for (auto [key, code] : cases) EXPECT_EQ(ZVFrameworkKeyCode(key), code) << "GLFW key " << key;
}

TEST(Keys, OnlyNavigationAndEditingKeysSendACharacter) {
    const std::pair<int, int> cases[] = {
        {37, 65573}, {33, 65569}, {40, 65576}, {45, 65581},  // navigation and insert: bit 16 set
        {8, 8},      {9, 9},      {13, 13},    {27, 27},     // editing keys: their control character
        {46, 127},                                           // delete
        {32, 0},     {41, 0},     {44, 0},     {65, 0},     {112, 0}, {16, 0},
    };
    for (auto [code, character] : cases) EXPECT_EQ(ZVKeyChar(code), character) << "framework code " << code;
}

TEST(Joystick, AxesAndButtonsTakeTheFrameworkLayout) {
    reset_runtime();
    auto arrays = [] { return std::make_tuple(Array<float>(2), Array<float>(2), Array<float>(2), Array<bool>(32)); };
    const float axes[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};

    // Two axes: the rest read 0. Buttons beyond the device's count keep their values.
    auto [x, y, z, buttons] = arrays();
    buttons[5] = true;
    const unsigned char three[3] = {0, 1, 0};
    ZVArrangeJoystick(axes, 2, three, 3, x, y, z, buttons);
    EXPECT_FLOAT_EQ(y[0], 0.2f);
    EXPECT_EQ(z[0], 0.0f);
    EXPECT_EQ(x[1], 0.0f);
    EXPECT_TRUE(buttons[1]);
    EXPECT_TRUE(buttons[5]);

    // Sixteen buttons and eight axes: only six axes are read; the last four buttons move to 8-11
    // and 8-11 move up to 12-15.
    auto [x2, y2, z2, buttons2] = arrays();
    unsigned char sixteen[16] = {};
    for (int pressed : {0, 7, 8, 12, 15}) sixteen[pressed] = 1;
    ZVArrangeJoystick(axes, 8, sixteen, 16, x2, y2, z2, buttons2);
    EXPECT_FLOAT_EQ(x2[1], 0.4f);
    EXPECT_FLOAT_EQ(z2[1], 0.6f);
    std::set<int> down;
    for (int i = 0; i < 32; ++i)
        if (buttons2[i]) down.insert(i);
    EXPECT_EQ(down, (std::set<int>{0, 7, 8, 11, 12}));

    // Two known layouts turn the second stick; one button more or less does not.
    const unsigned char none[32] = {};
    auto [x3, y3, z3, b3] = arrays();
    ZVArrangeJoystick(axes, 5, none, 14, x3, y3, z3, b3);
    EXPECT_FLOAT_EQ(x3[1], 0.5f);
    EXPECT_FLOAT_EQ(y3[1], -0.4f);
    ZVArrangeJoystick(axes, 4, none, 18, x3, y3, z3, b3);
    EXPECT_FLOAT_EQ(y3[1], -0.3f);
    ZVArrangeJoystick(axes, 5, none, 13, x3, y3, z3, b3);
    EXPECT_FLOAT_EQ(y3[1], 0.5f);
}

// Each button of a pad GLFW maps, and of the browser's standard layout, lands alone on its place in
// the pad layout; the sticks keep their axes, and the triggers read from 0 at rest to 1 pulled.
TEST(Joystick, KnownPadsTakeThePadLayout) {
    reset_runtime();
    Array<float> x(2), y(2), z(2);
    Array<bool> buttons(32);
    auto pressed = [&] {
        std::set<int> down;
        for (int i = 0; i < 32; ++i)
            if (buttons[i]) down.insert(i);
        return down;
    };
    const std::pair<int, int> glfwButtons[] = {
        {GLFW_GAMEPAD_BUTTON_A, ZV_PAD_A},
        {GLFW_GAMEPAD_BUTTON_B, ZV_PAD_B},
        {GLFW_GAMEPAD_BUTTON_X, ZV_PAD_X},
        {GLFW_GAMEPAD_BUTTON_Y, ZV_PAD_Y},
        {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, ZV_PAD_LEFT_SHOULDER},
        {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, ZV_PAD_RIGHT_SHOULDER},
        {GLFW_GAMEPAD_BUTTON_BACK, ZV_PAD_BACK},
        {GLFW_GAMEPAD_BUTTON_START, ZV_PAD_START},
        {GLFW_GAMEPAD_BUTTON_GUIDE, ZV_PAD_GUIDE},
        {GLFW_GAMEPAD_BUTTON_LEFT_THUMB, ZV_PAD_LEFT_STICK},
        {GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, ZV_PAD_RIGHT_STICK},
        {GLFW_GAMEPAD_BUTTON_DPAD_UP, ZV_PAD_UP},
        {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, ZV_PAD_RIGHT},
        {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, ZV_PAD_DOWN},
        {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, ZV_PAD_LEFT},
    };
    const float glfwAxes[6] = {-0.5f, 0.25f, 0.75f, -1, -1, 1};  // sticks, then triggers at rest and pulled
    for (auto [source, button] : glfwButtons) {
        unsigned char states[15] = {};
        states[source] = 1;
        buttons[20] = true;  // past the layout: released
        ZVArrangeGamepad(states, glfwAxes, x, y, z, buttons);
        EXPECT_EQ(pressed(), std::set<int>{button}) << "GLFW button " << source;
    }
    EXPECT_EQ(std::vector<float>({x[0], y[0], x[1], y[1], z[0], z[1]}),
              std::vector<float>({-0.5f, 0.25f, 0.75f, -1, 0, 1}));

    // The browser's standard layout; its triggers (6 and 7) are no buttons of the pad layout.
    const int standardButtons[17] = {
        ZV_PAD_A,    ZV_PAD_B,     ZV_PAD_X,          ZV_PAD_Y,           ZV_PAD_LEFT_SHOULDER, ZV_PAD_RIGHT_SHOULDER,
        -1,          -1,           ZV_PAD_BACK,       ZV_PAD_START,       ZV_PAD_LEFT_STICK,    ZV_PAD_RIGHT_STICK,
        ZV_PAD_UP,   ZV_PAD_DOWN,  ZV_PAD_LEFT,       ZV_PAD_RIGHT,       ZV_PAD_GUIDE,
    };
    const float standardAxes[4] = {0.1f, -0.9f, 0.3f, 0.4f};
    for (int source = 0; source < 17; ++source) {
        unsigned char states[17] = {};
        states[source] = 1;
        ZVArrangeStandardGamepad(standardAxes, 4, states, 17, x, y, z, buttons);
        int button = standardButtons[source];
        EXPECT_EQ(pressed(), button < 0 ? std::set<int>{} : std::set<int>{button}) << "standard button " << source;
        EXPECT_EQ(z[0] + 2 * z[1], source == 6 ? 1 : source == 7 ? 2 : 0) << "standard button " << source;
    }
    EXPECT_EQ(std::vector<float>({x[0], y[0], x[1], y[1]}), std::vector<float>({0.1f, -0.9f, 0.3f, 0.4f}));
    // A pad that reports fewer buttons and axes reads them as released and centred.
    ZVArrangeStandardGamepad(standardAxes, 2, nullptr, 0, x, y, z, buttons);
    EXPECT_EQ(pressed(), std::set<int>{});
    EXPECT_EQ(x[1], 0.0f);
}

}  // namespace
