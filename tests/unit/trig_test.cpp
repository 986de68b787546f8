// sin, cos and tan against MPFR: the error of every result, in ULPs of the
// exact value, over the doubles nearest k*pi/2 for k = 1..10^6, the doubles
// around 2^63, a sample of every binade up to the largest double, and
// ordinary arguments. The program's own functions are checked in every
// build (glibc's on Linux, those of expr/trig.h on Windows), and on Linux
// the functions of expr/trig.h as well.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "big_number.h"
#include "expr/trig.h"
#include "x87_control.h"

namespace {

// Called through volatile pointers, so that the compiler cannot fold calls
// with constant arguments using its own (correctly rounded) arithmetic.
double (*volatile programSin)(double) = [](double x) { return std::sin(x); };
double (*volatile programCos)(double) = [](double x) { return std::cos(x); };
double (*volatile programTan)(double) = [](double x) { return std::tan(x); };

enum Kind { kSin, kCos, kTan };

struct Subject {
    std::string name;
    double (*function)(double);
    Kind kind;
    double bound; // in ULPs
};

// Largest errors in ULPs, by kind.
using Bounds = std::array<double, 3>;

// What expr/trig.h promises (its error analysis gives 0.5 + 2^-8.5).
constexpr Bounds kTrigBounds = {0.5 + 1.0 / 256, 0.5 + 1.0 / 256, 0.5 + 1.0 / 256};
// glibc's functions, as measured on all of these arguments but the double
// nearest a multiple of pi/2 (see ClosestDoubleToAMultipleOfHalfPi): sin
// 0.5128, cos 0.5152, tan 0.6822 ULP (glibc 2.36). Asserted so that a
// library that gives other values shows.
constexpr Bounds kLibraryBounds = {0.52, 0.52, 0.69};

// The program's sin, cos and tan with the C library's bounds, and on Linux
// the functions of expr/trig.h too. On Windows the program's functions are
// those of expr/trig.h.
std::vector<Subject> Subjects(const Bounds& library = kLibraryBounds) {
#ifdef _WIN32
    const Bounds& program = kTrigBounds;
    (void)library;
#else
    const Bounds& program = library;
#endif
    std::vector<Subject> subjects = {
        {"sin", [](double x) { return programSin(x); }, kSin, program[kSin]},
        {"cos", [](double x) { return programCos(x); }, kCos, program[kCos]},
        {"tan", [](double x) { return programTan(x); }, kTan, program[kTan]},
    };
#ifndef _WIN32
    subjects.push_back({"trig::Sin", trig::Sin, kSin, kTrigBounds[kSin]});
    subjects.push_back({"trig::Cos", trig::Cos, kCos, kTrigBounds[kCos]});
    subjects.push_back({"trig::Tan", trig::Tan, kTan, kTrigBounds[kTan]});
#endif
    return subjects;
}

// Measures every subject on a set of arguments against MPFR at 128 bits
// and checks the largest error of each against its bound.
class ErrorMeter {
public:
    explicit ErrorMeter(const Bounds& library = kLibraryBounds)
        : subjects_(Subjects(library)), worst_(subjects_.size()), worstAt_(subjects_.size()) {}

    void Measure(double x) {
        // tan as sin/cos errs by at most 2^-126 of its value.
        mpfr_set_d(x_.get(), x, MPFR_RNDN);
        mpfr_sin_cos(exact_[kSin].get(), exact_[kCos].get(), x_.get(), MPFR_RNDN);
        mpfr_div(exact_[kTan].get(), exact_[kSin].get(), exact_[kCos].get(), MPFR_RNDN);
        for (size_t i = 0; i < subjects_.size(); ++i) {
            const Subject& s = subjects_[i];
            const double error = UlpError(s.function(x), exact_[s.kind].get());
            if (!(error <= worst_[i])) {
                worst_[i] = std::isnan(error) ? HUGE_VAL : error;
                worstAt_[i] = x;
            }
        }
    }

