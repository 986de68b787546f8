// Views so wide that their span, or their span times a pixel count, does
// not fit a double: -7e305 .. 7e305, ends near the largest double, step
// ranges from -DBL_MAX to DBL_MAX. Each is an ordinary view whose ends (and
// equations) are scaled by a power of two, which changes no rounding: the
// wide view must draw exactly the ordinary view's picture, and map pixels,
// drag and zoom exactly as it does, scaled. The ordinary views' checksums
// were recorded before wide views were handled, so they keep their pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "plot/ruler.h"
#include "plot/svg_writer.h"
#include "plot/view.h"
#include "render_scenes.h"

namespace {

// Counts the traced segments and keeps them from drawing.
class CountingSink : public CurveSink {
public:
    void BeginCurve(uint32_t) override {}
    void Segment(const PlotPoint&, const PlotPoint&) override { ++segments; }
    size_t segments = 0;
};

struct ScaledView {
    int kx, ky, kt; // the wide view is the ordinary one times 2^kx, 2^ky, 2^kt
};

RenderScene Scaled(const RenderScene& scene, const ScaledView& k,
                   const std::vector<std::string>& equations) {
    RenderScene wide = scene;
    wide.equations = equations;
    for (double* x : {&wide.xMin, &wide.xMax})
        *x = std::ldexp(*x, k.kx);
    for (double* y : {&wide.yMin, &wide.yMax})
        *y = std::ldexp(*y, k.ky);
    for (double* t : {&wide.tStart, &wide.tStop})
        *t = std::ldexp(*t, k.kt);
    return wide;
}

ViewRange Scaled(const ViewRange& v, const ScaledView& k) {
    return {std::ldexp(v.xMin, k.kx), std::ldexp(v.xMax, k.kx), std::ldexp(v.yMin, k.ky),
            std::ldexp(v.yMax, k.ky)};
}

bool Finite(const ViewRange& v) {
    return std::isfinite(v.xMin) && std::isfinite(v.xMax) && std::isfinite(v.yMin) &&
           std::isfinite(v.yMax);
}

std::string Describe(const ViewRange& v) {
    return testing::PrintToString(std::vector<double>{v.xMin, v.xMax, v.yMin, v.yMax});
}

// Whether the labels read as `values`. The tick step is a power of ten from
// pow, whose last bits differ between C libraries at large exponents, so
// the values are compared to within a few units of their last place.
testing::AssertionResult LabelsRead(const std::vector<RulerLabel>& labels,
                                    const std::vector<double>& values) {
    std::string texts;
    bool same = labels.size() == values.size();
    for (size_t i = 0; i < labels.size(); ++i) {
        texts += " " + labels[i].text;
        const double value = std::strtod(labels[i].text.c_str(), nullptr);
        same = same && i < values.size() &&
               std::fabs(value - values[i]) <= 1e-15 * std::fabs(values[i]);
    }
    if (same)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "labels:" << texts;
}

// Where two pictures (or texts) first differ; empty when they are equal.
template <class Sequence>
std::string FirstDifference(const Sequence& a, const Sequence& b) {
    if (a == b)
        return "";
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at " + std::to_string(i);
}

int32_t InkedColumns(const std::vector<uint32_t>& pixels, int32_t width, uint32_t ink) {
    int32_t columns = 0;
    for (int32_t x = 0; x < width; ++x)
        for (size_t i = static_cast<size_t>(x); i < pixels.size(); i += static_cast<size_t>(width))
            if (pixels[i] == ink) {
                ++columns;
                break;
            }
    return columns;
}

TEST(WideViews, DrawAndMoveAsTheOrdinaryViewTheyScale) {
    constexpr double belowTwo = 2 - 0x1p-52; // times 2^1023: the largest double
    const struct {
        RenderScene ordinary;
        ScaledView k;
        std::vector<std::string> wideEquations;
        uint64_t checksum;    // of the ordinary picture
        int32_t inkedColumns; // columns holding curve ink, at least
        std::vector<double> xLabels, yLabels; // label values of the wide view
    } rows[] = {
        {{"x span times a column overflows", Rectangular, 800, 600, {"x"}, -1, 1, -2, 2},
         {1016, 0, 0},
         {"x/2^1016"},
         0x2dca5221c70554c3ull, 800,
         {-5e305, 0, 5e305},
         {-1.5, -1, -0.5, 0, 0.5, 1, 1.5}},
        {{"y span times a row overflows", Rectangular, 400, 300, {"sin(x)*0.8"}, -3, 3, -0.9, 0.9},
         {0, 1023, 0},
         {"sin(x)*0.8*2^1023"},
         0x1d0e448499564518ull, 400,
         {-2, -1, 0, 1, 2},
         {-5e307, 0, 5e307}},
        {{"one tick, beyond the largest double", Rectangular, 100, 100, {"x"}, -0.75, 0.75,
          -0.75, 0.75},
         {1023, 1023, 0},
         {"x"},
         0x91bd3d540a1ba17dull, 99,
         {0},
         {0}},
        {{"t span overflows", Parametric, 300, 300, {"8*cos(3.14159265*t)", "8*sin(3.14159265*t)"},
          -10, 10, -10, 10, -1, 1},
         {0, 0, 1023},
         {"8*cos(3.14159265*(t/2^1023))", "8*sin(3.14159265*(t/2^1023))"},
         0xe50953ceb5df2732ull, 241,
         {-5, 0, 5},
         {-5, 0, 5}},
        {{"t from the least to the largest double", Parametric, 300, 300, {"8*cos(t)", "8*sin(t)"},
          -10, 10, -10, 10, -belowTwo, belowTwo},
         {0, 0, 1023},
         {"8*cos(t/2^1023)", "8*sin(t/2^1023)"},
         0xc298e204ce0c0431ull, 171,
         {-5, 0, 5},
         {-5, 0, 5}},
        {{"t above 1e308: sums of two overflow", Parametric, 300, 300, {"8*cos(7*t)", "8*sin(7*t)"},
          -10, 10, -10, 10, 1, 1.875},
         {0, 0, 1023},
         {"8*cos(7*(t/2^1023))", "8*sin(7*(t/2^1023))"},
         0xe145297300870450ull, 241,
         {-5, 0, 5},
         {-5, 0, 5}},
        {{"an ordinary view", Rectangular, 320, 200, {"x^2-3", "1/x"}, -4, 4, -4, 4},
         {0, 0, 0},
         {"x^2-3", "1/x"},
         0x11790135dc8ccd53ull, 212,
         {0},
         {0}},
    };
    const uint32_t ink = GraphStyle().graphColors[0];
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ordinary.name);
        SceneCanvas ordinary(row.ordinary);
        SceneCanvas wide(Scaled(row.ordinary, row.k, row.wideEquations));
        ASSERT_EQ(wide.plotter.xMax, std::ldexp(row.ordinary.xMax, row.k.kx)) << "range refused";
        ASSERT_EQ(wide.plotter.yMax, std::ldexp(row.ordinary.yMax, row.k.ky)) << "range refused";

