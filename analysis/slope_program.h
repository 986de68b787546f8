// Exact slopes: an expression's linked program run over value-and-slope
// pairs (forward-mode differentiation). The value of every step is computed
// exactly as the accumulator interpreter computes it, so the value equals
// Expression::Evaluate's result to the last bit; the slope follows each
// operation's rule of differentiation.
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

#include <cstddef>
#include <cstdint>
#include <vector>

class Expression;

// A value and its derivative with respect to the bound variable.
struct Dual {
    double value = 0, slope = 0;
};

class SlopeProgram {
public:
    // Prepares the slopes of `expression` (compiled over a table in which
    // `variable` is the bound variable's value). False when the expression
    // cannot run linked or its assignment is refused; Evaluate then returns
    // NaN. The expression must stay compiled as it is while this is used.
    bool Build(Expression& expression, double* variable);

    bool Usable() const { return usable; }

    // Sets the variable to x and runs the program once; no allocation.
    Dual Evaluate(double x);
    // The same; `magnitude` receives the largest absolute value a step
    // computed, the scale of the rounding error in the value.
    Dual Evaluate(double x, double& magnitude);

    // The number of steps of one evaluation (its cost).
    size_t Steps() const { return code.size(); }

private:
    struct Instr {
        uint8_t code = 0; // the handler: Stop, Load, Spill, or a rule in an operand mode
        int32_t exponent = 0;
        const double* a = nullptr;
        const double* b = nullptr;
        const double* da = nullptr;
        const double* db = nullptr;
        double* dst = nullptr;
        double* ddst = nullptr;
        double (*f1)(double) = nullptr;
        double (*f2)(double, double) = nullptr;
    };
    template <bool kMagnitude> Dual Run(double& magnitude) const;

    std::vector<Instr> code;
    std::vector<double> registers, slopes;
    double* variable = nullptr;
    bool usable = false;
};
