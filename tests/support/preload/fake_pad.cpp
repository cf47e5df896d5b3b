// A pad for the real game, preloaded (LD_PRELOAD) in front of GLFW's shared library: it answers
// GLFW's joystick and gamepad calls for joystick 0 from the script in the file named by
// ZV_FAKE_PAD. Each line is "POLL pad" followed by the 15 button states and the 6 axes of GLFW's
// gamepad state in GLFW's order, or "POLL absent": it holds from the host's POLLth look at the
// pad on (the host looks once per update), until a later line takes over. A test may rewrite
// the file as it plays; no file is no pad. glfwUpdateGamepadMappings writes what it is given to
// the file named by ZV_FAKE_PAD_MAPPINGS.
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Pad {
    bool present = false;
    GLFWgamepadstate state{};
};

Pad pad;
long polls = 0;

// The pad of the last line that has begun by now.
void ReadPad() {
    pad = Pad();
    const char* path = std::getenv("ZV_FAKE_PAD");
    std::FILE* file = path ? std::fopen(path, "r") : nullptr;
    if (!file) return;
    long from = 0;
    char word[16] = {};
    while (std::fscanf(file, "%ld %15s", &from, word) == 2 && from <= polls) {
        Pad line;
        line.present = std::strcmp(word, "pad") == 0;
        for (int i = 0; line.present && i < 15; ++i) {
            int value = 0;
            line.present = std::fscanf(file, "%d", &value) == 1;
            line.state.buttons[i] = value ? GLFW_PRESS : GLFW_RELEASE;
        }
        for (int i = 0; line.present && i < 6; ++i) line.present = std::fscanf(file, "%f", &line.state.axes[i]) == 1;
        pad = line;
    }
    std::fclose(file);
}

bool Present(int jid) { return jid == GLFW_JOYSTICK_1 && pad.present; }

}  // namespace

extern "C" {

int glfwJoystickPresent(int jid) {
    if (jid == GLFW_JOYSTICK_1) {
        ReadPad();
        ++polls;
    }
    return Present(jid);
}

int glfwJoystickIsGamepad(int jid) { return Present(jid); }

int glfwGetGamepadState(int jid, GLFWgamepadstate* state) {
    if (!Present(jid)) return GLFW_FALSE;
    *state = pad.state;
    return GLFW_TRUE;
}

const float* glfwGetJoystickAxes(int jid, int* count) {
    *count = Present(jid) ? 6 : 0;
    return Present(jid) ? pad.state.axes : nullptr;
}

const unsigned char* glfwGetJoystickButtons(int jid, int* count) {
    *count = Present(jid) ? 15 : 0;
    return Present(jid) ? pad.state.buttons : nullptr;
}

const unsigned char* glfwGetJoystickHats(int jid, int* count) {
    *count = 0;
    return nullptr;
}

int glfwUpdateGamepadMappings(const char* mappings) {
    if (const char* path = std::getenv("ZV_FAKE_PAD_MAPPINGS")) {
        if (std::FILE* file = std::fopen(path, "w")) {
            std::fputs(mappings, file);
            std::fclose(file);
        }
    }
    return GLFW_TRUE;
}
}
