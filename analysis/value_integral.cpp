// The entry points that take an equation's text: value and slope at a
// point, and the integral, unbounded or within a work's bounds; and the
// lines of the points, values and integrals asked for, within their time.
#include <cmath>

#include "analysis/analysis.h"
#include "analysis/analysis_curve.h"
#include "analysis/integral.h"
#include "analysis/points.h"

namespace {

// A work that has stopped already looks at no curve (nor compiles its text).
ValueAndSlope ValueOf(AnalysisCurve& curve, double x, AnalysisWork* work) {
    ValueAndSlope result;
    if (work && work->Stopping()) {
        result.stopped = true;
        return result;
    }
    if (!curve.Defined())
        return result;
    curve.work = work;
    const CurvePoint p = curve.At(x);
    result.stopped = work && work->stopped;
    result.defined = !result.stopped && !std::isnan(p.y);
    if (result.defined) {
        result.y = p.y;
        result.slope = p.slope;
    }
    return result;
}

Integral IntegralOf(AnalysisCurve& curve, double a, double b, AnalysisWork* work) {
    if (work && work->Stopping())
        return {Integral::Status::Stopped, 0, 0};
    if (!curve.Defined())
        return {Integral::Status::Diverges, 0, 0};
    curve.work = work;
    return IntegrateCompiled(curve, a, b);
}

// The text compiled only when the work goes on.
template <class Read>
auto OfText(const std::string& equation, AnalysisWork* work, Read read) {
    AnalysisCurve curve;
    if (!(work && work->Stopping()))
        curve.Compile(equation);
    return read(curve);
}

} // namespace

ValueAndSlope EvaluateWithSlope(const std::string& equation, double x) {
    return OfText(equation, nullptr, [&](AnalysisCurve& c) { return ValueOf(c, x, nullptr); });
}

ValueAndSlope EvaluateWithSlope(const std::string& equation, double x, AnalysisWork& work) {
    return OfText(equation, &work, [&](AnalysisCurve& c) { return ValueOf(c, x, &work); });
}

ValueAndSlope EvaluateWithSlope(AnalysisCurve& curve, double x) {
    return ValueOf(curve, x, nullptr);
}

ValueAndSlope EvaluateWithSlope(AnalysisCurve& curve, double x, AnalysisWork& work) {
    return ValueOf(curve, x, &work);
}

Integral IntegrateCurve(const std::string& equation, double a, double b) {
    return OfText(equation, nullptr, [&](AnalysisCurve& c) { return IntegralOf(c, a, b, nullptr); });
}

Integral IntegrateCurve(const std::string& equation, double a, double b, AnalysisWork& work) {
    return OfText(equation, &work, [&](AnalysisCurve& c) { return IntegralOf(c, a, b, &work); });
}

Integral IntegrateCurve(AnalysisCurve& curve, double a, double b, AnalysisWork& work) {
    return IntegralOf(curve, a, b, &work);
}

std::vector<std::string> ValueAndIntegralLines(
    const AnalysisCurves& curves, const std::vector<double>& at,
    const std::vector<std::pair<double, double>>& integrals, AnalysisClock::time_point end,
    const std::atomic<bool>* cancel) {
    size_t count = 0;
    for (const AnalysisCurve* curve : curves)
        count += curve != nullptr;
    size_t left = count * (at.size() + integrals.size());
    std::vector<std::string> lines;
    lines.reserve(left);
    auto bounded = [&] {
        AnalysisWork work;
        work.deadline = ShareOfTime(end, left--);
        work.cancel = cancel;
        return work;
    };
    for (const double x : at)
        for (int i = 0; i < 8; ++i)
            if (curves[i]) {
                AnalysisWork work = bounded();
                lines.push_back(ValueLine(i, x, EvaluateWithSlope(*curves[i], x, work)));
            }
    for (const auto& [a, b] : integrals)
        for (int i = 0; i < 8; ++i)
            if (curves[i]) {
                AnalysisWork work = bounded();
                lines.push_back(IntegralLine(i, a, b, IntegrateCurve(*curves[i], a, b, work)));
            }
    return lines;
}

std::vector<std::string> ValueAndIntegralLines(
    const std::array<std::string, 8>& equations, const std::vector<double>& at,
    const std::vector<std::pair<double, double>>& integrals, AnalysisClock::time_point end,
    const std::atomic<bool>* cancel) {
    const CompiledTexts curves(equations);
    return ValueAndIntegralLines(curves.Curves(), at, integrals, end, cancel);
}

std::vector<std::string> AnalyzeLines(const std::array<std::string, 8>& equations, double xMin,
                                      double xMax, const std::vector<double>& at,
                                      const std::vector<std::pair<double, double>>& integrals) {
    const CompiledTexts curves(equations);
    return AnalyzeLines(curves.Curves(), xMin, xMax, at, integrals);
}

std::vector<std::string> AnalyzeLines(const AnalysisCurves& curves, double xMin, double xMax,
                                      const std::vector<double>& at,
                                      const std::vector<std::pair<double, double>>& integrals) {
    const AnalysisClock::time_point start = AnalysisClock::now();
    AnalysisWork work;
    work.deadline = start + kPointsTime;
    std::vector<std::string> lines = PointLines(FindPointsCounted(curves, xMin, xMax, work));
    for (std::string& line : ValueAndIntegralLines(curves, at, integrals,
                                                   start + kPointsTime + kValuesTime))
        lines.push_back(std::move(line));
    return lines;
}
