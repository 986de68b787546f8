// The linker: turns the postfix array into the accumulator program of
// program.h, resolving names against the table and folding constants.
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <tuple>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "expr/integer_power.h"
#include "expr/operation_rules.h"
#include "expr/program.h"

namespace {

using Op = ProgramOp;

// The operation of a binary operator.
Operation BinaryOperation(OperatorCode code) {
    switch (code) {
    case OperatorCode::Add: return Operation::Add;
    case OperatorCode::Subtract: return Operation::Sub;
    case OperatorCode::Multiply: return Operation::Mul;
    case OperatorCode::Divide: return Operation::Div;
    default: return Operation::Pow;
    }
}

// An operation on constants, done once by the linker with the function the
// interpreters use.
double Fold(Operation operation, double x, double y) {
    switch (operation) {
#define UNARY_FOLD(name)                                                                         \
    case Operation::name: return ops::name::Value(x);
#define BINARY_FOLD(name)                                                                        \
    case Operation::name: return ops::name::Value(x, y);
        ORVANTA_UNARY_OPERATIONS(UNARY_FOLD)
        ORVANTA_BINARY_OPERATIONS(BINARY_FOLD)
#undef UNARY_FOLD
#undef BINARY_FOLD
    }
    return x; // not reached: every operation has its case
}

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
        std::map<std::tuple<Operation, int, uint64_t, int, uint64_t>, uint32_t> numbers;
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

    void Unary(Operation operation) {
        const Operand a = stack.back();
        if (a.kind == Operand::Kind::Constant) {
            stack.back() = Constant(Fold(operation, p.constants[a.index], 0.0));
            p.folds.push_back({stack.back().index, a.index, a.index, operation});
            return;
        }
        const uint32_t number = Number(operation, a, Operand());
        if (Reused(number, stack.back()))
            return;
        ProgramStep step;
        if (a.kind == Operand::Kind::Accumulator) {
            step.op = UnaryOp(operation, 0);
        } else {
            SpillAccumulator();
            step.op = UnaryOp(operation, 1);
            step.a = a;
        }
        p.steps.push_back(step);
        stack.back() = Computed(number);
    }

