// Relations: two or more expressions of the calculator language joined by
// =, <, <=, >, >=, over the two variables x and y. A chain such as
// 0<=y<sqrt(x) holds where every neighbouring pair holds.
//
// Each neighbouring pair "L op R" is kept as the difference L - R compiled
// once, so that the pair holds where the difference compares with 0 as op
// says (both sides defined). Its interval form (expr/interval_program.h) is
// what the cell decisions run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "expr/expression.h"
#include "expr/interval_program.h"
#include "expr/symbols.h"
#include "plot/parameters.h"

enum class Comparison : uint8_t { Equal, Less, LessEqual, Greater, GreaterEqual };

// The sides and comparisons of a relation's text, in order: sides.size() is
// comparisons.size() + 1. The sides are views into the text.
struct RelationText {
    std::vector<std::string_view> sides;
    std::vector<Comparison> comparisons;
};

// Whether `text` has a comparison character (=, < or >) anywhere.
bool HasComparison(std::string_view text);
// Splits `text` at its comparisons: "<=" and ">=" are one comparison each,
// any other run of comparison characters ("==", "=<", "<>") is refused. False
// when the text holds no comparison or a side is blank.
bool SplitRelation(std::string_view text, RelationText& out);

// Whether a text reads as an assignment of the language: a name, "=", and
// an expression after it, with no other comparison. Such a text has always
// been an equation's curve (the value after the "="), and stays one.
bool IsAssignmentText(std::string_view text);

class CompiledRelation {
public:
    // Compiles a relation's text: each side must compile and evaluate at
    // x = y = 0 as a curve's text must at x = 0 (unknown names, misplaced
    // operators and the like refuse it); the parameters are variables of
    // its table beside x and y. Null when it is refused, when it is no
    // relation, or when memory runs out.
    static std::unique_ptr<CompiledRelation> Compile(std::string_view text,
                                                     const Parameters& parameters = {});
    // The relation y = f(x) of a curve's text: the text's value, or for an
    // assignment "name = f" the value after the "=". Null when it does not
    // compile.
    static std::unique_ptr<CompiledRelation> FromCurve(std::string_view text,
                                                       const Parameters& parameters = {});
    // The same relation with a table and programs of its own, for another
    // thread; null when memory runs out.
    std::unique_ptr<CompiledRelation> Copy() const;

    CompiledRelation(const CompiledRelation&) = delete;
    CompiledRelation& operator=(const CompiledRelation&) = delete;

    // As CompiledCurve::SetParameter: the value in the table, read by the
    // interval programs at their next evaluation. Never touches x or y.
    bool SetParameter(std::string_view name, double value);

    // The number of comparisons (one fewer than the sides).
    size_t Count() const { return comparisons.size(); }
    Comparison ComparisonAt(size_t i) const { return comparisons[i]; }
    // An equation has at least one "="; its cells are painted where it holds
    // somewhere. A relation of inequalities only has throughout cells too.
    bool IsEquation() const;

    // Pair i's difference (left side minus right side) over the box.
    IntervalProgram& Difference(size_t i) { return differences[i]->program; }
    // Pair i's difference at one point, in doubles (for tests and sampling);
    // false when the evaluation fails.
    bool DifferenceAt(size_t i, double x, double y, double& value);

    const std::string& Text() const { return text; }

private:
    CompiledRelation() = default;
    bool Prepare(); // builds the interval programs over x and y

    struct Pair {
        explicit Pair(SymbolTable& table) : expression(table) {}
        Expression expression;
        IntervalProgram program;
    };
    std::string text;
    SymbolTable table;
    double* x = nullptr;
    double* y = nullptr;
    std::vector<Comparison> comparisons;
    std::vector<std::unique_ptr<Pair>> differences;
};
