#include "analysis/integral.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// The 21-point Kronrod rule and the 10-point Gauss rule it extends: nodes
// on [-1, 1] from the outside in (the Gauss nodes are the odd ones), then
// the centre.
constexpr double kNodes[11] = {0.995657163025808080735527280689003,
                               0.973906528517171720077964012084452,
                               0.930157491355708226001207180059508,
                               0.865063366688984510732096688423493,
                               0.780817726586416897063717578345042,
                               0.679409568299024406234327365114874,
                               0.562757134668604683339000099272694,
                               0.433395394129247190799265943165784,
                               0.294392862701460198131126603103866,
                               0.148874338981631210884826001129720,
                               0.0};
constexpr double kKronrodWeights[11] = {
    0.011694638867371874278064396062192, 0.032558162307964727478818972459390,
    0.054755896574351996031381300244580, 0.075039674810919952767043140916190,
    0.093125454583697605535065465083366, 0.109387158802297641899210590325805,
    0.123491976262065851077208980220775, 0.134709217311473325928054001771707,
    0.142775938577060080797094273138717, 0.147739104901338491374841515972068,
    0.149445554002916905664936468389821};
constexpr double kGaussWeights[5] = {
    0.066671344308688137593568809893332, 0.149451349150580593145776339657697,
    0.219086362515982043995534934228163, 0.269266719309996355091226921569469,
    0.295524224714752870173892994651338};

constexpr double kEps = 0x1p-52;
constexpr double kRelativeTolerance = 1e-10;
constexpr long double kInfinity = std::numeric_limits<long double>::infinity();
// The first pieces: this many of equal width, then every other octave
// toward 0 of the variable of integration (4^k) that is narrower than them,
// down to 2^kFinestOctave. A narrow peak far from the centre of a wide interval
// falls among the nodes of one of them, and so does the scale of 1 around
// x = 0 when the interval reaches far beyond it.
constexpr int kUniformPieces = 64;
constexpr int kFinestOctave = -64;
// A piece that cannot be halved any more and still holds this share of the
// integral of |f| is a pole.
constexpr long double kPoleShare = 1e-3L;
// The running sums are recomputed from the pieces this often, so that the
// roundings of their updates cannot build up.
constexpr size_t kRecountEvery = 256;

// The variable of integration of a stretch of the interval: x itself, or
// t in (0, 1] with x = scale/t (up to +inf) or x = -scale/t (down to -inf),
// dx = scale/t^2 dt.
enum class Map : uint8_t { Identity, Up, Down };

struct Stretch {
    Map map = Map::Identity;
    double scale = 1;
    double lo = 0, hi = 1; // in the variable of integration
};

// The integrand at a node, and |x f'(x)| in the same variable: a node is x
// rounded, so the value is f at a point up to about 2^-51 |x| away, off by
// up to that times the slope (where the slope is finite: it overflows long
// before x^-0.95 does near 0).
struct Sample {
    long double value = 0, spread = 0;
};

// The integrand in a stretch's variable. Values are long double so that
// neither the Jacobian nor a sum of values near the largest double can
// overflow; an x beyond the doubles is no point of the curve and sets
// `beyond` instead.
struct Integrand {
    AnalysisCurve& curve;

    static long double Spread(double slope, double x) {
        return std::isfinite(slope) ? std::fabs(static_cast<long double>(slope) * x) : 0;
    }

    Sample operator()(const Stretch& s, double u, bool& beyond) {
        if (s.map == Map::Identity) {
            const CurvePoint p = curve.At(u);
            return {p.y, Spread(p.slope, u)};
        }
        const double x = s.scale / u;
        if (!std::isfinite(x)) {
            beyond = true;
            return {};
        }
        const CurvePoint p = curve.At(s.map == Map::Up ? x : -x);
        if (p.y == 0 && p.slope == 0)
            return {};
        const long double jacobian = static_cast<long double>(s.scale) / u / u;
        return {p.y * jacobian, Spread(p.slope, x) * jacobian};
    }
};

// The work of the curve's evaluations stopped at its deadline or cancel
// flag: the values from then on are not the curve's.
bool Stopped(const Integrand& f) {
    return f.curve.work && f.curve.work->stopped;
}

