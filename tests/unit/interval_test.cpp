// Decorated intervals against MPFR: the library's errors within the
// widening each bound gets, the enclosure and definedness claims of every
// interval rule at random points of random intervals (near poles and
// extremes, at huge and tiny magnitudes, denormals, domain edges), and the
// decorations of whole expressions run by the interval interpreter.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "big_number.h"
#include "expr/interval.h"
#include "expr/interval_program.h"
#include "expr/operation_rules.h"
#include "expr_test_util.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr mpfr_prec_t kPrecision = 320;
using Fn = interval::LibraryFunction;

// The real value of `operation` at (u, w) by the language's rules; false
// where it is undefined there.
bool Exact(Operation operation, double u, double w, mpfr_ptr r) {
    Big a(kPrecision), b(kPrecision);
    mpfr_set_d(a.get(), u + 0.0, MPFR_RNDN); // the reals have one zero
    mpfr_set_d(b.get(), w + 0.0, MPFR_RNDN);
    const auto R = MPFR_RNDN;
    switch (operation) {
    case Operation::Neg: return mpfr_neg(r, a.get(), R), true;
    case Operation::Add: return mpfr_add(r, a.get(), b.get(), R), true;
    case Operation::Sub: return mpfr_sub(r, a.get(), b.get(), R), true;
    case Operation::Mul: return mpfr_mul(r, a.get(), b.get(), R), true;
    case Operation::Div: return w != 0 && (mpfr_div(r, a.get(), b.get(), R), true);
    case Operation::Pow:
        if ((u < 0 && w != std::floor(w)) || (u == 0 && w < 0))
            return false;
        return mpfr_pow(r, a.get(), b.get(), R), true;
    case Operation::Abs: return mpfr_abs(r, a.get(), R), true;
    case Operation::Floor: return mpfr_floor(r, a.get()), true;
    case Operation::Ceil: return mpfr_ceil(r, a.get()), true;
    case Operation::Mod: return w != 0 && (mpfr_fmod(r, a.get(), b.get(), R), true);
    case Operation::Sqrt: return u >= 0 && (mpfr_sqrt(r, a.get(), R), true);
    case Operation::Log: return u > 0 && (mpfr_log(r, a.get(), R), true);
    case Operation::Exp: return mpfr_exp(r, a.get(), R), true;
    case Operation::Sin: return mpfr_sin(r, a.get(), R), true;
    case Operation::Cos: return mpfr_cos(r, a.get(), R), true;
    case Operation::Tan: return mpfr_tan(r, a.get(), R), true; // a double is never a pole
    case Operation::ArcSin: return std::fabs(u) <= 1 && (mpfr_asin(r, a.get(), R), true);
    case Operation::ArcCos: return std::fabs(u) <= 1 && (mpfr_acos(r, a.get(), R), true);
    case Operation::ArcTan: return mpfr_atan(r, a.get(), R), true;
    case Operation::ArcTan2: return mpfr_atan2(r, a.get(), b.get(), R), true;
    case Operation::Sinh: return mpfr_sinh(r, a.get(), R), true;
    case Operation::Cosh: return mpfr_cosh(r, a.get(), R), true;
    case Operation::Tanh: return mpfr_tanh(r, a.get(), R), true;
    }
    return false;
}

// Doubles in the order of the reals, as integers: the distance between two
// is the number of steps between them.
int64_t Ordinal(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    const int64_t magnitude = static_cast<int64_t>(bits & ~(uint64_t(1) << 63));
    return bits >> 63 ? -magnitude : magnitude;
}

// How many steps between doubles `computed` must move to reach the exact
// value on either side.
int64_t StepsToExact(double computed, mpfr_ptr exact) {
    const double down = mpfr_get_d(exact, MPFR_RNDD), up = mpfr_get_d(exact, MPFR_RNDU);
    return std::max<int64_t>({0, Ordinal(computed) - Ordinal(down), Ordinal(up) - Ordinal(computed)});
}

