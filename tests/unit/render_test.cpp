// Whole graphs rendered into a canvas and checked pixel by pixel: the
// background, the axes, curves of the three modes and their colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "plot/canvas.h"
#include "plot/plotter.h"
#include "plot/render.h"
#include "plot/graph_style.h"

namespace {

constexpr uint32_t kBack = 0xf0f0f0, kAxis = 0x101010;
const uint32_t kInk[8] = {0xff0000, 0x00ff00, 0x0000ff, 0xff00ff,
                          0x00ffff, 0xffff00, 0x007fff, 0xff7f00};

// A canvas, the plotter describing it and the display settings.
struct Scene {
    Canvas canvas;
    Plotter plotter;
    GraphStyle style;
    EquationSlots equations;

    Scene(int32_t width, int32_t height, GraphMode mode = Rectangular) : canvas(width, height) {
        plotter.SetCanvas(canvas.bits(), canvas.Stride(), canvas.Width(), canvas.Height());
        plotter.SetMode(mode);
        style.backColor = kBack;
        style.axisColor = kAxis;
        style.showAxes = false;
        for (int i = 0; i < 8; ++i)
            style.graphColors[i] = kInk[i];
    }

    Scene& Equations(std::vector<std::string> texts) {
        for (size_t i = 0; i < 8; ++i)
            equations[i] = i < texts.size() ? texts[i] : "";
        return *this;
    }
    Scene& Render() {
        RenderGraph(plotter, equations, style);
        return *this;
    }

