// Integrals against independent references (closed forms, or a much finer
// fixed subdivision): whenever a value is stated, it is within its stated
// error of the reference, and that error is about 1e-10 relative where the
// integrand allows it; integrals that do not exist diverge, and values or
// errors beyond the doubles say so, in bounded work.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analysis/integral.h"

namespace {

// 2 Si(1), the integral of sin(x)/x over [-1, 1], from its series.
long double TwiceSineIntegralOfOne() {
    long double sum = 0, term = 1; // 1/(2k+1)!
    for (int k = 0; k < 20; ++k) {
        if (k > 0)
            term /= (2 * k) * (2 * k + 1);
        sum += (k % 2 ? -term : term) / (2 * k + 1);
    }
    return 2 * sum;
}

// Composite Simpson over 2^20 intervals, in long double: for the smooth
// integrands it is given, within 1e-14 of the integral.
long double FineSubdivision(const char* text, double a, double b) {
    AnalysisCurve curve;
    EXPECT_TRUE(curve.Compile(text));
    constexpr int n = 1 << 20;
    const long double h = (static_cast<long double>(b) - a) / n;
    long double sum = 0;
    for (int i = 0; i <= n; ++i) {
        const long double y = curve.At(static_cast<double>(a + i * h)).y;
        sum += (i == 0 || i == n ? 1 : i % 2 ? 4 : 2) * y;
    }
    return sum * h / 3;
}

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr double kInf = HUGE_VAL;
using Status = Integral::Status;

std::string Trace(const char* text, double a, double b) {
    char range[64];
    std::snprintf(range, sizeof range, " from %.17g to %.17g", a, b);
    return text + std::string(range);
}

TEST(Integral, StatedValuesAreWithinTheirErrorOfTheReference) {
    const long double rootPi = sqrtl(kPi);
    const struct {
        const char* text;
        double a, b;
        long double exact;
        double accuracy; // the stated error must be at most this, relative
    } rows[] = {
        {"x^2", 0, 1, 1.0L / 3, 1e-13},
        {"exp(x)", 0, 1, expl(1) - 1, 1e-13},
        {"sin(x)", 0, 3, 1 - cosl(3), 1e-13},
        {"1/(1+x^2)", -10, 10, 2 * atanl(10), 1e-10},
        {"sin(x)/x", -1, 1, TwiceSineIntegralOfOne(), 1e-13},
        {"abs(x)", 1, -2, -2.5L, 1e-10},
        {"x^2", 2, 2, 0, 0},
        // Narrow peaks far from the centre of a wide interval, where every
        // node of one rule over the whole interval sees 0.
        {"exp(0-(x-37)^2)", -1000, 1000, rootPi, 1e-10},
        {"exp(0-x^2)", -10000, 10000, rootPi, 1e-10},
        {"exp(0-(x-900)^2/4)", -1000, 1000, 2 * rootPi, 1e-10},
        {"exp(0-(x-37)^2)", -1e10, 1e10, rootPi, 1e-10},
        {"exp(0-(x-3000000)^2/10^8)", -1e7, 1e7, 1e4L * rootPi, 1e-10},
        // A wide interval is no pole.
        {"1/(1+x^2)", -1e10, 1e10, 2 * atanl(1e10L), 1e-10},
        {"1/(1+x^2)", 1e-300, 1e300, kPi / 2, 1e-10},
        // The whole range of the doubles.
        {"1/(1+x^2)", -1e308, 1e308, kPi, 1e-10},
        {"exp(0-(x-37)^2)", -1.7976931348623157e308, 1.7976931348623157e308, rootPi, 1e-10},
        {"10^300", -1e7, 1e7, 2e307L, 1e-10},
        // Infinite ends, and peaks far out towards them.
        {"1/x^2", 1, kInf, 1, 1e-10},
        {"1/x^2", -kInf, -1, 1, 1e-10},
        {"exp(0-x^2)", -kInf, kInf, rootPi, 1e-10},
        {"1/(1+x^2)", kInf, -kInf, -kPi, 1e-10},
        {"exp(x)", -kInf, -3, expl(-3), 1e-10},
        {"exp(0-x)", -5, kInf, expl(5), 1e-10},
        {"exp(0-(x-10^6)^2/10^10)", 0, kInf, 1e5L * rootPi, 1e-10},
        {"exp(0-(x+10^20)^2/10^38)", -kInf, 0, 1e19L * rootPi, 1e-10},
        {"exp(0-x/10)*cos(x)", 0, kInf, 0.1L / 1.01L, 1e-10},
        // Integrable singularities at an end, inside, and at the end of a
        // lineage that closes in on them more slowly than the rule's own
        // error estimate says.
        {"1/sqrt(x)", 0, 1, 2, 2e-10},
        {"log(x)", 0, 1, -1, 2e-10},
        {"log(abs(x))", -1, 1, -2, 2e-10},
        {"x^(0-0.9)", 0, 1, 10, 2e-10},
        {"x^(0-0.95)", 0, 1, 20, 2e-10},
        {"abs(x-0.3)^(0-0.5)", -1, 1, 2 * (sqrtl(1.3L) + sqrtl(0.7L)), 1e-5},
        {"abs(x-0.3)^(0-0.8)", -1, 1, (powl(1.3L, 0.2L) + powl(0.7L, 0.2L)) / 0.2L, 0.1},
        // A singularity at an end that is not zero: pieces cannot shrink
        // below the doubles there, and the error says so.
        {"1/sqrt(1-x)", 0, 1, 2, 1e-5},
        // Jumps, one and many.
        {"floor(x)", 0, 3.5, 4.5L, 2e-10},
        {"floor(x)", -1.3, 2.7, 0.8L, 2e-10},
        {"floor(x)", -100.5, 100.5, -100.5L, 1e-8},
        {"floor(x)", -1000, 1000, -1000, 1},
        // Oscillation.
        {"sin(x)", 0, 1000, 1 - cosl(1000), 1e-9},
        {"sin(x^2)", 0, 10, FineSubdivision("sin(x^2)", 0, 10), 1e-10},
        {"exp(sin(7*x))", -2, 3, FineSubdivision("exp(sin(7*x))", -2, 3), 1e-10},
        {"sin(1/x)", 0.01, 1, FineSubdivision("sin(1/x)", 0.01, 1), 1e-9},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Trace(row.text, row.a, row.b));
        const Integral r = IntegrateCurve(row.text, row.a, row.b);
        EXPECT_EQ(r.status, Status::Value);
        if (r.status != Status::Value)
            continue;
        const long double actual = fabsl(r.value - row.exact);
        EXPECT_LE(actual, r.error) << r.value;
        EXPECT_LE(r.error, row.accuracy * fabsl(row.exact));
    }
}

