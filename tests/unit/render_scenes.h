// The scenes the render benchmark draws, plus curves with breaks, shared by
// the tests that hold the exact raster, the smooth raster and the SVG writer
// to one another.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "plot/canvas.h"
#include "plot/plotter.h"
#include "plot/render.h"

struct RenderScene {
    const char* name;
    GraphMode mode;
    int32_t width, height;
    std::vector<std::string> equations;
    double xMin = -10, xMax = 10, yMin = -10, yMax = 10, tStart = -10, tStop = 10;
};

// Full-screen scenes of the benchmark and small ones with breaks: poles,
// asymptotes, a curve that starts inside, one reaching far outside.
inline std::vector<RenderScene> RenderScenes() {
    return {
        {"benchmark_rectangular",
         Rectangular,
         1920,
         1080,
         {"x^2+1", "-x^2", "sin(x)*x^2", "((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1",
          "7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+x+0.1",
          "exp(-0.5*x^2)/sqrt(2*pi())*cos(3*x)+abs(x)/(1+x^2)", "mod(x,2.5)+floor(x)",
          "tanh(x)*cosh(x/3)"}},
        {"benchmark_parametric_circle", Parametric, 1920, 1080, {"cos(t)", "sin(t)"}},
        {"benchmark_parametric_far", Parametric, 1920, 1080, {"1000000000*t", "t"}},
        {"benchmark_polar_spiral", Polar, 1920, 1080, {"t"}},
        {"breaks", Rectangular, 401, 301, {"1/x", "tan(x)", "sqrt(x)"}, -6, 6, -5, 5},
        {"breaks_odd_width", Rectangular, 320, 200, {"1/x", "tan(x)", "sqrt(x)"}, -6, 6, -5, 5},
        {"parametric_breaks",
         Parametric,
         300,
         300,
         {"1/t", "sqrt(t)", "cos(t)", "tan(t)"},
         -4,
         4,
         -4,
         4,
         -3,
         3},
        {"gaps", Rectangular, 240, 180, {"sqrt(x^2-4)", "-sqrt(9-x^2)", "ln(x)"}, -5, 5, -4, 4},
        {"polar_rose", Polar, 257, 193, {"2*cos(3*t)", "1/t"}, -3, 3, -2.5, 2.5, 0, 12.6},
    };
}

// A scene set up on a canvas of its size, with the default style.
struct SceneCanvas {
    Canvas canvas;
    Plotter plotter;
    EquationSlots equations;
    GraphStyle style;

    explicit SceneCanvas(const RenderScene& scene) : canvas(scene.width, scene.height) {
        plotter.SetCanvas(canvas.bits(), canvas.Stride(), scene.width, scene.height);
        plotter.SetMode(scene.mode);
        plotter.SetRange(scene.xMin, scene.xMax, scene.yMin, scene.yMax);
        plotter.SetStep(scene.tStart, scene.tStop);
        for (size_t i = 0; i < scene.equations.size() && i < 8; ++i)
            equations[i] = scene.equations[i];
    }
    // Renders and returns a copy of the pixels.
    std::vector<uint32_t> Render() {
        RenderGraph(plotter, equations, style);
        return std::vector<uint32_t>(canvas.bits(),
                                     canvas.bits() + size_t(canvas.Width()) * canvas.Height());
    }
    // The same picture without its curves.
    std::vector<uint32_t> RenderWithoutCurves() {
        EquationSlots kept;
        std::swap_ranges(std::begin(kept), std::end(kept), std::begin(equations));
        std::vector<uint32_t> pixels = Render();
        std::swap_ranges(std::begin(kept), std::end(kept), std::begin(equations));
        return pixels;
    }
};

// A checksum of a picture's pixels (FNV-1a over their bytes), for recording
// what a scene looked like.
inline uint64_t Fnv1a(const std::vector<uint32_t>& pixels) {
    uint64_t hash = 1469598103934665603ull;
    const auto* bytes = reinterpret_cast<const unsigned char*>(pixels.data());
    for (size_t i = 0; i < pixels.size() * 4; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

// For every marked pixel of `a`, whether a marked pixel of `b` lies within
// one pixel (in both directions); the first one without, as "column,row".
inline std::string FirstFarPixel(const std::vector<bool>& a, const std::vector<bool>& b,
                                 int32_t width, int32_t height) {
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            if (!a[size_t(y) * width + x])
                continue;
            bool near = false;
            for (int32_t dy = -1; dy <= 1 && !near; ++dy)
                for (int32_t dx = -1; dx <= 1 && !near; ++dx) {
                    const int32_t nx = x + dx, ny = y + dy;
                    near = nx >= 0 && nx < width && ny >= 0 && ny < height &&
                           b[size_t(ny) * width + nx];
                }
            if (!near)
                return std::to_string(x) + "," + std::to_string(y);
        }
    return "";
}
