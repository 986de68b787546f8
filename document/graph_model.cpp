#include "document/graph_model.h"

#include <new>

#include "plot/svg_writer.h"

std::optional<PlotRefusal> GraphModel::AcceptEquations(EquationSlots texts) {
    auto curves = std::make_shared<CompiledGraph>();
    auto refusal = CompileEquations(plotter.mode, texts, *curves);
    if (!refusal) {
        equations = std::move(texts);
        compiled = std::move(curves);
        relationMaps = {};
    }
    return refusal;
}

void GraphModel::ClearEquations() {
    equations = {};
    compiled = std::make_shared<CompiledGraph>();
    relationMaps = {};
}

void GraphModel::Render() {
    RenderGraph(plotter, *compiled, style, &relationMaps);
}

std::string GraphModel::Svg() {
    return GraphSvg(plotter, *compiled, style, &relationMaps);
}

GraphDocument GraphModel::Document() const {
    GraphDocument document;
    document.mode = plotter.mode;
    document.xMin = plotter.xMin;
    document.xMax = plotter.xMax;
    document.yMin = plotter.yMin;
    document.yMax = plotter.yMax;
    document.tStart = plotter.tStart;
    document.tStop = plotter.tStop;
    document.equations = equations;
    document.style = style;
    document.style.smoothCurves = false;
    document.style.exactCurves = false;
    return document;
}
