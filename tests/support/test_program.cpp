#include "tests/support/test_program.h"

#include "runtime/startup.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

std::vector<gc_object*> test_roots;

void zv_init_globals() {
    random_init_globals();
    math_init_globals();
}

void gc_queue_roots() {
    for (gc_object* root : test_roots) gc_grey(root);
}

int Main() { return 0; }

void reset_runtime() {
    test_roots.clear();
    gc_init();
    gc.white_bit = 1;
    gc.new_bytes = gc.live_bytes = gc.black_bytes = gc.garbage_bytes = 0;
    gc.native_bytes = 0;
    zv_init_globals();
}
