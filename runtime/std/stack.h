// Stack: the generic growable stack over an array. The storage grows to length * 2 + 10 when full
// (0, 10, 30, 70, ...), so pushes allocate rarely; `length` counts the elements in use.
#pragma once

#include <climits>
#include <cstdint>

#include "runtime/array.h"
#include "runtime/debug.h"
#include "runtime/object.h"

template <class T>
class c_Stack : public Object {
public:
    static constexpr const char* debug_name = "Stack";

    Array<T> data;
    int length = 0;

    void mark_children() override {
        Object::mark_children();
        gc_grey(data.Storage());
    }
    String debug_dump() override {
        String text = dbg_dump_header("Stack");
        dbg_dump_field(text, "data", data);
        dbg_dump_field(text, "length", length);
        return text;
    }

    // Starts on the shared empty storage.
    c_Stack() {
        ZV_FUNC("Stack.new");
        ZV_SELF;
    }

    // Holds a copy, so later changes to `data` do not reach the stack.
    explicit c_Stack(Array<T> data) {
        ZV_FUNC("Stack.new");
        ZV_SELF;
        ZV_LOCAL(data);
        ZV_AT gc_store_array(this->data, data.Slice(0, data.Length()));
        ZV_AT length = this->data.Length();
    }

    int Push(T value) {
        ZV_FUNC("Stack.Push");
        ZV_SELF;
        ZV_LOCAL(value);
        ZV_AT if (length == data.Length()) {
            ZV_BLOCK;
            ZV_AT gc_store_array(data, data.Resize(length * 2 + 10));
        }
        ZV_AT data.Set(length, value);
        ZV_AT length += 1;
        ZV_AT return 0;
    }

    // Pushes values[offset] onwards; a bad index raises after the elements before it are pushed.
    int Push(Array<T> values, int offset, int count) {
        ZV_FUNC("Stack.Push");
        ZV_SELF;
        ZV_LOCAL(values);
        ZV_LOCAL(offset);
        ZV_LOCAL(count);
        ZV_AT for (int i = 0; i < count; ++i) {
            ZV_BLOCK;
            ZV_LOCAL(i);
            // Widened so an offset near INT_MAX is reported as out of range, not wrapped.
            int64_t index = int64_t(offset) + i;
            ZV_AT Push(values[index > INT_MAX ? -1 : int(index)]);
        }
        ZV_AT return 0;
    }

    int Push(Array<T> values, int offset) {
        ZV_FUNC("Stack.Push");
        ZV_SELF;
        ZV_LOCAL(values);
        ZV_LOCAL(offset);
        // Widened for the same reason: a very negative offset must not wrap to a count of 0.
        int64_t rest = int64_t(values.Length()) - offset;
        ZV_AT return Push(values, offset, rest > INT_MAX ? INT_MAX : int(rest));
    }

    Array<T> ToArray() {
        ZV_FUNC("Stack.ToArray");
        ZV_SELF;
        ZV_AT Array<T> t(length);
        ZV_LOCAL(t);
        ZV_AT for (int i = 0; i < length; ++i) {
            ZV_BLOCK;
            ZV_LOCAL(i);
            ZV_AT t.Set(i, data[i]);
        }
        ZV_AT return t;
    }
};