// Integrals that do not exist, whatever their symmetry, and integrands
// undefined over part of the interval; and integrals or errors that a
// double cannot hold. All in at most the pieces' evaluations.
TEST(Integral, DivergesOrSaysItDoesNotFit) {
    const struct {
        const char* text;
        double a, b;
        Status status;
    } rows[] = {
        {"1/x", -1, 1, Status::Diverges},
        {"1/x^2", -1, 1, Status::Diverges},
        {"1/(x-0.3)", 0, 1, Status::Diverges},
        {"1/(x-0.25)", 0, 1, Status::Diverges},
        {"1/x", 0, 1, Status::Diverges},
        {"tan(x)", 0, 3, Status::Diverges},
        {"1/x", 1, kInf, Status::Diverges},
        {"1", 0, kInf, Status::Diverges},
        {"sqrt(x)", -1, 1, Status::Diverges},
        {"1/x", 1, -1, Status::Diverges},
        {"x", NAN, 1, Status::Diverges},
        {"1/x", -1e308, 1e308, Status::Diverges},
        {"1/(x-0.3)", -1e10, 1e10, Status::Diverges},
        {"1/(x-10^300)", 0, 1.7976931348623157e308, Status::Diverges},
        {"1", -1e308, 1e308, Status::TooLarge},
        {"0-10^300", -1e10, 1e10, Status::TooLarge},
        {"x", -1e308, 1e308, Status::ErrorTooLarge},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Trace(row.text, row.a, row.b));
        AnalysisCurve curve;
        AnalysisWork work;
        curve.work = &work;
        ASSERT_TRUE(curve.Compile(row.text));
        EXPECT_EQ(IntegrateCompiled(curve, row.a, row.b).status, row.status);
        EXPECT_LE(work.evaluations, 42u * kMaxIntegralPieces);
    }
}

// The line states the error rounded up to two digits, so that the printed
// bound still bounds; values and errors beyond the doubles have lines of
// their own.
TEST(Integral, Lines) {
    const struct {
        Integral integral;
        const char* line;
    } rows[] = {
        {{Status::Value, 2.5, 2.7755575615628914e-14}, "integral y2 a=0 b=1 value=2.5 error=2.8e-14"},
        {{Status::Value, 1, 5.64e-15}, "integral y2 a=0 b=1 value=1 error=5.7e-15"},
        {{Status::Value, 1, 9.91e-5}, "integral y2 a=0 b=1 value=1 error=0.0001"},
        {{Status::Value, 1, 990.5}, "integral y2 a=0 b=1 value=1 error=1e+03"},
        {{Status::Value, 1, 0}, "integral y2 a=0 b=1 value=1 error=0"},
        {{Status::Diverges, 0, 0}, "integral y2 a=0 b=1 diverges"},
        {{Status::TooLarge, -HUGE_VAL, 0}, "integral y2 a=0 b=1 value too large"},
        {{Status::ErrorTooLarge, 0, HUGE_VAL}, "integral y2 a=0 b=1 error too large"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IntegralLine(1, 0, 1, row.integral), row.line);
}

} // namespace
