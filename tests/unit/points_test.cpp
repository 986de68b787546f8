// Points of interest against closed-form answers: one table per kind, with
// the traps (poles, jumps, undefined points, coinciding curves, zeros closer
// than the samples) and the bound on the work for curves with very many.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <iomanip>
#include <string>
#include <vector>

#include "analysis/bracket.h"
#include "analysis/points.h"
#include "tests/unit/integer_roots.h"

namespace {

const double kPi = 3.14159265358979323846;
constexpr double kCrossing = 1e-12; // relative, for zeros where the sign changes
constexpr double kTouching = 1e-7;  // for touching zeros and extrema

struct Expected {
    int curve, other;
    double x, y, tolerance;
};

struct Row {
    const char* name;
    std::vector<std::string> equations;
    double xMin, xMax;
    PointKind kind; // the kind the row checks; other kinds are not looked at
    std::vector<Expected> points;
};

std::array<std::string, 8> Slots(const std::vector<std::string>& equations) {
    std::array<std::string, 8> slots;
    std::copy(equations.begin(), equations.end(), slots.begin());
    return slots;
}

bool Near(double actual, double expected, double tolerance) {
    return std::fabs(actual - expected) <= tolerance * std::fmax(std::fabs(expected), 1e-10);
}

// What every result must satisfy: sorted, inside the interval, at most
// kMaxPointsPerCurve per curve, and the same on a second run.
void CheckInvariants(const std::array<std::string, 8>& slots, double xMin, double xMax,
                     const PointsOfInterest& result) {
    std::array<size_t, 8> counts = {};
    for (size_t i = 0; i < result.points.size(); ++i) {
        const PointOfInterest& p = result.points[i];
        EXPECT_TRUE(xMin <= p.x && p.x <= xMax) << p.x;
        ++counts[p.curve];
        if (i > 0) {
            const PointOfInterest& q = result.points[i - 1];
            EXPECT_TRUE(q.x < p.x || (q.x == p.x && (q.kind < p.kind ||
                                                     (q.kind == p.kind && q.curve <= p.curve))))
                << "out of order at " << p.x;
        }
    }
    for (size_t c : counts)
        EXPECT_LE(c, kMaxPointsPerCurve);
    EXPECT_EQ(PointLines(FindPointsOfInterest(slots, xMin, xMax)), PointLines(result));
}

void CheckRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto slots = Slots(row.equations);
        const PointsOfInterest result = FindPointsOfInterest(slots, row.xMin, row.xMax);
        CheckInvariants(slots, row.xMin, row.xMax, result);
        std::vector<PointOfInterest> found;
        for (const PointOfInterest& p : result.points)
            if (p.kind == row.kind)
                found.push_back(p);
        std::string lines;
        for (const std::string& line : PointLines(result))
            lines += line + "\n";
        EXPECT_EQ(found.size(), row.points.size()) << lines;
        if (found.size() != row.points.size())
            continue;
        std::vector<Expected> expected = row.points;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Expected& a, const Expected& b) { return a.x < b.x; });
        for (size_t i = 0; i < found.size(); ++i) {
            const Expected& e = expected[i];
            EXPECT_EQ(found[i].curve, e.curve) << lines;
            EXPECT_EQ(found[i].other, e.other) << lines;
            EXPECT_TRUE(Near(found[i].x, e.x, e.tolerance)) << found[i].x << " expected " << e.x;
            // Values are at most the curve's rounding away from the exact
            // one, which is zero for zeros: a small multiple of the ulps of 1.
            EXPECT_NEAR(found[i].y, e.y, 1e-13 + kTouching * kTouching * std::fabs(e.y))
                << " at x=" << found[i].x;
        }
    }
}

