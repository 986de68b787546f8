#include "plot/render.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "plot/smooth_line.h"

namespace {

uint32_t* Row(const Plotter& plotter, int32_t y) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(plotter.pixels) +
                                       static_cast<ptrdiff_t>(y) * plotter.stride);
}

void Fill(const Plotter& plotter, uint32_t color) {
    if (plotter.stride == 4 * plotter.width) { // rows without padding: one run
        std::fill_n(plotter.pixels, static_cast<size_t>(plotter.width) * plotter.height, color);
        return;
    }
    for (int32_t y = 0; y < plotter.height; ++y)
        std::fill_n(Row(plotter, y), plotter.width, color);
}

// The background, then the axes that are in view (each on its own).
void DrawBackground(const Plotter& plotter, const GraphStyle& style) {
    Fill(plotter, style.backColor);
    if (!style.showAxes)
        return;
    const int32_t row = plotter.YToRow(0);
    const int32_t column = plotter.XToColumn(0);
    if (row >= 0 && row < plotter.height)
        std::fill_n(Row(plotter, row), plotter.width, style.axisColor);
    if (column >= 0 && column < plotter.width)
        for (int32_t y = 0; y < plotter.height; ++y)
            Row(plotter, y)[column] = style.axisColor;
}

// Slot i's map when it fits the plotter's pixels, else null.
const CellMap* FittingMap(const Plotter& plotter, const RelationMaps* maps, int i) {
    if (!maps)
        return nullptr;
    const CellMap* map = (*maps)[i].get();
    if (!map || map->width != plotter.width || map->height != plotter.height)
        return nullptr;
    return map;
}

} // namespace

void RenderGraph(Plotter& plotter, CompiledGraph& graph, const GraphStyle& style,
                 const RelationMaps* maps) {
    if (!plotter.pixels || plotter.width <= 0 || plotter.height <= 0)
        return;
    DrawBackground(plotter, style);
    if (style.smoothCurves) {
        try {
            SmoothLineSink sink(plotter);
            TraceCurves(plotter, graph, style, sink, maps);
            return;
        } catch (const std::bad_alloc&) {
            // No memory for the coverage: the exact curves still show the
            // graph, drawn afresh so that no cell is blended in twice.
            DrawBackground(plotter, style);
        }
    }
    {
        ExactLineSink sink(plotter);
        TraceCurves(plotter, graph, style, sink, maps);
    }
}

void RenderGraph(Plotter& plotter, const EquationSlots& equations, const GraphStyle& style) {
    CompiledGraph graph = CompileCurves(plotter.mode, equations);
    RenderGraph(plotter, graph, style);
}

void TraceCurves(Plotter& plotter, CompiledGraph& graph, const GraphStyle& style,
                 CurveSink& sink, const RelationMaps* maps) {
    const auto& curves = graph.curves;
    switch (plotter.mode) {
    case Parametric:
        for (int k = 0; k < 4; ++k)
            if (curves[2 * k]) {
                sink.BeginCurve(style.graphColors[k]);
                if (curves[2 * k + 1])
                    plotter.PlotParametric(*curves[2 * k], *curves[2 * k + 1], sink);
                sink.EndCurve();
            }
        break;
    case Polar:
        for (int i = 0; i < 8; ++i)
            if (curves[i]) {
                sink.BeginCurve(style.graphColors[i]);
                plotter.PlotPolar(*curves[i], sink);
                sink.EndCurve();
            }
        break;
    default:
        for (int i = 0; i < 8; ++i) {
            // Slots decided cell by cell are drawn from their maps alone.
            if (graph.relations[i] ||
                (style.exactCurves && plotter.mode == Rectangular && curves[i])) {
                if (const CellMap* map = FittingMap(plotter, maps, i))
                    sink.Cells(*map, style.graphColors[i]);
                continue;
            }
            if (curves[i]) {
                sink.BeginCurve(style.graphColors[i]);
                plotter.PlotRectangular(*curves[i], sink);
                sink.EndCurve();
            }
        }
        break;
    }
}

void TraceCurves(Plotter& plotter, const EquationSlots& equations, const GraphStyle& style,
                 CurveSink& sink) {
    CompiledGraph graph = CompileCurves(plotter.mode, equations);
    TraceCurves(plotter, graph, style, sink);
}

CompiledGraph CompileCurves(GraphMode mode, const EquationSlots& equations) {
    const bool parametric = mode == Parametric;
    const std::string_view variable = parametric || mode == Polar ? "t" : "x";
    CompiledGraph graph;
    for (int i = 0; i < 8; ++i) {
        if (mode == Rectangular && IsRelationText(equations[i])) {
            graph.relations[i] = CompiledRelation::Compile(equations[i]);
            continue;
        }
        const bool pairedY = parametric && i % 2 == 1 && !equations[i - 1].empty();
        if (!equations[i].empty() || pairedY)
            graph.curves[i] = CompiledCurve::Compile(equations[i], variable);
    }
    return graph;
}