// The game's questions about input, answered by the one input device the delegate installs.
#pragma once

#include "framework/inputdevice.h"

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
