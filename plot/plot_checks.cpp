#include "plot/plot_checks.h"

#include <cctype>
#include <cmath>

#include "src/shown_text.h"

PlotRefusal ExpressionRefusal(std::string_view text) {
    // The text is quoted with its control characters escaped: the command
    // line prints this message on a terminal.
    return PlotRefusal{kUnableToEvaluate + EscapeControlCharacters(text), kExpressionCaption};
}

bool IsBlank(std::string_view text) {
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::optional<PlotRefusal> AcceptRange(Plotter& plotter, double xMin, double xMax, double yMin,
                                       double yMax) {
    if (plotter.SetRange(xMin, xMax, yMin, yMax))
        return std::nullopt;
    return PlotRefusal{kInvalidRange, kErrorCaption};
}

std::optional<PlotRefusal> CheckStep(double start, double stop) {
    if (!std::isfinite(start) || !std::isfinite(stop))
        return PlotRefusal{kInvalidStartStop, kErrorCaption};
    return std::nullopt;
}

std::optional<PlotRefusal> AcceptStep(Plotter& plotter, double start, double stop) {
    auto refusal = CheckStep(start, stop);
    if (!refusal)
        plotter.SetStep(start, stop);
    return refusal;
}

std::optional<PlotRefusal> CompileEquations(GraphMode mode, EquationSlots& texts,
                                            CompiledGraph& compiled,
                                            const Parameters& parameters) {
    EquationSlots checked;
    for (int i = 0; i < 8; ++i)
        checked[i] = IsBlank(texts[i]) ? std::string() : texts[i];
    CompiledGraph curves;
    curves.parameters = parameters;
    for (int i = 0; i < 8; ++i) {
        const std::string& text = checked[i];
        if (text.empty())
            continue;
        bool accepted;
        if (mode == Rectangular && IsRelationText(text, parameters)) {
            curves.relations[i] = CompiledRelation::Compile(text, parameters);
            accepted = curves.relations[i] != nullptr;
        } else {
            curves.curves[i] = CompiledCurve::Compile(text, ModeVariable(mode), parameters);
            accepted = curves.curves[i] && curves.curves[i]->Program().Evaluate();
        }
        if (!accepted)
            return ExpressionRefusal(text);
    }
    if (mode == Parametric)
        for (int k = 0; k < 4; ++k)
            if (checked[2 * k].empty() != checked[2 * k + 1].empty())
                return PlotRefusal{kUnpairedEquations, kErrorCaption};
    texts = std::move(checked);
    compiled = std::move(curves);
    return std::nullopt;
}

std::optional<PlotRefusal> AcceptEquations(const Plotter& plotter, EquationSlots& texts,
                                           const Parameters& parameters) {
    CompiledGraph compiled;
    return CompileEquations(plotter.mode, texts, compiled, parameters);
}
