// Finding the zeros and extrema of one function from its samples: what a
// point must satisfy to be listed. Every rule below is there for a curve
// that broke a simpler one; a change to the scan keeps all of them (the
// unit tests' tables of curves and the fuzz_analysis target check many).
//
// Given: a grid of ascending x from the interval's start to its end, the
// values there (NaN where undefined) and the exact slopes, and a source that
// evaluates the function anywhere: value, slope, the y to report, and the
// magnitude, the largest |value| any step of the evaluation computed. The
// rounding at x, N(x), is 8 ulps of that magnitude (kRounding): a value
// within N(x) may as well be 0, a difference within it says nothing.
//
// Independent of the grid. A point must not move when the samples fall
// elsewhere (a pan, a resize, another view holding it): brackets are
// narrowed to neighbouring doubles, a run of exact zeros or a crossing
// hidden in its rounding stands for one double chosen by a rule on the
// doubles alone (the run's point, the simplest double, below), and what only
// some grids would see (an undefined hole narrower than their spacing) is
// passed over.
//
// An extremum is listed at m when the slope changes sign between grid points
// j and k (k = j + 1, or k = j + 2 with a slope of exactly 0 at the grid
// point between, which is then m; two or more zero slopes in a row are a
// flat stretch, which has none), and
//   - the sign change narrows to neighbouring doubles (m: the more extreme,
//     the right one on a tie) or to a run of doubles where the slope is
//     exactly 0 (m: the run's point, 0 when the run holds it or ends beside
//     it as at a kink, else its middle; defined);
//   - m lies strictly inside the interval, and the grid points on both sides
//     of it are defined and rise away from it by more than N(m);
//   - the curve is continuous there: the values at the doubles beside m (at
//     the bracket's ends) differ from m's by at most N(m), or 2^-24 of the
//     sum of the rises.
// It is a touching zero when |value| <= N(m) and 4 N(m) is below both rises
// (a curve that is all rounding touches nothing). In the difference of two
// curves extrema serve only to find touching zeros and pairs of crossings
// between samples: only those whose tangents may reach 0 are refined, and
// none is listed.
//
// The knots are the grid points and the extrema, in order; a grid point whose
// value is exactly 0 is a zero knot, and so is a touching extremum. A zero is
// listed
//   - between two defined knots of opposite signs (neither a zero knot): the
//     bracket narrows to neighbouring doubles, continuous and significant
//     (below), and the zero is the end with the smaller |value|, or the
//     simplest double when both ends lie within N; or it meets an exact 0,
//     which is the simplest double where the slope is nonzero, else a run of
//     exact zeros;
//   - at the first knot of a run of zero knots (see the runs of zeros);
//   - where the domain ends: between a defined and an undefined knot, when the
//     grid point past the undefined one is undefined too (or it is the grid's
//     end), the last defined double, if its value is 0 or tends to 0 (at most
//     1/32 of the value 2^20 doubles inwards, and no more than the defined
//     knot's), or a zero knot right at that edge.
//
// Runs of zeros. Consecutive zero knots, a stretch of exact zeros at the grid
// points, are the curve flat at 0 (floor(x) over [0, 1), x-x) where the first
// one's slope is 0 or not finite (or it touches), and have no zero; where
// that slope is nonzero they are one crossing whose rounding gave exact zeros
// at neighbouring grid points of a narrow view, with one zero, the simplest
// double. A single zero knot is a
// zero when it touches, at a domain edge, by the simplest double where it is
// sloped, and where it is not (x^3 at 0) when the curve is continuous around
// it. A run of doubles where the value (the slope, for an extremum) is
// exactly 0, which a narrowing lands on (x^3 underflows below 1e-108, 1+x is
// 1 for |x| below 1.1e-16), stands for its point: 0 when it holds 0, else its
// middle; it must join the values beside it continuously, and a hole in it
// (x^3*(x/x) at 0) is no point.
//
// Surroundings. A zero at z is judged against a scale: the largest |value| of
// the knots on both sides, and beyond a knot that does not already end the
// look, of the grid points out to the first one that is undefined, or at
// least kScaleReach (4096) doubles from z and either stands out of N(z) or
// lies beyond twice the rounding's reach, (2 N(z) + |value(z)|) / |slope(z)|.
// The doubles right beside a zero hold only rounding, and in a narrow view
// the grid points beside it may too, so the look goes out to values that
// mean something. The points passed over beyond kScaleReach lie within N(z)
// and do not count; a stopping point that stands out of N(z) counts only if
// it stands out of its own rounding as well (curves equal within their
// rounding stand out of N(z) where their magnitudes grow).
//   Significant: the scale exceeds N(z) (sin(x)^2+cos(x)^2-1 has no zeros).
//   Continuous: the values at the two doubles beside z (the bracket's ends)
//   are below 2^-24 of the scale, or within what the slope allows over them
//   plus N and at most half the scale: a pole grows, a jump keeps its height.
//
// The simplest double. Within the rounding the value may be exactly 0 at
// several doubles and change sign several times around the true zero
// (x^3-6*x^2+11*x-6 near 2), so where a narrowing ends depends on where it
// began. The crossing's zero is then the simplest double within the reach
// of the rounding from z, and inside the surroundings, at which the value is
// 0 or changes sign to the next double (of such a pair the end nearer 0):
// the one whose order key has the most trailing zero bits, then the lowest.
// An integer root where the value is exact is the root itself, in every
// view. At most kZeroSearch evaluations; z when it finds none; no zero when
// that double is undefined.
//
// The work bound. The samples are given; everything evaluated here is
// refinement. Before each bracket (an extremum's, a sign change's, an edge's)
// and each candidate of the simplest-double search the scan looks at the
// work: past `stepLimit` steps, or once the work has stopped (its deadline or
// cancel flag), it stops and sets `truncated`. After the work stops every
// evaluation is undefined, so no narrowing ends in a point, and Add takes
// nothing more: nothing found after that moment is listed. A bracket takes
// at most kMaxBracketSteps evaluations, a run's search as many per side, so
// the overrun is bounded. Each list holds at most kMaxPointsPerCurve + 1
// points (more sets `truncated`), ascending; a zero reached twice (from a
// stretch of zero knots and a bracket beside it) is listed once.
//
// What the grid does not show is not found: crossings and extrema that leave
// the signs of the values and of the slopes at the samples as they were (a
// spike between two samples).
#include "analysis/curve_scan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "analysis/bracket.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A value within this many units of its magnitude's rounding is zero: the
// magnitude is the largest value the evaluation computed, so this bounds
// the rounding error of a few dozen operations.
constexpr double kRounding = 8 * 0x1p-52;
// Where a sign change has been narrowed to neighbouring doubles, a curve
// that is continuous there has values this small against the values at the
// ends of the grid interval; a jump or a pole has not.
constexpr double kContinuity = 0x1p-24;
// A curve ending where it stops being defined has a zero there when its
// value at the last defined double is this much smaller than 2^20 doubles
// further in: it tends to zero at least like the 1/4th power of the distance.
constexpr double kEdgeShrink = 1.0 / 32;
constexpr int64_t kEdgeReach = int64_t(1) << 20;
// The values around a zero, against which it must stand out of the rounding
// and be continuous, are taken at least this many doubles away from it.
constexpr int64_t kScaleReach = int64_t(1) << 12;
// The search for a crossing's zero within its rounding evaluates at most
// this many doubles.
constexpr int kZeroSearch = 256;

