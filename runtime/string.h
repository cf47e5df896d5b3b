// String: immutable text of 32-bit characters (one code point each) in a reference-counted buffer.
//
// Copying a String adds a reference; destroying one drops it. Every empty String shares one
// static buffer, which is counted like any other but never freed. Operations that would return
// their input unchanged return the same buffer with one more reference instead of copying.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

template <class T>
class Array;

class String {
public:
    using Char = char32_t;

    String();
    String(const String& other);
    ~String();
    String& operator=(const String& other);

    String(const char* bytes);                       // one character per byte
    String(const Char* chars);                       // a literal, up to its NUL
    String(const Char* chars, int length);           // a copy of `length` characters

    static String FromInt(int value);
    static String FromFloat(float value);
    // Decodes file bytes: UTF-16 with a byte-order mark, UTF-8 (with or without its signature),
    // or, when the UTF-8 is malformed, one character per byte.
    static String FromBytes(const uint8_t* bytes, size_t count);
    // Reads a whole file as text; a missing or empty file gives the empty String.
    static String LoadFile(const char* path);

    int Length() const { return rep_->length; }
    bool IsEmpty() const { return rep_->length == 0; }
    const Char* Data() const { return rep_->chars(); }
    // The character at `i`; an index outside the String is a runtime error.
    int CharAt(int i) const;

    String operator+(const String& rhs) const;
    String& operator+=(const String& rhs);
    bool operator==(const String& rhs) const;
    bool operator!=(const String& rhs) const { return !(*this == rhs); }
    bool operator<(const String& rhs) const { return Compare(rhs) < 0; }
    // Difference of the first differing characters, else difference of the lengths.
    int Compare(const String& rhs) const;

    String Slice(int from) const { return Slice(from, Length()); }
    String Slice(int from, int to) const;
    int Find(const String& sub, int start = 0) const;
    int FindLast(const String& sub) const;
    bool Contains(const String& sub) const { return Find(sub, 0) != -1; }
    bool StartsWith(const String& prefix) const;
    bool EndsWith(const String& suffix) const;
    String Replace(const String& find, const String& with) const;
    Array<String> Split(const String& separator) const;
    String Join(const Array<String>& pieces) const;
    String Trim() const;
    String ToLower() const;

    int ToInt() const;
    float ToFloat() const;
    // Low 8 bits of each character, at most size - 1 of them, then a NUL.
    void ToCString(char* out, size_t size) const;
    std::string ToUtf8() const;
    // The low 8 bits of each character, for file names and messages to the system library.
    std::string ToBytes() const;
    // Writes the UTF-8 bytes, with no terminator; false when not all were written.
    bool WriteToFile(std::FILE* file) const;

    // Reference count of the buffer; for tests.
    int RefCount() const { return rep_->refs; }
    bool SharesBufferWith(const String& other) const { return rep_ == other.rep_; }

private:
    struct Rep {
        int refs;
        int length;
        Char* chars() { return reinterpret_cast<Char*>(this + 1); }
        const Char* chars() const { return reinterpret_cast<const Char*>(this + 1); }
    };
    static_assert(sizeof(Rep) == 8, "a buffer is a count and a length, then the characters");

    explicit String(Rep* rep) : rep_(rep) {}
    static Rep* Allocate(int length);
    static Rep* EmptyRep();
    void Retain() const { ++rep_->refs; }
    void Release();

    Rep* rep_;
};

inline String operator+(const char* lhs, const String& rhs) { return String(lhs) + rhs; }

// The bounds rule Strings and arrays share for Slice: a negative `from` or `to` counts from the
// end; `from` ends up in 0..length and `to` at most length.
inline void ClampSliceBounds(int length, int& from, int& to) {
    if (from < 0) {
        from += length;
        if (from < 0) from = 0;
    } else if (from > length) {
        from = length;
    }
    if (to < 0) {
        to += length;
    } else if (to > length) {
        to = length;
    }
}
