// Decorated intervals: what an expression does over a box of the plane.
//
// An Interval encloses every real value the expression takes at the points
// of the box where it is defined, computed over the real numbers with the
// language's domain rules: division by zero, sqrt of a negative number, log
// of zero or less, a negative base to a non-integer power, 0 to a negative
// power, mod by zero, tan at its poles and arcsin/arccos beyond [-1, 1] are
// undefined; floor, ceil, mod (with the sign of the dividend), abs and
// arctan2 (0 at the origin, pi on the negative x axis) are what the builtins
// compute, with their jumps.
//
// Every bound is rounded outward. +, -, *, / and sqrt are correctly rounded,
// so their bounds move one double outward unless an error-free
// transformation shows on which side of the rounded result the exact value
// lies; the math library's functions move by a bound on the library's
// error, measured against MPFR by the unit tests for each build.
//
// The decoration says where the expression is defined and whether it is
// continuous, in the three-valued form the decisions need: "everywhere",
// "nowhere" or "possibly" (at some points, or at all, unknown which), and
// "continuous" only as a claim about the whole box. A claim is made only
// when it is proven; "possibly" and "not continuous" are always safe.
#pragma once

#include <cstdint>
#include <limits>

#include "expr/operations.h"

enum class Definedness : uint8_t {
    Nowhere,    // at no point of the box
    Possibly,   // perhaps at some points; the enclosure covers those
    Everywhere, // at every point of the box
};

struct Interval {
    // The enclosure; -inf and +inf stand for "unbounded", never for a value.
    // A lower bound is never +inf and an upper bound never -inf, except in
    // the empty enclosure (lo = +inf, hi = -inf) of a value defined nowhere.
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    Definedness defined = Definedness::Possibly;
    // Defined at every point and continuous on the whole box (so that the
    // intermediate value theorem applies). Only ever true with Everywhere.
    bool continuous = false;

    // The value of a constant or of a variable held at one number: defined
    // and continuous. A NaN or an infinity is the result of a computation in
    // doubles that the real numbers may not share, so it gives "possibly
    // defined" with an unbounded enclosure instead.
    static Interval Point(double value);
    // A variable ranging over [lo, hi] (lo <= hi; -inf and +inf allowed as
    // unbounded ends): defined and continuous.
    static Interval Range(double lo, double hi);
    // Defined nowhere.
    static Interval Empty();

    bool IsEmpty() const { return defined == Definedness::Nowhere; }
    bool Contains(double v) const { return lo <= v && v <= hi; }
};

// The interval rules, one per operation of expr/operations.h; each takes
// the operands' decorated intervals and gives the result's.
namespace interval {

Interval Neg(const Interval& u);
Interval Add(const Interval& u, const Interval& w);
Interval Sub(const Interval& u, const Interval& w);
Interval Mul(const Interval& u, const Interval& w);
Interval Div(const Interval& u, const Interval& w);
Interval Pow(const Interval& u, const Interval& w);
// u^n for an integer n: the tight even-power enclosure, exact products
// rounded outward, overflow an unbounded end.
Interval PowInt(const Interval& u, int n);

Interval Abs(const Interval& u);
Interval Floor(const Interval& u);
Interval Ceil(const Interval& u);
Interval Mod(const Interval& u, const Interval& w);
Interval Sqrt(const Interval& u);
Interval Log(const Interval& u);
Interval Exp(const Interval& u);
Interval Sin(const Interval& u);
Interval Cos(const Interval& u);
Interval Tan(const Interval& u);
Interval ArcSin(const Interval& u);
Interval ArcCos(const Interval& u);
Interval ArcTan(const Interval& u);
Interval ArcTan2(const Interval& u, const Interval& w);
Interval Sinh(const Interval& u);
Interval Cosh(const Interval& u);
Interval Tanh(const Interval& u);

// Where an operation jumps or has a pole inside its operands' enclosures,
// its values there fall into two pieces with a gap between them that one
// enclosure must cover: floor and ceil over a step, tan over a pole, a
// division whose divisor's enclosure holds 0 inside, a negative odd power
// of a base whose enclosure does. Pieces gives two enclosures whose union
// holds every value the operation takes where it is defined, each
// decorated for the points whose value it holds (defined as claimed there,
// never continuous: those points need not form one piece of the box).
// False when the operation has no such split over these operands.
bool Pieces(Operation operation, const Interval& u, const Interval& w, Interval& first,
            Interval& second);
// The same for u^n with a constant integer n.
bool PowIntPieces(const Interval& u, int n, Interval& first, Interval& second);

// The library functions whose results are widened, and by how many doubles
// each bound moves outward in this build: the measured worst error of the
// library in steps between doubles, with a margin. The unit tests hold the
// library to these bounds against MPFR.
enum class LibraryFunction : uint8_t {
    Exp, Log, Sin, Cos, Tan, Asin, Acos, Atan, Atan2, Sinh, Cosh, Tanh, Pow, Count
};
int Widening(LibraryFunction function);

// Beyond this magnitude sin and cos enclose by [-1, 1] and tan by the whole
// line (possibly undefined), without calling the library. Up to it glibc's
// sin, cos and tan reduce the argument with their short method (used below
// 105414350) and the tests measure them over the whole range; far above,
// the long reduction has been seen 8 and 14 ULP off. There a double's
// spacing is 2^-26 already, and a box that wide is rarely narrower than a
// period anyway.
inline constexpr double kTrigLimit = 0x1p26;

} // namespace interval
