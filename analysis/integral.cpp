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
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Depths at which a piece's lineage records its error, to tell later
// whether the error shrank while the pieces were halved.
constexpr int kMarkEvery = 16;

// The integrand in the variable of integration: the curve itself on a
// finite stretch; on [origin, inf) or (-inf, origin] the curve at
// x = origin +- (1 - t)/t times dx/dt = 1/t^2, for t in (0, 1].
struct Integrand {
    enum class Map { Identity, Up, Down };
    AnalysisCurve& curve;
    Map map = Map::Identity;
    double origin = 0;

    double operator()(double t) {
        if (map == Map::Identity)
            return curve.At(t).y;
        const double offset = (1 - t) / t;
        const double y = curve.At(map == Map::Up ? origin + offset : origin - offset).y;
        return y == 0 ? 0.0 : y / t / t;
    }
};

// The work of the curve's evaluations stopped at its deadline or cancel
// flag: the values from then on are not the curve's.
bool Stopped(const Integrand& f) {
    return f.curve.work && f.curve.work->stopped;
}

struct Piece {
    double a = 0, b = 0, value = 0, error = 0, absolute = 0;
    int depth = 0;
    double marks[2] = {NAN, NAN}; // the lineage's |f| integral at its last two marked depths
    bool undefined = false;       // every node undefined
    bool resolved = true;         // the nodes are distinct points inside the piece
};

bool ByError(const Piece& p, const Piece& q) {
    return p.error < q.error;
}

// The Kronrod value of [a, b], with |Kronrod - Gauss| as its error (the
// Gauss rule's error, far above the Kronrod rule's for a smooth integrand)
// but never below the rounding of the sum of |f|.
Piece Rule(Integrand& f, double a, double b) {
    Piece p;
    p.a = a;
    p.b = b;
    const double centre = 0.5 * a + 0.5 * b, half = 0.5 * b - 0.5 * a;
    const double fc = f(centre);
    double kronrod = kKronrodWeights[10] * fc, gauss = 0,
           absolute = kKronrodWeights[10] * std::fabs(fc);
    bool finite = std::isfinite(fc);
    int undefined = std::isnan(fc);
    for (int i = 0; i < 10; ++i) {
        const double dx = half * kNodes[i];
        p.resolved = p.resolved && a < centre - dx && centre + dx < b;
        const double f1 = f(centre - dx), f2 = f(centre + dx);
        kronrod += kKronrodWeights[i] * (f1 + f2);
        absolute += kKronrodWeights[i] * (std::fabs(f1) + std::fabs(f2));
        if (i % 2 == 1)
            gauss += kGaussWeights[i / 2] * (f1 + f2);
        finite = finite && std::isfinite(f1) && std::isfinite(f2);
        undefined += std::isnan(f1) + std::isnan(f2);
    }
    p.undefined = undefined == 21;
    p.value = kronrod * half;
    p.absolute = absolute * half;
    p.error = std::fmax(std::fabs((kronrod - gauss) * half), 50 * kEps * p.absolute);
    if (!finite || !std::isfinite(p.value) || !std::isfinite(p.error)) {
        // Nothing is known of the piece but that it must be halved.
        p.value = p.absolute = 0;
        p.error = kInfinity;
    }
    return p;
}

// A half of `parent`. A piece only a few doubles wide, whose nodes fall on
// its ends, is not measured: it contributes at most what its parent holds,
// which becomes its error.
Piece Child(Integrand& f, const Piece& parent, double a, double b) {
    Piece p = Rule(f, a, b);
    if (!p.resolved && !p.undefined) {
        p.value = 0;
        p.error = std::fabs(parent.value) + parent.error;
        p.absolute = parent.absolute;
    }
    p.depth = parent.depth + 1;
    p.marks[0] = parent.marks[0];
    p.marks[1] = parent.marks[1];
    if (p.depth % kMarkEvery == 0) {
        p.marks[1] = p.marks[0];
        p.marks[0] = p.absolute;
    }
    return p;
}

// A piece deep in a lineage whose integral of |f| shrank by less than half
// over the last 16 to 31 halvings: the lineage closes in on a point whose
// neighbourhood keeps contributing, as around 1/x and anything steeper
// (an integrable x^-p shrinks by 2^(16(p-1)), below half for p < 15/16).
bool Stalled(const Piece& p) {
    return p.depth >= 2 * kMarkEvery && std::isfinite(p.marks[1]) && p.absolute >= 0.5 * p.marks[1];
}

