// Integrals against closed forms: within their stated error, that error
// never below the real one, about 1e-10 relative where the integrand allows
// it; integrals that do not exist diverge, in bounded work.
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

TEST(Integral, ClosedForms) {
    const long double pi = 3.141592653589793238462643383279502884L;
    const double inf = HUGE_VAL;
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
        // Integrable singularities at an end, inside, and jumps.
        {"1/sqrt(x)", 0, 1, 2, 2e-10},
        {"log(x)", 0, 1, -1, 2e-10},
        {"log(abs(x))", -1, 1, -2, 2e-10},
        {"floor(x)", 0, 3.5, 4.5L, 2e-10},
        {"floor(x)", -1.3, 2.7, 0.8L, 2e-10},
        // Infinite ends.
        {"1/x^2", 1, inf, 1, 1e-10},
        {"exp(-x^2)", -inf, inf, sqrtl(pi), 1e-10},
        // A singularity at an end that is not zero: pieces cannot shrink
        // below the doubles there, and the error says so.
        {"1/sqrt(1-x)", 0, 1, 2, 1e-5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " from " + std::to_string(row.a) + " to " +
                     std::to_string(row.b));
        const Integral r = IntegrateCurve(row.text, row.a, row.b);
        ASSERT_EQ(r.status, Integral::Status::Value);
        const long double actual = fabsl(r.value - row.exact);
        EXPECT_LE(actual, r.error) << r.value;
        EXPECT_LE(r.error, row.accuracy * fabsl(row.exact));
    }
}

// Integrals that do not exist, whatever their symmetry, and integrands
// undefined over part of the interval; in at most the pieces' evaluations.
TEST(Integral, Divergence) {
    const struct {
        const char* text;
        double a, b;
    } rows[] = {
        {"1/x", -1, 1}, {"1/x^2", -1, 1}, {"1/(x-0.3)", 0, 1},  {"1/(x-0.25)", 0, 1},
        {"1/x", 0, 1},  {"tan(x)", 0, 3}, {"1/x", 1, HUGE_VAL}, {"sqrt(x)", -1, 1},
        {"1/x", 1, -1}, {"x", NAN, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " from " + std::to_string(row.a) + " to " +
                     std::to_string(row.b));
        AnalysisCurve curve;
        AnalysisWork work;
        curve.work = &work;
        ASSERT_TRUE(curve.Compile(row.text));
        EXPECT_EQ(IntegrateCompiled(curve, row.a, row.b).status, Integral::Status::Diverges);
        EXPECT_LE(work.evaluations, 21u + 42u * kMaxIntegralPieces);
    }
}

} // namespace
