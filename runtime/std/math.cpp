#include "runtime/std/math.h"

#include "runtime/debug.h"

float degToRad;

void math_init_globals() { degToRad = 0.0174532924f; }

int Sgn(int x) {
    ZV_FUNC("Sgn");
    ZV_LOCAL(x);
    ZV_AT if (x < 0) return -1;
    ZV_AT return x > 0 ? 1 : 0;
}

float Sgn(float x) {
    ZV_FUNC("Sgn");
    ZV_LOCAL(x);
    ZV_AT if (x < 0) return -1;
    ZV_AT return x > 0 ? 1.0f : 0.0f;
}

int Min(int x, int y) {
    ZV_FUNC("Min");
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT return x < y ? x : y;
}

float Min(float x, float y) {
    ZV_FUNC("Min");
    ZV_LOCAL(x);
    ZV_LOCAL(y);
    ZV_AT return x < y ? x : y;
}

int Clamp(int n, int min, int max) {
    ZV_FUNC("Clamp");
    ZV_LOCAL(n);
    ZV_LOCAL(min);
    ZV_LOCAL(max);
    ZV_AT if (n < min) return min;
    ZV_AT if (n > max) return max;
    ZV_AT return n;
}

float Clamp(float n, float min, float max) {
    ZV_FUNC("Clamp");
    ZV_LOCAL(n);
    ZV_LOCAL(min);
    ZV_LOCAL(max);
    ZV_AT if (n < min) return min;
    ZV_AT if (n > max) return max;
    ZV_AT return n;
}
