// Array<T>: a fixed-length, bounds-checked array. The value is one pointer to collected storage
// (Array<T>::Rep); copying the value shares the storage.
//
// Storage is a header (the collector header and the length, 32 bytes on a 64-bit machine, where
// the length fills the word after `flags`) followed by the elements, 8-byte aligned. Every empty
// array of one element type points at a single static storage of colour 3, so an array is never
// null and an empty one costs nothing.
//
// Object elements are written through the barrier (Set); String elements hold a reference each.
// Storing an array into a field or global goes through gc_store_array.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>

#include "runtime/debug.h"
#include "runtime/gc.h"
#include "runtime/string.h"

template <class T>
class Array {
    static constexpr bool holds_objects = std::is_pointer<T>::value;

public:
    class Rep : public gc_object {
    public:
        int length;

        static constexpr size_t data_offset() { return (sizeof(Rep) + 7) & ~size_t(7); }
        T* data() { return reinterpret_cast<T*>(reinterpret_cast<char*>(this) + data_offset()); }

        ~Rep() override {
            if constexpr (!std::is_trivially_destructible<T>::value) {
                for (int i = 0; i < length; ++i) data()[i].~T();
            }
        }

        // Elements are traced depth-first at once rather than queued.
        void mark_children() override {
            if constexpr (holds_objects) {
                for (int i = 0; i < length; ++i) gc_blacken(data()[i]);
            }
        }

        // New zeroed storage of `n` > 0 elements.
        static Rep* New(int n) {
            int64_t bytes = int64_t(data_offset()) + int64_t(n) * int64_t(sizeof(T));
            if (bytes > INT32_MAX - 8) gc_out_of_memory();  // more than a block size can say
            void* block = gc_allocate(int(bytes));
            Rep* rep = ::new (block) Rep();
            rep->length = n;
            if constexpr (std::is_trivially_constructible<T>::value) {
                std::memset(static_cast<void*>(rep->data()), 0, sizeof(T) * size_t(n));
            } else {
                for (int i = 0; i < n; ++i) ::new (rep->data() + i) T();
            }
            return rep;
        }

        static Rep* Empty() { return &empty_storage; }

    private:
        Rep() {}
        explicit Rep(static_storage_tag tag) : gc_object(tag), length(0) {}
        static Rep empty_storage;
    };
    static_assert(sizeof(void*) != 8 || sizeof(Rep) == 32, "the length shares the header's last word");

    Array() : rep_(Rep::Empty()) {}
    explicit Array(int n) : rep_(n <= 0 ? Rep::Empty() : Rep::New(n)) {}
    Array(std::initializer_list<T> values) : Array(int(values.size())) {
        int i = 0;
        for (const T& v : values) rep_->data()[i++] = v;
    }

    int Length() const { return rep_->length; }

    // Reads an element; writes of Int, Float, Bool and String elements go through the reference.
    decltype(auto) operator[](int i) const {
        Check(i);
        if constexpr (holds_objects) {
            return static_cast<T>(rep_->data()[i]);
        } else {
            return static_cast<T&>(rep_->data()[i]);
        }
    }

    // Writes an element; object references go through the write barrier.
    void Set(int i, const T& value) const {
        Check(i);
        if constexpr (holds_objects) {
            gc_store(rep_->data()[i], value);
        } else {
            rep_->data()[i] = value;
        }
    }

    Array Resize(int n) const {
        Array result(n);
        int keep = n < Length() ? n : Length();
        for (int i = 0; i < keep; ++i) result.rep_->data()[i] = rep_->data()[i];
        return result;
    }

    Array Slice(int from) const { return Slice(from, Length()); }
    Array Slice(int from, int to) const {
        ClampSliceBounds(Length(), from, to);
        if (to <= from) return Array();  // unlike a String's, a whole-range slice is a copy
        Array result(to - from);
        for (int i = from; i < to; ++i) result.rep_->data()[i - from] = rep_->data()[i];
        return result;
    }

    Rep* Storage() const { return rep_; }
    T* Data() const { return rep_->data(); }
    bool SharesStorageWith(const Array& other) const { return rep_ == other.rep_; }

    // The barrier for array values: the storage is blackened at once, then the pointer stored.
    friend void gc_store_array(Array& slot, const Array& value) {
        gc_blacken(value.rep_);
        slot.rep_ = value.rep_;
    }

private:
    void Check(int i) const {
        if (i < 0 || i >= rep_->length) raise_runtime_error("Array index out of range");
    }

    Rep* rep_;
};

template <class T>
typename Array<T>::Rep Array<T>::Rep::empty_storage{gc_object::static_storage_tag{}};

// Debug view of an array: "Int[]" and "[1,2,3]".
template <class T>
struct dbg_var_type_t<Array<T>> : dbg_var_type {
    String type_name() override { return dbg_var_type_t<T>::info.type_name() + String("[]"); }
    String value_text(const void* p) override {
        const Array<T>& a = *static_cast<const Array<T>*>(p);
        String text("[");
        for (int i = 0; i < a.Length(); ++i) {
            if (i) text += String(",");
            T element = a.Data()[i];
            text += dbg_var_type_t<T>::info.value_text(&element);
        }
        return text + String("]");
    }
    static dbg_var_type_t info;
};
template <class T>
dbg_var_type_t<Array<T>> dbg_var_type_t<Array<T>>::info;
