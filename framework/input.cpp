#include "framework/input.h"

c_InputDevice* inputDevice;

void input_init_globals() { inputDevice = nullptr; }

void input_queue_roots() { gc_grey(inputDevice); }

void SetInputDevice(c_InputDevice* dev) {
    ZV_FUNC("SetInputDevice");
    ZV_LOCAL(dev);
    ZV_AT gc_store(inputDevice, dev);
}

int KeyDown(int key) {
    ZV_FUNC("KeyDown");
    ZV_LOCAL(key);
    ZV_AT return inputDevice->KeyDown(key) ? 1 : 0;
}

int KeyHit(int key) {
    ZV_FUNC("KeyHit");
    ZV_LOCAL(key);
    ZV_AT return inputDevice->KeyHit(key);
}

int GetChar() {
    ZV_FUNC("GetChar");
    ZV_AT return inputDevice->GetChar();
}

int JoyKey(int button, int unit) {
    ZV_FUNC("JoyKey");
    ZV_LOCAL(button);
    ZV_LOCAL(unit);
    ZV_AT return KeyJoystickBase + c_InputDevice::JoystickButtons * unit + button;
}

float JoyX(int index, int unit) {
    ZV_FUNC("JoyX");
    ZV_LOCAL(index);
    ZV_LOCAL(unit);
    ZV_AT return inputDevice->_joyStates[unit]->joyx[index];
}

float JoyY(int index, int unit) {
    ZV_FUNC("JoyY");
    ZV_LOCAL(index);
    ZV_LOCAL(unit);
    ZV_AT return inputDevice->_joyStates[unit]->joyy[index];
}

float JoyZ(int index, int unit) {
    ZV_FUNC("JoyZ");
    ZV_LOCAL(index);
    ZV_LOCAL(unit);
    ZV_AT return inputDevice->_joyStates[unit]->joyz[index];
}

float MouseX() {
    ZV_FUNC("MouseX");
    ZV_AT return inputDevice->_mouseX;
}

float MouseY() {
    ZV_FUNC("MouseY");
    ZV_AT return inputDevice->_mouseY;
}

float TouchX(int index) {
    ZV_FUNC("TouchX");
    ZV_LOCAL(index);
    ZV_AT return inputDevice->_touchX[index];
}

float TouchY(int index) {
    ZV_FUNC("TouchY");
    ZV_LOCAL(index);
    ZV_AT return inputDevice->_touchY[index];
}
