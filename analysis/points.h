// The points of interest with their work counted: the engine behind
// FindPointsOfInterest, for tests, the fuzzer and benchmarks.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_curve.h"

// Each curve is sampled at this many intervals of equal width (plus one
// point), whatever the view's size in pixels.
inline constexpr int kGridIntervals = 4096;

// The sample points over [xMin, xMax], strictly ascending: kGridIntervals + 1
// of them, fewer where the view holds fewer doubles; none unless xMin < xMax,
// both finite.
std::vector<double> SampleGrid(double xMin, double xMax);
// After the samples, narrowing brackets stops once it has run this many
// program steps in all; the curves still unfinished then report "more".
inline constexpr uint64_t kRefinementSteps = 20'000'000;

// FindPointsOfInterest over compiled curves (a curve not Defined() has no
// points), adding its evaluations and steps to `work`. The
// work is bounded: at most 8 * (kGridIntervals + 1) sampling evaluations,
// then refinement until kRefinementSteps is passed, each bracket
// (kMaxBracketSteps evaluations plus a few checks) finishing first. It is
// also bounded by the work's deadline and cancel flag, whatever an
// evaluation costs: once the work has stopped, every curve not finished
// by then lists only the points found before and has "more".
PointsOfInterest FindPointsCounted(const AnalysisCurves& curves, double xMin, double xMax,
                                   AnalysisWork& work);
// The same for texts, each compiled first.
PointsOfInterest FindPointsCounted(const std::array<std::string, 8>& equations, double xMin,
                                   double xMax, AnalysisWork& work);
