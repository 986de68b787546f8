#include "plot/compiled_graph.h"

#include <new>

#include "expr/builtins.h"
#include "plot/plotter.h"

std::unique_ptr<CompiledCurve> CompiledCurve::Compile(std::string_view text,
                                                      std::string_view variable,
                                                      const Parameters& parameters) {
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
        for (const Parameter& parameter : parameters)
            if (parameter.name != variable)
                curve->table.SetVariable(parameter.name, parameter.value);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!curve->expression.Compile(text))
        return nullptr;
    return curve;
}

bool CompiledCurve::SetParameter(std::string_view name, double value) {
    if (name == variableName)
        return true;
    try {
        table.SetVariable(name, value);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
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
    copy->parameters = parameters;
    return copy;
}

bool CompiledGraph::SetParameter(std::string_view name, double value) {
    bool set = true;
    try {
        if (Parameter* known = FindParameter(parameters, name)) {
            known->value = value;
        } else {
            Parameter added;
            added.name = name;
            added.value = value;
            parameters.push_back(std::move(added));
        }
    } catch (const std::bad_alloc&) {
        set = false;
    }
    for (auto& curve : curves)
        if (curve)
            set = curve->SetParameter(name, value) && set;
    for (auto& relation : relations)
        if (relation)
            set = relation->SetParameter(name, value) && set;
    return set;
}

bool IsRelationText(std::string_view text, const Parameters& parameters) {
    if (!HasComparison(text))
        return false;
    if (!IsAssignmentText(text))
        return true;
    // As the check of a curve: it compiles and evaluates at x = 0.
    const std::unique_ptr<CompiledCurve> curve = CompiledCurve::Compile(text, "x", parameters);
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
        return CompiledRelation::FromCurve(slots[slot], graph.parameters);
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
