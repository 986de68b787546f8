#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>
#include <cmath>
#include <new>
#include <string_view>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "expr/program.h"

namespace {

using Op = ProgramOp;

double Apply(OperatorCode op, double x, double y) {
    switch (op) {
    case OperatorCode::Power: return std::pow(x, y);
    case OperatorCode::Multiply: return x * y;
    case OperatorCode::Divide: return x / y;
    case OperatorCode::Add: return x + y;
    default: return x - y;
    }
}

// Position of an operator among the binary operations (Call2 is the last).
int BinaryIndex(OperatorCode code) {
    switch (code) {
    case OperatorCode::Add: return 0;
    case OperatorCode::Subtract: return 1;
    case OperatorCode::Multiply: return 2;
    case OperatorCode::Divide: return 3;
    case OperatorCode::Power: return 4;
    default: return 5;
    }
}

// Unary operations by index in mode A or M; binary ones by index and mode
// (M, R, MM) follow Add's three modes in steps of three.
Op UnaryOpA(int index) { return static_cast<Op>(static_cast<int>(Op::NegA) + index); }
Op UnaryOpM(int index) { return static_cast<Op>(static_cast<int>(Op::NegM) + index); }
Op BinaryOp(int index, int mode) {
    return static_cast<Op>(static_cast<int>(Op::AddM) + 3 * index + mode);
}
static_assert(static_cast<int>(Op::Call2MM) == static_cast<int>(Op::AddM) + 3 * 5 + 2);
static_assert(static_cast<int>(Op::Call1M) == static_cast<int>(Op::NegM) + 3);

// Unary operations: Neg, Sqrt, Abs, then Call1 (any other builtin).
int UnaryIndex(std::string_view builtin) {
    return builtin == "sqrt" ? 1 : builtin == "abs" ? 2 : 3;
}

double Unary(int index, double (*f)(double), double x) {
    switch (index) {
    case 0: return -x;
    case 1: return std::sqrt(x);
    case 2: return std::fabs(x);
    default: return f(x);
    }
}

double Binary(int index, double (*f)(double, double), double x, double y) {
    switch (index) {
    case 0: return x + y;
    case 1: return x - y;
    case 2: return x * y;
    case 3: return x / y;
    case 4: return std::pow(x, y);
    default: return f(x, y);
    }
}

#define ADD(x, y) ((x) + (y))
#define SUB(x, y) ((x) - (y))
#define MUL(x, y) ((x) * (y))
#define DIV(x, y) ((x) / (y))
#define POW(x, y) std::pow((x), (y))
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
    BINARY_ACTIONS(Add, ADD) BINARY_ACTIONS(Sub, SUB) BINARY_ACTIONS(Mul, MUL)          \
    BINARY_ACTIONS(Div, DIV) BINARY_ACTIONS(Pow, POW) BINARY_ACTIONS(Call2, CALL2)

// Runs resolved instructions up to Stop and returns the accumulator.
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

#undef ADD
#undef SUB
#undef MUL
#undef DIV
#undef POW
#undef CALL2
#undef BINARY_ACTIONS
#undef ALL_ACTIONS

} // namespace

// Follows the evaluation stack through the postfix array, recording where
// each stack value lives and emitting code for every operation that needs a
// value only known at run time. At most one stack value is in the
// accumulator at a time; before another result takes its place it is spilled
// to the register of its stack position, which nothing else uses.
//
// A value computed more than once (the same operation on the same operands,
// such as x^2 written twice) is computed once: the operations are pure, so
// the second computation would give the very same bits. A first pass counts
// how often each value is computed; the second keeps those that recur in
// registers of their own, above the stack's.
class Linker {
public:
    // Values computed by earlier operations: operation and operands -> number.
    struct Values {
        std::map<std::tuple<int, int, uint64_t, int, uint64_t, uintptr_t>, uint32_t> numbers;
        std::vector<uint32_t> uses{0};    // by number; the first pass fills it
        std::vector<int64_t> keptIn{-1};  // by number: its register once computed
        uint32_t firstKeptRegister = 0;
        uint32_t keptCount = 0;
        bool reuse = false;               // the second pass
    };

    Linker(Expression::Program& program, Values& values) : p(program), values(values) {}

    size_t Depth() const { return stack.size(); }
    size_t MaxDepth() const { return maxDepth; }

    void PushConstant(double value) { Push(Constant(value)); }

