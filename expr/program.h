// The linked form of a postfix array. Names are resolved to the addresses of
// their values in the table, builtins to their operations, operations on
// constants alone are done once here (with the same functions), and the rest
// becomes code for an accumulator machine: the value most recently computed
// stays in a register, the other operands are read where they live (a
// constant in the program, a variable in the table, or a value the code set
// aside). The code performs exactly the operations of the postfix array on
// exactly the same operands in the same order, so every value is the same to
// the last bit; a power with a constant integer exponent is computed by
// integer_power.h, which gives pow's bits.
#pragma once

#include <cstdint>
#include <vector>

#include "expr/expression.h"
#include "expr/operations.h"

// The instructions: every operation of expr/operations.h in each of its
// operand modes, unary ones u and binary ones b:
//   A:  acc = u(acc)           M:  acc = u(*a)
//   M:  acc = acc b *b         R:  acc = *a b acc        MM: acc = *a b *b
// PowInt is "^" with a constant integer exponent that integer_power.h
// computes (acc = acc^n, acc = (*a)^n); Square is PowInt with n = 2, the
// common case, with handlers of its own.
// The list is expanded into the enumeration and into every interpreter's
// handlers (X for the instructions of their own, UNARY and BINARY for each
// operation in all its modes), so none of them can miss one.
#define ORVANTA_PROGRAM_OPS(X, UNARY, BINARY)                                                    \
    X(Stop)  /* the value is in acc */                                                          \
    X(Load)  /* acc = *a */                                                                     \
    X(Spill) /* *dst = acc */                                                                   \
    ORVANTA_UNARY_OPERATIONS(UNARY) ORVANTA_BINARY_OPERATIONS(BINARY)                           \
    X(PowIntA) X(PowIntM) X(SquareA) X(SquareM)

#define ORVANTA_ENUMERATOR(name) name,
#define ORVANTA_UNARY_ENUMERATORS(name) name##A, name##M,
#define ORVANTA_BINARY_ENUMERATORS(name) name##M, name##R, name##MM,
enum class ProgramOp : uint8_t {
    ORVANTA_PROGRAM_OPS(ORVANTA_ENUMERATOR, ORVANTA_UNARY_ENUMERATORS, ORVANTA_BINARY_ENUMERATORS)
};

// Operations of the block form: each writes an array of values, dst[i] for
// every sample i of a block. Operands are arrays (A) or single values (S)
// such as constants, variables other than the sampled one, and hoisted
// values; Fill copies a single value into every element. A unary operation
// reads an array; a binary one two arrays (AA) or an array and a single
// value (AS, SA).
#define ORVANTA_BLOCK_OPS(X, UNARY, BINARY)                                                      \
    X(Stop) X(Fill) ORVANTA_UNARY_OPERATIONS(UNARY) ORVANTA_BINARY_OPERATIONS(BINARY) X(PowInt)

#define ORVANTA_BLOCK_BINARY_ENUMERATORS(name) name##AA, name##AS, name##SA,
enum class BlockOp : uint8_t {
    ORVANTA_BLOCK_OPS(ORVANTA_ENUMERATOR, ORVANTA_ENUMERATOR, ORVANTA_BLOCK_BINARY_ENUMERATORS)
};
#undef ORVANTA_ENUMERATOR
#undef ORVANTA_UNARY_ENUMERATORS
#undef ORVANTA_BINARY_ENUMERATORS
#undef ORVANTA_BLOCK_BINARY_ENUMERATORS

// Where the modes of each operation lie in the lists above: two per unary
// operation after Stop, Load and Spill, three per binary one after those.
inline constexpr int kFirstUnaryOp = 3;
inline constexpr int kFirstBinaryOp = kFirstUnaryOp + 2 * kUnaryOperations;
// Unary operand modes: 0 = A, 1 = M. Binary ones: 0 = M, 1 = R, 2 = MM.
constexpr ProgramOp UnaryOp(Operation operation, int mode) {
    return static_cast<ProgramOp>(kFirstUnaryOp + 2 * static_cast<int>(operation) + mode);
}
constexpr ProgramOp BinaryOp(Operation operation, int mode) {
    return static_cast<ProgramOp>(kFirstBinaryOp +
                                  3 * (static_cast<int>(operation) - kUnaryOperations) + mode);
}
// Whether an instruction is one of an operation's modes, which one, and in
// which mode.
constexpr bool IsOperation(ProgramOp op) {
    return static_cast<int>(op) >= kFirstUnaryOp &&
           static_cast<int>(op) < kFirstBinaryOp + 3 * kBinaryOperations;
}
constexpr Operation OperationOf(ProgramOp op) {
    const int i = static_cast<int>(op);
    return static_cast<Operation>(i < kFirstBinaryOp
                                      ? (i - kFirstUnaryOp) / 2
                                      : kUnaryOperations + (i - kFirstBinaryOp) / 3);
}
constexpr int ModeOf(ProgramOp op) {
    const int i = static_cast<int>(op);
    return i < kFirstBinaryOp ? (i - kFirstUnaryOp) % 2 : (i - kFirstBinaryOp) % 3;
}
static_assert(UnaryOp(Operation::Neg, 0) == ProgramOp::NegA);
static_assert(BinaryOp(Operation::Add, 2) == ProgramOp::AddMM);
static_assert(static_cast<int>(ProgramOp::PowIntA) == kFirstBinaryOp + 3 * kBinaryOperations);
static_assert(OperationOf(ProgramOp::SubR) == Operation::Sub && ModeOf(ProgramOp::SubR) == 1);

