// What each operation of expr/operations.h computes: one struct per
// operation with its value, its slope rule and its interval rule (the
// decorated enclosure of expr/interval.h), and for a builtin its name.
// The interpreters call these directly, so the value a slope evaluation
// computes is the accumulator interpreter's to the last bit.
//
// A slope rule gives the derivative with respect to the bound variable of
// the value v just computed from the operands u (and w) whose derivatives
// are du (and dw): the chain rule of forward differentiation.
//
// Conventions where a rule meets a point without a derivative:
//   - the slope is the derivative from the right where one exists: abs(u)
//     at u = 0 has slope |u'|, a kink of the curve takes the slope of its
//     right-hand side, mod(x, y) on a jump takes the slope after it;
//   - floor and ceil have slope 0 everywhere, their jumps included;
//   - sqrt(u) at u = 0 has slope +inf (times the sign of u');
//   - a slope that is exactly 0 stays 0 whatever factor the chain rule
//     puts on it, and a product with a factor that is a constant 0 is
//     flat, so that a part that does not depend on x contributes nothing
//     even where the other factor's slope is infinite or undefined.
#pragma once

#include <cmath>
#include <concepts>
#include <limits>

#include "expr/integer_power.h"
#include "expr/interval.h"
#include "expr/operations.h"

namespace ops {

namespace slope {

// d * f, where a derivative d that is exactly 0 gives 0 whatever f is.
// Only a NaN product (0 * inf) needs the test, so it is taken on that path.
inline double Times(double d, double f) {
    const double p = d * f;
    return p == p || d != 0 ? p : 0.0;
}

// The slope of tanh, 1/cosh^2, written as 4e/(1+e)^2 with e = exp(-2|u|):
// no cancellation (1 - tanh^2 loses everything for |u| > 19) and no overflow.
inline double Tanh(double u) {
    const double e = std::exp(-2.0 * std::fabs(u));
    const double s = 1.0 + e;
    return 4.0 * e / (s * s);
}

// d/(1+u^2) without overflowing u^2.
inline double Atan(double d, double u) {
    if (std::fabs(u) > 0x1p500)
        return Times(d, 1.0 / u) / u;
    return d == 0 ? 0.0 : d / (1.0 + u * u);
}

// d/sqrt(1-u^2) as d/sqrt((1-u)(1+u)): 1-u is exact near 1, so the slope
// keeps its accuracy at the ends of the domain.
inline double Asin(double d, double u) {
    return d == 0 ? 0.0 : d / std::sqrt((1.0 - u) * (1.0 + u));
}

// The partial derivative of x^y by x, y * x^(y-1), from the value v = x^y
// where v/x keeps its accuracy, else from pow itself.
inline double PowByBase(double x, double y, double v) {
    if (x != 0 && std::isfinite(v) && std::fabs(v) >= std::numeric_limits<double>::min())
        return v / x * y;
    return y * std::pow(x, y - 1.0);
}

// atan2(a, b) changes by (b da - a db) / (a^2 + b^2); both scaled by the
// larger magnitude so that the squares neither overflow nor underflow.
inline double Atan2(double a, double b, double da, double db) {
    if (da == 0 && db == 0)
        return 0.0;
    const double s = std::fmax(std::fabs(a), std::fabs(b));
    const double an = a / s, bn = b / s;
    return (Times(da, bn) - Times(db, an)) / s / (an * an + bn * bn);
}

} // namespace slope

// The operators.

struct Neg {
    static double Value(double u) { return -u; }
    static Interval Enclose(const Interval& u) { return interval::Neg(u); }
    static double Slope(double, double du, double) { return -du; }
};

struct Add {
    static double Value(double u, double w) { return u + w; }
    static Interval Enclose(const Interval& u, const Interval& w) {
        return interval::Add(u, w);
    }
    static double Slope(double, double du, double, double dw, double) { return du + dw; }
};

struct Sub {
    static double Value(double u, double w) { return u - w; }
    static Interval Enclose(const Interval& u, const Interval& w) {
        return interval::Sub(u, w);
    }
    static double Slope(double, double du, double, double dw, double) { return du - dw; }
};

struct Mul {
    static double Value(double u, double w) { return u * w; }
    static Interval Enclose(const Interval& u, const Interval& w) {
        return interval::Mul(u, w);
    }
    // A factor that is a constant 0 makes the product flat.
    static double Slope(double u, double du, double w, double dw, double) {
        const double d = du * w + dw * u;
        if (d == d) // NaN only where a factor is not finite
            return d;
        return (w == 0 && dw == 0 ? 0.0 : slope::Times(du, w)) +
               (u == 0 && du == 0 ? 0.0 : slope::Times(dw, u));
    }
};

struct Div {
    static double Value(double u, double w) { return u / w; }
    static Interval Enclose(const Interval& u, const Interval& w) {
        return interval::Div(u, w);
    }
    static double Slope(double, double du, double w, double dw, double v) {
        return du == 0 && dw == 0 ? 0.0 : (du - slope::Times(dw, v)) / w;
    }
};

struct Pow {
    static double Value(double u, double w) { return std::pow(u, w); }
    static Interval Enclose(const Interval& u, const Interval& w) {
        return interval::Pow(u, w);
    }
    static double Slope(double u, double du, double w, double dw, double v) {
        return (du == 0 ? 0.0 : du * slope::PowByBase(u, w, v)) +
               (dw == 0 || v == 0 ? 0.0 : dw * v * std::log(u));
    }
};

// u^n for a constant integer n, which the linker takes from a "^" with such
// an exponent: pow's bits, by integer_power.h.
struct PowInt {
    static double Value(double u, int n) { return IntegerPower(u, n); }
    static Interval Enclose(const Interval& u, int n) { return interval::PowInt(u, n); }
    static double Slope(double u, double du, double, int n) {
        return slope::Times(du, n * SquareMultiply(u, n - 1));
    }
};

// The builtins.

struct Abs {
    static constexpr char kName[] = "abs";
    static double Value(double u) { return std::fabs(u); }
    static Interval Enclose(const Interval& u) { return interval::Abs(u); }
    static double Slope(double u, double du, double) {
        return u > 0 ? du : u < 0 ? -du : std::fabs(du);
    }
};

struct Floor {
    static constexpr char kName[] = "floor";
    static double Value(double u) { return std::floor(u); }
    static Interval Enclose(const Interval& u) { return interval::Floor(u); }
    static double Slope(double, double, double) { return 0.0; }
};

struct Ceil {
    static constexpr char kName[] = "ceil";
    static double Value(double u) { return std::ceil(u); }
    static Interval Enclose(const Interval& u) { return interval::Ceil(u); }
    static double Slope(double, double, double) { return 0.0; }
};

struct Mod {
    static constexpr char kName[] = "mod";
    static double Value(double u, double w) { return std::fmod(u, w); }
    static Interval Enclose(const Interval& u, const Interval& w) {
        return interval::Mod(u, w);
    }
    static double Slope(double u, double du, double w, double dw, double) {
        return du - slope::Times(dw, std::trunc(u / w));
    }
};

struct Sqrt {
    static constexpr char kName[] = "sqrt";
    static double Value(double u) { return std::sqrt(u); }
    static Interval Enclose(const Interval& u) { return interval::Sqrt(u); }
    static double Slope(double, double du, double v) {
        return slope::Times(du, v == 0 ? std::numeric_limits<double>::infinity() : 0.5 / v);
    }
};

struct Log {
    static constexpr char kName[] = "log";
    static double Value(double u) { return std::log(u); }
    static Interval Enclose(const Interval& u) { return interval::Log(u); }
    static double Slope(double u, double du, double) { return du == 0 ? 0.0 : du / u; }
};

struct Exp {
    static constexpr char kName[] = "exp";
    static double Value(double u) { return std::exp(u); }
    static Interval Enclose(const Interval& u) { return interval::Exp(u); }
    static double Slope(double, double du, double v) { return slope::Times(du, v); }
};

struct Sin {
    static constexpr char kName[] = "sin";
    static double Value(double u) { return std::sin(u); }
    static Interval Enclose(const Interval& u) { return interval::Sin(u); }
    static double Slope(double u, double du, double) { return slope::Times(du, std::cos(u)); }
};

struct Cos {
    static constexpr char kName[] = "cos";
    static double Value(double u) { return std::cos(u); }
    static Interval Enclose(const Interval& u) { return interval::Cos(u); }
    static double Slope(double u, double du, double) { return slope::Times(du, -std::sin(u)); }
};

struct Tan {
    static constexpr char kName[] = "tan";
    static double Value(double u) { return std::tan(u); }
    static Interval Enclose(const Interval& u) { return interval::Tan(u); }
    static double Slope(double, double du, double v) { return slope::Times(du, 1.0 + v * v); }
};

struct ArcSin {
    static constexpr char kName[] = "arcsin";
    static double Value(double u) { return std::asin(u); }
    static Interval Enclose(const Interval& u) { return interval::ArcSin(u); }
    static double Slope(double u, double du, double) { return slope::Asin(du, u); }
};

struct ArcCos {
    static constexpr char kName[] = "arccos";
    static double Value(double u) { return std::acos(u); }
    static Interval Enclose(const Interval& u) { return interval::ArcCos(u); }
    static double Slope(double u, double du, double) { return -slope::Asin(du, u); }
};

struct ArcTan {
    static constexpr char kName[] = "arctan";
    static double Value(double u) { return std::atan(u); }
    static Interval Enclose(const Interval& u) { return interval::ArcTan(u); }
    static double Slope(double u, double du, double) { return slope::Atan(du, u); }
};

struct ArcTan2 {
    static constexpr char kName[] = "arctan2";
    static double Value(double u, double w) { return std::atan2(u, w); }
    static Interval Enclose(const Interval& u, const Interval& w) {
        return interval::ArcTan2(u, w);
    }
    static double Slope(double u, double du, double w, double dw, double) {
        return slope::Atan2(u, w, du, dw);
    }
};

struct Sinh {
    static constexpr char kName[] = "sinh";
    static double Value(double u) { return std::sinh(u); }
    static Interval Enclose(const Interval& u) { return interval::Sinh(u); }
    static double Slope(double u, double du, double) { return slope::Times(du, std::cosh(u)); }
};

struct Cosh {
    static constexpr char kName[] = "cosh";
    static double Value(double u) { return std::cosh(u); }
    static Interval Enclose(const Interval& u) { return interval::Cosh(u); }
    static double Slope(double u, double du, double) { return slope::Times(du, std::sinh(u)); }
};

struct Tanh {
    static constexpr char kName[] = "tanh";
    static double Value(double u) { return std::tanh(u); }
    static Interval Enclose(const Interval& u) { return interval::Tanh(u); }
    static double Slope(double u, double du, double) { return slope::Times(du, slope::Tanh(u)); }
};

// A constant is a number to the linker, so its slope is 0.
struct Pi {
    static constexpr char kName[] = "pi";
    static constexpr double kValue = 3.141592653589793;
};

// What every interpreter needs of an operation. A rule that a new
// interpreter needs goes in here too, so that an operation without it
// fails below, under its own name.
template <class T>
concept UnaryRules = requires(double x, const Interval& i) {
    { T::Value(x) } -> std::same_as<double>;
    { T::Slope(x, x, x) } -> std::same_as<double>;
    { T::Enclose(i) } -> std::same_as<Interval>;
};
template <class T>
concept BinaryRules = requires(double x, const Interval& i) {
    { T::Value(x, x) } -> std::same_as<double>;
    { T::Slope(x, x, x, x, x) } -> std::same_as<double>;
    { T::Enclose(i, i) } -> std::same_as<Interval>;
};
template <class T>
concept Named = requires {
    { T::kName[0] } -> std::convertible_to<char>;
};
template <class T>
concept ConstantValue = requires {
    { T::kValue } -> std::convertible_to<double>;
};

#define ORVANTA_CHECK_UNARY(name)                                                                 \
    static_assert(UnaryRules<name>,                                                               \
                  #name " needs a value, a slope and an interval rule of one operand");
#define ORVANTA_CHECK_BINARY(name)                                                                \
    static_assert(BinaryRules<name>,                                                              \
                  #name " needs a value, a slope and an interval rule of two operands");
#define ORVANTA_CHECK_NAMED(name) static_assert(Named<name>, "the builtin " #name " needs a name");
#define ORVANTA_CHECK_CONSTANT(name)                                                              \
    static_assert(Named<name> && ConstantValue<name>, "the builtin " #name " needs a name and a value");
ORVANTA_UNARY_OPERATIONS(ORVANTA_CHECK_UNARY)
ORVANTA_BINARY_OPERATIONS(ORVANTA_CHECK_BINARY)
ORVANTA_BUILTINS(ORVANTA_CHECK_NAMED, ORVANTA_CHECK_NAMED, ORVANTA_CHECK_CONSTANT)
#undef ORVANTA_CHECK_UNARY
#undef ORVANTA_CHECK_BINARY
#undef ORVANTA_CHECK_NAMED
#undef ORVANTA_CHECK_CONSTANT

} // namespace ops
