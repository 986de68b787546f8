#include <gtest/gtest.h>

#include <string>

#include "expr_test_util.h"
#include "imm/immediate_line.h"

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

TEST(ImmediateLine, LongLinesAreCutTo999Characters) {
    BuiltinTable table;
    Expression expression(table);
    // 999 characters of "1+1+...+1" (500 ones), then more that must be ignored.
    std::string line = "1";
    while (line.size() < 999)
        line += "+1";
    ASSERT_EQ(line.size(), 999u);
    ImmediateEntry entry = SubmitImmediateLine(expression, line + "+1000");
    EXPECT_EQ(entry.text.size(), 999u);
    EXPECT_EQ(ImmediateResultText(entry), "  500.000000");
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
