#include "analysis/slope_program.h"

#include <cmath>
#include <limits>

#include "expr/expression.h"
#include "expr/operation_rules.h"
#include "expr/program.h"

namespace {

const double kZero = 0.0;
const double kOne = 1.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Each value is computed by the very operation the accumulator interpreter
// uses on the same operands (expr/operation_rules.h), so its bits are the
// same; the slope follows the operation's rule.
template <class Rules>
inline void Unary(double u, double du, double& v, double& dv) {
    v = Rules::Value(u);
    dv = Rules::Slope(u, du, v);
}

template <class Rules>
inline void Binary(double u, double du, double w, double dw, double& v, double& dv) {
    v = Rules::Value(u, w);
    dv = Rules::Slope(u, du, w, dw, v);
}

// u^n for a constant integer n.
inline void Power(int32_t n, double u, double du, double& v, double& dv) {
    v = ops::PowInt::Value(u, n);
    dv = ops::PowInt::Slope(u, du, v, n);
}

} // namespace

bool SlopeProgram::Build(Expression& expression, double* boundVariable) {
    usable = false;
    code.clear();
    variable = boundVariable;
    const Expression::Program* p = expression.LinkedProgram();
    if (!p)
        return false;
    // An assignment that the table refuses fails on every evaluation.
    if (p->assignment && !expression.Evaluate())
        return false;
    registers.assign(p->registerCount, 0.0);
    slopes.assign(p->registerCount, 0.0);

    // Where an operand's value and slope are read; null for the accumulator.
    auto operand = [&](const Operand& o, const double*& value, const double*& slope) {
        switch (o.kind) {
        case Operand::Kind::Accumulator:
            value = slope = nullptr;
            return;
        case Operand::Kind::Register:
            value = &registers[o.index];
            slope = &slopes[o.index];
            return;
        case Operand::Kind::Constant:
            value = &p->constants[o.index];
            slope = &kZero;
            return;
        case Operand::Kind::Variable:
            value = o.var;
            slope = o.var == variable ? &kOne : &kZero;
            return;
        }
    };

    code.reserve(p->steps.size() + 1);
    for (const ProgramStep& step : p->steps) {
        // The handlers are numbered as the instructions.
        Instr in;
        in.code = static_cast<uint8_t>(step.op);
        in.exponent = step.exponent;
        operand(step.a, in.a, in.da);
        operand(step.b, in.b, in.db);
        if (step.op == ProgramOp::Spill) {
            in.dst = &registers[step.dst];
            in.ddst = &slopes[step.dst];
        }
        code.push_back(in);
    }
    if (code.empty() || code.back().code != static_cast<uint8_t>(ProgramOp::Stop))
        code.push_back(Instr());
    usable = true;
    return true;
}

Dual SlopeProgram::Evaluate(double x) {
    if (!usable)
        return {kNaN, kNaN};
    *variable = x;
    double unused = 0;
    return Run<false>(unused);
}

Dual SlopeProgram::Evaluate(double x, double& magnitude) {
    magnitude = 0;
    if (!usable)
        return {kNaN, kNaN};
    *variable = x;
    return Run<true>(magnitude);
}

// Threaded dispatch, as in the accumulator interpreter: one indirect jump
// per handler, the handlers generated from the instruction list.
template <bool kMagnitude> Dual SlopeProgram::Run(double& magnitude) const {
    double acc = 0.0, dacc = 0.0;
    const Instr* ip = code.data();
#define SLOPE_NEXT                                                                                 \
    if constexpr (kMagnitude)                                                                      \
        magnitude = std::fmax(magnitude, std::fabs(acc));                                          \
    goto* handlers[(++ip)->code];
#define SLOPE_LABEL(name) &&op_##name,
#define SLOPE_UNARY_LABELS(name) &&op_##name##A, &&op_##name##M,
#define SLOPE_BINARY_LABELS(name) &&op_##name##M, &&op_##name##R, &&op_##name##MM,
    static const void* const handlers[] = {
        ORVANTA_PROGRAM_OPS(SLOPE_LABEL, SLOPE_UNARY_LABELS, SLOPE_BINARY_LABELS)};
#define SLOPE_UNARY_HANDLERS(name)                                                                 \
    op_##name##A : Unary<ops::name>(acc, dacc, acc, dacc);                                         \
    SLOPE_NEXT                                                                                     \
    op_##name##M : Unary<ops::name>(*ip->a, *ip->da, acc, dacc);                                   \
    SLOPE_NEXT
#define SLOPE_BINARY_HANDLERS(name)                                                                \
    op_##name##M : Binary<ops::name>(acc, dacc, *ip->b, *ip->db, acc, dacc);                       \
    SLOPE_NEXT                                                                                     \
    op_##name##R : Binary<ops::name>(*ip->a, *ip->da, acc, dacc, acc, dacc);                       \
    SLOPE_NEXT                                                                                     \
    op_##name##MM : Binary<ops::name>(*ip->a, *ip->da, *ip->b, *ip->db, acc, dacc);                \
    SLOPE_NEXT
    goto* handlers[ip->code];
op_Load:
    acc = *ip->a;
    dacc = *ip->da;
    SLOPE_NEXT
op_Spill:
    *ip->dst = acc;
    *ip->ddst = dacc;
    goto* handlers[(++ip)->code];
op_PowIntA:
    Power(ip->exponent, acc, dacc, acc, dacc);
    SLOPE_NEXT
op_PowIntM:
    Power(ip->exponent, *ip->a, *ip->da, acc, dacc);
    SLOPE_NEXT
op_SquareA:
    Power(2, acc, dacc, acc, dacc);
    SLOPE_NEXT
op_SquareM:
    Power(2, *ip->a, *ip->da, acc, dacc);
    SLOPE_NEXT
    ORVANTA_PROGRAM_OPS(ORVANTA_NOTHING, SLOPE_UNARY_HANDLERS, SLOPE_BINARY_HANDLERS)
op_Stop:
    return {acc, dacc};
#undef SLOPE_NEXT
#undef SLOPE_LABEL
#undef SLOPE_UNARY_LABELS
#undef SLOPE_BINARY_LABELS
#undef SLOPE_UNARY_HANDLERS
#undef SLOPE_BINARY_HANDLERS
}
