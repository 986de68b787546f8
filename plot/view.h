// The ways the user moves the visible part of the plane besides typing a
// range: zooming about the centre or about the point under the mouse
// pointer, and dragging. Each computes the new range from the plotter's
// current one and its pixel size; the caller hands it to SetRange, which
// refuses the ranges that rounding at extreme zoom can produce.
#pragma once

#include <cstdint>

#include "plot/plotter.h"

struct ViewRange {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

// The world point that XToColumn and YToRow put on pixel (column, row) of
// the plotter's canvas (its centre); the view's lower corner for an empty
// canvas.
struct WorldPoint {
    double x = 0, y = 0;
};
WorldPoint PointUnder(const Plotter& plotter, int32_t column, int32_t row);

// Both spans scaled by `factor` about the centre of the view: a factor
// below 1 zooms in, above 1 zooms out.
ViewRange ZoomedView(const Plotter& plotter, double factor);

// Both spans scaled by `factor` about the point under pixel (column, row)
// of the plotter's canvas, so that this point keeps its pixel.
ViewRange ZoomedViewAbout(const Plotter& plotter, double factor, int32_t column, int32_t row);

// The view after the mouse moved by (dx, dy) pixels during a drag: the
// picture follows the mouse, one pixel's worth of x and y per pixel. A drag
// that would carry an end beyond the largest double stops the view at that
// end, its span kept. An empty canvas (no pixel size) leaves the view as it
// is.
ViewRange DraggedView(const Plotter& plotter, int32_t dx, int32_t dy);

// Turns mouse-wheel deltas into zoom steps. A notch of a wheel is 120;
// smaller deltas, as touchpads send them, add up until they make one.
// Turning the other way drops what was left over from the old direction.
class WheelSteps {
public:
    static constexpr int32_t kNotch = 120;
    // The whole steps the delta completes: positive away from the user
    // (zoom in), negative towards the user (zoom out).
    int32_t Add(int32_t delta);

private:
    int32_t pending = 0;
};