    void PushVariable(const double* var) {
        Operand operand;
        operand.kind = Operand::Kind::Variable;
        operand.var = var;
        Push(operand);
    }

    void Unary(int index, double (*f)(double)) {
        const Operand a = stack.back();
        if (a.kind == Operand::Kind::Constant) {
            stack.back() = Constant(::Unary(index, f, p.constants[a.index]));
            return;
        }
        const uint32_t number = Number(index, a, Operand(), reinterpret_cast<uintptr_t>(f));
        if (Reused(number, stack.back()))
            return;
        ProgramStep step;
        step.f1 = f;
        if (a.kind == Operand::Kind::Accumulator) {
            step.op = UnaryOpA(index);
        } else {
            SpillAccumulator();
            step.op = UnaryOpM(index);
            step.a = a;
        }
        p.steps.push_back(step);
        stack.back() = Computed(number);
    }

    // `f` is the function of a two-argument builtin (index 5).
    void Binary(int index, double (*f)(double, double)) {
        const Operand b = stack.back();
        stack.pop_back();
        const Operand a = stack.back();
        stack.pop_back();
        if (a.kind == Operand::Kind::Constant && b.kind == Operand::Kind::Constant) {
            Push(Constant(::Binary(index, f, p.constants[a.index], p.constants[b.index])));
            return;
        }
        const uint32_t number = Number(16 + index, a, b, reinterpret_cast<uintptr_t>(f));
        stack.emplace_back();
        if (Reused(number, stack.back()))
            return;
        stack.pop_back();
        ProgramStep step;
        step.f2 = f;
        step.a = a;
        step.b = b;
        if (a.kind == Operand::Kind::Accumulator) {
            step.op = BinaryOp(index, 0);
        } else if (b.kind == Operand::Kind::Accumulator) {
            step.op = BinaryOp(index, 1);
        } else {
            SpillAccumulator();
            step.op = BinaryOp(index, 2);
        }
        p.steps.push_back(step);
        Push(Computed(number));
    }

    void Finish() {
        if (stack.back().kind != Operand::Kind::Accumulator) {
            ProgramStep load;
            load.op = Op::Load;
            load.a = stack.back();
            p.steps.push_back(load);
        }
        p.steps.emplace_back(); // Stop
    }

private:
    void Push(const Operand& operand) {
        stack.push_back(operand);
        if (stack.size() > maxDepth)
            maxDepth = stack.size();
    }

    Operand Constant(double value) {
        Operand operand;
        operand.kind = Operand::Kind::Constant;
        operand.index = static_cast<uint32_t>(p.constants.size());
        p.constants.push_back(value);
        return operand;
    }

    // The number of the value an operation computes; counts its uses in the
    // first pass.
    uint32_t Number(int operation, const Operand& a, const Operand& b, uintptr_t function) {
        auto key = [&](const Operand& o) -> std::pair<int, uint64_t> {
            switch (o.kind) {
            case Operand::Kind::Constant: {
                uint64_t bits;
                std::memcpy(&bits, &p.constants[o.index], sizeof bits);
                return {1, bits};
            }
            case Operand::Kind::Variable: return {2, reinterpret_cast<uintptr_t>(o.var)};
            default: return {3, o.number};
            }
        };
        const auto [aKind, aValue] = key(a);
        const auto [bKind, bValue] = key(b);
        auto [it, added] = values.numbers.try_emplace(
            std::make_tuple(operation, aKind, aValue, bKind, bValue, function),
            static_cast<uint32_t>(values.uses.size()));
        if (added && !values.reuse) {
            values.uses.push_back(0);
            values.keptIn.push_back(-1);
        }
        if (!values.reuse)
            ++values.uses[it->second];
        return it->second;
    }

    // Second pass: an operation whose value is kept already becomes its
    // register; `slot` receives it.
    bool Reused(uint32_t number, Operand& slot) {
        if (!values.reuse || number >= values.keptIn.size() || values.keptIn[number] < 0)
            return false;
        slot.kind = Operand::Kind::Register;
        slot.index = static_cast<uint32_t>(values.keptIn[number]);
        slot.number = number;
        return true;
    }

