// Evaluate links the postfix array into a faster form; these tests hold it to
// the token-by-token evaluation, bit for bit, and check that the linked form
// follows every change of the symbol table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "expr_test_util.h"

namespace {

// Random texts over the whole language, well-formed or not: they exercise
// signs, surplus values, open groups, assignments and every builtin.
class TextGenerator {
public:
    explicit TextGenerator(uint32_t seed) : rng(seed) {}

    std::string Expression(int depth) {
        switch (Pick(depth > 0 ? 9 : 3)) {
        case 0: return Atom();
        case 1: return Atom();
        case 2: return Pick(2) ? "-" + Atom() : Atom();
        case 3: return Expression(depth - 1) + Op() + Expression(depth - 1);
        case 4: return "(" + Expression(depth - 1) + ")";
        case 5: return Function() + "(" + Expression(depth - 1) + ")";
        case 6: return Function() + "(" + Expression(depth - 1) + "," + Expression(depth - 1) + ")";
        case 7: return Sign() + Expression(depth - 1);
        default: return Junk() + Expression(depth - 1);
        }
    }

    std::string Text() {
        std::string body = Expression(4);
        switch (Pick(6)) {
        case 0: return Name() + "=" + body;
        case 1: return body + " " + Atom();
        default: return body;
        }
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    std::string Name() {
        static const char* names[] = {"x", "y", "a", "t", "sin", "pi", "q"};
        return names[Pick(7)];
    }
    std::string Atom() {
        static const char* atoms[] = {"x", "y", "a", "2", "0", "0.5", "3.", "10", "1e", "pi()",
                                      "q", ".", "7", "1024", "x", "x", "3", "16", "17"};
        return atoms[Pick(19)];
    }
    std::string Op() {
        static const char* ops[] = {"+", "-", "*", "/", "^", " ", ","};
        return ops[Pick(7)];
    }
    std::string Sign() { return Pick(2) ? "-" : "+"; }
    std::string Function() {
        static const char* fns[] = {"abs", "floor", "ceil", "mod", "sqrt", "log", "exp",
                                    "sin", "cos", "tan", "arcsin", "arccos", "arctan",
                                    "arctan2", "sinh", "cosh", "tanh", "pi", "nofn"};
        return fns[Pick(19)];
    }
    std::string Junk() {
        static const char* junk[] = {"(", ")", ",", "^", "=", "--", "2 "};
        return junk[Pick(7)];
    }
    std::mt19937 rng;
};

void Prepare(SymbolTable& table) {
    RegisterBuiltins(table);
    table.SetVariable("y", -2.5);
    table.SetVariable("a", 1e300);
}

TEST(FastPath, MatchesTokenByTokenEvaluation) {
    TextGenerator generator(12345);
    // Besides the usual values: squares and cubes that lie next to a
    // halfway point between two doubles (pow and the plain product differ
    // there), an exactly halfway square, and powers near overflow and
    // underflow.
    const double samples[] = {0.0, -0.0, 1.0, -3.75, 1e-310, 1e308, -HUGE_VAL, NAN, 2.5, 1e-3,
                              0x1.0ffccde72eb1ep+3, -0x1.c7d5d3a72b30bp+2, 134217727.0, 1e154,
                              1e-160, 0x1p-128};
    int compiled = 0, succeeded = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string text = generator.Text();
        SCOPED_TRACE(text);
        SymbolTable fastTable, slowTable;
        Prepare(fastTable);
        Prepare(slowTable);
        Expression fast(fastTable), slow(slowTable);
        const bool ok = fast.Compile(text);
        ASSERT_EQ(ok, slow.Compile(text));
        if (!ok)
            continue;
        ++compiled;
        for (double x : samples) {
            fastTable.SetVariable("x", x);
            slowTable.SetVariable("x", x);
            fast.result = slow.result = 0;
            const bool fastOk = fast.Evaluate();
            ASSERT_EQ(fastOk, slow.EvaluateByToken()) << "x=" << x;
            ASSERT_TRUE(SameBits(fast.result, slow.result))
                << "x=" << x << " fast " << fast.result << " slow " << slow.result;
            succeeded += fastOk;
        }
        // Assignments leave both tables alike.
        ASSERT_EQ(fastTable.Variables().size(), slowTable.Variables().size());
        for (const auto& [name, symbol] : fastTable.Variables()) {
            double other = 0;
            ASSERT_TRUE(slowTable.GetVariable(name, other)) << name;
            ASSERT_TRUE(SameBits(symbol.value, other)) << name;
        }
    }
    // The generator must reach both outcomes often, or this test proves little.
    EXPECT_GT(compiled, 1000);
    EXPECT_GT(succeeded, 3000);
}

// Runs the per-sample loop that EvaluateSeries stands for.
size_t LoopSeries(Expression& e, double& variable, const std::vector<double>& values,
                  std::vector<double>& results) {
    size_t succeeded = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        variable = values[i];
        e.result = 0;
        const bool ok = e.Evaluate();
        results[i] = ok ? e.result : 0;
        succeeded += ok;
    }
    return succeeded;
}

