// Keyboard translation: GLFW key codes to the framework's key codes, and the character that a
// non-printing key also sends.
#pragma once

// The framework's code for a GLFW key, or 0 when the key has none (and produces no events).
int ZVFrameworkKeyCode(int glfwKey);

// The KeyChar a key press sends besides KeyDown, or 0: navigation keys and insert send their code
// with bit 16 set, the editing keys their control character. Printable characters come from the
// character callback instead.
int ZVKeyChar(int frameworkCode);

// The framework's close key, sent down and up when the window's close button is pressed.
constexpr int ZV_KEY_CLOSE = 432;
