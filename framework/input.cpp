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
