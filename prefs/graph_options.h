// The display settings the Options dialog edits and the preferences keep:
// how the graph looks, with its mode. A default record holds the built-in
// defaults.
#pragma once

#include <cstdint>

#include "plot/graph_style.h"

struct GraphOptions : GraphStyle {
    int32_t mode = 0; // GraphMode: 0 Rectangular, 1 Parametric, 2 Polar

    bool operator==(const GraphOptions&) const = default;
};
