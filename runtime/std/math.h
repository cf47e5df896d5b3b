// Numeric helpers. Angles are in degrees everywhere. The comparisons are made in exactly the
// order written, which decides what a NaN argument gives.
#pragma once

#include <cmath>

extern float degToRad;

void math_init_globals();

int Sgn(int x);
float Sgn(float x);
int Min(int x, int y);
float Min(float x, float y);
int Clamp(int n, int min, int max);
float Clamp(float n, float min, float max);

inline float Sin(float degrees) { return float(std::sin(double(degrees * degToRad))); }
inline float Cos(float degrees) { return float(std::cos(double(degrees * degToRad))); }
// The direction of (x, y) from the origin, from -180 to 180.
inline float ATan2(float y, float x) { return float(std::atan2(double(y), double(x)) / double(degToRad)); }
inline float Floor(float x) { return std::floor(x); }
inline float Sqrt(float x) { return std::sqrt(x); }
