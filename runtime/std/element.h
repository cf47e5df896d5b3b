// How the generic containers hold an element: an object reference is stored through the write
// barrier and traced; a String, Int or Float is a plain value.
#pragma once

#include <type_traits>

#include "runtime/gc.h"

template <class T>
inline void element_store(T& slot, const T& value) {
    if constexpr (std::is_pointer<T>::value) {
        gc_store(slot, value);
    } else {
        slot = value;
    }
}

template <class T>
inline void element_grey(const T& value) {
    if constexpr (std::is_pointer<T>::value) gc_grey(value);
}
