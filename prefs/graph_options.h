// The display settings as one record, as the Options dialog and the
// preferences exchange them. A default record holds the built-in defaults.
#pragma once

#include <array>
#include <cstdint>

#include "plot/graph_style.h"

struct GraphOptions {
    int32_t mode = 0; // GraphMode: 0 Rectangular, 1 Parametric, 2 Polar
    std::array<uint32_t, 8> graphColors = GraphStyle().graphColors;
    uint32_t backColor = GraphStyle().backColor;
    uint32_t axisColor = GraphStyle().axisColor;
    bool showAxes = GraphStyle().showAxes;
    bool smoothCurves = GraphStyle().smoothCurves;

    bool operator==(const GraphOptions&) const = default;
};