class Random {
public:
    explicit Random(uint64_t seed) : engine(seed) {}
    double Uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(engine); }
    int Int(int a, int b) { return std::uniform_int_distribution<int>(a, b)(engine); }
    double Sign() { return Int(0, 1) ? 1.0 : -1.0; }
    // A magnitude 10^e for e uniform in [a, b].
    double Magnitude(double a, double b) { return std::pow(10.0, Uniform(a, b)); }

    // A random interval of the kinds that break interval code.
    Interval Any() {
        double c = 0, r = 0;
        switch (Int(0, 11)) {
        case 0: c = Uniform(-1, 1) * Magnitude(-3, 0); r = Magnitude(-3, 1); break;
        case 1: c = Sign() * Magnitude(-4, 3); r = std::fabs(c) * Magnitude(-12, 0); break;
        case 2: c = Sign() * Magnitude(100, 308); r = std::fabs(c) * Magnitude(-16, -1); break;
        case 3: c = Sign() * Magnitude(-323, -300); r = std::fabs(c) * Uniform(0, 2); break;
        case 4: c = Int(-40, 40) * 0x1.921fb54442d18p+0; r = Magnitude(-15, -1); break;
        case 5: c = Int(-3, 3); r = Magnitude(-16, -1); break;
        case 6: c = Sign() * Magnitude(6, 7.8); r = Magnitude(-8, 1); break;
        case 7: return Interval::Point(Sign() * Magnitude(-5, 5));
        case 8: return Int(0, 1) ? Interval::Range(Uniform(-5, 5), kInf)
                                 : Interval::Range(-kInf, Uniform(-5, 5));
        case 9: return Interval::Point(std::round(Sign() * Magnitude(1, 6)));
        case 10: c = Sign() * (1 + Sign() * Magnitude(-16, -3)); r = Magnitude(-17, -5); break;
        default: return Interval::Point(Int(-4, 6));
        }
        const double a = c - r * Uniform(0, 1), b = c + r * Uniform(0, 1);
        return Interval::Range(std::min(a, b), std::max(a, b));
    }
    // A point of the interval: an end or a point between.
    double Inside(const Interval& i) {
        const double lo = std::isfinite(i.lo) ? i.lo : i.hi - Magnitude(-2, 3);
        const double hi = std::isfinite(i.hi) ? i.hi : i.lo + Magnitude(-2, 3);
        switch (Int(0, 3)) {
        case 0: return lo;
        case 1: return hi;
        default: return std::clamp(lo + (hi - lo) * Uniform(0, 1), lo, hi);
        }
    }

private:
    std::mt19937_64 engine;
};

// The library functions, called through volatile pointers so that nothing
// is folded at compile time, with the arguments each is measured on.
struct LibraryCase {
    Fn function;
    const char* name;
    double (*volatile one)(double);
    double (*volatile two)(double, double);
    Operation operation;
    double (*argument)(Random&);
};

double Ordinary(Random& r) { return r.Sign() * r.Magnitude(-8, 2.5); }
// Up to the limit, a quarter of them next to multiples of pi/2 (zeros and
// poles, where the reduction matters).
double UpToLimit(Random& r) {
    if (r.Int(0, 3) == 0) {
        const double k = std::floor(r.Magnitude(0, std::log10(interval::kTrigLimit / 1.6)));
        return std::nextafter(r.Sign() * k * 1.5707963267948966, r.Uniform(-1, 1) * kInf);
    }
    return r.Sign() * r.Magnitude(-8, std::log10(interval::kTrigLimit));
}
double Unit(Random& r) { return r.Int(0, 3) ? r.Uniform(-1, 1) : r.Sign() * (1 - r.Magnitude(-16, -1)); }
double Positive(Random& r) { return r.Magnitude(-307, 307); }
double Hyperbolic(Random& r) { return r.Sign() * r.Magnitude(-8, 2.85); }

