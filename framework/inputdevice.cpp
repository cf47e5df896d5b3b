#include "framework/inputdevice.h"

#include "framework/app.h"

c_JoyState::c_JoyState() {
    ZV_FUNC("JoyState.new");
    ZV_SELF;
    ZV_AT joyx = Array<float>(2);
    ZV_AT joyy = Array<float>(2);
    ZV_AT joyz = Array<float>(2);
    ZV_AT buttons = Array<bool>(c_InputDevice::JoystickButtons);
}

void c_JoyState::mark_children() {
    Object::mark_children();
    gc_grey(joyx.Storage());
    gc_grey(joyy.Storage());
    gc_grey(joyz.Storage());
    gc_grey(buttons.Storage());
}

String c_JoyState::debug_dump() {
    String t = dbg_dump_header("JoyState");
    dbg_dump_field(t, "joyx", joyx);
    dbg_dump_field(t, "joyy", joyy);
    dbg_dump_field(t, "joyz", joyz);
    dbg_dump_field(t, "buttons", buttons);
    return t;
}

c_InputDevice::c_InputDevice() {
    ZV_FUNC("InputDevice.new");
    ZV_SELF;
    ZV_AT _keyDown = Array<bool>(KeyCount);
    ZV_AT _keyHit = Array<int>(KeyCount);
    ZV_AT _keyHitQueue = Array<int>(HitQueueLength);
    ZV_AT _charQueue = Array<int>(CharQueueLength);
    ZV_AT _touchX = Array<float>(TouchCount);
    ZV_AT _touchY = Array<float>(TouchCount);
    ZV_AT _joyStates = Array<c_JoyState*>(JoystickPorts);
    ZV_AT for (int i = 0; i < JoystickPorts; ++i) {
        ZV_BLOCK;
        ZV_LOCAL(i);
        ZV_AT _joyStates.Set(i, new c_JoyState());
    }
}

void c_InputDevice::mark_children() {
    Object::mark_children();
    gc_grey(_keyDown.Storage());
    gc_grey(_keyHit.Storage());
    gc_grey(_keyHitQueue.Storage());
    gc_grey(_charQueue.Storage());
    gc_grey(_touchX.Storage());
    gc_grey(_touchY.Storage());
    gc_grey(_joyStates.Storage());
}

String c_InputDevice::debug_dump() {
    String t = dbg_dump_header("InputDevice");
    dbg_dump_field(t, "_keyDown", _keyDown);
    dbg_dump_field(t, "_keyHit", _keyHit);
    dbg_dump_field(t, "_keyHitQueue", _keyHitQueue);
    dbg_dump_field(t, "_keyHitPut", _keyHitPut);
    dbg_dump_field(t, "_charQueue", _charQueue);
    dbg_dump_field(t, "_charPut", _charPut);
    dbg_dump_field(t, "_charGet", _charGet);
    dbg_dump_field(t, "_mouseX", _mouseX);
    dbg_dump_field(t, "_mouseY", _mouseY);
    dbg_dump_field(t, "_touchX", _touchX);
    dbg_dump_field(t, "_touchY", _touchY);
    dbg_dump_field(t, "_accelX", _accelX);
    dbg_dump_field(t, "_accelY", _accelY);
    dbg_dump_field(t, "_accelZ", _accelZ);
    dbg_dump_field(t, "_joyStates", _joyStates);
    dbg_dump_field(t, "_joyPorts", _joyPorts);
    return t;
}

bool c_InputDevice::KeyDown(int key) {
    ZV_FUNC("InputDevice.KeyDown");
    ZV_SELF;
    ZV_LOCAL(key);
    ZV_AT if (key > 0 && key < KeyCount) return _keyDown[key];
    ZV_AT return false;
}

int c_InputDevice::KeyHit(int key) {
    ZV_FUNC("InputDevice.KeyHit");
    ZV_SELF;
    ZV_LOCAL(key);
    ZV_AT if (key > 0 && key < KeyCount) return _keyHit[key];
    ZV_AT return 0;
}

