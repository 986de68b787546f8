// The graph as an SVG document: the vector twin of the raster RenderGraph
// draws, for export and the clipboard.
#pragma once

#include <string>

#include "plot/graph_style.h"
#include "plot/render.h"

// An SVG 1.1 document of the plotter's size in pixels (viewBox the same):
// the background rectangle, the axes on the rows and columns the raster
// puts them on, and each curve as one path per connected run of the samples
// the raster joins, in the raster's order and colours. Points are mapped as
// the raster maps them but not rounded to whole pixels (a pixel's centre at
// +0.5), rows limited as the raster limits them, and each segment clipped to
// a margin around the picture, so the text stays bounded however far a
// curve reaches. Smooth curves make no difference. A slot the raster draws
// from its cell map (see TraceCurves) is, in its place among the curves, one
// filled path per colour class of its cells (see PaintOf) made of the runs
// of that class along each row, at fill-opacity 0.3 (throughout), 1 (holds)
// and 0.6 (undecided), so that it shows what the raster shows. Empty when the
// plotter's size is not positive or memory runs out; needs no pixels.
std::string GraphSvg(Plotter& plotter, CompiledGraph& graph, const GraphStyle& style,
                     const RelationMaps* maps = nullptr);
// The same for texts, compiled first (see CompileCurves).
std::string GraphSvg(Plotter& plotter, const EquationSlots& equations, const GraphStyle& style);

// Writes `document` to `path` (UTF-8) in place of what was there; false on
// any failure (an empty document included), with what went wrong in
// `reason` when it is given, and then a file that was there stays as it was.
bool SaveSvg(const std::string& document, const char* path, std::string* reason = nullptr);