const LibraryCase kLibrary[] = {
    {Fn::Exp, "exp", [](double x) { return std::exp(x); }, nullptr, Operation::Exp,
     [](Random& r) { return r.Uniform(-745, 709.7); }},
    {Fn::Log, "log", [](double x) { return std::log(x); }, nullptr, Operation::Log, Positive},
    {Fn::Sin, "sin", [](double x) { return std::sin(x); }, nullptr, Operation::Sin, UpToLimit},
    {Fn::Cos, "cos", [](double x) { return std::cos(x); }, nullptr, Operation::Cos, UpToLimit},
    {Fn::Tan, "tan", [](double x) { return std::tan(x); }, nullptr, Operation::Tan, UpToLimit},
    {Fn::Asin, "asin", [](double x) { return std::asin(x); }, nullptr, Operation::ArcSin, Unit},
    {Fn::Acos, "acos", [](double x) { return std::acos(x); }, nullptr, Operation::ArcCos, Unit},
    {Fn::Atan, "atan", [](double x) { return std::atan(x); }, nullptr, Operation::ArcTan, Ordinary},
    {Fn::Atan2, "atan2", nullptr, [](double y, double x) { return std::atan2(y, x); },
     Operation::ArcTan2, Ordinary},
    {Fn::Sinh, "sinh", [](double x) { return std::sinh(x); }, nullptr, Operation::Sinh, Hyperbolic},
    {Fn::Cosh, "cosh", [](double x) { return std::cosh(x); }, nullptr, Operation::Cosh, Hyperbolic},
    {Fn::Tanh, "tanh", [](double x) { return std::tanh(x); }, nullptr, Operation::Tanh, Ordinary},
    {Fn::Pow, "pow", nullptr, [](double x, double y) { return std::pow(x, y); }, Operation::Pow,
     [](Random& r) { return r.Magnitude(-3, 3); }},
};

// The largest error of each library function, in steps between doubles,
// within the widening its bounds get.
TEST(Interval, LibraryErrorsStayWithinTheWidening) {
    constexpr int kSamples = 20000;
    Random random(28);
    Big exact(kPrecision);
    std::printf("library errors in steps between doubles over %d arguments each:\n", kSamples);
    for (const LibraryCase& c : kLibrary) {
        int64_t worst = 0;
        double worstAt = 0, worstAt2 = 0;
        for (int i = 0; i < kSamples; ++i) {
            double x = c.argument(random), y = 0;
            if (c.function == Fn::Atan2)
                y = c.argument(random);
            if (c.function == Fn::Pow) {
                // Results in range, subnormal ones included: y*log2(x)
                // within +-1070. Only exponents that are not integers reach
                // the library.
                const double l = std::fabs(std::log2(x));
                y = random.Uniform(-1, 1) * std::min(1070 / std::max(l, 1e-3), 1e6);
                if (y == std::floor(y))
                    continue;
            }
            const double computed = c.one ? c.one(x) : c.two(x, y);
            if (!std::isfinite(computed) || !Exact(c.operation, x, y, exact.get()))
                continue;
            const int64_t steps = StepsToExact(computed, exact.get());
            if (steps > worst) {
                worst = steps;
                worstAt = x;
                worstAt2 = y;
            }
        }
        std::printf("  %-6s %lld (at %a, %a), widening %d\n", c.name, static_cast<long long>(worst),
                    worstAt, worstAt2, interval::Widening(c.function));
        EXPECT_LE(worst, interval::Widening(c.function))
            << c.name << " at " << worstAt << ", " << worstAt2;
    }
}

// The special values the interval rules keep exact (a point where a
// function is 0 or 1 stays one number): each library must return them
// exactly, and the rules must give them back as single numbers.
TEST(Interval, LibrarySpecialValuesAreExact) {
    struct Row {
        const char* name;
        double (*volatile f)(double);
        Interval (*rule)(const Interval&);
        double at, value;
    };
    const Row rows[] = {
        {"sin", [](double x) { return std::sin(x); }, interval::Sin, 0, 0},
        {"tan", [](double x) { return std::tan(x); }, interval::Tan, 0, 0},
        {"asin", [](double x) { return std::asin(x); }, interval::ArcSin, 0, 0},
        {"atan", [](double x) { return std::atan(x); }, interval::ArcTan, 0, 0},
        {"sinh", [](double x) { return std::sinh(x); }, interval::Sinh, 0, 0},
        {"tanh", [](double x) { return std::tanh(x); }, interval::Tanh, 0, 0},
        {"cos", [](double x) { return std::cos(x); }, interval::Cos, 0, 1},
        {"cosh", [](double x) { return std::cosh(x); }, interval::Cosh, 0, 1},
        {"exp", [](double x) { return std::exp(x); }, interval::Exp, 0, 1},
        {"log", [](double x) { return std::log(x); }, interval::Log, 1, 0},
        {"acos", [](double x) { return std::acos(x); }, interval::ArcCos, 1, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.f(row.at), row.value) << row.name;
        const Interval r = row.rule(Interval::Point(row.at));
        EXPECT_EQ(r.lo, row.value) << row.name;
        EXPECT_EQ(r.hi, row.value) << row.name;
    }
    const Interval a = interval::ArcTan2(Interval::Point(0), Interval::Point(3));
    EXPECT_EQ(a.lo, 0);
    EXPECT_EQ(a.hi, 0);
}

