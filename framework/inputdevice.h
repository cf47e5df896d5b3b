// The input device: every key, mouse button, joystick button and touch in one space of key codes,
// fed by the delegate from the host's events and read by the game during its updates.
//
// A key's down state lasts until its release. Its hit count and the typed characters last one
// update: EndUpdate clears them, and only the keys recorded in the hit queue need clearing.
#pragma once

#include "runtime/array.h"
#include "runtime/object.h"

// Key codes outside the keyboard's 8..222.
constexpr int KeyLeftMouse = 1;  // mouse button b is key KeyLeftMouse + b
constexpr int KeyRightMouse = 2;
constexpr int KeyMiddleMouse = 3;
constexpr int KeyJoystickBase = 256;  // + 32 * port + button
constexpr int KeyTouchBase = 384;     // + touch index
constexpr int KeyBack = 416;
constexpr int KeyClose = 432;

// One joystick port as the host polls it: two sticks and 32 buttons.
class c_JoyState : public Object {
public:
    static constexpr const char* debug_name = "JoyState";

    Array<float> joyx;  // [0] first stick, [1] second
    Array<float> joyy;
    Array<float> joyz;
    Array<bool> buttons;

    void mark_children() override;
    String debug_dump() override;

    c_JoyState();
};

class c_InputDevice : public Object {
public:
    static constexpr const char* debug_name = "InputDevice";

    static constexpr int KeyCount = 512;
    static constexpr int HitQueueLength = 33;
    static constexpr int CharQueueLength = 32;
    static constexpr int TouchCount = 32;
    static constexpr int JoystickPorts = 4;
    static constexpr int JoystickButtons = 32;

    Array<bool> _keyDown;
    Array<int> _keyHit;
    Array<int> _keyHitQueue;  // keys with a non-zero hit count, one entry per counted press
    int _keyHitPut = 0;
    Array<int> _charQueue;
    int _charPut = 0;
    int _charGet = 0;
    float _mouseX = 0;
    float _mouseY = 0;
    Array<float> _touchX;
    Array<float> _touchY;
    float _accelX = 0;
    float _accelY = 0;
    float _accelZ = 0;
    Array<c_JoyState*> _joyStates;
    int _joyPorts = 0;  // ports that held a joystick at the last poll

    void mark_children() override;
    String debug_dump() override;

    c_InputDevice();

    bool KeyDown(int key);
    int KeyHit(int key);
    // The next character typed in this update, in typing order; 0 when none is left.
    int GetChar();
    void PutKeyHit(int key);
    void BeginUpdate();
    void EndUpdate();
    void KeyEvent(int event, int data);
    void MouseEvent(int event, int data, float x, float y);
    void TouchEvent(int event, int data, float x, float y);
    void MotionEvent(int event, int data, float x, float y, float z);

private:
    // Releases the port's buttons and centres its sticks: its pad is gone.
    void ReleaseJoystick(int port);
    void SetMousePosition(float x, float y);
    void SetTouchPosition(int touch, float x, float y);
};
