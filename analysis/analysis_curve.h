// One equation y = f(x) compiled for reading the graph: a table of its own
// with the builtins and x, the compiled text, and its exact slopes.
#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/analysis_work.h"
#include "analysis/slope_program.h"
#include "expr/expression.h"
#include "expr/symbols.h"

// The value (NaN where the curve is undefined), the exact slope and, when
// asked for, the magnitude of the values the evaluation computed.
struct CurvePoint {
    double y = 0, slope = 0, magnitude = 0;
};

class AnalysisCurve {
public:
    AnalysisCurve();
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
    SymbolTable table;
    Expression expression{table};
    SlopeProgram slopes;
    double* variable = nullptr;
};
