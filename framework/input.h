// The game's questions about input, answered by the one input device the delegate installs.
#pragma once

#include "framework/inputdevice.h"
#include "native/joystick.h"

extern c_InputDevice* inputDevice;

void input_init_globals();
void input_queue_roots();

void SetInputDevice(c_InputDevice* dev);
// 1 while the key is held, else 0.
int KeyDown(int key);
// Presses of the key since the last update.
int KeyHit(int key);
// The characters typed since the last update, one per call in typing order; 0 when none is left.
int GetChar();

// The key code of a joystick button; a pad's buttons are numbered as the pad layout says
// (ZV_PAD_A and on, native/joystick.h).
int JoyKey(int button, int unit = 0);
// A stick's axes (index 0 left, 1 right; y grows downwards) and a trigger, from -1 to 1 and 0 to 1;
// 0 for a port without a pad.
float JoyX(int index = 0, int unit = 0);
float JoyY(int index = 0, int unit = 0);
float JoyZ(int index = 0, int unit = 0);

// Where the mouse, or the first touch, was last seen; window pixels.
float MouseX();
float MouseY();
float TouchX(int index = 0);
float TouchY(int index = 0);