// Every interval rule against MPFR at points of random intervals: where the
// operation is defined at the point its exact value lies in the enclosure
// and the result is not "nowhere"; where it is not, the result is not
// "everywhere".
TEST(Interval, EveryRuleEnclosesTheExactValues) {
    constexpr int kIntervals = 2500, kPoints = 6;
    struct Rule {
        Operation operation;
        Interval (*rule)(const Interval&, const Interval&);
    };
    const Rule rules[] = {
#define UNARY_RULE(name)                                                                           \
    {Operation::name, [](const Interval& u, const Interval&) { return ops::name::Enclose(u); }},
#define BINARY_RULE(name)                                                                          \
    {Operation::name,                                                                              \
     [](const Interval& u, const Interval& w) { return ops::name::Enclose(u, w); }},
        ORVANTA_UNARY_OPERATIONS(UNARY_RULE) ORVANTA_BINARY_OPERATIONS(BINARY_RULE)
#undef UNARY_RULE
#undef BINARY_RULE
        // Integer powers, n from the second operand's point.
        {Operation::Pow, [](const Interval& u, const Interval& w) {
             return ops::PowInt::Enclose(u, static_cast<int>(w.lo));
         }},
    };
    Random random(1788);
    Big exact(kPrecision);
    long checks = 0;
    int failures = 0;
    for (const Rule& rule : rules) {
        const bool integerPower = &rule == &rules[sizeof rules / sizeof rules[0] - 1];
        for (int i = 0; i < kIntervals; ++i) {
            const Interval u = random.Any();
            const Interval w = integerPower ? Interval::Point(random.Int(-9, 9)) : random.Any();
            const Interval r = rule.rule(u, w);
            for (int k = 0; k < kPoints; ++k) {
                const double a = random.Inside(u), b = random.Inside(w);
                const bool defined = Exact(rule.operation, a, b, exact.get());
                const bool inside = mpfr_cmp_d(exact.get(), r.lo) >= 0 &&
                                    mpfr_cmp_d(exact.get(), r.hi) <= 0;
                ++checks;
                const bool ok = defined ? r.defined != Definedness::Nowhere && inside
                                        : r.defined != Definedness::Everywhere;
                if (!ok && ++failures <= 10) {
                    ADD_FAILURE() << "operation " << static_cast<int>(rule.operation)
                                  << (integerPower ? " (integer power)" : "") << " at " << a
                                  << ", " << b << " (" << (defined ? "defined" : "undefined")
                                  << ", exact " << mpfr_get_d(exact.get(), MPFR_RNDN)
                                  << ") over [" << u.lo << ", " << u.hi << "] x [" << w.lo
                                  << ", " << w.hi << "] gives [" << r.lo << ", " << r.hi
                                  << "] defined " << static_cast<int>(r.defined);
                }
            }
        }
    }
    std::printf("%ld points checked\n", checks);
    EXPECT_EQ(failures, 0);
}

