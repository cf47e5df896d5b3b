#include "runtime/string.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <vector>

#include "runtime/array.h"
#include "runtime/debug.h"
#include "runtime/gc.h"

String::Rep* String::EmptyRep() {
    static Rep empty = {1, 0};
    return &empty;
}

String::Rep* String::Allocate(int length) {
    if (length <= 0) {
        Rep* empty = EmptyRep();
        ++empty->refs;
        return empty;
    }
    auto* rep = static_cast<Rep*>(std::malloc(sizeof(Rep) + sizeof(Char) * size_t(length)));
    if (!rep) gc_out_of_memory();
    rep->refs = 1;
    rep->length = length;
    return rep;
}

void String::Release() {
    if (--rep_->refs == 0 && rep_ != EmptyRep()) std::free(rep_);
}

String::String() : rep_(EmptyRep()) { Retain(); }
String::String(const String& other) : rep_(other.rep_) { Retain(); }
String::~String() { Release(); }

String& String::operator=(const String& other) {
    other.Retain();  // first, so that assigning a String to itself keeps its buffer
    Release();
    rep_ = other.rep_;
    return *this;
}

String::String(const char* bytes) {
    int length = bytes ? int(std::strlen(bytes)) : 0;
    rep_ = Allocate(length);
    for (int i = 0; i < length; ++i) rep_->chars()[i] = static_cast<unsigned char>(bytes[i]);
}

String::String(const Char* chars) {
    int length = 0;
    while (chars && chars[length]) ++length;
    rep_ = Allocate(length);
    if (length) std::memcpy(rep_->chars(), chars, sizeof(Char) * size_t(length));
}

String::String(const Char* chars, int length) : rep_(Allocate(length)) {
    if (length > 0) std::memcpy(rep_->chars(), chars, sizeof(Char) * size_t(length));
}

String String::FromInt(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%i", value);
    return String(text);
}

String String::FromFloat(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17lg", double(value));
    if (!std::strchr(text, '.') && !std::strchr(text, 'e')) std::strcat(text, ".0");
    return String(text);
}

int String::CharAt(int i) const {
    if (i < 0 || i >= Length()) raise_runtime_error("String index out of range");
    return int(Data()[i]);
}

String String::operator+(const String& rhs) const {
    if (IsEmpty()) return rhs;
    if (rhs.IsEmpty()) return *this;
    String result(Allocate(Length() + rhs.Length()));
    std::memcpy(result.rep_->chars(), Data(), sizeof(Char) * size_t(Length()));
    std::memcpy(result.rep_->chars() + Length(), rhs.Data(), sizeof(Char) * size_t(rhs.Length()));
    return result;
}

String& String::operator+=(const String& rhs) { return *this = *this + rhs; }

bool String::operator==(const String& rhs) const {
    return Length() == rhs.Length() &&
           (rep_ == rhs.rep_ || std::memcmp(Data(), rhs.Data(), sizeof(Char) * size_t(Length())) == 0);
}

int String::Compare(const String& rhs) const {
    int n = Length() < rhs.Length() ? Length() : rhs.Length();
    for (int i = 0; i < n; ++i) {
        int diff = int(Data()[i]) - int(rhs.Data()[i]);
        if (diff) return diff;
    }
    return Length() - rhs.Length();
}

String String::Slice(int from, int to) const {
    ClampSliceBounds(Length(), from, to);
    if (to <= from) return String();
    if (from == 0 && to == Length()) return *this;
    return String(Data() + from, to - from);
}

int String::Find(const String& sub, int start) const {
    if (start < 0) start = 0;
    int n = sub.Length();
    for (int p = start; p + n <= Length(); ++p) {
        if (std::memcmp(Data() + p, sub.Data(), sizeof(Char) * size_t(n)) == 0) return p;
    }
    return -1;
}

int String::FindLast(const String& sub) const {
    for (int p = Length() - sub.Length(); p >= 0; --p) {
        if (std::memcmp(Data() + p, sub.Data(), sizeof(Char) * size_t(sub.Length())) == 0) return p;
    }
    return -1;
}

bool String::StartsWith(const String& prefix) const {
    return prefix.Length() <= Length() &&
           std::memcmp(Data(), prefix.Data(), sizeof(Char) * size_t(prefix.Length())) == 0;
}

bool String::EndsWith(const String& suffix) const {
    return suffix.Length() <= Length() &&
           std::memcmp(Data() + Length() - suffix.Length(), suffix.Data(),
                       sizeof(Char) * size_t(suffix.Length())) == 0;
}

String String::Replace(const String& find, const String& with) const {
    // An empty find string would match everywhere without advancing; nothing is replaced.
    if (find.IsEmpty()) return *this;
    std::vector<int> matches;
    for (int p = Find(find, 0); p != -1; p = Find(find, p + find.Length())) matches.push_back(p);
    if (matches.empty()) return *this;

    int length = Length() + int(matches.size()) * (with.Length() - find.Length());
    String result(Allocate(length));
    Char* out = result.rep_->chars();
    int from = 0;
    for (int p : matches) {
        out = std::copy(Data() + from, Data() + p, out);
        out = std::copy(with.Data(), with.Data() + with.Length(), out);
        from = p + find.Length();
    }
    std::copy(Data() + from, Data() + Length(), out);
    return result;
}

