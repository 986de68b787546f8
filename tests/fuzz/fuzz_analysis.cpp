// Reads the graph of arbitrary expressions: points of interest, values with
// slopes and integrals. Beyond crashes and sanitizer reports it checks the
// promises the Analysis window relies on: points sorted, inside the
// interval, at most kMaxPointsPerCurve per curve, zeros small against the
// curve's values, the slope evaluation's value equal to Evaluate's, and the
// work within its documented bounds.
//
// Input: one byte choosing the interval, one choosing the integral's ends,
// then up to two equations separated by a line feed.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "analysis/bracket.h"
#include "analysis/integral.h"
#include "analysis/points.h"
#include "expr/builtins.h"
#include "expr/expression.h"

namespace {

// A broken promise: says which, then aborts so that libFuzzer keeps the input.
#define Check(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz_analysis.cpp:%d: %s\n", __LINE__, #condition);              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

bool SameBits(double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const double kIntervals[][2] = {{-10, 10},       {0, 1},           {-1e-3, 1e-3}, {1e6, 1e6 + 1},
                                {-1e300, 1e300}, {0.5, 0.5000001}, {-3, 7},       {-0.3, 1e-9}};
const double kEnds[][2] = {
    {0, 1}, {-1, 1},           {1, -2},   {0, HUGE_VAL}, {-HUGE_VAL, HUGE_VAL},
    {2, 2}, {-1e-300, 1e-300}, {0.1, 1e6}};

// The slope evaluation's value against Evaluate at a few points.
void CheckSlopeValues(const std::string& text, double xMin, double xMax) {
    SymbolTable table;
    RegisterBuiltins(table);
    table.SetVariable("x", 0);
    double* x = &table.FindVariable("x")->value;
    Expression e(table);
    SlopeProgram slopes;
    if (!e.Compile(text) || !slopes.Build(e, x))
        return;
    for (const double at : {xMin, xMax, 0.5 * xMin + 0.5 * xMax, 0.0, -0.0, 1.0, double(NAN)}) {
        *x = at;
        e.result = 0;
        Check(e.Evaluate());
        Check(SameBits(slopes.Evaluate(at).value, e.result));
        const ValueAndSlope v = EvaluateWithSlope(text, at);
        Check(v.defined == std::isfinite(e.result));
        Check(!v.defined || SameBits(v.y, e.result));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 400)
        return 0;
    const double* interval = kIntervals[data[0] % 8];
    const double* ends = kEnds[data[1] % 8];
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    std::array<std::string, 8> equations;
    const size_t split = text.find('\n');
    equations[0] = text.substr(0, split);
    if (split != std::string::npos)
        equations[1] = text.substr(split + 1);

    const double xMin = interval[0], xMax = interval[1];
    AnalysisWork work;
    const PointsOfInterest found = FindPointsCounted(equations, xMin, xMax, work);

    // The work: the samples, the refinement budget, and what the bracket
    // running when it ran out and the y-intercepts add.
    uint64_t perEvaluation = 0;
    std::array<double, 2> scale = {0, 0};
    for (int c = 0; c < 2; ++c) {
        AnalysisCurve curve;
        if (equations[c].empty() || !curve.Compile(equations[c]))
            continue;
        perEvaluation += curve.Steps();
        for (int i = 0; i <= kGridIntervals; ++i) {
            const double y = curve.At(xMin + (xMax - xMin) * (double(i) / kGridIntervals)).y;
            if (!std::isnan(y))
                scale[c] = std::fmax(scale[c], std::fabs(y));
        }
    }
    Check(work.steps <= (kGridIntervals + 1) * perEvaluation + kRefinementSteps +
                            (kMaxBracketSteps + 32) * perEvaluation);

    std::array<size_t, 8> counts = {};
    for (size_t i = 0; i < found.points.size(); ++i) {
        const PointOfInterest& p = found.points[i];
        Check(p.curve >= 0 && p.curve < 2);
        Check(xMin <= p.x && p.x <= xMax);
        Check(++counts[p.curve] <= kMaxPointsPerCurve);
        if (i > 0) {
            const PointOfInterest& q = found.points[i - 1];
            Check(q.x < p.x ||
                  (q.x == p.x && (q.kind < p.kind || (q.kind == p.kind && q.curve <= p.curve))));
        }
        if (p.kind == PointKind::Zero)
            Check(std::fabs(p.y) <= scale[p.curve]);
    }
    for (int c = 0; c < 8; ++c)
        Check(!found.more[c] || c < 2);

    for (int c = 0; c < 2; ++c) {
        if (equations[c].empty())
            continue;
        CheckSlopeValues(equations[c], xMin, xMax);
        AnalysisCurve curve;
        AnalysisWork integralWork;
        curve.work = &integralWork;
        if (!curve.Compile(equations[c]))
            continue;
        const Integral integral = IntegrateCompiled(curve, ends[0], ends[1]);
        if (integral.status == Integral::Status::Value)
            Check(std::isfinite(integral.value) && integral.error >= 0);
        Check(integralWork.evaluations <= 2 * (21 + 42 * uint64_t(kMaxIntegralPieces)));
    }
    return 0;
}