TEST(PointsOfInterest, Zeros) {
    std::vector<Expected> sines;
    for (int k = -3; k <= 3; ++k)
        sines.push_back({0, -1, k * kPi, 0, kCrossing});
    const std::vector<Row> rows = {
        {"sin", {"sin(x)"}, -10, 10, PointKind::Zero, sines},
        {"two roots",
         {"x^2-2"},
         -10,
         10,
         PointKind::Zero,
         {{0, -1, -std::sqrt(2.0), 0, kCrossing}, {0, -1, std::sqrt(2.0), 0, kCrossing}}},
        {"touching on a sample", {"x^2"}, -10, 10, PointKind::Zero, {{0, -1, 0, 0, kTouching}}},
        {"touching between samples",
         {"x^2"},
         -1.3,
         2.1,
         PointKind::Zero,
         {{0, -1, 0, 0, kTouching}}},
        {"double and simple root",
         {"(x-1)^2*(x+2)"},
         -10,
         10,
         PointKind::Zero,
         {{0, -1, -2, 0, kCrossing}, {0, -1, 1, 0, kTouching}}},
        {"domain edge", {"sqrt(x)"}, -1.3, 2.1, PointKind::Zero, {{0, -1, 0, 0, kCrossing}}},
        {"two domain edges",
         {"sqrt(1-x^2)"},
         -1.3,
         1.7,
         PointKind::Zero,
         {{0, -1, -1, 0, kCrossing}, {0, -1, 1, 0, kCrossing}}},
        {"closer than the samples",
         {"x^2-0.00000000000000000001"},
         -10,
         9,
         PointKind::Zero,
         {{0, -1, -1e-10, 0, kCrossing}, {0, -1, 1e-10, 0, kCrossing}}},
        {"interval ends",
         {"x", "x-5"},
         0,
         5,
         PointKind::Zero,
         {{0, -1, 0, 0, kCrossing}, {1, -1, 5, 0, kCrossing}}},
        // Poles, jumps and an undefined point are no zeros.
        {"traps",
         {"1/x", "tan(x)", "floor(x)-0.5", "mod(x,2)-1", "sin(x)/x", "1/(x-1)^2"},
         -5,
         5,
         PointKind::Zero,
         {{1, -1, -kPi, 0, kCrossing},
          {1, -1, 0, 0, kCrossing},
          {1, -1, kPi, 0, kCrossing},
          {3, -1, 1, 0, kCrossing},
          {3, -1, 3, 0, kCrossing},
          {3, -1, 5, 0, kCrossing},
          {4, -1, -kPi, 0, kCrossing},
          {4, -1, kPi, 0, kCrossing}}},
        {"jump onto zero",
         {"mod(x,2)-1"},
         0,
         4,
         PointKind::Zero,
         {{0, -1, 1, 0, kCrossing}, {0, -1, 3, 0, kCrossing}}},
        // Brackets from below -2 to above 2 span more doubles than INT64_MAX.
        {"wide view",
         {"x", "x-1", "2*x+1"},
         -12345,
         54321,
         PointKind::Zero,
         {{0, -1, 0, 0, kCrossing}, {1, -1, 1, 0, kCrossing}, {2, -1, -0.5, 0, kCrossing}}},
        // The span overflows a double.
        {"whole range",
         {"x", "x+1", "x/2-10^307"},
         -1e308,
         1e308,
         PointKind::Zero,
         {{0, -1, 0, 0, kCrossing}, {1, -1, -1, 0, kCrossing}, {2, -1, 2e307, 0, kCrossing}}},
        {"all doubles",
         {"x", "x+1"},
         -DBL_MAX,
         DBL_MAX,
         PointKind::Zero,
         {{0, -1, 0, 0, kCrossing}, {1, -1, -1, 0, kCrossing}}},
        // Views a few dozen or thousand doubles wide, whose samples repeat.
        {"view of 90 doubles",
         {"x-1"},
         0.99999999999999,
         1.00000000000001,
         PointKind::Zero,
         {{0, -1, 1, 0, kCrossing}}},
        {"view of 4000 doubles", {"x"}, -1e-320, 1e-320, PointKind::Zero, {{0, -1, 0, 0, 0}}},
        {"view of 40 doubles", {"x"}, -1e-322, 1e-322, PointKind::Zero, {{0, -1, 0, 0, 0}}},
        {"zero over a stretch", {"floor(x)", "x-x"}, 0.5, 3, PointKind::Zero, {}},
        {"zero within its rounding", {"sin(x)^2+cos(x)^2-1"}, -10, 10, PointKind::Zero, {}},
    };
    CheckRows(rows);
}

