// Adaptive Gauss-Kronrod quadrature of a curve, with the evidence that
// tells an integral that does not exist from one that converges slowly.
#pragma once

#include <cstdint>

#include "analysis/analysis.h"
#include "analysis/analysis_curve.h"

// The subdivision stops at this many pieces; each halving costs 42
// evaluations.
inline constexpr int kMaxIntegralPieces = 2000;

// The integral of the compiled curve from a to b (any order, infinite ends
// allowed). Deterministic; at most 21 + 42 * kMaxIntegralPieces evaluations
// per stretch (two for an interval infinite at both ends). Stopped when the
// curve's work stops (its deadline or cancel flag) before the end.
Integral IntegrateCompiled(AnalysisCurve& curve, double a, double b);
