// Drawing the whole graph: background, axes, then the curves of the mode.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "plot/cell_map.h"
#include "plot/compiled_graph.h"
#include "plot/graph_style.h"
#include "plot/plotter.h"

// What is decided so far of each slot's relation (or, with Exact curves,
// of its curve as the relation y = f(x)), over the plotter's pixels as
// cells; null where nothing is decided yet or the slot has none.
using RelationMaps = std::array<std::shared_ptr<const CellMap>, 8>;

// Draws into the pixel buffer the plotter describes: fills it with the
// background, draws the axes when they are shown (each only when it falls
// inside the buffer), then every non-empty slot of the plotter's mode in its
// colour: pairs (1,2) .. (7,8) in colours 1 to 4 in Parametric mode, slot i
// in colour i otherwise. Pixels are overwritten (blended in, for smooth
// curves and for cells), later slots over earlier ones. Smooth curves fall
// back to exact ones when memory runs out. A plotter without pixels draws
// nothing. The curves are those of `graph`, compiled for the plotter's mode.
//
// In Rectangular mode a relation slot is drawn from its map in `maps` (see
// TraceCurves), and nothing while it has none. With the style's Exact
// curves the curve slots are drawn from their maps too, never from samples
// (and so never smoothed); a curve slot without a map draws nothing then.
void RenderGraph(Plotter& plotter, CompiledGraph& graph, const GraphStyle& style,
                 const RelationMaps* maps = nullptr);
// The same for texts, compiled first (see CompileCurves); no relation maps.
void RenderGraph(Plotter& plotter, const EquationSlots& equations, const GraphStyle& style);

// Traces the curves RenderGraph draws, in its order and colours, into
// `sink`: BeginCurve, the segments, EndCurve for each curve (in Parametric
// mode, each pair whose x curve is there). In Rectangular mode a slot drawn
// from cells goes to the sink's Cells in its place instead: a relation slot
// whose map in `maps` has the plotter's size, and with Exact curves a curve
// slot whose map has. Maps are ignored in the other modes. Needs no pixels.
void TraceCurves(Plotter& plotter, CompiledGraph& graph, const GraphStyle& style,
                 CurveSink& sink, const RelationMaps* maps = nullptr);
void TraceCurves(Plotter& plotter, const EquationSlots& equations, const GraphStyle& style,
                 CurveSink& sink);

// The curves of the texts as the drawing of `mode` compiles them: every
// non-empty slot with "t" in Parametric and Polar mode, with "x" in any
// other; in Parametric mode also the y member of a pair whose x member is
// not empty, an empty one included (it draws as y = 0). In Rectangular mode
// a relation's text (IsRelationText) is compiled as a relation instead. A
// text that does not compile has no curve, as an empty slot has none.
CompiledGraph CompileCurves(GraphMode mode, const EquationSlots& equations);
