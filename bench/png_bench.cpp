// PNG export cost of a rendered graph: the program's path (the canvas
// wrapped as a format-6 image, converted to RGB, written by the PNG writer
// through ZrFile) beside the same pixels written by a minimal direct libpng
// call sequence with the same settings (8-bit RGB, no interlacing, libpng's
// default compression and filters) into a stdio file, in the same run; and
// the program's path once more with its flushes left out, for what making
// the saved file durable costs.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bench_util.h"
#include "plain_png.h"
#include "plot/canvas.h"
#include "plot/render.h"
#include "src/zr_32bit_image.h"
#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_file_calls.h"
#include "src/zr_image_converter.h"
#include "src/zr_png_file.h"

namespace {

const char* const kCurves[8] = {
    "x^2+1",
    "-x^2",
    "sin(x)*x^2",
    "((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1",
    "exp(-0.5*x^2)/sqrt(2*pi())*cos(3*x)+abs(x)/(1+x^2)",
    "mod(x,2.5)+floor(x)",
    "tanh(x)*cosh(x/3)",
    "10*sin(3*x)",
};

// A rendered graph and its export image, as the graph window holds them.
struct Graph {
    Canvas canvas;
    std::unique_ptr<Zr32BitImage> exportImage;

    Graph(int32_t width, int32_t height) : canvas(width, height) {
        const uint32_t bytes = 4u * static_cast<uint32_t>(width) * static_cast<uint32_t>(height);
        exportImage = std::make_unique<Zr32BitImage>(
            width, height, kZrFormatBGRX, zrDefaultStride,
            std::make_unique<ZrInPlaceBuffer>(reinterpret_cast<uint8_t*>(canvas.bits()), bytes, true), true);
        Plotter plotter;
        plotter.SetCanvas(canvas.bits(), canvas.Stride(), width, height);
        EquationSlots equations;
        for (int i = 0; i < 8; ++i)
            equations[i] = kCurves[i];
        RenderGraph(plotter, equations, GraphStyle());
    }
};

std::string OutputPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// The export command's PNG branch.
void WriteOurs(const Graph& graph, const std::string& path) {
    const std::unique_ptr<ZrRGBImage> rgb = convertToRGB(*graph.exportImage);
    ZrWritePNG writer;
    ZrFileLocator locator;
    locator.setName(path.c_str());
    writer.write(*rgb, locator);
}

int NoFlush(int) { return 0; }

// Ours, ours with the saving path's flushes left out, or plain libpng.
enum class Writer { Ours, OursUnflushed, Plain };

void Run(benchmark::State& state, int32_t width, int32_t height, Writer writer) {
    const Graph graph(width, height);
    const std::string path =
        OutputPath(writer == Writer::Plain ? "orvanta-bench-direct.png" : "orvanta-bench-ours.png");
    if (writer == Writer::OursUnflushed)
        zrSetFlushFunction(NoFlush);
    try {
        for (auto _ : state) {
            if (writer == Writer::Plain)
                WritePlainPng(graph.canvas, path);
            else
                WriteOurs(graph, path);
        }
    } catch (const ZrErrorCode& e) {
        state.SkipWithError(("ZrErrorCode: " + ZrErrorText(e)).c_str());
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
    zrSetFlushFunction(nullptr);
    std::error_code ignored;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path, ignored));
    std::filesystem::remove(path, ignored);
}

int Register() {
    const struct {
        const char* label;
        int32_t width, height;
    } cases[] = {
        {"PNG of a 1920x1080 graph with 8 curves", 1920, 1080},
        {"PNG of an 800x600 graph with 8 curves", 800, 600},
    };
    int index = 0;
    for (const auto& c : cases) {
        ++index;
        SetCaseLabel("png", index, c.label);
        const int32_t w = c.width, h = c.height;
        const std::pair<const char*, Writer> writers[] = {{"orvanta", Writer::Ours},
                                                          {"orvanta-without-flushes", Writer::OursUnflushed},
                                                          {"plain-libpng", Writer::Plain}};
        for (const auto& [engine, writer] : writers)
            benchmark::RegisterBenchmark(("png/" + std::string(engine) + "/" + std::to_string(index)).c_str(),
                                         [w, h, writer = writer](benchmark::State& s) { Run(s, w, h, writer); })
                ->Unit(benchmark::kMillisecond);
    }
    AddSummary([count = index](const CellLookup& time) {
        for (int i = 1; i <= count; ++i) {
            // Plain libpng does not wait for the disk: what the flushes
            // take of the difference is shown beside it.
            const double ours = time("png", "orvanta", i), direct = time("png", "plain-libpng", i),
                         unflushed = time("png", "orvanta-without-flushes", i);
            if (ours > 0 && direct > 0)
                printf("png case %d: orvanta / plain libpng = %.3f (target at most 1.15); orvanta - "
                       "orvanta-without-flushes = %.2f ms\n",
                       i, ours / direct, unflushed > 0 ? ours - unflushed : 0.0);
        }
    });
    return index;
}

const int registered = Register();

} // namespace