        // The pictures: exact, smooth and SVG.
        const std::vector<uint32_t> picture = ordinary.Render();
        EXPECT_EQ(Fnv1a(picture), row.checksum);
        EXPECT_EQ(FirstDifference(wide.Render(), picture), "");
        EXPECT_GE(InkedColumns(picture, row.ordinary.width, ink), row.inkedColumns);
        ordinary.style.smoothCurves = wide.style.smoothCurves = true;
        EXPECT_EQ(FirstDifference(wide.Render(), ordinary.Render()), "") << "smooth";
        EXPECT_EQ(FirstDifference(GraphSvg(wide.plotter, wide.equations, wide.style),
                                  GraphSvg(ordinary.plotter, ordinary.equations, ordinary.style)),
                  "")
            << "SVG";
        CountingSink traced;
        TraceCurves(wide.plotter, wide.equations, wide.style, traced);
        EXPECT_GT(traced.segments, 0u);
        // At most a segment per column, or 2^10 per third of the step range.
        EXPECT_LE(traced.segments,
                  row.ordinary.equations.size() * size_t(std::max(row.ordinary.width, 3 << 10)));

        // The rulers.
        EXPECT_TRUE(LabelsRead(HorizontalRulerLabels(wide.plotter), row.xLabels));
        EXPECT_TRUE(LabelsRead(VerticalRulerLabels(wide.plotter), row.yLabels));

