#include "plot/smooth_line.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "plot/plotter.h"

namespace {

// Coverage below half of an 8-bit step changes no pixel; skipping it keeps
// the pixels beside exact joints untouched.
constexpr float kNoCoverage = 1.0f / 512;

} // namespace

SmoothLineSink::SmoothLineSink(Plotter& plotter) : plotter(plotter), light(SharedLinearLight()) {}

void SmoothLineSink::BeginCurve(uint32_t newColor) {
    color = newColor;
    for (int i = 0; i < 3; ++i)
        linear[i] = light.Decode(static_cast<uint8_t>(color >> (8 * i)));
}

void SmoothLineSink::Blend(int64_t column, int64_t row, float coverage) {
    if (column < 0 || column >= plotter.width || row < 0 || row >= plotter.height ||
        coverage < kNoCoverage)
        return;
    auto* pixel = reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(plotter.pixels) +
                                              row * plotter.stride + 4 * column);
    if (coverage >= 1 - kNoCoverage) {
        *pixel = color;
        return;
    }
    const uint32_t under = *pixel;
    uint32_t mixed = 0;
    for (int i = 0; i < 3; ++i) {
        const float o = light.Decode(static_cast<uint8_t>(under >> (8 * i)));
        mixed |= static_cast<uint32_t>(light.Encode(o + (linear[i] - o) * coverage)) << (8 * i);
    }
    *pixel = mixed;
}

void SmoothLineSink::Segment(const PlotPoint& from, const PlotPoint& to) {
    const int64_t limit = Plotter::kRowClamp * plotter.height;
    int64_t c0 = from.column, c1 = to.column;
    int64_t r0 = std::clamp<int64_t>(from.row, -limit, limit);
    int64_t r1 = std::clamp<int64_t>(to.row, -limit, limit);
    if ((c0 < 0 && c1 < 0) || (c0 >= plotter.width && c1 >= plotter.width) || (r0 < 0 && r1 < 0) ||
        (r0 >= plotter.height && r1 >= plotter.height) || !plotter.pixels)
        return;
    // Walk the major axis upwards; the minor coordinate follows the ideal
    // line, and its two nearest pixels share the step's ink.
    const bool yMajor = std::llabs(r1 - r0) > std::llabs(c1 - c0);
    int64_t a0 = yMajor ? r0 : c0, a1 = yMajor ? r1 : c1;
    int64_t b0 = yMajor ? c0 : r0, b1 = yMajor ? c1 : r1;
    if (a0 > a1) {
        std::swap(a0, a1);
        std::swap(b0, b1);
    }
    const int64_t majorLimit = yMajor ? plotter.height : plotter.width;
    const int64_t first = std::max<int64_t>(a0, 0), last = std::min<int64_t>(a1, majorLimit - 1);
    const double slope =
        a1 == a0 ? 0.0 : static_cast<double>(b1 - b0) / static_cast<double>(a1 - a0);
    for (int64_t a = first; a <= last; ++a) {
        const double b = static_cast<double>(b0) + static_cast<double>(a - a0) * slope;
        const double below = std::floor(b);
        const auto fraction = static_cast<float>(b - below);
        const auto minor = static_cast<int64_t>(below);
        if (yMajor) {
            Blend(minor, a, 1 - fraction);
            Blend(minor + 1, a, fraction);
        } else {
            Blend(a, minor, 1 - fraction);
            Blend(a, minor + 1, fraction);
        }
    }
}
