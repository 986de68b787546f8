// x^n for a constant integer n: exactly the bits of std::pow(x, n), computed
// without calling pow wherever the math library this build links allows it.
//
// How pow treats an integer exponent depends on the library, so each build
// uses the method that matches its own:
//
//   SquareMultiply  mingw-w64's pow computes an integer power by square and
//                   multiply, right to left over the bits of n, on |x| (on
//                   1/|x| for a negative n) and sets the sign last. The same
//                   products in the same order give its bits.
//   NearestDouble   glibc's pow errs by at most 0.511 + |n log x| * 1.5 * 2^-15
//                   ULP (its own error analysis; 0.54 ULP over the whole
//                   range), which is below 0.52 ULP while |x^n| lies in
//                   [2^-256, 2^256]. There, when the exact x^n lies within
//                   15/32 ULP of a double, every other double is more than
//                   17/32 ULP away, so pow returns that double. x^n is
//                   computed closely enough to tell (an unevaluated sum of
//                   two doubles, within 2^-40 ULP, products split without
//                   FMA); the rest, about one value in sixteen, goes to pow.
//   CallPow         any other library: pow itself.
//
// The unit tests compare IntegerPower with std::pow in every lane, over
// random, special and halfway-constructed inputs, so a library that behaves
// otherwise fails a test instead of changing a graph's pixels.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

enum class PowerMethod { CallPow, SquareMultiply, NearestDouble };

// mingw-w64 on the older msvcrt runtime brings its own pow; on the UCRT
// runtime pow is Microsoft's, whose ways this file does not know.
#if defined(__MINGW32__) && !defined(_UCRT)
inline constexpr PowerMethod kPowerMethod = PowerMethod::SquareMultiply;
#elif defined(__GLIBC__)
inline constexpr PowerMethod kPowerMethod = PowerMethod::NearestDouble;
#else
inline constexpr PowerMethod kPowerMethod = PowerMethod::CallPow;
#endif

// The exponents that have a path of their own: 2 to kMaxPowerExponent, and
// -kMaxPowerExponent to -1 with square and multiply.
inline constexpr int kMaxPowerExponent = 16;

// True, with n set, when `exponent` is one of this build's exponents.
bool IsPowerExponent(double exponent, int& n);

namespace power_detail {

// hi keeps the upper 26 significant bits of a, lo = a - hi (exact) the
// other 27, so that hi*hi and hi*lo are exact products; lo*lo errs by less
// than 2^-104 of a*a.
inline void Split(double a, double& hi, double& lo) {
    uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    bits &= ~uint64_t(0) << 27;
    std::memcpy(&hi, &bits, sizeof hi);
    lo = a - hi;
}

// (h + l) = (h + l)^2: the square of h as a rounded product and its error
// (Dekker's product), plus the rounded cross term.
inline void Square(double& h, double& l) {
    double hh, hl;
    Split(h, hh, hl);
    const double p = h * h;
    double e = ((hh * hh - p) + 2.0 * hh * hl) + hl * hl;
    e += 2.0 * h * l;
    const double s = p + e;
    l = e - (s - p);
    h = s;
}

// (h + l) = (h + l) * x, where xh + xl is the split of x.
inline void Multiply(double& h, double& l, double x, double xh, double xl) {
    double hh, hl;
    Split(h, hh, hl);
    const double p = h * x;
    double e = (((hh * xh - p) + hh * xl) + hl * xh) + hl * xl;
    e += l * x;
    const double s = p + e;
    l = e - (s - p);
    h = s;
}

// The test of the NearestDouble method: r is the double nearest to x^n and
// d = x^n - r (both as computed). Branch-free so that loops vectorize.
inline bool SurelyPowsValue(double r, double d) {
    uint64_t bits;
    std::memcpy(&bits, &r, sizeof bits);
    bits &= 0x7FF0000000000000u;
    double binade; // 2^e for r in [2^e, 2^(e+1)); infinity for NaN and infinities
    std::memcpy(&binade, &bits, sizeof binade);
    const double ulp = binade * 0x1p-52;
    // Not a power of two (the ULP below would be half as large), inside the
    // range where pow's error is below 0.52 ULP, and 15/32 ULP from r.
    return (std::fabs(r) > binade) & (binade >= 0x1p-256) & (binade < 0x1p256) &
           (std::fabs(d) <= ulp * (15.0 / 32.0));
}

// The rest of the square of x beyond x*x, to within 2^-51 ULP of x*x.
inline double SquareRest(double xh, double xl, double square) {
    return ((xh * xh - square) + 2.0 * xh * xl) + xl * xl;
}

// x^n (n >= 2) as h + l, left to right over the bits of n: every step adds
// a relative error below 2^-102, so h + l is within 2^-95 of x^n relative
// to it for n <= 16.
inline void Unevaluated(double x, int n, double& h, double& l) {
    double xh, xl;
    Split(x, xh, xl);
    h = x * x;
    l = SquareRest(xh, xl, h);
    int bit = 30 - __builtin_clz(static_cast<unsigned>(n));
    if ((n >> bit) & 1)
        Multiply(h, l, x, xh, xl);
    for (--bit; bit >= 0; --bit) {
        Square(h, l);
        if ((n >> bit) & 1)
            Multiply(h, l, x, xh, xl);
    }
}

} // namespace power_detail

// mingw-w64's integer power: square and multiply on x (on 1/x for n < 0).
// Rounding is symmetric, so this is its result on |x| with the sign set last.
inline double SquareMultiply(double x, int n) {
    double d = n < 0 ? 1.0 / x : x;
    unsigned k = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    double r = (k & 1) ? d : 1.0;
    for (k >>= 1; k != 0; k >>= 1) {
        d *= d;
        if (k & 1)
            r *= d;
    }
    return r;
}

// The NearestDouble method for 2 <= n <= kMaxPowerExponent: true, with
// `value` the double nearest to x^n, when that is surely what glibc's pow
// returns; false when pow must decide (also for zeros, infinities, NaN and
// results outside [2^-256, 2^256]).
inline bool NearestPower(double x, int n, double& value) {
    using namespace power_detail;
    if (n == 2) {
        // x*x is the nearest double; the split gives the rest.
        double xh, xl;
        Split(x, xh, xl);
        value = x * x;
        return SurelyPowsValue(value, SquareRest(xh, xl, value));
    }
    double h, l;
    Unevaluated(x, n, h, l);
    value = h + l;
    return SurelyPowsValue(value, l - (value - h));
}

// std::pow(x, y) itself. Out of line on purpose: a compiler that sees
// pow(x, 2.0) may make it x*x, which is not always what the library returns.
double CallPow(double x, double y);

// std::pow(x, n) to the last bit, for n accepted by IsPowerExponent.
inline double IntegerPower(double x, int n) {
    if constexpr (kPowerMethod == PowerMethod::SquareMultiply) {
        return SquareMultiply(x, n);
    } else if constexpr (kPowerMethod == PowerMethod::NearestDouble) {
        // One value at a time, the exact power is as slow as pow beyond
        // x^4; in blocks (IntegerPowers) it pays up to n = 16. The constant
        // exponents let the compiler unroll the bits of n.
        double value;
        bool sure = false;
        switch (n) {
        case 2: sure = NearestPower(x, 2, value); break;
        case 3: sure = NearestPower(x, 3, value); break;
        case 4: sure = NearestPower(x, 4, value); break;
        default: break;
        }
        return sure ? value : CallPow(x, n);
    } else {
        return CallPow(x, n);
    }
}

// out[i] = IntegerPower(x[i], n) for i < count; out may be x.
void IntegerPowers(const double* x, double* out, size_t count, int n);
