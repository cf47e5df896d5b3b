// A small managed program whose first argument picks what goes wrong, for the runtime's process
// tests. Marker comments name the lines the tests look for.
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <string>

#include "runtime/array.h"
#include "runtime/debug.h"
#include "runtime/gc.h"
#include "runtime/object.h"
#include "runtime/startup.h"
#include "runtime/std/map.h"
#include "runtime/std/math.h"
#include "runtime/std/random.h"

namespace {

std::string scenario;

class c_Probe : public Object {
public:
    static constexpr const char* debug_name = "Probe";
    int count = 7;
    String label = String("probe");
    c_Probe* next = nullptr;

    void mark_children() override {
        Object::mark_children();
        gc_grey(next);
    }
    String debug_dump() override {
        String t = dbg_dump_header("Probe");
        dbg_dump_field(t, "count", count);
        dbg_dump_field(t, "label", label);
        dbg_dump_field(t, "next", next);
        return t;
    }
};

c_Probe* probe_global;

int Fail(int depth) {
    ZV_FUNC("Fail");
    ZV_LOCAL(depth);
    ZV_AT raise_runtime_error("boom");  // @fail
}

int Recurse(int depth) {
    ZV_FUNC("Recurse");
    ZV_LOCAL(depth);
    ZV_AT if (depth > 100000) return 0;
    ZV_AT return Recurse(depth + 1) + 1;
}

int Inner() {
    ZV_FUNC("Inner");
    ZV_AT int a = 1;  // @inner-first
    ZV_LOCAL(a);
    ZV_AT a += 1;  // @inner-second
    return a;
}

int Stepping() {
    ZV_FUNC("Stepping");
    ZV_AT debug_stop();  // @step-start
    ZV_AT Inner();       // @step-call
    ZV_AT int b = 2;     // @step-after
    ZV_LOCAL(b);
    ZV_AT b += Inner();  // @step-last
    return 0;
}

// The third key makes the tree rotate, so stepping goes through the map's frameless helpers.
int InsertThree() {
    ZV_FUNC("InsertThree");
    ZV_AT c_IntMap<int>* map = new c_IntMap<int>();
    ZV_LOCAL(map);
    ZV_AT debug_stop();  // @insert-start
    ZV_AT map->Insert(1, 1);
    ZV_AT map->Insert(2, 2);
    ZV_AT map->Insert(3, 3);
    ZV_AT return 0;  // @insert-return
}

int ShowLocals() {
    ZV_FUNC("ShowLocals");
    bool flag = true;
    int count = -5;
    float one = 1.0f;
    float tenth = 0.1f;
    String quote = String(std::string(150, 'x').c_str());
    String escaped = String("say \"hi\"\tnow\r\n");
    c_Probe* nothing = nullptr;
    c_Probe* probe = probe_global;
    Array<int> numbers{1, 2, 3};
    ZV_LOCAL(flag);
    ZV_LOCAL(count);
    ZV_LOCAL(one);
    ZV_LOCAL(tenth);
    ZV_LOCAL(quote);
    ZV_LOCAL(escaped);
    ZV_LOCAL(nothing);
    ZV_LOCAL(probe);
    ZV_LOCAL(numbers);
    ZV_AT {
        ZV_BLOCK;
        int inner = 3;
        ZV_LOCAL(inner);
    }
    ZV_AT raise_runtime_error("locals");  // @locals
}

}  // namespace

void zv_init_globals() {
    random_init_globals();
    math_init_globals();
    probe_global = new c_Probe();
}

void gc_queue_roots() { gc_grey(probe_global); }

int Main() {
    ZV_FUNC("Main");
    if (scenario == "error-in-main") {
        ZV_AT raise_runtime_error("main failed");  // @main-error
    } else if (scenario == "nested") {
        ZV_AT Fail(1);  // @call-fail
    } else if (scenario == "locals") {
        ZV_AT ShowLocals();
    } else if (scenario == "step") {
        ZV_AT Stepping();
    } else if (scenario == "map-insert") {
        ZV_AT InsertThree();
    } else if (scenario == "recurse") {
        ZV_AT Recurse(0);
    } else if (scenario == "signal") {
        ZV_AT std::raise(SIGSEGV);
    } else if (scenario == "throw") {
        ZV_AT throw new ThrowableObject(String("it got away"));
    } else if (scenario == "error-empty") {
        ZV_AT error_statement(String());
    } else if (scenario == "error-message") {
        ZV_AT error_statement(String(U"caf\u00e9 closed"));
    } else if (scenario == "print-nul") {
        const String::Char text[] = {'a', 'b', 0, 'c'};
        ZV_AT print_line(String(text, 4));
        ZV_AT print_line(String(U"caf\u00e9"));
    } else if (scenario == "out-of-memory") {
        rlimit limit = {size_t(1) << 30, size_t(1) << 30};
        setrlimit(RLIMIT_AS, &limit);
        ZV_AT Array<int> huge(400000000);
        ZV_AT print_line(String::FromInt(huge.Length()));
    } else if (scenario == "array-bounds") {
        Array<int> three(3);
        ZV_AT three[3] = 1;
    } else if (scenario == "address") {
        ZV_AT print_line(dbg_address_text(probe_global));
        ZV_AT raise_runtime_error("inspect");
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1) scenario = argv[1];
    return zv_start(argc, argv);
}
