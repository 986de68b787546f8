// Evaluation speed of the expression engine beside muparser and beside the
// same expressions compiled as C++, one plotted curve at a time: 1920 values
// of x across -10..10, each evaluated once.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "alloc_counter.h"
#include "bench_util.h"
#include "expr/builtins.h"
#include "expr/expression.h"

namespace {

constexpr int kSamples = 1920;
constexpr double kA = 1.5, kB = 2.5;
constexpr double kPi = 3.141592653589793;

// Called through a volatile pointer so that the compiler cannot turn
// pow(x, 2.0) into x*x in the reference functions: the engine calls pow.
double (*volatile powFunction)(double, double) = [](double x, double y) { return std::pow(x, y); };
double P(double x, double y) { return powFunction(x, y); }

struct Case {
    const char* text;     // our syntax
    const char* muparser; // the same expression for muparser
    // The expression as the engine must compute it, pow and all: every
    // result of ours is compared with it bit for bit.
    double (*reference)(double x);
    // The expression as a programmer writes it in C++, integer powers as
    // products; timed as the compiled code the engine is measured against.
    // Null: the reference is already written that way.
    double (*compiled)(double x) = nullptr;
};

const Case kCases[] = {
    {"x", "x", [](double x) { return x; }},
    {"x^2+1", "x^2+1", [](double x) { return P(x, 2) + 1; }, [](double x) { return x * x + 1; }},
    {"a+b*x", "a+b*x", [](double x) { return kA + kB * x; }},
    {"-x^2", "-x^2", [](double x) { return -P(x, 2); }, [](double x) { return -(x * x); }},
    {"sin(x)*x^2", "sin(x)*x^2", [](double x) { return std::sin(x) * P(x, 2); },
     [](double x) { return std::sin(x) * (x * x); }},
    {"sqrt(1-sin(2*x)+cos(pi()/b)/3)", "sqrt(1-sin(2*x)+cos(_pi/b)/3)",
     [](double x) { return std::sqrt(1 - std::sin(2 * x) + std::cos(kPi / kB) / 3); }},
    {"((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1",
     "((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1",
     [](double x) { return ((((((7 * x + 6) * x + 5) * x + 4) * x + 3) * x + 2) * x + 1) * x + 0.1; }},
    {"7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+x+0.1", "7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+x+0.1",
     [](double x) {
         return 7 * P(x, 7) + 6 * P(x, 6) + 5 * P(x, 5) + 4 * P(x, 4) + 3 * P(x, 3) + 2 * P(x, 2) +
                x + 0.1;
     },
     [](double x) {
         return 7 * x * x * x * x * x * x * x + 6 * x * x * x * x * x * x + 5 * x * x * x * x * x +
                4 * x * x * x * x + 3 * x * x * x + 2 * x * x + x + 0.1;
     }},
    {"exp(-0.5*x^2)/sqrt(2*pi())*cos(3*x)+abs(x)/(1+x^2)",
     "exp(-0.5*x^2)/sqrt(2*_pi)*cos(3*x)+abs(x)/(1+x^2)",
     [](double x) {
         return std::exp(-0.5 * P(x, 2)) / std::sqrt(2 * kPi) * std::cos(3 * x) +
                std::fabs(x) / (1 + P(x, 2));
     },
     [](double x) {
         return std::exp(-0.5 * (x * x)) / std::sqrt(2 * kPi) * std::cos(3 * x) +
                std::fabs(x) / (1 + x * x);
     }},
    {"arctan2(x,a)", "arctan2(x,a)", [](double x) { return std::atan2(x, kA); }},
    {"mod(x,2.5)+floor(x)", "mod(x,2.5)+floor(x)",
     [](double x) { return std::fmod(x, 2.5) + std::floor(x); }},
    {"tanh(x)*cosh(x/3)", "tanh(x)*cosh(x/3)", [](double x) { return std::tanh(x) * std::cosh(x / 3); }},
    {"(x+1)*(x-2)/(x*x+3)-4*x/(1+x*x)+(2.5*x-1.5)*(x+0.25)-(x-3)/(x+7.5)+x*(x-1)*(x+1)/(x*x+1)+(1-x)*(2+x)*0.125-a*x/(b+x*x)",
     "(x+1)*(x-2)/(x*x+3)-4*x/(1+x*x)+(2.5*x-1.5)*(x+0.25)-(x-3)/(x+7.5)+x*(x-1)*(x+1)/(x*x+1)+(1-x)*(2+x)*0.125-a*x/(b+x*x)",
     [](double x) {
         return (x + 1) * (x - 2) / (x * x + 3) - 4 * x / (1 + x * x) + (2.5 * x - 1.5) * (x + 0.25) -
                (x - 3) / (x + 7.5) + x * (x - 1) * (x + 1) / (x * x + 1) +
                (1 - x) * (2 + x) * 0.125 - kA * x / (kB + x * x);
     }},
};

std::vector<double> Samples() {
    std::vector<double> xs(kSamples);
    for (int i = 0; i < kSamples; ++i)
        xs[i] = -10.0 + 20.0 * i / (kSamples - 1);
    return xs;
}

bool SameValue(double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void SetPerItemCounters(benchmark::State& state, uint64_t allocations) {
    const double items = double(state.iterations()) * kSamples;
    state.counters["s_per_item"] =
        benchmark::Counter(items, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocs_per_item"] = double(allocations) / items;
    state.SetItemsProcessed(int64_t(items));
}

// One curve as the plotter evaluates it: bind x, clear result, Evaluate.
void EvalOrvanta(benchmark::State& state, const Case& c) {
    SymbolTable table;
    RegisterBuiltins(table);
    table.SetVariable("a", kA);
    table.SetVariable("b", kB);
    table.SetVariable("x", 0);
    double& x = table.FindVariable("x")->value;
    Expression e(table);
    if (!e.Compile(c.text)) {
        state.SkipWithError("compile failed");
        return;
    }
    const std::vector<double> xs = Samples();
    for (double v : xs) {
        x = v;
        e.result = 0;
        if (!e.Evaluate() || !SameValue(e.result, c.reference(v))) {
            state.SkipWithError("result differs from the reference");
            return;
        }
    }
    const uint64_t before = AllocationCount();
    for (auto _ : state) {
        for (double v : xs) {
            x = v;
            e.result = 0;
            e.Evaluate();
            benchmark::DoNotOptimize(e.result);
        }
    }
    SetPerItemCounters(state, AllocationCount() - before);
}

// The same curve evaluated in one call, as the plotter does.
void EvalOrvantaSeries(benchmark::State& state, const Case& c) {
    SymbolTable table;
    RegisterBuiltins(table);
    table.SetVariable("a", kA);
    table.SetVariable("b", kB);
    table.SetVariable("x", 0);
    double& x = table.FindVariable("x")->value;
    Expression e(table);
    if (!e.Compile(c.text)) {
        state.SkipWithError("compile failed");
        return;
    }
    const std::vector<double> xs = Samples();
    std::vector<double> ys(xs.size());
    e.EvaluateSeries(x, xs.data(), ys.data(), ys.size());
    for (size_t i = 0; i < xs.size(); ++i) {
        if (!SameValue(ys[i], c.reference(xs[i]))) {
            state.SkipWithError("result differs from the reference");
            return;
        }
    }
    const uint64_t before = AllocationCount();
    for (auto _ : state) {
        e.EvaluateSeries(x, xs.data(), ys.data(), ys.size());
        benchmark::DoNotOptimize(ys.data());
        benchmark::ClobberMemory();
    }
    SetPerItemCounters(state, AllocationCount() - before);
}

// The same curve computed by compiled C++ code, one call per sample.
void EvalLambda(benchmark::State& state, const Case& c) {
    double (*const f)(double) = c.compiled ? c.compiled : c.reference;
    const std::vector<double> xs = Samples();
    for (double v : xs) {
        if (!(std::fabs(f(v) - c.reference(v)) <= 1e-12 * std::fabs(c.reference(v)))) {
            state.SkipWithError("result differs from the reference");
            return;
        }
    }
    std::vector<double> ys(xs.size());
    for (auto _ : state) {
        for (size_t i = 0; i < xs.size(); ++i)
            ys[i] = f(xs[i]);
        benchmark::DoNotOptimize(ys.data());
        benchmark::ClobberMemory();
    }
    SetPerItemCounters(state, 0);
}

double MuMod(double x, double y) { return std::fmod(x, y); }
double MuFloor(double x) { return std::floor(x); }
double MuArcTan2(double y, double x) { return std::atan2(y, x); }

void EvalMuparser(benchmark::State& state, const Case& c) {
    double x = 0, a = kA, b = kB;
    mu::Parser parser;
    try {
        parser.DefineVar("x", &x);
        parser.DefineVar("a", &a);
        parser.DefineVar("b", &b);
        parser.DefineFun("mod", MuMod);
        parser.DefineFun("floor", MuFloor);
        parser.DefineFun("arctan2", MuArcTan2);
        parser.SetExpr(c.muparser);
        parser.Eval();
    } catch (const mu::Parser::exception_type& e) {
        state.SkipWithError(e.GetMsg().c_str());
        return;
    }
    // muparser rewrites x^2, x^3 and x^4 as products, which differ from pow
    // in the last bit for some x: count those samples, refuse real errors.
    const std::vector<double> xs = Samples();
    int inexact = 0;
    for (double v : xs) {
        x = v;
        const double got = parser.Eval(), want = c.reference(v);
        if (!SameValue(got, want)) {
            ++inexact;
            if (!(std::fabs(got - want) <= 1e-12 * std::fabs(want))) {
                state.SkipWithError("result differs from the reference");
                return;
            }
        }
    }
    const uint64_t before = AllocationCount();
    for (auto _ : state) {
        for (double v : xs) {
            x = v;
            benchmark::DoNotOptimize(parser.Eval());
        }
    }
    SetPerItemCounters(state, AllocationCount() - before);
    state.counters["inexact_samples"] = inexact;
}

// The keystroke path: compile a text and evaluate it once.
void CompileOrvanta(benchmark::State& state, const Case& c) {
    SymbolTable table;
    RegisterBuiltins(table);
    table.SetVariable("a", kA);
    table.SetVariable("b", kB);
    table.SetVariable("x", 1);
    for (auto _ : state) {
        Expression e(table);
        e.Compile(c.text);
        e.Evaluate();
        benchmark::DoNotOptimize(e.result);
    }
}

void CompileMuparser(benchmark::State& state, const Case& c) {
    double x = 1, a = kA, b = kB;
    for (auto _ : state) {
        mu::Parser parser;
        parser.DefineVar("x", &x);
        parser.DefineVar("a", &a);
        parser.DefineVar("b", &b);
        parser.DefineFun("mod", MuMod);
        parser.DefineFun("floor", MuFloor);
        parser.DefineFun("arctan2", MuArcTan2);
        parser.SetExpr(c.muparser);
        benchmark::DoNotOptimize(parser.Eval());
    }
}

int Register() {
    int index = 0;
    for (const Case& c : kCases) {
        ++index;
        const std::string id = std::to_string(index);
        SetCaseLabel("eval", index, c.text);
        SetCaseLabel("compile", index, c.text);
        benchmark::RegisterBenchmark(("eval/orvanta/" + id).c_str(), EvalOrvanta, c);
        benchmark::RegisterBenchmark(("eval/orvanta-series/" + id).c_str(), EvalOrvantaSeries, c);
        benchmark::RegisterBenchmark(("eval/muparser/" + id).c_str(), EvalMuparser, c);
        benchmark::RegisterBenchmark(("eval/lambda/" + id).c_str(), EvalLambda, c);
        benchmark::RegisterBenchmark(("compile/orvanta/" + id).c_str(), CompileOrvanta, c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("compile/muparser/" + id).c_str(), CompileMuparser, c)
            ->Unit(benchmark::kMicrosecond);
    }
    // The evaluation targets, from this run's figures.
    AddSummary([count = index](const CellLookup& time) {
        double seriesToLambda = 0, sampleToMuparser = 0, slowest = 0;
        int cases = 0;
        for (int i = 1; i <= count; ++i) {
            const double sample = time("eval", "orvanta", i),
                         series = time("eval", "orvanta-series", i),
                         lambda = time("eval", "lambda", i), mu = time("eval", "muparser", i);
            if (sample <= 0 || series <= 0 || lambda <= 0 || mu <= 0)
                return;
            seriesToLambda += std::log(series / lambda);
            sampleToMuparser += std::log(sample / mu);
            slowest = std::max(slowest, series / mu);
            ++cases;
        }
        printf("Geometric mean of orvanta-series / lambda: %.2f (target at most 1.3)\n",
               std::exp(seriesToLambda / cases));
        printf("Geometric mean of orvanta / muparser: %.2f (target at most 0.75)\n",
               std::exp(sampleToMuparser / cases));
        printf("Largest orvanta-series / muparser: %.2f (target below 1)\n", slowest);
    });
    return index;
}

const int registered = Register();

} // namespace
