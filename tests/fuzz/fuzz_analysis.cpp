// Reads the graph of arbitrary expressions: points of interest, values with
// slopes and integrals. Beyond crashes and sanitizer reports it checks the
// promises the Analysis window relies on: points sorted, inside the
// interval, at most kMaxPointsPerCurve per curve, zeros small against the
// curve's values, the slope evaluation's value equal to Evaluate's, the
// work within its documented bounds, and every integer root of an expanded
// polynomial listed at the root itself in each view that holds it.
//
// Input: one byte choosing the view, one choosing the integral's ends, then
// up to two equations separated by a line feed. A view byte below 128 picks
// one of kViews; from 128 on, the view's ends are the two doubles in the
// next 16 bytes, drawn from the whole range of doubles (in either order; two
// that are not distinct finite doubles pick a table view instead).
//
// An equation "#" followed by bytes is an expanded polynomial with integer
// roots: a byte for the degree (2 to 7), one per root (-10 to 10), then
// three choosing a second view around one of the roots (which root, the
// view's width, where the root lies in it).
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/bracket.h"
#include "analysis/integral.h"
#include "analysis/points.h"
#include "expr/builtins.h"
#include "expr/expression.h"
#include "tests/unit/integer_roots.h"

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

// Ordinary views, wide ones (whose brackets span more doubles than
// INT64_MAX, or whose width overflows a double) and narrow ones (a few
// thousand doubles, whose samples repeat).
const double kViews[][2] = {{-10, 10},
                            {0, 1},
                            {-1e-3, 1e-3},
                            {1e6, 1e6 + 1},
                            {-1e300, 1e300},
                            {0.5, 0.5000001},
                            {-3, 7},
                            {-0.3, 1e-9},
                            {-12345, 54321},
                            {-1e308, 1e308},
                            {-DBL_MAX, DBL_MAX},
                            {-2, 1e15},
                            {0.99999999999999, 1.00000000000001},
                            {-1e-320, 1e-320},
                            {2 - 1e-12, 2 + 1e-12},
                            {-9, 9}};
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

// The points of interest over [xMin, xMax] with the promises every result
// keeps.
PointsOfInterest CheckedPoints(const std::array<std::string, 8>& equations, double xMin,
                               double xMax) {
    AnalysisWork work;
    const PointsOfInterest found = FindPointsCounted(equations, xMin, xMax, work);

    // The work: the samples, the refinement budget, and what the bracket
    // running when it ran out and the y-intercepts add.
    uint64_t perEvaluation = 0;
    std::array<double, 2> scale = {0, 0};
    const std::vector<double> xs = SampleGrid(xMin, xMax);
    for (int c = 0; c < 2; ++c) {
        AnalysisCurve curve;
        if (equations[c].empty() || !curve.Compile(equations[c]))
            continue;
        perEvaluation += curve.Steps();
        for (const double x : xs) {
            const double y = curve.At(x).y;
            if (!std::isnan(y))
                scale[c] = std::fmax(scale[c], std::fabs(y));
        }
    }
    Check(work.steps <=
          xs.size() * perEvaluation + kRefinementSteps + (kMaxBracketSteps + 32) * perEvaluation);

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
    return found;
}

// Each simple root of the polynomial that [xMin, xMax] holds with its
// margin is listed at the root itself, once, and no other zero lies beside
// it. Views wider than 500 are passed over: their samples may miss roots 1
// apart.
void CheckRoots(const IntegerRoots& polynomial, const PointsOfInterest& found, double xMin,
                double xMax) {
    if (!(xMax - xMin <= 500))
        return;
    for (const int r : polynomial.roots)
        if (polynomial.Holds(r, xMin, xMax))
            Check(IntegerRoots::Listed(found, r));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 400)
        return 0;
    const double* view = kViews[data[0] % 16];
    double xMin = view[0], xMax = view[1];
    size_t start = 2;
    if (data[0] >= 128 && size >= 18) {
        double ends[2];
        std::memcpy(ends, data + 2, sizeof ends);
        if (std::isfinite(ends[0]) && std::isfinite(ends[1]) && ends[0] != ends[1]) {
            xMin = std::fmin(ends[0], ends[1]);
            xMax = std::fmax(ends[0], ends[1]);
        }
        start = 18;
    }
    const double* ends = kEnds[data[1] % 8];
    const std::string text(reinterpret_cast<const char*>(data + start), size - start);
    std::array<std::string, 8> equations;

    if (!text.empty() && text[0] == '#') {
        auto byte = [&](size_t i) { return i < text.size() ? uint8_t(text[i]) : uint8_t(0); };
        const size_t degree = 2 + byte(1) % 6;
        std::vector<int> roots;
        for (size_t i = 0; i < degree; ++i)
            roots.push_back(byte(2 + i) % 21 - 10);
        const IntegerRoots polynomial(roots);
        equations[0] = polynomial.text;
        CheckRoots(polynomial, CheckedPoints(equations, xMin, xMax), xMin, xMax);
        // A view around one root, from a few thousand doubles to 500 wide.
        const int r = roots[byte(2 + degree) % degree];
        const double width =
            std::fmin(polynomial.Margin(r) * std::ldexp(2.5, byte(3 + degree) % 48), 500);
        const double at = (byte(4 + degree) + 1) / 258.0;
        const double lo = r - width * at, hi = r + width * (1 - at);
        CheckRoots(polynomial, CheckedPoints(equations, lo, hi), lo, hi);
    } else {
        const size_t split = text.find('\n');
        equations[0] = text.substr(0, split);
        if (split != std::string::npos)
            equations[1] = text.substr(split + 1);
        CheckedPoints(equations, xMin, xMax);
    }

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
