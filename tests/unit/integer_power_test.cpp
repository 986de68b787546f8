// x^n with a constant integer n is computed without pow where that gives
// pow's bits on this platform. These tests hold that claim to the
// platform's own pow, in every lane, so a math library that behaves
// otherwise fails here instead of changing pixels.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "expr/integer_power.h"
#include "expr_test_util.h"

namespace {

using Quad = __float128; // 113-bit significand: an independent exact-enough x^n

Quad QuadPower(double x, int n) {
    Quad q = x, r = 1;
    for (int k = n; k != 0; k >>= 1) {
        if (k & 1)
            r *= q;
        q *= q;
    }
    return r;
}

// How far the exact x^n lies from the nearest double, in ULPs of that
// double; -1 when NearestPower must refuse whatever that distance (outside
// [2^-256, 2^256), a power of two, not finite).
double UlpsFromNearest(double x, int n, double& nearest) {
    const Quad exact = QuadPower(x, n);
    nearest = static_cast<double>(exact);
    const double magnitude = std::fabs(nearest);
    if (!(magnitude >= 0x1p-256 && magnitude < 0x1p256))
        return -1;
    int e;
    if (std::frexp(magnitude, &e) == 0.5)
        return -1;
    const Quad difference = exact - nearest;
    return static_cast<double>((difference < 0 ? -difference : difference) /
                               std::ldexp(1.0, e - 53));
}

double FromBits(uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// Inputs for exponent n: special values, the edges of the ranges that
// matter for n (overflow, underflow, the NearestDouble range), exact and
// near halfway cases of x^n, and random values of every magnitude.
std::vector<double> PowerInputs(int n, uint32_t seed, int randomCount) {
    const int k = n < 0 ? -n : n;
    std::vector<double> xs = {0.0, -0.0, HUGE_VAL, -HUGE_VAL,
                              std::numeric_limits<double>::quiet_NaN(),
                              -std::numeric_limits<double>::quiet_NaN(),
                              FromBits(0x7FF0000000000001u), // signalling NaN payload
                              DBL_TRUE_MIN, -DBL_TRUE_MIN, DBL_MIN, -DBL_MIN, DBL_MAX, -DBL_MAX,
                              1.0, -1.0, 2.0, -0.5, 3.0, -3.0, 10.0, 0.1, -7.25};
    // Around each edge: the edge itself and its neighbours a few steps away.
    auto around = [&](double edge) {
        double up = edge, down = edge;
        for (int i = 0; i < 8; ++i) {
            xs.push_back(up);
            xs.push_back(-down);
            up = std::nextafter(up, HUGE_VAL);
            down = std::nextafter(down, 0.0);
        }
    };
    for (double limit : {DBL_MAX, DBL_MIN, DBL_TRUE_MIN, 0x1p-256, 0x1p256, 1.0})
        around(std::pow(limit, 1.0 / k));
    for (int e = -1074; e <= 1023; e += 37)
        xs.push_back(std::ldexp(1.0, e)); // powers of two: exact results
    // Exact halfway cases: an odd integer whose k-th power has 54 bits lies
    // midway between two doubles, at every scale.
    for (int64_t m = std::llround(std::ceil(std::pow(2.0, 53.0 / k))) | 1;
         k > 1 && QuadPower(double(m), k) < 0x1p54 && xs.size() < 3000; m += 2)
        for (int e : {0, -40, 17})
            xs.push_back(std::ldexp(double(n % 2 ? -m : m), e));
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    // Near halfway: random values whose exact power lies within 1/64 ULP of
    // a midpoint, found with the quad-precision power.
    for (int found = 0, tries = 0; n >= 2 && found < 300 && tries < 100000; ++tries) {
        const double x = std::ldexp(unit(rng), static_cast<int>(rng() % 64) - 32);
        double nearest;
        const double ulps = UlpsFromNearest(x, k, nearest);
        if (ulps > 0.5 - 1.0 / 64) {
            xs.push_back(x);
            ++found;
        }
    }
    for (int i = 0; i < randomCount; ++i) {
        switch (i % 4) {
        case 0: xs.push_back(10.0 * unit(rng)); break; // a plot's usual range
        case 1: xs.push_back(FromBits(rng())); break;  // any double at all
        case 2: // every magnitude whose power is finite, and beyond
            xs.push_back(std::ldexp(unit(rng), static_cast<int>(rng() % 2200) - 1100) / k);
            break;
        default: xs.push_back(1.0 + unit(rng) * 0x1p-20); break; // results near 1
        }
    }
    return xs;
}

std::vector<int> BuildExponents() {
    std::vector<int> exponents;
    for (int n = -kMaxPowerExponent; n <= kMaxPowerExponent; ++n) {
        int accepted;
        if (IsPowerExponent(n, accepted))
            exponents.push_back(n);
    }
    return exponents;
}

const char* MethodName() {
    switch (kPowerMethod) {
    case PowerMethod::SquareMultiply: return "square and multiply";
    case PowerMethod::NearestDouble: return "nearest double";
    default: return "pow";
    }
}

// The heart of it: this build's integer powers against this build's pow,
// one value at a time and in blocks (in place, as the series form runs
// them), for every exponent the linker hands them.
TEST(IntegerPower, MatchesThePlatformsPowBitForBit) {
    SCOPED_TRACE(MethodName());
    size_t checked = 0;
    for (int n : BuildExponents()) {
        SCOPED_TRACE("n=" + std::to_string(n));
        const std::vector<double> xs = PowerInputs(n, 1000 + n, 200000);
        std::vector<double> block = xs;
        IntegerPowers(block.data(), block.data(), block.size(), n);
        for (size_t i = 0; i < xs.size(); ++i) {
            const double want = std::pow(xs[i], n), got = IntegerPower(xs[i], n);
            ASSERT_TRUE(SameBits(got, want))
                << std::hexfloat << "x=" << xs[i] << " pow " << want << " ours " << got;
            ASSERT_TRUE(SameBits(block[i], want))
                << std::hexfloat << "x=" << xs[i] << " pow " << want << " block " << block[i];
        }
        checked += xs.size();
    }
    // Every build but one on an unknown library has exponents of its own.
    if (kPowerMethod != PowerMethod::CallPow) {
        EXPECT_GT(checked, 3000000u);
    }
    RecordProperty("inputs", std::to_string(checked));
}

// The NearestDouble method's decision against an independent exact power
// (quad precision): it must accept every value clearly within 15/32 ULP of
// a double, with that double, and refuse every one clearly beyond it. This
// holds on any platform, since it involves no pow.
TEST(IntegerPower, NearestDoubleDecisionMatchesExactArithmetic) {
    constexpr double kLimit = 15.0 / 32, kSlack = 0x1p-30;
    for (int n = 2; n <= kMaxPowerExponent; ++n) {
        SCOPED_TRACE("n=" + std::to_string(n));
        const std::vector<double> xs = PowerInputs(n, 2000 + n, 20000);
        int ordinary = 0, accepted = 0;
        for (double x : xs) {
            double nearest, value;
            const double ulps = UlpsFromNearest(x, n, nearest);
            const bool sure = NearestPower(x, n, value);
            const bool refuse = ulps < 0 || ulps > kLimit + kSlack;
            if (sure)
                ASSERT_TRUE(!refuse && value == nearest) << std::hexfloat << "x=" << x;
            else
                ASSERT_FALSE(!refuse && ulps < kLimit - kSlack) << std::hexfloat << "x=" << x;
            if (std::fabs(x) <= 10 && std::fabs(x) >= 0x1p-10) {
                ++ordinary;
                accepted += sure;
            }
        }
        // All but about one in sixteen of the usual values take the cheap
        // way; otherwise the method would be pow with extra steps.
        EXPECT_GT(accepted, ordinary * 9 / 10) << accepted << " of " << ordinary;
    }
}

} // namespace
