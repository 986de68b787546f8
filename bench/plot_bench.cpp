// Rendering cost at full-screen size: the whole scene, and its parts measured
// alone in the same run (fill, the curves' evaluations), so that the drawing
// overhead shows; parametric and polar curves, one of them far outside.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_util.h"
#include "expr/builtins.h"
#include "expr/expression.h"
#include "plot/canvas.h"
#include "plot/render.h"
#include "plot/svg_writer.h"

// Eight of the evaluation benchmark's expressions that use x alone.
const char* const kRenderCurves[8] = {
    "x^2+1",
    "-x^2",
    "sin(x)*x^2",
    "((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1",
    "7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+x+0.1",
    "exp(-0.5*x^2)/sqrt(2*pi())*cos(3*x)+abs(x)/(1+x^2)",
    "mod(x,2.5)+floor(x)",
    "tanh(x)*cosh(x/3)",
};

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;

struct Scene {
    Canvas canvas{kWidth, kHeight};
    Plotter plotter;
    EquationSlots equations;
    GraphStyle style;

    explicit Scene(GraphMode mode) {
        plotter.SetCanvas(canvas.bits(), canvas.Stride(), kWidth, kHeight);
        plotter.SetMode(mode);
    }
};

void Fill(benchmark::State& state) {
    Scene scene(Rectangular);
    for (auto _ : state) {
        scene.canvas.Fill(0xFFFFFF);
        benchmark::ClobberMemory();
    }
}

// What the rectangular plots evaluate: per curve a table, a compiled text
// and one series over the canvas columns.
void Evaluations(benchmark::State& state) {
    std::vector<double> xs(kWidth), ys(kWidth);
    for (int32_t i = 0; i < kWidth; ++i)
        xs[i] = 20.0 * i / kWidth - 10.0;
    for (auto _ : state) {
        for (const char* text : kRenderCurves) {
            SymbolTable table;
            RegisterBuiltins(table);
            table.SetVariable("x", 0);
            Expression e(table);
            e.Compile(text);
            e.EvaluateSeries(table.FindVariable("x")->value, xs.data(), ys.data(), ys.size());
            benchmark::DoNotOptimize(ys.data());
        }
    }
}

void RenderRectangular(benchmark::State& state, bool smooth) {
    Scene scene(Rectangular);
    for (int i = 0; i < 8; ++i)
        scene.equations[i] = kRenderCurves[i];
    scene.style.smoothCurves = smooth;
    for (auto _ : state) {
        RenderGraph(scene.plotter, scene.equations, scene.style);
        benchmark::ClobberMemory();
    }
}

// The SVG document of the same scene, held in memory.
void SvgRectangular(benchmark::State& state) {
    Scene scene(Rectangular);
    for (int i = 0; i < 8; ++i)
        scene.equations[i] = kRenderCurves[i];
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string svg = GraphSvg(scene.plotter, scene.equations, scene.style);
        bytes = svg.size();
        benchmark::DoNotOptimize(svg.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

// One curve of another mode, without the fill.
void Curve(benchmark::State& state, GraphMode mode, const char* first, const char* second) {
    Scene scene(mode);
    for (auto _ : state) {
        if (mode == Parametric)
            scene.plotter.PlotParametric(first, second, 0xFF0000);
        else
            scene.plotter.PlotPolar(first, 0xFF0000);
        benchmark::ClobberMemory();
    }
}

int Register() {
    const struct {
        const char* label;
        void (*run)(benchmark::State&);
    } cases[] = {
        {"fill 1920x1080", Fill},
        {"evaluations of the 8 curves (1920 samples each)", Evaluations},
        {"render: fill, axes and 8 rectangular curves",
         [](benchmark::State& s) { RenderRectangular(s, false); }},
        {"parametric circle x=cos(t), y=sin(t), t -10..10",
         [](benchmark::State& s) { Curve(s, Parametric, "cos(t)", "sin(t)"); }},
        {"parametric far outside x=1000000000*t, y=t",
         [](benchmark::State& s) { Curve(s, Parametric, "1000000000*t", "t"); }},
        {"polar spiral r=t, t -10..10", [](benchmark::State& s) { Curve(s, Polar, "t", ""); }},
        {"render with smooth curves", [](benchmark::State& s) { RenderRectangular(s, true); }},
        {"SVG document of the 8 curves", SvgRectangular},
    };
    int index = 0;
    for (const auto& c : cases) {
        ++index;
        SetCaseLabel("render", index, c.label);
        benchmark::RegisterBenchmark(("render/orvanta/" + std::to_string(index)).c_str(), c.run)
            ->Unit(benchmark::kMicrosecond);
    }
    AddSummary([](const CellLookup& time) {
        const double fill = time("render", "orvanta", 1), eval = time("render", "orvanta", 2),
                     render = time("render", "orvanta", 3), circle = time("render", "orvanta", 4),
                     far = time("render", "orvanta", 5);
        if (fill > 0 && eval > 0 && render > 0)
            printf("render / (fill + evaluations): %.2f; evaluations of the 8 curves: %.0f us\n",
                   render / (fill + eval), eval);
        if (circle > 0 && far > 0)
            printf("far-outside curve / circle: %.2f\n", far / circle);
        const double smooth = time("render", "orvanta", 7), svg = time("render", "orvanta", 8);
        if (render > 0 && smooth > 0)
            printf("smooth render / plain render: %.2f (target below 2)\n", smooth / render);
        if (svg > 0)
            printf("SVG of the 8 curves: %.2f ms (target below 20)\n", svg / 1000);
    });
    return index;
}

const int registered = Register();

} // namespace
