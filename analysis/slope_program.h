// Exact slopes: an expression's linked program run over value-and-slope
// pairs (forward-mode differentiation). The value of every step is computed
// exactly as the accumulator interpreter computes it, so the value equals
// Expression::Evaluate's result to the last bit; the slope follows each
// operation's rule of differentiation in expr/operation_rules.h, which also
// says what the slope is where there is no derivative (from the right at a
// kink, 0 for floor and ceil, +inf for sqrt at 0, 0 for a part that does
// not depend on x).
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
        uint8_t code = 0; // the handler: the ProgramOp of the step
        int32_t exponent = 0;
        const double* a = nullptr;
        const double* b = nullptr;
        const double* da = nullptr;
        const double* db = nullptr;
        double* dst = nullptr;
        double* ddst = nullptr;
    };
    template <bool kMagnitude> Dual Run(double& magnitude) const;

    std::vector<Instr> code;
    std::vector<double> registers, slopes;
    double* variable = nullptr;
    bool usable = false;
};
