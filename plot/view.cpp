#include "plot/view.h"

#include <cmath>
#include <limits>

#include "plot/span.h"

ViewRange ZoomedView(const Plotter& p, double f) {
    const double sx = p.xMax - p.xMin, sy = p.yMax - p.yMin;
    const double cx = p.xMin + sx * 0.5, cy = p.yMin + sy * 0.5;
    return {cx - sx * f * 0.5, cx + sx * f * 0.5, cy - sy * f * 0.5, cy + sy * f * 0.5};
}

WorldPoint PointUnder(const Plotter& p, int32_t column, int32_t row) {
    if (p.width <= 0 || p.height <= 0)
        return {p.xMin, p.yMin};
    return {p.xMin + SpanFraction(p.xMin, p.xMax, column, p.width),
            p.yMin + SpanFraction(p.yMin, p.yMax, static_cast<double>(p.height) - row, p.height)};
}

ViewRange ZoomedViewAbout(const Plotter& p, double f, int32_t column, int32_t row) {
    if (p.width <= 0 || p.height <= 0)
        return ZoomedView(p, f);
    // The point under the pixel keeps it: its distances to the four edges
    // all scale by f.
    const auto [x, y] = PointUnder(p, column, row);
    return {x - (x - p.xMin) * f, x + (p.xMax - x) * f, y - (y - p.yMin) * f, y + (p.yMax - y) * f};
}

namespace {

// The range [low, high] moved down by `shift`; a shift that would carry an
// end beyond the largest double stops the range at that end, its span kept.
void Shift(double& low, double& high, double shift) {
    const double newLow = low - shift, newHigh = high - shift;
    if (std::isfinite(newLow) && std::isfinite(newHigh)) {
        low = newLow;
        high = newHigh;
        return;
    }
    const double largest = std::numeric_limits<double>::max(), span = high - low;
    if (shift > 0) {
        low = -largest;
        high = -largest + span;
    } else {
        high = largest;
        low = largest - span;
    }
}

} // namespace

ViewRange DraggedView(const Plotter& p, int32_t dxPixels, int32_t dyPixels) {
    ViewRange view{p.xMin, p.xMax, p.yMin, p.yMax};
    if (p.width <= 0 || p.height <= 0)
        return view;
    Shift(view.xMin, view.xMax, SpanFraction(p.xMin, p.xMax, dxPixels, p.width));
    Shift(view.yMin, view.yMax, -SpanFraction(p.yMin, p.yMax, dyPixels, p.height));
    return view;
}

int32_t WheelSteps::Add(int32_t delta) {
    if ((delta > 0 && pending < 0) || (delta < 0 && pending > 0))
        pending = 0;
    const int64_t total = static_cast<int64_t>(pending) + delta;
    const int64_t steps = total / kNotch;
    pending = static_cast<int32_t>(total - steps * kNotch);
    return static_cast<int32_t>(steps);
}
