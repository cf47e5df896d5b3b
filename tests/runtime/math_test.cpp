// The random generator's exact sequence and the comparison order of the numeric helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/std/math.h"
#include "runtime/std/random.h"
#include "tests/support/test_program.h"

namespace {

class MathTest : public ::testing::Test {
protected:
    void SetUp() override { reset_runtime(); }
};

TEST_F(MathTest, RandomSequenceFrom1234) {
    const unsigned states[] = {3067928073u, 889114580u, 3219257635u, 1486326822u, 3450746189u};
    const double values[] = {0.714307666, 0.207013070, 0.749541819, 0.346062422, 0.803439438};
    for (int i = 0; i < 5; ++i) {
        float value = Rnd();
        EXPECT_EQ(unsigned(rndSeed), states[i]);
        EXPECT_NEAR(value, values[i], 1e-9);
        EXPECT_EQ(value, float(states[i] >> 8) / 16777216.0f) << "the value is exact";
    }
}

TEST_F(MathTest, RandomForms) {
    // The game's first draw: the tide direction.
    EXPECT_NEAR(Rnd(0, 360), 257.15, 0.01);

    reset_runtime();
    float first = Rnd();
    reset_runtime();
    EXPECT_FLOAT_EQ(Rnd(10.0f), first * 10.0f);

    // low > high draws from (high, low], one step like every other form.
    reset_runtime();
    float reversed = Rnd(-0.004f, -0.006f);
    EXPECT_FLOAT_EQ(reversed, first * (-0.006f - -0.004f) + -0.004f);
    EXPECT_EQ(unsigned(rndSeed), 3067928073u);

    // The largest draw stays below the range.
    rndSeed = int((0xffffffffu - 1013904223u) * 4276115653u);  // the state before 0xffffffff
    EXPECT_EQ(unsigned(rndSeed) * 1664525u + 1013904223u, 0xffffffffu);
    float top = Rnd(0, 1280);
    EXPECT_LT(top, 1280.0f);
    EXPECT_EQ(int(Floor(top)), 1279);
}

TEST_F(MathTest, ComparisonsInTheirOrder) {
    float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(Sgn(-3), -1);
    EXPECT_EQ(Sgn(0), 0);
    EXPECT_EQ(Sgn(-0.0f), 0.0f);
    EXPECT_EQ(Sgn(nan), 0.0f);
    EXPECT_EQ(Sgn(0.5f), 1.0f);

    EXPECT_EQ(Min(3, 2), 2);
    EXPECT_EQ(Min(nan, 1.0f), 1.0f);
    // Equal values give the second argument: tell them apart by the sign of zero.
    EXPECT_TRUE(std::signbit(Min(0.0f, -0.0f)));

    EXPECT_EQ(Clamp(0.31f, -0.3f, 0.3f), 0.3f);
    EXPECT_EQ(Clamp(-0.5f, -0.3f, 0.3f), -0.3f);
    EXPECT_TRUE(std::isnan(Clamp(nan, -1.0f, 1.0f)));
    EXPECT_EQ(Clamp(7, 0, 5), 5);
    EXPECT_EQ(Clamp(-7, 0, 5), 0);
}

TEST_F(MathTest, DegreesAndRounding) {
    uint32_t bits;
    std::memcpy(&bits, &degToRad, 4);
    EXPECT_EQ(bits, 0x3C8EFA35u);
    EXPECT_FLOAT_EQ(Sin(90), 1.0f);
    EXPECT_NEAR(Cos(90), 0.0f, 1e-7);
    EXPECT_FLOAT_EQ(Cos(180), -1.0f);
    EXPECT_EQ(Sin(30), float(std::sin(double(30.0f * degToRad))));
    EXPECT_EQ(Floor(-1.5f), -2.0f);
    EXPECT_EQ(Sqrt(16.0f), 4.0f);
    EXPECT_EQ(int(-2.7f), -2) << "Int() truncates toward zero";
}

}  // namespace
