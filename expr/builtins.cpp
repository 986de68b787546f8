#include "expr/builtins.h"

#include <cmath>

namespace {

// Plain wrappers: the library functions themselves are not addressable.
double Abs(double x) { return std::fabs(x); }
double Floor(double x) { return std::floor(x); }
double Ceil(double x) { return std::ceil(x); }
double Mod(double x, double y) { return std::fmod(x, y); }
double Sqrt(double x) { return std::sqrt(x); }
double Log(double x) { return std::log(x); }
double Exp(double x) { return std::exp(x); }
double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Tan(double x) { return std::tan(x); }
double ArcSin(double x) { return std::asin(x); }
double ArcCos(double x) { return std::acos(x); }
double ArcTan(double x) { return std::atan(x); }
double ArcTan2(double y, double x) { return std::atan2(y, x); }
double Sinh(double x) { return std::sinh(x); }
double Cosh(double x) { return std::cosh(x); }
double Tanh(double x) { return std::tanh(x); }

constexpr double kPi = 3.141592653589793;

// A callback checks that its arguments are on the stack, pops them (the
// deepest value is the first argument) and stores the value.
template <double (*F)(double)>
bool Call1(double* result, double* stackBase, double** stackTop) {
    if (*stackTop - stackBase < 1)
        return false;
    *stackTop -= 1;
    *result = F((*stackTop)[0]);
    return true;
}

template <double (*F)(double, double)>
bool Call2(double* result, double* stackBase, double** stackTop) {
    if (*stackTop - stackBase < 2)
        return false;
    *stackTop -= 2;
    *result = F((*stackTop)[0], (*stackTop)[1]);
    return true;
}

bool CallPi(double* result, double*, double**) {
    *result = kPi;
    return true;
}

} // namespace

#define UNARY(name, f) {name, 1, &Call1<f>, &f, nullptr, 0.0}
#define BINARY(name, f) {name, 2, &Call2<f>, nullptr, &f, 0.0}

const BuiltinInfo kBuiltins[] = {
    UNARY("abs", Abs),       UNARY("floor", Floor),   UNARY("ceil", Ceil),
    BINARY("mod", Mod),      UNARY("sqrt", Sqrt),     UNARY("log", Log),
    UNARY("exp", Exp),       UNARY("sin", Sin),       UNARY("cos", Cos),
    UNARY("tan", Tan),       UNARY("arcsin", ArcSin), UNARY("arccos", ArcCos),
    UNARY("arctan", ArcTan), BINARY("arctan2", ArcTan2),
    UNARY("sinh", Sinh),     UNARY("cosh", Cosh),     UNARY("tanh", Tanh),
    {"pi", 0, &CallPi, nullptr, nullptr, kPi},
};
const int kBuiltinCount = sizeof kBuiltins / sizeof kBuiltins[0];

#undef UNARY
#undef BINARY

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
