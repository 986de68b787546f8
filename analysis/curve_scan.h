// Finds the zeros and extrema of one function of x over a closed interval
// from its samples on a grid and its exact slopes: a curve, or the
// difference of two curves, whose zeros are their intersections.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_curve.h"

// The function at one point: its value (NaN where undefined), exact slope,
// the magnitude that scales its rounding error, and the y to report.
struct ScanPoint {
    double value = 0, slope = 0, magnitude = 0, y = 0;
};

class ScanSource {
public:
    virtual ~ScanSource() = default;
    virtual ScanPoint At(double x, bool withMagnitude) = 0;
};

// The samples, not owned: `count` values of x ascending (the first and the
// last are the interval's ends), the values (NaN where undefined) and the
// slopes at the same points.
struct ScanGrid {
    const double* xs = nullptr;
    const double* values = nullptr;
    const double* slopes = nullptr;
    size_t count = 0;
};

struct ScanFound {
    PointKind kind = PointKind::Zero;
    double x = 0, y = 0;
};

struct ScanResult {
    std::vector<ScanFound> zeros;   // ascending x
    std::vector<ScanFound> extrema; // ascending x
    bool truncated = false;         // more points exist, or the work bound ended the scan
};

struct ScanOptions {
    // Extrema are only a means to find touching zeros and hidden pairs:
    // refine only those that may reach zero, and do not report them.
    bool extremaForZerosOnly = false;
    // Refinement stops once work->steps passes this, and the scan as soon
    // as the work has stopped (its deadline or cancel flag), taking nothing
    // found after that and setting `truncated` (not owned).
    AnalysisWork* work = nullptr;
    uint64_t stepLimit = UINT64_MAX;
};

// Every zero and extremum of the function that the grid reveals, at most
// kMaxPointsPerCurve + 1 of each list (more sets `truncated`).
ScanResult ScanFunction(ScanSource& source, const ScanGrid& grid, const ScanOptions& options);