struct Piece {
    double a = 0, b = 0;
    long double value = 0, error = 0, absolute = 0; // absolute: the integral of |f|
    // The error that rounding the nodes can make (see Sample), which no
    // halving removes: it is added to the error but not subdivided for.
    long double moved = 0;
    long double split = 0; // how far the halving that made it moved the sum, 0 if unknown
    uint8_t stretch = 0;
    bool undefined = false; // every node undefined
    bool resolved = true;   // the nodes are distinct points of the curve inside the piece
};

bool ByError(const Piece& p, const Piece& q) {
    return p.error < q.error;
}

// The Kronrod value of [a, b], with |Kronrod - Gauss| as its error (the
// Gauss rule's error, far above the Kronrod rule's for a smooth integrand)
// but never below the rounding of the sum of |f|; and apart from it, 2
// ulps of the integral of |x f'| for the rounded nodes (a peak of width w
// at x moves by |x|/w ulps of its width).
Piece Rule(Integrand& f, const Stretch* stretches, uint8_t stretch, double a, double b) {
    const Stretch& s = stretches[stretch];
    Piece p;
    p.a = a;
    p.b = b;
    p.stretch = stretch;
    const double centre = 0.5 * a + 0.5 * b, half = 0.5 * b - 0.5 * a;
    bool beyond = false;
    const Sample fc = f(s, centre, beyond);
    long double kronrod = kKronrodWeights[10] * fc.value, gauss = 0,
                absolute = kKronrodWeights[10] * std::fabs(fc.value),
                spread = kKronrodWeights[10] * fc.spread;
    int undefined = std::isnan(fc.value);
    for (int i = 0; i < 10; ++i) {
        const double dx = half * kNodes[i];
        p.resolved = p.resolved && a < centre - dx && centre + dx < b;
        const Sample f1 = f(s, centre - dx, beyond), f2 = f(s, centre + dx, beyond);
        kronrod += kKronrodWeights[i] * (f1.value + f2.value);
        absolute += kKronrodWeights[i] * (std::fabs(f1.value) + std::fabs(f2.value));
        spread += kKronrodWeights[i] * (f1.spread + f2.spread);
        if (i % 2 == 1)
            gauss += kGaussWeights[i / 2] * (f1.value + f2.value);
        undefined += std::isnan(f1.value) + std::isnan(f2.value);
    }
    p.resolved = p.resolved && !beyond;
    p.undefined = undefined == 21;
    p.value = kronrod * half;
    p.absolute = absolute * half;
    p.moved = 2 * kEps * spread * half;
    p.error = std::fmax(std::fabs((kronrod - gauss) * half), 50 * kEps * p.absolute);
    if (!std::isfinite(p.value) || !std::isfinite(p.error)) {
        // Nothing is known of the piece but that it must be halved.
        p.value = p.absolute = p.moved = 0;
        p.error = kInfinity;
    }
    return p;
}

// A half of `parent`. A piece only a few doubles wide, whose nodes fall on
// its ends (or beyond the largest double), is not measured: it contributes
// at most what its parent holds, which becomes its error.
Piece Child(Integrand& f, const Stretch* stretches, const Piece& parent, double a, double b) {
    Piece p = Rule(f, stretches, parent.stretch, a, b);
    if (!p.resolved && !p.undefined) {
        p.value = 0;
        p.error = std::fabs(parent.value) + parent.error;
        p.absolute = parent.absolute;
        p.moved = 0;
    }
    return p;
}

// Halving a piece moves the sum by `split`. Near a singularity at an end
// (x^-p at 0) the rule misses the same share of every piece of the lineage
// that closes in on it, so its own error estimate falls short; but the
// moves shrink by a steady ratio r (2^(p-1)) and what the last piece still
// misses is about split * r / (1 - r). The half with the larger error
// carries the lineage and is given twice that, the ratio taken at most
// kLargestRatio (a lineage that does not shrink ends at a pole or settles
// once it reaches the scale of the curve). Moves within the rounding are no
// evidence.
constexpr long double kLargestRatio = 63.0L / 64;

