// The interval interpreter: one decorated enclosure per cell of a 64x64
// grid over [-10, 10]^2 (the coarse pass of a relation), for a circle and
// for a relation of nested functions. Allocations per evaluation are
// counted, and must stay 0.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "alloc_counter.h"
#include "expr/builtins.h"
#include "expr/expression.h"
#include "expr/interval_program.h"

namespace {

constexpr int kCells = 64;

void IntervalCells(benchmark::State& state, const char* text) {
    SymbolTable table;
    RegisterBuiltins(table);
    table.SetVariable("x", 0);
    table.SetVariable("y", 0);
    Expression expression(table);
    IntervalProgram program;
    if (!expression.Compile(text) ||
        !program.Build(expression, &table.FindVariable("x")->value,
                       &table.FindVariable("y")->value)) {
        state.SkipWithError("cannot compile");
        return;
    }
    const double step = 20.0 / kCells;
    int defined = 0;
    const uint64_t allocations = AllocationCount();
    for (auto _ : state) {
        for (int i = 0; i < kCells; ++i) {
            const Interval x = Interval::Range(-10 + i * step, -10 + (i + 1) * step);
            for (int j = 0; j < kCells; ++j) {
                const Interval y = Interval::Range(-10 + j * step, -10 + (j + 1) * step);
                const Interval r = program.Evaluate(x, y);
                defined += r.defined == Definedness::Everywhere;
                benchmark::DoNotOptimize(r);
            }
        }
    }
    const double items = double(state.iterations()) * kCells * kCells;
    state.counters["s_per_item"] =
        benchmark::Counter(items, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocs_per_item"] = double(AllocationCount() - allocations) / items;
    state.SetItemsProcessed(int64_t(items));
    benchmark::DoNotOptimize(defined);
}

BENCHMARK_CAPTURE(IntervalCells, circle, "x^2+y^2-25");
BENCHMARK_CAPTURE(IntervalCells, nested, "abs(sin(sqrt(x^2+y^2)))-abs(cos(x))");

} // namespace
