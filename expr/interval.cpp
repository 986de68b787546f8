#include "expr/interval.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = DBL_MAX;

// pi/2 and pi lie strictly between these doubles; the lower ones are the
// doubles nearest below (pi() itself is kPiLo).
constexpr double kHalfPiLo = 0x1.921fb54442d18p+0;
constexpr double kHalfPiHi = 0x1.921fb54442d19p+0;
constexpr double kPiLo = 0x1.921fb54442d18p+1;
constexpr double kPiHi = 0x1.921fb54442d19p+1;

double Down(double x) { return std::nextafter(x, -kInf); }
double Up(double x) { return std::nextafter(x, kInf); }

Definedness Least(Definedness a, Definedness b) { return a < b ? a : b; }

// The result of a rule: its own enclosure and claims over the operands'
// enclosures, joined with what the operands claim.
Interval Make(double lo, double hi, Definedness defined, bool continuous) {
    if (defined == Definedness::Nowhere || lo > hi)
        return Interval::Empty();
    Interval r;
    r.lo = lo == lo ? std::min(lo, kMax) : -kInf;
    r.hi = hi == hi ? std::max(hi, -kMax) : kInf;
    r.defined = defined;
    r.continuous = continuous && defined == Definedness::Everywhere;
    return r;
}
Interval Make(double lo, double hi, Definedness defined, bool continuous, const Interval& u) {
    return Make(lo, hi, Least(defined, u.defined), continuous && u.continuous);
}
Interval Make(double lo, double hi, Definedness defined, bool continuous, const Interval& u,
              const Interval& w) {
    return Make(lo, hi, Least(defined, Least(u.defined, w.defined)),
                continuous && u.continuous && w.continuous);
}
// An operand's rule applied to a result: keeps the result's enclosure.
Interval Join(const Interval& r, const Interval& u) {
    return r.IsEmpty() ? r : Make(r.lo, r.hi, r.defined, r.continuous, u);
}

// Which side of a rounded result the exact value lies on: the rounded
// result is a lower bound when the exact value is not below it, an upper
// bound when not above. Unknown sides round outward.
enum Side { kBelow = -1, kExact = 0, kAbove = 1, kUnknown = 2 };
double Lower(double v, Side side) { return side == kExact || side == kAbove ? v : Down(v); }
double Upper(double v, Side side) { return side == kExact || side == kBelow ? v : Up(v); }
// The side from the sign of an error term; NaN (an intermediate overflow)
// tells nothing.
Side SignSide(double d) { return d > 0 ? kAbove : d < 0 ? kBelow : d == 0 ? kExact : kUnknown; }

// Veltkamp's split: hi + lo = a exactly, each with at most 26 significant
// bits, so that the products of the parts are exact.
void Split(double a, double& hi, double& lo) {
    const double c = 134217729.0 * a; // 2^27 + 1
    hi = c - (c - a);
    lo = a - hi;
}

// The range in which Dekker's product and the residuals below are exact:
// no part overflows and no partial product underflows.
bool Safe(double v) {
    const double m = std::fabs(v);
    return m >= 0x1p-800 && m <= 0x1p990;
}

// e = a*b - p exactly, for p = a*b rounded, when all are Safe.
double ProductError(double a, double b, double p) {
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    return ((ah * bh - p) + ah * bl + al * bh) + al * bl;
}

// a + b rounded outward, exact results kept (TwoSum).
double AddDown(double a, double b) {
    const double s = a + b;
    if (s != s)
        return -kInf;
    if (!std::isfinite(s))
        return s > 0 ? kMax : s;
    const double bp = s - a;
    return Lower(s, SignSide((a - (s - bp)) + (b - bp)));
}
double AddUp(double a, double b) {
    const double s = a + b;
    if (s != s)
        return kInf;
    if (!std::isfinite(s))
        return s < 0 ? -kMax : s;
    const double bp = s - a;
    return Upper(s, SignSide((a - (s - bp)) + (b - bp)));
}

