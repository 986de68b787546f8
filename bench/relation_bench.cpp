// Relations decided cell by cell: the figures the decider is built for, at
// 1024 x 1024 cells over [-10, 10]^2 with the command line's 10 s limit,
// each with the number of cells it leaves undecided; and the coarse pass
// alone (what the window shows first) for a circle at 800 x 600.
#include <benchmark/benchmark.h>

#include "decide/relation_decider.h"

namespace {

void DecideFigure(benchmark::State& state, const char* text) {
    auto relation = CompiledRelation::Compile(text);
    if (!relation) {
        state.SkipWithError("cannot compile");
        return;
    }
    CellGrid grid;
    grid.width = grid.height = 1024;
    size_t undecided = 0;
    for (auto _ : state) {
        RelationDecider decider(relation->Copy(), grid);
        DecideLimits limits;
        limits.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        decider.Run(limits);
        undecided = decider.Undecided();
    }
    state.counters["undecided"] = static_cast<double>(undecided);
}

BENCHMARK_CAPTURE(DecideFigure, sin, "y=sin(x)")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecideFigure, tan, "y=tan(x)")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecideFigure, circle, "x^2+y^2=25")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecideFigure, below_sqrt, "y<sqrt(x)")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecideFigure, rings, "abs(sin(sqrt(x^2+y^2)))=abs(cos(x))")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecideFigure, floor_circle, "floor(x)^2+floor(y)^2=25")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecideFigure, sin_40_over_x, "y=sin(40/x)")->Unit(benchmark::kMillisecond);

// The coarse pass over the graph pane's pixels: refinement switched off.
void CoarsePass(benchmark::State& state, const char* text) {
    auto relation = CompiledRelation::Compile(text);
    if (!relation) {
        state.SkipWithError("cannot compile");
        return;
    }
    CellGrid grid;
    grid.width = 800;
    grid.height = 600;
    grid.placement = CellGrid::Placement::Centred;
    for (auto _ : state) {
        RelationDecider decider(relation->Copy(), grid);
        DecideLimits limits;
        limits.maxDepth = 0;
        decider.Run(limits);
        benchmark::DoNotOptimize(decider.Map().states.data());
    }
}

BENCHMARK_CAPTURE(CoarsePass, circle_800x600, "x^2+y^2=25")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CoarsePass, rings_800x600, "abs(sin(sqrt(x^2+y^2)))=abs(cos(x))")
    ->Unit(benchmark::kMillisecond);

} // namespace
