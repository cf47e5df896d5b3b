// What a window manager does for the user, through a connection to the X server: focus a window,
// or take the focus away, and press a window's close button.
#pragma once

class WindowManager {
public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    bool Open() const { return display != nullptr; }
    // Windows are X window ids, as xdotool prints them.
    void Focus(unsigned long window);
    void FocusElsewhere();
    void PressClose(unsigned long window);

protected:
    struct _XDisplay* display;  // Xlib's Display, whose macros stay out of the tests' headers
};