// Where a curve has no limit at an edge (x^cos(1/x) swings between x and
// 1/x towards 0) or is all rounding (its argument moves by a radian from
// one double to the next), whatever zeros the math library's last bits let
// through have values negligible against the curve's: a zero is never a
// swing or a rounding (these listed zeros with y=3e142 and y near 1).
TEST(PointsOfInterest, ZerosAreSmallAgainstTheCurve) {
    const struct {
        const char* text;
        double xMin, xMax;
    } rows[] = {{"x^cos(1/x)", 0, 1},
                {"sin(1494310362*60080.14*4*arccos(x))", -1e-3, 1e-3},
                {"x^3*(x/x)", -0.9, 1.3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        AnalysisCurve curve;
        ASSERT_TRUE(curve.Compile(row.text));
        double scale = 0;
        for (const double x : SampleGrid(row.xMin, row.xMax)) {
            const double y = curve.At(x).y;
            if (!std::isnan(y))
                scale = std::fmax(scale, std::fabs(y));
        }
        const auto slots = Slots({row.text});
        const PointsOfInterest result = FindPointsOfInterest(slots, row.xMin, row.xMax);
        CheckInvariants(slots, row.xMin, row.xMax, result);
        for (const PointOfInterest& p : result.points) {
            if (p.kind == PointKind::Zero) {
                EXPECT_LE(std::fabs(p.y), 1e-6 * scale) << "zero at " << p.x << " y=" << p.y;
            }
        }
    }
}

TEST(PointsOfInterest, Extrema) {
    const std::vector<Row> minima = {
        {"parabola", {"x^2+1"}, -10, 10, PointKind::Minimum, {{0, -1, 0, 1, kTouching}}},
        {"kink on a sample",
         {"abs(x)-1"},
         -10,
         10,
         PointKind::Minimum,
         {{0, -1, 0, -1, kTouching}}},
        {"kink between samples",
         {"abs(x-0.3)"},
         -1,
         2,
         PointKind::Minimum,
         {{0, -1, 0.3, 0, kTouching}}},
        // The slope, exp(x)-1+3x^2, is exactly 0 over (-1.1e-16, 0) and 1
        // beyond the kink at 0, which is a sample here.
        {"kink ending a flat run on a sample",
         {"x^3+0.5+exp(x)+abs(x)"},
         -10,
         10,
         PointKind::Minimum,
         {{0, -1, 0, 1.5, kTouching}}},
        {"sine", {"sin(x)"}, 0, 7, PointKind::Minimum, {{0, -1, 1.5 * kPi, -1, kTouching}}},
        {"at the interval's end", {"x^2"}, 0, 5, PointKind::Minimum, {}},
        {"inflection, pole, jump",
         {"x^3", "1/x^2", "-1/x^2", "abs(x)+floor(x)"},
         -3,
         3,
         PointKind::Minimum,
         {}},
    };
    CheckRows(minima);
    const std::vector<Row> maxima = {
        {"sine",
         {"sin(x)"},
         0,
         8,
         PointKind::Maximum,
         {{0, -1, 0.5 * kPi, 1, kTouching}, {0, -1, 2.5 * kPi, 1, kTouching}}},
        {"kink", {"2-abs(x+0.5)"}, -3, 3, PointKind::Maximum, {{0, -1, -0.5, 2, kTouching}}},
        {"undefined at the top", {"sin(x)/x"}, -1, 1, PointKind::Maximum, {}},
        {"pole", {"1/x^2", "tan(x)"}, -3, 3, PointKind::Maximum, {}},
    };
    CheckRows(maxima);
}

TEST(PointsOfInterest, Intersections) {
    const double golden = (1 + std::sqrt(5.0)) / 2;
    const std::vector<Row> rows = {
        {"touching",
         {"exp(x)", "x+1"},
         -10,
         10,
         PointKind::Intersection,
         {{0, 1, 0, 1, kTouching}}},
        {"touching between samples",
         {"exp(x)", "x+1"},
         -1.3,
         2.1,
         PointKind::Intersection,
         {{0, 1, 0, 1, kTouching}}},
        {"crossing",
         {"x^2", "2-x"},
         -10,
         10,
         PointKind::Intersection,
         {{0, 1, -2, 4, kCrossing}, {0, 1, 1, 1, kCrossing}}},
        {"three curves",
         {"1/x", "x-1", "abs(x)-1"},
         -10,
         10,
         PointKind::Intersection,
         {{0, 1, 1 - golden, -golden, kCrossing},
          {0, 1, golden, 1 / golden, kCrossing},
          {0, 2, golden, 1 / golden, kCrossing}}},
        {"coinciding", {"x", "x", "abs(x)", "2*x-x"}, -10, 10, PointKind::Intersection, {}},
        {"coinciding within rounding",
         {"sin(x)^2", "1-cos(x)^2"},
         -10,
         10,
         PointKind::Intersection,
         {}},
        // Their difference is exactly 0 at 2000 of the samples; further out
        // it exceeds the rounding at those zeros, but not its own.
        {"polynomial in two forms",
         {"((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1",
          "7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+x+0.1"},
         -10,
         10,
         PointKind::Intersection,
         {}},
        {"pole", {"1/x", "-1/x"}, -3, 3, PointKind::Intersection, {}},
        {"jumps",
         {"floor(x)", "x-0.5"},
         0.2,
         3,
         PointKind::Intersection,
         {{0, 1, 0.5, 0, kCrossing}, {0, 1, 1.5, 1, kCrossing}, {0, 1, 2.5, 2, kCrossing}}},
    };
    CheckRows(rows);
}

TEST(PointsOfInterest, YIntercepts) {
    CheckRows({
        {"defined or not",
         {"x+3", "1/x", "sqrt(x)", "log(x)"},
         -1,
         1,
         PointKind::YIntercept,
         {{0, -1, 0, 3, kCrossing}, {2, -1, 0, 0, kCrossing}}},
        {"zero outside", {"x+3"}, 1, 2, PointKind::YIntercept, {}},
    });
}

// Very many points: the first 500 in order, "more", and work within the
// documented bound (sampling plus the refinement budget plus the bracket
// that was running when it ran out).
TEST(PointsOfInterest, ManyPointsInBoundedWork) {
    for (const char* text :
         {"sin(100000*x)", "sin(1/x)", "tan(tan(tan(x)))", "mod(1000*x,1)-0.5"}) {
        SCOPED_TRACE(text);
        AnalysisCurve probe;
        ASSERT_TRUE(probe.Compile(text));
        const std::array<std::string, 8> slots = Slots({text, "x/7"});
        AnalysisWork work;
        const PointsOfInterest result = FindPointsCounted(slots, -10, 10, work);
        CheckInvariants(slots, -10, 10, result);
        const uint64_t perEvaluation = probe.Steps() + 4; // "x/7" has 3
        EXPECT_LE(work.steps, 2 * (kGridIntervals + 1) * perEvaluation + kRefinementSteps +
                                  2 * (kMaxBracketSteps + 16) * perEvaluation);
    }
    const PointsOfInterest many = FindPointsOfInterest(Slots({"sin(100000*x)"}), -10, 10);
    EXPECT_EQ(many.points.size(), kMaxPointsPerCurve);
    EXPECT_TRUE(many.more[0]);
    EXPECT_EQ(PointLines(many).back(), "more y1");
}

// A point does not depend on the view it is found in: over intervals whose
// samples fall differently, the points within a common stretch are the
// same to the bit. A zero on a run of exact zeros (x^3 is 0 for |x| below
// 1e-108) is at 0, not wherever the narrowing landed; a hole (x^3/x at 0,
// x^3*(x/x) inside a run of zeros) is no zero whether a sample falls in it
// or not; a zero where the domain ends is one whether a sample falls on it
// or not.
TEST(PointsOfInterest, SameWhateverTheView) {
    const std::pair<double, double> views[] = {{-10, 10}, {-9.95, 10.05}, {-1, 1},
                                               {-0.5, 1}, {-1, 0.7},      {-0.7, 3}};
    for (const auto& [slots, expected] :
         {std::pair{Slots({"sin(x)*x^2", "x^3", "mod(x,2.5)+floor(x)", "tanh(x)*cosh(x/3)",
                           "x^2-0.25", "abs(x)-0.1", "x*exp(x)"}),
                    "zero y1 x=0 y=0"},
          std::pair{
              Slots({"x^3/x", "x^2/((log(x)/0.5)/x)", "(x^3*x^2)*(exp(x)/x^3)*x", "x^3*(x/x)"}),
              "zero y2 x=0 y=0"},
          // Expanded, their roots hide in rounding: (x-0.5)(x-0.25)(x+0.25)
          // and (x-0.1)(x-0.2)(x-0.3), whose roots are no doubles.
          std::pair{Slots({"x^3-0.5*x^2-0.0625*x+0.03125", "x^3-0.6*x^2+0.11*x-0.006"}),
                    "zero y1 x=0.5 y=0"}}) {
        SCOPED_TRACE(expected);
        auto within = [&](double xMin, double xMax) {
            std::vector<std::string> lines;
            PointsOfInterest result = FindPointsOfInterest(slots, xMin, xMax);
            std::erase_if(result.points,
                          [](const PointOfInterest& p) { return p.x < -0.4 || p.x > 0.6; });
            result.more = {};
            return PointLines(result);
        };
        const std::vector<std::string> first = within(views[0].first, views[0].second);
        EXPECT_NE(std::find(first.begin(), first.end(), expected), first.end());
        for (const auto& [xMin, xMax] : views) {
            SCOPED_TRACE(std::to_string(xMin) + " " + std::to_string(xMax));
            EXPECT_EQ(within(xMin, xMax), first);
        }
    }
}

// Expanded polynomials with integer roots: the value at a root is exact, 0,
// and around it rounding leaves exact zeros and sign changes over dozens to
// thousands of doubles. Each root is listed at the root itself, once, in
// every view that holds it with the curve standing out of its rounding:
// from views of a few hundred doubles, whose samples lie in the rounding,
// to the width of the whole graph.
TEST(PointsOfInterest, IntegerRootsInEveryView) {
    const std::vector<std::vector<int>> rootSets = {{-3, 5},
                                                    {1, 2, 3},
                                                    {-2, 1, 4, 7},
                                                    {-9, -4, 0, 3, 8},
                                                    {-7, -6, -4, 2, 5, 9},
                                                    {1, 2, 3, 4, 5, 6, 7},
                                                    {-9, -5, -1, 0, 2, 6, 9}};
    for (const std::vector<int>& roots : rootSets) {
        const IntegerRoots polynomial(roots);
        SCOPED_TRACE(polynomial.text);
        std::vector<std::pair<double, double>> views = {
            {-10, 10}, {-10, 11}, {-9, 9}, {0, 4}, {-100, 37}};
        for (const int r : roots)
            for (const double width : {4.0, 0x1p10, 0x1p20, 0x1p30})
                for (const double at : {0.5, 0.29}) {
                    const double w = std::fmin(polynomial.Margin(r) * width, 10);
                    views.push_back({r - w * at, r + w * (1 - at)});
                }
        for (const auto& [xMin, xMax] : views) {
            const PointsOfInterest found =
                FindPointsOfInterest(Slots({polynomial.text}), xMin, xMax);
            for (const int r : roots) {
                if (polynomial.Holds(r, xMin, xMax)) {
                    EXPECT_TRUE(IntegerRoots::Listed(found, r))
                        << std::setprecision(17) << "root " << r << " over [" << xMin << ", "
                        << xMax << "]";
                }
            }
        }
    }
}

// Points at one x come by kind, then by curve; a curve that does not
// compile has none.
TEST(PointsOfInterest, OrderAtOneX) {
    const auto result = FindPointsOfInterest(Slots({"x^2", "x^3", "x+)", "-x^2"}), -1, 1);
    std::vector<std::string> lines = PointLines(result);
    std::vector<std::string> atZero;
    for (const std::string& line : lines)
        if (line.find(" x=0 ") != std::string::npos)
            atZero.push_back(line);
    const std::vector<std::string> expected = {"zero y1 x=0 y=0",
                                               "zero y2 x=0 y=0",
                                               "zero y4 x=0 y=0",
                                               "minimum y1 x=0 y=0",
                                               "maximum y4 x=0 y=0",
                                               "intersection y1 y2 x=0 y=0",
                                               "intersection y1 y4 x=0 y=0",
                                               "intersection y2 y4 x=0 y=0",
                                               "y-intercept y1 x=0 y=0",
                                               "y-intercept y2 x=0 y=0",
                                               "y-intercept y4 x=0 y=0"};
    EXPECT_EQ(atZero, expected);
}

} // namespace