// a * b rounded outward; 0 times an unbounded end is 0 (its values are real).
Side MulSide(double a, double b, double p) {
    if (!Safe(a) || !Safe(b) || !Safe(p))
        return kUnknown;
    return SignSide(ProductError(a, b, p));
}
double MulDown(double a, double b) {
    if (a == 0 || b == 0)
        return 0;
    const double p = a * b;
    if (!std::isfinite(p))
        return p > 0 ? kMax : -kInf;
    return Lower(p, MulSide(a, b, p));
}
double MulUp(double a, double b) {
    if (a == 0 || b == 0)
        return 0;
    const double p = a * b;
    if (!std::isfinite(p))
        return p < 0 ? -kMax : kInf;
    return Upper(p, MulSide(a, b, p));
}

// a / b rounded outward for b > 0 (b may be +inf: a finite a over it is 0).
Side DivSide(double a, double b, double q) {
    if (!Safe(a) || !Safe(b) || !Safe(q))
        return kUnknown;
    // a/b - q = r/b with r = a - q*b, exact: q*b lies within a factor 2 of a.
    const double p = q * b;
    if (!Safe(p))
        return kUnknown;
    return SignSide((a - p) - ProductError(q, b, p));
}
double DivDown(double a, double b) {
    if (a == 0 || b == kInf)
        return 0;
    const double q = a / b;
    if (!std::isfinite(q))
        return q > 0 ? kMax : -kInf;
    return Lower(q, DivSide(a, b, q));
}
double DivUp(double a, double b) {
    if (a == 0 || b == kInf)
        return 0;
    const double q = a / b;
    if (!std::isfinite(q))
        return q < 0 ? -kMax : kInf;
    return Upper(q, DivSide(a, b, q));
}

// sqrt(a) for a >= 0, with the side of sqrt(a) - s from a - s*s.
Side SqrtSide(double a, double s) {
    if (!Safe(a) || !Safe(s))
        return kUnknown;
    const double p = s * s;
    return SignSide((a - p) - ProductError(s, s, p));
}

// The library's widening: the worst error the unit tests measure against
// MPFR, in steps between doubles, plus one step of margin.
#if defined(_WIN32)
// mingw-w64: exp, log, atan2 and pow from its runtime, sin, cos and tan from
// expr/trig.h, the rest in extended precision rounded once
// (expr/msvcrt_free_math.cpp).
constexpr int kWidening[] = {
    /*Exp*/ 2, /*Log*/ 2, /*Sin*/ 2, /*Cos*/ 2, /*Tan*/ 2, /*Asin*/ 2, /*Acos*/ 2,
    /*Atan*/ 2, /*Atan2*/ 2, /*Sinh*/ 2, /*Cosh*/ 2, /*Tanh*/ 2, /*Pow*/ 2};
#else
// glibc (measured with 2.36): 1 step for all but sinh and tanh, 2 for those.
constexpr int kWidening[] = {
    /*Exp*/ 2, /*Log*/ 2, /*Sin*/ 2, /*Cos*/ 2, /*Tan*/ 2, /*Asin*/ 2, /*Acos*/ 2,
    /*Atan*/ 2, /*Atan2*/ 2, /*Sinh*/ 3, /*Cosh*/ 2, /*Tanh*/ 3, /*Pow*/ 2};
#endif
static_assert(sizeof kWidening / sizeof kWidening[0] ==
              static_cast<size_t>(interval::LibraryFunction::Count));

using Fn = interval::LibraryFunction;

// A library result moved outward by the function's widening; a NaN gives
// an unbounded end.
double LibDown(Fn f, double v) {
    if (v != v)
        return -kInf;
    for (int i = kWidening[static_cast<int>(f)]; i > 0; --i)
        v = Down(v);
    return v;
}
double LibUp(Fn f, double v) {
    if (v != v)
        return kInf;
    for (int i = kWidening[static_cast<int>(f)]; i > 0; --i)
        v = Up(v);
    return v;
}

// Arguments at which the C library must return the exact value (its
// special cases: sin(0) = 0, cos(0) = 1, log(1) = 0 and the like), so that
// a point where a function is 0 or 1 stays one number.
bool ExactAt(Fn f, double x) {
    switch (f) {
    case Fn::Sin: case Fn::Tan: case Fn::Asin: case Fn::Atan: case Fn::Sinh: case Fn::Tanh:
    case Fn::Cos: case Fn::Cosh: case Fn::Exp:
        return x == 0;
    case Fn::Log: case Fn::Acos:
        return x == 1;
    default:
        return false;
    }
}
// The library's result v at the argument x, moved outward unless exact.
double LibDown(Fn f, double x, double v) { return ExactAt(f, x) && v == v ? v : LibDown(f, v); }
double LibUp(Fn f, double x, double v) { return ExactAt(f, x) && v == v ? v : LibUp(f, v); }

