#include "fonts/kernpair.h"

c_KernPair::c_KernPair(int first, int second, int amount) {
    ZV_FUNC("KernPair.new");
    ZV_SELF;
    ZV_LOCAL(first);
    ZV_LOCAL(second);
    ZV_LOCAL(amount);
    ZV_AT this->first = String::FromInt(first);
    ZV_AT this->second = String::FromInt(second);
    ZV_AT this->amount = amount;
}

String c_KernPair::debug_dump() {
    String t = dbg_dump_header("KernPair");
    dbg_dump_field(t, "first", first);
    dbg_dump_field(t, "second", second);
    dbg_dump_field(t, "amount", amount);
    return t;
}