int c_InputDevice::GetChar() {
    ZV_FUNC("InputDevice.GetChar");
    ZV_SELF;
    ZV_AT if (_charGet == _charPut) return 0;
    ZV_AT int chr = _charQueue[_charGet];
    ZV_LOCAL(chr);
    ZV_AT _charGet += 1;
    ZV_AT return chr;
}

void c_InputDevice::PutKeyHit(int key) {
    ZV_FUNC("InputDevice.PutKeyHit");
    ZV_SELF;
    ZV_LOCAL(key);
    // A full queue drops the press entirely, so EndUpdate can still clear every counted key.
    ZV_AT if (_keyHitPut == _keyHitQueue.Length()) return;
    ZV_AT _keyHit[key] += 1;
    ZV_AT _keyHitQueue[_keyHitPut] = key;
    ZV_AT _keyHitPut += 1;
}

void c_InputDevice::BeginUpdate() {
    ZV_FUNC("InputDevice.BeginUpdate");
    ZV_SELF;
    ZV_AT for (int port = 0; port < JoystickPorts; ++port) {
        ZV_BLOCK;
        ZV_LOCAL(port);
        ZV_AT c_JoyState* state = _joyStates[port];
        ZV_LOCAL(state);
        // Joysticks fill the ports from 0, so the first empty port ends the polling. A pad pulled
        // out since the last poll lets go of its buttons and sticks, and so do the ports after it.
        ZV_AT if (!gameHandle->PollJoystick(port, state->joyx, state->joyy, state->joyz, state->buttons)) {
            ZV_BLOCK;
            ZV_AT for (int gone = port; gone < _joyPorts; ++gone) ReleaseJoystick(gone);
            ZV_AT _joyPorts = port;
            ZV_AT break;
        }
        ZV_AT if (_joyPorts <= port) _joyPorts = port + 1;
        ZV_AT for (int j = 0; j < JoystickButtons; ++j) {
            ZV_BLOCK;
            ZV_LOCAL(j);
            ZV_AT int key = KeyJoystickBase + JoystickButtons * port + j;
            ZV_LOCAL(key);
            ZV_AT if (state->buttons[j]) {
                ZV_BLOCK;
                ZV_AT if (!_keyDown[key]) {
                    ZV_BLOCK;
                    ZV_AT _keyDown[key] = true;
                    ZV_AT PutKeyHit(key);
                }
            } else {
                ZV_BLOCK;
                ZV_AT _keyDown[key] = false;
            }
        }
    }
}

void c_InputDevice::ReleaseJoystick(int port) {
    ZV_FUNC("InputDevice.ReleaseJoystick");
    ZV_SELF;
    ZV_LOCAL(port);
    ZV_AT c_JoyState* state = _joyStates[port];
    ZV_LOCAL(state);
    ZV_AT for (int stick = 0; stick < 2; ++stick) {
        ZV_BLOCK;
        ZV_LOCAL(stick);
        ZV_AT state->joyx[stick] = state->joyy[stick] = state->joyz[stick] = 0;
    }
    ZV_AT for (int j = 0; j < JoystickButtons; ++j) {
        ZV_BLOCK;
        ZV_LOCAL(j);
        ZV_AT state->buttons[j] = false;
        ZV_AT _keyDown[KeyJoystickBase + JoystickButtons * port + j] = false;
    }
}

void c_InputDevice::EndUpdate() {
    ZV_FUNC("InputDevice.EndUpdate");
    ZV_SELF;
    ZV_AT for (int i = 0; i < _keyHitPut; ++i) {
        ZV_BLOCK;
        ZV_LOCAL(i);
        ZV_AT _keyHit[_keyHitQueue[i]] = 0;
    }
    ZV_AT _keyHitPut = 0;
    ZV_AT _charGet = 0;
    ZV_AT _charPut = 0;
}

