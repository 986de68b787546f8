#include "analysis/points.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>

#include "analysis/curve_scan.h"

namespace {

class CurveSource : public ScanSource {
public:
    explicit CurveSource(AnalysisCurve& curve) : curve(curve) {}
    ScanPoint At(double x, bool withMagnitude) override {
        const CurvePoint p = curve.At(x, withMagnitude);
        return {p.y, p.slope, p.magnitude, p.y};
    }

private:
    AnalysisCurve& curve;
};

// The difference of two curves; its zeros are their intersections, at the
// first curve's y.
class DifferenceSource : public ScanSource {
public:
    DifferenceSource(AnalysisCurve& first, AnalysisCurve& second) : first(first), second(second) {}
    ScanPoint At(double x, bool withMagnitude) override {
        const CurvePoint p = first.At(x, withMagnitude), q = second.At(x, withMagnitude);
        double value = p.y - q.y;
        if (!std::isfinite(value))
            value = NAN;
        const double magnitude = std::fmax(std::fmax(p.magnitude, q.magnitude),
                                           std::fmax(std::fabs(p.y), std::fabs(q.y)));
        return {value, p.slope - q.slope, magnitude, p.y};
    }

private:
    AnalysisCurve& first;
    AnalysisCurve& second;
};

bool Before(const PointOfInterest& p, const PointOfInterest& q) {
    return std::make_tuple(p.x, static_cast<int>(p.kind), p.curve, p.other) <
           std::make_tuple(q.x, static_cast<int>(q.kind), q.curve, q.other);
}

} // namespace

std::vector<double> SampleGrid(double xMin, double xMax) {
    std::vector<double> xs;
    if (!(xMin < xMax) || !std::isfinite(xMin) || !std::isfinite(xMax))
        return xs;
    // xMin + span * i/N, exact but for the one rounding of the sum. Where
    // the span overflows (-1e308 to 1e308) the same is done on the halves of
    // the ends, which are exact, and doubled.
    const double half = std::isfinite(xMax - xMin) ? 1 : 0.5;
    const double start = xMin * half, span = xMax * half - xMin * half;
    xs.resize(kGridIntervals + 1);
    for (int i = 0; i < kGridIntervals; ++i)
        xs[i] = (start + span * (static_cast<double>(i) / kGridIntervals)) / half;
    xs.back() = xMax;
    // A view only a few thousand doubles wide repeats points; merged, each
    // grid interval holds at least one double more than its ends.
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    return xs;
}

