// The entry points that take an equation's text: value and slope at a
// point, and the integral.
#include <cmath>

#include "analysis/analysis.h"
#include "analysis/analysis_curve.h"
#include "analysis/integral.h"

ValueAndSlope EvaluateWithSlope(const std::string& equation, double x) {
    AnalysisCurve curve;
    ValueAndSlope result;
    if (!curve.Compile(equation))
        return result;
    const CurvePoint p = curve.At(x);
    result.defined = !std::isnan(p.y);
    if (result.defined) {
        result.y = p.y;
        result.slope = p.slope;
    }
    return result;
}

Integral IntegrateCurve(const std::string& equation, double a, double b) {
    AnalysisCurve curve;
    if (!curve.Compile(equation))
        return {Integral::Status::Diverges, 0, 0};
    return IntegrateCompiled(curve, a, b);
}