    int32_t W() const { return canvas.Width(); }
    int32_t H() const { return canvas.Height(); }
    uint32_t At(int32_t x, int32_t y) const { return canvas.bits()[y * W() + x]; }
    std::vector<uint32_t> Pixels() const {
        return std::vector<uint32_t>(canvas.bits(), canvas.bits() + W() * H());
    }
    // The pixels of one colour as (column, row).
    std::set<std::pair<int32_t, int32_t>> Where(uint32_t color) const {
        std::set<std::pair<int32_t, int32_t>> points;
        for (int32_t y = 0; y < H(); ++y)
            for (int32_t x = 0; x < W(); ++x)
                if (At(x, y) == color)
                    points.insert({x, y});
        return points;
    }
    size_t Count(uint32_t color) const { return Where(color).size(); }
    bool ColumnHas(int32_t x, uint32_t color) const {
        for (int32_t y = 0; y < H(); ++y)
            if (At(x, y) == color)
                return true;
        return false;
    }
};

// The sample of column i of a rectangular curve: the column's left edge.
double SampleX(const Plotter& p, int32_t i) { return (p.xMax - p.xMin) * i / p.width + p.xMin; }

// ---------------------------------------------------------------- background and axes

TEST(RenderGraph, FillsTheBackgroundAndDrawsEachAxisOnlyWhenItIsInView) {
    // 40 x 30 pixels: the axes of the default view are row 15 and column 20.
    const struct {
        const char* name;
        double xMin, xMax, yMin, yMax;
        int32_t row, column; // -1: not drawn
        bool showAxes = true;
    } cases[] = {
        {"both in the middle", -10, 10, -10, 10, 15, 20},
        {"axes hidden", -10, 10, -10, 10, -1, -1, false},
        {"x = 0 out of view", 1, 5, -10, 10, 15, -1},
        {"x = 0 out of view on the left", -5, -1, -10, 10, 15, -1},
        {"y = 0 out of view", -10, 10, 1, 5, -1, 20},
        {"neither", 1, 5, 1, 5, -1, -1},
        {"y = 0 on the bottom edge maps one below the last row", -10, 10, 0, 10, -1, 20},
        {"y = 0 on the top edge is row 0", -10, 10, -10, 0, 0, 20},
        {"x = 0 on the left edge is column 0", 0, 10, -10, 10, 15, 0},
        {"x = 0 on the right edge maps one past the last column", -10, 0, -10, 10, 15, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene(40, 30);
        ASSERT_TRUE(scene.plotter.SetRange(c.xMin, c.xMax, c.yMin, c.yMax));
        scene.style.showAxes = c.showAxes;
        scene.Render();
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x) {
                const bool axis = y == c.row || x == c.column;
                ASSERT_EQ(scene.At(x, y), axis ? kAxis : kBack) << "at " << x << ", " << y;
            }
    }
}

// ---------------------------------------------------------------- rectangular curves

TEST(RenderRectangular, HorizontalLineLiesOnItsRowInEveryColumn) {
    for (auto [w, h] : {std::pair{64, 48}, {37, 23}, {800, 600}, {5, 1}, {1, 7}, {2, 3}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Scene scene(w, h);
        scene.Equations({"5"}).Render();
        const int32_t row = h - static_cast<int32_t>(std::trunc(0.75 * h + 0.5));
        std::set<std::pair<int32_t, int32_t>> expected;
        for (int32_t x = 0; x < w && w > 1; ++x)
            expected.insert({x, row});
        EXPECT_EQ(scene.Where(kInk[0]), expected);
    }
}

TEST(RenderRectangular, SamplesSitOnTheLeftEdgeOfEachColumn) {
    // y = x on 40 x 40: column i samples x = i / 2 - 10, which maps to row
    // 40 - i, so column 0 lies one below the canvas and the rest form the
    // anti-diagonal.
    Scene scene(40, 40);
    scene.Equations({"x"}).Render();
    std::set<std::pair<int32_t, int32_t>> expected;
    for (int32_t i = 1; i < 40; ++i)
        expected.insert({i, 40 - i});
    EXPECT_EQ(scene.Where(kInk[0]), expected);
}

TEST(RenderRectangular, CurvesCoverTheAxesAndLaterSlotsCoverEarlierOnes) {
    Scene scene(40, 30);
    scene.style.showAxes = true;
    scene.Equations({"0", "", "0", "x"}).Render();
    // y = 0 in slot 1 and slot 3 lies on the horizontal axis: slot 3 wins,
    // except where y = x (slot 4) crosses it at the origin.
    for (int32_t x = 0; x < 40; ++x)
        EXPECT_EQ(scene.At(x, 15), x == 20 ? kInk[3] : kInk[2]) << "column " << x;
    EXPECT_EQ(scene.Count(kInk[0]), 0u);
    // The vertical axis keeps every pixel but the origin.
    for (int32_t y = 0; y < 30; ++y) {
        if (y != 15) {
            EXPECT_EQ(scene.At(20, y), kAxis) << "row " << y;
        }
    }
}

TEST(RenderRectangular, FailedEvaluationsCountAsZero) {
    // "a" compiles but has no value in the plot's table: every sample is 0.
    Scene failing(40, 30), zero(40, 30);
    failing.Equations({"a"}).Render();
    zero.Equations({"0"}).Render();
    EXPECT_EQ(failing.Pixels(), zero.Pixels());
    EXPECT_EQ(failing.Count(kInk[0]), 40u);

    Scene broken(40, 30);
    broken.Equations({"x)"}).Render();
    EXPECT_EQ(broken.Count(kBack), 40u * 30u) << "a text that does not compile draws nothing";
}

TEST(RenderRectangular, TangentStrokesCrossTheCanvasAtTheAsymptotes) {
    // Drawn into a buffer with guard rows above and below the canvas, which
    // must stay untouched however far the strokes reach.
    constexpr int32_t w = 200, h = 100, guard = 4 * h;
    std::vector<uint32_t> buffer((h + 2 * guard) * w, kBack);
    Plotter p;
    p.SetCanvas(buffer.data() + guard * w, 4 * w, w, h);
    p.PlotRectangular("tan(x)", kInk[0]);
    for (int32_t y = 0; y < guard; ++y)
        for (int32_t x = 0; x < w; ++x) {
            ASSERT_EQ(buffer[y * w + x], kBack) << "above the canvas at " << x << ", " << y;
            ASSERT_EQ(buffer[(guard + h + y) * w + x], kBack) << "below at " << x << ", " << y;
        }
    auto at = [&](int32_t x, int32_t y) { return buffer[(guard + y) * w + x]; };

    // Near every asymptote pi/2 + k pi inside -10 .. 10 a stroke covers all
    // rows within a column or two.
    const double pi = std::acos(-1.0);
    int strokes = 0;
    for (int k = -3; k <= 2; ++k) {
        const double asymptote = pi / 2 + k * pi;
        SCOPED_TRACE("asymptote at " + std::to_string(asymptote));
        const int32_t c = p.XToColumn(asymptote);
        for (int32_t y = 0; y < h; ++y) {
            bool covered = false;
            for (int32_t x = std::max(c - 2, 0); x <= std::min(c + 2, w - 1); ++x)
                covered = covered || at(x, y) == kInk[0];
            ASSERT_TRUE(covered) << "row " << y;
        }
        ++strokes;
    }
    EXPECT_EQ(strokes, 6);
    // Away from the asymptotes there are no full-height strokes.
    int fullColumns = 0;
    for (int32_t x = 0; x < w; ++x) {
        int ink = 0;
        for (int32_t y = 0; y < h; ++y)
            ink += at(x, y) == kInk[0];
        fullColumns += ink >= h / 2;
    }
    EXPECT_LE(fullColumns, 2 * 6);
}

TEST(RenderRectangular, SquareRootStartsWhereTwoNeighboursAreFinite) {
    for (int32_t w : {40, 41, 57, 400}) {
        SCOPED_TRACE("width " + std::to_string(w));
        Scene scene(w, 30);
        scene.Equations({"sqrt(x)"}).Render();
        // The first segment joins the first two neighbouring finite samples.
        int32_t first = -1;
        for (int32_t i = 0; i + 1 < w && first < 0; ++i)
            if (std::isfinite(std::sqrt(SampleX(scene.plotter, i))) &&
                std::isfinite(std::sqrt(SampleX(scene.plotter, i + 1))))
                first = i;
        ASSERT_GE(first, 0);
        for (int32_t x = 0; x < first; ++x)
            EXPECT_FALSE(scene.ColumnHas(x, kInk[0])) << "column " << x;
        const double v = std::sqrt(SampleX(scene.plotter, first));
        EXPECT_EQ(scene.At(first, scene.plotter.YToRow(v)), kInk[0]);
    }
}

TEST(RenderRectangular, LoneFiniteSampleDrawsNothing) {
    // sqrt(0 - x*x) is finite only at x = 0, which column 20 of 40 samples.
    Scene scene(40, 30);
    scene.Equations({"sqrt(0-x*x)"}).Render();
    EXPECT_EQ(scene.Count(kInk[0]), 0u);
}

TEST(RenderRectangular, ReciprocalBranchesJoinOnlyWithoutASampleAtZero) {
    {
        SCOPED_TRACE("even width: column 20 samples x = 0 exactly");
        Scene scene(40, 30);
        scene.Equations({"1/x"}).Render();
        ASSERT_EQ(SampleX(scene.plotter, 20), 0.0);
        EXPECT_FALSE(scene.ColumnHas(20, kInk[0]));
        EXPECT_TRUE(scene.ColumnHas(19, kInk[0]));
        EXPECT_TRUE(scene.ColumnHas(21, kInk[0]));
    }
    {
        SCOPED_TRACE("odd width: samples on both sides of 0 are joined");
        Scene scene(41, 30);
        scene.Equations({"1/x"}).Render();
        const double left = SampleX(scene.plotter, 20), right = SampleX(scene.plotter, 21);
        ASSERT_LT(left, 0.0);
        ASSERT_GT(right, 0.0);
        const int32_t top = scene.plotter.YToRow(1 / right), bottom = scene.plotter.YToRow(1 / left);
        ASSERT_LT(top, bottom);
        for (int32_t y = std::max(top, 0); y <= std::min(bottom, 29); ++y)
            EXPECT_TRUE(scene.At(20, y) == kInk[0] || scene.At(21, y) == kInk[0]) << "row " << y;
    }
}

// ---------------------------------------------------------------- parametric and polar curves

// Every pixel of the set can be reached from every other through
// neighbouring pixels (diagonals included).
bool EightConnected(const std::set<std::pair<int32_t, int32_t>>& points) {
    if (points.empty())
        return false;
    std::set<std::pair<int32_t, int32_t>> seen{*points.begin()};
    std::vector<std::pair<int32_t, int32_t>> todo{*points.begin()};
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const std::pair<int32_t, int32_t> next{x + dx, y + dy};
                if (points.count(next) && seen.insert(next).second)
                    todo.push_back(next);
            }
    }
    return seen.size() == points.size();
}

