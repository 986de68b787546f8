#include "plot/view.h"

ViewRange ZoomedView(const Plotter& p, double f) {
    const double sx = p.xMax - p.xMin, sy = p.yMax - p.yMin;
    const double cx = p.xMin + sx * 0.5, cy = p.yMin + sy * 0.5;
    return {cx - sx * f * 0.5, cx + sx * f * 0.5, cy - sy * f * 0.5, cy + sy * f * 0.5};
}

WorldPoint PointUnder(const Plotter& p, int32_t column, int32_t row) {
    if (p.width <= 0 || p.height <= 0)
        return {p.xMin, p.yMin};
    return {p.xMin + (p.xMax - p.xMin) * column / p.width,
            p.yMin + (p.yMax - p.yMin) * (static_cast<double>(p.height) - row) / p.height};
}

ViewRange ZoomedViewAbout(const Plotter& p, double f, int32_t column, int32_t row) {
    if (p.width <= 0 || p.height <= 0)
        return ZoomedView(p, f);
    // The point under the pixel keeps it: its distances to the four edges
    // all scale by f.
    const auto [x, y] = PointUnder(p, column, row);
    return {x - (x - p.xMin) * f, x + (p.xMax - x) * f, y - (y - p.yMin) * f, y + (p.yMax - y) * f};
}

ViewRange DraggedView(const Plotter& p, int32_t dxPixels, int32_t dyPixels) {
    if (p.width <= 0 || p.height <= 0)
        return {p.xMin, p.xMax, p.yMin, p.yMax};
    const double dx = static_cast<double>(dxPixels) * (p.xMax - p.xMin) / p.width;
    const double dy = (p.yMax - p.yMin) * static_cast<double>(dyPixels) / p.height;
    return {p.xMin - dx, p.xMax - dx, p.yMin + dy, p.yMax + dy};
}

int32_t WheelSteps::Add(int32_t delta) {
    if ((delta > 0 && pending < 0) || (delta < 0 && pending > 0))
        pending = 0;
    const int64_t total = static_cast<int64_t>(pending) + delta;
    const int64_t steps = total / kNotch;
    pending = static_cast<int32_t>(total - steps * kNotch);
    return static_cast<int32_t>(steps);
}
