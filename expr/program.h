// The linked form of a postfix array. Names are resolved to the addresses of
// their values in the table, builtins to their math functions, operations on
// constants alone are done once here (with the same functions), and the rest
// becomes code for an accumulator machine: the value most recently computed
// stays in a register, the other operands are read where they live (a
// constant in the program, a variable in the table, or a value the code set
// aside). The code performs exactly the operations of the postfix array on
// exactly the same operands in the same order, so every value is the same to
// the last bit; a power with a constant integer exponent is computed by
// integer_power.h, which gives pow's bits.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "expr/expression.h"

// Unary operations u and binary operations b, each in several operand modes:
//   A:  acc = u(acc)           M:  acc = u(*a)
//   M:  acc = acc b *b         R:  acc = *a b acc        MM: acc = *a b *b
// PowInt is "^" with a constant integer exponent that integer_power.h
// computes (acc = acc^n, acc = (*a)^n); Square is PowInt with n = 2, the
// common case, with handlers of its own.
// The list is written once, here, and expanded both into the enumeration
// and into the interpreter's handlers, so the two cannot disagree.
#define ORVANTA_BINARY_MODES(X, NAME) X(NAME##M) X(NAME##R) X(NAME##MM)
#define ORVANTA_PROGRAM_OPS(X)                                                           \
    X(Stop)  /* the value is in acc */                                                   \
    X(Load)  /* acc = *a */                                                              \
    X(Spill) /* *dst = acc */                                                            \
    X(NegA) X(SqrtA) X(AbsA) X(Call1A)                                                   \
    X(NegM) X(SqrtM) X(AbsM) X(Call1M)                                                   \
    ORVANTA_BINARY_MODES(X, Add) ORVANTA_BINARY_MODES(X, Sub)                            \
    ORVANTA_BINARY_MODES(X, Mul) ORVANTA_BINARY_MODES(X, Div)                            \
    ORVANTA_BINARY_MODES(X, Pow) ORVANTA_BINARY_MODES(X, Call2)                          \
    X(PowIntA) X(PowIntM) X(SquareA) X(SquareM)

#define ORVANTA_ENUMERATOR(name) name,
enum class ProgramOp : uint8_t { ORVANTA_PROGRAM_OPS(ORVANTA_ENUMERATOR) };
#undef ORVANTA_ENUMERATOR

inline constexpr int kUnaryOps = 4;  // Neg, Sqrt, Abs, Call1
inline constexpr int kBinaryOps = 6; // Add, Sub, Mul, Div, Pow, Call2

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
    double (*f1)(double) = nullptr;
    double (*f2)(double, double) = nullptr;
};

// A step with its operands resolved to addresses.
struct ProgramInstr {
    ProgramOp op = ProgramOp::Stop;
    int32_t exponent = 0; // PowInt's n
    const double* a = nullptr;
    const double* b = nullptr;
    double* dst = nullptr;
    union {
        double (*f1)(double);
        double (*f2)(double, double);
    };
    ProgramInstr() : f1(nullptr) {}
};

// Operations of the block form: each writes an array of values, dst[i] for
// every sample i of a block. Operands are arrays (A) or single values (S)
// such as constants, variables other than the sampled one, and hoisted
// values; Fill copies a single value into every element.
#define ORVANTA_BLOCK_BINARY(X, NAME) X(NAME##AA) X(NAME##AS) X(NAME##SA)
#define ORVANTA_BLOCK_OPS(X)                                                             \
    X(Stop) X(Fill) X(Neg) X(Sqrt) X(Abs) X(Call1)                                       \
    ORVANTA_BLOCK_BINARY(X, Add) ORVANTA_BLOCK_BINARY(X, Sub)                            \
    ORVANTA_BLOCK_BINARY(X, Mul) ORVANTA_BLOCK_BINARY(X, Div)                            \
    ORVANTA_BLOCK_BINARY(X, Pow) ORVANTA_BLOCK_BINARY(X, Call2)                          \
    X(PowInt)

#define ORVANTA_ENUMERATOR(name) name,
enum class BlockOp : uint8_t { ORVANTA_BLOCK_OPS(ORVANTA_ENUMERATOR) };
#undef ORVANTA_ENUMERATOR

struct BlockInstr {
    BlockOp op = BlockOp::Stop;
    int32_t exponent = 0; // PowInt's n
    double* dst = nullptr;
    const double* a = nullptr;
    const double* b = nullptr;
    union {
        double (*f1)(double);
        double (*f2)(double, double);
    };
    BlockInstr() : f1(nullptr) {}
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

// The arithmetic of the binary operators, written once for the linker's
// folding of constants, the interpreter and the block loops.
namespace arithmetic {
inline double Add(double x, double y) { return x + y; }
inline double Sub(double x, double y) { return x - y; }
inline double Mul(double x, double y) { return x * y; }
inline double Div(double x, double y) { return x / y; }
inline double Pow(double x, double y) { return std::pow(x, y); }
} // namespace arithmetic