double Below(double x) {
    return std::nextafter(x, -kInfinity);
}
double Above(double x) {
    return std::nextafter(x, kInfinity);
}
bool Defined(const ScanPoint& p) {
    return !std::isnan(p.value);
}

// A narrowed sign change, or an exact zero, with values at most `level` at
// the neighbouring doubles (width apart, slopes at most `slope`), belongs to
// a continuous stretch of the curve, judged against `scale`, the values at
// the grid points around it. Either the values shrank by far more than the
// bracket did, or they are within what the slope allows over the width plus
// the values' rounding `noise` (needed where the grid spacing is itself only
// a few thousand doubles) and still fell to half the scale (a pole's values
// grow instead).
bool Continuous(double level, double scale, double slope, double width, double noise) {
    if (!std::isfinite(level))
        return false;
    if (level <= kContinuity * scale)
        return true;
    return std::isfinite(slope) && level <= scale / 2 && level <= 4 * slope * width + noise;
}

class Scanner {
public:
    Scanner(ScanSource& source, const ScanGrid& grid, const ScanOptions& options)
        : source(source), grid(grid), options(options) {}

    ScanResult Run() {
        FindExtrema();
        if (!stopped)
            FindZeros();
        return std::move(result);
    }

private:
    struct Extremum {
        double x, value, y;
        bool minimum, touching;
    };
    struct Knot {
        double x, value, slope, y;
        bool zero, touching;
        size_t index; // the grid point's, or SIZE_MAX for an extremum
    };

    // The function at x, from the last few evaluations when it was just
    // evaluated there (a narrowed bracket ends on points already seen).
    ScanPoint At(double x, bool withMagnitude = false) {
        for (const Cached& c : cache)
            if (c.valid && c.x == x && (c.magnitude || !withMagnitude))
                return c.point;
        Cached& c = cache[next++ % cache.size()];
        c.point = source.At(x, withMagnitude);
        c.x = x;
        c.magnitude = withMagnitude;
        c.valid = true;
        return c.point;
    }

    // The work's deadline or cancel flag stopped it: the evaluations are
    // no longer the function's, so nothing more is taken.
    bool Cut() {
        if (options.work && options.work->stopped) {
            result.truncated = stopped = true;
            return true;
        }
        return false;
    }

    bool WithinBudget() {
        if (Cut())
            return false;
        if (options.work && options.work->steps > options.stepLimit) {
            result.truncated = stopped = true;
            return false;
        }
        return true;
    }

    bool Usable(size_t i) const {
        return !std::isnan(grid.values[i]) && !std::isnan(grid.slopes[i]);
    }

    // Extrema lie where the slope changes sign between grid points; a slope
    // of exactly 0 at one grid point between opposite slopes is an
    // extremum there, and two or more such points in a row are a flat
    // stretch, which has none.
    void FindExtrema() {
        const double* s = grid.slopes;
        const size_t n = grid.count;
        for (size_t j = 0; j + 1 < n; ++j) {
            if (s[j] * s[j + 1] > 0) // no sign change (also false for NaN and 0)
                continue;
            if (!Usable(j) || s[j] == 0)
                continue;
            size_t k = j + 1;
            if (Usable(k) && s[k] == 0)
                k = j + 2;
            if (k >= n || !Usable(k) || s[k] == 0 || (s[j] < 0) == (s[k] < 0) ||
                !(grid.xs[j] < grid.xs[k]))
                continue;
            const bool minimum = s[j] < 0;
            if (options.extremaForZerosOnly && !MayReachZero(j, k, minimum))
                continue;
            if (!WithinBudget())
                return;
            Extremum e;
            if (!Refine(j, k, minimum, e))
                continue;
            extrema.push_back(e);
            if (!options.extremaForZerosOnly) {
                result.extrema.push_back(
                    {minimum ? PointKind::Minimum : PointKind::Maximum, e.x, e.y});
                if (result.extrema.size() > kMaxPointsPerCurve) {
                    result.truncated = stopped = true;
                    return;
                }
            }
        }
    }

