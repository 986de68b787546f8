// Reading the graph: the points of interest of the render benchmark's eight
// curves over the render view, and a value with its exact slope at a point
// against the value alone.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/slope_program.h"
#include "bench_util.h"
#include "expr/builtins.h"
#include "expr/expression.h"

namespace {

// Points spread over the view, so that every branch of the curves is met.
constexpr int kPoints = 1024;

std::vector<double> Points() {
    std::vector<double> xs(kPoints);
    for (int i = 0; i < kPoints; ++i)
        xs[i] = -10.0 + 20.0 * (i + 0.37) / kPoints;
    return xs;
}

void PerPoint(benchmark::State& state) {
    const double items = double(state.iterations()) * kPoints;
    state.counters["s_per_item"] =
        benchmark::Counter(items, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(int64_t(items));
}

// A compiled curve with x bound, as the window evaluates one at a time.
struct Bound {
    SymbolTable table;
    Expression expression{table};
    SlopeProgram slopes;
    double* x;
    explicit Bound(const char* text) {
        RegisterBuiltins(table);
        table.SetVariable("x", 0);
        x = &table.FindVariable("x")->value;
        if (!expression.Compile(text) || !slopes.Build(expression, x))
            std::fprintf(stderr, "cannot compile %s\n", text);
    }
};

void ValueAlone(benchmark::State& state, const char* text) {
    Bound b(text);
    const std::vector<double> xs = Points();
    for (auto _ : state)
        for (const double x : xs) {
            *b.x = x;
            b.expression.result = 0;
            b.expression.Evaluate();
            benchmark::DoNotOptimize(b.expression.result);
        }
    PerPoint(state);
}

void ValueAndSlope(benchmark::State& state, const char* text) {
    Bound b(text);
    const std::vector<double> xs = Points();
    for (auto _ : state)
        for (const double x : xs) {
            const Dual d = b.slopes.Evaluate(x);
            benchmark::DoNotOptimize(d);
        }
    PerPoint(state);
}

void PointsOfInterest8(benchmark::State& state) {
    std::array<std::string, 8> equations;
    for (int i = 0; i < 8; ++i)
        equations[i] = kRenderCurves[i];
    size_t points = 0;
    for (auto _ : state) {
        const PointsOfInterest found = FindPointsOfInterest(equations, -10, 10);
        points = found.points.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
}

int Register() {
    int index = 0;
    for (const char* text : kRenderCurves) {
        ++index;
        SetCaseLabel("slope", index, text);
        benchmark::RegisterBenchmark(("slope/value/" + std::to_string(index)).c_str(),
                                     [text](benchmark::State& s) { ValueAlone(s, text); });
        benchmark::RegisterBenchmark(("slope/slope/" + std::to_string(index)).c_str(),
                                     [text](benchmark::State& s) { ValueAndSlope(s, text); });
    }
    SetCaseLabel("analysis", 1, "points of interest of the 8 curves over [-10, 10]");
    benchmark::RegisterBenchmark("analysis/orvanta/1", PointsOfInterest8)
        ->Unit(benchmark::kMicrosecond);
    AddSummary([](const CellLookup& time) {
        const double points = time("analysis", "orvanta", 1);
        if (points > 0)
            printf("points of interest of the 8 curves: %.2f ms (target: below 5 ms)\n",
                   points / 1000);
    });
    return index;
}

const int registered = Register();

} // namespace