        // Pixel to world, zoom and drag, as in the ordinary view but scaled;
        // a drag that would leave the doubles stops at their end, and a zoom
        // out beyond them is refused.
        const int32_t w = row.ordinary.width, h = row.ordinary.height;
        const int32_t pixels[][2] = {{0, 0}, {1, h - 1}, {w / 2, h / 3}, {w - 1, 1}, {w, h}};
        for (const auto& [column, r] : pixels) {
            SCOPED_TRACE(testing::Message() << "pixel " << column << "," << r);
            const WorldPoint o = PointUnder(ordinary.plotter, column, r);
            const WorldPoint p = PointUnder(wide.plotter, column, r);
            EXPECT_EQ(p.x, std::ldexp(o.x, row.k.kx));
            EXPECT_EQ(p.y, std::ldexp(o.y, row.k.ky));
            const ViewRange in = ZoomedViewAbout(ordinary.plotter, 1 / 1.5, column, r);
            EXPECT_EQ(Describe(ZoomedViewAbout(wide.plotter, 1 / 1.5, column, r)),
                      Describe(Scaled(in, row.k)));
        }
        const ViewRange out = Scaled(ZoomedView(ordinary.plotter, 1.5), row.k);
        Plotter zoomed = wide.plotter;
        const ViewRange wideOut = ZoomedView(wide.plotter, 1.5);
        EXPECT_EQ(zoomed.SetRange(wideOut.xMin, wideOut.xMax, wideOut.yMin, wideOut.yMax),
                  Finite(out) && std::isfinite(out.xMax - out.xMin) &&
                      std::isfinite(out.yMax - out.yMin));
        const int32_t drags[][2] = {{1, -1}, {w / 3, h / 4}, {-w, h}, {w, -h}, {-32768, 32767}};
        for (const auto& [dx, dy] : drags) {
            SCOPED_TRACE(testing::Message() << "drag " << dx << "," << dy);
            const ViewRange expected = Scaled(DraggedView(ordinary.plotter, dx, dy), row.k);
            const ViewRange moved = DraggedView(wide.plotter, dx, dy);
            const Plotter& p = wide.plotter;
            const struct {
                double low, high, expectedLow, expectedHigh, span;
            } axes[] = {{moved.xMin, moved.xMax, expected.xMin, expected.xMax, p.xMax - p.xMin},
                        {moved.yMin, moved.yMax, expected.yMin, expected.yMax, p.yMax - p.yMin}};
            for (const auto& a : axes) {
                if (std::isfinite(a.expectedLow) && std::isfinite(a.expectedHigh)) {
                    EXPECT_EQ(a.low, a.expectedLow);
                    EXPECT_EQ(a.high, a.expectedHigh);
                    continue;
                }
                // Stopped at the end of the doubles it left, the span kept.
                const double largest = std::numeric_limits<double>::max();
                if (a.expectedLow == -std::numeric_limits<double>::infinity())
                    EXPECT_EQ(a.low, -largest);
                else
                    EXPECT_EQ(a.high, largest);
                EXPECT_DOUBLE_EQ(a.high - a.low, a.span);
            }
            Plotter dragged = p;
            EXPECT_TRUE(dragged.SetRange(moved.xMin, moved.xMax, moved.yMin, moved.yMax))
                << Describe(moved);
        }
    }
}

// Polar curves turn by t itself, so a wide step range has no ordinary twin:
// every point of the radius-2 curve lies on its circle (at angles that look
// random, so the chords between them fill the disc, and nothing lies
// outside it), and the tracing ends after a bounded number of segments.
TEST(WideViews, PolarCurveOverTheWholeDoubleRangeStaysOnItsCircle) {
    const double largest = std::numeric_limits<double>::max();
    SceneCanvas scene({"polar", Polar, 300, 300, {"2"}, -10, 10, -10, 10, -largest, largest});
    CountingSink traced;
    TraceCurves(scene.plotter, scene.equations, scene.style, traced);
    EXPECT_GT(traced.segments, 0u);
    EXPECT_LE(traced.segments, size_t(3) << 10);
    scene.style.showAxes = false;
    const std::vector<uint32_t> pixels = scene.Render();
    size_t inked = 0;
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 300; ++x)
            if (pixels[size_t(y) * 300 + x] != scene.style.backColor) {
                ++inked;
                EXPECT_LE(std::hypot(x - 150, y - 150), 31.5) << x << "," << y;
            }
    EXPECT_GT(inked, 0u);
}

} // namespace
