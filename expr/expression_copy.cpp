// Copying a compiled expression to another symbol table: the tokens as they
// are, and the linked program with its addresses moved to the copy.
#include <cstdint>
#include <map>
#include <string>
#include <new>

#include "expr/expression.h"
#include "expr/program.h"

namespace {

using Program = Expression::Program;

// Moves the addresses of a linked program from its source to a copy: those
// into the source's registers and constants to the same places in the
// copy's, and those of the source table's variables to the variables of the
// same names in the copy's table.
class Rebase {
public:
    Rebase(const Program& from, Program& to, const SymbolTable& fromTable, SymbolTable& toTable)
        : from(from), to(to), toTable(toTable) {
        for (const auto& [name, symbol] : fromTable.Variables())
            names.emplace(&symbol.value, &name);
    }

    // False once an address had no place in the copy.
    bool Ok() const { return ok; }

    const double* operator()(const double* address) {
        if (!address)
            return nullptr;
        if (const double* moved = Within(address, from.registers, to.registers))
            return moved;
        if (const double* moved = Within(address, from.constants, to.constants))
            return moved;
        const auto name = names.find(address);
        Symbol* symbol = name == names.end() ? nullptr : toTable.FindVariable(*name->second);
        ok = ok && symbol;
        return symbol ? &symbol->value : nullptr;
    }

    double* Register(double* address) {
        const double* moved = Within(address, from.registers, to.registers);
        ok = ok && (moved || !address);
        return const_cast<double*>(moved);
    }

private:
    static const double* Within(const double* address, const std::vector<double>& source,
                                const std::vector<double>& target) {
        // Compared as integers: the address may belong to another object.
        const auto a = reinterpret_cast<uintptr_t>(address);
        const auto begin = reinterpret_cast<uintptr_t>(source.data());
        const auto end = reinterpret_cast<uintptr_t>(source.data() + source.size());
        if (source.empty() || a < begin || a >= end)
            return nullptr;
        return target.data() + (address - source.data());
    }

    const Program& from;
    Program& to;
    SymbolTable& toTable;
    std::map<const double*, const std::string*> names;
    bool ok = true;
};

// The copy of a linked program over `toTable`, without its block form (the
// next series builds it again); null when a variable it reads is missing
// from `toTable`.
std::unique_ptr<Program> CopyLinked(const Program& from, const SymbolTable& fromTable,
                                    SymbolTable& toTable) {
    auto to = std::make_unique<Program>();
    to->state = Program::State::Linked;
    to->generation = toTable.Generation();
    to->steps = from.steps;
    to->constants = from.constants;
    to->folds = from.folds;
    to->registerCount = from.registerCount;
    to->registers = from.registers;
    to->code = from.code;
    to->assignment = from.assignment;
    Rebase rebase(from, *to, fromTable, toTable);
    for (ProgramStep& step : to->steps)
        for (Operand* operand : {&step.a, &step.b})
            if (operand->kind == Operand::Kind::Variable)
                operand->var = rebase(operand->var);
    for (ProgramInstr& instr : to->code) {
        instr.a = rebase(instr.a);
        instr.b = rebase(instr.b);
        instr.dst = rebase.Register(instr.dst);
    }
    to->direct = rebase(from.direct);
    if (from.target) {
        to->target = toTable.FindVariable(from.target->name);
        if (!to->target)
            return nullptr;
    }
    return rebase.Ok() ? std::move(to) : nullptr;
}

} // namespace

void Expression::CopyCompiled(const Expression& source) {
    if (&source == this)
        return;
    program.reset();
    try {
        infix = source.infix;
        postfix = source.postfix;
        infixCount = source.infixCount;
        postfixCount = source.postfixCount;
        result = source.result;
        if (source.program && source.program->state == Program::State::Linked)
            program = CopyLinked(*source.program, *source.symbols, *symbols);
    } catch (const std::bad_alloc&) {
        // Without the program the copy links on its first evaluation; without
        // the tokens it is an expression that never evaluates.
        if (postfix.size() != source.postfix.size() || infix.size() != source.infix.size()) {
            infix.clear();
            postfix.clear();
            infixCount = postfixCount = 0;
        }
        program.reset();
    }
}
