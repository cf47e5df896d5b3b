#include "tests/support/window_manager.h"

#include <X11/Xlib.h>

WindowManager::WindowManager() : display(XOpenDisplay(nullptr)) {}

WindowManager::~WindowManager() {
    if (display) XCloseDisplay(display);
}

void WindowManager::Focus(unsigned long window) {
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
}

void WindowManager::FocusElsewhere() { Focus(DefaultRootWindow(display)); }

void WindowManager::PressClose(unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}
