#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "expr_test_util.h"

namespace {

TEST(Builtins, DocumentedValues) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"sin(pi()/2)", 1},          {"cos(0)", 1},
        {"arctan2(1,0)", 1.5707963267948966}, {"arctan2(0,-1)", 3.141592653589793},
        {"mod(7,3)", 1},             {"mod(-7,3)", -1},
        {"mod(7,-3)", 1},            {"floor(-2.5)", -3},
        {"ceil(-2.5)", -2},          {"abs(-4)", 4},
        {"sin(1,2)", std::sin(2.0)}, {"pi(5)", 3.141592653589793},
        {"pi()", 3.141592653589793}, {"sqrt(16)", 4},
        {"exp(0)", 1},               {"log(exp(2))", std::log(std::exp(2.0))},
        {"2*sin(0)+1", 1},           {"sin(0)^2", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto value = Calc(c.text);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, c.value);
    }
}

TEST(Builtins, DomainErrorsSucceed) {
    for (const char* text : {"mod(1,0)", "sqrt(-1)", "log(-1)", "arcsin(2)", "arccos(-2)"}) {
        SCOPED_TRACE(text);
        auto value = Calc(text);
        ASSERT_TRUE(value.has_value());
        EXPECT_TRUE(std::isnan(*value));
    }
    EXPECT_EQ(Calc("log(0)"), -HUGE_VAL);
    EXPECT_EQ(Calc("exp(1000)"), HUGE_VAL);
}

TEST(Builtins, TooFewArgumentsFail) {
    for (const char* text : {"mod(7)", "arctan2(1)", "sin()", "5+mod(1)", "abs()", "tanh()"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Calc(text), std::nullopt);
    }
}

TEST(Builtins, AgreeWithCmathOverARange) {
    const struct {
        const char* name;
        double (*f)(double);
    } unary[] = {
        {"abs", [](double x) { return std::fabs(x); }},
        {"floor", [](double x) { return std::floor(x); }},
        {"ceil", [](double x) { return std::ceil(x); }},
        {"sqrt", [](double x) { return std::sqrt(x); }},
        {"log", [](double x) { return std::log(x); }},
        {"exp", [](double x) { return std::exp(x); }},
        {"sin", [](double x) { return std::sin(x); }},
        {"cos", [](double x) { return std::cos(x); }},
        {"tan", [](double x) { return std::tan(x); }},
        {"arcsin", [](double x) { return std::asin(x); }},
        {"arccos", [](double x) { return std::acos(x); }},
        {"arctan", [](double x) { return std::atan(x); }},
        {"sinh", [](double x) { return std::sinh(x); }},
        {"cosh", [](double x) { return std::cosh(x); }},
        {"tanh", [](double x) { return std::tanh(x); }},
    };
    const struct {
        const char* name;
        double (*f)(double, double);
    } binary[] = {
        {"mod", [](double x, double y) { return std::fmod(x, y); }},
        {"arctan2", [](double y, double x) { return std::atan2(y, x); }},
    };
    BuiltinTable table;
    table.SetVariable("x", 0);
    table.SetVariable("y", 0);
    for (const auto& fn : unary) {
        SCOPED_TRACE(fn.name);
        Expression e(table);
        ASSERT_TRUE(e.Compile(std::string(fn.name) + "(x)"));
        for (double x = -800; x <= 800; x += 0.37) {
            table.SetVariable("x", x);
            ASSERT_TRUE(e.Evaluate());
            ASSERT_TRUE(SameBits(e.result, fn.f(x))) << fn.name << "(" << x << ")";
        }
    }
    for (const auto& fn : binary) {
        SCOPED_TRACE(fn.name);
        Expression e(table);
        ASSERT_TRUE(e.Compile(std::string(fn.name) + "(x, y)"));
        for (double x = -20; x <= 20; x += 0.73) {
            for (double y = -20; y <= 20; y += 0.91) {
                table.SetVariable("x", x);
                table.SetVariable("y", y);
                ASSERT_TRUE(e.Evaluate());
                ASSERT_TRUE(SameBits(e.result, fn.f(x, y))) << fn.name << "(" << x << "," << y << ")";
            }
        }
    }
}

TEST(Builtins, RegisteredInOrderWithArity) {
    const char* names[] = {"abs", "floor", "ceil", "mod", "sqrt", "log", "exp", "sin", "cos",
                           "tan", "arcsin", "arccos", "arctan", "arctan2", "sinh", "cosh",
                           "tanh", "pi"};
    ASSERT_EQ(kBuiltinCount, 18);
    for (int i = 0; i < kBuiltinCount; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_STREQ(kBuiltins[i].name, names[i]);
        // Calling with one value too few fails and leaves the stack alone.
        double stack[2] = {1, 2};
        double* top = stack + (kBuiltins[i].arity > 0 ? kBuiltins[i].arity - 1 : 0);
        double* before = top;
        double r = 0;
        EXPECT_EQ(kBuiltins[i].callback(&r, stack, &top), kBuiltins[i].arity == 0);
        EXPECT_EQ(top, before);
    }
}

} // namespace
