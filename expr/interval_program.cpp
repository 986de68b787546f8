#include "expr/interval_program.h"

#include <algorithm>

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
    saved.assign(kMaxSplits * registers.size(), Interval());
    maySplit = false;
    for (const Instr& in : code) {
        const ProgramOp op = static_cast<ProgramOp>(in.code);
        if (op == ProgramOp::PowIntA || op == ProgramOp::PowIntM) {
            maySplit = maySplit || (in.exponent < 0 && in.exponent % 2 != 0);
        } else if (IsOperation(op)) {
            const Operation o = OperationOf(op);
            maySplit = maySplit || o == Operation::Floor || o == Operation::Ceil ||
                       o == Operation::Tan || o == Operation::Div || o == Operation::Mod;
        }
    }
    usable = true;
    return true;
}

void IntervalProgram::SetVariables(const Interval& x, const Interval& y) {
    variables[0] = x;
    variables[1] = y;
    for (size_t i = 0; i < others.size(); ++i)
        variables[2 + i] = Interval::Point(*others[i]);
}

Interval IntervalProgram::Evaluate(const Interval& x, const Interval& y) {
    if (!usable)
        return Interval();
    SetVariables(x, y);
    return Run();
}

size_t IntervalProgram::EvaluatePieces(const Interval& x, const Interval& y, Interval* pieces) {
    if (!usable) {
        pieces[0] = Interval();
        return 1;
    }
    SetVariables(x, y);
    size_t count = 0;
    RunPieces(0, Interval(), 0, pieces, count);
    return count;
}

// The program step by step, each step's rule chosen by a switch; where a
// step splits, each piece runs the rest of the program on its own, with
// the registers as they were at the split.
void IntervalProgram::RunPieces(size_t pc, Interval acc, int splits, Interval* pieces,
                                size_t& count) {
    for (;; ++pc) {
        const Instr& in = code[pc];
        const ProgramOp op = static_cast<ProgramOp>(in.code);
        Interval result, first, second;
        bool split = false;
        switch (op) {
        case ProgramOp::Stop:
            pieces[count++] = acc;
            return;
        case ProgramOp::Load:
            acc = *in.a;
            continue;
        case ProgramOp::Spill:
            *in.dst = acc;
            continue;
        case ProgramOp::PowIntA:
        case ProgramOp::PowIntM:
        case ProgramOp::SquareA:
        case ProgramOp::SquareM: {
            const bool onAccumulator = op == ProgramOp::PowIntA || op == ProgramOp::SquareA;
            const Interval& u = onAccumulator ? acc : *in.a;
            const int n = op == ProgramOp::SquareA || op == ProgramOp::SquareM ? 2 : in.exponent;
            split = splits < kMaxSplits && interval::PowIntPieces(u, n, first, second);
            if (!split)
                result = ops::PowInt::Enclose(u, n);
            break;
        }
        default: {
            const Operation operation = OperationOf(op);
            const int mode = ModeOf(op);
            Interval u, w;
            if (IsUnary(operation)) {
                u = mode == 0 ? acc : *in.a;
            } else {
                u = mode == 0 ? acc : *in.a;
                w = mode == 1 ? acc : *in.b;
            }
            split = splits < kMaxSplits && interval::Pieces(operation, u, w, first, second);
            if (!split)
                result = Enclose(operation, u, w);
            break;
        }
        }
        if (!split) {
            acc = result;
            continue;
        }
        Interval* save = saved.data() + static_cast<size_t>(splits) * registers.size();
        std::copy(registers.begin(), registers.end(), save);
        RunPieces(pc + 1, first, splits + 1, pieces, count);
        std::copy(save, save + registers.size(), registers.begin());
        RunPieces(pc + 1, second, splits + 1, pieces, count);
        return;
    }
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