// Halves the piece with the largest error until the sum of the errors is
// within the tolerance, a piece that cannot be halved any more holds more
// error than the tolerance, or the pieces run out. The integral diverges
// when the integrand is undefined over a whole piece, when values that are
// not finite remain, when any lineage stalled, or when a piece at the
// limit of the doubles still holds more than 1/1000 of the integral of |f|
// (a pole inside the interval: 1/(x - 0.3) has the same |f| integral,
// about 1.4, at every scale down to the last double; an integrable x^-p
// there has 10^(-16(1-p))). A principal value that sums of the pieces
// approach is no integral. A finite integrand that does not converge
// reports its value with the error it has reached.
Integral Adaptive(Integrand& f, double a, double b) {
    std::vector<Piece> open;  // a heap by error
    std::vector<Piece> final; // pieces that cannot be halved
    open.reserve(kMaxIntegralPieces);
    Piece root = Rule(f, a, b);
    root.marks[0] = root.absolute;
    if (Stopped(f))
        return {Integral::Status::Stopped, 0, 0};
    if (root.undefined)
        return {Integral::Status::Diverges, 0, 0};
    open.push_back(root);
    double value = 0, error = 0, absolute = 0;
    for (;;) {
        // Neumaier's compensated sum of the values.
        double sum = 0, compensation = 0, finalError = 0;
        error = absolute = 0;
        for (const std::vector<Piece>* list : {&open, &final})
            for (const Piece& p : *list) {
                const double t = sum + p.value;
                compensation += std::fabs(sum) >= std::fabs(p.value) ? (sum - t) + p.value
                                                                     : (p.value - t) + sum;
                sum = t;
                error += p.error;
                absolute += p.absolute;
                if (list == &final)
                    finalError = std::fmax(finalError, p.error);
            }
        value = sum + compensation;
        const double tolerance =
            std::fmax(kRelativeTolerance * std::fabs(value), 100 * kEps * absolute);
        if (error <= tolerance || open.empty() || !(finalError <= tolerance) ||
            open.size() + final.size() >= static_cast<size_t>(kMaxIntegralPieces))
            break;
        std::pop_heap(open.begin(), open.end(), ByError);
        const Piece parent = open.back();
        open.pop_back();
        const double middle = 0.5 * parent.a + 0.5 * parent.b;
        if (!(parent.a < middle && middle < parent.b)) {
            final.push_back(parent);
            continue;
        }
        const Piece children[2] = {Child(f, parent, parent.a, middle),
                                   Child(f, parent, middle, parent.b)};
        if (Stopped(f))
            return {Integral::Status::Stopped, 0, 0};
        for (const Piece& child : children) {
            if (child.undefined)
                return {Integral::Status::Diverges, 0, 0};
            if (!child.resolved) {
                final.push_back(child);
                continue;
            }
            open.push_back(child);
            std::push_heap(open.begin(), open.end(), ByError);
        }
    }
    const bool pole = std::any_of(final.begin(), final.end(), [&](const Piece& p) {
        return !p.resolved && p.absolute > 1e-3 * absolute;
    });
    if (!std::isfinite(error) || pole || std::any_of(open.begin(), open.end(), Stalled) ||
        std::any_of(final.begin(), final.end(), Stalled))
        return {Integral::Status::Diverges, 0, 0};
    return {Integral::Status::Value, value, error};
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
    using Map = Integrand::Map;
    if (std::isfinite(a) && std::isfinite(b)) {
        Integrand f{curve, Map::Identity, 0};
        return Adaptive(f, a, b);
    }
    if (std::isfinite(a)) {
        Integrand f{curve, Map::Up, a};
        return Adaptive(f, 0, 1);
    }
    if (std::isfinite(b)) {
        Integrand f{curve, Map::Down, b};
        return Adaptive(f, 0, 1);
    }
    Integrand up{curve, Map::Up, 0}, down{curve, Map::Down, 0};
    const Integral right = Adaptive(up, 0, 1);
    if (right.status != Integral::Status::Value)
        return right;
    const Integral left = Adaptive(down, 0, 1);
    if (left.status != Integral::Status::Value)
        return left;
    return {Integral::Status::Value, left.value + right.value, left.error + right.error};
}
