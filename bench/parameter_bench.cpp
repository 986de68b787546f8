// A curve with parameters against the same curve with the numbers typed in:
// the programs read a parameter where it lives in the table, as they read
// x, so the two should run at the same speed, sample by sample and as a
// series.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "plot/compiled_graph.h"

namespace {

constexpr size_t kSamples = 1920; // one per column of a full-HD graph

std::unique_ptr<CompiledCurve> Curve(bool named) {
    const Parameters parameters = {{"a", 1.5, -10, 10, 0}, {"b", 2.5, -10, 10, 0},
                                   {"c", 0.5, -10, 10, 0}};
    return named ? CompiledCurve::Compile("a*sin(b*x+c)", "x", parameters)
                 : CompiledCurve::Compile("1.5*sin(2.5*x+0.5)", "x");
}

std::vector<double> Samples() {
    std::vector<double> xs(kSamples);
    for (size_t i = 0; i < kSamples; ++i)
        xs[i] = -10 + 20.0 * static_cast<double>(i) / kSamples;
    return xs;
}

void PerSample(benchmark::State& state, bool named) {
    const std::unique_ptr<CompiledCurve> curve = Curve(named);
    const std::vector<double> xs = Samples();
    for (auto _ : state)
        for (double x : xs)
            benchmark::DoNotOptimize(curve->At(x));
    state.counters["ns/sample"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kSamples),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Series(benchmark::State& state, bool named) {
    const std::unique_ptr<CompiledCurve> curve = Curve(named);
    const std::vector<double> xs = Samples();
    std::vector<double> ys(kSamples);
    for (auto _ : state) {
        curve->Program().EvaluateSeries(curve->Variable(), xs.data(), ys.data(), kSamples);
        benchmark::DoNotOptimize(ys.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns/sample"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kSamples),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(PerSample, literal, false);
BENCHMARK_CAPTURE(PerSample, parameters, true);
BENCHMARK_CAPTURE(Series, literal, false);
BENCHMARK_CAPTURE(Series, parameters, true);

} // namespace
