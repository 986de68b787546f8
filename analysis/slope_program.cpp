#include "analysis/slope_program.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "expr/integer_power.h"
#include "expr/program.h"

namespace {

using Op = SlopeProgram::Op;

const double kZero = 0.0;
const double kOne = 1.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The rule of each builtin that the linker calls through a pointer (sqrt and
// abs have operations of their own).
Op RuleOf(double (*f1)(double), double (*f2)(double, double)) {
    static const struct {
        const char* name;
        Op op;
    } kRules[] = {{"floor", Op::Flat},  {"ceil", Op::Flat},   {"log", Op::Log},
                  {"exp", Op::Exp},     {"sin", Op::Sin},     {"cos", Op::Cos},
                  {"tan", Op::Tan},     {"arcsin", Op::Asin}, {"arccos", Op::Acos},
                  {"arctan", Op::Atan}, {"sinh", Op::Sinh},   {"cosh", Op::Cosh},
                  {"tanh", Op::Tanh},   {"mod", Op::Mod},     {"arctan2", Op::Atan2},
                  {"sqrt", Op::Sqrt},   {"abs", Op::Abs}};
    for (int i = 0; i < kBuiltinCount; ++i) {
        const BuiltinInfo& builtin = kBuiltins[i];
        if ((f1 && builtin.unary == f1) || (f2 && builtin.binary == f2))
            for (const auto& rule : kRules)
                if (std::strcmp(rule.name, builtin.name) == 0)
                    return rule.op;
    }
    return f1 ? Op::Call1 : Op::Call2; // not a builtin: no rule, the slope is NaN
}

// d * f, where a derivative d that is exactly 0 gives 0 whatever f is.
inline double Times(double d, double f) {
    return d == 0 ? 0.0 : d * f;
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

    // An operand in the accumulator is named by its kind: the first of a
    // unary step and of a binary one in mode M, the second in mode R.
    auto operand = [&](const Operand& o, const double*& value, const double*& slope, bool& acc) {
        acc = false;
        switch (o.kind) {
        case Operand::Kind::Accumulator:
            acc = true;
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
    code.reserve(p->steps.size());
    for (const ProgramStep& step : p->steps) {
        Instr in;
        in.exponent = step.exponent;
        in.f1 = step.f1;
        in.f2 = step.f2;
        operand(step.a, in.a, in.da, in.aAcc);
        operand(step.b, in.b, in.db, in.bAcc);
        switch (step.op) {
        case P::Stop:
            in.op = Op::Stop;
            break;
        case P::Load:
            in.op = Op::Load;
            break;
        case P::Spill:
            in.op = Op::Spill;
            in.dst = &registers[step.dst];
            in.ddst = &slopes[step.dst];
            break;
        case P::NegA:
        case P::NegM:
            in.op = Op::Neg;
            break;
        case P::SqrtA:
        case P::SqrtM:
            in.op = Op::Sqrt;
            break;
        case P::AbsA:
        case P::AbsM:
            in.op = Op::Abs;
            break;
        case P::Call1A:
        case P::Call1M:
            in.op = RuleOf(step.f1, nullptr);
            break;
        case P::AddM:
        case P::AddR:
        case P::AddMM:
            in.op = Op::Add;
            break;
        case P::SubM:
        case P::SubR:
        case P::SubMM:
            in.op = Op::Sub;
            break;
        case P::MulM:
        case P::MulR:
        case P::MulMM:
            in.op = Op::Mul;
            break;
        case P::DivM:
        case P::DivR:
        case P::DivMM:
            in.op = Op::Div;
            break;
        case P::PowM:
        case P::PowR:
        case P::PowMM:
            in.op = Op::Pow;
            break;
        case P::Call2M:
        case P::Call2R:
        case P::Call2MM:
            in.op = RuleOf(nullptr, step.f2);
            break;
        case P::PowIntA:
        case P::PowIntM:
            in.op = Op::PowInt;
            break;
        case P::SquareA:
        case P::SquareM:
            in.op = Op::PowInt;
            in.exponent = 2;
            break;
        }
        code.push_back(in);
    }
    if (code.empty() || code.back().op != Op::Stop)
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

// Each value is computed by the very operation the accumulator interpreter
// uses on the same operands (accumulator.cpp), so its bits are the same.
template <bool kMagnitude> Dual SlopeProgram::Run(double& magnitude) const {
    double acc = 0.0, dacc = 0.0;
    for (const Instr* ip = code.data();; ++ip) {
        const Instr& in = *ip;
        if (in.op == Op::Stop)
            return {acc, dacc};
        if (in.op == Op::Spill) {
            *in.dst = acc;
            *in.ddst = dacc;
            continue;
        }
        const double u = in.aAcc ? acc : *in.a;
        const double du = in.aAcc ? dacc : *in.da;
        double v, dv;
        switch (in.op) {
        case Op::Load:
            v = u;
            dv = du;
            break;
        case Op::Neg:
            v = -u;
            dv = -du;
            break;
        case Op::Sqrt:
            v = std::sqrt(u);
            dv = Times(du, v == 0 ? std::numeric_limits<double>::infinity() : 0.5 / v);
            break;
        case Op::Abs:
            v = std::fabs(u);
            dv = u > 0 ? du : u < 0 ? -du : std::fabs(du);
            break;
        case Op::Flat:
            v = in.f1(u);
            dv = 0.0;
            break;
        case Op::Log:
            v = in.f1(u);
            dv = du == 0 ? 0.0 : du / u;
            break;
        case Op::Exp:
            v = in.f1(u);
            dv = Times(du, v);
            break;
        case Op::Sin:
            v = in.f1(u);
            dv = Times(du, std::cos(u));
            break;
        case Op::Cos:
            v = in.f1(u);
            dv = Times(du, -std::sin(u));
            break;
        case Op::Tan:
            v = in.f1(u);
            dv = Times(du, 1.0 + v * v);
            break;
        case Op::Asin:
            v = in.f1(u);
            dv = AsinSlope(du, u);
            break;
        case Op::Acos:
            v = in.f1(u);
            dv = -AsinSlope(du, u);
            break;
        case Op::Atan:
            v = in.f1(u);
            dv = AtanSlope(du, u);
            break;
        case Op::Sinh:
            v = in.f1(u);
            dv = Times(du, std::cosh(u));
            break;
        case Op::Cosh:
            v = in.f1(u);
            dv = Times(du, std::sinh(u));
            break;
        case Op::Tanh:
            v = in.f1(u);
            dv = Times(du, TanhSlope(u));
            break;
        case Op::Call1:
            v = in.f1(u);
            dv = kNaN;
            break;
        case Op::PowInt:
            v = IntegerPower(u, in.exponent);
            dv = Times(du, in.exponent * SquareMultiply(u, in.exponent - 1));
            break;
        default: {
            const double w = in.bAcc ? acc : *in.b;
            const double dw = in.bAcc ? dacc : *in.db;
            switch (in.op) {
            case Op::Add:
                v = arithmetic::Add(u, w);
                dv = du + dw;
                break;
            case Op::Sub:
                v = arithmetic::Sub(u, w);
                dv = du - dw;
                break;
            case Op::Mul:
                // A factor that is a constant 0 makes the product flat.
                v = arithmetic::Mul(u, w);
                dv = (w == 0 && dw == 0 ? 0.0 : Times(du, w)) +
                     (u == 0 && du == 0 ? 0.0 : Times(dw, u));
                break;
            case Op::Div:
                v = arithmetic::Div(u, w);
                dv = du == 0 && dw == 0 ? 0.0 : (du - Times(dw, v)) / w;
                break;
            case Op::Pow:
                v = arithmetic::Pow(u, w);
                dv = (du == 0 ? 0.0 : du * PowSlopeByBase(u, w, v)) +
                     (dw == 0 || v == 0 ? 0.0 : dw * v * std::log(u));
                break;
            case Op::Mod:
                v = in.f2(u, w);
                dv = du - Times(dw, std::trunc(u / w));
                break;
            case Op::Atan2:
                v = in.f2(u, w);
                dv = Atan2Slope(u, w, du, dw);
                break;
            default:
                v = in.f2(u, w);
                dv = kNaN;
                break;
            }
        }
        }
        acc = v;
        dacc = dv;
        if constexpr (kMagnitude)
            magnitude = std::fmax(magnitude, std::fabs(v));
    }
}