// An increasing library function over [u.lo, u.hi], clamped to [floor, ceil].
Interval Increasing(Fn f, double (*fn)(double), const Interval& u, double lo, double hi) {
    return Make(std::max(lo, LibDown(f, u.lo, fn(u.lo))), std::min(hi, LibUp(f, u.hi, fn(u.hi))),
                Definedness::Everywhere, true, u);
}

// |x|^n for x >= 0 and n >= 1, by square and multiply with every product
// rounded the same way (the factors are not negative, so the bound holds).
// The first factor is taken as it is, not multiplied by 1, so that no
// rounding is added where there is none.
double MagnitudePower(double x, uint64_t n, bool up) {
    double r = 0, b = x;
    bool first = true;
    for (;;) {
        if (n & 1) {
            r = first ? b : up ? MulUp(r, b) : MulDown(r, b);
            first = false;
        }
        n >>= 1;
        if (n == 0)
            return r;
        b = up ? MulUp(b, b) : MulDown(b, b);
    }
}

// Bounds of x^y for finite x >= 0 and finite y. Integer exponents are
// multiplied out with directed rounding (a library's pow may multiply them
// out too, with its errors growing with y); beyond 2^62 only the side that
// x^(2^62) bounds is kept. Other exponents take the library's pow, widened.
void PowerBounds(double x, double y, double& lo, double& hi) {
    if (y != std::floor(y)) {
        const double v = std::pow(x, y);
        lo = LibDown(Fn::Pow, v);
        hi = LibUp(Fn::Pow, v);
        return;
    }
    if (y == 0) {
        lo = hi = 1;
        return;
    }
    const double n = std::fabs(y);
    double mlo, mhi;
    if (n <= 0x1p62) {
        mlo = MagnitudePower(x, static_cast<uint64_t>(n), false);
        mhi = MagnitudePower(x, static_cast<uint64_t>(n), true);
    } else {
        mlo = x >= 1 ? MagnitudePower(x, uint64_t(1) << 62, false) : 0;
        mhi = x <= 1 ? MagnitudePower(x, uint64_t(1) << 62, true) : kInf;
    }
    if (y > 0) {
        lo = mlo;
        hi = mhi;
    } else { // 1 / x^n; x = 0 gives the limit +inf
        lo = DivDown(1, mhi);
        hi = mlo == 0 ? kInf : DivUp(1, mlo);
    }
}

// x^y over x in [a, b] (0 <= a), y in [c, d]: x^y is monotone in each
// variable, so the corners bound it; 0 to a negative power is the limit
// +inf. An infinite corner has no one limit: then all of [0, inf].
void PowCorners(double a, double b, double c, double d, double& lo, double& hi) {
    if (!std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d)) {
        lo = 0;
        hi = kInf;
        return;
    }
    const double xs[] = {a, b}, ys[] = {c, d};
    lo = kInf;
    hi = -kInf;
    for (double x : xs)
        for (double y : ys) {
            double vlo, vhi;
            PowerBounds(x, y, vlo, vhi);
            lo = std::min(lo, vlo);
            hi = std::max(hi, vhi);
        }
    lo = std::max(lo, 0.0);
}

// The integers k for which k*pi/2 may lie in [lo, hi]: a superset of those
// that do, from an enclosure of pi/2. False beyond kTrigLimit.
bool QuarterTurns(double lo, double hi, double& kl, double& kh) {
    if (!(std::fabs(lo) <= interval::kTrigLimit && std::fabs(hi) <= interval::kTrigLimit))
        return false;
    const double ql = lo >= 0 ? DivDown(lo, kHalfPiHi) : DivDown(lo, kHalfPiLo);
    const double qh = hi >= 0 ? DivUp(hi, kHalfPiLo) : DivUp(hi, kHalfPiHi);
    kl = std::ceil(ql);
    kh = std::floor(qh);
    return true;
}
// k mod 4 in 0..3.
int Quadrant(double k) { return static_cast<int>(static_cast<int64_t>(k) & 3); }