void Extrapolate(const Piece& parent, Piece (&children)[2]) {
    if (!children[0].resolved || !children[1].resolved)
        return;
    const long double split =
        std::fabs(parent.value - (children[0].value + children[1].value));
    Piece& heir = children[children[1].error > children[0].error];
    heir.split = split;
    if (parent.split > 0 && split > 50 * kEps * parent.absolute) {
        const long double ratio = std::fmin(split / parent.split, kLargestRatio);
        heir.error = std::fmax(heir.error, 2 * split * ratio / (1 - ratio));
    }
}

// The ends of the first pieces of [lo, hi]: kUniformPieces of equal width
// and the powers +-4^k inside that are narrower than those (with 0).
std::vector<double> Breakpoints(double lo, double hi) {
    std::vector<double> points;
    points.reserve(kUniformPieces + 2 * 1100);
    const double width = hi - lo; // infinite across most of the doubles
    for (int i = 0; i <= kUniformPieces; ++i) {
        const double s = static_cast<double>(i) / kUniformPieces;
        points.push_back(i == 0                  ? lo
                         : i == kUniformPieces   ? hi
                         : std::isfinite(width) ? lo + width * s
                                                 : 2 * (0.5 * lo + (0.5 * hi - 0.5 * lo) * s));
    }
    const double spacing = (0.5 * hi - 0.5 * lo) / (kUniformPieces / 2);
    if (spacing > 0)
        for (int k = std::min(std::ilogb(spacing), 1022) & ~1; k >= kFinestOctave; k -= 2) {
            const double octave = std::ldexp(1.0, k);
            for (const double x : {octave, -octave})
                if (octave < spacing && lo < x && x < hi)
                    points.push_back(x);
        }
    if (lo < 0 && 0 < hi)
        points.push_back(0);
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

// The sums over the pieces; pieces of unknown (infinite) error are counted
// apart so that the sums stay finite and can be updated piece by piece.
struct Totals {
    long double value = 0, error = 0, absolute = 0, moved = 0;
    long unknown = 0;

    void Add(const Piece& p, int sign) {
        value += sign * p.value;
        absolute += sign * p.absolute;
        moved += sign * p.moved;
        if (std::isinf(p.error))
            unknown += sign;
        else
            error += sign * p.error;
    }
    long double Tolerance() const {
        return std::fmax(kRelativeTolerance * std::fabs(value), 100 * kEps * absolute);
    }
    bool Converged() const { return unknown == 0 && error <= Tolerance(); }
};

// The integral's value and error bound, in doubles: a value beyond the
// largest double whatever its error is too large; one at the edge is
// stated as the largest double with the difference added to its error; an
// error that does not fit cannot be stated. The error is rounded up.
Integral InDoubles(long double value, long double error) {
    constexpr long double kLargest = std::numeric_limits<double>::max();
    if (std::fabs(value) - error > kLargest)
        return {Integral::Status::TooLarge, std::signbit(value) ? -HUGE_VAL : HUGE_VAL, 0};
    const double stated = static_cast<double>(std::clamp(value, -kLargest, kLargest));
    const long double bound = error + std::fabs(value - stated);
    if (!(bound <= kLargest))
        return {Integral::Status::ErrorTooLarge, stated, HUGE_VAL};
    double rounded = static_cast<double>(bound);
    if (rounded < bound)
        rounded = std::nextafter(rounded, HUGE_VAL);
    return {Integral::Status::Value, stated, rounded};
}

// Starts from the pieces of Breakpoints over every stretch and halves the
// piece with the largest error until the sum of the errors is within the
// tolerance, a piece that cannot be halved any more holds more error than
// the tolerance, or the pieces run out. The integral diverges when the
// integrand is undefined over a whole piece, when values that are not
// finite remain, or when a piece at the limit of the doubles still holds
// more than 1/1000 of the integral of |f|: a pole inside the interval
// (1/(x - 0.3) has the same |f| integral, about 1.4, at every scale down to
// the last double; an integrable x^-p there has 10^(-16(1-p))), or at 0
// or at an infinite end, where the pieces go down through the octaves to
// the smallest doubles (1/x: about 0.7 for each of some 1000 octaves). A
// wide interval is no pole: 1/(1+x^2) from -1e10 to 1e10 stops shrinking
// its |f| integral only below x = 1. A principal value that sums of the
// pieces approach is no integral. A finite integrand that does not
// converge reports its value with the error it has reached.
Integral Adaptive(Integrand& f, const Stretch* stretches, int count) {
    std::vector<Piece> open;  // a heap by error
    std::vector<Piece> final; // pieces that cannot be halved
    for (int s = 0; s < count; ++s) {
        const std::vector<double> points = Breakpoints(stretches[s].lo, stretches[s].hi);
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            if (open.size() >= static_cast<size_t>(kMaxIntegralPieces))
                break;
            const Piece p = Rule(f, stretches, static_cast<uint8_t>(s), points[i], points[i + 1]);
            if (Stopped(f))
                return {Integral::Status::Stopped, 0, 0};
            if (p.undefined)
                return {Integral::Status::Diverges, 0, 0};
            open.push_back(p);
        }
    }
    std::make_heap(open.begin(), open.end(), ByError);
    Totals totals;
    const auto recount = [&] {
        totals = Totals();
        for (const std::vector<Piece>* list : {&open, &final})
            for (const Piece& p : *list)
                totals.Add(p, 1);
    };
    long double finalError = 0;
    for (size_t halvings = 0;; ++halvings) {
        if (halvings % kRecountEvery == 0)
            recount();
        if (totals.Converged())
            recount(); // settle it on the exact sums
        if (totals.Converged() || open.empty() || !(finalError <= totals.Tolerance()) ||
            open.size() + final.size() >= static_cast<size_t>(kMaxIntegralPieces))
            break;
        std::pop_heap(open.begin(), open.end(), ByError);
        const Piece parent = open.back();
        open.pop_back();
        const double middle = 0.5 * parent.a + 0.5 * parent.b;
        if (!(parent.a < middle && middle < parent.b)) {
            final.push_back(parent);
            finalError = std::fmax(finalError, parent.error);
            continue;
        }
        totals.Add(parent, -1);
        Piece children[2] = {Child(f, stretches, parent, parent.a, middle),
                             Child(f, stretches, parent, middle, parent.b)};
        if (Stopped(f))
            return {Integral::Status::Stopped, 0, 0};
        Extrapolate(parent, children);
        for (const Piece& child : children) {
            if (child.undefined)
                return {Integral::Status::Diverges, 0, 0};
            totals.Add(child, 1);
            if (!child.resolved) {
                final.push_back(child);
                finalError = std::fmax(finalError, child.error);
                continue;
            }
            open.push_back(child);
            std::push_heap(open.begin(), open.end(), ByError);
        }
    }
    recount();
    const bool pole = std::any_of(final.begin(), final.end(), [&](const Piece& p) {
        return !p.resolved && p.absolute > kPoleShare * totals.absolute;
    });
    if (totals.unknown > 0 || pole)
        return {Integral::Status::Diverges, 0, 0};
    return InDoubles(totals.value, totals.error + totals.moved);
}

} // namespace

Integral IntegrateCompiled(AnalysisCurve& curve, double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return {Integral::Status::Diverges, 0, 0};
    if (a == b)
        return {Integral::Status::Value, 0, 0};
    if (b < a) {
        Integral reversed = IntegrateCompiled(curve, b, a);
        reversed.value = -reversed.value;
        return reversed;
    }
    // An infinite end is reached through t from the larger of 1 and the
    // finite part's end: the finite part keeps x itself, and the octaves of
    // t are the octaves of x from there on.
    Stretch stretches[3];
    int count = 0;
    double lo = a, hi = b;
    if (a == -HUGE_VAL) {
        const double scale = std::fmax(1, -b);
        stretches[count++] = {Map::Down, scale, 0, 1};
        lo = -scale;
    }
    if (b == HUGE_VAL) {
        const double scale = std::fmax(1, lo);
        stretches[count++] = {Map::Up, scale, 0, 1};
        hi = scale;
    }
    if (lo < hi)
        stretches[count++] = {Map::Identity, 1, lo, hi};
    Integrand f{curve};
    return Adaptive(f, stretches, count);
}
