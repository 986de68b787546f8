// The double-precision functions that mingw-w64 would import from msvcrt.dll
// (acos, asin, atan, cosh, log10, sinh, tan, tanh), defined here so that the
// Windows programs never use msvcrt's: their last bits depend on the
// msvcrt.dll of the machine. mingw-w64's own runtime (libmingwex) has these
// only in extended precision; rounding its 64-bit-mantissa results once to
// double gives the correctly rounded value except within about 1/2000 ulp of
// a rounding boundary. Built for Windows only: elsewhere the C library's own
// functions serve.
//
// acosl and asinl lose accuracy near +-1, where 1 - x*x cancels; through
// atan2l with the factors 1 - x and 1 + x (exact in extended precision)
// they stay accurate over the whole domain.
#include <cmath>

extern "C" {

double acos(double x) {
    const long double a = x;
    return static_cast<double>(2 * atan2l(sqrtl(1 - a), sqrtl(1 + a)));
}
double asin(double x) {
    const long double a = x;
    return static_cast<double>(atan2l(a, sqrtl((1 - a) * (1 + a))));
}
double atan(double x) {
    return static_cast<double>(atanl(x));
}
double cosh(double x) {
    return static_cast<double>(coshl(x));
}
double log10(double x) {
    return static_cast<double>(log10l(x));
}
double sinh(double x) {
    return static_cast<double>(sinhl(x));
}
double tan(double x) {
    return static_cast<double>(tanl(x));
}
double tanh(double x) {
    return static_cast<double>(tanhl(x));
}

} // extern "C"
