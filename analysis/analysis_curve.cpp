#include "analysis/analysis_curve.h"

#include <cmath>
#include <limits>

AnalysisCurve::AnalysisCurve(CompiledCurve& curve) {
    slopes.Build(curve.Program(), &curve.Variable());
}

bool AnalysisCurve::Compile(std::string_view text) {
    own = CompiledCurve::Compile(text, "x");
    if (!own) {
        slopes = SlopeProgram();
        return false;
    }
    return slopes.Build(own->Program(), &own->Variable());
}

CurvePoint AnalysisCurve::At(double x, bool withMagnitude) {
    if (work) {
        if (work->Stopping()) {
            constexpr double nan = std::numeric_limits<double>::quiet_NaN();
            return {nan, nan, nan};
        }
        ++work->evaluations;
        work->steps += slopes.Steps();
    }
    CurvePoint point;
    Dual d;
    if (withMagnitude)
        d = slopes.Evaluate(x, point.magnitude);
    else
        d = slopes.Evaluate(x);
    point.y = std::isfinite(d.value) ? d.value : std::numeric_limits<double>::quiet_NaN();
    point.slope = d.slope;
    return point;
}

AnalysisCurve& AnalysisOf(CompiledCurve& curve) {
    // The slot holds one layer's form; this layer is its only user so far.
    auto* form = dynamic_cast<AnalysisCurve*>(curve.extension.get());
    if (!form) {
        auto made = std::make_unique<AnalysisCurve>(curve);
        form = made.get();
        curve.extension = std::move(made);
    }
    return *form;
}

AnalysisCurves AnalysisOf(CompiledGraph& graph) {
    AnalysisCurves curves = {};
    for (size_t i = 0; i < curves.size(); ++i)
        if (graph.curves[i])
            curves[i] = &AnalysisOf(*graph.curves[i]);
    return curves;
}

CompiledTexts::CompiledTexts(const std::array<std::string, 8>& equations) {
    for (size_t i = 0; i < equations.size(); ++i) {
        if (equations[i].empty())
            continue;
        owned[i] = std::make_unique<AnalysisCurve>();
        owned[i]->Compile(equations[i]);
        curves[i] = owned[i].get();
    }
}
