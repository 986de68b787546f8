// Zoom and pan arithmetic: where the view goes, that the picture moves with
// the mouse and keeps the point under the pointer, and that extreme zooming
// settles instead of running away.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "plot/plotter.h"
#include "plot/view.h"

namespace {

Plotter Sized(int32_t width, int32_t height) {
    Plotter plotter;
    plotter.SetCanvas(nullptr, 4 * width, width, height);
    return plotter;
}

bool Apply(Plotter& p, const ViewRange& v) {
    return p.SetRange(v.xMin, v.xMax, v.yMin, v.yMax);
}

std::string Field(double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

TEST(Zoom, AboutTheCentreByTheZoomFactor) {
    Plotter p = Sized(640, 480);
    ASSERT_TRUE(Apply(p, ZoomedView(p, 1 / 1.5)));
    for (double bound : {p.xMin, p.yMin})
        EXPECT_EQ(Field(bound), "-6.666667");
    for (double bound : {p.xMax, p.yMax})
        EXPECT_EQ(Field(bound), "6.666667");
    ASSERT_TRUE(Apply(p, ZoomedView(p, 1.5)));
    EXPECT_NEAR(p.xMin, -10, 1e-12);
    EXPECT_NEAR(p.xMax, 10, 1e-12);

    // An off-centre view keeps its centre; each span scales on its own.
    ASSERT_TRUE(p.SetRange(2, 6, -1, 0));
    ASSERT_TRUE(Apply(p, ZoomedView(p, 1.5)));
    EXPECT_EQ(p.xMin, 1);
    EXPECT_EQ(p.xMax, 7);
    EXPECT_EQ(p.yMin, -1.25);
    EXPECT_EQ(p.yMax, 0.25);
}

// The world point under a pixel stays under it, for pixels all over the
// canvas (edges included), zooming in and out, on views that
// are not symmetric about zero.
TEST(Zoom, AboutAPixelKeepsThatPointUnderIt) {
    const struct {
        double xMin, xMax, yMin, yMax;
    } views[] = {{-10, 10, -10, 10}, {0.5, 3.25, -200, -150}, {-1e-6, 3e-6, 1e6, 1e6 + 7}};
    const int32_t pixels[][2] = {{0, 0}, {1, 1}, {320, 240}, {639, 479}, {17, 401}, {640, 480}};
    for (const auto& view : views) {
        for (const auto& pixel : pixels) {
            for (double factor : {1 / 1.5, 1.5, 1 / 1.5 / 1.5}) {
                SCOPED_TRACE(testing::Message()
                             << view.xMin << " .. " << view.xMax << ", pixel " << pixel[0] << ","
                             << pixel[1] << ", factor " << factor);
                Plotter p = Sized(640, 480);
                ASSERT_TRUE(p.SetRange(view.xMin, view.xMax, view.yMin, view.yMax));
                const double x = p.xMin + (p.xMax - p.xMin) * pixel[0] / 640;
                const double y = p.yMin + (p.yMax - p.yMin) * (480.0 - pixel[1]) / 480;
                ASSERT_TRUE(Apply(p, ZoomedViewAbout(p, factor, pixel[0], pixel[1])));
                EXPECT_NEAR(p.xMax - p.xMin, (view.xMax - view.xMin) * factor,
                            1e-9 * (view.xMax - view.xMin));
                EXPECT_EQ(p.XToColumn(x), pixel[0]);
                EXPECT_EQ(p.YToRow(y), pixel[1]);
            }
        }
    }
}

// A drag of (dx, dy) pixels moves every point of the picture by (dx, dy)
// pixels: right and down with the mouse, also far beyond the canvas.
// The point under a pixel is the one the plotter draws on that pixel, over
// views of every scale (the Analysis window's pointer line reads it).
TEST(Pointer, PointUnderAPixelMapsBackToIt) {
    const struct {
        double xMin, xMax, yMin, yMax;
    } views[] = {{-10, 10, -10, 10}, {-1e-9, 3e-9, 5, 5.000001}, {-1e150, 1e150, 0.5, 7}};
    for (const auto& v : views) {
        Plotter p = Sized(641, 479);
        ASSERT_TRUE(p.SetRange(v.xMin, v.xMax, v.yMin, v.yMax));
        for (int32_t column : {0, 1, 320, 640})
            EXPECT_EQ(p.XToColumn(PointUnder(p, column, 0).x), column) << v.xMin;
        for (int32_t row : {0, 1, 240, 478})
            EXPECT_EQ(p.YToRow(PointUnder(p, 0, row).y), row) << v.yMin;
    }
}

TEST(Drag, PictureMovesByTheDraggedPixels) {
    // Where a world point lies on the canvas, in pixels, before rounding.
    const auto column = [](const Plotter& p, double x) {
        return (x - p.xMin) / (p.xMax - p.xMin) * p.width;
    };
    const auto row = [](const Plotter& p, double y) {
        return p.height - (y - p.yMin) / (p.yMax - p.yMin) * p.height;
    };
    const int32_t drags[][2] = {{1, 0}, {0, 1}, {30, -20}, {-250, 75}, {-32768, 32767}};
    for (const auto& d : drags) {
        SCOPED_TRACE(testing::Message() << "drag " << d[0] << "," << d[1]);
        Plotter p = Sized(400, 300);
        ASSERT_TRUE(p.SetRange(-3, 5, 10, 16));
        const double x = 1.5, y = 12.5;
        const double before[2] = {column(p, x), row(p, y)};
        ASSERT_TRUE(Apply(p, DraggedView(p, d[0], d[1])));
        EXPECT_NEAR(column(p, x), before[0] + d[0], 1e-9);
        EXPECT_NEAR(row(p, y), before[1] + d[1], 1e-9);
        EXPECT_DOUBLE_EQ(p.xMax - p.xMin, 8) << "a drag keeps the spans";
        EXPECT_DOUBLE_EQ(p.yMax - p.yMin, 6);
    }
    Plotter empty = Sized(0, 0);
    const ViewRange same = DraggedView(empty, 5, 5);
    EXPECT_EQ(same.xMin, -10);
    EXPECT_EQ(same.yMax, 10);
}

// Zooming without end reaches a view that no longer changes (in) or a
// range that is refused (out), well within a bounded number of steps, and
// the view stays finite and ordered all the way.
TEST(Zoom, RepeatedZoomSettles) {
    const struct {
        const char* name;
        double factor;
        int32_t column, row; // -1: about the centre
    } cases[] = {
        {"in about the centre", 1 / 1.5, -1, -1},
        {"in about a corner", 1 / 1.5, 0, 599},
        {"out about the centre", 1.5, -1, -1},
        {"out about a pixel", 1.5, 123, 45},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Plotter p = Sized(800, 600);
        ASSERT_TRUE(p.SetRange(-10, 10, 0.3, 7));
        int steps = 0, unchanged = 0;
        while (unchanged < 3 && steps < 10000) {
            const ViewRange v = c.column < 0 ? ZoomedView(p, c.factor)
                                             : ZoomedViewAbout(p, c.factor, c.column, c.row);
            const Plotter before = p;
            Apply(p, v);
            unchanged = (p.xMin == before.xMin && p.xMax == before.xMax && p.yMin == before.yMin &&
                         p.yMax == before.yMax)
                            ? unchanged + 1
                            : 0;
            ASSERT_LT(p.xMin, p.xMax);
            ASSERT_LT(p.yMin, p.yMax);
            ++steps;
        }
        EXPECT_EQ(unchanged, 3) << "still changing after " << steps << " steps";
        EXPECT_LT(steps, 4000);
    }
}

TEST(Wheel, NotchesAndSmallDeltasBecomeSteps) {
    const struct {
        const char* name;
        std::vector<int32_t> deltas;
        std::vector<int32_t> steps;
    } cases[] = {
        {"one notch each way", {120, -120}, {1, -1}},
        {"several notches at once", {360, -240}, {3, -2}},
        {"touchpad deltas add up", {40, 40, 40, 40}, {0, 0, 1, 0}},
        {"a remainder is kept", {200, 40}, {1, 1}},
        {"turning back drops the remainder", {100, -30, -90}, {0, 0, -1}},
        {"largest deltas", {32767, -32768}, {273, -273}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WheelSteps wheel;
        for (size_t i = 0; i < c.deltas.size(); ++i)
            EXPECT_EQ(wheel.Add(c.deltas[i]), c.steps[i]) << "delta " << i;
    }
}

} // namespace
