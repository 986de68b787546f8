#include "plot/relation.h"

#include <new>

#include "expr/builtins.h"

namespace {

bool IsComparisonChar(char c) { return c == '=' || c == '<' || c == '>'; }

bool IsBlankText(std::string_view text) {
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v')
            return false;
    return true;
}

} // namespace

bool HasComparison(std::string_view text) {
    for (char c : text)
        if (IsComparisonChar(c))
            return true;
    return false;
}

bool SplitRelation(std::string_view text, RelationText& out) {
    out.sides.clear();
    out.comparisons.clear();
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsComparisonChar(text[i]))
            continue;
        size_t end = i;
        while (end < text.size() && IsComparisonChar(text[end]))
            ++end;
        const std::string_view op = text.substr(i, end - i);
        Comparison c;
        if (op == "=")
            c = Comparison::Equal;
        else if (op == "<")
            c = Comparison::Less;
        else if (op == "<=")
            c = Comparison::LessEqual;
        else if (op == ">")
            c = Comparison::Greater;
        else if (op == ">=")
            c = Comparison::GreaterEqual;
        else
            return false;
        out.sides.push_back(text.substr(start, i - start));
        out.comparisons.push_back(c);
        start = end;
        i = end - 1;
    }
    out.sides.push_back(text.substr(start));
    if (out.comparisons.empty())
        return false;
    for (std::string_view side : out.sides)
        if (IsBlankText(side))
            return false;
    return true;
}

bool IsAssignmentText(std::string_view text) {
    for (char c : text)
        if (c == '<' || c == '>')
            return false;
    SymbolTable table;
    Expression expression(table);
    if (!expression.Compile(text) || expression.PostfixCount() == 0)
        return false;
    const Token& last = expression.Postfix()[expression.PostfixCount() - 1];
    return expression.Postfix()[0].kind == TokenKind::Identifier &&
           last.kind == TokenKind::Operator && last.op == OperatorCode::Assign;
}

std::unique_ptr<CompiledRelation> CompiledRelation::Compile(std::string_view text,
                                                            const Parameters& parameters) {
    RelationText parts;
    if (!SplitRelation(text, parts))
        return nullptr;
    std::unique_ptr<CompiledRelation> relation(new (std::nothrow) CompiledRelation);
    if (!relation)
        return nullptr;
    try {
        relation->text = text;
        RegisterBuiltins(relation->table);
        relation->table.SetVariable("x", 0.0);
        relation->table.SetVariable("y", 0.0);
        relation->x = &relation->table.FindVariable("x")->value;
        relation->y = &relation->table.FindVariable("y")->value;
        for (const Parameter& parameter : parameters)
            if (parameter.name != "x" && parameter.name != "y")
                relation->table.SetVariable(parameter.name, parameter.value);
        // Each side on its own first, as a curve's text is checked: it
        // compiles and evaluates once (at the origin).
        for (std::string_view side : parts.sides) {
            Expression check(relation->table);
            if (!check.Compile(side) || !check.Evaluate())
                return nullptr;
        }
        for (size_t i = 0; i < parts.comparisons.size(); ++i) {
            std::string difference = "(";
            difference.append(parts.sides[i]);
            difference.append(")-(");
            difference.append(parts.sides[i + 1]);
            difference.append(")");
            auto pair = std::make_unique<Pair>(relation->table);
            if (!pair->expression.Compile(difference) || !pair->expression.Evaluate())
                return nullptr;
            relation->differences.push_back(std::move(pair));
        }
        relation->comparisons = parts.comparisons;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!relation->Prepare())
        return nullptr;
    return relation;
}

std::unique_ptr<CompiledRelation> CompiledRelation::FromCurve(std::string_view text,
                                                              const Parameters& parameters) {
    std::string_view value = text;
    if (IsAssignmentText(text))
        value = text.substr(text.find('=') + 1);
    else if (HasComparison(text))
        return nullptr;
    std::string relation;
    try {
        relation = "y=(";
        relation.append(value);
        relation.append(")");
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return Compile(relation, parameters);
}

bool CompiledRelation::SetParameter(std::string_view name, double value) {
    if (name == "x" || name == "y")
        return true;
    try {
        table.SetVariable(name, value);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::unique_ptr<CompiledRelation> CompiledRelation::Copy() const {
    std::unique_ptr<CompiledRelation> copy(new (std::nothrow) CompiledRelation);
    if (!copy)
        return nullptr;
    try {
        copy->text = text;
        RegisterBuiltins(copy->table);
        for (const auto& [name, symbol] : table.Variables())
            copy->table.SetVariable(name, symbol.value);
        copy->x = &copy->table.FindVariable("x")->value;
        copy->y = &copy->table.FindVariable("y")->value;
        copy->comparisons = comparisons;
        for (const auto& pair : differences) {
            auto p = std::make_unique<Pair>(copy->table);
            p->expression.CopyCompiled(pair->expression);
            copy->differences.push_back(std::move(p));
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!copy->Prepare())
        return nullptr;
    return copy;
}

bool CompiledRelation::Prepare() {
    for (auto& pair : differences)
        if (!pair->program.Build(pair->expression, x, y))
            return false;
    return true;
}

bool CompiledRelation::IsEquation() const {
    for (Comparison c : comparisons)
        if (c == Comparison::Equal)
            return true;
    return false;
}

bool CompiledRelation::DifferenceAt(size_t i, double atX, double atY, double& value) {
    *x = atX;
    *y = atY;
    Expression& e = differences[i]->expression;
    e.result = 0.0;
    if (!e.Evaluate())
        return false;
    value = e.result;
    return true;
}
