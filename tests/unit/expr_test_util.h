// Helpers shared by the expression engine tests.
#pragma once

#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "expr/builtins.h"
#include "expr/expression.h"

// A table with the builtins, as every user of the engine makes it.
struct BuiltinTable : SymbolTable {
    BuiltinTable() { RegisterBuiltins(*this); }
};

// Compiles and evaluates `text` in `table`; nullopt when either step fails.
inline std::optional<double> Calc(SymbolTable& table, const std::string& text) {
    Expression e(table);
    if (!e.Compile(text))
        return std::nullopt;
    e.result = 0;
    if (!e.Evaluate())
        return std::nullopt;
    return e.result;
}

inline std::optional<double> Calc(const std::string& text) {
    BuiltinTable table;
    return Calc(table, text);
}

// The same value to the last bit. NaNs count as one value: their sign and
// payload follow the order in which the compiler puts the operands of a
// commutative instruction, which C++ leaves open.
inline bool SameBits(double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}
