// Compiled by ctest, never run: a builtin in the list whose struct lacks its
// slope rule (NO_SLOPE) or its interval rule (NO_INTERVAL) must not compile,
// and the compiler must say which builtin it is; with both rules the same
// file compiles.
#include "expr/interval.h"
#include "expr/operations.h"

namespace ops {
struct Twice {
    static constexpr char kName[] = "twice";
    static double Value(double u) { return 2 * u; }
#ifndef NO_SLOPE
    static double Slope(double, double du, double) { return 2 * du; }
#endif
#ifndef NO_INTERVAL
    static Interval Enclose(const Interval& u) { return interval::Add(u, u); }
#endif
};
} // namespace ops

// A list with that builtin in it, checked as the real list is.
#undef ORVANTA_BUILTINS
#define ORVANTA_BUILTINS(UNARY, BINARY, CONSTANT) UNARY(Abs) UNARY(Twice) BINARY(Mod) CONSTANT(Pi)
#include "expr/operation_rules.h"
