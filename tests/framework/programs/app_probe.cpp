// A headless app for the lifecycle rules that end the process. The first argument picks the
// scenario: "twice" constructs a second App; "close" sends the close key as the host does.
#include <cstdio>
#include <string>

#include "framework/app.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "runtime/startup.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

namespace {

std::string scenario;

}  // namespace

void zv_init_globals() {
    random_init_globals();
    math_init_globals();
    app_init_globals();
    graphics_init_globals();
    input_init_globals();
}

void gc_queue_roots() {
    app_queue_roots();
    graphics_queue_roots();
    input_queue_roots();
}

int Main() {
    ZV_FUNC("Main");
    ZV_AT new c_App();
    ZV_AT if (scenario == "twice") new c_App();  // @second-app
    ZV_AT return 0;
}

int main(int argc, char** argv) {
    if (argc > 1) scenario = argv[1];
    ZVGame host;  // no window: the base game object answers for the host
    zv_start(argc, argv);
    host.StartGame();
    // The close key arrives released right after its press; the release alone closes nothing.
    host.KeyEvent(c_ZVGameEvent::KeyUp, KeyClose);
    print_line(String("still running"));
    host.KeyEvent(c_ZVGameEvent::KeyDown, KeyClose);
    print_line(String("not closed"));
    return 1;
}
