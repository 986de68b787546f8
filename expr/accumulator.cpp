// The accumulator interpreter: runs the linked program once per Evaluate.
#include <cmath>
#include <new>

#include "expr/expression.h"
#include "expr/integer_power.h"
#include "expr/program.h"

using Op = ProgramOp;

#define CALL2(x, y) ip->f2((x), (y))
#define BINARY_ACTIONS(NAME, OP)                                                        \
    ACTION(NAME##M, acc = OP(acc, *ip->b))                                              \
    ACTION(NAME##R, acc = OP(*ip->a, acc))                                              \
    ACTION(NAME##MM, acc = OP(*ip->a, *ip->b))
// What each instruction does, in the order of ProgramOp (after Stop).
#define ALL_ACTIONS                                                                     \
    ACTION(Load, acc = *ip->a)                                                          \
    ACTION(Spill, *ip->dst = acc)                                                       \
    ACTION(NegA, acc = -acc)                                                            \
    ACTION(SqrtA, acc = std::sqrt(acc))                                                 \
    ACTION(AbsA, acc = std::fabs(acc))                                                  \
    ACTION(Call1A, acc = ip->f1(acc))                                                   \
    ACTION(NegM, acc = -*ip->a)                                                         \
    ACTION(SqrtM, acc = std::sqrt(*ip->a))                                              \
    ACTION(AbsM, acc = std::fabs(*ip->a))                                               \
    ACTION(Call1M, acc = ip->f1(*ip->a))                                                \
    BINARY_ACTIONS(Add, arithmetic::Add) BINARY_ACTIONS(Sub, arithmetic::Sub)           \
    BINARY_ACTIONS(Mul, arithmetic::Mul) BINARY_ACTIONS(Div, arithmetic::Div)           \
    BINARY_ACTIONS(Pow, arithmetic::Pow) BINARY_ACTIONS(Call2, CALL2)                   \
    ACTION(PowIntA, acc = IntegerPower(acc, ip->exponent))                              \
    ACTION(PowIntM, acc = IntegerPower(*ip->a, ip->exponent))                           \
    ACTION(SquareA, acc = IntegerPower(acc, 2))                                         \
    ACTION(SquareM, acc = IntegerPower(*ip->a, 2))

double RunCode(const ProgramInstr* ip) {
    double acc = 0.0;
#if defined(__GNUC__)
    // Threaded dispatch: one indirect jump per handler predicts better than a
    // single shared switch.
#define LABEL(name) &&op_##name,
    static const void* const handlers[] = {ORVANTA_PROGRAM_OPS(LABEL)};
#undef LABEL
#define ACTION(name, action)                                                            \
    op_##name : action;                                                                 \
    goto* handlers[static_cast<uint8_t>((++ip)->op)];
    goto* handlers[static_cast<uint8_t>(ip->op)];
    ALL_ACTIONS
op_Stop:
    return acc;
#undef ACTION
#else
#define ACTION(name, action)                                                            \
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

#undef CALL2
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
