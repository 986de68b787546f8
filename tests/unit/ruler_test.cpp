// Tick spacing and the labels of the two scale rulers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "plot/plotter.h"
#include "plot/ruler.h"

namespace {

Plotter View(int32_t width, int32_t height, double xMin, double xMax, double yMin, double yMax) {
    Plotter p;
    p.SetCanvas(nullptr, 4 * width, width, height);
    EXPECT_TRUE(p.SetRange(xMin, xMax, yMin, yMax));
    return p;
}

std::string Describe(const std::vector<RulerLabel>& labels) {
    std::string text;
    for (const RulerLabel& label : labels) {
        text += '[';
        text += std::to_string(label.position);
        text += ' ';
        text += label.text;
        text += "] ";
    }
    return text;
}

// ---------------------------------------------------------------- tick step

TEST(TickStep, WorkedExamples) {
    const struct {
        int32_t pixels;
        double span;
        double step;
        int decimals;
    } cases[] = {
        {400, 20, 5, 0},     // n = 6, d = 10, floor(20 / 5) = 4 < 6
        {600, 1, 0.1, 1},    // n = 10, d = 0.1, floor(1 / 0.05) = 20: not below 10
        {600, 20, 5, 0},
        {300, 20, 5, 0},     // n = 5
        {400, 2, 0.5, 1},    // d = 1, halved below 1: one more decimal
        {400, 0.02, 0.005, 3},
        {800, 2000, 500, 0},
        {120, 1000, 1000, 0}, // n = 2, d = 1000, floor(1000 / 500) = 2 is not below 2
        {60, 7, 10, 0},       // one tick
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.pixels) + " px, span " + std::to_string(c.span));
        const TickSpacing tick = TickStep(c.pixels, c.span, 60);
        EXPECT_DOUBLE_EQ(tick.step, c.step);
        EXPECT_EQ(tick.decimals, c.decimals);
    }
}

TEST(TickStep, NoTicksBelowTheMinimumSpacing) {
    for (int32_t pixels : {59, 1, 0, -1, -600}) {
        SCOPED_TRACE(std::to_string(pixels) + " px");
        EXPECT_EQ(TickStep(pixels, 20, 60).step, 0);
    }
    EXPECT_EQ(TickStep(400, 20, 0).step, 0) << "no spacing, no ticks";
}

// Over a sweep of sizes and spans: the step is a power of ten or half of
// one, at most pixels / 60 ticks fit the span while the next smaller step
// would give at least as many, and the decimals show the step exactly
// without a useless trailing digit.
TEST(TickStep, StepsAreRoundAndAsSmallAsFits) {
    const double mantissas[] = {1.3, 2.7, 3.7, 7.9};
    const int32_t sizes[] = {60, 119, 400, 601, 1920};
    for (int exponent = -6; exponent <= 6; ++exponent)
        for (double mantissa : mantissas)
            for (int32_t pixels : sizes) {
                const double span = mantissa * std::pow(10.0, exponent);
                SCOPED_TRACE(std::to_string(pixels) + " px, span " + std::to_string(span));
                const int32_t n = pixels / 60;
                const TickSpacing tick = TickStep(pixels, span, 60);
                ASSERT_GT(tick.step, 0);

                const double power = std::pow(10.0, std::floor(std::log10(tick.step) + 1e-9));
                const double lead = tick.step / power;
                const bool one = std::fabs(lead - 1) < 1e-9, five = std::fabs(lead - 5) < 1e-9;
                ASSERT_TRUE(one || five) << "step " << tick.step;

                EXPECT_LE(span / tick.step, n * (1 + 1e-12));
                const double smaller = tick.step / (one ? 2 : 5);
                EXPECT_GE(span / smaller, n * (1 - 1e-12)) << "step " << tick.step;

                char text[64];
                std::snprintf(text, sizeof text, "%.*f", tick.decimals, tick.step);
                EXPECT_NEAR(std::strtod(text, nullptr), tick.step, tick.step * 1e-9) << text;
                if (tick.decimals > 0) {
                    std::snprintf(text, sizeof text, "%.*f", tick.decimals - 1, tick.step);
                    EXPECT_GT(std::fabs(std::strtod(text, nullptr) - tick.step), tick.step * 1e-3)
                        << "one decimal fewer would do: " << text;
                }
            }
}

