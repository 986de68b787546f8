// The block form: EvaluateSeries runs the linked program over blocks of
// samples, each operation over a whole block at a time, after computing
// once what does not depend on the sampled variable.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "expr/expression.h"
#include "expr/integer_power.h"
#include "expr/operation_rules.h"
#include "expr/program.h"

namespace {

using Op = ProgramOp;

#define LOOP(action)                                                                    \
    _Pragma("GCC unroll 8") for (size_t i = 0; i < n; ++i)                              \
        action;                                                                         \
    break;
#define UNARY_BLOCK(name)                                                               \
    case BlockOp::name: LOOP(dst[i] = ops::name::Value(a[i]))
#define BINARY_BLOCK(name)                                                              \
    case BlockOp::name##AA: LOOP(dst[i] = ops::name::Value(a[i], b[i]))                 \
    case BlockOp::name##AS: {                                                           \
        const double y = *b;                                                            \
        LOOP(dst[i] = ops::name::Value(a[i], y))                                        \
    }                                                                                   \
    case BlockOp::name##SA: {                                                           \
        const double x = *a;                                                            \
        LOOP(dst[i] = ops::name::Value(x, b[i]))                                        \
    }

// Runs block instructions over the first n values of every array.
template <size_t kFixed>
void RunBlockN(const BlockInstr* code, size_t count) {
    const size_t n = kFixed ? kFixed : count;
    for (const BlockInstr* ip = code;; ++ip) {
        const BlockInstr& in = *ip;
        double* const dst = in.dst;
        const double* const a = in.a;
        const double* const b = in.b;
        switch (in.op) {
        case BlockOp::Stop: return;
        case BlockOp::Fill: {
            const double x = *a;
            LOOP(dst[i] = x)
        }
        case BlockOp::PowInt: IntegerPowers(a, dst, n, in.exponent); break;
        ORVANTA_UNARY_OPERATIONS(UNARY_BLOCK)
        ORVANTA_BINARY_OPERATIONS(BINARY_BLOCK)
        }
    }
}

// Full blocks run with a constant count, so that the loops need no
// remainder.
void RunBlock(const BlockInstr* code, size_t n) {
    if (n == Expression::Program::kBlock)
        RunBlockN<Expression::Program::kBlock>(code, n);
    else
        RunBlockN<0>(code, n);
}

#undef LOOP
#undef UNARY_BLOCK
#undef BINARY_BLOCK

// Splits the linked steps into the prologue and the block code. It follows
// where each value lives: a value that depends on the sampled variable is an
// array; one that does not is computed by the prologue, whose accumulator
// holds it until a block step needs it, when the prologue sets it aside.
// The same operations run on the same operands in the same order, so every
// value keeps its bits.
class BlockBuilder {
public:
    BlockBuilder(Expression::Program& program, const double* variable)
        : p(program), variable(variable), registers(program.registerCount) {}

    void Build() {
        for (const ProgramStep& step : p.steps) {
            if (step.op == Op::Stop)
                break;
            Add(step);
        }
        Finish();
        Resolve();
    }

private:
    // Where a value is: a single value (a constant or a variable other than
    // the sampled one), a hoisted one, an array (0: the samples), or only in
    // the prologue's accumulator.
    struct Value {
        enum class Kind : uint8_t { InPrologue, Single, Hoisted, Array };
        Kind kind = Kind::InPrologue;
        const double* single = nullptr;
        uint32_t index = 0; // hoisted slot or array number
    };
    struct PrologueStep {
        ProgramStep step;
        Value a, b;          // a register operand as its hoisted slot
        int32_t slot = -1;   // a Spill's hoisted slot
    };
    struct BlockStep {
        BlockInstr instr;
        Value a, b;
        uint32_t dst = 0;    // array number
    };

    static Value ArrayValue(uint32_t index) {
        Value v;
        v.kind = Value::Kind::Array;
        v.index = index;
        return v;
    }

    Value Of(const Operand& operand) {
        Value v;
        switch (operand.kind) {
        case Operand::Kind::Constant:
            v.kind = Value::Kind::Single;
            v.single = &p.constants[operand.index];
            return v;
        case Operand::Kind::Variable:
            if (operand.var == variable)
                return ArrayValue(0);
            v.kind = Value::Kind::Single;
            v.single = operand.var;
            return v;
        case Operand::Kind::Register: return registers[operand.index];
        default: return acc;
        }
    }

    static bool Varies(const Value& v) { return v.kind == Value::Kind::Array; }

    // The prologue's accumulator value as a hoisted slot.
    Value Hoist(const Value& v) {
        if (v.kind != Value::Kind::InPrologue)
            return v;
        PrologueStep spill;
        spill.step.op = Op::Spill;
        spill.slot = hoistedCount++;
        prologue.push_back(spill);
        Value hoisted;
        hoisted.kind = Value::Kind::Hoisted;
        hoisted.index = static_cast<uint32_t>(spill.slot);
        if (&v == &acc)
            acc = hoisted; // the prologue's accumulator still holds it too
        return hoisted;
    }

