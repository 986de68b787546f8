// The entry points that take an equation's text: value and slope at a
// point, and the integral, unbounded or within a work's bounds; and the
// lines of the points, values and integrals asked for, within their time.
#include <cmath>

#include "analysis/analysis.h"
#include "analysis/analysis_curve.h"
#include "analysis/integral.h"
#include "analysis/points.h"

namespace {

// A work that has stopped already is not even given the text to compile.
ValueAndSlope ValueOf(const std::string& equation, double x, AnalysisWork* work) {
    AnalysisCurve curve;
    ValueAndSlope result;
    if (work && work->Stopping()) {
        result.stopped = true;
        return result;
    }
    if (!curve.Compile(equation))
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

Integral IntegralOf(const std::string& equation, double a, double b, AnalysisWork* work) {
    AnalysisCurve curve;
    if (work && work->Stopping())
        return {Integral::Status::Stopped, 0, 0};
    if (!curve.Compile(equation))
        return {Integral::Status::Diverges, 0, 0};
    curve.work = work;
    return IntegrateCompiled(curve, a, b);
}

} // namespace

ValueAndSlope EvaluateWithSlope(const std::string& equation, double x) {
    return ValueOf(equation, x, nullptr);
}

ValueAndSlope EvaluateWithSlope(const std::string& equation, double x, AnalysisWork& work) {
    return ValueOf(equation, x, &work);
}

Integral IntegrateCurve(const std::string& equation, double a, double b) {
    return IntegralOf(equation, a, b, nullptr);
}

Integral IntegrateCurve(const std::string& equation, double a, double b, AnalysisWork& work) {
    return IntegralOf(equation, a, b, &work);
}

std::vector<std::string> ValueAndIntegralLines(
    const std::array<std::string, 8>& equations, const std::vector<double>& at,
    const std::vector<std::pair<double, double>>& integrals, AnalysisClock::time_point end,
    const std::atomic<bool>* cancel) {
    size_t curves = 0;
    for (const std::string& equation : equations)
        curves += !equation.empty();
    size_t left = curves * (at.size() + integrals.size());
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
            if (!equations[i].empty()) {
                AnalysisWork work = bounded();
                lines.push_back(ValueLine(i, x, EvaluateWithSlope(equations[i], x, work)));
            }
    for (const auto& [a, b] : integrals)
        for (int i = 0; i < 8; ++i)
            if (!equations[i].empty()) {
                AnalysisWork work = bounded();
                lines.push_back(IntegralLine(i, a, b, IntegrateCurve(equations[i], a, b, work)));
            }
    return lines;
}

std::vector<std::string> AnalyzeLines(const std::array<std::string, 8>& equations, double xMin,
                                      double xMax, const std::vector<double>& at,
                                      const std::vector<std::pair<double, double>>& integrals) {
    const AnalysisClock::time_point start = AnalysisClock::now();
    AnalysisWork work;
    work.deadline = start + kPointsTime;
    std::vector<std::string> lines = PointLines(FindPointsCounted(equations, xMin, xMax, work));
    for (std::string& line :
         ValueAndIntegralLines(equations, at, integrals, start + kPointsTime + kValuesTime))
        lines.push_back(std::move(line));
    return lines;
}
