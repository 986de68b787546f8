#include "plot/compiled_graph.h"

#include <new>

#include "expr/builtins.h"
#include "plot/plotter.h"

std::unique_ptr<CompiledCurve> CompiledCurve::Compile(std::string_view text,
                                                      std::string_view variable) {
    std::unique_ptr<CompiledCurve> curve(new (std::nothrow) CompiledCurve);
    if (!curve)
        return nullptr;
    try {
        RegisterBuiltins(curve->table);
        if (!variable.empty()) {
            curve->variableName = variable;
            curve->table.SetVariable(variable, 0.0);
            curve->variable = &curve->table.FindVariable(variable)->value;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!curve->expression.Compile(text))
        return nullptr;
    return curve;
}

std::unique_ptr<CompiledCurve> CompiledCurve::Copy() const {
    std::unique_ptr<CompiledCurve> copy(new (std::nothrow) CompiledCurve);
    if (!copy)
        return nullptr;
    try {
        RegisterBuiltins(copy->table);
        for (const auto& [name, symbol] : table.Variables())
            copy->table.SetVariable(name, symbol.value);
        copy->variableName = variableName;
        copy->standIn = standIn;
        if (!variableName.empty())
            copy->variable = &copy->table.FindVariable(variableName)->value;
        copy->expression.CopyCompiled(expression);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return copy;
}

std::unique_ptr<CompiledGraph> CompiledGraph::Copy() const {
    auto copy = std::make_unique<CompiledGraph>();
    for (size_t i = 0; i < curves.size(); ++i)
        if (curves[i])
            copy->curves[i] = curves[i]->Copy();
    for (size_t i = 0; i < relations.size(); ++i)
        if (relations[i])
            copy->relations[i] = relations[i]->Copy();
    return copy;
}

bool IsRelationText(std::string_view text) {
    if (!HasComparison(text))
        return false;
    if (!IsAssignmentText(text))
        return true;
    // As the check of a curve: it compiles and evaluates at x = 0.
    const std::unique_ptr<CompiledCurve> curve = CompiledCurve::Compile(text, "x");
    return !curve || !curve->Program().Evaluate();
}

std::unique_ptr<CompiledRelation> SlotRelation(const CompiledGraph& graph,
                                               const EquationSlots& slots, const GraphStyle& style,
                                               int32_t mode, size_t slot) {
    if (mode != Rectangular || slot >= slots.size())
        return nullptr;
    if (graph.relations[slot])
        return graph.relations[slot]->Copy();
    if (style.exactCurves && graph.curves[slot] && !slots[slot].empty())
        return CompiledRelation::FromCurve(slots[slot]);
    return nullptr;
}

std::string_view ModeVariable(int32_t mode) {
    switch (mode) {
    case Rectangular:
        return "x";
    case Parametric:
    case Polar:
        return "t";
    default:
        return {};
    }
}
