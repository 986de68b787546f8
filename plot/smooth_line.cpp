#include "plot/smooth_line.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "plot/cell_paint.h"
#include "plot/plotter.h"

SmoothLineSink::SmoothLineSink(Plotter& plotter)
    : plotter(plotter), light(SharedLinearLight()), coverage(plotter.coverageScratch) {}

void SmoothLineSink::BeginCurve(uint32_t newColor) {
    color = newColor;
    // Every level is back to zero after EndCurve: only a new size, or a
    // curve left unfinished (by an exception), clears.
    const size_t size = static_cast<size_t>(std::max(plotter.width, 0)) *
                        static_cast<size_t>(std::max(plotter.height, 0));
    if (coverage.size() != size || !touched.empty()) {
        coverage.clear();
        coverage.resize(size, 0);
        touched.clear();
    }
}

void SmoothLineSink::Cover(int64_t column, int64_t row, double amount) {
    if (column < 0 || column >= plotter.width || row < 0 || row >= plotter.height)
        return;
    // Coverage below half a step of 255 would change no pixel.
    const auto level = static_cast<uint8_t>(std::clamp(amount, 0.0, 1.0) * 255 + 0.5);
    if (level == 0)
        return;
    const size_t index =
        static_cast<size_t>(row) * static_cast<size_t>(plotter.width) + static_cast<size_t>(column);
    uint8_t& held = coverage[index];
    if (held == 0)
        touched.push_back(static_cast<uint32_t>(index));
    held = std::max(held, level);
}

void SmoothLineSink::Segment(const PlotPoint& from, const PlotPoint& to) {
    if (!plotter.pixels || coverage.empty())
        return;
    // Pixel centres at whole numbers; rows limited, columns saturated.
    const double x0 = plotter.UnroundedColumn(from.x), y0 = plotter.UnroundedRow(from.y);
    const double x1 = plotter.UnroundedColumn(to.x), y1 = plotter.UnroundedRow(to.y);
    if (std::isnan(x0) || std::isnan(y0) || std::isnan(x1) || std::isnan(y1))
        return;
    // Walk the major axis over the whole pixels between the rounded ends;
    // the minor coordinate follows the ideal line (held at the ends beyond
    // them), and its two nearest pixels share the step's ink.
    const bool yMajor = std::fabs(y1 - y0) > std::fabs(x1 - x0);
    double a0 = yMajor ? y0 : x0, a1 = yMajor ? y1 : x1;
    double b0 = yMajor ? x0 : y0, b1 = yMajor ? x1 : y1;
    if (a0 > a1) {
        std::swap(a0, a1);
        std::swap(b0, b1);
    }
    const double majorLimit = yMajor ? plotter.height : plotter.width;
    const double first = std::max(std::floor(a0 + 0.5), 0.0);
    const double last = std::min(std::floor(a1 + 0.5), majorLimit - 1);
    const double slope = a1 > a0 ? (b1 - b0) / (a1 - a0) : 0.0;
    for (double a = first; a <= last; ++a) {
        const double b = b0 + (std::clamp(a, a0, a1) - a0) * slope;
        const double below = std::floor(b);
        const double fraction = b - below;
        const auto major = static_cast<int64_t>(a), minor = static_cast<int64_t>(below);
        if (yMajor) {
            Cover(minor, major, 1 - fraction);
            Cover(minor + 1, major, fraction);
        } else {
            Cover(major, minor, 1 - fraction);
            Cover(major, minor + 1, fraction);
        }
    }
}

void SmoothLineSink::EndCurve() {
    float linear[3];
    for (int i = 0; i < 3; ++i)
        linear[i] = light.Decode(static_cast<uint8_t>(color >> (8 * i)));
    auto mix = [&](uint32_t under, uint8_t level) {
        const float amount = level / 255.0f;
        uint32_t mixed = 0;
        for (int i = 0; i < 3; ++i) {
            const float o = light.Decode(static_cast<uint8_t>(under >> (8 * i)));
            mixed |= static_cast<uint32_t>(light.Encode(o + (linear[i] - o) * amount)) << (8 * i);
        }
        return mixed;
    };
    // Most of a curve lies over one colour (the background): its blends are
    // remembered per coverage level. Colours are 24-bit, so ~0 marks unknown.
    uint32_t commonUnder = ~0u;
    uint32_t known[256];
    std::fill(std::begin(known), std::end(known), ~0u);
    auto* const base = reinterpret_cast<unsigned char*>(plotter.pixels);
    const auto width = static_cast<size_t>(plotter.width);
    const bool packed = plotter.stride == 4 * plotter.width;
    for (const uint32_t index : touched) {
        uint8_t& level = coverage[index];
        auto* pixel = packed ? reinterpret_cast<uint32_t*>(base) + index
                             : reinterpret_cast<uint32_t*>(base + (index / width) * plotter.stride +
                                                           4 * (index % width));
        const uint32_t under = *pixel;
        if (level == 255) {
            *pixel = color;
        } else if (under == commonUnder) {
            if (known[level] == ~0u)
                known[level] = mix(under, level);
            *pixel = known[level];
        } else {
            if (commonUnder == ~0u)
                commonUnder = under;
            *pixel = under == commonUnder ? (known[level] = mix(under, level)) : mix(under, level);
        }
        level = 0;
    }
    touched.clear();
}

SmoothLineSink::~SmoothLineSink() {
    // A curve left unfinished (an exception while it was traced) leaves the
    // plotter's scratch clear for the next sink.
    for (const uint32_t index : touched)
        coverage[index] = 0;
}

void SmoothLineSink::Cells(const CellMap& map, uint32_t cellColor) {
    PaintCells(plotter, map, cellColor);
}