    // Whether an extremum between grid points j and k, whose values have
    // the same sign, can reach zero: not when a tangent at either end
    // (doubled, for curvature) stays on the values' side over the interval.
    bool MayReachZero(size_t j, size_t k, bool minimum) const {
        const double vj = grid.values[j], vk = grid.values[k];
        const double h = grid.xs[k] - grid.xs[j];
        const double sj = 2 * std::fabs(grid.slopes[j]) * h, sk = 2 * std::fabs(grid.slopes[k]) * h;
        if (minimum)
            return vj > 0 && vk > 0 && vj - sj <= 0 && vk - sk <= 0;
        return vj < 0 && vk < 0 && vj + sj >= 0 && vk + sk >= 0;
    }

    // Narrows the slope's sign change between grid points j and k and
    // accepts the extremum when it lies inside the interval, the curve is
    // continuous across it, and it stands out of the values' rounding.
    bool Refine(size_t j, size_t k, bool minimum, Extremum& e) {
        ScanPoint pm, lo, hi;
        double m;
        bool exact = k == j + 2;
        BracketResult r;
        if (exact) {
            m = grid.xs[j + 1];
        } else {
            auto slopeAt = [&](double x) {
                const ScanPoint p = At(x);
                return BracketEnd{x, Defined(p) ? p.slope : kNaN, kNaN};
            };
            r = NarrowBracket(slopeAt, BracketEnd{grid.xs[j], grid.slopes[j], kNaN},
                              BracketEnd{grid.xs[k], grid.slopes[k], kNaN});
            if (r.end == BracketResult::End::Exact) {
                // The slope may be 0 on a run of doubles (1+x is 1 for |x|
                // below 1.1e-16): the extremum is where that run stands.
                auto flat = [&](double x) {
                    const ScanPoint p = At(x);
                    return Defined(p) && p.slope == 0;
                };
                double first, last;
                if (!ZeroRun(grid.xs[j], r.a.x, grid.xs[k], flat, first, last))
                    return false;
                exact = true;
                // A kink at 0 may end such a run (x^3+exp(x)+abs(x)): the
                // extremum is the kink.
                m = RunPoint(first, last, true, [&](double x) { return Defined(At(x)); });
                if (std::isnan(m))
                    return false;
            } else if (r.end != BracketResult::End::Neighbours) {
                return false;
            }
        }
        double jump;
        if (exact) {
            pm = At(m, true);
            lo = At(Below(m));
            hi = At(Above(m));
            if (!Defined(pm) || !Defined(lo) || !Defined(hi))
                return false;
            jump = std::fmax(std::fabs(lo.value - pm.value), std::fabs(hi.value - pm.value));
        } else {
            const ScanPoint pa = At(r.a.x, true), pb = At(r.b.x, true);
            if (!Defined(pa) || !Defined(pb))
                return false;
            // The more extreme end; on a tie the right one, which carries a
            // kink's right-hand slope.
            const bool left = minimum ? pa.value < pb.value : pa.value > pb.value;
            pm = left ? pa : pb;
            m = left ? r.a.x : r.b.x;
            jump = std::fabs(pa.value - pb.value);
        }
        double riseJ, riseK;
        if (!Rises(j, k, m, minimum, &pm, &riseJ, &riseK))
            return false;
        const double noise = kRounding * pm.magnitude;
        if (!(jump <= std::fmax(noise, kContinuity * (riseJ + riseK))))
            return false;
        // A touching zero: the value is 0 within its rounding, and the
        // rounding is small against the rises around it (a curve that is
        // all rounding, such as sin(5.6e14*arccos(x)), touches nothing).
        const bool touching = std::fabs(pm.value) <= noise && 4 * noise < std::fmin(riseJ, riseK);
        e = {m + 0.0, pm.value, pm.y, minimum, touching};
        return true;
    }

    // Whether an extremum at m, inside the interval, stands out of the
    // values' rounding against the grid points on either side of it (it may
    // be one of j and k): the rises towards them, given back when asked for.
    bool Rises(size_t j, size_t k, double m, bool minimum, const ScanPoint* at = nullptr,
               double* riseJ = nullptr, double* riseK = nullptr) {
        if (!(grid.xs[0] < m && m < grid.xs[grid.count - 1]))
            return false;
        const size_t left = grid.xs[j] < m ? j : j - 1, right = m < grid.xs[k] ? k : k + 1;
        if (std::isnan(grid.values[left]) || std::isnan(grid.values[right]))
            return false;
        const ScanPoint pm = at ? *at : At(m, true);
        if (!Defined(pm))
            return false;
        const double noise = kRounding * pm.magnitude;
        const double sign = minimum ? 1 : -1;
        const double toJ = sign * (grid.values[left] - pm.value);
        const double toK = sign * (grid.values[right] - pm.value);
        if (riseJ)
            *riseJ = toJ;
        if (riseK)
            *riseK = toK;
        return toJ > noise && toK > noise;
    }

