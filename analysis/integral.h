// Adaptive Gauss-Kronrod quadrature of a curve, with the evidence that
// tells an integral that does not exist from one that converges slowly.
#pragma once

#include <cstdint>

#include "analysis/analysis.h"
#include "analysis/analysis_curve.h"

// The subdivision stops at this many pieces. The interval starts as a few
// hundred pieces (about 1150 for the whole range of the doubles), each
// costing 21 evaluations; each halving costs 42.
inline constexpr int kMaxIntegralPieces = 4096;

// The integral of the compiled curve from a to b (any order, infinite ends
// allowed). Deterministic; at most 42 * kMaxIntegralPieces evaluations.
// Stopped when the curve's work stops (its deadline or cancel flag) before
// the end.
Integral IntegrateCompiled(AnalysisCurve& curve, double a, double b);
