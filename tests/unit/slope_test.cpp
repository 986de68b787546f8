// Exact slopes: the value part of the slope evaluation is Evaluate's to the
// last bit, and every rule of differentiation agrees with a high-precision
// difference quotient, also where the obvious formula would cancel.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/slope_program.h"
#include "expr_test_util.h"

namespace {

// Random well-formed expressions of x over every operation and builtin,
// with constant parts the linker folds, integer powers it computes its own
// way and repeated parts it keeps in registers.
class ExpressionGenerator {
public:
    explicit ExpressionGenerator(uint32_t seed) : rng(seed) {}

    std::string Next(int depth) {
        if (depth == 0)
            return Atom();
        const std::string a = Next(depth - 1), b = Next(depth - 1);
        switch (Pick(10)) {
        case 0:
            return Atom();
        case 1:
            return "(" + a + ")" + Pick({"+", "-", "*", "/"}) + "(" + b + ")";
        case 2:
            return "(" + a + ")^" + Pick({"2", "3", "(-1)", "16", "17", "0.5", "(-3)"});
        case 3:
            return "(" + a + ")^(" + b + ")";
        case 4:
            return Pick({"mod", "arctan2"}) + "(" + a + "," + b + ")";
        case 5:
            return "-(" + a + ")";
        case 6:
            return "(" + a + ")*(" + a + ")+(" + a + ")"; // a computed once, kept
        case 7:
            return "(2*pi()-" + Pick({"1", "0.25"}) + ")*(" + a + ")"; // folded
        default:
            return Unary() + "(" + a + ")";
        }
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    std::string Pick(std::initializer_list<const char*> options) {
        return *(options.begin() + Pick(static_cast<int>(options.size())));
    }
    std::string Atom() { return Pick({"x", "x", "x", "2", "0.5", "3", "pi()", "7", "0"}); }
    std::string Unary() {
        return Pick({"abs", "floor", "ceil", "sqrt", "log", "exp", "sin", "cos", "tan", "arcsin",
                     "arccos", "arctan", "sinh", "cosh", "tanh"});
    }
    std::mt19937 rng;
};

struct Bound {
    BuiltinTable table;
    Expression expression{table};
    SlopeProgram slopes;
    double* x;
    Bound() {
        table.SetVariable("x", 0);
        x = &table.FindVariable("x")->value;
    }
    bool Build(const std::string& text) {
        return expression.Compile(text) && slopes.Build(expression, x);
    }
};

TEST(SlopeProgram, ValueIsEvaluateToTheLastBit) {
    const double specials[] = {0.0,         -0.0,      1,
                               -1,          0.5,       2.5,
                               -3.75,       1e-300,    -1e300,
                               1e154,       7,         std::numeric_limits<double>::quiet_NaN(),
                               HUGE_VAL,    -HUGE_VAL, 0x1.0ffccde72eb1ep+3,
                               134217727.0, 0x1p-1074, 710.5};
    ExpressionGenerator generator(19);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> uniform(-20, 20);
    int built = 0;
    for (int n = 0; n < 1500; ++n) {
        const std::string text = generator.Next(n % 4 + 1);
        Bound b;
        ASSERT_TRUE(b.Build(text)) << text;
        ++built;
        for (int i = 0; i < 40; ++i) {
            const double x = i < 18 ? specials[i] : uniform(rng);
            *b.x = x;
            b.expression.result = 0;
            ASSERT_TRUE(b.expression.Evaluate()) << text;
            const Dual d = b.slopes.Evaluate(x);
            ASSERT_TRUE(SameBits(d.value, b.expression.result))
                << text << " at " << x << ": " << d.value << " != " << b.expression.result;
        }
    }
    EXPECT_EQ(built, 1500);
}

// An assignment is the value it assigns; one the table refuses, or a name
// the table lacks, leaves the curve undefined.
TEST(SlopeProgram, AssignmentsAndUnknownNames) {
    Bound assigned;
    ASSERT_TRUE(assigned.Build("a=x*x"));
    const Dual d = assigned.slopes.Evaluate(3);
    EXPECT_EQ(d.value, 9);
    EXPECT_EQ(d.slope, 6);
    for (const char* text : {"sin=x", "y*x", "x+"}) {
        Bound b;
        EXPECT_FALSE(b.Build(text)) << text;
        EXPECT_TRUE(std::isnan(b.slopes.Evaluate(1).value)) << text;
    }
}

// The derivative of f at x by Richardson extrapolation of central
// differences in long double (steps h, h/2, ..., h/32), accurate far beyond
// double for the smooth functions of the table.
long double Derivative(long double (*f)(long double), long double x, long double h) {
    constexpr int n = 6;
    long double d[n][n];
    for (int i = 0; i < n; ++i) {
        const long double step = h / (1 << i);
        d[i][0] = (f(x + step) - f(x - step)) / (2 * step);
        long double factor = 1;
        for (int j = 1; j <= i; ++j) {
            factor *= 4;
            d[i][j] = d[i][j - 1] + (d[i][j - 1] - d[i - 1][j - 1]) / (factor - 1);
        }
    }
    return d[n - 1][n - 1];
}

// The slope of each builtin and operation at several points against the
// difference quotient of the same function in long double. Where the value
// sits next to a constant that would swamp the difference (tanh near 1,
// arctan near pi/2), the function is written minus that constant, which
// leaves its differences alone.
TEST(SlopeProgram, RulesMatchHighPrecisionDifferences) {
    struct Row {
        const char* text;
        double x;
        long double (*f)(long double);
        double h;
    };
    const Row rows[] = {
        {"abs(x)", 2.5, [](long double u) { return fabsl(u); }, 0x1p-6},
        {"abs(x)", -1.5, [](long double u) { return fabsl(u); }, 0x1p-6},
        {"floor(x)", 2.5, [](long double u) { return floorl(u); }, 0x1p-6},
        {"ceil(x)", -0.7, [](long double u) { return ceill(u); }, 0x1p-6},
        {"sqrt(x)", 2, [](long double u) { return sqrtl(u); }, 0x1p-6},
        {"sqrt(x)", 1e-6, [](long double u) { return sqrtl(u); }, 0x1p-27},
        {"log(x)", 3, [](long double u) { return logl(u); }, 0x1p-6},
        {"log(x)", 1e-3, [](long double u) { return logl(u); }, 0x1p-16},
        {"exp(x)", 1, [](long double u) { return expl(u); }, 0x1p-6},
        {"exp(x)", -20, [](long double u) { return expl(u); }, 0x1p-6},
        {"exp(x)", 700, [](long double u) { return expl(u); }, 0x1p-6},
        {"sin(x)", 1, [](long double u) { return sinl(u); }, 0x1p-6},
        {"sin(x)", 100, [](long double u) { return sinl(u); }, 0x1p-6},
        {"cos(x)", 2, [](long double u) { return cosl(u); }, 0x1p-6},
        {"cos(x)", -7, [](long double u) { return cosl(u); }, 0x1p-6},
        {"tan(x)", 0.3, [](long double u) { return tanl(u); }, 0x1p-6},
        {"tan(x)", 1.5, [](long double u) { return tanl(u); }, 0x1p-10},
        {"arcsin(x)", 0.5, [](long double u) { return asinl(u); }, 0x1p-8},
        {"arcsin(x)", 0.9999999, [](long double u) { return asinl(u); }, 0x1p-28},
        {"arccos(x)", -0.3, [](long double u) { return acosl(u); }, 0x1p-8},
        {"arccos(x)", -0.9999, [](long double u) { return acosl(u); }, 0x1p-18},
        {"arctan(x)", 2, [](long double u) { return atanl(u); }, 0x1p-6},
        {"arctan(x)", 1e150, [](long double u) { return -atanl(1 / u); }, 1e147},
        {"sinh(x)", 3, [](long double u) { return sinhl(u); }, 0x1p-6},
        {"cosh(x)", -2, [](long double u) { return coshl(u); }, 0x1p-6},
        {"cosh(x)", 0.5, [](long double u) { return coshl(u); }, 0x1p-6},
        {"tanh(x)", 0.5, [](long double u) { return tanhl(u); }, 0x1p-6},
        {"tanh(x)", 20, [](long double u) { return -2 / (expl(2 * u) + 1); }, 0x1p-6},
        {"tanh(x)", -20, [](long double u) { return 2 / (expl(-2 * u) + 1); }, 0x1p-6},
        {"mod(x,3)", 7.5, [](long double u) { return fmodl(u, 3); }, 0x1p-6},
        {"mod(7,x)", 2.5, [](long double u) { return fmodl(7, u); }, 0x1p-8},
        {"arctan2(x,2)", 1, [](long double u) { return atan2l(u, 2); }, 0x1p-6},
        {"arctan2(3,x)", -2, [](long double u) { return atan2l(3, u); }, 0x1p-6},
        {"arctan2(x,x^2+1)", 0.7, [](long double u) { return atan2l(u, u * u + 1); }, 0x1p-6},
        {"x^2.5", 2, [](long double u) { return powl(u, 2.5L); }, 0x1p-6},
        {"x^x", 1.5, [](long double u) { return powl(u, u); }, 0x1p-6},
        {"2^x", 3, [](long double u) { return powl(2, u); }, 0x1p-6},
        {"x^3", -1.3, [](long double u) { return u * u * u; }, 0x1p-6},
        {"x^(-2)", 0.7, [](long double u) { return 1 / (u * u); }, 0x1p-8},
        {"x^16", 1.1, [](long double u) { return powl(u, 16); }, 0x1p-8},
        {"x^17", 1.1, [](long double u) { return powl(u, 17); }, 0x1p-8},
        {"x*sin(x)/(1+x^2)", 0.8, [](long double u) { return u * sinl(u) / (1 + u * u); }, 0x1p-6},
        {"-x/(x-3)", 2, [](long double u) { return -u / (u - 3); }, 0x1p-8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " at " + std::to_string(row.x));
        const ValueAndSlope v = EvaluateWithSlope(row.text, row.x);
        ASSERT_TRUE(v.defined);
        const long double expected = Derivative(row.f, row.x, row.h);
        if (expected == 0)
            EXPECT_EQ(v.slope, 0);
        else
            EXPECT_LE(std::fabs((v.slope - expected) / expected), 1e-12)
                << v.slope << " against " << static_cast<double>(expected);
    }
}

// Every builtin's slope in each of its arguments agrees with a difference
// quotient of its values where it is smooth. The rows come from the builtin
// table, so a builtin added to it is checked here without a new row.
TEST(SlopeProgram, EveryBuiltinHasItsSlope) {
    const double at = 0.3, h = 0x1p-20;
    int checked = 0;
    for (int i = 0; i < kBuiltinCount; ++i) {
        const std::string name = kBuiltins[i].name;
        std::vector<std::string> texts;
        if (kBuiltins[i].arity == 1)
            texts = {name + "(x)"};
        else if (kBuiltins[i].arity == 2)
            texts = {name + "(x,1.7)", name + "(1.7,x)"};
        for (const std::string& text : texts) {
            SCOPED_TRACE(text);
            Bound b;
            ASSERT_TRUE(b.Build(text));
            auto value = [&](double x) {
                *b.x = x;
                EXPECT_TRUE(b.expression.Evaluate());
                return b.expression.result;
            };
            const double quotient = (value(at + h) - value(at - h)) / (2 * h);
            const double slope = b.slopes.Evaluate(at).slope;
            EXPECT_NEAR(slope, quotient, 1e-6 * std::fmax(1, std::fabs(quotient)));
            ++checked;
        }
    }
    EXPECT_GE(checked, 19); // 15 builtins of one argument, 2 of two
}

// Where a function has no derivative the slope is the one from the right;
// floor and ceil are flat; a part that does not depend on x stays flat even
// beside an infinite slope.
TEST(SlopeProgram, ConventionsWhereThereIsNoDerivative) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* text;
        double x, slope;
    } rows[] = {
        {"abs(x)", 0, 1},    {"abs(-x)", 0, 1},   {"-abs(x)", 0, -1},  {"abs(x-1)", 1, 1},
        {"floor(x)", 1, 0},  {"ceil(x)", 2, 0},   {"mod(x,2)", 2, 1},  {"mod(x,-2)", -4, 1},
        {"sqrt(x)", 0, inf}, {"0*sqrt(x)", 0, 0}, {"sqrt(x)*0", 0, 0}, {"2^floor(x)", 3, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " at " + std::to_string(row.x));
        const ValueAndSlope v = EvaluateWithSlope(row.text, row.x);
        ASSERT_TRUE(v.defined);
        EXPECT_EQ(v.slope, row.slope);
    }
    EXPECT_FALSE(EvaluateWithSlope("1/x", 0).defined);
    EXPECT_FALSE(EvaluateWithSlope("log(x)", -1).defined);
}

} // namespace
