#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "src/log.h"

namespace {

struct Captured {
    uint32_t level;
    uint32_t context;
    std::string text;
};
std::vector<Captured> captured;

void CaptureSink(uint32_t level, uint32_t context, const char* format, va_list args) {
    char buffer[2048];
    vsnprintf(buffer, sizeof buffer, format, args);
    captured.push_back({level, context, buffer});
}

// Installs the capturing sink for one test and puts the old one back.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        captured.clear();
        oldSink = logGetSink();
        oldContext = logGetContext();
        logSetSink(&CaptureSink, 77);
    }
    void TearDown() override { logSetSink(oldSink, oldContext); }
    LogSink oldSink;
    uint32_t oldContext;
};

std::string Formatted(uint32_t level, const char* format, ...) {
    FILE* file = tmpfile();
    if (!file)
        return "<no tmpfile>";
    va_list args;
    va_start(args, format);
    logWriteLine(file, level, format, args);
    va_end(args);
    std::string out;
    rewind(file);
    int c;
    while ((c = fgetc(file)) != EOF)
        out.push_back(static_cast<char>(c));
    fclose(file);
    return out;
}

TEST_F(LogTest, FilterPassesOnlyWarningsAndErrors) {
    const struct {
        uint32_t level;
        bool passes;
    } cases[] = {{1, false}, {2, false}, {4, false}, {8, false}, {16, true},
                 {32, true}, {48, true}, {64, false}, {0, false}, {0xFFFFFFFF, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        captured.clear();
        logMessage(c.level, "value %d", 5);
        ASSERT_EQ(captured.size(), c.passes ? 1u : 0u);
        if (c.passes) {
            EXPECT_EQ(captured[0].text, "value 5");
            EXPECT_EQ(captured[0].context, 77u);
        }
    }
    logSetSink(nullptr, 0);
    logMessage(LogError, "nowhere"); // no sink: nothing happens, no crash
}

TEST_F(LogTest, StandardOutputFormat) {
    EXPECT_EQ(Formatted(LogWarning, "count %d", 5), "warning: count 5\n");
    EXPECT_EQ(Formatted(LogError, "%s", "bad"), "error: bad\n");
    EXPECT_EQ(Formatted(48, "both"), "both\n");
    EXPECT_EQ(Formatted(LogDebug, "d"), "dbg: d\n");
    EXPECT_EQ(Formatted(LogAssertion, "a"), "assert: a\n");
    const std::string longText(600, 'z');
    EXPECT_EQ(Formatted(LogWarning, "%s", longText.c_str()),
              "warning: " + std::string(511, 'z') + "\n");
}

time_t FixedClock() { return 1234567890; }

TEST_F(LogTest, Timestamps) {
    logSetClock(&FixedClock);
    logSetTimestamps(true);
    EXPECT_EQ(Formatted(LogWarning, "w"), "1234567890: warning: w\n");
    logSetTimestamps(false);
    logSetClock(nullptr);
    EXPECT_EQ(Formatted(LogWarning, "w"), "warning: w\n");
}

TEST_F(LogTest, BuilderCollectsAndLogsOnce) {
    {
        LogBuilder builder(LogWarning);
        builder.append("range set to x(").append(-10.0).append(",").append(10.0).append(")");
        EXPECT_STREQ(builder.Text(), "range set to x(-10.000000,10.000000)");
        EXPECT_TRUE(captured.empty());
    }
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].text, "range set to x(-10.000000,10.000000)");
    { LogBuilder empty(LogError); }
    EXPECT_EQ(captured.size(), 1u) << "an empty builder logs nothing";
    {
        LogBuilder debug(LogDebug);
        debug.append("Graph console!");
    }
    EXPECT_EQ(captured.size(), 1u) << "debug messages are filtered";
}

TEST_F(LogTest, BuilderGrowsAndFormatsHugeNumbers) {
    std::string expected;
    {
        LogBuilder builder(LogWarning);
        for (int i = 0; i < 300; ++i) {
            builder.append("abc");
            expected += "abc";
        }
        builder.append(1e308);
        char number[400];
        snprintf(number, sizeof number, "%f", 1e308);
        expected += number;
        EXPECT_EQ(builder.Length(), expected.size());
    }
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].text, expected);
    EXPECT_EQ(expected.size(), 900u + 309u + 7u);
}

TEST_F(LogTest, NumbersUseStandardTexts) {
    // C99 texts on every platform, including the Windows runtime.
    const struct {
        double value;
        const char* text;
    } cases[] = {{0.5, "0.500000"},       {-0.0, "-0.000000"},   {1e20, "100000000000000000000.000000"},
                 {NAN, "nan"},            {-HUGE_VAL, "-inf"},   {HUGE_VAL, "inf"},
                 {2.5e-7, "0.000000"},    {123.4567894, "123.456789"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        LogBuilder builder(LogDebug);
        builder.append(c.value);
        std::string text = builder.Text();
        if (std::isnan(c.value) && text == "-nan")
            text = "nan"; // the sign of a NaN is not a number's sign
        EXPECT_EQ(text, c.text);
    }
}

} // namespace
