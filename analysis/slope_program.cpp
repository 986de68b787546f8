#include "analysis/slope_program.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "expr/integer_power.h"
#include "expr/program.h"

namespace {

// The rules of differentiation: one per operation and builtin (floor and
// ceil share Flat). Unary rules run in modes A (the accumulator) and M
// (an operand in memory); binary ones in M (acc op *b), R (*a op acc) and
// MM (*a op *b), as in the accumulator interpreter.
#define SLOPE_UNARY_RULES(X)                                                                       \
    X(Neg)                                                                                         \
    X(Sqrt) X(Abs) X(Flat) X(Log) X(Exp) X(Sin) X(Cos) X(Tan) X(Asin) X(Acos) X(Atan) X(Sinh)      \
        X(Cosh) X(Tanh) X(Call1) X(PowInt)
#define SLOPE_BINARY_RULES(X) X(Add) X(Sub) X(Mul) X(Div) X(Pow) X(Mod) X(Atan2) X(Call2)

#define SLOPE_ENUMERATOR(name) name,
enum class Rule : uint8_t {
    SLOPE_UNARY_RULES(SLOPE_ENUMERATOR) SLOPE_BINARY_RULES(SLOPE_ENUMERATOR)
};
#undef SLOPE_ENUMERATOR
#define SLOPE_COUNT(name) +1
constexpr int kUnaryRules = 0 SLOPE_UNARY_RULES(SLOPE_COUNT);
#undef SLOPE_COUNT

// Handler numbers: Stop, Load, Spill, then two per unary rule, three per
// binary one.
enum : uint8_t { kStop = 0, kLoad = 1, kSpill = 2, kFirstRule = 3 };
uint8_t UnaryCode(Rule rule, bool memory) {
    return static_cast<uint8_t>(kFirstRule + 2 * static_cast<int>(rule) + memory);
}
// mode: 0 = M, 1 = R, 2 = MM
uint8_t BinaryCode(Rule rule, int mode) {
    return static_cast<uint8_t>(kFirstRule + 2 * kUnaryRules +
                                3 * (static_cast<int>(rule) - kUnaryRules) + mode);
}

const double kZero = 0.0;
const double kOne = 1.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The rule of each builtin that the linker calls through a pointer (sqrt and
// abs have operations of their own).
Rule RuleOf(double (*f1)(double), double (*f2)(double, double)) {
    static const struct {
        const char* name;
        Rule rule;
    } kRules[] = {{"floor", Rule::Flat},  {"ceil", Rule::Flat},   {"log", Rule::Log},
                  {"exp", Rule::Exp},     {"sin", Rule::Sin},     {"cos", Rule::Cos},
                  {"tan", Rule::Tan},     {"arcsin", Rule::Asin}, {"arccos", Rule::Acos},
                  {"arctan", Rule::Atan}, {"sinh", Rule::Sinh},   {"cosh", Rule::Cosh},
                  {"tanh", Rule::Tanh},   {"mod", Rule::Mod},     {"arctan2", Rule::Atan2},
                  {"sqrt", Rule::Sqrt},   {"abs", Rule::Abs}};
    for (int i = 0; i < kBuiltinCount; ++i) {
        const BuiltinInfo& builtin = kBuiltins[i];
        if ((f1 && builtin.unary == f1) || (f2 && builtin.binary == f2))
            for (const auto& rule : kRules)
                if (std::strcmp(rule.name, builtin.name) == 0)
                    return rule.rule;
    }
    return f1 ? Rule::Call1 : Rule::Call2; // not a builtin: no rule, the slope is NaN
}
// d * f, where a derivative d that is exactly 0 gives 0 whatever f is.
// Only a NaN product (0 * inf) needs the test, so it is taken on that path.
inline double Times(double d, double f) {
    const double p = d * f;
    return p == p || d != 0 ? p : 0.0;
}

// The slope of tanh, 1/cosh^2, written as 4e/(1+e)^2 with e = exp(-2|u|):
// no cancellation (1 - tanh^2 loses everything for |u| > 19) and no overflow.
inline double TanhSlope(double u) {
    const double e = std::exp(-2.0 * std::fabs(u));
    const double s = 1.0 + e;
    return 4.0 * e / (s * s);
}

// 1/(1+u^2) without overflowing u^2.
inline double AtanSlope(double d, double u) {
    if (std::fabs(u) > 0x1p500)
        return Times(d, 1.0 / u) / u;
    return d == 0 ? 0.0 : d / (1.0 + u * u);
}

// 1/sqrt(1-u^2) as 1/sqrt((1-u)(1+u)): 1-u is exact near 1, so the slope
// keeps its accuracy at the ends of the domain.
inline double AsinSlope(double d, double u) {
    return d == 0 ? 0.0 : d / std::sqrt((1.0 - u) * (1.0 + u));
}

// The partial derivative of x^y by x, y * x^(y-1), from the value v = x^y
// where v/x keeps its accuracy, else from pow itself.
inline double PowSlopeByBase(double x, double y, double v) {
    if (x != 0 && std::isfinite(v) && std::fabs(v) >= std::numeric_limits<double>::min())
        return v / x * y;
    return y * std::pow(x, y - 1.0);
}

// atan2(a, b) changes by (b da - a db) / (a^2 + b^2); both scaled by the
// larger magnitude so that the squares neither overflow nor underflow.
inline double Atan2Slope(double a, double b, double da, double db) {
    if (da == 0 && db == 0)
        return 0.0;
    const double s = std::fmax(std::fabs(a), std::fabs(b));
    const double an = a / s, bn = b / s;
    return (Times(da, bn) - Times(db, an)) / s / (an * an + bn * bn);
}

// Each value is computed by the very operation the accumulator interpreter
// uses on the same operands (accumulator.cpp), so its bits are the same;
// dv follows the rule. `rule` is a constant where this is called, so each
// handler keeps only its own case.
inline void Unary(Rule rule, int32_t n, double (*f)(double), double u, double du, double& v,
                  double& dv) {
    switch (rule) {
    case Rule::Neg:
        v = -u;
        dv = -du;
        return;
    case Rule::Sqrt:
        v = std::sqrt(u);
        dv = Times(du, v == 0 ? std::numeric_limits<double>::infinity() : 0.5 / v);
        return;
    case Rule::Abs:
        v = std::fabs(u);
        dv = u > 0 ? du : u < 0 ? -du : std::fabs(du);
        return;
    case Rule::Flat:
        v = f(u);
        dv = 0.0;
        return;
    case Rule::Log:
        v = f(u);
        dv = du == 0 ? 0.0 : du / u;
        return;
    case Rule::Exp:
        v = f(u);
        dv = Times(du, v);
        return;
    case Rule::Sin:
        v = f(u);
        dv = Times(du, std::cos(u));
        return;
    case Rule::Cos:
        v = f(u);
        dv = Times(du, -std::sin(u));
        return;
    case Rule::Tan:
        v = f(u);
        dv = Times(du, 1.0 + v * v);
        return;
    case Rule::Asin:
        v = f(u);
        dv = AsinSlope(du, u);
        return;
    case Rule::Acos:
        v = f(u);
        dv = -AsinSlope(du, u);
        return;
    case Rule::Atan:
        v = f(u);
        dv = AtanSlope(du, u);
        return;
    case Rule::Sinh:
        v = f(u);
        dv = Times(du, std::cosh(u));
        return;
    case Rule::Cosh:
        v = f(u);
        dv = Times(du, std::sinh(u));
        return;
    case Rule::Tanh:
        v = f(u);
        dv = Times(du, TanhSlope(u));
        return;
    case Rule::PowInt:
        v = IntegerPower(u, n);
        dv = Times(du, n * SquareMultiply(u, n - 1));
        return;
    default:
        v = f(u);
        dv = kNaN;
        return;
    }
}

inline void Binary(Rule rule, double (*f)(double, double), double u, double du, double w, double dw,
                   double& v, double& dv) {
    switch (rule) {
    case Rule::Add:
        v = arithmetic::Add(u, w);
        dv = du + dw;
        return;
    case Rule::Sub:
        v = arithmetic::Sub(u, w);
        dv = du - dw;
        return;
    case Rule::Mul:
        // A factor that is a constant 0 makes the product flat.
        v = arithmetic::Mul(u, w);
        dv = du * w + dw * u;
        if (dv != dv) // only where a factor is not finite
            dv =
                (w == 0 && dw == 0 ? 0.0 : Times(du, w)) + (u == 0 && du == 0 ? 0.0 : Times(dw, u));
        return;
    case Rule::Div:
        v = arithmetic::Div(u, w);
        dv = du == 0 && dw == 0 ? 0.0 : (du - Times(dw, v)) / w;
        return;
    case Rule::Pow:
        v = arithmetic::Pow(u, w);
        dv = (du == 0 ? 0.0 : du * PowSlopeByBase(u, w, v)) +
             (dw == 0 || v == 0 ? 0.0 : dw * v * std::log(u));
        return;
    case Rule::Mod:
        v = f(u, w);
        dv = du - Times(dw, std::trunc(u / w));
        return;
    case Rule::Atan2:
        v = f(u, w);
        dv = Atan2Slope(u, w, du, dw);
        return;
    default:
        v = f(u, w);
        dv = kNaN;
        return;
    }
}

} // namespace

bool SlopeProgram::Build(Expression& expression, double* boundVariable) {
    usable = false;
    code.clear();
    variable = boundVariable;
    const Expression::Program* p = expression.LinkedProgram();
    if (!p)
        return false;
    // An assignment that the table refuses fails on every evaluation.
    if (p->assignment && !expression.Evaluate())
        return false;
    registers.assign(p->registerCount, 0.0);
    slopes.assign(p->registerCount, 0.0);

    // Where an operand's value and slope are read; null for the accumulator.
    auto operand = [&](const Operand& o, const double*& value, const double*& slope) {
        switch (o.kind) {
        case Operand::Kind::Accumulator:
            value = slope = nullptr;
            return;
        case Operand::Kind::Register:
            value = &registers[o.index];
            slope = &slopes[o.index];
            return;
        case Operand::Kind::Constant:
            value = &p->constants[o.index];
            slope = &kZero;
            return;
        case Operand::Kind::Variable:
            value = o.var;
            slope = o.var == variable ? &kOne : &kZero;
            return;
        }
    };

    using P = ProgramOp;
    code.reserve(p->steps.size() + 1);
    for (const ProgramStep& step : p->steps) {
        Instr in;
        in.exponent = step.exponent;
        in.f1 = step.f1;
        in.f2 = step.f2;
        operand(step.a, in.a, in.da);
        operand(step.b, in.b, in.db);
        // The operation's position among its modes: unary A/M, binary M/R/MM.
        const bool memory = in.a != nullptr;
        const int mode = in.a == nullptr ? 0 : in.b == nullptr ? 1 : 2;
        switch (step.op) {
        case P::Stop:
            in.code = kStop;
            break;
        case P::Load:
            in.code = kLoad;
            break;
        case P::Spill:
            in.code = kSpill;
            in.dst = &registers[step.dst];
            in.ddst = &slopes[step.dst];
            break;
        case P::NegA:
        case P::NegM:
            in.code = UnaryCode(Rule::Neg, memory);
            break;
        case P::SqrtA:
        case P::SqrtM:
            in.code = UnaryCode(Rule::Sqrt, memory);
            break;
        case P::AbsA:
        case P::AbsM:
            in.code = UnaryCode(Rule::Abs, memory);
            break;
        case P::Call1A:
        case P::Call1M:
            in.code = UnaryCode(RuleOf(step.f1, nullptr), memory);
            break;
        case P::PowIntA:
        case P::PowIntM:
            in.code = UnaryCode(Rule::PowInt, memory);
            break;
        case P::SquareA:
        case P::SquareM:
            in.code = UnaryCode(Rule::PowInt, memory);
            in.exponent = 2;
            break;
        case P::AddM:
        case P::AddR:
        case P::AddMM:
            in.code = BinaryCode(Rule::Add, mode);
            break;
        case P::SubM:
        case P::SubR:
        case P::SubMM:
            in.code = BinaryCode(Rule::Sub, mode);
            break;
        case P::MulM:
        case P::MulR:
        case P::MulMM:
            in.code = BinaryCode(Rule::Mul, mode);
            break;
        case P::DivM:
        case P::DivR:
        case P::DivMM:
            in.code = BinaryCode(Rule::Div, mode);
            break;
        case P::PowM:
        case P::PowR:
        case P::PowMM:
            in.code = BinaryCode(Rule::Pow, mode);
            break;
        case P::Call2M:
        case P::Call2R:
        case P::Call2MM:
            in.code = BinaryCode(RuleOf(nullptr, step.f2), mode);
            break;
        }
        code.push_back(in);
    }
    if (code.empty() || code.back().code != kStop)
        code.push_back(Instr());
    usable = true;
    return true;
}

Dual SlopeProgram::Evaluate(double x) {
    if (!usable)
        return {kNaN, kNaN};
    *variable = x;
    double unused = 0;
    return Run<false>(unused);
}

Dual SlopeProgram::Evaluate(double x, double& magnitude) {
    magnitude = 0;
    if (!usable)
        return {kNaN, kNaN};
    *variable = x;
    return Run<true>(magnitude);
}

// Threaded dispatch, as in the accumulator interpreter: one indirect jump
// per handler.
template <bool kMagnitude> Dual SlopeProgram::Run(double& magnitude) const {
    double acc = 0.0, dacc = 0.0;
    const Instr* ip = code.data();
#define SLOPE_NEXT                                                                                 \
    if constexpr (kMagnitude)                                                                      \
        magnitude = std::fmax(magnitude, std::fabs(acc));                                          \
    goto* handlers[(++ip)->code];
#define SLOPE_UNARY_LABELS(name) &&name##_A, &&name##_M,
#define SLOPE_BINARY_LABELS(name) &&name##_M, &&name##_R, &&name##_MM,
    static const void* const handlers[] = {&&stop, &&load, &&spill,
                                           SLOPE_UNARY_RULES(SLOPE_UNARY_LABELS)
                                               SLOPE_BINARY_RULES(SLOPE_BINARY_LABELS)};
#define SLOPE_UNARY_HANDLERS(name)                                                                 \
    name##_A : Unary(Rule::name, ip->exponent, ip->f1, acc, dacc, acc, dacc);                      \
    SLOPE_NEXT                                                                                     \
    name##_M : Unary(Rule::name, ip->exponent, ip->f1, *ip->a, *ip->da, acc, dacc);                \
    SLOPE_NEXT
#define SLOPE_BINARY_HANDLERS(name)                                                                \
    name##_M : Binary(Rule::name, ip->f2, acc, dacc, *ip->b, *ip->db, acc, dacc);                  \
    SLOPE_NEXT                                                                                     \
    name##_R : Binary(Rule::name, ip->f2, *ip->a, *ip->da, acc, dacc, acc, dacc);                  \
    SLOPE_NEXT                                                                                     \
    name##_MM : Binary(Rule::name, ip->f2, *ip->a, *ip->da, *ip->b, *ip->db, acc, dacc);           \
    SLOPE_NEXT
    goto* handlers[ip->code];
load:
    acc = *ip->a;
    dacc = *ip->da;
    SLOPE_NEXT
spill:
    *ip->dst = acc;
    *ip->ddst = dacc;
    goto* handlers[(++ip)->code];
    SLOPE_UNARY_RULES(SLOPE_UNARY_HANDLERS)
    SLOPE_BINARY_RULES(SLOPE_BINARY_HANDLERS)
stop:
    return {acc, dacc};
#undef SLOPE_NEXT
#undef SLOPE_UNARY_LABELS
#undef SLOPE_BINARY_LABELS
#undef SLOPE_UNARY_HANDLERS
#undef SLOPE_BINARY_HANDLERS
}
