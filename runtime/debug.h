// Debug frames, runtime errors and the debugger.
//
// Every managed function carries the same few lines of instrumentation:
//
//   int c_JamApp::OnUpdate() {
//       ZV_FUNC("JamApp.OnUpdate");   // push a frame; it is popped on every exit
//       ZV_SELF;                      // register the receiver as "Self"
//       ZV_LOCAL(dt);                 // register a parameter or local by its own name
//       ZV_AT camX += 2;              // before each statement: record its position, stop if asked
//       ZV_AT if (gameState == 0) {
//           ZV_BLOCK;                 // first line of every nested block and loop body
//           ...
//       }
//       return 0;
//   }
//
// A helper without a frame of its own (its work belongs to the caller's frame) starts with
// ZV_HELPER, so that the locals it registers leave the locals stack when it returns: the debugger
// must never show a local whose stack slot is gone.
//
// Positions are "path<line>" literals made at compile time; paths are relative to the repository
// root. A runtime error prints "Zorvex Runtime Error : <message>", the stack trace (one call site
// per line, innermost first) and then asks the debugger on standard error / standard input what
// to do; with no debugger attached (end of input) the process ends with status -1.
//
// The frame stack holds 1024 frames and the locals stack 65536 locals; going past either is the
// runtime error "Stack overflow".
#pragma once

#include <cstdint>

#include "runtime/string.h"

// Type descriptor of a registered variable: its type name and the text of its value.
struct dbg_var_type {
    virtual String type_name() = 0;
    virtual String value_text(const void* address) = 0;
};

// One descriptor per variable type: Bool, Int, Float, String, object pointers and arrays.
template <class T, class Enable = void>
struct dbg_var_type_t;

struct dbg_local {
    const void* address;
    const char* name;
    dbg_var_type* type;
};

struct dbg_frame {
    dbg_local* locals_top;  // the locals stack top when the call began
    const char* name;
    const char* position;   // the caller's position at the time of the call
};

constexpr int DBG_MAX_FRAMES = 1024;
constexpr int DBG_MAX_LOCALS = 65536;

extern const char* dbg_position;
extern dbg_frame* dbg_frames[DBG_MAX_FRAMES];
extern int dbg_frame_count;
extern dbg_local dbg_locals[DBG_MAX_LOCALS];
extern dbg_local* dbg_locals_top;
extern int dbg_stop_count;
extern char dbg_step_mode;  // 0, or 'e' (step into), 's' (step over), 'l' (step out)

[[noreturn]] void raise_runtime_error(const String& message);
[[noreturn]] void raise_runtime_error(const char* message);
[[noreturn]] void dbg_stack_overflow();
// The managed Error statement: an empty message quits with status 0.
void error_statement(const String& message);
void print_line(const String& text);
String stack_trace();
void debug_stop();

// The quoted form of a String in the debugger: at most 100 characters, with ~q ~t ~n ~r escapes.
String dbg_quote(const String& text);

// Object dumps: "(X)\n", then the base class's dump, then "name:Type=value\n" per field.
String dbg_dump_header(const char* class_name);
template <class T>
void dbg_dump_field(String& text, const char* name, const T& value) {
    text += String(name) + String(":") + dbg_var_type_t<T>::info.type_name() + String("=") +
            dbg_var_type_t<T>::info.value_text(&value) + String("\n");
}

// ---- Instrumentation ----

struct dbg_frame_guard : dbg_frame {
    explicit dbg_frame_guard(const char* function_name) {
        locals_top = dbg_locals_top;
        if (dbg_step_mode == 'l') --dbg_stop_count;
        name = function_name;
        position = dbg_position;
        if (dbg_frame_count == DBG_MAX_FRAMES) dbg_stack_overflow();
        dbg_frames[dbg_frame_count++] = this;
        if (dbg_step_mode == 's') --dbg_stop_count;
    }
    ~dbg_frame_guard() {
        if (dbg_step_mode == 's') ++dbg_stop_count;
        --dbg_frame_count;
        dbg_position = position;
        if (dbg_step_mode == 'l') ++dbg_stop_count;
        dbg_locals_top = locals_top;
    }
    dbg_frame_guard(const dbg_frame_guard&) = delete;
    dbg_frame_guard& operator=(const dbg_frame_guard&) = delete;
};

