// A kerning pair: pixels added to the pen position when `second` follows `first`.
#pragma once

#include "runtime/object.h"

class c_KernPair : public Object {
public:
    static constexpr const char* debug_name = "KernPair";

    String first;   // character code in decimal
    String second;  // character code in decimal
    int amount = 0;

    String debug_dump() override;

    c_KernPair(int first, int second, int amount);
};