namespace {

// Each curve's values and slopes at the grid's points, and the curves
// (those not Defined() left out).
struct Samples {
    std::array<AnalysisCurve*, 8> curves = {};
    std::array<std::vector<double>, 8> values, slopes;
};

Samples SampleCurves(const AnalysisCurves& curves, const std::vector<double>& xs,
                     AnalysisWork& work) {
    Samples samples;
    for (int c = 0; c < 8; ++c) {
        AnalysisCurve* curve = curves[c];
        if (!curve || !curve->Defined())
            continue;
        curve->work = &work;
        samples.values[c].resize(xs.size());
        samples.slopes[c].resize(xs.size());
        for (size_t i = 0; i < xs.size(); ++i) {
            const CurvePoint p = curve->At(xs[i]);
            samples.values[c][i] = p.y;
            samples.slopes[c][i] = p.slope;
        }
        samples.curves[c] = curve;
    }
    return samples;
}

void Add(PointsOfInterest& result, PointKind kind, int curve, int other, double x, double y) {
    result.points.push_back({kind, curve, other, x + 0.0, y + 0.0});
}

// The zeros, minima, maxima and y-intercept of each curve.
void ScanCurves(const Samples& samples, const std::vector<double>& xs, double xMin, double xMax,
                ScanOptions options, PointsOfInterest& result) {
    AnalysisWork& work = *options.work;
    for (int c = 0; c < 8; ++c) {
        AnalysisCurve* curve = samples.curves[c];
        if (!curve)
            continue;
        CurveSource source(*curve);
        const ScanGrid grid{xs.data(), samples.values[c].data(), samples.slopes[c].data(),
                            xs.size()};
        const ScanResult found = ScanFunction(source, grid, options);
        for (const ScanFound& f : found.zeros)
            Add(result, f.kind, c, -1, f.x, f.y);
        for (const ScanFound& f : found.extrema)
            Add(result, f.kind, c, -1, f.x, f.y);
        if (xMin <= 0 && 0 <= xMax) {
            const CurvePoint p = curve->At(0.0);
            if (!std::isnan(p.y))
                Add(result, PointKind::YIntercept, c, -1, 0.0, p.y);
        }
        // A curve whose work the deadline or the cancel flag cut (in its
        // samples, its scan or its y-intercept) has more than it lists.
        result.more[c] = result.more[c] || found.truncated || work.stopped;
    }
}

// The intersections of each pair of curves: the zeros of their difference.
void ScanPairs(const Samples& samples, const std::vector<double>& xs, ScanOptions options,
               PointsOfInterest& result) {
    AnalysisWork& work = *options.work;
    const size_t n = xs.size();
    options.extremaForZerosOnly = true;
    std::vector<double> differenceValues(n), differenceSlopes(n);
    for (int c = 0; c < 8; ++c) {
        for (int d = c + 1; d < 8 && samples.curves[c]; ++d) {
            if (!samples.curves[d])
                continue;
            for (size_t i = 0; i < n; ++i) {
                const double v = samples.values[c][i] - samples.values[d][i];
                differenceValues[i] = std::isfinite(v) ? v : NAN;
                differenceSlopes[i] = samples.slopes[c][i] - samples.slopes[d][i];
            }
            DifferenceSource source(*samples.curves[c], *samples.curves[d]);
            const ScanGrid difference{xs.data(), differenceValues.data(), differenceSlopes.data(),
                                      n};
            const ScanResult found = ScanFunction(source, difference, options);
            for (const ScanFound& f : found.zeros)
                Add(result, PointKind::Intersection, c, d, f.x, f.y);
            result.more[c] = result.more[c] || found.truncated || work.stopped;
        }
    }
}

// In order, each curve keeping its first kMaxPointsPerCurve points (an
// intersection counts for its first curve). Each list a scan returns holds
// at most one point more than that, so a curve that had to drop one is
// always marked.
void TrimPoints(PointsOfInterest& result) {
    std::vector<PointOfInterest>& points = result.points;
    std::sort(points.begin(), points.end(), Before);
    points.erase(std::unique(points.begin(), points.end(),
                             [](const PointOfInterest& p, const PointOfInterest& q) {
                                 return p.kind == q.kind && p.curve == q.curve &&
                                        p.other == q.other && p.x == q.x;
                             }),
                 points.end());
    std::array<size_t, 8> kept = {};
    std::vector<PointOfInterest> listed;
    listed.reserve(points.size());
    for (const PointOfInterest& p : points) {
        if (kept[p.curve] == kMaxPointsPerCurve) {
            result.more[p.curve] = true;
            continue;
        }
        ++kept[p.curve];
        listed.push_back(p);
    }
    points = std::move(listed);
}

} // namespace

PointsOfInterest FindPointsCounted(const AnalysisCurves& curves, double xMin, double xMax,
                                   AnalysisWork& work) {
    PointsOfInterest result;
    const std::vector<double> xs = SampleGrid(xMin, xMax);
    if (xs.empty())
        return result;
    const Samples samples = SampleCurves(curves, xs, work);
    ScanOptions options;
    options.work = &work;
    options.stepLimit = work.steps + kRefinementSteps;
    ScanCurves(samples, xs, xMin, xMax, options, result);
    ScanPairs(samples, xs, options, result);
    TrimPoints(result);
    return result;
}

PointsOfInterest FindPointsCounted(const std::array<std::string, 8>& equations, double xMin,
                                   double xMax, AnalysisWork& work) {
    const CompiledTexts curves(equations);
    return FindPointsCounted(curves.Curves(), xMin, xMax, work);
}

PointsOfInterest FindPointsOfInterest(const std::array<std::string, 8>& equations, double xMin,
                                      double xMax) {
    AnalysisWork work;
    return FindPointsCounted(equations, xMin, xMax, work);
}
