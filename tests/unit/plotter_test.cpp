// The graph model and its pixel arithmetic: world-to-pixel mapping, range
// checks, equation checks and the segment drawing every curve is made of.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "plot/plot_checks.h"
#include "plot/plotter.h"
#include "src/zr_line.h"

namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A plotter of the given size with no pixels, for the mapping alone.
Plotter Sized(int32_t width, int32_t height) {
    Plotter plotter;
    plotter.SetCanvas(nullptr, 4 * width, width, height);
    return plotter;
}

struct Range {
    double xMin, xMax, yMin, yMax;
};

void ExpectRange(const Plotter& p, const Range& r) {
    EXPECT_EQ(p.xMin, r.xMin);
    EXPECT_EQ(p.xMax, r.xMax);
    EXPECT_EQ(p.yMin, r.yMin);
    EXPECT_EQ(p.yMax, r.yMax);
}

// ---------------------------------------------------------------- mapping

TEST(PlotterMapping, ColumnsFollowTheFormulaTruncatingTowardZero) {
    // Default range -10 .. 10 over 400 columns: 20 columns per unit.
    const Plotter p = Sized(400, 300);
    const struct {
        double x;
        int32_t column;
    } cases[] = {
        {-10, 0},      {10, 400},      {0, 200},     {5, 300},
        {-0.025, 200}, // 199.5 + 0.5
        {-0.0251, 199},
        {-10.05, 0},   // -1 + 0.5 = -0.5 truncates to 0, not down to -1
        {-10.1, -1},   // -1.5 -> -1
        {-20, -199},   // -199.5 truncates up
        {30, 800},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("x = " + std::to_string(c.x));
        EXPECT_EQ(p.XToColumn(c.x), c.column);
    }
}

TEST(PlotterMapping, RowsCountDownFromTheTop) {
    const Plotter p = Sized(400, 300);
    const struct {
        double y;
        int32_t row;
    } cases[] = {
        {10, 0},      // the top edge
        {-10, 300},   // one below the last row
        {0, 150},     {5, 75},
        {-10.05, 300}, // -0.75 + 0.5 truncates to 0
        {-10.2, 302},  // -3 + 0.5 truncates to -2
        {20, -150},   {-40, 749},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("y = " + std::to_string(c.y));
        EXPECT_EQ(p.YToRow(c.y), c.row);
    }
}

