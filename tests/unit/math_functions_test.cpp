// The math functions whose last bits used to come from the machine's
// msvcrt.dll give the same bits in the Windows build (mingw-w64's own
// extended-precision functions rounded once), whatever precision the x87
// unit is set to, as in the host build (glibc), on a table of arguments
// where both are correctly rounded. The expected
// values are the correctly rounded results, computed with 256-bit arithmetic
// and kept only where the exact value lies more than 1/100 ulp from a
// rounding boundary and glibc's result is that value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "x87_control.h"

namespace {

double Call(const std::string& name, double x) {
    // Through a volatile, so that the compiler cannot fold the call with its
    // own (correctly rounded) arithmetic.
    volatile double argument = x;
    const double a = argument;
    if (name == "acos")
        return std::acos(a);
    if (name == "asin")
        return std::asin(a);
    if (name == "atan")
        return std::atan(a);
    if (name == "cosh")
        return std::cosh(a);
    if (name == "log10")
        return std::log10(a);
    if (name == "sinh")
        return std::sinh(a);
    if (name == "tan")
        return std::tan(a);
    if (name == "tanh")
        return std::tanh(a);
    ADD_FAILURE() << "no function " << name;
    return 0;
}

TEST(MathFunctions, CorrectlyRoundedOnEverySystem) {
    const struct {
        const char* name;
        double x, expected;
    } cases[] = {
        {"acos", -0x1.ff7ced916872bp-1, 0x1.8c66280ae928ep+1},
        {"acos", -0x1.8000000000000p-1, 0x1.359d26f93b6c3p+1},
        {"acos", -0x1.3333333333333p-2, 0x1.e0200bbc96ad8p+0},
        {"acos", 0x1.999999999999ap-4, 0x1.787b22ce3f590p+0},
        {"acos", 0x1.0000000000000p-1, 0x1.0c152382d7366p+0},
        {"acos", 0x1.bb67ae8584caap-1, 0x1.0c152382d7366p-1},
        {"acos", 0x1.fff2e48e8a71ep-1, 0x1.cf69d216bd74bp-7},
        {"asin", -0x1.fae147ae147aep-1, -0x1.6de3c6f33d51dp+0},
        {"asin", -0x1.3333333333333p-1, -0x1.4978fa3269ee1p-1},
        {"asin", -0x1.4f8b588e368f1p-17, -0x1.4f8b588e4e940p-17},
        {"asin", 0x1.999999999999ap-3, 0x1.9c618aa4ae23dp-3},
        {"asin", 0x1.ccccccccccccdp-2, 0x1.ddf7bba8753cdp-2},
        {"asin", 0x1.6a09e667f3bcdp-1, 0x1.921fb54442d19p-1},
        {"asin", 0x1.f0a3d70a3d70ap-1, 0x1.5342538981ec8p+0},
        {"atan", -0x1.e848000000000p+19, -0x1.921fa47d4b30dp+0},
        {"atan", -0x1.c000000000000p+1, -0x1.4ae10fc6589a5p+0},
        {"atan", -0x1.6666666666666p-1, -0x1.38b112d7bd4adp-1},
        {"atan", 0x1.0624dd2f1a9fcp-10, 0x1.0624d77516e16p-10},
        {"atan", 0x1.999999999999ap-2, 0x1.85a376b677dc0p-2},
        {"atan", 0x1.0000000000000p+0, 0x1.921fb54442d18p-1},
        {"atan", 0x1.4000000000000p+1, 0x1.30b6d796a4da8p+0},
        {"atan", 0x1.f400000000000p+7, 0x1.911990c2b3bccp+0},
        {"cosh", -0x1.4000000000000p+4, 0x1.ceb088b68e804p+27},
        {"cosh", -0x1.8000000000000p+1, 0x1.422a497d6185ep+3},
        {"cosh", -0x1.0000000000000p-1, 0x1.20ac1862ae8d0p+0},
        {"cosh", 0x1.0624dd2f1a9fcp-10, 0x1.000008637bdc1p+0},
        {"cosh", 0x1.8000000000000p-1, 0x1.4b705d1e5d6a8p+0},
        {"cosh", 0x1.8000000000000p+0, 0x1.2d1bc21e22022p+1},
        {"cosh", 0x1.d000000000000p+2, 0x1.6006c177ee7f2p+9},
        {"cosh", 0x1.2c00000000000p+8, 0x1.c05c0a7166b4ap+431},
        {"log10", 0x1.56e1fc2f8f359p-997, -0x1.2c00000000000p+8},
        {"log10", 0x1.0624dd2f1a9fcp-9, -0x1.5977d95ec10c0p+1},
        {"log10", 0x1.3333333333333p-2, -0x1.0bb6c34d81502p-1},
        {"log10", 0x1.0000000000000p+1, 0x1.34413509f79ffp-2},
        {"log10", 0x1.c000000000000p+2, 0x1.b0b0b0b78cc3fp-1},
        {"log10", 0x1.edd2f1a9fbe77p+6, 0x1.0bb6abfc968efp+1},
        {"log10", 0x1.0000000000000p+16, 0x1.34413509f79ffp+2},
        {"log10", 0x1.f5aa543c31387p+665, 0x1.90f4493cb27ebp+7},
        {"sinh", -0x1.e000000000000p+4, -0x1.370470aec28edp+42},
        {"sinh", -0x1.999999999999ap-4, -0x1.9a487337b59b3p-4},
        {"sinh", 0x1.0c6f7a0b5ed8dp-20, 0x1.0c6f7a0b5f0a0p-20},
        {"sinh", 0x1.3333333333333p-2, 0x1.37d42af54b926p-2},
        {"sinh", 0x1.4000000000000p+0, 0x1.9a175e6cbafe6p+0},
        {"sinh", 0x1.4000000000000p+2, 0x1.28d0166f07374p+6},
        {"sinh", 0x1.f400000000000p+8, 0x1.45ba2a9f7e439p+720},
        {"tan", -0x1.8000000000000p+0, -0x1.c33ed50b88777p+3},
        {"tan", -0x1.ccccccccccccdp-1, -0x1.4299ba9c2a138p+0},
        {"tan", -0x1.0000000000000p-2, -0x1.05785a43c4c56p-2},
        {"tan", 0x1.0624dd2f1a9fcp-10, 0x1.0624e2e91ebe4p-10},
        {"tan", 0x1.0000000000000p-1, 0x1.17b4f5bf3474ap-1},
        {"tan", 0x1.0000000000000p+0, 0x1.8eb245cbee3a6p+0},
        {"tan", 0x1.4cccccccccccdp+0, 0x1.cd11b1696e97ep+1},
        {"tan", 0x1.8000000000000p+1, -0x1.23ef71254b86fp-3},
        {"tanh", -0x1.0000000000000p+2, -0x1.ffa81708a0b42p-1},
        {"tanh", -0x1.47ae147ae147bp-7, -0x1.47ab48ae4595ep-7},
        {"tanh", 0x1.5798ee2308c3ap-27, 0x1.5798ee2308c3ap-27},
        {"tanh", 0x1.999999999999ap-3, 0x1.9439830b3a590p-3},
        {"tanh", 0x1.199999999999ap-1, 0x1.00442f6419203p-1},
        {"tanh", 0x1.b333333333333p+0, 0x1.deedf00d3e7f5p-1},
        {"tanh", 0x1.2000000000000p+3, 0x1.fffffefa59d78p-1},
    };
    // Also where the x87 unit computes with 53-bit significands, as in
    // every thread but the first on Windows.
    for (bool doublePrecision : {false, true}) {
        std::optional<X87ControlWord> control;
        if (doublePrecision)
            control.emplace(kDoublePrecisionControl);
        for (const auto& c : cases) {
            char trace[96];
            std::snprintf(trace, sizeof trace, "%s(%a)%s", c.name, c.x,
                          doublePrecision ? " at 53-bit precision" : "");
            SCOPED_TRACE(trace);
            const double result = Call(c.name, c.x);
            EXPECT_EQ(std::memcmp(&result, &c.expected, sizeof result), 0)
                << std::hexfloat << result << " instead of " << c.expected;
        }
    }
    // The special values keep their meaning.
    EXPECT_TRUE(std::isnan(Call("acos", 2)));
    EXPECT_TRUE(std::isnan(Call("asin", -1.5)));
    EXPECT_EQ(Call("cosh", 1000), HUGE_VAL);
    EXPECT_EQ(Call("sinh", -1000), -HUGE_VAL);
    EXPECT_EQ(Call("tanh", HUGE_VAL), 1.0);
    EXPECT_EQ(Call("log10", 0), -HUGE_VAL);
    EXPECT_TRUE(std::signbit(Call("tan", -0.0)));
    EXPECT_EQ(Call("atan", -HUGE_VAL), -std::acos(-1.0) / 2);
}

} // namespace
