// Drawing the whole graph: background, axes, then the curves of the mode.
#pragma once

#include <string>

#include "plot/graph_style.h"
#include "plot/plotter.h"

// The eight equation slots in order; an empty text is an empty slot.
using EquationSlots = std::string[8];

// Draws into the pixel buffer the plotter describes: fills it with the
// background, draws the axes when they are shown (each only when it falls
// inside the buffer), then every non-empty slot of the plotter's mode in its
// colour: pairs (1,2) .. (7,8) in colours 1 to 4 in Parametric mode, slot i
// in colour i otherwise. Pixels are overwritten (blended in, for smooth
// curves), later slots over earlier ones. Smooth curves fall back to exact
// ones when memory runs out. A plotter without pixels draws nothing.
void RenderGraph(Plotter& plotter, const EquationSlots& equations, const GraphStyle& style);

// Traces the curves RenderGraph draws, in its order and colours, into
// `sink`: BeginCurve, the segments, EndCurve for each non-empty slot (pair).
// Needs no pixels.
void TraceCurves(Plotter& plotter, const EquationSlots& equations, const GraphStyle& style,
                 CurveSink& sink);
