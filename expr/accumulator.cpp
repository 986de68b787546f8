// The accumulator interpreter: runs the linked program once per Evaluate.
#include <cmath>
#include <new>

#include "expr/expression.h"
#include "expr/operation_rules.h"
#include "expr/program.h"

using Op = ProgramOp;

// What each instruction does after Stop: the instructions of their own,
// then the value of every operation in all its modes, expanded from the
// instruction list.
#define UNARY_ACTIONS(name)                                                                      \
    ACTION(name##A, acc = ops::name::Value(acc))                                                 \
    ACTION(name##M, acc = ops::name::Value(*ip->a))
#define BINARY_ACTIONS(name)                                                                     \
    ACTION(name##M, acc = ops::name::Value(acc, *ip->b))                                         \
    ACTION(name##R, acc = ops::name::Value(*ip->a, acc))                                         \
    ACTION(name##MM, acc = ops::name::Value(*ip->a, *ip->b))
#define ALL_ACTIONS                                                                              \
    ACTION(Load, acc = *ip->a)                                                                   \
    ACTION(Spill, *ip->dst = acc)                                                                \
    ACTION(PowIntA, acc = ops::PowInt::Value(acc, ip->exponent))                                 \
    ACTION(PowIntM, acc = ops::PowInt::Value(*ip->a, ip->exponent))                              \
    ACTION(SquareA, acc = ops::PowInt::Value(acc, 2))                                            \
    ACTION(SquareM, acc = ops::PowInt::Value(*ip->a, 2))                                         \
    ORVANTA_PROGRAM_OPS(ORVANTA_NOTHING, UNARY_ACTIONS, BINARY_ACTIONS)

double RunCode(const ProgramInstr* ip) {
    double acc = 0.0;
#if defined(__GNUC__)
    // Threaded dispatch: one indirect jump per handler predicts better than a
    // single shared switch.
#define LABEL(name) &&op_##name,
#define UNARY_LABELS(name) &&op_##name##A, &&op_##name##M,
#define BINARY_LABELS(name) &&op_##name##M, &&op_##name##R, &&op_##name##MM,
    static const void* const handlers[] = {ORVANTA_PROGRAM_OPS(LABEL, UNARY_LABELS, BINARY_LABELS)};
#undef LABEL
#undef UNARY_LABELS
#undef BINARY_LABELS
#define ACTION(name, action)                                                                     \
    op_##name : action;                                                                          \
    goto* handlers[static_cast<uint8_t>((++ip)->op)];
    goto* handlers[static_cast<uint8_t>(ip->op)];
    ALL_ACTIONS
op_Stop:
    return acc;
#undef ACTION
#else
#define ACTION(name, action)                                                                     \
    case Op::name: action; break;
    for (;; ++ip) {
        switch (ip->op) {
        case Op::Stop: return acc;
        ALL_ACTIONS
        }
    }
#undef ACTION
#endif
}

#undef UNARY_ACTIONS
#undef BINARY_ACTIONS
#undef ALL_ACTIONS

bool Expression::Evaluate() {
    using State = Program::State;
    if (program && program->state == State::Linked) [[likely]] {
        Program& p = *program;
        // A text that only names a value (x, 2, pi()) has nothing to run.
        const double value = p.direct ? *p.direct : RunCode(p.code.data());
        result = value;
        return !p.assignment || Assign(value);
    }
    if (!program) {
        program.reset(new (std::nothrow) Program);
        if (!program)
            return false;
    }
    Program& p = *program;
    switch (p.state) {
    case State::Linked:
        break;
    case State::Broken:
        return false;
    case State::ByToken:
        return EvaluateByToken();
    case State::Unresolved:
        if (p.generation == symbols->Generation())
            return false;
        [[fallthrough]];
    case State::Unlinked:
        try {
            if (!Link())
                return p.state == State::ByToken && EvaluateByToken();
        } catch (const std::bad_alloc&) {
            p.state = State::Unlinked;
            return false;
        }
        break;
    }
    const double value = p.direct ? *p.direct : RunCode(p.code.data());
    result = value;
    return !p.assignment || Assign(value);
}

bool Expression::Assign(double value) {
    Program& p = *program;
    if (p.target) {
        p.target->value = value;
        return true;
    }
    if (!symbols->SetVariable(postfix[0].text, value))
        return false;
    p.target = symbols->FindVariable(postfix[0].text);
    return true;
}
