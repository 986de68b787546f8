// A compiled expression copied to a table of its own computes what a fresh
// compile of its text computes, bit for bit, without compiling and without
// touching its source (which is gone before the copy runs).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "expr_test_util.h"

namespace {

void Prepare(SymbolTable& table) {
    RegisterBuiltins(table);
    table.SetVariable("x", 0);
    table.SetVariable("y", -2.5);
}

// Every kind of program: a bare name or constant (no code to run), folded
// constants, values kept in registers for reuse, integer and real powers,
// one- and two-argument builtins, assignments to a new name, to the sampled
// variable and to another one, and texts that cannot be linked or run.
const char* const kTexts[] = {
    "x",          "2",           "pi()",         "y",
    "x^2+1",      "sin(x)*y+cos(2*pi()/3)",      "x^2+x^2*3-(x^2)^3",
    "x^-3+x^0.5", "mod(x,y)+arctan2(y,x)",       "sqrt(1-sin(2*x))/log(abs(x)+1)",
    "a=x*2",      "x=x+1",       "y=y+x",        "(1,x)",
    "q*x",        "nofn(x)",     "x y",          "-(-(-x))",
    "exp(x)-exp(x)+floor(x)*ceil(x)",            "tanh(sinh(cosh(x)))",
};

TEST(ExpressionCopy, ComputesTheSameBitsAsAFreshCompileAndSharesNothing) {
    std::vector<double> samples;
    for (int i = 0; i < 150; ++i) // more than two blocks of the series
        samples.push_back(-7.5 + 0.1 * i);
    samples[3] = NAN;
    samples[9] = -0.0;
    samples[11] = 1e308;
    for (const char* text : kTexts) {
        SCOPED_TRACE(text);
        SymbolTable referenceTable, copyTable;
        Prepare(referenceTable);
        RegisterBuiltins(copyTable);
        Expression reference(referenceTable);
        const bool compiles = reference.Compile(text);
        std::unique_ptr<Expression> copy;
        {
            // The source is linked (by an evaluation) and then destroyed with
            // its table, so that an address the copy kept of either would be
            // read after its end (which the sanitizer lane reports).
            SymbolTable sourceTable;
            Prepare(sourceTable);
            Expression source(sourceTable);
            ASSERT_EQ(source.Compile(text), compiles);
            if (!compiles)
                continue;
            source.Evaluate();
            // The copy's table holds the source table's variables, the name
            // an assignment made included.
            for (const auto& [name, symbol] : sourceTable.Variables())
                copyTable.SetVariable(name, symbol.value);
            const uint64_t compilesBefore = Expression::CompileCount();
            copy = std::make_unique<Expression>(copyTable);
            copy->CopyCompiled(source);
            EXPECT_EQ(Expression::CompileCount(), compilesBefore) << "a copy compiles nothing";
        }
        // The reference runs the same first evaluation, so that both tables
        // hold what an assignment made.
        reference.Evaluate();
        // One by one, then as a series (which builds the block form anew).
        for (double x : samples) {
            referenceTable.SetVariable("x", x);
            copyTable.SetVariable("x", x);
            reference.result = copy->result = 0;
            const bool ok = reference.Evaluate();
            ASSERT_EQ(copy->Evaluate(), ok) << "x=" << x;
            ASSERT_TRUE(SameBits(copy->result, reference.result))
                << "x=" << x << ": " << copy->result << " vs " << reference.result;
        }
        std::vector<double> expected(samples.size()), got(samples.size());
        const size_t okReference = reference.EvaluateSeries(
            referenceTable.FindVariable("x")->value, samples.data(), expected.data(), samples.size());
        ASSERT_EQ(copy->EvaluateSeries(copyTable.FindVariable("x")->value, samples.data(),
                                       got.data(), samples.size()),
                  okReference);
        for (size_t i = 0; i < samples.size(); ++i)
            ASSERT_TRUE(SameBits(got[i], expected[i])) << "sample " << i;
        ASSERT_EQ(copyTable.Variables().size(), referenceTable.Variables().size());
        for (const auto& [name, symbol] : referenceTable.Variables())
            EXPECT_TRUE(SameBits(copyTable.FindVariable(name)->value, symbol.value)) << name;
    }
}

// A table without a name the program reads leaves the copy to link against
// it, and then it fails as a compile over that table would.
TEST(ExpressionCopy, LinksAgainWhereTheTableLacksAName) {
    SymbolTable sourceTable, bare;
    Prepare(sourceTable);
    RegisterBuiltins(bare);
    Expression source(sourceTable);
    ASSERT_TRUE(source.Compile("x*y+1"));
    ASSERT_TRUE(source.Evaluate());
    Expression copy(bare);
    copy.CopyCompiled(source);
    EXPECT_FALSE(copy.Evaluate());
    bare.SetVariable("x", 2);
    bare.SetVariable("y", 3);
    ASSERT_TRUE(copy.Evaluate());
    EXPECT_EQ(copy.result, 7);
}

} // namespace