    void Binary(Operation operation) {
        const Operand b = stack.back();
        stack.pop_back();
        const Operand a = stack.back();
        stack.pop_back();
        if (a.kind == Operand::Kind::Constant && b.kind == Operand::Kind::Constant) {
            Push(Constant(Fold(operation, p.constants[a.index], p.constants[b.index])));
            p.folds.push_back({stack.back().index, a.index, b.index, operation});
            return;
        }
        const uint32_t number = Number(operation, a, b);
        stack.emplace_back();
        if (Reused(number, stack.back()))
            return;
        stack.pop_back();
        ProgramStep step;
        step.a = a;
        step.b = b;
        // x^n with a constant integer n has a cheaper way to pow's bits.
        const bool integerPower = operation == Operation::Pow &&
                                  b.kind == Operand::Kind::Constant &&
                                  IsPowerExponent(p.constants[b.index], step.exponent);
        if (a.kind == Operand::Kind::Accumulator) {
            step.op = !integerPower ? BinaryOp(operation, 0)
                      : step.exponent == 2 ? Op::SquareA
                                           : Op::PowIntA;
        } else if (b.kind == Operand::Kind::Accumulator) {
            step.op = BinaryOp(operation, 1);
        } else {
            SpillAccumulator();
            step.op = !integerPower ? BinaryOp(operation, 2)
                      : step.exponent == 2 ? Op::SquareM
                                           : Op::PowIntM;
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
    uint32_t Number(Operation operation, const Operand& a, const Operand& b) {
        auto key = [&](const Operand& o) -> std::pair<int, uint64_t> {
            switch (o.kind) {
            case Operand::Kind::Constant: {
                // A folded constant stands for the operations it came from,
                // which another constant of the same bits need not share
                // over the reals (1/0 and exp(1000) are both +inf): such a
                // constant is never taken for another.
                for (const FoldedConstant& fold : p.folds)
                    if (fold.result == o.index)
                        return {4, o.index};
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
            std::make_tuple(operation, aKind, aValue, bKind, bValue),
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
        in.exponent = step.exponent;
        in.a = Address(p, step.a);
        in.b = Address(p, step.b);
        if (step.op == Op::Spill)
            in.dst = &p.registers[step.dst];
    }
    p.direct = p.code.size() == 2 && p.code[0].op == Op::Load ? p.code[0].a : nullptr;
}

using State = Expression::Program::State;

// Broken unless the stack holds the `count` values an operation takes.
State Need(const Linker& linker, size_t count) {
    return linker.Depth() >= count ? State::Linked : State::Broken;
}

// A call of a function: a builtin becomes its operation, or its value when
// it takes no arguments. Unresolved when the table has no such function,
// ByToken when its callback is not a builtin's.
State LinkCall(Linker& linker, const SymbolTable& symbols, const Token& token) {
    const Symbol* symbol = symbols.FindFunction(token.text);
    if (!symbol || symbol->kind != SymbolKind::Function || !symbol->function)
        return State::Unresolved;
    const BuiltinInfo* builtin = FindBuiltin(symbol->function);
    if (!builtin)
        return State::ByToken;
    if (Need(linker, builtin->arity) != State::Linked)
        return State::Broken;
    if (builtin->arity == 0)
        linker.PushConstant(builtin->constant);
    else if (builtin->arity == 1)
        linker.Unary(builtin->operation);
    else
        linker.Binary(builtin->operation);
    return State::Linked;
}

// An operator. Parentheses and commas left in the postfix array do
// nothing; "=" anywhere but at the end, or an unknown operator, can never
// be evaluated.
State LinkOperator(Linker& linker, OperatorCode op) {
    switch (op) {
    case OperatorCode::Power:
    case OperatorCode::Multiply:
    case OperatorCode::Divide:
    case OperatorCode::Add:
    case OperatorCode::Subtract:
        if (Need(linker, 2) != State::Linked)
            return State::Broken;
        linker.Binary(BinaryOperation(op));
        return State::Linked;
    case OperatorCode::UnaryPlus:
        return Need(linker, 1);
    case OperatorCode::UnaryMinus:
        if (Need(linker, 1) != State::Linked)
            return State::Broken;
        linker.Unary(Operation::Neg);
        return State::Linked;
    case OperatorCode::OpenParen:
    case OperatorCode::CloseParen:
    case OperatorCode::Comma:
        return State::Linked;
    default:
        return State::Broken;
    }
}

// One postfix token into the linker: Linked when it went in, else the state
// the program is left in.
State LinkToken(Linker& linker, SymbolTable& symbols, const Token& token) {
    switch (token.kind) {
    case TokenKind::Identifier: {
        Symbol* symbol = symbols.FindVariable(token.text);
        if (!symbol)
            return State::Unresolved;
        linker.PushVariable(&symbol->value);
        return State::Linked;
    }
    case TokenKind::Number:
        linker.PushConstant(token.number);
        return State::Linked;
    case TokenKind::FunctionCall:
        return LinkCall(linker, symbols, token);
    case TokenKind::Operator:
        return LinkOperator(linker, token.op);
    default:
        return State::Broken;
    }
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
    p.folds.clear();
    p.code.clear();
    p.blockCode.clear(); // made again for the new steps
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
        p.folds.clear();
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

const Expression::Program* Expression::LinkedProgram() {
    using State = Program::State;
    if (!program) {
        program.reset(new (std::nothrow) Program);
        if (!program)
            return nullptr;
    }
    Program& p = *program;
    const bool stale = p.state == State::Unresolved && p.generation != symbols->Generation();
    if (p.state == State::Unlinked || stale) {
        try {
            Link();
        } catch (const std::bad_alloc&) {
            p.state = State::Unlinked;
            return nullptr;
        }
    }
    return p.state == State::Linked ? &p : nullptr;
}

// One walk over the postfix tokens to run, feeding the linker; false (with
// the state set) when the evaluation cannot succeed now.
bool Expression::LinkPass(Linker& linker, uint32_t first, uint32_t last) {
    using State = Program::State;
    Program& p = *program;
    for (uint32_t i = first; i < last; ++i) {
        // The evaluation stack would overflow before this token.
        const State state = linker.Depth() >= ValueStackSize
                                ? State::Broken
                                : LinkToken(linker, *symbols, postfix[i]);
        if (state != State::Linked) {
            p.state = state;
            return false;
        }
    }
    if (linker.Depth() == 0) {
        p.state = State::Broken;
        return false;
    }
    return true;
}