void ExpectSameTables(const SymbolTable& a, const SymbolTable& b) {
    ASSERT_EQ(a.Variables().size(), b.Variables().size());
    for (const auto& [name, symbol] : a.Variables()) {
        double other = 0;
        ASSERT_TRUE(b.GetVariable(name, other)) << name;
        ASSERT_TRUE(SameBits(symbol.value, other)) << name << " " << symbol.value << " " << other;
    }
}

TEST(Series, MatchesThePerSampleLoop) {
    TextGenerator generator(777);
    std::vector<std::string> texts = {"x=x*2", "a=x", "y=y+x", "a=a+1", "q=x^2", "sin=x",
                                      "x", "2", "t", "x^2+1", "(1,x)", "x=3",
                                      // parts that do not depend on x, computed once
                                      "y", "y*2", "x (y*2)", "sin(y)*x+cos(y)", "(y+1)^2*x-y^3",
                                      "sqrt(1-sin(2*x)+cos(pi()/y)/3)", "mod(y,x)+y^x+x^y",
                                      "q=sin(y)*x^2", "-(y^2)+x*(y/3)-(2*y)", "(x^2+1,x^2)",
                                      "x^2+x^3+x^4+x^5+x^6+x^7+x^8+x^16+x^17+x^(-2)+x^(-1)+x^0"};
    for (int i = 0; i < 3000; ++i)
        texts.push_back(generator.Text());
    std::vector<double> values;
    for (int i = 0; i < 300; ++i) // longer than one block, not a multiple of it
        values.push_back(-10 + 20.0 * i / 299);
    values[17] = NAN;
    values[100] = HUGE_VAL;
    const double special[] = {-0.0, -HUGE_VAL, 1e200, 1e-200, 1e154, 0x1p-128, 134217727.0,
                              0x1.0ffccde72eb1ep+3, -0x1.c7d5d3a72b30bp+2, 0x1.6a09e667f3bcdp+0};
    std::copy(std::begin(special), std::end(special), values.begin() + 50);
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        SymbolTable seriesTable, loopTable;
        Prepare(seriesTable);
        Prepare(loopTable);
        seriesTable.SetVariable("x", 0);
        loopTable.SetVariable("x", 0);
        Expression series(seriesTable), loop(loopTable);
        if (!series.Compile(text) || !loop.Compile(text))
            continue;
        for (int run = 0; run < 2; ++run) { // a second run reuses the block form
            std::vector<double> a(values.size()), b(values.size());
            const size_t okSeries = series.EvaluateSeries(seriesTable.FindVariable("x")->value,
                                                          values.data(), a.data(), a.size());
            const size_t okLoop = LoopSeries(loop, loopTable.FindVariable("x")->value, values, b);
            ASSERT_EQ(okSeries, okLoop);
            for (size_t k = 0; k < values.size(); ++k)
                ASSERT_TRUE(SameBits(a[k], b[k])) << "sample " << k << ": " << a[k] << " vs " << b[k];
            ASSERT_TRUE(SameBits(series.result, loop.result));
            ExpectSameTables(seriesTable, loopTable);
            seriesTable.SetVariable("y", 4.5 + run); // the block form must see this
            loopTable.SetVariable("y", 4.5 + run);
        }
    }
}

TEST(Series, CustomCallbacksAndEmptySeries) {
    SymbolTable table;
    RegisterBuiltins(table);
    table.AddFunction("twice", [](double* r, double* base, double** top) {
        if (*top - base < 1)
            return false;
        *r = 2 * *--*top;
        return true;
    });
    table.SetVariable("x", 0);
    Expression e(table);
    ASSERT_TRUE(e.Compile("twice(x)+1"));
    double& x = table.FindVariable("x")->value;
    const double values[] = {1, 2, 3};
    double results[3] = {};
    EXPECT_EQ(e.EvaluateSeries(x, values, results, 0), 0u);
    EXPECT_EQ(e.EvaluateSeries(x, values, results, 3), 3u);
    EXPECT_EQ(results[0], 3.0);
    EXPECT_EQ(results[2], 7.0);
    EXPECT_EQ(x, 3.0);
    ASSERT_TRUE(e.Compile("twice()"));
    EXPECT_EQ(e.EvaluateSeries(x, values, results, 3), 0u);
    EXPECT_EQ(results[1], 0.0);
}

