// The repeatable random generator: a 32-bit linear congruential generator that is never reseeded,
// so every start of the program draws the same sequence.
#pragma once

extern int rndSeed;

void random_init_globals();

float Rnd();
float Rnd(float range);
// low > high is allowed and gives a value in (high, low].
float Rnd(float low, float high);