// The pieces of the operations that jump or have poles, against MPFR:
// wherever the operation is defined at a point of the operands, its exact
// value lies in a piece that is not "nowhere".
TEST(Interval, PiecesHoldEveryValue) {
    constexpr int kIntervals = 4000, kPoints = 8;
    struct Split {
        Operation operation;
        int power; // for integer powers: n; otherwise 0
    };
    const Split splits[] = {{Operation::Floor, 0}, {Operation::Ceil, 0}, {Operation::Tan, 0},
                            {Operation::Div, 0},   {Operation::Mod, 0},  {Operation::Pow, -1},
                            {Operation::Pow, -3}};
    Random random(2801);
    Big exact(kPrecision);
    long checks = 0, splitCount = 0;
    int failures = 0;
    for (const Split& split : splits) {
        for (int i = 0; i < kIntervals; ++i) {
            const Interval u = random.Any();
            Interval w = split.power ? Interval::Point(split.power) : random.Any();
            if (split.operation == Operation::Mod && random.Int(0, 1))
                w = Interval::Point(random.Sign() * random.Int(1, 7) / 2.0);
            Interval first, second;
            const bool pieces = split.power ? interval::PowIntPieces(u, split.power, first, second)
                                            : interval::Pieces(split.operation, u, w, first, second);
            if (!pieces)
                continue;
            ++splitCount;
            for (int k = 0; k < kPoints; ++k) {
                const double a = random.Inside(u), b = random.Inside(w);
                if (!Exact(split.operation, a, b, exact.get()))
                    continue;
                auto holds = [&](const Interval& p) {
                    return p.defined != Definedness::Nowhere && mpfr_cmp_d(exact.get(), p.lo) >= 0 &&
                           mpfr_cmp_d(exact.get(), p.hi) <= 0;
                };
                ++checks;
                if (!holds(first) && !holds(second) && ++failures <= 10)
                    ADD_FAILURE() << "operation " << static_cast<int>(split.operation) << " ^"
                                  << split.power << " at " << a << ", " << b << " (exact "
                                  << mpfr_get_d(exact.get(), MPFR_RNDN) << ") over [" << u.lo
                                  << ", " << u.hi << "] x [" << w.lo << ", " << w.hi
                                  << "] gives [" << first.lo << ", " << first.hi << "] and ["
                                  << second.lo << ", " << second.hi << "]";
            }
        }
    }
    std::printf("%ld splits, %ld points checked\n", splitCount, checks);
    EXPECT_GT(splitCount, 1000);
    EXPECT_EQ(failures, 0);
}

