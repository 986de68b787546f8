// An expression's linked program run over decorated intervals: the
// enclosure of its values over a box of the variables, with where it is
// defined and whether it is continuous there (expr/interval.h). The
// handlers are generated from the operation list, each calling the
// operation's interval rule, as the other interpreters call its value and
// slope rules.
//
// The linker folds operations on constants in doubles; here each folded
// constant is computed again by the interval rules from the constants it
// came from, so that sqrt(2)^2 encloses 2 and 1/0 is undefined, as over
// the real numbers. A constant exponent that the linker took for an
// integer but that the real numbers do not make one goes to the general
// power rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "expr/interval.h"

class Expression;

class IntervalProgram {
public:
    // Prepares `expression`, compiled over a table in which `x` and `y` are
    // the values of the two variables that range over the box (either may
    // be null). Every other variable the expression reads is taken from the
    // table at each evaluation, as a single value. False when the expression
    // cannot run linked or its assignment is refused; Evaluate then gives
    // the interval that claims nothing (possibly defined, unbounded). The
    // expression must stay compiled as it is while this is used.
    bool Build(Expression& expression, const double* x, const double* y);

    bool Usable() const { return usable; }

    // The decorated interval of the expression over x in `x` and y in `y`.
    // No allocation.
    Interval Evaluate(const Interval& x, const Interval& y);

    // The same enclosure in pieces, where a step jumps or has a pole over
    // the box (see interval::Pieces): every value the expression takes
    // over the box lies in one of the pieces written to `pieces` (their
    // number is returned, at most kMaxPieces), each decorated for the
    // points whose value it holds. Each path through the program splits at
    // the first kMaxSplits steps that can split; no allocation.
    static constexpr int kMaxSplits = 3;
    static constexpr size_t kMaxPieces = size_t{1} << kMaxSplits;
    size_t EvaluatePieces(const Interval& x, const Interval& y, Interval* pieces);
    // Whether a step of the program can split at all.
    bool MaySplit() const { return maySplit; }

    // The number of steps of one evaluation (its cost).
    size_t Steps() const { return code.size(); }

private:
    struct Instr {
        uint8_t code = 0; // the handler: the ProgramOp of the step
        int32_t exponent = 0;
        const Interval* a = nullptr;
        const Interval* b = nullptr;
        Interval* dst = nullptr;
    };
    Interval Run() const;
    void SetVariables(const Interval& x, const Interval& y);
    void RunPieces(size_t pc, Interval acc, int splits, Interval* pieces, size_t& count);

    std::vector<Instr> code;
    std::vector<Interval> registers, constants;
    // x, y, then the table's other variables, refreshed from `others` on
    // each evaluation.
    std::vector<Interval> variables;
    std::vector<const double*> others;
    // The registers saved at each split, kMaxSplits sets.
    std::vector<Interval> saved;
    bool usable = false;
    bool maySplit = false;
};