// ---------------------------------------------------------------- labels

TEST(RulerLabels, DefaultViewIsLabelledEveryFiveUnits) {
    // -10 falls on column 0, too close to the edge; 10 is not below xMax.
    const Plotter p = View(400, 300, -10, 10, -10, 10);
    const auto horizontal = HorizontalRulerLabels(p);
    ASSERT_EQ(horizontal.size(), 3u) << Describe(horizontal);
    const struct {
        int32_t position;
        const char* text;
    } expectedX[] = {{100, "-5"}, {200, "0"}, {300, "5"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(horizontal[i].position, expectedX[i].position);
        EXPECT_EQ(horizontal[i].text, expectedX[i].text);
    }

    // The vertical ruler counts rows from the top: values run upwards.
    const auto vertical = VerticalRulerLabels(p);
    ASSERT_EQ(vertical.size(), 3u) << Describe(vertical);
    const struct {
        int32_t position;
        const char* text;
    } expectedY[] = {{225, "-5"}, {150, "0"}, {75, "5"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(vertical[i].position, expectedY[i].position);
        EXPECT_EQ(vertical[i].text, expectedY[i].text);
    }
}

TEST(RulerLabels, TextHasTheDecimalsOfTheStep) {
    // Step 0.1 over 0 .. 1 on 600 pixels: one decimal, a label every 60 px;
    // 0 sits on the edge and is not labelled.
    const Plotter p = View(600, 600, 0, 1, 0, 1);
    const auto labels = HorizontalRulerLabels(p);
    ASSERT_EQ(labels.size(), 9u) << Describe(labels);
    for (size_t i = 0; i < labels.size(); ++i) {
        std::string expected = "0.";
        expected += static_cast<char>('1' + i);
        EXPECT_EQ(labels[i].text, expected);
        EXPECT_EQ(labels[i].position, 60 * static_cast<int32_t>(i + 1));
    }

    // Far from zero the whole number is written out, no exponent.
    const Plotter big = View(400, 300, 1e20, 3e20, -10, 10);
    const auto bigLabels = HorizontalRulerLabels(big);
    ASSERT_FALSE(bigLabels.empty());
    for (const RulerLabel& label : bigLabels) {
        EXPECT_EQ(label.text.find_first_not_of("0123456789"), std::string::npos) << label.text;
        EXPECT_EQ(label.text.size(), 21u) << label.text;
    }
}

TEST(RulerLabels, ValueReachedByAdditionCanReadMinusZero) {
    // Step 0.1 from -1.0: ten additions end just below zero.
    const Plotter p = View(1200, 300, -1.0, 0.5, -10, 10);
    const TickSpacing tick = TickStep(1200, 1.5, 60);
    ASSERT_DOUBLE_EQ(tick.step, 0.1);
    ASSERT_EQ(tick.decimals, 1);
    const auto labels = HorizontalRulerLabels(p);
    bool minusZero = false, plainZero = false;
    for (const RulerLabel& label : labels) {
        minusZero = minusZero || label.text == "-0.0";
        plainZero = plainZero || label.text == "0.0";
    }
    EXPECT_TRUE(minusZero) << Describe(labels);
    EXPECT_FALSE(plainZero) << Describe(labels);
}

TEST(RulerLabels, VerticalLabelsRunUpwards) {
    const Plotter p = View(300, 700, -3, 3, -0.35, 2.2);
    const auto labels = VerticalRulerLabels(p);
    ASSERT_GE(labels.size(), 3u) << Describe(labels);
    for (size_t i = 1; i < labels.size(); ++i) {
        EXPECT_LT(labels[i].position, labels[i - 1].position) << Describe(labels);
        EXPECT_GT(std::strtod(labels[i].text.c_str(), nullptr),
                  std::strtod(labels[i - 1].text.c_str(), nullptr));
    }
}

TEST(RulerLabels, StayClearOfBothEnds) {
    for (int32_t size : {60, 61, 90, 119, 400, 1000}) {
        for (double shift : {0.0, 0.37, -2.5}) {
            SCOPED_TRACE(std::to_string(size) + " px, shifted " + std::to_string(shift));
            const Plotter p = View(size, size, -1 + shift, 1 + shift, -1 + shift, 1 + shift);
            for (const auto& labels : {HorizontalRulerLabels(p), VerticalRulerLabels(p)})
                for (const RulerLabel& label : labels) {
                    EXPECT_GE(label.position, 30);
                    EXPECT_LT(label.position, size - 30);
                }
        }
    }
    const Plotter narrow = View(59, 59, -10, 10, -10, 10);
    EXPECT_TRUE(HorizontalRulerLabels(narrow).empty());
    EXPECT_TRUE(VerticalRulerLabels(narrow).empty());
}

TEST(RulerLabels, ExtremeZoomEndsWithFewLabels) {
    const double one = 1.0, million = 1e6;
    const struct {
        const char* name;
        double min, max;
    } cases[] = {
        {"1 .. 1 + 1e-12", 1, 1 + 1e-12},
        {"one ulp at 1", one, std::nextafter(one, 2.0)},
        {"two ulps at 1e6: the step no longer moves the value", million,
         std::nextafter(std::nextafter(million, 2e6), 2e6)},
        {"1e17 .. 1e17 + 64: steps round", 1e17, 1e17 + 64},
        {"tiny around zero", -1e-300, 1e-300},
        {"subnormal span", -1e-310, 1e-310},
        {"near the largest span", -8e307, 8e307},
        {"huge offset", 1e300, 1.0000000000001e300},
    };
    for (const auto& c : cases)
        for (int32_t pixels : {400, 1000, 61}) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(pixels) + " px");
            const Plotter p = View(pixels, pixels, c.min, c.max, c.min, c.max);
            const size_t bound = static_cast<size_t>(pixels / 60 + 2);
            for (const auto& labels : {HorizontalRulerLabels(p), VerticalRulerLabels(p)}) {
                EXPECT_LE(labels.size(), bound) << Describe(labels);
                for (const RulerLabel& label : labels)
                    EXPECT_FALSE(label.text.empty());
            }
        }
}