TEST(PlotterMapping, ValuesBeyondThe32BitRangeSaturateBySign) {
    const Plotter p = Sized(400, 300);
    const struct {
        const char* name;
        double value;
        int32_t column, row;
    } cases[] = {
        {"1e300", 1e300, kMax32, kMin32},
        {"-1e300", -1e300, kMin32, kMax32},
        {"1e308", 1e308, kMax32, kMin32}, // the scaled value overflows to infinity
        {"-1e308", -1e308, kMin32, kMax32},
        {"1e12", 1e12, kMax32, kMin32},
        {"-1e12", -1e12, kMin32, kMax32},
        {"+inf (as 1/0)", kInf, kMax32, kMin32},
        {"-inf", -kInf, kMin32, kMax32},
        {"NaN", kNaN, kMin32, kMin32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(p.XToColumn(c.value), c.column);
        EXPECT_EQ(p.YToRow(c.value), c.row);
    }
}

TEST(PlotterMapping, SaturationStartsExactlyAtThe32BitLimits) {
    // One pixel per unit and an offset of one half: column = trunc(x + 0.5),
    // row = 1 - trunc(y + 0.5), so the limits can be hit exactly.
    Plotter p = Sized(1, 1);
    ASSERT_TRUE(p.SetRange(0, 1, 0, 1));
    const struct {
        double x;
        int32_t column;
    } columns[] = {
        {2147483646.0, 2147483646},   {2147483646.5, kMax32}, // exactly 2^31 - 1
        {2147483647.5, kMax32},       {4294967296.0, kMax32}, // saturated
        {2000000000.0, 2000000000},   {-2000000000.0, -1999999999},
        {-2147483647.5, -2147483647}, {-2147483648.5, kMin32},
        {-2147483650.0, kMin32},      {-4294967296.0, kMin32},
    };
    for (const auto& c : columns) {
        SCOPED_TRACE("x = " + std::to_string(c.x));
        EXPECT_EQ(p.XToColumn(c.x), c.column);
    }
    const struct {
        double y;
        int32_t row;
    } rows[] = {
        {-2147483645.0, 2147483645},
        {-2147483646.0, 2147483646},
        {-2147483646.5, kMax32},    // 1 + 2^31 - 2: exact
        {-2147483648.0, kMax32},    // 1 + 2^31 - 1 = 2^31: saturated
        {2147483649.0, kMin32},     // 1 - 2147483649 = -2^31: exact
        {2147483648.0, -2147483647},
        {2147483650.0, kMin32},
        {9.3e18, kMin32},           // beyond the 64-bit range as well
        {-9.3e18, kMax32},
    };
    for (const auto& c : rows) {
        SCOPED_TRACE("y = " + std::to_string(c.y));
        EXPECT_EQ(p.YToRow(c.y), c.row);
    }
}

TEST(PlotterMapping, HugeHeightMinusHugeRowDoesNotWrap) {
    // height - trunc(...) with both near the 32-bit limits.
    Plotter p = Sized(1, kMax32);
    ASSERT_TRUE(p.SetRange(0, 1, 0, 1));
    EXPECT_EQ(p.YToRow(0), kMax32);   // 2^31 - 1 - 0
    EXPECT_EQ(p.YToRow(1), 0);
    EXPECT_EQ(p.YToRow(-1), kMax32);  // 2 * (2^31 - 1) saturates
    EXPECT_EQ(p.YToRow(3), kMin32);   // -2 * (2^31 - 1) saturates
    EXPECT_EQ(p.YToRow(2), -kMax32);  // exactly -(2^31 - 1)
}

// ---------------------------------------------------------------- ranges

TEST(PlotterRanges, StartAtMinusTenToTenAndSurviveReset) {
    Plotter p;
    ExpectRange(p, {-10, 10, -10, 10});
    EXPECT_EQ(p.tStart, -10);
    EXPECT_EQ(p.tStop, 10);
    EXPECT_EQ(p.mode, Rectangular);
    EXPECT_EQ(p.pixels, nullptr);
    EXPECT_EQ(p.width, 0);
    EXPECT_EQ(p.height, 0);

    uint32_t pixel = 0;
    p.SetCanvas(&pixel, 4, 1, 1);
    p.SetMode(Polar);
    ASSERT_TRUE(p.SetRange(-1, 2, -3, 4));
    p.SetStep(5, 6);
    p.Reset();
    ExpectRange(p, {-1, 2, -3, 4});
    EXPECT_EQ(p.tStart, 5);
    EXPECT_EQ(p.tStop, 6);
    EXPECT_EQ(p.mode, Rectangular);
    EXPECT_EQ(p.pixels, nullptr);
    EXPECT_EQ(p.stride, 0);
    EXPECT_EQ(p.width, 0);
    EXPECT_EQ(p.height, 0);
}

TEST(PlotterRanges, RefusedRangesChangeNothing) {
    const struct {
        const char* name;
        Range range;
    } cases[] = {
        {"x empty", {1, 1, -10, 10}},
        {"x inverted", {2, 1, -10, 10}},
        {"y empty", {-10, 10, 5, 5}},
        {"y inverted", {-10, 10, 6, 5}},
        {"both inverted", {10, -10, 10, -10}},
        {"x min NaN", {kNaN, 1, -10, 10}},
        {"x max NaN", {-1, kNaN, -10, 10}},
        {"y min NaN", {-10, 10, kNaN, 1}},
        {"y max NaN", {-10, 10, 0, kNaN}},
        {"x min -inf", {-kInf, 1, -10, 10}},
        {"x max +inf", {-1, kInf, -10, 10}},
        {"y min -inf", {-10, 10, -kInf, 1}},
        {"y max +inf", {-10, 10, 0, kInf}},
        {"x span overflows", {-1e308, 1e308, -10, 10}},
        {"y span overflows", {-10, 10, -1e308, 1e308}},
        {"x span just overflows", {-std::numeric_limits<double>::max(), 1e292, -10, 10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Plotter p;
        ASSERT_TRUE(p.SetRange(-1, 2, -3, 4));
        EXPECT_FALSE(p.SetRange(c.range.xMin, c.range.xMax, c.range.yMin, c.range.yMax));
        ExpectRange(p, {-1, 2, -3, 4});
    }
}

TEST(PlotterRanges, AcceptedRangesAreStoredAsGiven) {
    const struct {
        const char* name;
        Range range;
    } cases[] = {
        {"default", {-10, 10, -10, 10}},
        {"asymmetric", {0.5, 0.75, -1e-3, 1e6}},
        {"largest finite spans", {-8e307, 8e307, -std::numeric_limits<double>::max(), 0}},
        {"one ulp", {1, std::nextafter(1.0, 2.0), -std::numeric_limits<double>::denorm_min(), 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Plotter p;
        EXPECT_TRUE(p.SetRange(c.range.xMin, c.range.xMax, c.range.yMin, c.range.yMax));
        ExpectRange(p, c.range);
    }
}

// ---------------------------------------------------------------- checks

TEST(PlotterCheck, UsesTheVariableOfTheMode) {
    const struct {
        GraphMode mode;
        const char* text;
        double value;
        bool ok;
        double output; // when ok
    } cases[] = {
        {Rectangular, "x", 2.5, true, 2.5},
        {Rectangular, "x*x+1", -3, true, 10},
        {Rectangular, "t", 0, false, 0},
        {Rectangular, "1/x", 0, true, kInf},
        {Rectangular, "-1/x", 0, true, -kInf},
        {Rectangular, "sqrt(x)", 0, true, 0},
        {Rectangular, "sqrt(x)", -1, true, kNaN},
        {Rectangular, "a*x", 0, false, 0},
        {Rectangular, "sin(", 0, false, 0},
        {Rectangular, "nofn(x)", 0, false, 0},
        {Rectangular, "arctan2(x)", 0, false, 0}, // too few arguments
        {Parametric, "t", 4, true, 4},
        {Parametric, "cos(t)", 0, true, 1},
        {Parametric, "x", 0, false, 0},
        {Polar, "t*2", 1.5, true, 3},
        {Polar, "x", 0, false, 0},
        {static_cast<GraphMode>(7), "x", 0, false, 0}, // no variable at all
        {static_cast<GraphMode>(7), "t", 0, false, 0},
        {static_cast<GraphMode>(7), "pi()", 0, true, 3.141592653589793},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in mode " + std::to_string(c.mode));
        Plotter p;
        p.SetMode(c.mode);
        double output = 1234.5;
        ASSERT_EQ(p.CheckExpression(c.text, c.value, output), c.ok);
        if (!c.ok)
            EXPECT_EQ(output, 1234.5) << "a failed check leaves the output alone";
        else if (std::isnan(c.output))
            EXPECT_TRUE(std::isnan(output));
        else
            EXPECT_EQ(output, c.output);
    }
}

TEST(PlotterCheck, EvaluateAtSetsTAndGivesZeroOnFailure) {
    SymbolTable table;
    RegisterBuiltins(table);
    Expression e(table);
    ASSERT_TRUE(e.Compile("a*t"));
    e.result = 99;
    EXPECT_EQ(Plotter::EvaluateAt(e, 3), 0) << "a is not defined";
    double t = 0;
    EXPECT_TRUE(table.GetVariable("t", t));
    EXPECT_EQ(t, 3);

    table.SetVariable("a", 2);
    EXPECT_EQ(Plotter::EvaluateAt(e, 3), 6);
    EXPECT_EQ(Plotter::EvaluateAt(e, -0.5), -1);

    Expression shortCall(table);
    ASSERT_TRUE(shortCall.Compile("mod(t)"));
    EXPECT_EQ(Plotter::EvaluateAt(shortCall, 7), 0);
}

// The Plot command's checks, shared by the main window and the command line.
// The parameter range may run either way but must be finite.
TEST(PlotChecks, StartAndStopMustBeFinite) {
    const struct {
        double start, stop;
        bool accepted;
    } cases[] = {
        {0, 18.849556, true}, {5, -5, true}, {2, 2, true},
        {kInf, 1, false},     {0, -kInf, false}, {kNaN, 1, false}, {0, kNaN, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + " .. " + std::to_string(c.stop));
        Plotter p;
        p.SetStep(-1, 1);
        auto refusal = AcceptStep(p, c.start, c.stop);
        EXPECT_EQ(!refusal, c.accepted);
        if (refusal) {
            EXPECT_EQ(refusal->text, "Invalid start and stop");
            EXPECT_EQ(refusal->caption, "Error");
            EXPECT_EQ(p.tStart, -1);
            EXPECT_EQ(p.tStop, 1);
        } else {
            EXPECT_EQ(p.tStart, c.start);
            EXPECT_EQ(p.tStop, c.stop);
        }
    }
}

TEST(PlotChecks, EquationsAreCheckedInSlotOrderThenPaired) {
    const struct {
        const char* name;
        GraphMode mode;
        std::vector<std::string> slots;
        std::string refusal;  // empty: accepted
        std::string caption;
    } cases[] = {
        {"first failure wins", Rectangular, {"x", "", "bad(", "t"},
         "Unable to evaluate the expression bad(", "Error in expression"},
        {"text kept exactly, spaces included", Rectangular, {" t "},
         "Unable to evaluate the expression  t ", "Error in expression"},
        {"control characters quoted escaped", Rectangular, {"x\x1b]0;t\x07", "x"},
         "Unable to evaluate the expression x\\x1b]0;t\\x07", "Error in expression"},
        {"blank slots are not checked", Rectangular, {"   ", "\t", "x"}, "", ""},
        {"x in parametric", Parametric, {"x", "t"},
         "Unable to evaluate the expression x", "Error in expression"},
        {"unpaired", Parametric, {"cos(t)", "", "", ""},
         "Parametric equations must be in pairs", "Error"},
        {"unpaired second member", Parametric, {"", "sin(t)"},
         "Parametric equations must be in pairs", "Error"},
        {"blank member counts as empty", Parametric, {"cos(t)", "  "},
         "Parametric equations must be in pairs", "Error"},
        {"evaluation before pairing", Parametric, {"cos(t)", "", "a"},
         "Unable to evaluate the expression a", "Error in expression"},
        {"pair 1 empty, pair 2 filled", Parametric, {"", "", "cos(t)", "sin(t)"}, "", ""},
        {"polar needs no pairs", Polar, {"1", "", "t"}, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Plotter p;
        p.SetMode(c.mode);
        EquationSlots texts;
        for (size_t i = 0; i < c.slots.size(); ++i)
            texts[i] = c.slots[i];
        auto refusal = AcceptEquations(p, texts);
        if (c.refusal.empty()) {
            ASSERT_FALSE(refusal) << refusal->text;
            for (size_t i = 0; i < 8; ++i) {
                const std::string given = i < c.slots.size() ? c.slots[i] : "";
                EXPECT_EQ(texts[i], IsBlank(given) ? "" : given) << "slot " << i + 1;
            }
        } else {
            ASSERT_TRUE(refusal);
            EXPECT_EQ(refusal->text, c.refusal);
            EXPECT_EQ(refusal->caption, c.caption);
            for (size_t i = 0; i < c.slots.size(); ++i)
                EXPECT_EQ(texts[i], c.slots[i]) << "a refusal leaves the texts alone";
        }
    }
}

// ---------------------------------------------------------------- segments

// A small buffer with a padded stride, so that a write into the padding or
// outside the rows shows.
struct Buffer {
    static constexpr int32_t kWidth = 37, kHeight = 23, kStrideWords = 40;
    static constexpr uint32_t kBackground = 0xdeadbe, kInk = 0x123456;
    std::vector<uint32_t> words = std::vector<uint32_t>(kStrideWords * kHeight, kBackground);

    void Attach(Plotter& p) { p.SetCanvas(words.data(), 4 * kStrideWords, kWidth, kHeight); }
    void Put(int64_t x, int64_t y) {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight)
            words[static_cast<size_t>(y * kStrideWords + x)] = kInk;
    }
};

int64_t ClampRow(int64_t r) {
    return std::clamp<int64_t>(r, -3 * Buffer::kHeight, 3 * Buffer::kHeight);
}

// Points of the (row-clamped) segment, the cost of stepping it whole.
uint64_t PointCount(int64_t c0, int64_t r0, int64_t c1, int64_t r1) {
    const uint64_t dc = static_cast<uint64_t>(c1 > c0 ? c1 - c0 : c0 - c1);
    const uint64_t dr = static_cast<uint64_t>(std::llabs(ClampRow(r1) - ClampRow(r0)));
    return std::max(dc, dr) + 1;
}

// The straightforward drawing: clamp the rows, step the whole segment and
// keep the points inside the buffer.
Buffer SteppedWhole(int64_t c0, int64_t r0, int64_t c1, int64_t r1) {
    Buffer b;
    ZrLine line;
    begin(line, ClampRow(r1), ClampRow(r0), c1, c0);
    int64_t x, y;
    bool more;
    do {
        more = step(x, y, line);
        b.Put(x, y);
    } while (more);
    return b;
}

// The same points in closed form, for segments too long to step: along the
// major axis (the one with the larger difference, x on a tie) the minor
// coordinate has moved round((k * minorDelta) / majorDelta), halves rounded
// up, after k steps. Only the stretch over the buffer is visited.
Buffer ClosedForm(int64_t c0, int64_t r0, int64_t c1, int64_t r1) {
    Buffer b;
    r0 = ClampRow(r0);
    r1 = ClampRow(r1);
    const bool yMajor = std::llabs(r1 - r0) > (c1 > c0 ? c1 - c0 : c0 - c1);
    const int64_t a0 = yMajor ? r0 : c0, a1 = yMajor ? r1 : c1; // major
    const int64_t m0 = yMajor ? c0 : r0, m1 = yMajor ? c1 : r1; // minor
    const __int128 dM = a1 > a0 ? __int128(a1) - a0 : __int128(a0) - a1;
    const __int128 dm = m1 > m0 ? __int128(m1) - m0 : __int128(m0) - m1;
    const int64_t majorDir = a1 >= a0 ? 1 : -1, minorDir = m0 < m1 ? 1 : -1;
    const int64_t extent = yMajor ? Buffer::kHeight : Buffer::kWidth;
    for (int64_t a = 0; a < extent; ++a) {
        const __int128 k = (__int128(a) - a0) * majorDir;
        if (k < 0 || k > dM)
            continue;
        const __int128 moved = dM == 0 ? 0 : (2 * dm * k + dM) / (2 * dM);
        const int64_t m = static_cast<int64_t>(m0 + minorDir * moved);
        if (yMajor)
            b.Put(m, a);
        else
            b.Put(a, m);
    }
    return b;
}

Buffer Drawn(int64_t c0, int64_t r0, int64_t c1, int64_t r1) {
    Buffer b;
    Plotter p;
    b.Attach(p);
    p.DrawSegment(c0, r0, c1, r1, Buffer::kInk);
    return b;
}

std::string FirstDifference(const Buffer& actual, const Buffer& expected) {
    for (size_t i = 0; i < actual.words.size(); ++i)
        if (actual.words[i] != expected.words[i])
            return "first difference at column " + std::to_string(i % Buffer::kStrideWords) +
                   ", row " + std::to_string(i / Buffer::kStrideWords) +
                   (actual.words[i] == Buffer::kInk ? ": drawn, expected not" : ": missing");
    return "";
}

std::string Describe(int64_t c0, int64_t r0, int64_t c1, int64_t r1) {
    char text[128];
    std::snprintf(text, sizeof text, "(%lld, %lld) to (%lld, %lld)", static_cast<long long>(c0),
                  static_cast<long long>(r0), static_cast<long long>(c1), static_cast<long long>(r1));
    return text;
}

// Stepping whole is the definition; segments up to this many points are
// compared with it directly, longer ones with the closed form (which the
// shorter ones prove equal to stepping).
constexpr uint64_t kSteppedLimit = 1u << 18;

void CheckSegment(int64_t c0, int64_t r0, int64_t c1, int64_t r1) {
    SCOPED_TRACE(Describe(c0, r0, c1, r1));
    const Buffer drawn = Drawn(c0, r0, c1, r1);
    const Buffer closed = ClosedForm(c0, r0, c1, r1);
    if (PointCount(c0, r0, c1, r1) <= kSteppedLimit) {
        const Buffer stepped = SteppedWhole(c0, r0, c1, r1);
        ASSERT_EQ(closed.words, stepped.words) << "reference: " << FirstDifference(closed, stepped);
        ASSERT_EQ(drawn.words, stepped.words) << FirstDifference(drawn, stepped);
    } else {
        ASSERT_EQ(drawn.words, closed.words) << FirstDifference(drawn, closed);
    }
}

TEST(PlotterSegment, HandPickedSegmentsMatchSteppingThemWhole) {
    const struct {
        int64_t c0, r0, c1, r1;
    } cases[] = {
        {0, 0, 5, 2},        {5, 2, 0, 0},        {0, 0, 4, 2},     {3, 0, 3, -4},
        {10, 10, 10, 10},    {-1, -1, -1, -1},    {36, 22, 36, 22}, {37, 22, 37, 22},
        {0, 0, 36, 22},      {36, 0, 0, 22},      {-5, 11, 50, 11}, {18, -30, 18, 60},
        {-100, -100, 100, 100}, {100, 0, -100, 22}, {-1000, 5, 1000, 17},
        {0, -1000000, 1, 1000000},   // rows clamped to -69 .. 69
        {20, kMin32, 21, kMax32},    // a near-vertical stroke, as across an asymptote
        {20, kMax32, 21, kMin32},
        {kMin32, 11, kMax32, 11},    // 2^32 columns, one row
        {kMax32, 0, kMin32, 22},
        {kMin32, kMin32, kMax32, kMax32},
        {kMax32, kMin32, kMin32, kMax32},
        {kMin32, 30, 40, 0},         // far start, visible end
        {-3, 5, kMax32, 12},
        {kMin32, kMin32, kMin32, kMax32},
        {kMax32, 5, kMax32, 5},
    };
    for (const auto& c : cases)
        CheckSegment(c.c0, c.r0, c.c1, c.r1);
}

TEST(PlotterSegment, RandomSegmentsMatchSteppingThemWhole) {
    std::mt19937_64 rng(20261207);
    auto pick = [&](int64_t lo, int64_t hi) {
        return std::uniform_int_distribution<int64_t>(lo, hi)(rng);
    };
    // A coordinate near the buffer, moderately far, anywhere in 32 bits, or
    // at the 32-bit limits.
    auto coordinate = [&](int32_t extent) -> int64_t {
        switch (pick(0, 5)) {
        case 0:
        case 1: return pick(-8, extent + 8);
        case 2: return pick(-5 * extent, 6 * extent);
        case 3: return pick(-(1 << 16), 1 << 16);
        case 4: return pick(kMin32, kMax32);
        default: return pick(0, 1) ? kMin32 + pick(0, 2) : kMax32 - pick(0, 2);
        }
    };
    for (int i = 0; i < 6000; ++i) {
        const int64_t c0 = coordinate(Buffer::kWidth), r0 = coordinate(Buffer::kHeight);
        const int64_t c1 = coordinate(Buffer::kWidth), r1 = coordinate(Buffer::kHeight);
        CheckSegment(c0, r0, c1, r1);
        if (HasFatalFailure())
            return;
    }
}

TEST(PlotterSegment, EmptyBuffersAreLeftAlone) {
    const int64_t segments[][4] = {
        {0, 0, 10, 10}, {-5, 3, 40, 3}, {kMin32, kMin32, kMax32, kMax32}, {0, 0, 0, 0}};
    const struct {
        const char* name;
        int32_t width, height;
    } sizes[] = {{"zero width", 0, 23}, {"zero height", 37, 0}, {"both zero", 0, 0}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.name);
        std::vector<uint32_t> words(64, Buffer::kBackground);
        Plotter p;
        p.SetCanvas(words.data(), 4 * size.width, size.width, size.height);
        for (const auto& s : segments)
            p.DrawSegment(s[0], s[1], s[2], s[3], Buffer::kInk);
        EXPECT_EQ(words, std::vector<uint32_t>(64, Buffer::kBackground));
    }

    SCOPED_TRACE("no pixels");
    Plotter p;
    p.SetCanvas(nullptr, 4 * 37, 37, 23);
    for (const auto& s : segments)
        p.DrawSegment(s[0], s[1], s[2], s[3], Buffer::kInk); // must not crash
}

} // namespace
