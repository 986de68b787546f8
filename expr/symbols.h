// Variables and functions an expression is evaluated against.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// Callback of a function symbol. Pops its own arguments by moving *stackTop
// down (the first written argument is the deepest), stores the value in
// *result and returns true; returns false, changing nothing, when the stack
// holds fewer values than it needs. stackTop points one past the topmost value.
using BuiltinFunction = bool (*)(double* result, double* stackBase, double** stackTop);

enum class SymbolKind : int32_t { Variable = 0, Function = 1 };

struct Symbol {
    SymbolKind kind = SymbolKind::Variable;
    std::string name;
    double value = 0.0;                 // a variable's value; 0 for functions
    BuiltinFunction function = nullptr; // a function's callback; null for variables
};

// Two ordered, case-sensitive maps: variables and functions. Entries are
// never removed while the table lives, so a Symbol's address is stable and
// compiled expressions may keep pointers to it.
class SymbolTable {
public:
    using Map = std::map<std::string, Symbol, std::less<>>;

    SymbolTable() = default;
    SymbolTable(const SymbolTable&) = delete;
    SymbolTable& operator=(const SymbolTable&) = delete;

    // Replaces the value of an existing variable or adds a new one; false
    // (nothing changes) when `name` is a function and not a variable.
    bool SetVariable(std::string_view name, double value);

    // Stores the variable's value and returns true; stores 0 and returns false
    // when there is no such variable (functions are not consulted).
    bool GetVariable(std::string_view name, double& value) const;

    // Adds a function; a name already registered keeps its first callback.
    void AddFunction(std::string_view name, BuiltinFunction callback);

    // Sets result to 0, then runs the named function's callback on the stack
    // and returns its answer; false (stack untouched) when there is no such
    // function or it has no callback.
    bool CallFunction(std::string_view name, double* stackBase, double*& stackTop,
                      double& result) const;

    // The symbol of a variable or function, or null; the pointer stays valid
    // as long as the table.
    Symbol* FindVariable(std::string_view name);
    const Symbol* FindFunction(std::string_view name) const;

    // Number of SetVariable calls that created a variable; lets compiled
    // expressions notice cheaply that a name they could not find may exist now.
    uint64_t Generation() const { return generation; }

    const Map& Variables() const { return variables; }
    const Map& Functions() const { return functions; }

private:
    Map variables;
    Map functions;
    uint64_t generation = 0;
};
