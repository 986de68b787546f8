// Drawing the whole graph: background, axes, then the curves of the mode.
#pragma once

#include <string>

#include "app/canvas.h"
#include "plot/plotter.h"
#include "prefs/graph_options.h"

// The eight equation slots in order; an empty text is an empty slot.
using EquationSlots = std::string[8];

// Fills the canvas with the background, draws the axes when they are shown
// (each only when it falls inside the canvas), then every non-empty slot of
// the plotter's mode in its colour: pairs (1,2) .. (7,8) in colours 1 to 4 in
// Parametric mode, slot i in colour i otherwise. Pixels are overwritten,
// later slots over earlier ones. The plotter must describe the canvas's
// pixels. Only `graphColors`, `backColor`, `axisColor` and `showAxes` of the
// options are used; the mode is the plotter's.
void RenderGraph(Canvas& canvas, Plotter& plotter, const EquationSlots& equations,
                 const GraphOptions& style);