    // The accumulator holding value `number`; a value used again is also
    // copied to a register of its own.
    Operand Computed(uint32_t number) {
        Operand operand; // in the accumulator
        operand.number = number;
        if (values.reuse && number < values.uses.size() && values.uses[number] > 1) {
            const uint32_t kept = values.firstKeptRegister + values.keptCount++;
            ProgramStep spill;
            spill.op = Op::Spill;
            spill.dst = kept;
            p.steps.push_back(spill);
            if (kept + 1 > p.registerCount)
                p.registerCount = kept + 1;
            values.keptIn[number] = kept;
        }
        return operand;
    }

    void SpillAccumulator() {
        for (size_t i = stack.size(); i-- > 0;) {
            if (stack[i].kind != Operand::Kind::Accumulator)
                continue;
            ProgramStep spill;
            spill.op = Op::Spill;
            spill.dst = static_cast<uint32_t>(i);
            p.steps.push_back(spill);
            if (i + 1 > p.registerCount)
                p.registerCount = static_cast<uint32_t>(i + 1);
            stack[i].kind = Operand::Kind::Register;
            stack[i].index = static_cast<uint32_t>(i);
            return;
        }
    }

    Expression::Program& p;
    Values& values;
    std::vector<Operand> stack;
    size_t maxDepth = 0;
};

namespace {

const double* Address(const Expression::Program& p, const Operand& operand) {
    switch (operand.kind) {
    case Operand::Kind::Register: return &p.registers[operand.index];
    case Operand::Kind::Constant: return &p.constants[operand.index];
    case Operand::Kind::Variable: return operand.var;
    default: return nullptr; // the accumulator has no address
    }
}

// Turns the steps into instructions over the program's own registers and
// constants.
void Resolve(Expression::Program& p) {
    p.registers.assign(p.registerCount, 0.0);
    p.code.resize(p.steps.size());
    for (size_t i = 0; i < p.steps.size(); ++i) {
        const ProgramStep& step = p.steps[i];
        ProgramInstr& in = p.code[i];
        in.op = step.op;
        in.a = Address(p, step.a);
        in.b = Address(p, step.b);
        if (step.op == Op::Spill)
            in.dst = &p.registers[step.dst];
        if (step.f2)
            in.f2 = step.f2;
        else
            in.f1 = step.f1;
    }
    p.direct = p.code.size() == 2 && p.code[0].op == Op::Load ? p.code[0].a : nullptr;
}

} // namespace

// Resolves names and builds the code. Leaves the state at Linked, Broken
// (the evaluation fails whatever the table holds), Unresolved (a name is
// missing now) or ByToken (a function is not one of the builtins).
bool Expression::Link() {
    using State = Program::State;
    Program& p = *program;
    p.steps.clear();
    p.constants.clear();
    p.code.clear();
    p.registerCount = 0;
    p.generation = symbols->Generation();

    uint32_t first = 0, last = postfixCount;
    p.assignment = postfixCount > 0 && postfix[postfixCount - 1].kind == TokenKind::Operator &&
                   postfix[postfixCount - 1].op == OperatorCode::Assign;
    if (p.assignment) {
        if (postfix[0].kind != TokenKind::Identifier) {
            p.state = State::Broken;
            return false;
        }
        first = 1;
        last = postfixCount - 1;
        p.target = symbols->FindVariable(postfix[0].text);
    }

    // Two passes over the tokens: the first finds the values computed more
    // than once, the second builds the code that keeps them.
    Linker::Values values;
    std::unique_ptr<Linker> linker;
    for (int pass = 0; pass < 2; ++pass) {
        p.steps.clear();
        p.constants.clear();
        p.registerCount = 0;
        if (pass == 1) {
            values.reuse = true;
            values.firstKeptRegister = static_cast<uint32_t>(linker->MaxDepth());
        }
        linker = std::make_unique<Linker>(p, values);
        if (!LinkPass(*linker, first, last))
            return false;
    }
    linker->Finish();
    Resolve(p);
    p.state = State::Linked;
    return true;
}

