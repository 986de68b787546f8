// A compiled calculator expression: text -> infix tokens -> postfix tokens,
// evaluated on a value stack against a symbol table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "expr/symbols.h"
#include "expr/token.h"

// Tokens per text, the End token included.
inline constexpr uint32_t MaxTokens = 1024;
// Values the evaluation stack holds.
inline constexpr uint32_t ValueStackSize = 1024;

class Expression {
public:
    // The table must outlive every evaluation; it is not owned.
    explicit Expression(SymbolTable& symbols);
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // How many times Compile has run in this process, on any thread: the
    // measure of the compiling work a caller causes.
    static uint64_t CompileCount();

    // Tokenizes and converts `text`; false on any syntax error. After a false
    // result the expression must not be evaluated.
    bool Compile(std::string_view text);
    // Makes this expression a copy of `source`'s compiled form over its own
    // table, without reading the text again: the tokens, and the linked
    // program with every variable it reads moved to the variable of the same
    // name in this table and with registers of its own. The copy computes the
    // same bits as `source` and shares no state with it, so the two may run
    // on different threads. When this table lacks a name the program reads,
    // or memory runs out, the copy links again on its first evaluation (and
    // without memory for the tokens it never evaluates).
    void CopyCompiled(const Expression& source);
    // Fills the infix array from `text`; false on an invalid byte, a bad
    // number or name, or too many tokens.
    bool Tokenize(std::string_view text);
    // Fills the postfix array from the infix array; false on a misplaced "=",
    // an unmatched ")" or ",", or an empty group.
    bool ToPostfix();

    // Runs the postfix array. True: `result` holds the value (for an
    // assignment, the assigned value, which is also stored in the table).
    // False: `result` is unchanged, except when an assignment to a function
    // name is refused after the value was computed.
    bool Evaluate();

    // Evaluates once per value, exactly as this loop would:
    //     variable = values[i]; result = 0; ok = Evaluate();
    //     results[i] = ok ? result : 0;
    // but runs each operation over a block of samples at a time when that
    // gives the same values and the same table afterwards (the usual case
    // for a plotted curve). `variable` is normally a variable's value in this
    // expression's table. Returns how many evaluations succeeded.
    size_t EvaluateSeries(double& variable, const double* values, double* results, size_t count);

    // The same evaluation done token by token with map look-ups and the
    // function callbacks, without the linked fast path. Slow; it is the
    // reference the fast path is held to.
    bool EvaluateByToken();

    // The last evaluation result; 0 after Compile.
    double result = 0.0;

    SymbolTable& Symbols() const { return *symbols; }
    const Token* Infix() const { return infix.data(); }
    uint32_t InfixCount() const { return infixCount; }
    const Token* Postfix() const { return postfix.data(); }
    uint32_t PostfixCount() const { return postfixCount; }

    // The linked form of the postfix array (internal to the engine).
    struct Program;

    // The linked form, linking it first when needed, for engines that run
    // the same steps over another number type. Null when the text cannot run
    // linked (a missing name, a callback that is not a builtin, a malformed
    // postfix array, or no memory). Owned by the expression; valid until the
    // next Compile or ToPostfix.
    const Program* LinkedProgram();

private:

    bool Link();
    bool LinkPass(class Linker& linker, uint32_t first, uint32_t last);
    bool EvaluateToken(const Token& token, double* stackBase, double*& top);
    bool Assign(double value);

    SymbolTable* symbols;
    std::vector<Token> infix;
    std::vector<Token> postfix;
    uint32_t infixCount = 0;
    uint32_t postfixCount = 0;

    std::unique_ptr<Program> program;       // the linked form of `postfix`
    std::unique_ptr<double[]> valueStack;   // ValueStackSize values, reused
};
