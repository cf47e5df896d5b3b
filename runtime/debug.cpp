#include "runtime/debug.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/gc.h"
#include "runtime/object.h"

const char* dbg_position = "";
dbg_frame* dbg_frames[DBG_MAX_FRAMES];
int dbg_frame_count = 0;
dbg_local dbg_locals[DBG_MAX_LOCALS];
dbg_local* dbg_locals_top = dbg_locals;
int dbg_stop_count = 0;
char dbg_step_mode = 0;

dbg_var_type_t<bool> dbg_var_type_t<bool>::info;
dbg_var_type_t<int> dbg_var_type_t<int>::info;
dbg_var_type_t<float> dbg_var_type_t<float>::info;
dbg_var_type_t<String> dbg_var_type_t<String>::info;

namespace {

// Debugger output: the low 8 bits of each character and a line feed, in one write.
void write_debug_line(const String& text) {
    static std::vector<char> buffer;
    size_t needed = size_t(text.Length()) + 1;
    if (buffer.size() < needed) buffer.resize(needed + 100);
    for (int i = 0; i < text.Length(); ++i) buffer[size_t(i)] = char(text.Data()[i]);
    buffer[needed - 1] = '\n';
    std::fwrite(buffer.data(), 1, needed, stderr);
    std::fflush(stderr);
}

// The locals of frame `f` run from its own saved top to the next frame's (or the stack's) top.
void write_frames_and_locals() {
    dbg_local* local = dbg_locals;
    for (int f = 0; f < dbg_frame_count; ++f) {
        const char* position = f + 1 < dbg_frame_count ? dbg_frames[f + 1]->position : dbg_position;
        std::fprintf(stderr, "+%s;%s\n", dbg_frames[f]->name, position);
        dbg_local* end = f + 1 < dbg_frame_count ? dbg_frames[f + 1]->locals_top : dbg_locals_top;
        for (; local < end; ++local) {
            write_debug_line(String(local->name) + String(":") + local->type->type_name() + String("=") +
                             local->type->value_text(local->address));
        }
    }
    std::fflush(stderr);
}

void dump_object_at(const char* text) {
    void* address = nullptr;
    if (std::sscanf(text, "%p", &address) != 1) address = nullptr;
    // Only a live collected object is dumped; any other address is answered like "@0".
    Object* object = nullptr;
    if (gc_is_live_object(address)) object = dynamic_cast<Object*>(static_cast<gc_object*>(address));
    write_debug_line(object ? object->debug_dump() : String());
}

}  // namespace

String dbg_quote(const String& text) {
    String shown = text.Length() > 100 ? text.Slice(0, 100) + String("...") : text;
    shown = shown.Replace(String("\""), String("~q"))
                .Replace(String("\t"), String("~t"))
                .Replace(String("\n"), String("~n"))
                .Replace(String("\r"), String("~r"));
    return String("\"") + shown + String("\"");
}

String dbg_address_text(const void* object) {
    char text[32];
    std::snprintf(text, sizeof text, "@%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(object)));
    return String(text);
}

String dbg_dump_header(const char* class_name) { return String("(") + String(class_name) + String(")\n"); }

void print_line(const String& text) {
    std::string line = text.ToUtf8() + "\n";
    std::fputs(line.c_str(), stdout);  // stops at a NUL character, as a C string does
    std::fflush(stdout);
}

String stack_trace() {
    if (!*dbg_position) return String();
    String trace = String(dbg_position) + String("\n");
    for (int f = dbg_frame_count - 1; f >= 1; --f) trace += String(dbg_frames[f]->position) + String("\n");
    return trace;
}

void debug_stop() {
    std::fprintf(stderr, "{{~~%s~~}}\n", dbg_position);
    write_frames_and_locals();
    write_debug_line(String());

    for (;;) {
        char line[256];
        if (!std::fgets(line, sizeof line, stdin)) std::exit(-1);
        char* feed = std::strchr(line, '\n');
        if (!feed) std::exit(-1);
        *feed = 0;
        switch (line[0]) {
            case 'r': dbg_stop_count = 0; dbg_step_mode = 0; return;
            case 'e': dbg_stop_count = 1; dbg_step_mode = 'e'; return;
            case 's': dbg_stop_count = 1; dbg_step_mode = 's'; return;
            case 'l': dbg_stop_count = 0; dbg_step_mode = 'l'; return;
            case 'q': std::exit(0);
            case '@': dump_object_at(line + 1); continue;
            case '?': continue;
            default:
                std::printf("????? %s ?????", line);
                std::fflush(stdout);
                std::exit(-1);
        }
    }
}

void raise_runtime_error(const String& message) {
    for (;;) {
        print_line(String("Zorvex Runtime Error : ") + message);
        print_line(stack_trace());
        debug_stop();
    }
}

void raise_runtime_error(const char* message) { raise_runtime_error(String(message)); }

void dbg_stack_overflow() { raise_runtime_error("Stack overflow"); }

void error_statement(const String& message) {
    if (message.IsEmpty()) std::exit(0);
    raise_runtime_error(String(message.ToBytes().c_str()));
}
