// Time per call of the program's sin, cos and tan (glibc's on Linux,
// expr/trig.h's on Windows, where this file also builds on its own to run
// under Wine), over three sets of 1920 arguments: ordinary ones across
// -10..10 as a plotted curve has them, moderate ones up to 10^6 and large
// ones from 2^21 up to 2^1000. On Linux the functions of expr/trig.h are
// timed beside glibc's.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "expr/trig.h"

namespace {

constexpr int kArguments = 1920;

std::vector<double> Ordinary() {
    std::vector<double> xs(kArguments);
    for (int i = 0; i < kArguments; ++i)
        xs[i] = -10.0 + 20.0 * i / (kArguments - 1);
    return xs;
}

// Spread over the range; the odd factor keeps them off round multiples.
std::vector<double> Moderate() {
    std::vector<double> xs(kArguments);
    for (int i = 0; i < kArguments; ++i)
        xs[i] = (i + 1) * (1e6 / kArguments) * 1.0123456789;
    return xs;
}

std::vector<double> Large() {
    std::vector<double> xs(kArguments);
    for (int i = 0; i < kArguments; ++i)
        xs[i] = std::ldexp(1.0 + (i % 97) / 97.0, 21 + i * 979 / kArguments);
    return xs;
}

using Arguments = std::vector<double> (*)();

void Time(benchmark::State& state, double (*f)(double), Arguments arguments) {
    const std::vector<double> xs = arguments();
    std::vector<double> ys(xs.size());
    for (auto _ : state) {
        for (size_t i = 0; i < xs.size(); ++i)
            ys[i] = f(xs[i]);
        benchmark::DoNotOptimize(ys.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kArguments);
    state.counters["s_per_item"] = benchmark::Counter(double(state.iterations()) * kArguments,
                                                      benchmark::Counter::kIsRate |
                                                          benchmark::Counter::kInvert);
}

// Through pointers that the compiler cannot see into, as the expression
// engine calls them.
double (*volatile programSin)(double) = [](double x) { return std::sin(x); };
double (*volatile programCos)(double) = [](double x) { return std::cos(x); };
double (*volatile programTan)(double) = [](double x) { return std::tan(x); };

struct Function {
    const char* name;
    double (*f)(double);
};

const bool registered = [] {
    std::vector<Function> functions = {
        {"sin", [](double x) { return programSin(x); }},
        {"cos", [](double x) { return programCos(x); }},
        {"tan", [](double x) { return programTan(x); }},
    };
#ifndef _WIN32
    functions.push_back({"trig::Sin", trig::Sin});
    functions.push_back({"trig::Cos", trig::Cos});
    functions.push_back({"trig::Tan", trig::Tan});
#endif
    const struct {
        const char* name;
        Arguments arguments;
    } sets[] = {{"ordinary", Ordinary}, {"moderate", Moderate}, {"large", Large}};
    for (const Function& function : functions)
        for (const auto& set : sets)
            // Real time: Windows counts process time in steps of 15.6 ms.
            benchmark::RegisterBenchmark((std::string("Trig_") + function.name + "/" + set.name).c_str(),
                                         Time, function.f, set.arguments)
                ->UseRealTime();
    return true;
}();

} // namespace
