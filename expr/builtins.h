// The eighteen builtin functions of the calculator language: the runtime
// table generated from the list in expr/operations.h.
#pragma once

#include "expr/operations.h"
#include "expr/symbols.h"

struct BuiltinInfo {
    const char* name;
    int arity; // 0, 1 or 2
    BuiltinFunction callback;
    // The linked program's operation for a builtin that takes arguments,
    // whose value and slope rules every interpreter applies
    // (expr/operation_rules.h); a constant is a number to the linker and
    // leaves this at the first operation, unread.
    Operation operation;
    double constant; // the value of a 0-argument builtin
};

// The builtins in registration order.
extern const BuiltinInfo kBuiltins[];
extern const int kBuiltinCount;

// Registers every builtin in `table` in order; a second call changes nothing.
void RegisterBuiltins(SymbolTable& table);

// The builtin whose callback is `callback`, or null for any other callback.
const BuiltinInfo* FindBuiltin(BuiltinFunction callback);
