// Misuses the standard containers; the first argument picks which. Each misuse is a runtime
// error, so the process reports it and ends; a line printed before it shows how far it got.
#include <cstdlib>
#include <string>

#include "runtime/array.h"
#include "runtime/debug.h"
#include "runtime/object.h"
#include "runtime/startup.h"
#include "runtime/std/list.h"
#include "runtime/std/stack.h"

namespace {

class c_Thing : public Object {
public:
    static constexpr const char* debug_name = "Thing";
};

c_Stack<c_Thing*>* partial_stack;

// A runtime error ends the process through exit, so this still sees what was pushed.
void report_stack_length() { print_line(String("stack length ") + String::FromInt(partial_stack->length)); }

}  // namespace

void zv_init_globals() {}
void gc_queue_roots() {}

int Main() {
    ZV_FUNC("Main");
    const std::string misuse = zv_args().size() > 1 ? zv_args()[1] : "";
    auto* empty = new c_List<String>();
    auto* things = new c_List<c_Thing*>();
    if (misuse == "last-empty") {
        ZV_AT empty->Last();
    } else if (misuse == "remove-first-empty") {
        ZV_AT empty->RemoveFirst();
    } else if (misuse == "remove-last-empty") {
        ZV_AT empty->RemoveLast();
    } else if (misuse == "remove-twice") {
        c_Node<c_Thing*>* node = things->AddLast(new c_Thing());
        ZV_AT node->Remove();
        print_line(String("removed once"));
        ZV_AT node->Remove();
    } else if (misuse == "sort-uncomparable") {
        things->AddLast(new c_Thing());
        ZV_AT things->Sort(true);  // one item: nothing to compare
        print_line(String("one item sorted"));
        things->AddLast(new c_Thing());
        ZV_AT things->Sort(true);
    } else if (misuse == "stack-range") {
        partial_stack = new c_Stack<c_Thing*>();
        std::atexit(report_stack_length);
        Array<c_Thing*> values(5);
        ZV_AT partial_stack->Push(values, 3, 5);
    } else {
        print_line(String("unknown misuse"));
        return 2;
    }
    print_line(String("no error"));
    return 0;
}

int main(int argc, char** argv) { return zv_start(argc, argv); }