    void Check(const char* what) const {
        for (size_t i = 0; i < subjects_.size(); ++i) {
            std::printf("  %-10s %s: largest error %.4f ULP at %a\n", subjects_[i].name.c_str(),
                        what, worst_[i], worstAt_[i]);
            EXPECT_LE(worst_[i], subjects_[i].bound)
                << subjects_[i].name << " " << what << ", at " << std::hexfloat << worstAt_[i];
        }
    }

private:
    // |y - exact| in ULPs of the exact value's binade (subnormal ULPs below
    // 2^-1022); infinite when y is NaN or infinite.
    double UlpError(double y, mpfr_ptr exact) {
        if (!std::isfinite(y))
            return HUGE_VAL;
        const long binade = mpfr_zero_p(exact) ? -1022 : static_cast<long>(mpfr_get_exp(exact)) - 1;
        const long ulp = std::max(binade, -1022L) - 52;
        mpfr_set_d(difference_.get(), y, MPFR_RNDN);
        mpfr_sub(difference_.get(), difference_.get(), exact, MPFR_RNDN);
        mpfr_mul_2si(difference_.get(), difference_.get(), -ulp, MPFR_RNDN);
        return std::fabs(mpfr_get_d(difference_.get(), MPFR_RNDN));
    }

    std::vector<Subject> subjects_;
    std::vector<double> worst_, worstAt_;
    Big x_{53}, difference_{256};
    Big exact_[3] = {Big(128), Big(128), Big(128)};
};

// A fixed sequence of 64-bit numbers (SplitMix64), the same in every build.
class Sequence {
public:
    uint64_t Next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi).
    double Uniform(double lo, double hi) { return lo + (hi - lo) * (Next() >> 11) * 0x1p-53; }

private:
    uint64_t state_ = 0x5eed;
};

