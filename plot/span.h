// Positions inside a range of two finite ends whose span high - low may be
// too large for a double (-1e308 .. 1e308), or whose span times a pixel
// count is. Wherever the plain expression stays finite, these give its bits.
#pragma once

#include <cmath>

// (high - low) * k / n, rounded as these three operations round but as if
// the exponent had no bound: where the plain product overflows, both ends
// are scaled down by 2^64 first and the result scaled back up, so it is
// finite whenever the true value is. Scaling by a power of two is exact for
// an end that large (an end too small to scale exactly lies far below the
// span's last bit). For finite low and high, |k| < 2^63 and n > 0; identical
// to the plain expression whenever (high - low) * k is finite.
inline double SpanFraction(double low, double high, double k, double n) {
    const double scaled = (high - low) * k;
    if (std::isfinite(scaled))
        return scaled / n;
    constexpr double kDown = 0x1p-64, kUp = 0x1p64;
    return (high * kDown - low * kDown) * k / n * kUp;
}

// (a + b) * 0.5 for finite a and b, without overflow where the sum would
// overflow; identical to the plain expression wherever the sum is finite.
inline double HalfwayPoint(double a, double b) {
    const double sum = a + b;
    return std::isfinite(sum) ? sum * 0.5 : a * 0.5 + b * 0.5;
}