TEST(FastPath, SeesSetVariableBetweenEvaluations) {
    BuiltinTable table;
    table.SetVariable("x", 1);
    Expression e(table);
    ASSERT_TRUE(e.Compile("x*x+sin(x)"));
    for (double x : {1.0, 2.0, -3.0, 0.5}) {
        table.SetVariable("x", x);
        ASSERT_TRUE(e.Evaluate());
        EXPECT_EQ(e.result, x * x + std::sin(x));
    }
}

TEST(FastPath, VariableAssignedLater) {
    BuiltinTable table;
    Expression use(table), define(table);
    ASSERT_TRUE(use.Compile("b*2"));
    EXPECT_FALSE(use.Evaluate());
    EXPECT_FALSE(use.Evaluate()); // still missing
    ASSERT_TRUE(define.Compile("b=4"));
    ASSERT_TRUE(define.Evaluate());
    ASSERT_TRUE(use.Evaluate());
    EXPECT_EQ(use.result, 8.0);
    ASSERT_TRUE(define.Compile("b=b+1")); // now reads and writes the same symbol
    ASSERT_TRUE(define.Evaluate());
    ASSERT_TRUE(define.Evaluate());
    ASSERT_TRUE(use.Evaluate());
    EXPECT_EQ(use.result, 12.0);
}

TEST(FastPath, TableSharedByExpressions) {
    BuiltinTable table;
    table.SetVariable("x", 3);
    Expression producer(table), consumer(table);
    ASSERT_TRUE(producer.Compile("a=x^2"));
    ASSERT_TRUE(consumer.Compile("a-1"));
    ASSERT_TRUE(producer.Evaluate());
    ASSERT_TRUE(consumer.Evaluate());
    EXPECT_EQ(consumer.result, 8.0);
    table.SetVariable("x", 4);
    ASSERT_TRUE(producer.Evaluate());
    ASSERT_TRUE(consumer.Evaluate());
    EXPECT_EQ(consumer.result, 15.0);
}

TEST(FastPath, FunctionRegisteredLaterAndCustomCallbacks) {
    SymbolTable table;
    Expression e(table);
    ASSERT_TRUE(e.Compile("twice(3)+sin(0)"));
    EXPECT_FALSE(e.Evaluate());
    table.AddFunction("twice", [](double* r, double* base, double** top) {
        if (*top - base < 1)
            return false;
        *r = 2 * *--*top;
        return true;
    });
    EXPECT_FALSE(e.Evaluate()); // sin is still missing
    RegisterBuiltins(table);
    ASSERT_TRUE(e.Evaluate());
    EXPECT_EQ(e.result, 6.0);
    ASSERT_TRUE(e.Compile("twice()"));
    EXPECT_FALSE(e.Evaluate());
}

TEST(FastPath, RecompileDropsTheOldLink) {
    BuiltinTable table;
    table.SetVariable("x", 2);
    Expression e(table);
    ASSERT_TRUE(e.Compile("x"));
    ASSERT_TRUE(e.Evaluate());
    ASSERT_TRUE(e.Compile("x+1"));
    ASSERT_TRUE(e.Evaluate());
    EXPECT_EQ(e.result, 3.0);
    ASSERT_TRUE(e.Compile("2^-2"));
    EXPECT_FALSE(e.Evaluate());
    ASSERT_TRUE(e.Compile("mod(x,3)"));
    ASSERT_TRUE(e.Evaluate());
    EXPECT_EQ(e.result, 2.0);
}

TEST(FastPath, ConstantSubexpressionsKeepTheirBits) {
    // sqrt(2*pi()) and friends are computed once; the value must be exactly
    // the one the token-by-token evaluation computes each time.
    const char* texts[] = {"exp(-0.5*x^2)/sqrt(2*pi())*cos(3*x)+abs(x)/(1+x^2)",
                           "0.1+0.2+x", "x+0.1+0.2", "-(-(1/3))*x", "mod(10,3)^x",
                           "arctan2(1,x)+arctan2(x,2)", "(1-2)-x-(3/7)",
                           // values computed more than once are computed once
                           "x^2+x^2", "(x+1)^2*(x+1)^2-(x+1)", "sin(x)+sin(x)*sin(x)/sin(x)",
                           "mod(x,3)-mod(x,3)^mod(x,3)", "-x*-x+(-x)", "x^x 2 x^x x^x",
                           "exp(-x)/(exp(-x)+exp(-x)^2)+sqrt(abs(x))*sqrt(abs(x))"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        BuiltinTable t1, t2;
        Expression fast(t1), slow(t2);
        ASSERT_TRUE(fast.Compile(text));
        ASSERT_TRUE(slow.Compile(text));
        for (double x = -10; x <= 10; x += 0.1) {
            t1.SetVariable("x", x);
            t2.SetVariable("x", x);
            ASSERT_TRUE(fast.Evaluate());
            ASSERT_TRUE(slow.EvaluateByToken());
            ASSERT_TRUE(SameBits(fast.result, slow.result)) << x;
        }
    }
}

} // namespace