TEST(RenderParametric, WholeTurnsPerIntervalDrawOnlyPoints) {
    // 0 .. 18.849556 is about three turns: each of the three intervals starts
    // and ends on the same pixel, so nothing is subdivided.
    Scene scene(200, 200, Parametric);
    scene.plotter.SetStep(0, 18.849556);
    scene.Equations({"cos(t)", "sin(t)"}).Render();
    const size_t count = scene.Count(kInk[0]);
    EXPECT_GE(count, 1u);
    EXPECT_LE(count, 3u);
    EXPECT_EQ(scene.At(scene.plotter.XToColumn(1), scene.plotter.YToRow(0)), kInk[0]);
}

TEST(RenderParametric, CircleIsClosedAndSoIsPolarRadiusOne) {
    const struct {
        const char* name;
        GraphMode mode;
        std::vector<std::string> equations;
        double half; // view from -half to half on both axes
    } cases[] = {
        {"default view, radius 10 px", Parametric, {"cos(t)", "sin(t)"}, 10},
        {"radius 80 px", Parametric, {"cos(t)", "sin(t)"}, 1.25},
        {"polar, radius 80 px", Polar, {"1"}, 1.25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene(200, 200, c.mode);
        ASSERT_TRUE(scene.plotter.SetRange(-c.half, c.half, -c.half, c.half));
        scene.Equations(c.equations).Render();
        const auto points = scene.Where(kInk[0]);
        EXPECT_TRUE(EightConnected(points));
        // Every direction has a drawn pixel next to the circle's point.
        for (int k = 0; k < 3600; ++k) {
            const double a = k * (2 * std::acos(-1.0) / 3600);
            const int32_t x = scene.plotter.XToColumn(std::cos(a));
            const int32_t y = scene.plotter.YToRow(std::sin(a));
            bool near = false;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    near = near || points.count({x + dx, y + dy});
            ASSERT_TRUE(near) << "angle " << a;
        }
        // And nothing far from it.
        const double pixel = 2 * c.half / 200;
        for (const auto& [x, y] : points) {
            // Rounding centres column x on world x = half * (x / 100 - 1).
            const double wx = c.half * (x / 100.0 - 1), wy = c.half * (1 - y / 100.0);
            EXPECT_NEAR(std::hypot(wx, wy), 1.0, 2 * pixel) << "at " << x << ", " << y;
        }
    }
}

TEST(RenderParametric, PairsUseTheFirstFourColours) {
    Scene scene(200, 200, Parametric);
    scene.Equations({"cos(t)", "sin(t)", "3*cos(t)", "3*sin(t)", "5*cos(t)", "5*sin(t)",
                     "7*cos(t)", "7*sin(t)"})
        .Render();
    for (int i = 0; i < 4; ++i)
        EXPECT_GT(scene.Count(kInk[i]), 0u) << "pair " << i + 1;
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(scene.Count(kInk[i]), 0u) << "colour " << i + 1;
}

TEST(RenderParametric, PairWithoutXTextIsSkipped) {
    // Only the x text decides whether a pair is drawn (the checks make sure
    // both are present before a plot).
    Scene scene(100, 100, Parametric);
    scene.Equations({"", "sin(t)", "cos(t)", "sin(t)"}).Render();
    EXPECT_EQ(scene.Count(kInk[0]), 0u);
    EXPECT_GT(scene.Count(kInk[1]), 0u);
}

TEST(RenderParametric, PiecesWithANonFiniteEndAreLeftOut) {
    // Half of each curve is NaN. The pieces next to the boundary end at a
    // point whose row or column saturates; drawn, they would be strokes to
    // the edge of the canvas. Every pixel must stay near the parabola.
    const struct {
        const char* x;
        const char* y;
        bool yOfX;   // the parabola is y = s * x^2 (else x = s * y^2)
        double sign; // s
    } cases[] = {
        {"t", "sqrt(0-t)", false, -1}, // NaN after the finite part (y)
        {"sqrt(0-t)", "t", true, -1},  // the same for x
        {"t", "sqrt(t)", false, 1},    // NaN before the finite part (y)
        {"sqrt(t)", "t", true, 1},     // the same for x
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.x) + ", " + c.y);
        Scene scene(200, 200, Parametric);
        scene.Equations({c.x, c.y}).Render();
        const auto points = scene.Where(kInk[0]);
        EXPECT_GT(points.size(), 20u);
        for (const auto& [column, row] : points) {
            const double x = column / 10.0 - 10, y = 10 - row / 10.0; // 0.1 per pixel
            const double along = c.yOfX ? x : y, across = c.yOfX ? y : x;
            EXPECT_GE(along, -0.2) << "at " << column << ", " << row;
            EXPECT_LE(std::fabs(across - c.sign * along * along), 0.2 + 0.4 * std::fabs(along))
                << "at " << column << ", " << row;
        }
    }
}

