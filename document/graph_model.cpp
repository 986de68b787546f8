#include "document/graph_model.h"

#include <new>

#include "plot/svg_writer.h"

std::optional<PlotRefusal> GraphModel::AcceptEquations(EquationSlots texts) {
    auto curves = std::make_shared<CompiledGraph>();
    auto refusal = CompileEquations(plotter.mode, texts, *curves, parameters);
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
    compiled->parameters = parameters;
    relationMaps = {};
}

std::optional<std::string> GraphModel::SetParameter(const Parameter& parameter) {
    if (auto problem = ParameterProblem(parameter))
        return problem;
    Parameter* known = FindParameter(parameters, parameter.name);
    if (!known && parameters.size() >= kMaxParameters)
        return "more than " + std::to_string(kMaxParameters) + " parameters";
    if (known)
        *known = parameter;
    else
        parameters.push_back(parameter);
    compiled->SetParameter(parameter.name, parameter.value);
    relationMaps = {};
    ++parameterRevision;
    return std::nullopt;
}

bool GraphModel::RemoveParameter(std::string_view name) {
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        if (it->name == name) {
            parameters.erase(it);
            ++parameterRevision;
            return true;
        }
    return false;
}

std::optional<std::string> GraphModel::SetParameters(const Parameters& all) {
    if (auto problem = ParametersProblem(all))
        return problem;
    parameters = all;
    for (const Parameter& parameter : all)
        compiled->SetParameter(parameter.name, parameter.value);
    relationMaps = {};
    ++parameterRevision;
    return std::nullopt;
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
    document.parameters = parameters;
    document.style = style;
    document.style.smoothCurves = false;
    document.style.exactCurves = false;
    return document;
}
