// The equations of a graph compiled once: the Plot command's checks compile
// them, and the render, the SVG writer, the points of interest, the pointer
// values and the values and integrals all run what the checks compiled.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "expr/expression.h"
#include "expr/symbols.h"
#include "plot/graph_style.h"
#include "plot/parameters.h"
#include "plot/relation.h"

// One equation compiled over a symbol table of its own that holds the
// builtins and the plotted variable. Each curve has its own table, so that
// an assignment in one equation ("a = x") makes no name for another, as the
// Plot command's check has always seen them; values to bind into every
// curve (named parameters) go into each curve's table beside the variable.
//
// Evaluating changes the table and the program's registers: a curve serves
// one thread at a time, and Copy gives another thread a curve of its own.
class CompiledCurve {
public:
    // Compiles `text` over a table with the builtins and `variable` ("x" or
    // "t") at 0; with an empty `variable` the table holds no variable, and a
    // value of the curve's own stands in for it when the curve is sampled.
    // The parameters are variables of the table beside it, at their values.
    // Null when the text does not compile (or memory runs out).
    static std::unique_ptr<CompiledCurve> Compile(std::string_view text,
                                                  std::string_view variable,
                                                  const Parameters& parameters = {});
    // A curve computing the same bits, with a table and a program of its own,
    // made without compiling (see Expression's copying constructor); null
    // when memory runs out. Extensions are not copied: the copy makes its own
    // on first use.
    std::unique_ptr<CompiledCurve> Copy() const;

    CompiledCurve(const CompiledCurve&) = delete;
    CompiledCurve& operator=(const CompiledCurve&) = delete;

    // Sets the variable to v, clears the result and evaluates: the result,
    // 0 when the evaluation fails.
    double At(double v) {
        *variable = v;
        expression.result = 0.0;
        expression.Evaluate();
        return expression.result;
    }

    // Gives the parameter `name` the value `value` in the table (adding it
    // when the curve was compiled without it), without compiling: the
    // program reads it where it lives. Never touches the plotted variable.
    // False when memory runs out.
    bool SetParameter(std::string_view name, double value);

    Expression& Program() { return expression; }
    // The plotted variable's value in the table (or the stand-in).
    double& Variable() { return *variable; }
    // The table's name of the plotted variable; empty when there is none.
    const std::string& VariableName() const { return variableName; }

    // A form another layer derives from the compiled program (the analysis's
    // exact slopes; later an interval form), made on first use and dropped
    // with the curve.
    struct Extension {
        virtual ~Extension() = default;
    };
    std::unique_ptr<Extension> extension;

private:
    CompiledCurve() = default;

    SymbolTable table;
    Expression expression{table};
    std::string variableName;
    double standIn = 0.0;
    double* variable = &standIn;
};

// The accepted equations of a graph, compiled for its mode's variable: slot
// i's curve, null for an empty slot. Shared (by reference counting) between
// the window's model and the Analysis window, on the window's thread only.
struct CompiledGraph {
    std::array<std::unique_ptr<CompiledCurve>, 8> curves;
    // Slot i's relation when its text is one (Rectangular mode only); the
    // slot then has no curve.
    std::array<std::unique_ptr<CompiledRelation>, 8> relations;
    // The parameters every curve and relation was compiled with, at the
    // values their tables hold.
    Parameters parameters;

    // Sets a parameter's value in this list and in every curve's and
    // relation's table, adding it where it is new; nothing is compiled, so
    // whatever runs the programs next sees the value. Copies made before
    // keep the value they were made with. False when memory runs out (the
    // value may then be set in some tables only).
    bool SetParameter(std::string_view name, double value);

    // Copies of the curves for another thread, made without compiling; a
    // curve that cannot be copied (no memory) is null in the copy.
    std::unique_ptr<CompiledGraph> Copy() const;
};

// The eight equation slots in order; an empty text is an empty slot.
using EquationSlots = std::array<std::string, 8>;

// Whether Rectangular mode takes `text` as a relation: it has a comparison
// and is not an assignment of the language that the Plot command's check of
// a curve accepts. "y = x^2" and "a = x" stay the curves they have always
// been; "x = y^2" and "1 = 1", which no curve ever drew, are relations.
// Parameters are names a curve may use.
bool IsRelationText(std::string_view text, const Parameters& parameters = {});

// The relation slot `slot` of a graph of `mode` is decided as, for the
// caller to own: a copy of the slot's relation, or, with the style's Exact
// curves in Rectangular mode, its curve's text as the relation y = f(x).
// The graph's parameters are the relation's. Null when the slot needs no
// decision (or memory runs out).
std::unique_ptr<CompiledRelation> SlotRelation(const CompiledGraph& graph,
                                               const EquationSlots& slots, const GraphStyle& style,
                                               int32_t mode, size_t slot);

// The variable the equations of `mode` are compiled for: "x" in Rectangular
// mode, "t" in Parametric and Polar mode, none for any other value.
std::string_view ModeVariable(int32_t mode);
