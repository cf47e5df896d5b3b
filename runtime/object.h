// Object: the base of every managed class and of the collected native classes.
#pragma once

#include <cstdint>

#include "runtime/debug.h"
#include "runtime/gc.h"
#include "runtime/string.h"

class Object : public gc_object {
public:
    static constexpr const char* debug_name = "Object";

    virtual bool equals(Object* other) { return other == this; }
    virtual int compare(Object* other) {
        return int(reinterpret_cast<intptr_t>(this) - reinterpret_cast<intptr_t>(other));
    }
    virtual String debug_dump() { return String("+Object\n"); }
};

// What the managed Throw statement throws; the host reports one that escapes as uncaught.
class ThrowableObject : public Object {
public:
    explicit ThrowableObject(const String& message = String()) : message(message) {}
    String message;
};

// Reports an escaped ThrowableObject and ends the process with status -1.
[[noreturn]] void uncaught_exception(ThrowableObject* thrown);