struct dbg_block_guard {
    dbg_local* saved_top;
    dbg_block_guard() : saved_top(dbg_locals_top) {
        if (dbg_step_mode == 'l') --dbg_stop_count;
    }
    ~dbg_block_guard() {
        if (dbg_step_mode == 'l') ++dbg_stop_count;
        dbg_locals_top = saved_top;
    }
    dbg_block_guard(const dbg_block_guard&) = delete;
    dbg_block_guard& operator=(const dbg_block_guard&) = delete;
};

// Restores the locals stack top on exit and nothing else: a helper is no block of the managed
// code, so stepping out does not count it.
struct dbg_locals_guard {
    dbg_local* saved_top;
    dbg_locals_guard() : saved_top(dbg_locals_top) {}
    ~dbg_locals_guard() { dbg_locals_top = saved_top; }
    dbg_locals_guard(const dbg_locals_guard&) = delete;
    dbg_locals_guard& operator=(const dbg_locals_guard&) = delete;
};

template <class T>
inline void dbg_register(const T* address, const char* name) {
    if (dbg_locals_top == dbg_locals + DBG_MAX_LOCALS) dbg_stack_overflow();
    *dbg_locals_top++ = {address, name, &dbg_var_type_t<T>::info};
}

inline void dbg_at(const char* position) {
    dbg_position = position;
    if (dbg_stop_count > 0) debug_stop();
}

#define ZV_STRINGIFY2(x) #x
#define ZV_STRINGIFY(x) ZV_STRINGIFY2(x)
#define ZV_CONCAT2(a, b) a##b
#define ZV_CONCAT(a, b) ZV_CONCAT2(a, b)
#define ZV_POSITION __FILE__ "<" ZV_STRINGIFY(__LINE__) ">"

#define ZV_FUNC(name) dbg_frame_guard zv_frame_guard(name)
#define ZV_SELF                      \
    auto* const zv_self = this;      \
    dbg_register(&zv_self, "Self")
#define ZV_LOCAL(variable) dbg_register(&(variable), #variable)
#define ZV_AT dbg_at(ZV_POSITION);
#define ZV_BLOCK dbg_block_guard ZV_CONCAT(zv_block_guard_, __LINE__)
#define ZV_HELPER dbg_locals_guard zv_helper_guard

// ---- Type descriptors ----

template <>
struct dbg_var_type_t<bool> : dbg_var_type {
    String type_name() override { return String("Bool"); }
    String value_text(const void* p) override { return String(*static_cast<const bool*>(p) ? "True" : "False"); }
    static dbg_var_type_t info;
};

template <>
struct dbg_var_type_t<int> : dbg_var_type {
    String type_name() override { return String("Int"); }
    String value_text(const void* p) override { return String::FromInt(*static_cast<const int*>(p)); }
    static dbg_var_type_t info;
};

template <>
struct dbg_var_type_t<float> : dbg_var_type {
    String type_name() override { return String("Float"); }
    String value_text(const void* p) override { return String::FromFloat(*static_cast<const float*>(p)); }
    static dbg_var_type_t info;
};

template <>
struct dbg_var_type_t<String> : dbg_var_type {
    String type_name() override { return String("String"); }
    String value_text(const void* p) override { return dbg_quote(*static_cast<const String*>(p)); }
    static dbg_var_type_t info;
};

String dbg_address_text(const void* object);

// Object references: the class's debug name (without any instantiation number) and "@address".
template <class T>
struct dbg_var_type_t<T*> : dbg_var_type {
    String type_name() override { return String(T::debug_name); }
    String value_text(const void* p) override { return dbg_address_text(*static_cast<T* const*>(p)); }
    static dbg_var_type_t info;
};
template <class T>
dbg_var_type_t<T*> dbg_var_type_t<T*>::info;
