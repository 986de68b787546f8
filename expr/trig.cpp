// The reduction x = q*pi/2 + r and the kernels of expr/trig.h.
//
// Error budget, in units of 2^-64 relative to the value (one rounding of
// extended precision is at most 1/2 of that unit):
//   r            at most 1.1 below 2^21 (two roundings, and at most 2^-128
//                absolute from the split of pi/2), at most 0.51 beyond
//                (one rounding of a 128-bit value good to 2^-74);
//   sin(r)       at most 1 more: the rounding of the final sum r + r*z*P(z)
//                and the error of the tail, which is below 0.11 r;
//   cos(r)       at most 2.1 more: 1 - z/2 + ... loses a little to the
//                rounded square, but stays above 0.7;
//   tan          the quotient of both, at most 5.5 in all.
// So the extended result is within 2^-61.5 of the exact value, that is within
// 2^-8.5 ULP of a double, and rounding it to double adds at most 1/2 ULP.
// The closest any double comes to a multiple of pi/2 is 2^-60.9 (at
// 6381956970095103 * 2^797; below 2^21 it is 2^-60.5, at the double nearest
// 29 pi/2), so r is never small enough for the absolute errors of the
// reduction to matter.
#include "expr/trig.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "expr/extended_precision.h"

static_assert(LDBL_MANT_DIG == 64, "the reduction and the kernels count on 64-bit significands");

namespace trig {

// floor(2/pi * 2^(64 (j + 1))) mod 2^64 for word j (checked against MPFR by
// the unit tests).
const uint64_t kTwoOverPiBits[kTwoOverPiWords] = {
    0xa2f9836e4e441529u, 0xfc2757d1f534ddc0u, 0xdb6295993c439041u, 0xfe5163abdebbc561u,
    0xb7246e3a424dd2e0u, 0x06492eea09d1921cu, 0xfe1deb1cb129a73eu, 0xe88235f52ebb4484u,
    0xe99c7026b45f7e41u, 0x3991d639835339f4u, 0x9c845f8bbdf9283bu, 0x1ff897ffde05980fu,
    0xef2f118b5a0a6d1fu, 0x6d367ecf27cb09b7u, 0x4f463f669e5fea2du, 0x7527bac7ebe5f17bu,
    0x3d0739f78a5292eau, 0x6bfb5fb11f8d5d08u, 0x56033046fc7b6babu,
};

} // namespace trig