// On a display of higher resolution the canvas has more pixels for the same
// view; the rulers then carry the same labels at the scaled positions.
TEST(RulerLabels, ScaleWithTheDisplayResolution) {
    const struct {
        int32_t width, height;
        double xMin, xMax;
    } views[] = {{400, 300, -10, 10}, {600, 600, 0, 1}, {977, 613, -3.7, 12.9}};
    for (const auto& v : views)
        for (int32_t dpi : {120, 144, 192, 288}) {
            SCOPED_TRACE(std::to_string(v.width) + "x" + std::to_string(v.height) + " at " +
                         std::to_string(dpi));
            const Plotter base = View(v.width, v.height, v.xMin, v.xMax, v.xMin, v.xMax);
            const Plotter scaled = View(ScaleToDpi(v.width, dpi), ScaleToDpi(v.height, dpi),
                                        v.xMin, v.xMax, v.xMin, v.xMax);
            const auto pairs = {std::pair(HorizontalRulerLabels(base), HorizontalRulerLabels(scaled, dpi)),
                                std::pair(VerticalRulerLabels(base), VerticalRulerLabels(scaled, dpi))};
            for (const auto& [at96, atDpi] : pairs) {
                ASSERT_EQ(at96.size(), atDpi.size()) << Describe(at96) << " / " << Describe(atDpi);
                for (size_t i = 0; i < at96.size(); ++i) {
                    EXPECT_EQ(at96[i].text, atDpi[i].text);
                    EXPECT_NEAR(atDpi[i].position, ScaleToDpi(at96[i].position, dpi), dpi / 96 + 1);
                }
            }
        }
    const struct {
        int32_t pixels, dpi, expected;
    } scales[] = {{60, 96, 60}, {60, 192, 120}, {30, 144, 45}, {3, 120, 4}, {-3, 120, -4},
                  {60, 0, 60},  {60, -5, 60},   {INT32_MAX, 192, INT32_MAX}, {1, 47, 0}};
    for (const auto& s : scales)
        EXPECT_EQ(ScaleToDpi(s.pixels, s.dpi), s.expected) << s.pixels << " at " << s.dpi;
}

} // namespace
