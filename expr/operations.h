// The operations a linked program performs: the operators of the language
// and the builtin functions, listed once. Every interpreter of a linked
// program (the accumulator machine, the block form, the slopes, the
// intervals) and the builtin table are generated from these lists, and each
// list entry names a struct of expr/operation_rules.h holding everything
// about the operation: its name, its value, its slope rule, its interval
// rule. A builtin added here without all of them does not compile.
#pragma once

#include <cstdint>

// The operators: "-" before a value, and the binary arithmetic.
#define ORVANTA_UNARY_OPERATORS(X) X(Neg)
#define ORVANTA_BINARY_OPERATORS(X) X(Add) X(Sub) X(Mul) X(Div) X(Pow)

// The builtins in registration order, by the number of arguments they take:
// one (UNARY), two (BINARY) or none (CONSTANT, which the linker reads as a
// number).
#define ORVANTA_BUILTINS(UNARY, BINARY, CONSTANT)                                                 \
    UNARY(Abs) UNARY(Floor) UNARY(Ceil) BINARY(Mod) UNARY(Sqrt) UNARY(Log) UNARY(Exp)             \
    UNARY(Sin) UNARY(Cos) UNARY(Tan) UNARY(ArcSin) UNARY(ArcCos) UNARY(ArcTan) BINARY(ArcTan2)    \
    UNARY(Sinh) UNARY(Cosh) UNARY(Tanh) CONSTANT(Pi)

#define ORVANTA_NOTHING(name)

// The operations of one operand, then those of two: operators first.
#define ORVANTA_UNARY_OPERATIONS(X)                                                               \
    ORVANTA_UNARY_OPERATORS(X) ORVANTA_BUILTINS(X, ORVANTA_NOTHING, ORVANTA_NOTHING)
#define ORVANTA_BINARY_OPERATIONS(X)                                                              \
    ORVANTA_BINARY_OPERATORS(X) ORVANTA_BUILTINS(ORVANTA_NOTHING, X, ORVANTA_NOTHING)

#define ORVANTA_ENUMERATOR(name) name,
enum class Operation : uint8_t {
    ORVANTA_UNARY_OPERATIONS(ORVANTA_ENUMERATOR) ORVANTA_BINARY_OPERATIONS(ORVANTA_ENUMERATOR)
};
#undef ORVANTA_ENUMERATOR

#define ORVANTA_COUNT(name) +1
inline constexpr int kUnaryOperations = 0 ORVANTA_UNARY_OPERATIONS(ORVANTA_COUNT);
inline constexpr int kBinaryOperations = 0 ORVANTA_BINARY_OPERATIONS(ORVANTA_COUNT);
#undef ORVANTA_COUNT

// Unary operations come first in Operation.
constexpr bool IsUnary(Operation operation) {
    return static_cast<int>(operation) < kUnaryOperations;
}
