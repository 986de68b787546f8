#include "expr/builtins.h"

#include "expr/operation_rules.h"

namespace {

// A callback checks that its arguments are on the stack, pops them (the
// deepest value is the first argument) and stores the value.
template <class F>
bool Call1(double* result, double* stackBase, double** stackTop) {
    if (*stackTop - stackBase < 1)
        return false;
    *stackTop -= 1;
    *result = F::Value((*stackTop)[0]);
    return true;
}

template <class F>
bool Call2(double* result, double* stackBase, double** stackTop) {
    if (*stackTop - stackBase < 2)
        return false;
    *stackTop -= 2;
    *result = F::Value((*stackTop)[0], (*stackTop)[1]);
    return true;
}

template <class F>
bool Call0(double* result, double*, double**) {
    *result = F::kValue;
    return true;
}

} // namespace

#define ORVANTA_UNARY_ROW(name) {ops::name::kName, 1, &Call1<ops::name>, Operation::name, 0.0},
#define ORVANTA_BINARY_ROW(name) {ops::name::kName, 2, &Call2<ops::name>, Operation::name, 0.0},
#define ORVANTA_CONSTANT_ROW(name)                                                                \
    {ops::name::kName, 0, &Call0<ops::name>, Operation::Neg, ops::name::kValue},

const BuiltinInfo kBuiltins[] = {
    ORVANTA_BUILTINS(ORVANTA_UNARY_ROW, ORVANTA_BINARY_ROW, ORVANTA_CONSTANT_ROW)};
const int kBuiltinCount = sizeof kBuiltins / sizeof kBuiltins[0];

#undef ORVANTA_UNARY_ROW
#undef ORVANTA_BINARY_ROW
#undef ORVANTA_CONSTANT_ROW

void RegisterBuiltins(SymbolTable& table) {
    for (const BuiltinInfo& builtin : kBuiltins)
        table.AddFunction(builtin.name, builtin.callback);
}

const BuiltinInfo* FindBuiltin(BuiltinFunction callback) {
    for (const BuiltinInfo& builtin : kBuiltins)
        if (builtin.callback == callback)
            return &builtin;
    return nullptr;
}