    void Add(const ProgramStep& step) {
        Value x, y; // the operands read, in order; y unused by unary steps
        bool binary = false, power = false;
        switch (step.op) {
        case Op::Load:
            x = Of(step.a);
            break;
        case Op::Spill:
            registers[step.dst] = Varies(acc) ? acc : Hoist(acc);
            return;
        case Op::PowIntA:
        case Op::SquareA:
            x = acc;
            power = true;
            break;
        case Op::PowIntM:
        case Op::SquareM:
            x = Of(step.a);
            power = true;
            break;
        default:
            binary = !IsUnary(OperationOf(step.op));
            if (!binary) {
                x = ModeOf(step.op) == 0 ? acc : Of(step.a);
            } else {
                const int mode = ModeOf(step.op);
                x = mode == 0 ? acc : Of(step.a);
                y = mode == 1 ? acc : Of(step.b);
            }
            break;
        }
        if (!Varies(x) && !(binary && Varies(y))) {
            // Computed once, by the prologue, into its accumulator.
            PrologueStep ps;
            ps.step = step;
            ps.a = Of(step.a);
            ps.b = Of(step.b);
            prologue.push_back(ps);
            acc = Value();
            return;
        }
        if (step.op == Op::Load) { // an array already: nothing to compute
            acc = x;
            return;
        }
        BlockStep bs;
        bs.instr.exponent = step.exponent;
        if (power) { // Square's exponent is 2
            bs.instr.op = BlockOp::PowInt;
            bs.a = x;
        } else if (binary) {
            const int operands = !Varies(y) ? 1 : !Varies(x) ? 2 : 0; // AS, SA, AA
            bs.instr.op = BlockBinaryOp(OperationOf(step.op), operands);
            bs.a = Hoist(x);
            bs.b = Hoist(y);
        } else {
            bs.instr.op = BlockUnaryOp(OperationOf(step.op));
            bs.a = x;
        }
        bs.dst = arrayCount++;
        block.push_back(bs);
        acc = ArrayValue(bs.dst);
    }

    // The result is the accumulator: an array, or a value the prologue
    // computed, which fills one.
    void Finish() {
        if (!Varies(acc)) {
            BlockStep fill;
            fill.instr.op = BlockOp::Fill;
            fill.a = Hoist(acc);
            fill.dst = arrayCount++;
            block.push_back(fill);
            acc = ArrayValue(fill.dst);
        }
        result = acc.index;
    }

    // Gives the arrays storage: an array whose last reader has run is free
    // for the next result (the same step's too: every operation reads
    // element i before it writes it). Array 0, the samples, and the result
    // keep their own.
    void Resolve() {
        std::vector<size_t> lastRead(arrayCount, 0);
        for (size_t k = 0; k < block.size(); ++k) {
            lastRead[block[k].dst] = std::max(lastRead[block[k].dst], k);
            for (const Value* v : {&block[k].a, &block[k].b})
                if (Varies(*v))
                    lastRead[v->index] = k;
        }
        lastRead[0] = lastRead[result] = block.size();
        std::vector<uint32_t> storage(arrayCount, 0), unused;
        uint32_t buffers = 1;
        for (size_t k = 0; k < block.size(); ++k) {
            for (const Value* v : {&block[k].a, &block[k].b})
                if (Varies(*v) && lastRead[v->index] == k && v->index != 0) {
                    unused.push_back(storage[v->index]);
                    lastRead[v->index] = block.size() + 1; // freed once
                }
            const uint32_t dst = block[k].dst;
            if (unused.empty()) {
                storage[dst] = buffers++;
            } else {
                storage[dst] = unused.back();
                unused.pop_back();
            }
            if (lastRead[dst] == k) // never read
                unused.push_back(storage[dst]);
        }

        constexpr size_t B = Expression::Program::kBlock;
        p.hoisted.assign(hoistedCount, 0.0);
        p.blockData.assign(size_t(buffers) * B, 0.0);
        auto address = [&](const Value& v) -> const double* {
            switch (v.kind) {
            case Value::Kind::Single: return v.single;
            case Value::Kind::Hoisted: return &p.hoisted[v.index];
            case Value::Kind::Array: return p.blockData.data() + storage[v.index] * B;
            default: return nullptr;
            }
        };
        p.prologue.clear();
        for (const PrologueStep& ps : prologue) {
            ProgramInstr in;
            in.op = ps.step.op;
            in.exponent = ps.step.exponent;
            in.a = address(ps.a);
            in.b = address(ps.b);
            if (ps.slot >= 0)
                in.dst = &p.hoisted[ps.slot];
            p.prologue.push_back(in);
        }
        if (!p.prologue.empty())
            p.prologue.emplace_back(); // Stop
        p.blockCode.clear();
        for (const BlockStep& bs : block) {
            BlockInstr in = bs.instr;
            in.a = address(bs.a);
            in.b = address(bs.b);
            in.dst = p.blockData.data() + storage[bs.dst] * B;
            p.blockCode.push_back(in);
        }
        p.blockCode.emplace_back(); // Stop
        p.blockSamples = p.blockData.data();
        p.blockResult = address(ArrayValue(result));
        p.blockVariable = variable;
    }

    Expression::Program& p;
    const double* variable;
    std::vector<Value> registers;
    Value acc;
    std::vector<PrologueStep> prologue;
    std::vector<BlockStep> block;
    int32_t hoistedCount = 0;
    uint32_t arrayCount = 1; // array 0 holds the samples
    uint32_t result = 0;
};

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
            BlockBuilder(*p, &variable).Build();
    } catch (const std::bad_alloc&) {
        p->blockCode.clear();
        for (size_t i = 1; i < count; ++i)
            one(i);
        return succeeded;
    }
    // Nothing the prologue reads changes during the series.
    if (!p->prologue.empty())
        RunCode(p->prologue.data());
    for (size_t start = 1; start < count; start += Program::kBlock) {
        const size_t n = std::min(Program::kBlock, count - start);
        std::copy_n(values + start, n, p->blockSamples);
        RunBlock(p->blockCode.data(), n);
        std::copy_n(p->blockResult, n, results + start);
    }
    // Leave the table and `result` as the last evaluation would.
    const double last = results[count - 1];
    variable = values[count - 1];
    if (p->assignment)
        p->target->value = last;
    result = last;
    return count;
}
