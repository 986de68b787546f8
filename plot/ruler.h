// Tick values and labels of the two scale rulers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plot/dpi_scale.h"
#include "plot/plotter.h"

// Pixels between ticks at least, length of a label box, and how far a tick
// must stay from both ends of the canvas to be labelled, at 96 dots per inch.
inline constexpr int32_t kTickSpacing = 60;
inline constexpr int32_t kLabelMargin = 30;

struct TickSpacing {
    double step = 0;  // 0: no ticks
    int decimals = 0; // decimals of the labels
};

// The tick step for `pixels` pixels showing `span` world units: a power of
// ten or half of one, with at most pixels / spacing ticks in the range.
TickSpacing TickStep(int32_t pixels, double span, int32_t spacing);

struct RulerLabel {
    int32_t position; // column (horizontal ruler) or row (vertical ruler)
    std::string text; // the value as "%.*f" with the step's decimals
};

// The labelled ticks of the horizontal ruler (x axis) and of the vertical
// ruler (y axis) for a canvas of the plotter's size, in increasing value.
// The list stops when the value no longer advances and never holds more
// ticks than fit. On a display of `dpi` dots per inch the spacing and the
// margin grow with it, so a canvas twice as many pixels wide at 192 gets the
// labels it gets at 96.
std::vector<RulerLabel> HorizontalRulerLabels(const Plotter& plotter, int32_t dpi = kBaseDpi);
std::vector<RulerLabel> VerticalRulerLabels(const Plotter& plotter, int32_t dpi = kBaseDpi);
