// The double-precision functions that mingw-w64 would import from msvcrt.dll
// (acos, asin, atan, cosh, log10, sinh, tan, tanh) or take from its own
// runtime (sin, cos, sincos), defined here so that the Windows programs
// never use those: msvcrt's last bits depend on the msvcrt.dll of the
// machine, and the runtime's sin and cos reduce the argument with only 66
// bits of pi. mingw-w64's own runtime (libmingwex) has the others only in
// extended precision; rounding its 64-bit-mantissa results once to double
// gives the correctly rounded value except within about 1/2000 ulp of a
// rounding boundary. sin, cos and tan come from expr/trig.h. Built for
// Windows only: elsewhere the C library's own functions serve.
//
// acosl and asinl lose accuracy near +-1, where 1 - x*x cancels; through
// atan2l with the factors 1 - x and 1 + x (exact in extended precision)
// they stay accurate over the whole domain.
//
// The compiler turns sin(x) and cos(x) of the same x into one call of
// sincos, so sincos must be here too.
#include <cmath>

#include "expr/extended_precision.h"
#include "expr/trig.h"

namespace {

double Acos(double x) {
    const long double a = x;
    return static_cast<double>(2 * atan2l(sqrtl(1 - a), sqrtl(1 + a)));
}
double Asin(double x) {
    const long double a = x;
    return static_cast<double>(atan2l(a, sqrtl((1 - a) * (1 + a))));
}
double Atan(double x) { return static_cast<double>(atanl(x)); }
double Cosh(double x) { return static_cast<double>(coshl(x)); }
double Log10(double x) { return static_cast<double>(log10l(x)); }
double Sinh(double x) { return static_cast<double>(sinhl(x)); }
double Tanh(double x) { return static_cast<double>(tanhl(x)); }

} // namespace

extern "C" {

double acos(double x) { return WithExtendedPrecision(x, Acos); }
double asin(double x) { return WithExtendedPrecision(x, Asin); }
double atan(double x) { return WithExtendedPrecision(x, Atan); }
double cosh(double x) { return WithExtendedPrecision(x, Cosh); }
double log10(double x) { return WithExtendedPrecision(x, Log10); }
double sinh(double x) { return WithExtendedPrecision(x, Sinh); }
double tanh(double x) { return WithExtendedPrecision(x, Tanh); }

double sin(double x) { return trig::Sin(x); }
double cos(double x) { return trig::Cos(x); }
double tan(double x) { return trig::Tan(x); }
void sincos(double x, double* sine, double* cosine) { trig::SinCos(x, *sine, *cosine); }

} // extern "C"
