#include "runtime/startup.h"

#include <clocale>
#include <csignal>
#include <cstdlib>

#include "runtime/debug.h"
#include "runtime/gc.h"
#include "runtime/object.h"

namespace {

std::vector<std::string> arguments;

void on_fatal_signal(int signal) {
    switch (signal) {
        case SIGSEGV: raise_runtime_error("Memory access violation");
        case SIGILL: raise_runtime_error("Illegal instruction");
        case SIGFPE: raise_runtime_error("Floating point exception");
        case SIGBUS: raise_runtime_error("Bus error");
        default: raise_runtime_error("Unknown signal");
    }
}

}  // namespace

void uncaught_exception(ThrowableObject* thrown) {
    print_line(String("Zorvex Runtime Error : Uncaught Zorvex Exception"));
    print_line(thrown ? thrown->message : String());
    std::exit(-1);
}

const std::vector<std::string>& zv_args() { return arguments; }

int zv_start(int argc, char** argv) {
    arguments.assign(argv, argv + argc);
    for (int signal : {SIGSEGV, SIGILL, SIGFPE, SIGBUS}) std::signal(signal, on_fatal_signal);
    if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");

    gc_init();
    zv_init_globals();
    gc_queue_roots();
    try {
        return Main();
    } catch (ThrowableObject* thrown) {
        uncaught_exception(thrown);
    }
}
