// One equation y = f(x) as the analysis reads it: the curve's compiled
// program (of its own, or one the graph compiled with x) and its exact
// slopes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "analysis/analysis_work.h"
#include "analysis/slope_program.h"
#include "plot/compiled_graph.h"

// The value (NaN where the curve is undefined), the exact slope and, when
// asked for, the magnitude of the values the evaluation computed.
struct CurvePoint {
    double y = 0, slope = 0, magnitude = 0;
};

class AnalysisCurve : public CompiledCurve::Extension {
public:
    // A curve to Compile.
    AnalysisCurve() = default;
    // The analysis form of `curve`, compiled with the variable x; `curve`
    // must outlive it and be used by no other thread while it is.
    explicit AnalysisCurve(CompiledCurve& curve);
    AnalysisCurve(const AnalysisCurve&) = delete;
    AnalysisCurve& operator=(const AnalysisCurve&) = delete;

    // False when the text does not compile or cannot be evaluated as a curve
    // of x; the curve is then undefined everywhere.
    bool Compile(std::string_view text);
    bool Defined() const { return slopes.Usable(); }

    // The point at x: y is NaN where the value is not a finite number.
    // Counts into `work` when one is given (not owned); once that work has
    // stopped (see AnalysisWork), every field is NaN and nothing is counted.
    CurvePoint At(double x, bool withMagnitude = false);
    // The cost of one evaluation in program steps.
    uint64_t Steps() const { return slopes.Steps(); }

    AnalysisWork* work = nullptr;

private:
    std::unique_ptr<CompiledCurve> own; // the curve Compile made
    SlopeProgram slopes;
};

// The analysis form of a curve compiled with x: made on first use and kept
// with the curve (as its extension), so that later uses build nothing.
AnalysisCurve& AnalysisOf(CompiledCurve& curve);

// The curves the analysis reads, by slot: null for an empty slot. A curve
// that is not Defined() lists nothing and evaluates as undefined.
using AnalysisCurves = std::array<AnalysisCurve*, 8>;

// The analysis forms of a graph compiled in Rectangular mode (see
// AnalysisOf).
AnalysisCurves AnalysisOf(CompiledGraph& graph);

// Curves compiled from texts, each a curve of its own: a non-empty text
// gives a curve (not Defined() when it does not compile), an empty one none.
class CompiledTexts {
public:
    explicit CompiledTexts(const std::array<std::string, 8>& equations);
    const AnalysisCurves& Curves() const { return curves; }

private:
    std::array<std::unique_ptr<AnalysisCurve>, 8> owned;
    AnalysisCurves curves = {};
};