// One walk over the postfix tokens to run, feeding the linker; false (with
// the state set) when the evaluation cannot succeed now.
bool Expression::LinkPass(Linker& linker, uint32_t first, uint32_t last) {
    using State = Program::State;
    Program& p = *program;
    for (uint32_t i = first; i < last; ++i) {
        const Token& token = postfix[i];
        const size_t depth = linker.Depth();
        if (depth >= ValueStackSize) {
            p.state = State::Broken;
            return false;
        }
        auto need = [&](size_t count) {
            if (depth >= count)
                return true;
            p.state = State::Broken;
            return false;
        };
        switch (token.kind) {
        case TokenKind::Identifier: {
            Symbol* symbol = symbols->FindVariable(token.text);
            if (!symbol) {
                p.state = State::Unresolved;
                return false;
            }
            linker.PushVariable(&symbol->value);
            break;
        }
        case TokenKind::Number:
            linker.PushConstant(token.number);
            break;
        case TokenKind::FunctionCall: {
            const Symbol* symbol = symbols->FindFunction(token.text);
            if (!symbol || symbol->kind != SymbolKind::Function || !symbol->function) {
                p.state = State::Unresolved;
                return false;
            }
            const BuiltinInfo* builtin = FindBuiltin(symbol->function);
            if (!builtin) {
                p.state = State::ByToken;
                return false;
            }
            if (!need(builtin->arity))
                return false;
            if (builtin->arity == 0)
                linker.PushConstant(builtin->constant);
            else if (builtin->arity == 1)
                linker.Unary(UnaryIndex(builtin->name), builtin->unary);
            else
                linker.Binary(5, builtin->binary);
            break;
        }
        case TokenKind::Operator:
            switch (token.op) {
            case OperatorCode::Power:
            case OperatorCode::Multiply:
            case OperatorCode::Divide:
            case OperatorCode::Add:
            case OperatorCode::Subtract:
                if (!need(2))
                    return false;
                linker.Binary(BinaryIndex(token.op), nullptr);
                break;
            case OperatorCode::UnaryPlus:
                if (!need(1))
                    return false;
                break;
            case OperatorCode::UnaryMinus:
                if (!need(1))
                    return false;
                linker.Unary(0, nullptr);
                break;
            case OperatorCode::OpenParen:
            case OperatorCode::CloseParen:
            case OperatorCode::Comma:
                break;
            default: // "=" anywhere but at the end, or an unknown operator
                p.state = State::Broken;
                return false;
            }
            break;
        default:
            p.state = State::Broken;
            return false;
        }
    }
    if (linker.Depth() == 0) {
        p.state = State::Broken;
        return false;
    }
    return true;
}

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

bool Expression::EvaluateByToken() {
    if (!valueStack) {
        valueStack.reset(new (std::nothrow) double[ValueStackSize + 1]);
        if (!valueStack)
            return false;
    }
    double* const base = valueStack.get();
    double* top = base;

    uint32_t first = 0, last = postfixCount;
    const bool assignment = postfixCount > 0 &&
                            postfix[postfixCount - 1].kind == TokenKind::Operator &&
                            postfix[postfixCount - 1].op == OperatorCode::Assign;
    if (assignment) {
        if (postfix[0].kind != TokenKind::Identifier)
            return false;
        first = 1;
        last = postfixCount - 1;
    }
    for (uint32_t i = first; i < last; ++i) {
        if (top - base >= static_cast<ptrdiff_t>(ValueStackSize))
            return false;
        if (!EvaluateToken(postfix[i], base, top))
            return false;
    }
    if (top == base)
        return false;
    result = top[-1];
    return !assignment || symbols->SetVariable(postfix[0].text, result);
}

bool Expression::EvaluateToken(const Token& token, double* base, double*& top) {
    const ptrdiff_t count = top - base;
    switch (token.kind) {
    case TokenKind::Identifier: {
        double value;
        if (!symbols->GetVariable(token.text, value))
            return false;
        *top++ = value;
        return true;
    }
    case TokenKind::Number:
        *top++ = token.number;
        return true;
    case TokenKind::FunctionCall: {
        double value;
        if (!symbols->CallFunction(token.text, base, top, value))
            return false;
        *top++ = value;
        return true;
    }
    case TokenKind::Operator:
        switch (token.op) {
        case OperatorCode::Power:
        case OperatorCode::Multiply:
        case OperatorCode::Divide:
        case OperatorCode::Add:
        case OperatorCode::Subtract:
            if (count < 2)
                return false;
            --top;
            top[-1] = Apply(token.op, top[-1], top[0]);
            return true;
        case OperatorCode::UnaryPlus:
            return count >= 1;
        case OperatorCode::UnaryMinus:
            if (count < 1)
                return false;
            top[-1] = -top[-1];
            return true;
        case OperatorCode::OpenParen:
        case OperatorCode::CloseParen:
        case OperatorCode::Comma:
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

namespace {

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