// What whole expressions claim over boxes: definedness, continuity across
// jumps and poles, tight or exact enclosures where the arithmetic allows,
// and the real-number meaning of constants the linker folded.
TEST(Interval, ExpressionsOverBoxes) {
    constexpr double N = std::numeric_limits<double>::quiet_NaN(); // no bound expected
    const Definedness E = Definedness::Everywhere, P = Definedness::Possibly, O = Definedness::Nowhere;
    struct Row {
        const char* text;
        double xl, xh, yl, yh;
        Definedness defined;
        bool continuous;
        double lo, hi;   // the enclosure exactly, when not NaN
        double contains; // a value the enclosure must hold (NaN: none)
    };
    const Row rows[] = {
        {"1/x", 1, 2, 0, 0, E, true, 0.5, 1, N},
        {"1/x", -1, 1, 0, 0, P, false, -kInf, kInf, N},
        {"1/x", 0, 2, 0, 0, P, false, 0.5, kInf, N},
        {"1/0", 0, 0, 0, 0, O, false, N, N, N},
        {"x/4+y*3", 1, 1, 3, 3, E, true, 9.25, 9.25, N},
        {"y-x*2", 1, 1, 5, 5, E, true, 3, 3, N},
        {"(x+1)/(y+1)", 3, 3, 1, 1, E, true, 2, 2, N},
        {"2^x-x/y+(x+y)*(x+y)", 3, 3, 2, 2, E, true, 31.5, 31.5, N},
        {"sqrt(x)", 16, 16, 0, 0, E, true, 4, 4, N},
        {"sqrt(x)", -2, -1, 0, 0, O, false, N, N, N},
        {"sqrt(x)", -1, 4, 0, 0, P, false, 0, 2, N},
        {"log(x)", 0, 1, 0, 0, P, false, -kInf, N, N},
        {"x^2", -1, 2, 0, 0, E, true, 0, 4, N},
        {"x^2+y^2-25", -3, 3, 4, 4, E, true, -9, 0, N},
        {"x^2", 1e200, 1e201, 0, 0, E, true, DBL_MAX, kInf, N},
        {"exp(x)", 1000, 1001, 0, 0, E, true, N, kInf, N},
        {"x^(0-1)", -1, 1, 0, 0, P, false, -kInf, kInf, N},
        {"x^0.5", -1, 1, 0, 0, P, false, N, N, 1},
        {"(0-8)^(1/3)", 0, 0, 0, 0, O, false, N, N, N},
        {"0^(0-1)", 0, 0, 0, 0, O, false, N, N, N},
        {"x^(2/3*3)", -2, -1, 0, 0, P, false, N, N, N},
        {"2-sqrt(2)^2", 0, 0, 0, 0, E, true, N, N, 0},
        {"x*exp(1000)-x*(1/0)", 1, 2, 0, 0, O, false, N, N, N},
        {"floor(x)", 0.5, 1.5, 0, 0, E, false, 0, 1, N},
        {"floor(x)+ceil(y)", 0.25, 0.75, -0.75, -0.25, E, true, 0, 0, N},
        {"mod(x,3)", 2, 4, 0, 0, E, false, N, N, N},
        {"mod(x,3)", 3.5, 5, 0, 0, E, true, N, N, 1},
        {"mod(x,y)", 1, 2, -1, 1, P, false, N, N, N},
        {"mod(x,0)", 1, 2, 0, 0, O, false, N, N, N},
        {"tan(x)", -1, 1, 0, 0, E, true, N, N, 0},
        {"tan(x)", 1, 2, 0, 0, P, false, N, N, N},
        {"tan(arccos(0))", 0, 0, 0, 0, P, false, N, N, N},
        {"sin(x)", 1, 2, 0, 0, E, true, N, 1, N},
        {"cos(x)", 3, 3.5, 0, 0, E, true, -1, N, N},
        {"sin(x)", 1e10, 1e10, 0, 0, E, true, -1, 1, N},
        {"cos(x)", 0x1.6ac5b262ca1ffp+849, 0x1.6ac5b262ca1ffp+849, 0, 0, E, true, -1, 1, N},
        {"tan(x)", 0x1.6ac5b262ca1ffp+849, 0x1.6ac5b262ca1ffp+849, 0, 0, P, false, N, N, N},
        {"x^3000000001", -1, -1, 0, 0, E, true, -1, -1, N},
        {"arcsin(x)", 0.5, 2, 0, 0, P, false, N, N, N},
        {"arccos(x)", 2, 3, 0, 0, O, false, N, N, N},
        {"arctan2(y,x)", -2, -1, -1, 1, E, false, N, N, N},
        {"arctan2(y,x)", -2, -1, 0, 1, E, true, N, N, 3.141592653589793},
        {"arctan2(y,x)", -1, 1, -1, 1, E, false, N, N, 0},
        {"arctan2(y,x)", 0, 0, 0, 0, E, false, N, N, 0},
        {"arctan2(y,x)", 1, 2, -1, 1, E, true, N, N, 0},
        {"cosh(x)", -1, 2, 0, 0, E, true, 1, N, N},
        {"abs(sin(sqrt(x^2+y^2)))-abs(cos(x))", -1, 1, -1, 1, E, true, N, N, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        BuiltinTable table;
        table.SetVariable("x", 0);
        table.SetVariable("y", 0);
        Expression e(table);
        ASSERT_TRUE(e.Compile(row.text));
        IntervalProgram program;
        ASSERT_TRUE(program.Build(e, &table.FindVariable("x")->value,
                                  &table.FindVariable("y")->value));
        const Interval r = program.Evaluate(Interval::Range(row.xl, row.xh),
                                            Interval::Range(row.yl, row.yh));
        EXPECT_EQ(r.defined, row.defined);
        EXPECT_EQ(r.continuous, row.continuous);
        if (row.lo == row.lo) {
            EXPECT_EQ(r.lo, row.lo);
        }
        if (row.hi == row.hi) {
            EXPECT_EQ(r.hi, row.hi);
        }
        if (row.contains == row.contains) {
            EXPECT_TRUE(r.Contains(row.contains)) << r.lo << ", " << r.hi;
        }
    }
}

// The enclosures of pi/2 and pi the trigonometric rules rely on.
TEST(Interval, PiLiesBetweenItsBounds) {
    Big pi(kPrecision);
    mpfr_const_pi(pi.get(), MPFR_RNDN);
    EXPECT_GT(mpfr_cmp_d(pi.get(), 0x1.921fb54442d18p+1), 0);
    EXPECT_LT(mpfr_cmp_d(pi.get(), 0x1.921fb54442d19p+1), 0);
}

} // namespace
