#include "runtime/std/random.h"

#include <cstdint>

#include "runtime/debug.h"

int rndSeed;

void random_init_globals() { rndSeed = 1234; }

float Rnd() {
    ZV_FUNC("Rnd");
    ZV_AT rndSeed = int(uint32_t(rndSeed) * 1664525u + 1013904223u);
    // The top 24 bits, scaled exactly into [0, 1).
    ZV_AT return float(uint32_t(rndSeed) >> 8) * 5.96046448e-8f;
}

float Rnd(float range) {
    ZV_FUNC("Rnd");
    ZV_LOCAL(range);
    ZV_AT return Rnd() * range;
}

float Rnd(float low, float high) {
    ZV_FUNC("Rnd");
    ZV_LOCAL(low);
    ZV_LOCAL(high);
    ZV_AT return Rnd(high - low) + low;
}