    // The grid points and the extrema between them, in order; a touching
    // extremum counts as a zero. The y to report at a grid point is looked
    // up when needed.
    class KnotCursor {
    public:
        KnotCursor(const ScanGrid& grid, const std::vector<Extremum>& extrema)
            : grid(grid), extrema(extrema) {}
        bool Next(Knot& k) {
            if (e < extrema.size() && (i == grid.count || extrema[e].x < grid.xs[i])) {
                const Extremum& x = extrema[e++];
                k = {x.x, x.value, 0.0, x.y, x.touching, x.touching, SIZE_MAX};
                return true;
            }
            if (i == grid.count)
                return false;
            const double x = grid.xs[i], v = grid.values[i];
            k = {x, v, grid.slopes[i], kNaN, v == 0, false, i};
            for (; e < extrema.size() && extrema[e].x == x; ++e)
                if (extrema[e].touching) {
                    k.zero = k.touching = true;
                    k.y = extrema[e].y;
                }
            ++i;
            return true;
        }

        // Grid point i comes next; no extremum lies before it.
        void Seek(size_t index) { i = index; }
        // Where the next extremum lies (infinity when none is left).
        double NextExtremum() const {
            return e < extrema.size() ? extrema[e].x : std::numeric_limits<double>::infinity();
        }

    private:
        const ScanGrid& grid;
        const std::vector<Extremum>& extrema;
        size_t i = 0, e = 0;
    };

    // Between grid points j and j + 1 nothing can be found: both values
    // defined and nonzero, of the same sign.
    bool Quiet(size_t j) const {
        // A product that underflows to 0 only sends the pair the slow way.
        return grid.values[j] * grid.values[j + 1] > 0;
    }

    Knot GridKnot(size_t j) const {
        const double v = grid.values[j];
        return {grid.xs[j], v, grid.slopes[j], kNaN, v == 0, false, j};
    }

    // Zeros: at knots whose value is zero (a stretch of them has one only
    // where the curve crosses within its rounding), in sign changes between
    // knots, and where the function stops being defined with its values
    // tending to zero.
    void FindZeros() {
        KnotCursor cursor(grid, extrema);
        Knot previous{}, c{}, d{};
        bool hasPrevious = false, hasC = cursor.Next(c), hasD = hasC && cursor.Next(d);
        while (hasC && !stopped) {
            if (c.zero && !(hasPrevious && previous.zero))
                KnotZero(hasPrevious ? &previous : nullptr, c, hasD ? &d : nullptr);
            if (hasD && c.x < d.x) {
                const bool cDefined = !std::isnan(c.value), dDefined = !std::isnan(d.value);
                if (cDefined && dDefined) {
                    if (!c.zero && !d.zero && (c.value < 0) != (d.value < 0)) {
                        if (!WithinBudget())
                            return;
                        SignChange(c, d);
                    }
                } else if (cDefined != dDefined && !(cDefined ? c : d).zero &&
                           DomainEndsAt(cDefined ? d : c, cDefined)) {
                    if (!WithinBudget())
                        return;
                    Edge(c, d, cDefined);
                }
            }
            // A run of quiet grid intervals after d holds nothing: go on
            // from its last grid point.
            if (hasD && c.index != SIZE_MAX && d.index == c.index + 1 && Quiet(c.index)) {
                const double limit = cursor.NextExtremum();
                size_t j = d.index;
                while (j + 1 < grid.count && grid.xs[j + 1] < limit && Quiet(j))
                    ++j;
                if (j > d.index) {
                    previous = GridKnot(j - 1);
                    c = GridKnot(j);
                    cursor.Seek(j + 1);
                    hasPrevious = true;
                    hasD = cursor.Next(d);
                    continue;
                }
            }
            previous = c;
            c = d;
            hasPrevious = true;
            hasC = hasD;
            hasD = hasC && cursor.Next(d);
        }
    }

    // A zero at knot k, the first of a stretch of zero knots when `next` is
    // zero too. A stretch has none where the curve is flat (floor(x) over
    // [0, 1), x-x); one in a crossing, where rounding gave exact zeros at
    // neighbouring grid points of a narrow view, has the crossing's zero.
    void KnotZero(const Knot* previous, const Knot& k, const Knot* next) {
        const bool stretch = next && next->zero;
        if (!stretch && (k.touching || DomainEdgeAt(k, previous, next))) {
            Add(k.x, std::isnan(k.y) ? At(k.x).y : k.y);
            return;
        }
        if (k.touching || (stretch && !Sloped(k.slope)))
            return;
        const Surroundings around =
            Surround(previous ? previous->x : Below(k.x), previous ? previous->value : kNaN, k.x,
                     next ? next->x : Above(k.x), next ? next->value : kNaN);
        if (Sloped(k.slope))
            ExactZero(around, k.x);
        else if (ContinuousAround(k.x, around.scale))
            Add(k.x, std::isnan(k.y) ? At(k.x).y : k.y);
    }

    static bool Sloped(double slope) { return slope != 0 && std::isfinite(slope); }

    // What surrounds a crossing at z, which lies between two knots.
    struct Surroundings {
        // The rounding of the magnitudes at z, and the reach of the rounding
        // in x: (2 noise + |value at z|) / |slope at z| (0 where flat).
        double noise, reach;
        // The knots, or where a narrow view samples the rounding itself, the
        // grid points beyond them that stand out of it (exclusive bounds).
        double lo, hi;
        // The largest value at those points and any between.
        double scale;
    };

