// The eighteen builtin functions of the calculator language.
#pragma once

#include "expr/symbols.h"

struct BuiltinInfo {
    const char* name;
    int arity; // 0, 1 or 2
    BuiltinFunction callback;
    double (*unary)(double);          // the math function of a 1-argument builtin
    double (*binary)(double, double); // the math function of a 2-argument builtin
    double constant;                  // the value of a 0-argument builtin
};

// The builtins in registration order.
extern const BuiltinInfo kBuiltins[];
extern const int kBuiltinCount;

// Registers every builtin in `table` in order; a second call changes nothing.
void RegisterBuiltins(SymbolTable& table);

// The builtin whose callback is `callback`, or null for any other callback.
const BuiltinInfo* FindBuiltin(BuiltinFunction callback);
