#include "expr/interval_program.h"

#include "expr/expression.h"
#include "expr/operation_rules.h"
#include "expr/program.h"

namespace {

// The interval rule of `operation` on one or two operands.
Interval Enclose(Operation operation, const Interval& u, const Interval& w) {
    switch (operation) {
#define INTERVAL_UNARY_CASE(name)                                                                  \
    case Operation::name: return ops::name::Enclose(u);
#define INTERVAL_BINARY_CASE(name)                                                                 \
    case Operation::name: return ops::name::Enclose(u, w);
        ORVANTA_UNARY_OPERATIONS(INTERVAL_UNARY_CASE)
        ORVANTA_BINARY_OPERATIONS(INTERVAL_BINARY_CASE)
#undef INTERVAL_UNARY_CASE
#undef INTERVAL_BINARY_CASE
    }
    return Interval(); // not reached: every operation has its case
}

bool IsIntegerPower(ProgramOp op) {
    return op == ProgramOp::PowIntA || op == ProgramOp::PowIntM || op == ProgramOp::SquareA ||
           op == ProgramOp::SquareM;
}

} // namespace

bool IntervalProgram::Build(Expression& expression, const double* x, const double* y) {
    usable = false;
    code.clear();
    others.clear();
    const Expression::Program* p = expression.LinkedProgram();
    if (!p)
        return false;
    if (p->assignment && !expression.Evaluate())
        return false;
    registers.assign(p->registerCount, Interval());

    // The constants as written, then the folded ones again in intervals.
    constants.clear();
    for (double c : p->constants)
        constants.push_back(Interval::Point(c));
    for (const FoldedConstant& fold : p->folds)
        constants[fold.result] = Enclose(fold.operation, constants[fold.a], constants[fold.b]);

    // The variables' slots: x and y first, the others as they are met.
    variables.assign(2, Interval());
    std::vector<const double*> seen;
    for (const ProgramStep& step : p->steps)
        for (const Operand* o : {&step.a, &step.b})
            if (o->kind == Operand::Kind::Variable && o->var != x && o->var != y) {
                bool known = false;
                for (const double* s : seen)
                    known = known || s == o->var;
                if (!known)
                    seen.push_back(o->var);
            }
    others = seen;
    variables.resize(2 + others.size());

    auto operand = [&](const Operand& o) -> const Interval* {
        switch (o.kind) {
        case Operand::Kind::Accumulator: return nullptr;
        case Operand::Kind::Register: return &registers[o.index];
        case Operand::Kind::Constant: return &constants[o.index];
        case Operand::Kind::Variable:
            if (o.var == x)
                return &variables[0];
            if (o.var == y)
                return &variables[1];
            for (size_t i = 0; i < others.size(); ++i)
                if (others[i] == o.var)
                    return &variables[2 + i];
            return nullptr; // not reached: every variable has its slot
        }
        return nullptr;
    };

    code.reserve(p->steps.size() + 1);
    for (const ProgramStep& step : p->steps) {
        Instr in;
        in.code = static_cast<uint8_t>(step.op);
        in.exponent = step.exponent;
        in.a = operand(step.a);
        in.b = operand(step.b);
        if (step.op == ProgramOp::Spill)
            in.dst = &registers[step.dst];
        // An exponent the linker found an integer only in doubles: the
        // general power of the constant's enclosure.
        if (IsIntegerPower(step.op)) {
            const Interval& n = constants[step.b.index];
            if (!(n.lo == step.exponent && n.hi == step.exponent && n.continuous)) {
                const bool onAccumulator =
                    step.op == ProgramOp::PowIntA || step.op == ProgramOp::SquareA;
                in.code = static_cast<uint8_t>(BinaryOp(Operation::Pow, onAccumulator ? 0 : 2));
            }
        }
        code.push_back(in);
    }
    if (code.empty() || code.back().code != static_cast<uint8_t>(ProgramOp::Stop))
        code.push_back(Instr());
    usable = true;
    return true;
}

Interval IntervalProgram::Evaluate(const Interval& x, const Interval& y) {
    if (!usable)
        return Interval();
    variables[0] = x;
    variables[1] = y;
    for (size_t i = 0; i < others.size(); ++i)
        variables[2 + i] = Interval::Point(*others[i]);
    return Run();
}

// Threaded dispatch, as in the other interpreters: one indirect jump per
// handler, the handlers generated from the instruction list.
Interval IntervalProgram::Run() const {
    Interval acc;
    const Instr* ip = code.data();
#define INTERVAL_NEXT goto* handlers[(++ip)->code];
#define INTERVAL_LABEL(name) &&op_##name,
#define INTERVAL_UNARY_LABELS(name) &&op_##name##A, &&op_##name##M,
#define INTERVAL_BINARY_LABELS(name) &&op_##name##M, &&op_##name##R, &&op_##name##MM,
    static const void* const handlers[] = {
        ORVANTA_PROGRAM_OPS(INTERVAL_LABEL, INTERVAL_UNARY_LABELS, INTERVAL_BINARY_LABELS)};
#define INTERVAL_UNARY_HANDLERS(name)                                                              \
    op_##name##A : acc = ops::name::Enclose(acc);                                                  \
    INTERVAL_NEXT                                                                                  \
    op_##name##M : acc = ops::name::Enclose(*ip->a);                                               \
    INTERVAL_NEXT
#define INTERVAL_BINARY_HANDLERS(name)                                                             \
    op_##name##M : acc = ops::name::Enclose(acc, *ip->b);                                          \
    INTERVAL_NEXT                                                                                  \
    op_##name##R : acc = ops::name::Enclose(*ip->a, acc);                                          \
    INTERVAL_NEXT                                                                                  \
    op_##name##MM : acc = ops::name::Enclose(*ip->a, *ip->b);                                      \
    INTERVAL_NEXT
    goto* handlers[ip->code];
op_Load:
    acc = *ip->a;
    INTERVAL_NEXT
op_Spill:
    *ip->dst = acc;
    INTERVAL_NEXT
op_PowIntA:
    acc = ops::PowInt::Enclose(acc, ip->exponent);
    INTERVAL_NEXT
op_PowIntM:
    acc = ops::PowInt::Enclose(*ip->a, ip->exponent);
    INTERVAL_NEXT
op_SquareA:
    acc = ops::PowInt::Enclose(acc, 2);
    INTERVAL_NEXT
op_SquareM:
    acc = ops::PowInt::Enclose(*ip->a, 2);
    INTERVAL_NEXT
    ORVANTA_PROGRAM_OPS(ORVANTA_NOTHING, INTERVAL_UNARY_HANDLERS, INTERVAL_BINARY_HANDLERS)
op_Stop:
    return acc;
#undef INTERVAL_NEXT
#undef INTERVAL_LABEL
#undef INTERVAL_UNARY_LABELS
#undef INTERVAL_BINARY_LABELS
#undef INTERVAL_UNARY_HANDLERS
#undef INTERVAL_BINARY_HANDLERS
}
