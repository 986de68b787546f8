#include "expr/integer_power.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

bool IsPowerExponent(double exponent, int& n) {
    if (kPowerMethod == PowerMethod::CallPow || !(std::fabs(exponent) <= kMaxPowerExponent) ||
        exponent != std::trunc(exponent))
        return false;
    const int k = static_cast<int>(exponent);
    if (k == 0 || k == 1 || (k < 0 && kPowerMethod != PowerMethod::SquareMultiply))
        return false;
    n = k;
    return true;
}

double CallPow(double x, double y) { return std::pow(x, y); }

namespace {

// The loops below see n as a constant, so that the compiler unrolls the
// bits of n and vectorizes over the values. pow, though, gets the exponent
// as a run-time value `y`: a compiler that sees pow(x, 2.0) may make it x*x,
// which is not what the library's pow returns.
template <int N>
void SquareMultiplyPowers(const double* x, double* out, size_t count, double) {
    for (size_t i = 0; i < count; ++i)
        out[i] = SquareMultiply(x[i], N);
}

// First the nearest doubles of a chunk, with NaN where pow must decide
// (NearestPower never accepts a NaN), then pow for those.
template <int N>
void NearestDoublePowers(const double* x, double* out, size_t count, double y) {
    constexpr size_t kChunk = 64;
    double value[kChunk];
    for (size_t start = 0; start < count; start += kChunk) {
        const size_t m = std::min(kChunk, count - start);
        const double* in = x + start;
        for (size_t i = 0; i < m; ++i) {
            double v;
            const bool sure = NearestPower(in[i], N, v);
            value[i] = sure ? v : std::numeric_limits<double>::quiet_NaN();
        }
        for (size_t i = 0; i < m; ++i)
            out[start + i] = value[i] == value[i] ? value[i] : std::pow(in[i], y);
    }
}

template <int N>
void PowPowers(const double* x, double* out, size_t count, double y) {
    for (size_t i = 0; i < count; ++i)
        out[i] = std::pow(x[i], y);
}

using Kernel = void (*)(const double*, double*, size_t, double);

// Exponent n has its loop at index n + kMaxPowerExponent.
template <int N>
constexpr Kernel KernelFor() {
    if constexpr (N == 0 || N == 1)
        return nullptr;
    else if constexpr (kPowerMethod == PowerMethod::SquareMultiply)
        return &SquareMultiplyPowers<N>;
    else if constexpr (kPowerMethod == PowerMethod::NearestDouble && N > 0)
        return &NearestDoublePowers<N>;
    else
        return &PowPowers<N>;
}

template <int... I>
constexpr std::array<Kernel, sizeof...(I)> Kernels(std::integer_sequence<int, I...>) {
    return {KernelFor<I - kMaxPowerExponent>()...};
}

constexpr auto kKernels = Kernels(std::make_integer_sequence<int, 2 * kMaxPowerExponent + 1>());

} // namespace

void IntegerPowers(const double* x, double* out, size_t count, int n) {
    if (n >= -kMaxPowerExponent && n <= kMaxPowerExponent && kKernels[n + kMaxPowerExponent]) {
        kKernels[n + kMaxPowerExponent](x, out, count, n);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        out[i] = std::pow(x[i], n);
}