TEST(RenderParametric, FailedEvaluationsCountAsZero) {
    Scene failing(100, 100, Parametric), zero(100, 100, Parametric);
    failing.Equations({"a", "sin(t)"}).Render();
    zero.Equations({"0", "sin(t)"}).Render();
    EXPECT_EQ(failing.Pixels(), zero.Pixels());
    EXPECT_GT(failing.Count(kInk[0]), 0u);
}

TEST(RenderPolar, MatchesTheParametricCurveOfTheSamePoints) {
    // r = f(t) is the point (cos(t) * r, sin(t) * r): the same values, so the
    // same pixels, as the parametric pair written out.
    const struct {
        const char* r;
        const char* x;
        const char* y;
    } cases[] = {
        {"1", "cos(t)*1", "sin(t)*1"},
        {"t", "cos(t)*t", "sin(t)*t"},
        {"2*sin(3*t)", "cos(t)*(2*sin(3*t))", "sin(t)*(2*sin(3*t))"},
        {"a", "cos(t)*0", "sin(t)*0"}, // a failed evaluation counts as 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.r);
        Scene polar(160, 120, Polar), parametric(160, 120, Parametric);
        polar.Equations({c.r}).Render();
        parametric.Equations({c.x, c.y}).Render();
        EXPECT_EQ(polar.Pixels(), parametric.Pixels());
        EXPECT_GT(polar.Count(kInk[0]), 0u);
    }
}

