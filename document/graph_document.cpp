#include "document/graph_document.h"

#include <cmath>

#include "document/document_rules.h"
#include "document/utf8_text.h"

namespace {

bool IsColorWord(uint32_t word) {
    return word <= 0xFFFFFF;
}

} // namespace

const char* ModeName(GraphMode mode) {
    switch (mode) {
    case Rectangular:
        return "rectangular";
    case Parametric:
        return "parametric";
    case Polar:
        return "polar";
    }
    return nullptr;
}

std::optional<std::string> ViewProblem(const char* axis, double min, double max) {
    // The plotter's own rule decides, so that a document holds no view the
    // Plot command would refuse; the other axis gets a range that passes.
    Plotter probe;
    const bool x = axis[0] == 'x';
    if (x ? probe.SetRange(min, max, 0, 1) : probe.SetRange(0, 1, min, max))
        return std::nullopt;
    return std::string("\"") + axis +
           "\" must be two finite numbers, the first less than the second";
}

std::optional<std::string> StepProblem(double start, double stop) {
    if (std::isfinite(start) && std::isfinite(stop))
        return std::nullopt;
    return std::string("\"t\" must be two finite numbers");
}

std::optional<std::string> EquationProblem(size_t slot, std::string_view text) {
    const std::optional<size_t> length = CountCodePoints(text);
    if (!length)
        return "equation " + std::to_string(slot) + " is not valid UTF-8";
    if (*length > kMaxEquationLength)
        return "equation " + std::to_string(slot) + " is longer than " +
               std::to_string(kMaxEquationLength) + " characters";
    return std::nullopt;
}

std::optional<std::string> DocumentProblem(const GraphDocument& document) {
    if (!ModeName(document.mode))
        return "unknown mode \"" + std::to_string(static_cast<int32_t>(document.mode)) + "\"";
    if (auto problem = ViewProblem("x", document.xMin, document.xMax))
        return problem;
    if (auto problem = ViewProblem("y", document.yMin, document.yMax))
        return problem;
    if (auto problem = StepProblem(document.tStart, document.tStop))
        return problem;
    for (size_t i = 0; i < document.equations.size(); ++i)
        if (auto problem = EquationProblem(i + 1, document.equations[i]))
            return problem;
    if (auto problem = ParametersProblem(document.parameters))
        return problem;
    const GraphStyle& style = document.style;
    for (size_t i = 0; i < style.graphColors.size(); ++i)
        if (!IsColorWord(style.graphColors[i]))
            return "colour " + std::to_string(i + 1) + " is not #RRGGBB";
    if (!IsColorWord(style.backColor))
        return std::string("\"background\" is not #RRGGBB");
    if (!IsColorWord(style.axisColor))
        return std::string("\"axisColor\" is not #RRGGBB");
    return std::nullopt;
}
