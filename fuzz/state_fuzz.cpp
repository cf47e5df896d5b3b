// The state file as the game reads it at start: LoadState, then the text's integer value as the
// best score. Any bytes give the number the text starts with, saturated at the ends of Int, and
// the decimal text the game would save of it reads back as the same number.
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "fuzz/input_file.h"
#include "native/game.h"
#include "runtime/gc.h"

namespace {

// The value of leading white space, a sign and decimal digits in the first 63 characters, each
// taken as its low 8 bits.
int64_t ExpectedValue(const String& text) {
    int n = text.Length() < 63 ? text.Length() : 63, i = 0;
    auto byte = [&](int at) { return static_cast<unsigned char>(text.Data()[at] & 0xff); };
    while (i < n && byte(i) != 0 && std::isspace(byte(i))) ++i;
    bool negative = i < n && byte(i) == '-';
    if (i < n && (byte(i) == '-' || byte(i) == '+')) ++i;
    int64_t value = 0;
    for (; i < n && byte(i) >= '0' && byte(i) <= '9'; ++i) {
        value = value * 10 + (byte(i) - '0');
        if (value > int64_t(INT_MAX) + 1) break;
    }
    value = negative ? -value : value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
}

}  // namespace

void gc_queue_roots() {}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gc_init();
    new ZVGame();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFolder folder;  // also the working directory, where the state file lives
    folder.Write(".zorvexstate", data, size);

    String state = gameInstance->LoadState();
    int best = state.ToInt();
    if (best != ExpectedValue(state)) std::abort();

    if (String::FromInt(best).ToInt() != best) std::abort();
    return 0;
}
