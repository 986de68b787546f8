#include <gtest/gtest.h>

#include <string>

#include "expr/immediate_line.h"
#include "expr_test_util.h"

namespace {

TEST(ImmediateLine, ResultRows) {
    const struct {
        const char* line;
        const char* row;
    } session[] = {
        {"a=2", "  2.000000"},   {"a*3", "  6.000000"},  {"pi()", "  3.141593"},
        {"-1/3", "  -0.333333"}, {"1/0", "  NaN"},       {"sqrt(-1)", "  NaN"},
        {"-1/0", "  NaN"},       {"2^-2", " Error"},     {"--2", " Error"},
        {"sin", " Error"},       {"1+", " Error"},       {"x", " Error"},
        {"", ""},                {" \t\r\v\f", ""},      {"1e5", " Error"},
        {"1+1\r", " Error"},     {"10^300*10^9", "  NaN"}, {"0.0000004", "  0.000000"},
        {"-0.0000004", "  -0.000000"},
    };
    BuiltinTable table;
    Expression expression(table);
    for (const auto& step : session) {
        SCOPED_TRACE(step.line);
        ImmediateEntry entry = SubmitImmediateLine(expression, step.line);
        EXPECT_EQ(ImmediateResultText(entry), step.row);
    }
}

TEST(ImmediateLine, BlankLinesAreNotEvaluated) {
    BuiltinTable table;
    Expression expression(table);
    ImmediateEntry entry = SubmitImmediateLine(expression, "   ");
    EXPECT_TRUE(entry.text.empty());
    EXPECT_FALSE(entry.evaluated);
    EXPECT_EQ(ImmediateResultText(entry), "");
    entry = SubmitImmediateLine(expression, " 1 ");
    EXPECT_EQ(entry.text, " 1 ") << "kept as typed";
    EXPECT_TRUE(entry.evaluated);
}

// The engine takes 999 characters: a longer line is an error, whatever its
// first 999 characters would give, and it assigns nothing.
TEST(ImmediateLine, LinesLongerThan999CharactersAreErrors) {
    std::string sum = "1"; // "1+1+...+1", 999 characters
    while (sum.size() < 999)
        sum += "+1";
    ASSERT_EQ(sum.size(), 999u);
    const std::string assignment = "a=2" + std::string(996, ' ');
    const struct {
        std::string line;
        const char* row;
    } session[] = {
        {sum, "  500.000000"},
        {sum + " ", " Error"},
        {sum + "+1000", " Error"},
        {std::string(1000, ' '), " Error"},
        {assignment, "  2.000000"},
        {"a=5" + std::string(997, ' '), " Error"},
        {"a", "  2.000000"},
    };
    BuiltinTable table;
    Expression expression(table);
    for (const auto& step : session) {
        SCOPED_TRACE(step.line.size());
        const ImmediateEntry entry = SubmitImmediateLine(expression, step.line);
        EXPECT_EQ(entry.text, step.line.substr(0, 999)) << "kept cut to 999 characters";
        EXPECT_EQ(ImmediateResultText(entry), step.row);
    }
}

TEST(ImmediateLine, HugeValuesAreShownInFull) {
    BuiltinTable table;
    Expression expression(table);
    ImmediateEntry entry = SubmitImmediateLine(expression, "10^300");
    const std::string row = ImmediateResultText(entry);
    ASSERT_EQ(row.substr(0, 3), "  1");
    EXPECT_EQ(row.size(), 2u + 301u + 7u);
    EXPECT_EQ(row.substr(row.size() - 7), ".000000");
    // The text reads back as the very value (whatever the platform's pow gave).
    EXPECT_EQ(std::strtod(row.c_str(), nullptr), entry.value);
}

} // namespace