    // The surroundings of z between the knots at lo and hi (their values,
    // NaN where undefined or absent). On each side they reach to the first
    // grid point that stands out of the rounding or is undefined, at least
    // kScaleReach doubles from z, or that lies beyond twice the reach: the
    // values at the doubles beside a zero neither stand out of the rounding
    // nor tell a continuous curve from a jump, and in a narrow view the grid
    // points beside a crossing may lie in its rounding.
    Surroundings Surround(double lo, double loValue, double z, double hi, double hiValue) {
        const ScanPoint p = At(z, true);
        Surroundings s;
        s.noise = kRounding * p.magnitude;
        s.reach = Sloped(p.slope) ? (2 * s.noise + std::fabs(p.value)) / std::fabs(p.slope) : 0;
        if (!(s.reach >= 0))
            s.reach = 0;
        s.scale = 0;
        s.lo = Beyond(lo, loValue, z, s, false);
        s.hi = Beyond(hi, hiValue, z, s, true);
        return s;
    }

    // One side of Surround, from the knot at `bound` with value `value`.
    double Beyond(double bound, double value, double z, Surroundings& s, bool rising) {
        if (!std::isnan(value))
            s.scale = std::fmax(s.scale, std::fabs(value));
        const bool far = (rising ? KeyDistance(z, bound) : KeyDistance(bound, z)) >=
                         static_cast<uint64_t>(kScaleReach);
        if (std::isnan(value) ||
            (far && (std::fabs(value) > s.noise || std::fabs(bound - z) > 2 * s.reach)))
            return bound;
        // The grid points beyond the knot, by their indices: a stop at the
        // first undefined one, or at the first one at least kScaleReach
        // doubles from z that stands out or lies beyond twice the reach.
        // The points passed over further out than kScaleReach are within
        // the rounding, and so is the scale unless the stop stands out: only
        // the nearer ones count.
        const double* xs = grid.xs;
        const size_t n = grid.count;
        // Undefined grid points have an infinite Size, above any double.
        constexpr double kUndefined = std::numeric_limits<double>::max();
        const int64_t key = OrderKey(z);
        // The searches are skipped where the answer is at hand.
        auto find = [&](size_t from, double x, bool after) {
            if (from == n || (after ? xs[from] > x : xs[from] >= x))
                return from;
            return size_t((after ? std::upper_bound(xs + from, xs + n, x)
                                 : std::lower_bound(xs + from, xs + n, x)) -
                          xs);
        };
        if (rising) {
            const size_t first = std::upper_bound(xs, xs + n, bound) - xs;
            const double nearest = FromOrderKey(std::min(key + kScaleReach, OrderKey(xs[n - 1])));
            const size_t fromFar = find(first, nearest, false);
            const size_t beyond = find(fromFar, z + 2 * s.reach, true);
            const size_t undefined = Undefined() ? FirstAbove(first, n, kUndefined) : n;
            const size_t stop = std::min({undefined, FirstAbove(fromFar, n, s.noise), beyond});
            if (first < std::min(stop, fromFar))
                s.scale = std::fmax(s.scale, Largest(first, std::min(stop, fromFar)));
            if (stop == n)
                return Above(xs[n - 1]);
            StopValue(stop, undefined, s);
            return xs[stop];
        }
        // Mirrored: the searches end where the answer is at hand.
        auto findBefore = [&](size_t to, double x, bool after) {
            if (to == 0 || (after ? xs[to - 1] <= x : xs[to - 1] < x))
                return to;
            return size_t(
                (after ? std::upper_bound(xs, xs + to, x) : std::lower_bound(xs, xs + to, x)) - xs);
        };
        const size_t last = std::lower_bound(xs, xs + n, bound) - xs; // points before it
        const double nearest = FromOrderKey(std::max(key - kScaleReach, OrderKey(xs[0])));
        const size_t toFar = findBefore(last, nearest, true);
        const size_t beyond = findBefore(toFar, z - 2 * s.reach, false);
        // One past the stop, 0 for none.
        const size_t undefined = Undefined() ? LastAbove(0, last, kUndefined) : 0;
        const size_t stop = std::max({undefined, LastAbove(0, toFar, s.noise), beyond});
        if (std::max(stop, toFar) < last)
            s.scale = std::fmax(s.scale, Largest(std::max(stop, toFar), last));
        if (stop == 0)
            return Below(xs[0]);
        StopValue(stop - 1, undefined == stop ? stop - 1 : SIZE_MAX, s);
        return xs[stop - 1];
    }

    // The value at grid point i, where Beyond stopped, counts when it is
    // defined and within the rounding at z, or stands out of its own
    // rounding too: curves equal within their rounding have values that
    // stand out of the rounding at z where their magnitudes are larger.
    void StopValue(size_t i, size_t undefined, Surroundings& s) {
        if (i == undefined)
            return;
        const double v = std::fabs(grid.values[i]);
        if (v > s.noise) {
            // Many zeros of such curves stop at the same grid points.
            if (magnitudes.empty())
                magnitudes.assign(grid.count, kNaN);
            if (std::isnan(magnitudes[i]))
                magnitudes[i] = At(grid.xs[i], true).magnitude;
            if (!(v > kRounding * magnitudes[i]))
                return;
        }
        s.scale = std::fmax(s.scale, v);
    }

