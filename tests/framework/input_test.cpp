#include "tests/framework/framework_fixture.h"

namespace {

class InputTest : public FrameworkTest {
protected:
    c_InputDevice* device = nullptr;

    void SetUp() override {
        FrameworkTest::SetUp();
        device = new c_InputDevice();
        SetInputDevice(device);
    }

    void Press(int key) { device->KeyEvent(c_ZVGameEvent::KeyDown, key); }
    void Release(int key) { device->KeyEvent(c_ZVGameEvent::KeyUp, key); }
    void Update() {
        device->BeginUpdate();
        device->EndUpdate();
    }
};

TEST_F(InputTest, AHitIsSeenByExactlyOneUpdateAndRepeatsDoNotCount) {
    // Pressed and released between two updates: the update sees the hit, not the key held.
    Press(32);
    Release(32);
    device->BeginUpdate();
    EXPECT_EQ(KeyHit(32), 1);
    EXPECT_EQ(KeyDown(32), 0);
    device->EndUpdate();
    EXPECT_EQ(KeyHit(32), 0);

    // Held with the system repeating it: one hit in the first update only, held throughout.
    Press(65);
    Press(65);
    EXPECT_EQ(KeyHit(65), 1);
    Update();
    Press(65);
    EXPECT_EQ(KeyHit(65), 0);
    EXPECT_EQ(KeyDown(65), 1);
    Release(65);
    Release(65);
    EXPECT_EQ(KeyDown(65), 0);

    // Two real presses in one update count twice.
    Press(66);
    Release(66);
    Press(66);
    EXPECT_EQ(KeyHit(66), 2);
    EXPECT_EQ(device->_keyHitPut, 2);
    Update();
    EXPECT_EQ(KeyHit(66), 0);

    // Codes outside 1..511 are never held or hit; events with them are out of range.
    for (int key : {0, -1, 512, 100000}) {
        EXPECT_EQ(KeyDown(key), 0);
        EXPECT_EQ(KeyHit(key), 0);
    }
    EXPECT_RUNTIME_ERROR(Press(512), "Array index out of range");
    EXPECT_RUNTIME_ERROR(Release(-1), "Array index out of range");
}

TEST_F(InputTest, TheHitQueueCountsThirtyThreePressesPerUpdateAndClearsThemAll) {
    for (int key = 100; key < 140; ++key) Press(key);
    for (int key = 100; key < 140; ++key) {
        EXPECT_EQ(KeyDown(key), 1) << key;
        EXPECT_EQ(KeyHit(key), key < 133 ? 1 : 0) << key;
    }
    Update();
    for (int key = 100; key < 140; ++key) EXPECT_EQ(KeyHit(key), 0) << key;

    // Room again after the update: a new press counts.
    Release(139);
    Press(139);
    EXPECT_EQ(KeyHit(139), 1);
}

TEST_F(InputTest, TheLeftMouseButtonAndTheFirstTouchAreOneInput) {
    device->MouseEvent(c_ZVGameEvent::MouseDown, 0, 5, 6);
    EXPECT_EQ(KeyDown(KeyLeftMouse), 1);
    EXPECT_EQ(KeyDown(KeyTouchBase), 1);
    EXPECT_EQ(KeyHit(KeyLeftMouse), 1);
    EXPECT_EQ(KeyHit(KeyTouchBase), 1);
    EXPECT_EQ(device->_mouseX, 5);
    EXPECT_EQ(device->_touchY[0], 6);

    // A release leaves the position alone; moving changes it.
    device->MouseEvent(c_ZVGameEvent::MouseUp, 0, 9, 9);
    EXPECT_EQ(KeyDown(KeyLeftMouse), 0);
    EXPECT_EQ(KeyDown(KeyTouchBase), 0);
    EXPECT_EQ(device->_mouseX, 5);
    EXPECT_EQ(device->_mouseY, 6);
    device->MouseEvent(c_ZVGameEvent::MouseMove, -1, 7, 8);
    EXPECT_EQ(device->_touchX[0], 7);
    EXPECT_EQ(device->_mouseY, 8);
    Update();

    device->MouseEvent(c_ZVGameEvent::MouseDown, 1, 1, 1);
    EXPECT_EQ(KeyDown(KeyRightMouse), 1);
    EXPECT_EQ(KeyDown(KeyTouchBase), 0) << "only the left button pairs with a touch";

    device->TouchEvent(c_ZVGameEvent::TouchDown, 0, 30, 40);
    EXPECT_EQ(KeyDown(KeyLeftMouse), 1);
    EXPECT_EQ(KeyHit(KeyLeftMouse), 1);
    EXPECT_EQ(device->_mouseX, 30);
    device->TouchEvent(c_ZVGameEvent::TouchDown, 3, 50, 60);
    EXPECT_EQ(KeyDown(KeyTouchBase + 3), 1);
    EXPECT_EQ(device->_touchX[3], 50);
    EXPECT_EQ(device->_mouseX, 30) << "other touches do not move the mouse";
    device->TouchEvent(c_ZVGameEvent::TouchMove, 0, 31, 41);
    EXPECT_EQ(device->_mouseY, 41);
    device->TouchEvent(c_ZVGameEvent::TouchUp, 0, 0, 0);
    EXPECT_EQ(KeyDown(KeyLeftMouse), 0);
    EXPECT_EQ(device->_touchX[0], 31);

    device->MotionEvent(c_ZVGameEvent::MotionAccel, 0, 0.5f, -1, 9.8f);
    device->MotionEvent(c_ZVGameEvent::MouseMove, 0, 7, 7, 7);
    EXPECT_EQ(device->_accelX, 0.5f);
    EXPECT_EQ(device->_accelZ, 9.8f);

    EXPECT_RUNTIME_ERROR(device->TouchEvent(c_ZVGameEvent::TouchMove, 32, 0, 0), "Array index out of range");
}

TEST_F(InputTest, TypedCharactersComeBackInOrderForOneUpdate) {
    for (int c : {int('h'), 0xe9, 65573, int('i')}) device->KeyEvent(c_ZVGameEvent::KeyChar, c);
    EXPECT_EQ(GetChar(), 'h');
    EXPECT_EQ(GetChar(), 0xe9);
    EXPECT_EQ(GetChar(), 65573);
    EXPECT_EQ(GetChar(), 'i');
    EXPECT_EQ(GetChar(), 0);
    EXPECT_EQ(KeyHit('H'), 0) << "characters are not key presses";
    Update();
    EXPECT_EQ(GetChar(), 0);

    for (int i = 0; i < 40; ++i) device->KeyEvent(c_ZVGameEvent::KeyChar, 1000 + i);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(GetChar(), 1000 + i);
    EXPECT_EQ(GetChar(), 0) << "characters past 32 in one update are dropped";
}

TEST_F(InputTest, JoystickButtonsArePolledFromPortZeroUntilAnEmptyPort) {
    device->BeginUpdate();
    EXPECT_EQ(host.polledPorts, std::vector<int>{0});

    host.joysticks = 2;
    host.pressed[1][3] = true;
    const int key = KeyJoystickBase + 32 + 3;
    host.polledPorts.clear();
    device->BeginUpdate();
    EXPECT_EQ(host.polledPorts, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(KeyDown(key), 1);
    EXPECT_EQ(KeyHit(key), 1);
    device->EndUpdate();

    // Held across updates: one hit, in the update where it first read as pressed.
    device->BeginUpdate();
    EXPECT_EQ(KeyHit(key), 0);
    EXPECT_EQ(KeyDown(key), 1);
    device->EndUpdate();

    host.pressed[1][3] = false;
    device->BeginUpdate();
    EXPECT_EQ(KeyDown(key), 0);
    device->EndUpdate();

    // Pads pulled out between two polls let go: nothing stays held, no stick stays pushed.
    host.pressed[0][0] = host.pressed[1][3] = true;
    host.leftStickX = {0.5f, -0.8f};
    device->BeginUpdate();
    device->EndUpdate();
    EXPECT_EQ(JoyX(0, 1), -0.8f);
    host.joysticks = 0;
    device->BeginUpdate();
    EXPECT_EQ(KeyDown(key) + KeyDown(JoyKey(ZV_PAD_A, 0)), 0);
    EXPECT_EQ(JoyX(0, 0), 0.0f);
    EXPECT_EQ(JoyX(0, 1), 0.0f);
}

}  // namespace