namespace {

using Extended = long double;
using u128 = unsigned __int128;

// pi/2 = kHalfPi1 + kHalfPi2 + kHalfPi3 to within 2^-155. The first two
// have 43 significant bits, so that their products with an integer below
// 2^21 are exact.
constexpr Extended kHalfPi1 = 0xc.90fdaa2216p-3L;
constexpr Extended kHalfPi2 = 0x8.c234c4c662p-47L;
constexpr Extended kHalfPi3 = 0x8.b80dc1cd129024ep-91L;
// 2/pi and pi/4 rounded to double (pi/4 downwards).
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
// Adding and subtracting 1.5 * 2^52 rounds a double below 2^51 to an
// integer.
constexpr double kRoundToInteger = 0x1.8p52;
// Below this, the quotient x * 2/pi rounds to an integer below 2^21.
constexpr double kCodyWaiteLimit = 0x1p21;
// pi/2 in 128-bit fixed point: floor(pi/2 * 2^127).
constexpr uint64_t kHalfPiFixedHi = 0xc90fdaa22168c234u, kHalfPiFixedLo = 0xc4c6628b80dc1cd1u;
// Below this |x| the results are x (sin, tan) and 1 (cos): x^2 / 2 is then
// below a quarter of an ULP.
constexpr double kTiny = 0x1p-27;

struct Reduced {
    Extended r;        // |r| <= pi/4, a hair more where x*2/pi rounds off
    unsigned quadrant; // x = (4n + quadrant) * pi/2 + r
};

// pi/4 < |x| < 2^21: k = round(x * 2/pi) and x - k*pi/2 with the three
// parts of pi/2 (Cody and Waite). k is computed in double, so it may be the
// neighbour of the nearest integer where x * 2/pi lies within 2^-31 of a
// half; |r| then exceeds pi/4 by at most 2^-30, which the kernels allow
// for. x - k*kHalfPi1 is exact: both terms are multiples of 2^-53 and the
// difference is below 1. k*kHalfPi2 is exact, so r takes two roundings and
// the error of k*kHalfPi3, below 2^-128.
[[gnu::always_inline]] inline Reduced CodyWaite(double x) {
    const double k = (x * kTwoOverPi + kRoundToInteger) - kRoundToInteger;
    const Extended n = k;
    const Extended r = ((x - n * kHalfPi1) - n * kHalfPi2) - n * kHalfPi3;
    return {r, static_cast<unsigned>(static_cast<int64_t>(k)) & 3u};
}

// |x| >= 2^21, finite (Payne and Hanek): with x = m * 2^e, m an integer of
// 53 bits, x * 2/pi modulo 8 needs only the bits of 2/pi from 2^(2-e) on;
// the earlier ones make multiples of 8. Four words from there, times m, give
// the integer part modulo 8 and the fraction to within 2^-137.
Reduced PayneHanek(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const bool negative = bits >> 63;
    const int e = static_cast<int>((bits >> 52) & 0x7ff) - 1075;
    const uint64_t m = (bits & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
    // Bit i of 2/pi has weight 2^-i; the words before `first` end at or
    // before bit e - 3, and `first` holds bit e - 2 where that exists.
    const int first = e >= 3 ? (e - 3) / 64 : 0;

    // s = m * (words first .. first + 3), five limbs, least significant
    // first; word first + i has weight 2^(64 (3 - i)).
    u128 product[4];
    for (int i = 0; i < 4; ++i)
        product[i] = u128(m) * trig::kTwoOverPiBits[first + i];
    uint64_t s[5];
    u128 carry = 0;
    for (int limb = 0; limb < 5; ++limb) {
        u128 sum = carry;
        if (limb <= 3)
            sum += static_cast<uint64_t>(product[3 - limb]);
        if (limb >= 1)
            sum += product[4 - limb] >> 64;
        s[limb] = static_cast<uint64_t>(sum);
        carry = sum >> 64;
    }

    // The binary point of x * 2/pi lies before bit `point` of s (190 to
    // 287). Shifted so that it lies before bit 317, the top three bits are
    // the integer part modulo 8.
    const int point = 64 * (first + 4) - e;
    const int shift = 317 - point;
    const int words = shift / 64, bitShift = shift % 64;
    uint64_t t[5];
    for (int i = 4; i >= 0; --i) {
        const uint64_t hi = i - words >= 0 ? s[i - words] : 0;
        const uint64_t lo = i - words - 1 >= 0 ? s[i - words - 1] : 0;
        t[i] = bitShift != 0 ? (hi << bitShift) | (lo >> (64 - bitShift)) : hi;
    }
    unsigned q = static_cast<unsigned>(t[4] >> 61);
    // The first 192 bits of the fraction.
    uint64_t f[3] = {(t[2] << 3) | (t[1] >> 61), (t[3] << 3) | (t[2] >> 61),
                     (t[4] << 3) | (t[3] >> 61)};
    // Rounded to the nearest integer: a fraction of 1/2 or more counts
    // from the next integer down, as 2^192 - f.
    bool below = false;
    if (f[2] >> 63) {
        ++q;
        below = true;
        u128 borrow = 1;
        for (uint64_t& limb : f) {
            const u128 v = u128(~limb) + borrow;
            limb = static_cast<uint64_t>(v);
            borrow = v >> 64;
        }
    }
    // Normalized: the top 128 bits after the leading zeros.
    int zeros = 0;
    while (f[2] == 0 && zeros < 192) {
        f[2] = f[1];
        f[1] = f[0];
        f[0] = 0;
        zeros += 64;
    }
    Extended r = 0;
    if (zeros < 192) {
        const int lead = __builtin_clzll(f[2]);
        if (lead != 0) {
            f[2] = (f[2] << lead) | (f[1] >> (64 - lead));
            f[1] = (f[1] << lead) | (f[0] >> (64 - lead));
        }
        zeros += lead;
        // r = |fraction| * pi/2 = (f * P) / 2^(255 + zeros), f the 128
        // normalized bits, P = kHalfPiFixed; the top 128 bits of f * P.
        const u128 hh = u128(f[2]) * kHalfPiFixedHi, hl = u128(f[2]) * kHalfPiFixedLo;
        const u128 lh = u128(f[1]) * kHalfPiFixedHi, ll = u128(f[1]) * kHalfPiFixedLo;
        const u128 middle = u128(static_cast<uint64_t>(hl)) + static_cast<uint64_t>(lh) + (ll >> 64);
        const u128 top = hh + (hl >> 64) + (lh >> 64) + (middle >> 64);
        // top / 2^(127 + zeros), rounded once; 2^-(63 + zeros) is a double.
        const uint64_t scaleBits = uint64_t(1023 - 63 - zeros) << 52;
        double scale;
        std::memcpy(&scale, &scaleBits, sizeof scale);
        r = (Extended(static_cast<uint64_t>(top >> 64)) +
             Extended(static_cast<uint64_t>(top)) * 0x1p-64L) *
            scale;
    }
    if (below)
        r = -r;
    if (negative) {
        r = -r;
        q = 0u - q;
    }
    return {r, q & 3u};
}

// |x| >= kTiny, finite.
[[gnu::always_inline]] inline Reduced Reduce(double x) {
    const double a = std::fabs(x);
    if (a <= kQuarterPi)
        return {x, 0};
    if (a < kCodyWaiteLimit)
        return CodyWaite(x);
    return PayneHanek(x);
}

// 1/n!, rounded once: n! is exact in extended precision up to n = 25.
constexpr Extended InverseFactorial(int n) {
    Extended f = 1;
    for (int i = 2; i <= n; ++i)
        f *= i;
    return 1 / f;
}

// The polynomials run as two chains in w = z^2, one for the even and one
// for the odd powers of z, which the processor computes side by side.

// sin r for |r| <= pi/4 (+ 2^-30): the Taylor series up to r^19. The first
// term left out, r^21/21!, is below 2^-72 of the value.
[[gnu::always_inline]] inline Extended SinKernel(Extended r) {
    constexpr Extended c3 = -InverseFactorial(3), c5 = InverseFactorial(5),
                       c7 = -InverseFactorial(7), c9 = InverseFactorial(9),
                       c11 = -InverseFactorial(11), c13 = InverseFactorial(13),
                       c15 = -InverseFactorial(15), c17 = InverseFactorial(17),
                       c19 = -InverseFactorial(19);
    const Extended z = r * r, w = z * z;
    const Extended even = c3 + w * (c7 + w * (c11 + w * (c15 + w * c19)));
    const Extended odd = c5 + w * (c9 + w * (c13 + w * c17));
    return r + r * z * (even + z * odd);
}

// cos r for |r| <= pi/4 (+ 2^-30): the Taylor series up to r^20. The first
// term left out, r^22/22!, is below 2^-77 of the value.
[[gnu::always_inline]] inline Extended CosKernel(Extended r) {
    constexpr Extended c2 = -InverseFactorial(2), c4 = InverseFactorial(4),
                       c6 = -InverseFactorial(6), c8 = InverseFactorial(8),
                       c10 = -InverseFactorial(10), c12 = InverseFactorial(12),
                       c14 = -InverseFactorial(14), c16 = InverseFactorial(16),
                       c18 = -InverseFactorial(18), c20 = InverseFactorial(20);
    const Extended z = r * r, w = z * z;
    const Extended even = c2 + w * (c6 + w * (c10 + w * (c14 + w * c18)));
    const Extended odd = c4 + w * (c8 + w * (c12 + w * (c16 + w * c20)));
    return 1 + z * (even + z * odd);
}

struct SineCosine {
    double sine, cosine;
};

double SinOf(double x) {
    const Reduced red = Reduce(x);
    switch (red.quadrant) {
    case 0: return static_cast<double>(SinKernel(red.r));
    case 1: return static_cast<double>(CosKernel(red.r));
    case 2: return static_cast<double>(-SinKernel(red.r));
    default: return static_cast<double>(-CosKernel(red.r));
    }
}

double CosOf(double x) {
    const Reduced red = Reduce(x);
    switch (red.quadrant) {
    case 0: return static_cast<double>(CosKernel(red.r));
    case 1: return static_cast<double>(-SinKernel(red.r));
    case 2: return static_cast<double>(-CosKernel(red.r));
    default: return static_cast<double>(SinKernel(red.r));
    }
}

// tan r or -cot r, by quadrant; r is never 0 here (no double but 0 is a
// multiple of pi/2), so -cot r is finite.
double TanOf(double x) {
    const Reduced red = Reduce(x);
    const Extended s = SinKernel(red.r), c = CosKernel(red.r);
    return static_cast<double>(red.quadrant & 1 ? -c / s : s / c);
}

SineCosine SinCosOf(double x) {
    const Reduced red = Reduce(x);
    const Extended s = SinKernel(red.r), c = CosKernel(red.r);
    switch (red.quadrant) {
    case 0: return {static_cast<double>(s), static_cast<double>(c)};
    case 1: return {static_cast<double>(c), static_cast<double>(-s)};
    case 2: return {static_cast<double>(-s), static_cast<double>(-c)};
    default: return {static_cast<double>(-c), static_cast<double>(s)};
    }
}

// Tiny arguments need no reduction (sin and tan are x there, cos is 1), and
// infinities give NaN (x - x), as NaN does.
bool Reducible(double x) {
    const double a = std::fabs(x);
    return a >= kTiny && a < HUGE_VAL;
}

double Unreduced(double x, double tiny) { return std::isfinite(x) ? tiny : x - x; }

} // namespace

namespace trig {

double Sin(double x) { return Reducible(x) ? WithExtendedPrecision(x, SinOf) : Unreduced(x, x); }

double Cos(double x) { return Reducible(x) ? WithExtendedPrecision(x, CosOf) : Unreduced(x, 1.0); }

double Tan(double x) { return Reducible(x) ? WithExtendedPrecision(x, TanOf) : Unreduced(x, x); }

void SinCos(double x, double& sine, double& cosine) {
    if (!Reducible(x)) {
        sine = Unreduced(x, x);
        cosine = Unreduced(x, 1.0);
        return;
    }
    const SineCosine both = WithExtendedPrecision(x, SinCosOf);
    sine = both.sine;
    cosine = both.cosine;
}

} // namespace trig