    // |value| at grid point i, infinite where undefined.
    double Size(size_t i) const {
        return std::isnan(grid.values[i]) ? kInfinity : std::fabs(grid.values[i]);
    }

    // The largest Size over each block of kBlock grid points, built when
    // first asked for: a narrow view may ask for the surroundings of every
    // grid point, each reaching over thousands of them.
    static constexpr size_t kBlock = 64;
    const std::vector<double>& Blocks() {
        if (blocks.empty()) {
            blocks.assign((grid.count + kBlock - 1) / kBlock, 0);
            for (size_t i = 0; i < grid.count; ++i)
                blocks[i / kBlock] = std::max(blocks[i / kBlock], Size(i));
        }
        return blocks;
    }

    // Whether any grid point is undefined.
    bool Undefined() {
        if (undefinedPoints < 0)
            undefinedPoints = std::count_if(grid.values, grid.values + grid.count,
                                            [](double v) { return std::isnan(v); });
        return undefinedPoints > 0;
    }

    // The largest |value| at grid points i to j - 1 (i < j).
    double Largest(size_t i, size_t j) {
        const std::vector<double>& b = Blocks();
        double largest = 0;
        for (; i < j && i % kBlock != 0; ++i)
            largest = std::max(largest, Size(i));
        for (; i + kBlock <= j; i += kBlock)
            largest = std::max(largest, b[i / kBlock]);
        for (; i < j; ++i)
            largest = std::max(largest, Size(i));
        return largest;
    }

    // The first grid point from i to j - 1 whose Size exceeds t, or j.
    size_t FirstAbove(size_t i, size_t j, double t) {
        const std::vector<double>& b = Blocks();
        for (; i < j && i % kBlock != 0; ++i)
            if (Size(i) > t)
                return i;
        while (i + kBlock <= j && b[i / kBlock] <= t)
            i += kBlock;
        for (; i < j; ++i)
            if (Size(i) > t)
                return i;
        return j;
    }

    // One past the last grid point from i to j - 1 whose Size exceeds t,
    // or i.
    size_t LastAbove(size_t i, size_t j, double t) {
        const std::vector<double>& b = Blocks();
        for (; j > i && j % kBlock != 0; --j)
            if (Size(j - 1) > t)
                return j;
        while (j >= i + kBlock && b[j / kBlock - 1] <= t)
            j -= kBlock;
        for (; j > i; --j)
            if (Size(j - 1) > t)
                return j;
        return i;
    }

    // An exact zero at z: the crossing's zero, which must stand out of the
    // rounding and be continuous against the values around it.
    void ExactZero(const Surroundings& around, double z) {
        // Curves equal within their rounding have exact zeros everywhere:
        // they are refused here, before any search.
        if (!Significant(z, around.scale))
            return;
        const double x = SimplestZero(around, z);
        if (!std::isnan(x) && ContinuousAround(x, around.scale))
            Add(x, At(x).y);
    }

    // Where the values around a crossing are within the rounding, the value
    // may be exactly 0 at several doubles around the true zero and change
    // its sign several times (x^3-6*x^2+11*x-6 near 2), so that where a
    // narrowing ends depends on where it started. The crossing's zero is
    // then the simplest double at which the value is 0 or changes its sign
    // to the next double (of such a pair, the end nearer 0): the one with
    // the most trailing zero bits in its order key, then the lowest. An
    // integer root where the value is exact is itself, and a run of zeros
    // that holds 0 gives 0. All of them lie within the reach of the rounding
    // from z (where the value is 0, or the end of a narrowed sign change
    // nearer 0); the search looks no further, nor at the bounds of the
    // surroundings or beyond, nor at more than kZeroSearch doubles. Gives z
    // when it finds none, NaN when the simplest double it meets is undefined
    // (a hole in a run of zeros, x^3*(x/x) at 0, is no zero).
    double SimplestZero(const Surroundings& around, double z) {
        const double a = std::fmax(Above(around.lo), z - around.reach);
        const double b = std::fmin(Below(around.hi), z + around.reach);
        if (!(a <= z && z <= b))
            return z;
        // The keys shifted by 2^63 to unsigned: a multiple of 2^k stays one.
        const uint64_t bias = uint64_t(1) << 63;
        const uint64_t ua = static_cast<uint64_t>(OrderKey(a)) + bias;
        const uint64_t ub = static_cast<uint64_t>(OrderKey(b)) + bias;
        // The values taken, by their offset from ua, where the window is
        // narrow enough to keep them: a search that meets every double of
        // the window meets most of them twice, as a candidate and as the
        // double after one. Undefined values are NaN.
        const bool kept = ub - ua < 4 * kZeroSearch;
        if (kept) {
            searched.assign(ub - ua + 1, 0);
            taken.assign(ub - ua + 1, false);
        }
        int evaluations = 0;
        auto value = [&](uint64_t u) {
            if (kept && taken[u - ua])
                return searched[u - ua];
            ++evaluations;
            const double v = At(FromOrderKey(static_cast<int64_t>(u - bias))).value;
            if (kept) {
                searched[u - ua] = v;
                taken[u - ua] = true;
            }
            return v;
        };
        for (int level = 63; level >= 0; --level) {
            // The odd multiples of 2^level from ua to ub, in order.
            const uint64_t unit = uint64_t(1) << level;
            uint64_t u = ua & ~(unit - 1);
            if (u < ua) {
                if (ub - u < unit)
                    continue;
                u += unit;
            }
            if (((u >> level) & 1) == 0) {
                if (ub - u < unit)
                    continue;
                u += unit;
            }
            const uint64_t stride = level == 63 ? 0 : 2 * unit;
            for (;;) {
                const double x = FromOrderKey(static_cast<int64_t>(u - bias));
                const double p = value(u);
                if (std::isnan(p))
                    return kNaN;
                if (p == 0)
                    return x;
                const double q = u < ub ? value(u + 1) : kNaN;
                if (!std::isnan(q) && q != 0 && (p < 0) != (q < 0))
                    return std::fabs(p) < std::fabs(q) ? x : Above(x);
                if (evaluations >= kZeroSearch || !WithinBudget())
                    return z;
                if (stride == 0 || ub - u < stride)
                    break;
                u += stride;
            }
        }
        return z;
    }

