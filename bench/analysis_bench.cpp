// Reading the graph: the points of interest of the render benchmark's eight
// curves over the render view (unbounded, and with the clock and cancel
// checks of a bounded analysis running all along), a value with its exact
// slope at a point against the value alone, and the eight hostile curves of
// the test data (nested mods of 9^322*x) as orvanta-cli analyze reads them
// and as the pointer line evaluates them.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/points.h"
#include "analysis/slope_program.h"
#include "bench_util.h"
#include "document/document_file.h"
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

std::array<std::string, 8> RenderCurves() {
    std::array<std::string, 8> equations;
    for (int i = 0; i < 8; ++i)
        equations[i] = kRenderCurves[i];
    return equations;
}

void PointsOfInterest8(benchmark::State& state) {
    const std::array<std::string, 8> equations = RenderCurves();
    size_t points = 0;
    for (auto _ : state) {
        const PointsOfInterest found = FindPointsOfInterest(equations, -10, 10);
        points = found.points.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
}

// The same under a deadline far off and a cancel flag that stays clear, as
// the window's worker runs it: the cost of looking at both.
void PointsOfInterest8Bounded(benchmark::State& state) {
    const std::array<std::string, 8> equations = RenderCurves();
    const std::atomic<bool> cancel{false};
    for (auto _ : state) {
        AnalysisWork work;
        work.deadline = AnalysisClock::now() + std::chrono::hours(1);
        work.cancel = &cancel;
        const PointsOfInterest found = FindPointsCounted(equations, -10, 10, work);
        benchmark::DoNotOptimize(found.points.size());
    }
}

std::array<std::string, 8> HostileCurves() {
    GraphDocument document;
    std::string reason;
    if (!LoadGraphDocument(ORVANTA_TEST_DATA "/hostile_mod.orv", document, reason))
        std::fprintf(stderr, "hostile_mod.orv: %s\n", reason.c_str());
    return document.equations;
}

// orvanta-cli analyze of the hostile curves: alone, and with a value and an
// integral of every curve.
void HostileAnalyze(benchmark::State& state, bool valuesAndIntegrals) {
    const std::array<std::string, 8> equations = HostileCurves();
    const std::vector<double> at = valuesAndIntegrals ? std::vector<double>{0.3} : std::vector<double>{};
    std::vector<std::pair<double, double>> integrals;
    if (valuesAndIntegrals)
        integrals.emplace_back(-1, 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(AnalyzeLines(equations, -10, 10, at, integrals).size());
}

// The pointer line's work: every hostile curve's value at one point.
void HostilePointer(benchmark::State& state) {
    const std::array<std::string, 8> equations = HostileCurves();
    for (auto _ : state)
        for (const std::string& equation : equations)
            benchmark::DoNotOptimize(EvaluateWithSlope(equation, 0.3));
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
    benchmark::RegisterBenchmark("analysis/bounded/1", PointsOfInterest8Bounded)
        ->Unit(benchmark::kMicrosecond);
    SetCaseLabel("hostile", 1, "analyze of the 8 hostile curves");
    SetCaseLabel("hostile", 2, "the same with --at 0.3 --integral -1 2");
    SetCaseLabel("hostile", 3, "the pointer line's 8 values at x = 0.3");
    benchmark::RegisterBenchmark("hostile/orvanta/1",
                                 [](benchmark::State& s) { HostileAnalyze(s, false); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("hostile/orvanta/2",
                                 [](benchmark::State& s) { HostileAnalyze(s, true); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("hostile/orvanta/3", HostilePointer)
        ->Unit(benchmark::kMillisecond);
    AddSummary([](const CellLookup& time) {
        const double points = time("analysis", "orvanta", 1);
        if (points > 0)
            printf("points of interest of the 8 curves: %.2f ms (target: below 5 ms)\n",
                   points / 1000);
        const double bounded = time("analysis", "bounded", 1);
        if (points > 0 && bounded > 0)
            printf("the same under a deadline and a cancel flag: %.2f ms (%+.1f %%)\n",
                   bounded / 1000, 100 * (bounded / points - 1));
        const double alone = time("hostile", "orvanta", 1), all = time("hostile", "orvanta", 2);
        if (alone > 0 && all > 0)
            printf("analyze of the 8 hostile curves: %.2f s, with --at and --integral %.2f s "
                   "(target: below 2 s)\n",
                   alone / 1000, all / 1000);
        const double pointer = time("hostile", "orvanta", 3);
        if (pointer > 0)
            printf("the pointer line's values of the 8 hostile curves: %.2f ms "
                   "(target: well below 100 ms)\n",
                   pointer);
    });
    return index;
}

const int registered = Register();

} // namespace