void c_InputDevice::KeyEvent(int event, int data) {
    ZV_FUNC("InputDevice.KeyEvent");
    ZV_SELF;
    ZV_LOCAL(event);
    ZV_LOCAL(data);
    ZV_AT switch (event) {
        case c_ZVGameEvent::KeyDown: {
            ZV_BLOCK;
            // A held key repeating neither counts nor queues.
            ZV_AT if (_keyDown[data]) break;
            ZV_AT _keyDown[data] = true;
            ZV_AT PutKeyHit(data);
            // The left mouse button and the first touch are one input.
            ZV_AT if (data == KeyLeftMouse) {
                ZV_BLOCK;
                ZV_AT _keyDown[KeyTouchBase] = true;
                ZV_AT PutKeyHit(KeyTouchBase);
            } else if (data == KeyTouchBase) {
                ZV_BLOCK;
                ZV_AT _keyDown[KeyLeftMouse] = true;
                ZV_AT PutKeyHit(KeyLeftMouse);
            }
            break;
        }
        case c_ZVGameEvent::KeyUp: {
            ZV_BLOCK;
            ZV_AT if (!_keyDown[data]) break;
            ZV_AT _keyDown[data] = false;
            ZV_AT if (data == KeyLeftMouse) {
                ZV_BLOCK;
                ZV_AT _keyDown[KeyTouchBase] = false;
            } else if (data == KeyTouchBase) {
                ZV_BLOCK;
                ZV_AT _keyDown[KeyLeftMouse] = false;
            }
            break;
        }
        case c_ZVGameEvent::KeyChar: {
            ZV_BLOCK;
            ZV_AT if (_charPut == _charQueue.Length()) break;
            ZV_AT _charQueue[_charPut] = data;
            ZV_AT _charPut += 1;
            break;
        }
        default:
            break;
    }
}

void c_InputDevice::MouseEvent(int event, int data, float x, float y) {
    ZV_FUNC("InputDevice.MouseEvent");
    ZV_SELF;
    ZV_LOCAL(event);
    ZV_LOCAL(data);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT switch (event) {
        case c_ZVGameEvent::MouseDown:
            ZV_AT KeyEvent(c_ZVGameEvent::KeyDown, KeyLeftMouse + data);
            ZV_AT SetMousePosition(x, y);
            break;
        case c_ZVGameEvent::MouseUp:
            // A release leaves the position where the press or the last move put it.
            ZV_AT KeyEvent(c_ZVGameEvent::KeyUp, KeyLeftMouse + data);
            break;
        case c_ZVGameEvent::MouseMove:
            ZV_AT SetMousePosition(x, y);
            break;
        default:
            break;
    }
}

void c_InputDevice::TouchEvent(int event, int data, float x, float y) {
    ZV_FUNC("InputDevice.TouchEvent");
    ZV_SELF;
    ZV_LOCAL(event);
    ZV_LOCAL(data);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT switch (event) {
        case c_ZVGameEvent::TouchDown:
            ZV_AT KeyEvent(c_ZVGameEvent::KeyDown, KeyTouchBase + data);
            ZV_AT SetTouchPosition(data, x, y);
            break;
        case c_ZVGameEvent::TouchUp:
            ZV_AT KeyEvent(c_ZVGameEvent::KeyUp, KeyTouchBase + data);
            break;
        case c_ZVGameEvent::TouchMove:
            ZV_AT SetTouchPosition(data, x, y);
            break;
        default:
            break;
    }
}

void c_InputDevice::MotionEvent(int event, int data, float x, float y, float z) {
    ZV_FUNC("InputDevice.MotionEvent");
    ZV_SELF;
    ZV_LOCAL(event);
    ZV_LOCAL(data);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_LOCAL(z);
    ZV_AT if (event != c_ZVGameEvent::MotionAccel) return;
    ZV_AT _accelX = x;
    ZV_AT _accelY = y;
    ZV_AT _accelZ = z;
}

void c_InputDevice::SetMousePosition(float x, float y) {
    ZV_FUNC("InputDevice.SetMousePosition");
    ZV_SELF;
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT _mouseX = x;
    ZV_AT _mouseY = y;
    ZV_AT _touchX[0] = x;
    ZV_AT _touchY[0] = y;
}

void c_InputDevice::SetTouchPosition(int touch, float x, float y) {
    ZV_FUNC("InputDevice.SetTouchPosition");
    ZV_SELF;
    ZV_LOCAL(touch);
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT _touchX[touch] = x;
    ZV_AT _touchY[touch] = y;
    ZV_AT if (touch == 0) {
        ZV_BLOCK;
        ZV_AT _mouseX = x;
        ZV_AT _mouseY = y;
    }
}
