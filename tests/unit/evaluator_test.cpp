#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "expr_test_util.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

TEST(Evaluate, Values) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"2^3^2", 64},   {"-2^2", -4},      {"2*-3", -6},       {"-2*3", -6},
        {"2^(-2)", 0.25}, {"2 x", 7},       {"2(3)", 3},        {".5", 0.5},
        {"5.", 5},       {".", 0},          {"(1+2", 3},        {"sin(0", 0},
        {"(1,2)", 2},    {"((1))", 1},      {"2 3", 3},         {"1-2-3", -4},
        {"8/4/2", 1},    {"1+2*3", 7},      {"(1+2)*3", 9},     {"-x^2", -49},
        {"+x", 7},       {"x-1", 6},        {"1/0", kInf},      {"-1/0", -kInf},
        {"2^1024", kInf}, {"a=(1", 1},      {"a = -3", -3},     {"a=1", 1},
        {"x2=x*2", 14},  {"1\t+\n2", 3},    {"3*(2", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        BuiltinTable table;
        table.SetVariable("x", 7);
        auto value = Calc(table, c.text);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, c.value);
    }
}

TEST(Evaluate, Failures) {
    const char* cases[] = {
        "2^-2", "--2", "+-2", "-+2", "1=2", "", "   ", "a=", "y", "sin", "Sin(0)", "PI()",
        "ln(1)", "mod(7)", "5+mod(1)", "arctan2(1)", "sin()", "pi=3", "sin=1", "b=c", "1+",
        "*2", "u", "(=1", "x=",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        BuiltinTable table;
        table.SetVariable("x", 1);
        Expression e(table);
        EXPECT_TRUE(e.Compile(text)) << "should compile";
        e.result = 42;
        EXPECT_FALSE(e.Evaluate());
        if (std::string(text) != "pi=3" && std::string(text) != "sin=1") {
            EXPECT_EQ(e.result, 42) << "a failed evaluation leaves result alone";
        }
    }
}

TEST(Evaluate, NonFiniteValuesAreValues) {
    auto nan = Calc("0/0");
    ASSERT_TRUE(nan.has_value());
    EXPECT_TRUE(std::isnan(*nan));
    auto root = Calc("sqrt(-1)");
    ASSERT_TRUE(root.has_value());
    EXPECT_TRUE(std::isnan(*root));
    EXPECT_EQ(Calc("1/0"), kInf);
    EXPECT_EQ(Calc("log(0)"), -kInf);
}

TEST(Evaluate, NeverCompiledOrEmptyFails) {
    BuiltinTable table;
    Expression never(table);
    EXPECT_FALSE(never.Evaluate());
    EXPECT_FALSE(never.EvaluateByToken());
    Expression empty(table);
    ASSERT_TRUE(empty.Compile(""));
    EXPECT_FALSE(empty.Evaluate());
}

TEST(Variables, ImmediateWindowSession) {
    BuiltinTable table;
    Expression e(table);
    auto line = [&](const char* text) -> std::optional<double> {
        if (!e.Compile(text))
            return std::nullopt;
        e.result = 0;
        if (!e.Evaluate())
            return std::nullopt;
        return e.result;
    };
    EXPECT_EQ(line("x"), std::nullopt); // x means nothing until assigned
    EXPECT_EQ(line("a=5"), 5.0);
    EXPECT_EQ(line("a*2"), 10.0);
    EXPECT_EQ(line("a=a+1"), 6.0);
    double a = 0;
    EXPECT_TRUE(table.GetVariable("a", a));
    EXPECT_EQ(a, 6.0);
    EXPECT_EQ(line("b=c"), std::nullopt);
    EXPECT_FALSE(table.GetVariable("b", a));
    EXPECT_EQ(a, 0.0);
    EXPECT_EQ(line("pi=3"), std::nullopt);
    EXPECT_EQ(line("pi()"), 3.141592653589793);
    EXPECT_EQ(line("pi"), std::nullopt);
    EXPECT_EQ(line("Pi=2"), 2.0); // names are case-sensitive
    EXPECT_EQ(line("Pi*pi()"), 2 * 3.141592653589793);
}

TEST(Variables, RefusedAssignmentStillSetsResult) {
    BuiltinTable table;
    Expression e(table);
    ASSERT_TRUE(e.Compile("sin=1+1"));
    e.result = 0;
    EXPECT_FALSE(e.Evaluate());
    EXPECT_EQ(e.result, 2.0);
    EXPECT_TRUE(table.Variables().empty());
}

TEST(SymbolTable, Operations) {
    SymbolTable table;
    double v = 99;
    EXPECT_FALSE(table.GetVariable("a", v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(table.SetVariable("a", 1.5));
    EXPECT_TRUE(table.SetVariable("a", 2.5));
    EXPECT_TRUE(table.GetVariable("a", v));
    EXPECT_EQ(v, 2.5);
    EXPECT_FALSE(table.GetVariable("A", v));

    RegisterBuiltins(table);
    EXPECT_EQ(table.Functions().size(), 18u);
    RegisterBuiltins(table);
    EXPECT_EQ(table.Functions().size(), 18u);
    EXPECT_FALSE(table.SetVariable("sin", 1));
    EXPECT_FALSE(table.GetVariable("sin", v)); // functions are not variables

    auto callback = [](double* r, double*, double**) { *r = 5; return true; };
    table.AddFunction("sin", callback); // first registration wins
    double stack[4] = {0.5};
    double* top = stack + 1;
    double r = 7;
    ASSERT_TRUE(table.CallFunction("sin", stack, top, r));
    EXPECT_EQ(r, std::sin(0.5));
    EXPECT_EQ(top, stack);
    r = 7;
    EXPECT_FALSE(table.CallFunction("sin", stack, top, r)); // nothing to pop
    EXPECT_EQ(r, 0.0);
    EXPECT_EQ(top, stack);
    EXPECT_FALSE(table.CallFunction("nope", stack, top, r));
    table.AddFunction("nullfn", nullptr);
    EXPECT_FALSE(table.CallFunction("nullfn", stack, top, r));
}

TEST(Variables, CallerBindingSurvivesFailure) {
    BuiltinTable table;
    table.SetVariable("x", 3);
    Expression e(table);
    ASSERT_TRUE(e.Compile("x+undefined"));
    EXPECT_FALSE(e.Evaluate());
    double x = 0;
    EXPECT_TRUE(table.GetVariable("x", x));
    EXPECT_EQ(x, 3.0);
}

TEST(Evaluate, LongestTextFitsTheStack) {
    // The token limit keeps the stack below its 1024 values: 1023 values,
    // the most a text can push, evaluate to the last one.
    std::string text;
    for (int i = 0; i < 1022; ++i)
        text += "1 ";
    text += "2";
    BuiltinTable table;
    Expression e(table);
    ASSERT_TRUE(e.Compile(text));
    ASSERT_TRUE(e.Evaluate());
    EXPECT_EQ(e.result, 2.0);
    ASSERT_TRUE(e.EvaluateByToken());
}

} // namespace