    void Add(double x, double y) {
        if (stopped || Cut())
            return;
        // Zeros at knots of one stretch, or brackets beside one crossing,
        // may come to the same point.
        if (!result.zeros.empty() && result.zeros.back().x == x + 0.0)
            return;
        result.zeros.push_back({PointKind::Zero, x + 0.0, y});
        if (result.zeros.size() > kMaxPointsPerCurve)
            result.truncated = stopped = true;
    }

    // An exact zero at z: the values at the neighbouring doubles (where
    // defined) must be those of a continuous curve.
    // A zero at z stands out of the rounding: the values around it exceed
    // what rounding can make of the magnitudes computed at z (a curve equal
    // to 0 within its rounding, such as sin(x)^2+cos(x)^2-1, has no zeros).
    bool Significant(double z, double scale) { return scale > kRounding * At(z, true).magnitude; }

    bool ContinuousAround(double z, double scale) {
        if (!Significant(z, scale))
            return false;
        const ScanPoint lo = At(Below(z)), hi = At(Above(z));
        if (!Defined(lo) && !Defined(hi))
            return false;
        double level = 0, slope = 0;
        for (const ScanPoint* p : {&lo, &hi})
            if (Defined(*p)) {
                level = std::fmax(level, std::fabs(p->value));
                slope = std::fmax(slope, std::fabs(p->slope));
            }
        return Continuous(level, scale, slope, Above(z) - Below(z),
                          kRounding * At(z, true).magnitude);
    }

    void SignChange(const Knot& c, const Knot& d) {
        auto valueAt = [&](double x) {
            const ScanPoint p = At(x);
            return BracketEnd{x, p.value, p.slope};
        };
        const BracketResult r = NarrowBracket(valueAt, BracketEnd{c.x, c.value, c.slope},
                                              BracketEnd{d.x, d.value, d.slope});
        if (r.end == BracketResult::End::Exact) {
            const Surroundings around = Surround(c.x, c.value, r.a.x, d.x, d.value);
            if (Sloped(r.a.slope))
                ExactZero(around, r.a.x);
            else
                ExactZeroRun(c.x, r.a.x, d.x, around);
            return;
        }
        if (r.end != BracketResult::End::Neighbours)
            return;
        const ScanPoint pa = At(r.a.x), pb = At(r.b.x);
        const bool left = std::fabs(pa.value) < std::fabs(pb.value);
        const double end = left ? r.a.x : r.b.x;
        const Surroundings around = Surround(c.x, c.value, end, d.x, d.value);
        const double level = std::fmax(std::fabs(pa.value), std::fabs(pb.value));
        const double slope = std::fmax(std::fabs(pa.slope), std::fabs(pb.slope));
        if (!Continuous(level, around.scale, slope, r.b.x - r.a.x, around.noise) ||
            !Significant(end, around.scale))
            return;
        // Within the rounding the crossing may hide exact zeros.
        const double x = std::fabs(pa.value) <= around.noise && std::fabs(pb.value) <= around.noise
                             ? SimplestZero(around, end)
                             : end;
        if (x == end)
            Add(end, left ? pa.y : pb.y);
        else if (!std::isnan(x) && ContinuousAround(x, around.scale))
            Add(x, At(x).y);
    }

    // The narrowing met an exact zero at z, where the slope is 0, between
    // the knots at lo and hi whose values are nonzero. The value may be 0 on
    // a whole run of doubles there: the run must join the values on both
    // sides continuously, and its zero is 0 when the run holds it, else the
    // run's middle, so that the point found does not depend on where the
    // bracket happened to land.
    void ExactZeroRun(double lo, double z, double hi, const Surroundings& around) {
        const double scale = around.scale;
        // Curves equal within their rounding have exact zeros everywhere:
        // they are refused here, before any search.
        if (!Significant(z, scale))
            return;
        auto zero = [&](double x) { return At(x).value == 0; };
        double first, last;
        if (!ZeroRun(lo, z, hi, zero, first, last))
            return;
        const ScanPoint before = At(Below(first)), after = At(Above(last));
        if (!Defined(before) || !Defined(after))
            return;
        const double level = std::fmax(std::fabs(before.value), std::fabs(after.value));
        const double slope = std::fmax(std::fabs(before.slope), std::fabs(after.slope));
        if (!Continuous(level, scale, slope, Above(last) - Below(first), around.noise))
            return;
        const double x = RunPoint(first, last, false, zero);
        if (!std::isnan(x) && Significant(x, scale))
            Add(x, At(x).y);
    }

