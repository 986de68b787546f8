#include "plot/ruler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

TickSpacing TickStep(int32_t pixels, double span, int32_t spacing) {
    TickSpacing result;
    const int32_t n = spacing > 0 ? pixels / spacing : 0;
    if (n <= 0)
        return result;
    const double c = std::log10(span / n);
    double d;
    if (c < 0) {
        const double e = std::floor(-c);
        result.decimals = static_cast<int>(e);
        d = 1 / std::pow(10.0, e);
    } else {
        d = std::pow(10.0, std::ceil(c));
    }
    if (std::floor(span / (d * 0.5)) < n) {
        result.step = d * 0.5;
        if (result.step < 1)
            result.decimals += 1;
    } else {
        result.step = d;
    }
    return result;
}

namespace {

template <class ToPixel>
std::vector<RulerLabel> Labels(int32_t pixels, double minimum, double maximum, int32_t dpi,
                               ToPixel toPixel) {
    std::vector<RulerLabel> labels;
    const int32_t spacing = std::max(1, ScaleToDpi(kTickSpacing, dpi));
    const int32_t margin = ScaleToDpi(kLabelMargin, dpi);
    const TickSpacing tick = TickStep(pixels, maximum - minimum, spacing);
    if (!(tick.step > 0))
        return labels;
    // At most pixels / spacing values lie in [minimum, maximum) when the
    // arithmetic is exact; rounding may add one at either end. A step beyond
    // the largest double (a span above 1e308 with room for one tick) has no
    // multiple but zero.
    const int32_t bound = pixels / spacing + 2;
    double v = std::ceil(minimum / tick.step) * tick.step;
    if (std::isinf(tick.step))
        v = minimum <= 0 ? 0.0 : tick.step;
    for (int32_t i = 0; i <= bound && v < maximum; ++i) {
        const int32_t position = toPixel(v);
        if (position >= margin && position < pixels - margin) {
            const int size = std::snprintf(nullptr, 0, "%.*f", tick.decimals, v);
            std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
            std::snprintf(text.data(), text.size() + 1, "%.*f", tick.decimals, v);
            labels.push_back({position, std::move(text)});
        }
        const double next = v + tick.step;
        if (next == v)
            break; // zoomed in so far that the step no longer moves the value
        v = next;
    }
    return labels;
}

} // namespace

std::vector<RulerLabel> HorizontalRulerLabels(const Plotter& plotter, int32_t dpi) {
    return Labels(plotter.width, plotter.xMin, plotter.xMax, dpi,
                  [&](double v) { return plotter.XToColumn(v); });
}

std::vector<RulerLabel> VerticalRulerLabels(const Plotter& plotter, int32_t dpi) {
    return Labels(plotter.height, plotter.yMin, plotter.yMax, dpi,
                  [&](double v) { return plotter.YToRow(v); });
}