double FromBits(uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// Measures x with the x87 unit at 53-bit precision when i is odd, as
// Windows starts every thread but the first: the functions must set 64
// bits for themselves and give the caller's setting back.
void MeasureAtEitherPrecision(ErrorMeter& meter, int i, double x) {
    if (i % 2 == 0) {
        meter.Measure(x);
        return;
    }
    X87ControlWord control(kDoublePrecisionControl);
    meter.Measure(x);
    ASSERT_EQ(control.Current(), kDoublePrecisionControl);
}

TEST(Trig, NearMultiplesOfHalfPi) {
    ErrorMeter meter;
    Big halfPi(256), multiple(256);
    mpfr_const_pi(halfPi.get(), MPFR_RNDN);
    mpfr_div_2ui(halfPi.get(), halfPi.get(), 1, MPFR_RNDN);
    for (unsigned long k = 1; k <= 1000000; ++k) {
        mpfr_mul_ui(multiple.get(), halfPi.get(), k, MPFR_RNDN);
        meter.Measure(mpfr_get_d(multiple.get(), MPFR_RNDN));
    }
    meter.Check("near k pi/2, k <= 10^6");
}

TEST(Trig, Around2To63) {
    ErrorMeter meter;
    const uint64_t middle = 0x43e0000000000000u; // 2^63
    for (uint64_t bits = middle - 20000; bits <= middle + 20000; ++bits) {
        meter.Measure(FromBits(bits));
        meter.Measure(-FromBits(bits));
    }
    meter.Check("around 2^63");
}

TEST(Trig, EveryBinadeUpToTheLargestDouble) {
    ErrorMeter meter;
    Sequence sequence;
    for (uint64_t exponent = 1023 + 21; exponent <= 2046; ++exponent) {
        const uint64_t binade = exponent << 52, last = binade | 0xfffffffffffffu;
        meter.Measure(FromBits(binade));
        meter.Measure(-FromBits(last));
        for (int i = 0; i < 200; ++i) {
            const double x = FromBits(binade | (sequence.Next() & 0xfffffffffffffu));
            MeasureAtEitherPrecision(meter, i, i % 4 < 2 ? -x : x);
        }
    }
    meter.Check("2^21 to DBL_MAX");
}

// Of all doubles, 6381956970095103 * 2^797 lies nearest a multiple of pi/2
// (within 2^-60.9): the reduction must keep 61 more bits there. glibc 2.36
// errs there by 7.95 ULP in cos and 14.36 ULP in tan; expr/trig.h keeps its
// bound.
TEST(Trig, ClosestDoubleToAMultipleOfHalfPi) {
    ErrorMeter meter({0.52, 8, 14.5});
    const double closest = std::ldexp(6381956970095103.0, 797);
    for (double x : {closest, -closest, std::nextafter(closest, 0.0), std::nextafter(closest, HUGE_VAL)})
        meter.Measure(x);
    meter.Check("next to 6381956970095103 * 2^797");
}

TEST(Trig, OrdinaryArguments) {
    ErrorMeter meter;
    Sequence sequence;
    for (int i = 0; i < 200000; ++i)
        MeasureAtEitherPrecision(meter, i, sequence.Uniform(-10, 10));
    // Every binade from the subnormals up to 2^21.
    for (uint64_t exponent = 0; exponent < 1023 + 21; ++exponent)
        for (int i = 0; i < 40; ++i) {
            const double x = FromBits(exponent << 52 | (sequence.Next() & 0xfffffffffffffu));
            meter.Measure(i % 2 ? -x : x);
        }
    // Next to odd multiples of pi/4, where the quadrant changes.
    Big quarterPi(256), multiple(256);
    mpfr_const_pi(quarterPi.get(), MPFR_RNDN);
    mpfr_div_2ui(quarterPi.get(), quarterPi.get(), 2, MPFR_RNDN);
    for (unsigned long k = 1; k <= 20001; k += 2) {
        mpfr_mul_ui(multiple.get(), quarterPi.get(), k, MPFR_RNDN);
        const double x = mpfr_get_d(multiple.get(), MPFR_RNDN);
        for (double y : {x, std::nextafter(x, 0.0), std::nextafter(x, HUGE_VAL)})
            meter.Measure(y);
    }
    meter.Check("ordinary arguments");
}

TEST(Trig, SpecialValues) {
    const double inf = HUGE_VAL, nan = std::nan("");
    for (const Subject& s : Subjects()) {
        SCOPED_TRACE(s.name);
        const bool isCos = s.kind == kCos;
        for (double zero : {0.0, -0.0}) {
            const double y = s.function(zero);
            EXPECT_EQ(y, isCos ? 1.0 : 0.0);
            if (!isCos) {
                EXPECT_EQ(std::signbit(y), std::signbit(zero));
            }
        }
        EXPECT_TRUE(std::isnan(s.function(inf)));
        EXPECT_TRUE(std::isnan(s.function(-inf)));
        EXPECT_TRUE(std::isnan(s.function(nan)));
    }
    // No double is a pole of tan: next to one the values are large and
    // finite, with the sign of the side they lie on.
    const double halfPi = 0x1.921fb54442d18p+0; // below pi/2
    for (double x : {halfPi, -halfPi, 3 * halfPi, 0x1.6a09e667f3bcdp+19 * halfPi}) {
        const double y = programTan(x);
        EXPECT_TRUE(std::isfinite(y)) << std::hexfloat << x;
    }
    EXPECT_GT(programTan(halfPi), 1e16);
    EXPECT_LT(programTan(-halfPi), -1e16);
    // sin(pi()/2) is 1.
    EXPECT_EQ(programSin(halfPi), 1.0);
}

// The compiler makes one call of sincos of sin(x) and cos(x) of the same x;
// the pair must be the two functions' values.
TEST(Trig, SineAndCosineOfOneArgument) {
    Sequence sequence;
    for (int i = 0; i < 20000; ++i) {
        const uint64_t exponent = 1023 - 30 + sequence.Next() % 1024;
        volatile double argument = FromBits(exponent << 52 | (sequence.Next() & 0xfffffffffffffu));
        const double x = argument;
        const double s = std::sin(x), c = std::cos(x);
        ASSERT_EQ(s, programSin(x)) << std::hexfloat << x;
        ASSERT_EQ(c, programCos(x)) << std::hexfloat << x;
        double ts, tc;
        trig::SinCos(x, ts, tc);
        ASSERT_EQ(ts, trig::Sin(x)) << std::hexfloat << x;
        ASSERT_EQ(tc, trig::Cos(x)) << std::hexfloat << x;
    }
}

TEST(Trig, BitsOfTwoOverPi) {
    const mpfr_prec_t precision = 64 * trig::kTwoOverPiWords + 64;
    Big rest(precision), half(precision);
    mpfr_const_pi(rest.get(), MPFR_RNDN);
    mpfr_ui_div(rest.get(), 2, rest.get(), MPFR_RNDN);
    for (int j = 0; j < trig::kTwoOverPiWords; ++j) {
        // The next 64 bits, 32 at a time (unsigned long may have 32 bits).
        uint64_t expected = 0;
        for (int i = 0; i < 2; ++i) {
            mpfr_mul_2ui(rest.get(), rest.get(), 32, MPFR_RNDN);
            mpfr_floor(half.get(), rest.get());
            mpfr_sub(rest.get(), rest.get(), half.get(), MPFR_RNDN);
            expected = expected << 32 | mpfr_get_ui(half.get(), MPFR_RNDN);
        }
        EXPECT_EQ(trig::kTwoOverPiBits[j], expected) << "word " << j;
    }
}

} // namespace