    // The run of doubles around z (lo < z < hi) on which `zero` holds, given
    // that it fails at lo and hi: its first and last double. False when the
    // narrowing ran out of steps.
    template <class Zero>
    bool ZeroRun(double lo, double z, double hi, Zero zero, double& first, double& last) {
        first = last = z;
        for (int side = 0; side < 2; ++side) {
            // Most exact zeros are single doubles: one look at the
            // neighbour spares the search.
            const double neighbour = side == 0 ? Below(z) : Above(z);
            if (neighbour <= lo || neighbour >= hi || !zero(neighbour))
                continue;
            double outside = side == 0 ? lo : hi, inside = neighbour;
            for (int step = 0; step < kMaxBracketSteps; ++step) {
                if (side == 0 ? Neighbours(outside, inside) : Neighbours(inside, outside))
                    break;
                const double m = side == 0 ? Midpoint(outside, inside) : Midpoint(inside, outside);
                (zero(m) ? inside : outside) = m;
            }
            (side == 0 ? first : last) = inside;
        }
        return Neighbours(Below(first), first) && Below(first) >= lo && Above(last) <= hi &&
               Neighbours(last, Above(last));
    }

    // The point that stands for a run: 0 when the run holds it (or, with
    // `besideToo`, when 0 lies just beside it), else its middle; NaN when
    // `valid` does not hold there, the run having a hole the search stepped
    // over (x^3*(x/x) at 0), which is no point at all.
    template <class Valid>
    static double RunPoint(double first, double last, bool besideToo, Valid valid) {
        const double lo = besideToo ? Below(first) : first, hi = besideToo ? Above(last) : last;
        const double x = lo <= 0 && 0 <= hi ? 0.0 : Midpoint(first, Above(last));
        return valid(x) ? x : kNaN;
    }

    // Whether the function's domain really ends at the undefined knot u
    // (beyond a defined one, towards higher x when `rising`): u is an end
    // of the interval, or the grid point past it is undefined too. An
    // undefined stretch narrower than the grid's spacing is seen only when
    // a grid point happens to fall in it, and is passed over, so that what
    // is found does not depend on where the samples fall (a hole such as
    // x^3/x at 0 is no zero either way).
    bool DomainEndsAt(const Knot& u, bool rising) const {
        if (u.index == SIZE_MAX)
            return false;
        if (rising)
            return u.index + 1 >= grid.count || std::isnan(grid.values[u.index + 1]);
        return u.index == 0 || std::isnan(grid.values[u.index - 1]);
    }

    // An exact zero at a knot where the domain ends (the function is
    // undefined at the double beside it, and the domain ends there as
    // above) is a zero, as the last defined double is in Edge.
    bool DomainEdgeAt(const Knot& k, const Knot* previous, const Knot* next) {
        if (k.index == SIZE_MAX)
            return false;
        if (!Defined(At(Below(k.x))) && (!previous || std::isnan(previous->value)) &&
            (k.index == 0 || std::isnan(grid.values[k.index - 1])))
            return true;
        return !Defined(At(Above(k.x))) && (!next || std::isnan(next->value)) &&
               (k.index + 1 >= grid.count || std::isnan(grid.values[k.index + 1]));
    }

    // Between a defined and an undefined knot: the last defined double
    // before the function's domain ends, a zero when the values shrink
    // towards it.
    void Edge(const Knot& c, const Knot& d, bool leftDefined) {
        double lo = c.x, hi = d.x;
        for (int step = 0; step < kMaxBracketSteps && !Neighbours(lo, hi); ++step) {
            const double m = Midpoint(lo, hi);
            if (Defined(At(m)) == leftDefined)
                lo = m;
            else
                hi = m;
        }
        if (!Neighbours(lo, hi))
            return;
        const double end = leftDefined ? lo : hi;
        const ScanPoint pe = At(end);
        if (!Defined(pe))
            return;
        if (pe.value != 0) {
            // 2^20 doubles inwards, but not past the defined knot (the keys
            // of finite doubles are far from the ends of int64_t).
            const int64_t key = OrderKey(end), inner = OrderKey(leftDefined ? c.x : d.x);
            const ScanPoint pi = At(FromOrderKey(leftDefined ? std::max(key - kEdgeReach, inner)
                                                             : std::min(key + kEdgeReach, inner)));
            if (!Defined(pi) || !(std::fabs(pe.value) <= kEdgeShrink * std::fabs(pi.value)))
                return;
            // Nor may it exceed the value at the defined knot: a curve that
            // swings wildly towards the edge (x^cos(1/x) at 0) may shrink
            // over those doubles by chance, but does not tend to zero.
            if (!(std::fabs(pe.value) <= std::fabs((leftDefined ? c : d).value)))
                return;
        }
        Add(end, pe.y);
    }

    struct Cached {
        double x = 0;
        ScanPoint point;
        bool magnitude = false, valid = false;
    };

    ScanSource& source;
    const ScanGrid& grid;
    const ScanOptions& options;
    ScanResult result;
    std::vector<Extremum> extrema;
    std::array<Cached, 4> cache;
    std::vector<double> blocks;     // see Blocks
    std::vector<double> magnitudes; // at grid points, NaN until evaluated
    std::vector<double> searched;   // SimplestZero's values
    std::vector<bool> taken;
    ptrdiff_t undefinedPoints = -1; // how many grid points are undefined, once counted
    size_t next = 0;
    bool stopped = false;
};

} // namespace

ScanResult ScanFunction(ScanSource& source, const ScanGrid& grid, const ScanOptions& options) {
    return Scanner(source, grid, options).Run();
}
