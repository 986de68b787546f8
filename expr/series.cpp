// The block form: EvaluateSeries runs each operation of the linked program
// over a block of samples at a time.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "expr/expression.h"
#include "expr/integer_power.h"
#include "expr/program.h"

namespace {

using Op = ProgramOp;

#define ADD(x, y) ((x) + (y))
#define SUB(x, y) ((x) - (y))
#define MUL(x, y) ((x) * (y))
#define DIV(x, y) ((x) / (y))
#define POW(x, y) std::pow((x), (y))
#define CALL2(x, y) in.f2((x), (y))
#define LOOP(action)                                                                    \
    for (size_t i = 0; i < n; ++i)                                                      \
        action;                                                                         \
    break;
#define BINARY_BLOCK(NAME, OP)                                                          \
    case Op::NAME##M: LOOP(acc[i] = OP(acc[i], in.b[i]))                                \
    case Op::NAME##R: LOOP(acc[i] = OP(in.a[i], acc[i]))                                \
    case Op::NAME##MM: LOOP(acc[i] = OP(in.a[i], in.b[i]))

// Runs block instructions over the first n values of every array.
void RunBlock(const ProgramInstr* code, double* acc, size_t n) {
    for (const ProgramInstr* ip = code;; ++ip) {
        const ProgramInstr& in = *ip;
        switch (in.op) {
        case Op::Stop: return;
        case Op::Load: LOOP(acc[i] = in.a[i])
        case Op::Spill: LOOP(in.dst[i] = acc[i])
        case Op::NegA: LOOP(acc[i] = -acc[i])
        case Op::SqrtA: LOOP(acc[i] = std::sqrt(acc[i]))
        case Op::AbsA: LOOP(acc[i] = std::fabs(acc[i]))
        case Op::Call1A: LOOP(acc[i] = in.f1(acc[i]))
        case Op::NegM: LOOP(acc[i] = -in.a[i])
        case Op::SqrtM: LOOP(acc[i] = std::sqrt(in.a[i]))
        case Op::AbsM: LOOP(acc[i] = std::fabs(in.a[i]))
        case Op::Call1M: LOOP(acc[i] = in.f1(in.a[i]))
        BINARY_BLOCK(Add, ADD)
        BINARY_BLOCK(Sub, SUB)
        BINARY_BLOCK(Mul, MUL)
        BINARY_BLOCK(Div, DIV)
        BINARY_BLOCK(Pow, POW)
        BINARY_BLOCK(Call2, CALL2)
        case Op::PowIntA: IntegerPowers(acc, acc, n, in.exponent); break;
        case Op::PowIntM: IntegerPowers(in.a, acc, n, in.exponent); break;
        }
    }
}

#undef ADD
#undef SUB
#undef MUL
#undef DIV
#undef POW
#undef CALL2
#undef LOOP
#undef BINARY_BLOCK

// Makes the block form of a linked program for samples of `variable`.
void ResolveBlocks(Expression::Program& p, const double* variable) {
    using Kind = Operand::Kind;
    constexpr size_t B = Expression::Program::kBlock;
    // Every variable other than the sampled one gets an array of its own.
    p.blockScalars.clear();
    std::vector<const double*> scalars;
    for (const ProgramStep& step : p.steps)
        for (const Operand* operand : {&step.a, &step.b})
            if (operand->kind == Kind::Variable && operand->var != variable &&
                std::find(scalars.begin(), scalars.end(), operand->var) == scalars.end())
                scalars.push_back(operand->var);

    const size_t registers = p.registerCount, constants = p.constants.size();
    p.blockData.assign((1 + registers + constants + scalars.size() + 1) * B, 0.0);
    double* const accumulator = p.blockData.data(); // block 0: the accumulator
    (void)accumulator;
    double* const registerData = p.blockData.data() + B;
    double* const constantData = registerData + registers * B;
    double* const scalarData = constantData + constants * B;
    p.blockSamples = scalarData + scalars.size() * B;
    for (size_t c = 0; c < constants; ++c)
        std::fill_n(constantData + c * B, B, p.constants[c]);
    for (size_t v = 0; v < scalars.size(); ++v)
        p.blockScalars.emplace_back(scalars[v], scalarData + v * B);

    auto address = [&](const Operand& operand) -> const double* {
        switch (operand.kind) {
        case Kind::Register: return registerData + operand.index * B;
        case Kind::Constant: return constantData + operand.index * B;
        case Kind::Variable:
            if (operand.var == variable)
                return p.blockSamples;
            return scalarData + (std::find(scalars.begin(), scalars.end(), operand.var) -
                                 scalars.begin()) * B;
        default: return nullptr;
        }
    };
    p.blockCode.resize(p.steps.size());
    for (size_t i = 0; i < p.steps.size(); ++i) {
        const ProgramStep& step = p.steps[i];
        ProgramInstr& in = p.blockCode[i];
        in.op = step.op;
        in.exponent = step.exponent;
        in.a = address(step.a);
        in.b = address(step.b);
        if (step.op == Op::Spill)
            in.dst = registerData + step.dst * B;
        if (step.f2)
            in.f2 = step.f2;
        else
            in.f1 = step.f1;
    }
    p.blockVariable = variable;
}

// True when some instruction reads `value`.
bool Reads(const Expression::Program& p, const double* value) {
    for (const ProgramStep& step : p.steps)
        if ((step.a.kind == Operand::Kind::Variable && step.a.var == value) ||
            (step.b.kind == Operand::Kind::Variable && step.b.var == value))
            return true;
    return false;
}

} // namespace

size_t Expression::EvaluateSeries(double& variable, const double* values, double* results,
                                  size_t count) {
    using State = Program::State;
    if (count == 0)
        return 0;
    size_t succeeded = 0;
    auto one = [&](size_t i) {
        variable = values[i];
        result = 0.0;
        const bool ok = Evaluate();
        results[i] = ok ? result : 0.0;
        succeeded += ok;
    };
    // The first sample goes the ordinary way: it links the program and
    // creates the assignment target.
    one(0);
    Program* p = program.get();
    // Samples can share one pass when each evaluation depends on nothing an
    // earlier one changed: the only thing an evaluation changes is its
    // assignment target, so that must be the sampled variable or unread.
    const bool together = count > 1 && p && p->state == State::Linked && succeeded == 1 &&
                          (!p->assignment ||
                           (p->target && (&p->target->value == &variable ||
                                          !Reads(*p, &p->target->value))));
    if (!together) {
        for (size_t i = 1; i < count; ++i)
            one(i);
        return succeeded;
    }
    try {
        if (p->blockVariable != &variable || p->blockCode.empty())
            ResolveBlocks(*p, &variable);
    } catch (const std::bad_alloc&) {
        p->blockCode.clear();
        for (size_t i = 1; i < count; ++i)
            one(i);
        return succeeded;
    }
    for (auto& [value, array] : p->blockScalars)
        std::fill_n(array, Program::kBlock, *value);
    double* const acc = p->blockData.data();
    for (size_t start = 1; start < count; start += Program::kBlock) {
        const size_t n = std::min(Program::kBlock, count - start);
        std::copy_n(values + start, n, p->blockSamples);
        RunBlock(p->blockCode.data(), acc, n);
        std::copy_n(acc, n, results + start);
    }
    // Leave the table and `result` as the last evaluation would.
    const double last = results[count - 1];
    variable = values[count - 1];
    if (p->assignment)
        p->target->value = last;
    result = last;
    return count;
}