TEST(RenderPolar, EverySlotHasItsOwnColourAndLaterSlotsWin) {
    Scene scene(200, 200, Polar);
    scene.Equations({"1", "2", "3", "4", "5", "6", "7", "8"}).Render();
    for (int i = 0; i < 8; ++i)
        EXPECT_GT(scene.Count(kInk[i]), 0u) << "slot " << i + 1;

    Scene same(200, 200, Polar);
    same.Equations({"4", "", "", "", "", "", "", "4"}).Render();
    EXPECT_EQ(same.Count(kInk[0]), 0u);
    EXPECT_GT(same.Count(kInk[7]), 0u);
}

// A buffer whose rows are padded gets the same picture in its rows, and its
// padding is never written.
TEST(RenderGraph, PaddedRowsGetTheSamePicture) {
    Scene plain(37, 23);
    plain.style.showAxes = true;
    plain.Equations({"x*x/4-3", "sin(3*x)*5"}).Render();

    const int32_t pad = 5, strideWords = 37 + pad;
    const uint32_t kPadding = 0xdeadbe;
    std::vector<uint32_t> words(static_cast<size_t>(strideWords) * 23, kPadding);
    Plotter padded;
    padded.SetCanvas(words.data(), 4 * strideWords, 37, 23);
    RenderGraph(padded, plain.equations, plain.style);
    for (int32_t y = 0; y < 23; ++y)
        for (int32_t x = 0; x < strideWords; ++x)
            ASSERT_EQ(words[y * strideWords + x], x < 37 ? plain.At(x, y) : kPadding)
                << "pixel " << x << "," << y;
}

// ---------------------------------------------------------------- degenerate canvases

TEST(RenderGraph, EmptyCanvasDrawsNothing) {
    const struct {
        int32_t width, height;
    } sizes[] = {{0, 10}, {10, 0}, {0, 0}};
    for (const auto& size : sizes)
        for (GraphMode mode : {Rectangular, Parametric, Polar}) {
            SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) +
                         " mode " + std::to_string(mode));
            Scene scene(size.width, size.height, mode);
            scene.style.showAxes = true;
            scene.Equations({"x", "t", "cos(t)", "sin(t)", "1/x", "t*t", "1", "tan(x)"}).Render();
            EXPECT_EQ(scene.canvas.bits(), nullptr);
        }

    SCOPED_TRACE("zero-width plotter over real pixels");
    std::vector<uint32_t> words(16, kBack);
    Plotter p;
    p.SetCanvas(words.data(), 0, 0, 4);
    p.PlotRectangular("x", kInk[0]);
    p.PlotParametric("cos(t)", "sin(t)", kInk[0]);
    p.PlotPolar("1", kInk[0]);
    EXPECT_EQ(words, std::vector<uint32_t>(16, kBack));
}

} // namespace