// sin (shift 0) or cos (shift 1) over u: the endpoints, and the extremes
// at the multiples of pi/2 inside. sin has its maxima at k = 1, cos at
// k = 0 (mod 4).
Interval SinCos(const Interval& u, Fn f, double (*fn)(double), int shift) {
    if (u.IsEmpty())
        return u;
    double kl, kh;
    if (!QuarterTurns(u.lo, u.hi, kl, kh) || kh - kl >= 4)
        return Make(-1, 1, Definedness::Everywhere, true, u);
    const double a = fn(u.lo), b = fn(u.hi);
    double lo = std::min(LibDown(f, u.lo, a), LibDown(f, u.hi, b));
    double hi = std::max(LibUp(f, u.lo, a), LibUp(f, u.hi, b));
    for (double k = kl; k <= kh; ++k) {
        const int q = (Quadrant(k) + shift) & 3;
        if (q == 1)
            hi = 1;
        else if (q == 3)
            lo = -1;
    }
    return Make(std::max(lo, -1.0), std::min(hi, 1.0), Definedness::Everywhere, true, u);
}

double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Tan(double x) { return std::tan(x); }
double Exp(double x) { return std::exp(x); }
double Atan(double x) { return std::atan(x); }
double Sinh(double x) { return std::sinh(x); }
double Tanh(double x) { return std::tanh(x); }

} // namespace

Interval Interval::Point(double value) {
    if (std::isfinite(value))
        return Range(value, value);
    Interval r; // possibly defined, unbounded
    if (value == kInf)
        r.lo = kMax;
    else if (value == -kInf)
        r.hi = -kMax;
    return r;
}

Interval Interval::Range(double lo, double hi) {
    if (lo != lo || hi != hi)
        return Interval();
    if (lo > hi)
        return Empty();
    Interval r;
    r.lo = std::min(lo, kMax);
    r.hi = std::max(hi, -kMax);
    r.defined = Definedness::Everywhere;
    r.continuous = true;
    return r;
}

Interval Interval::Empty() {
    Interval r;
    r.lo = kInf;
    r.hi = -kInf;
    r.defined = Definedness::Nowhere;
    r.continuous = false;
    return r;
}