Array<String> String::Split(const String& separator) const {
    if (separator.IsEmpty()) {
        Array<String> pieces(Length());
        for (int i = 0; i < Length(); ++i) pieces[i] = String(Data() + i, 1);
        return pieces;
    }
    int count = 0;
    for (int p = Find(separator, 0); p != -1; p = Find(separator, p + separator.Length())) ++count;
    if (count == 0) return Array<String>{*this};

    Array<String> pieces(count + 1);
    int from = 0;
    for (int i = 0; i < count; ++i) {
        int p = Find(separator, from);
        pieces[i] = Slice(from, p);
        from = p + separator.Length();
    }
    pieces[count] = Slice(from);
    return pieces;
}

String String::Join(const Array<String>& pieces) const {
    int count = pieces.Length();
    if (count == 0) return String();
    if (count == 1) return pieces[0];

    int length = Length() * (count - 1);
    for (int i = 0; i < count; ++i) length += pieces[i].Length();
    String result(Allocate(length));
    Char* out = result.rep_->chars();
    for (int i = 0; i < count; ++i) {
        if (i > 0) out = std::copy(Data(), Data() + Length(), out);
        const String& piece = pieces[i];
        out = std::copy(piece.Data(), piece.Data() + piece.Length(), out);
    }
    return result;
}

String String::Trim() const {
    int from = 0, to = Length();
    while (from < to && Data()[from] <= 32) ++from;
    while (to > from && Data()[to - 1] <= 32) --to;
    return Slice(from, to);
}

String String::ToLower() const {
    for (int i = 0; i < Length(); ++i) {
        Char c = Data()[i];
        if (Char(std::towlower(wint_t(c))) == c) continue;
        String result(Data(), Length());
        for (int j = i; j < Length(); ++j) {
            result.rep_->chars()[j] = Char(std::towlower(wint_t(Data()[j])));
        }
        return result;
    }
    return *this;
}

// As atoi reads, but a number beyond Int saturates instead of being undefined: a state file
// holding a huge number gave a best score of -1.
int String::ToInt() const {
    char text[64];
    ToCString(text, sizeof text);
    long value = std::strtol(text, nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : int(value);
}

float String::ToFloat() const {
    std::string text = ToBytes();
    return float(std::atof(text.c_str()));
}

void String::ToCString(char* out, size_t size) const {
    if (size == 0) return;
    size_t n = size_t(Length()) < size - 1 ? size_t(Length()) : size - 1;
    for (size_t i = 0; i < n; ++i) out[i] = char(Data()[i]);
    out[n] = 0;
}

std::string String::ToBytes() const {
    std::string bytes(size_t(Length()), '\0');
    for (int i = 0; i < Length(); ++i) bytes[size_t(i)] = char(Data()[i]);
    return bytes;
}

std::string String::ToUtf8() const {
    std::string out;
    out.reserve(size_t(Length()));
    for (int i = 0; i < Length(); ++i) {
        uint32_t c = Data()[i] & 0xffff;  // as on input, characters keep 16 bits
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xc0 | c >> 6);
            out += char(0x80 | (c & 0x3f));
        } else {
            out += char(0xe0 | c >> 12);
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        }
    }
    return out;
}

bool String::WriteToFile(std::FILE* file) const {
    std::string bytes = ToUtf8();
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

namespace {

// Decodes one- to three-byte UTF-8; false when the bytes are not such UTF-8.
bool DecodeUtf8(const uint8_t* p, const uint8_t* end, std::vector<char32_t>& out) {
    while (p < end) {
        unsigned c = *p++;
        int extra;
        if (c < 0x80) {
            extra = 0;
        } else if (c >= 0xc0 && c <= 0xdf) {
            extra = 1;
            c &= 0x1f;
        } else if (c >= 0xe0 && c <= 0xef) {
            extra = 2;
            c &= 0x0f;
        } else {
            return false;
        }
        for (int i = 0; i < extra; ++i) {
            if (p == end || (*p & 0xc0) != 0x80) return false;
            c = (c << 6) | (*p++ & 0x3f);
        }
        out.push_back(char32_t(c & 0xffff));
    }
    return true;
}

}  // namespace

String String::FromBytes(const uint8_t* bytes, size_t count) {
    std::vector<char32_t> chars;
    if (count >= 2 && ((bytes[0] == 0xfe && bytes[1] == 0xff) || (bytes[0] == 0xff && bytes[1] == 0xfe))) {
        bool big_endian = bytes[0] == 0xfe;
        for (size_t i = 2; i + 1 < count; i += 2) {
            chars.push_back(big_endian ? char32_t(bytes[i] << 8 | bytes[i + 1])
                                       : char32_t(bytes[i + 1] << 8 | bytes[i]));
        }
    } else {
        if (count >= 3 && bytes[0] == 239 && bytes[1] == 187 && bytes[2] == 191) {
            bytes += 3;
            count -= 3;
        }
        if (!DecodeUtf8(bytes, bytes + count, chars)) {
            chars.assign(bytes, bytes + count);
        }
    }
    return String(chars.data(), int(chars.size()));
}

String String::LoadFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return String();
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return FromBytes(bytes.data(), bytes.size());
}
