// sin, cos and tan of a double with the argument reduced exactly: x is
// written as q*pi/2 + r with |r| <= pi/4, r correct to within 2^-63 of
// itself even where x lies next to a multiple of pi/2, and the result comes
// from polynomials in extended precision (64-bit significands) rounded once
// to double. Each result is within 0.5 + 2^-8 ULP of the exact value, that
// is correctly rounded except where the exact value lies within 2^-8 ULP of
// a rounding boundary.
//
// The Windows programs use these in place of the runtime's sin, cos and tan
// (expr/msvcrt_free_math.cpp), whose reduction uses only 66 bits of pi. On
// Linux the C library's functions serve; these are built there too, so that
// the native and sanitizer tests check them.
#pragma once

#include <cstdint>

namespace trig {

double Sin(double x);
double Cos(double x);
double Tan(double x);
// Both with one reduction.
void SinCos(double x, double& sine, double& cosine);

// The bits of 2/pi after the binary point, 64 to a word, most significant
// first: as many as the reduction of the largest double needs.
inline constexpr int kTwoOverPiWords = 19;
extern const uint64_t kTwoOverPiBits[kTwoOverPiWords];

} // namespace trig