namespace interval {

int Widening(LibraryFunction function) { return kWidening[static_cast<int>(function)]; }

Interval Neg(const Interval& u) {
    if (u.IsEmpty())
        return u;
    Interval r = u;
    r.lo = -u.hi;
    r.hi = -u.lo;
    return r;
}

Interval Add(const Interval& u, const Interval& w) {
    if (u.IsEmpty() || w.IsEmpty())
        return Interval::Empty();
    return Make(AddDown(u.lo, w.lo), AddUp(u.hi, w.hi), Definedness::Everywhere, true, u, w);
}

Interval Sub(const Interval& u, const Interval& w) { return Add(u, Neg(w)); }

Interval Mul(const Interval& u, const Interval& w) {
    if (u.IsEmpty() || w.IsEmpty())
        return Interval::Empty();
    const double lo = std::min(std::min(MulDown(u.lo, w.lo), MulDown(u.lo, w.hi)),
                               std::min(MulDown(u.hi, w.lo), MulDown(u.hi, w.hi)));
    const double hi = std::max(std::max(MulUp(u.lo, w.lo), MulUp(u.lo, w.hi)),
                               std::max(MulUp(u.hi, w.lo), MulUp(u.hi, w.hi)));
    return Make(lo, hi, Definedness::Everywhere, true, u, w);
}

Interval Div(const Interval& u, const Interval& w) {
    if (u.IsEmpty() || w.IsEmpty())
        return Interval::Empty();
    if (w.lo == 0 && w.hi == 0)
        return Interval::Empty(); // division by zero wherever it is defined
    if (w.lo > 0 || w.hi < 0) {
        // u / w = -(u / -w) for a negative divisor.
        const bool negative = w.hi < 0;
        const double bl = negative ? -w.hi : w.lo, bh = negative ? -w.lo : w.hi;
        const double lo = u.lo >= 0 ? DivDown(u.lo, bh) : DivDown(u.lo, bl);
        const double hi = u.hi >= 0 ? DivUp(u.hi, bl) : DivUp(u.hi, bh);
        return negative ? Make(-hi, -lo, Definedness::Everywhere, true, u, w)
                        : Make(lo, hi, Definedness::Everywhere, true, u, w);
    }
    // The divisor's enclosure holds 0: undefined where it is 0, unbounded
    // near it.
    if (u.lo == 0 && u.hi == 0)
        return Make(0, 0, Definedness::Possibly, false, u, w);
    double lo = -kInf, hi = kInf;
    if (w.lo == 0) { // w in (0, w.hi]
        if (u.lo >= 0)
            lo = DivDown(u.lo, w.hi);
        else if (u.hi <= 0)
            hi = DivUp(u.hi, w.hi);
    } else if (w.hi == 0) { // w in [w.lo, 0): u / w = -(u / -w)
        if (u.lo >= 0)
            hi = -DivDown(u.lo, -w.lo);
        else if (u.hi <= 0)
            lo = -DivUp(u.hi, -w.lo);
    }
    return Make(lo, hi, Definedness::Possibly, false, u, w);
}

namespace {

// u^n for an integer n with |n| <= 2^62.
Interval WholePower(const Interval& u, double n) {
    if (u.IsEmpty())
        return u;
    if (n == 0)
        return Make(1, 1, Definedness::Everywhere, true, u);
    if (n < 0)
        return Join(Div(Interval::Point(1), WholePower(u, -n)), u);
    const uint64_t k = static_cast<uint64_t>(n);
    if (k % 2 == 0) {
        const double mlo = u.lo >= 0 ? u.lo : u.hi <= 0 ? -u.hi : 0;
        const double mhi = std::max(-u.lo, u.hi);
        return Make(MagnitudePower(mlo, k, false), MagnitudePower(mhi, k, true),
                    Definedness::Everywhere, true, u);
    }
    const double lo = u.lo >= 0 ? MagnitudePower(u.lo, k, false)
                                : -MagnitudePower(-u.lo, k, true);
    const double hi = u.hi >= 0 ? MagnitudePower(u.hi, k, true)
                                : -MagnitudePower(-u.hi, k, false);
    return Make(lo, hi, Definedness::Everywhere, true, u);
}

} // namespace

Interval PowInt(const Interval& u, int n) { return WholePower(u, n); }

Interval Pow(const Interval& u, const Interval& w) {
    if (u.IsEmpty() || w.IsEmpty())
        return Interval::Empty();
    // An exponent that is one integer: the exact power (any base).
    if (w.lo == w.hi && w.lo == std::floor(w.lo) && std::fabs(w.lo) <= 0x1p62)
        return Join(WholePower(u, w.lo), w);

    double lo = kInf, hi = -kInf;
    bool all = true, continuous = true;
    // Bases >= 0. x^y is continuous on (0, inf) x R and on [0, inf) x (0, inf);
    // 0 to a negative power is undefined.
    if (u.hi >= 0) {
        const double a = std::max(u.lo, 0.0) + 0.0; // never -0: pow(-0, -1) is -inf
        if (a == 0 && w.lo <= 0) {
            continuous = false;
            if (w.lo < 0)
                all = false;
        }
        // (Only x = 0 to negative powers defines nothing here.)
        if (u.hi > 0 || w.hi >= 0) {
            double plo, phi;
            PowCorners(a, u.hi, w.lo, w.hi, plo, phi);
            lo = std::min(lo, plo);
            hi = std::max(hi, phi);
        }
    }
    // Bases < 0: defined only at integer exponents, where |x^y| = |x|^y.
    if (u.lo < 0) {
        all = false;
        continuous = false;
        if (std::ceil(w.lo) <= std::floor(w.hi)) { // an integer exponent is possible
            double plo, phi;
            PowCorners(u.hi < 0 ? -u.hi : 0, -u.lo, w.lo, w.hi, plo, phi);
            lo = std::min(lo, -phi);
            hi = std::max(hi, phi);
        }
    }
    if (lo > hi)
        return Interval::Empty();
    return Make(lo, hi, all ? Definedness::Everywhere : Definedness::Possibly, continuous, u, w);
}

Interval Abs(const Interval& u) {
    if (u.IsEmpty() || u.lo >= 0)
        return u;
    if (u.hi <= 0)
        return Neg(u);
    return Make(0, std::max(-u.lo, u.hi), Definedness::Everywhere, true, u);
}

Interval Floor(const Interval& u) {
    if (u.IsEmpty())
        return u;
    const double lo = std::floor(u.lo), hi = std::floor(u.hi);
    return Make(lo, hi, Definedness::Everywhere, lo == hi, u);
}

Interval Ceil(const Interval& u) {
    if (u.IsEmpty())
        return u;
    const double lo = std::ceil(u.lo), hi = std::ceil(u.hi);
    return Make(lo, hi, Definedness::Everywhere, lo == hi, u);
}

Interval Mod(const Interval& u, const Interval& w) {
    if (u.IsEmpty() || w.IsEmpty() || (w.lo == 0 && w.hi == 0))
        return Interval::Empty();
    // The remainder has the dividend's sign and is smaller than both the
    // dividend and the divisor in magnitude.
    const double m = std::max(-w.lo, w.hi);
    double lo = u.lo >= 0 ? 0 : -std::min(-u.lo, m);
    double hi = u.hi <= 0 ? 0 : std::min(u.hi, m);
    if (w.lo <= 0 && w.hi >= 0)
        return Make(lo, hi, Definedness::Possibly, false, u, w);
    // mod(x, y) = x - k*y while k = trunc(x/y) stays the same integer over
    // the box: then it is continuous. trunc jumps at every integer but 0.
    const Interval q = Div(u, w);
    double k = 0;
    bool steady = false;
    if (q.lo > -1 && q.hi < 1) {
        steady = true;
    } else if (q.lo >= 1 && std::floor(q.lo) == std::floor(q.hi)) {
        k = std::floor(q.lo);
        steady = true;
    } else if (q.hi <= -1 && std::ceil(q.lo) == std::ceil(q.hi)) {
        k = std::ceil(q.hi);
        steady = true;
    }
    if (!steady)
        return Make(lo, hi, Definedness::Everywhere, false, u, w);
    const Interval r = Sub(u, Mul(Interval::Point(k), w));
    lo = std::max(lo, r.lo);
    hi = std::min(hi, r.hi);
    return Make(lo, hi, Definedness::Everywhere, true, u, w);
}

Interval Sqrt(const Interval& u) {
    if (u.IsEmpty() || u.hi < 0)
        return Interval::Empty();
    const bool all = u.lo >= 0;
    double lo = 0;
    if (u.lo > 0) {
        const double s = std::sqrt(u.lo);
        lo = s == kInf ? kMax : Lower(s, SqrtSide(u.lo, s));
    }
    const double s = std::sqrt(u.hi);
    // sqrt is correctly rounded, and exact at 0.
    const double hi = s == kInf || s == 0 ? s : Upper(s, SqrtSide(u.hi, s));
    return Make(std::max(lo, 0.0), hi, all ? Definedness::Everywhere : Definedness::Possibly, all, u);
}

Interval Log(const Interval& u) {
    if (u.IsEmpty() || u.hi <= 0)
        return Interval::Empty();
    const bool all = u.lo > 0;
    const double lo = all ? LibDown(Fn::Log, u.lo, std::log(u.lo)) : -kInf;
    return Make(lo, LibUp(Fn::Log, u.hi, std::log(u.hi)),
                all ? Definedness::Everywhere : Definedness::Possibly, all, u);
}

Interval Exp(const Interval& u) {
    if (u.IsEmpty())
        return u;
    return Increasing(Fn::Exp, ::Exp, u, 0, kInf);
}

Interval Sin(const Interval& u) { return SinCos(u, Fn::Sin, ::Sin, 0); }
Interval Cos(const Interval& u) { return SinCos(u, Fn::Cos, ::Cos, 1); }

Interval Tan(const Interval& u) {
    if (u.IsEmpty())
        return u;
    // Poles at the odd multiples of pi/2.
    double kl, kh;
    if (!QuarterTurns(u.lo, u.hi, kl, kh) || kh > kl || (kh == kl && (Quadrant(kl) & 1)))
        return Make(-kInf, kInf, Definedness::Possibly, false, u);
    return Increasing(Fn::Tan, ::Tan, u, -kInf, kInf);
}

Interval ArcSin(const Interval& u) {
    if (u.IsEmpty() || u.hi < -1 || u.lo > 1)
        return Interval::Empty();
    const bool all = u.lo >= -1 && u.hi <= 1;
    const double a = std::max(u.lo, -1.0), b = std::min(u.hi, 1.0);
    return Make(std::max(-kHalfPiHi, LibDown(Fn::Asin, a, std::asin(a))),
                std::min(kHalfPiHi, LibUp(Fn::Asin, b, std::asin(b))),
                all ? Definedness::Everywhere : Definedness::Possibly, all, u);
}

Interval ArcCos(const Interval& u) {
    if (u.IsEmpty() || u.hi < -1 || u.lo > 1)
        return Interval::Empty();
    const bool all = u.lo >= -1 && u.hi <= 1;
    const double a = std::max(u.lo, -1.0), b = std::min(u.hi, 1.0);
    return Make(std::max(0.0, LibDown(Fn::Acos, b, std::acos(b))),
                std::min(kPiHi, LibUp(Fn::Acos, a, std::acos(a))),
                all ? Definedness::Everywhere : Definedness::Possibly, all, u);
}

Interval ArcTan(const Interval& u) {
    if (u.IsEmpty())
        return u;
    return Increasing(Fn::Atan, ::Atan, u, -kHalfPiHi, kHalfPiHi);
}

Interval ArcTan2(const Interval& u, const Interval& w) {
    if (u.IsEmpty() || w.IsEmpty())
        return Interval::Empty();
    // u is y, w is x. Off the closed negative x axis atan2 is continuous and,
    // within a half plane, monotone in each variable: the corners bound it.
    double lo, hi;
    if (w.lo > 0) {
        lo = -kHalfPiHi;
        hi = kHalfPiHi;
    } else if (u.lo > 0 || (u.lo == 0 && w.hi < 0)) {
        // y >= 0 with x < 0 on y = 0: the value there is pi, continuously.
        lo = 0;
        hi = kPiHi;
    } else if (u.hi < 0) {
        lo = -kPiHi;
        hi = 0;
    } else {
        // The box meets the negative x axis from below or holds the origin:
        // atan2 jumps there (at the origin its value is 0).
        if (u.lo == 0)
            return Make(0, kPiHi, Definedness::Everywhere, false, u, w);
        return Make(-kPiHi, kPiHi, Definedness::Everywhere, false, u, w);
    }
    if (std::isfinite(u.lo) && std::isfinite(u.hi) && std::isfinite(w.lo) &&
        std::isfinite(w.hi)) {
        // +0.0 turns a -0 into +0: the real 0 sits on the upper side.
        const double ys[] = {u.lo + 0.0, u.hi + 0.0}, xs[] = {w.lo + 0.0, w.hi + 0.0};
        double clo = kInf, chi = -kInf;
        for (double y : ys)
            for (double x : xs) {
                const double v = std::atan2(y, x);
                // atan2(0, x) is exactly 0 for x > 0 (a special case of
                // the C library).
                const bool exact = y == 0 && x > 0 && v == 0;
                clo = std::min(clo, exact ? v : LibDown(Fn::Atan2, v));
                chi = std::max(chi, exact ? v : LibUp(Fn::Atan2, v));
            }
        lo = std::max(lo, clo);
        hi = std::min(hi, chi);
    }
    return Make(lo, hi, Definedness::Everywhere, true, u, w);
}

Interval Sinh(const Interval& u) {
    if (u.IsEmpty())
        return u;
    return Increasing(Fn::Sinh, ::Sinh, u, -kInf, kInf);
}

Interval Cosh(const Interval& u) {
    if (u.IsEmpty())
        return u;
    const double a = std::cosh(u.lo), b = std::cosh(u.hi);
    double lo = 1;
    if (u.lo > 0)
        lo = LibDown(Fn::Cosh, a);
    else if (u.hi < 0)
        lo = LibDown(Fn::Cosh, b);
    return Make(std::max(lo, 1.0), std::max(LibUp(Fn::Cosh, u.lo, a), LibUp(Fn::Cosh, u.hi, b)),
                Definedness::Everywhere, true, u);
}

Interval Tanh(const Interval& u) {
    if (u.IsEmpty())
        return u;
    return Increasing(Fn::Tanh, ::Tanh, u, -1, 1);
}

namespace {

// u with its enclosure cut to [lo, hi], its claims kept.
Interval Part(const Interval& u, double lo, double hi) {
    Interval r = u;
    r.lo = lo;
    r.hi = hi;
    return r;
}
Interval Discontinuous(Interval r) {
    r.continuous = false;
    return r;
}

// The integer-valued steps of floor or ceil over u, split in the middle.
bool StepPieces(const Interval& u, double (*step)(double), Interval& first, Interval& second) {
    if (u.IsEmpty() || !std::isfinite(u.lo) || !std::isfinite(u.hi))
        return false;
    const double kl = step(u.lo), kh = step(u.hi);
    if (!(kl < kh) || kh - kl > 0x1p52)
        return false;
    const double m = std::floor(kl + (kh - kl) / 2); // kl <= m < kh, all exact
    first = Discontinuous(Make(kl, m, Definedness::Everywhere, false, u));
    second = Discontinuous(Make(m + 1, kh, Definedness::Everywhere, false, u));
    return true;
}

// mod(u, w) = u - m*|w| with m = trunc(u/w) the same integer over a part
// of the box; over a box of dividends of one sign where m takes several
// values, the values of the first half of the m's and those of the
// second, each cut to the remainder's range.
bool ModPieces(const Interval& u, const Interval& w, Interval& first, Interval& second) {
    if (u.IsEmpty() || w.IsEmpty() || !(w.lo > 0 || w.hi < 0) || !(u.lo >= 0 || u.hi <= 0) ||
        !std::isfinite(u.lo) || !std::isfinite(u.hi))
        return false;
    const Interval m = w.lo > 0 ? w : Neg(w); // |w|
    const Interval q = Div(u, m);
    const bool positive = u.lo >= 0;
    const double kl = positive ? std::floor(q.lo) : std::ceil(q.lo);
    const double kh = positive ? std::floor(q.hi) : std::ceil(q.hi);
    if (!(kl < kh) || kh - kl > 0x1p52)
        return false;
    const double mid = std::floor(kl + (kh - kl) / 2);
    const double rlo = positive ? 0 : -m.hi, rhi = positive ? m.hi : 0;
    auto part = [&](double a, double b) {
        const Interval r = Sub(u, Mul(Interval::Range(a, b), m));
        return Discontinuous(Make(std::max(r.lo, rlo), std::min(r.hi, rhi),
                                  Definedness::Everywhere, false, u, w));
    };
    first = part(kl, mid);
    second = part(mid + 1, kh);
    return true;
}

} // namespace

bool Pieces(Operation operation, const Interval& u, const Interval& w, Interval& first,
            Interval& second) {
    switch (operation) {
    case Operation::Floor:
        return StepPieces(u, [](double v) { return std::floor(v); }, first, second);
    case Operation::Ceil:
        return StepPieces(u, [](double v) { return std::ceil(v); }, first, second);
    case Operation::Tan: {
        // One pole among the candidates and no other: tan increases from
        // tan(lo) to +inf before it and from -inf to tan(hi) after it (a
        // box wholly on one side lies in one of the two).
        double kl, kh;
        if (u.IsEmpty() || !QuarterTurns(u.lo, u.hi, kl, kh) || kh - kl > 2)
            return false;
        int poles = 0;
        for (double k = kl; k <= kh; ++k)
            poles += Quadrant(k) & 1;
        if (poles != 1)
            return false;
        first = Discontinuous(
            Make(LibDown(Fn::Tan, u.lo, ::Tan(u.lo)), kInf, Definedness::Possibly, false, u));
        second = Discontinuous(
            Make(-kInf, LibUp(Fn::Tan, u.hi, ::Tan(u.hi)), Definedness::Possibly, false, u));
        return true;
    }
    case Operation::Div:
        // A dividend away from 0 over a divisor on both sides of it: the
        // quotients of the negative divisors and those of the positive ones.
        if (u.IsEmpty() || w.IsEmpty() || !(w.lo < 0 && w.hi > 0) || (u.lo <= 0 && u.hi >= 0))
            return false;
        first = Discontinuous(Div(u, Part(w, w.lo, 0)));
        second = Discontinuous(Div(u, Part(w, 0, w.hi)));
        return true;
    case Operation::Mod:
        return ModPieces(u, w, first, second);
    default:
        return false;
    }
}

bool PowIntPieces(const Interval& u, int n, Interval& first, Interval& second) {
    if (n >= 0 || n % 2 == 0 || u.IsEmpty() || !(u.lo < 0 && u.hi > 0))
        return false;
    first = Discontinuous(WholePower(Part(u, u.lo, 0), n));
    second = Discontinuous(WholePower(Part(u, 0, u.hi), n));
    return true;
}

} // namespace interval
