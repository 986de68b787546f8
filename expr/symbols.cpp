#include "expr/symbols.h"

bool SymbolTable::SetVariable(std::string_view name, double value) {
    auto it = variables.find(name);
    if (it != variables.end()) {
        it->second.value = value;
        return true;
    }
    if (functions.find(name) != functions.end())
        return false;
    Symbol symbol;
    symbol.kind = SymbolKind::Variable;
    symbol.name.assign(name);
    symbol.value = value;
    variables.emplace(symbol.name, std::move(symbol));
    ++generation;
    return true;
}

bool SymbolTable::GetVariable(std::string_view name, double& value) const {
    auto it = variables.find(name);
    if (it == variables.end()) {
        value = 0.0;
        return false;
    }
    value = it->second.value;
    return true;
}

void SymbolTable::AddFunction(std::string_view name, BuiltinFunction callback) {
    if (functions.find(name) != functions.end())
        return;
    Symbol symbol;
    symbol.kind = SymbolKind::Function;
    symbol.name.assign(name);
    symbol.function = callback;
    functions.emplace(symbol.name, std::move(symbol));
    ++generation;
}

bool SymbolTable::CallFunction(std::string_view name, double* stackBase, double*& stackTop,
                               double& result) const {
    result = 0.0;
    const Symbol* symbol = FindFunction(name);
    if (!symbol || symbol->kind != SymbolKind::Function || !symbol->function)
        return false;
    return symbol->function(&result, stackBase, &stackTop);
}

Symbol* SymbolTable::FindVariable(std::string_view name) {
    auto it = variables.find(name);
    return it == variables.end() ? nullptr : &it->second;
}

const Symbol* SymbolTable::FindFunction(std::string_view name) const {
    auto it = functions.find(name);
    return it == functions.end() ? nullptr : &it->second;
}