// The same for the block form: one op per unary operation after Stop and
// Fill, three per binary one (operands: 0 = AA, 1 = AS, 2 = SA).
constexpr BlockOp BlockUnaryOp(Operation operation) {
    return static_cast<BlockOp>(2 + static_cast<int>(operation));
}
constexpr BlockOp BlockBinaryOp(Operation operation, int operands) {
    return static_cast<BlockOp>(2 + kUnaryOperations +
                                3 * (static_cast<int>(operation) - kUnaryOperations) + operands);
}
static_assert(BlockUnaryOp(Operation::Neg) == BlockOp::Neg);
static_assert(BlockBinaryOp(Operation::Add, 2) == BlockOp::AddSA);
static_assert(static_cast<int>(BlockOp::PowInt) == 2 + kUnaryOperations + 3 * kBinaryOperations);

// Where an operand lives.
struct Operand {
    enum class Kind : uint8_t { Accumulator, Register, Constant, Variable };
    Kind kind = Kind::Accumulator;
    uint32_t index = 0;          // register or constant number
    const double* var = nullptr; // a variable's value in the table
    uint32_t number = 0;         // a computed value's number (0: none), for reuse
};

struct ProgramStep {
    ProgramOp op = ProgramOp::Stop;
    int32_t exponent = 0; // PowInt's n
    Operand a, b;
    uint32_t dst = 0; // the register a Spill writes
};

// A step with its operands resolved to addresses.
struct ProgramInstr {
    ProgramOp op = ProgramOp::Stop;
    int32_t exponent = 0; // PowInt's n
    const double* a = nullptr;
    const double* b = nullptr;
    double* dst = nullptr;
};

struct BlockInstr {
    BlockOp op = BlockOp::Stop;
    int32_t exponent = 0; // PowInt's n
    double* dst = nullptr;
    const double* a = nullptr;
    const double* b = nullptr;
};

// A constant the linker computed from other constants: constants[result]
// = operation(constants[a], constants[b]) (b unused for one operand), in
// doubles. Engines that compute over other number types redo these.
struct FoldedConstant {
    uint32_t result = 0, a = 0, b = 0;
    Operation operation = Operation::Neg;
};

struct Expression::Program {
    enum class State {
        Unlinked,   // not linked yet
        Linked,     // ready to run
        Unresolved, // a name was missing when the table had `generation`
        Broken,     // fails whatever the table holds (stack or operand errors)
        ByToken,    // uses a callback that is not a builtin: run token by token
    };
    State state = State::Unlinked;
    uint64_t generation = 0;

    std::vector<ProgramStep> steps;
    std::vector<double> constants;
    std::vector<FoldedConstant> folds; // in the order they were made
    uint32_t registerCount = 0;

    // The steps resolved against `registers` and `constants`.
    std::vector<ProgramInstr> code;
    std::vector<double> registers;
    const double* direct = nullptr; // the value itself when the code is only "Load"

    bool assignment = false;
    Symbol* target = nullptr; // the assignment target once it exists

    // Block form, for evaluating many samples of one variable at once. The
    // steps whose values do not depend on that variable form the prologue,
    // run once per series; it sets aside in `hoisted` the values that the
    // block code reads. The block code runs the other steps over arrays of
    // kBlock samples.
    static constexpr size_t kBlock = 64;
    const double* blockVariable = nullptr; // the sampled variable it was made for
    std::vector<ProgramInstr> prologue;    // ends with Stop; empty: nothing to hoist
    std::vector<double> hoisted;
    std::vector<BlockInstr> blockCode;     // ends with Stop
    std::vector<double> blockData;         // the samples, then the work arrays
    double* blockSamples = nullptr;
    const double* blockResult = nullptr;   // the array the block code leaves the values in
};

// Runs resolved accumulator instructions up to Stop and returns the
// accumulator.
double RunCode(const ProgramInstr* ip);
