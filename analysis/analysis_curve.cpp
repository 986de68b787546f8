#include "analysis/analysis_curve.h"

#include <cmath>
#include <limits>

#include "expr/builtins.h"

AnalysisCurve::AnalysisCurve() {
    RegisterBuiltins(table);
    table.SetVariable("x", 0.0);
    variable = &table.FindVariable("x")->value;
}

bool AnalysisCurve::Compile(std::string_view text) {
    if (!expression.Compile(text)) {
        slopes = SlopeProgram();
        return false;
    }
    return slopes.Build(expression, variable);
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
