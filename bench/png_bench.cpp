// PNG export cost of a rendered graph: the program's path (the canvas
// wrapped as a format-6 image, converted to RGB, written by the PNG writer
// through ZrFile) beside the same pixels written by a minimal direct libpng
// call sequence with the same settings (8-bit RGB, no interlacing, libpng's
// default compression and filters) into a stdio file, in the same run.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/canvas.h"
#include "bench_util.h"
#include "plot/render.h"
#include "src/zr_32bit_image.h"
#include "src/zr_error.h"
#include "src/zr_file.h"
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

[[noreturn]] void DirectError(png_structp, png_const_charp message) { throw std::runtime_error(message); }

// The fewest libpng calls that write the canvas: libpng itself reorders
// B, G, R and drops the fourth byte of each pixel.
void WriteDirect(const Graph& graph, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot open " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, DirectError, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    try {
        if (!info)
            throw std::runtime_error("out of memory");
        png_init_io(png, file);
        const int32_t width = graph.canvas.Width(), height = graph.canvas.Height();
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        std::vector<png_bytep> rows(height);
        for (int32_t y = 0; y < height; ++y)
            rows[y] = reinterpret_cast<png_bytep>(graph.canvas.bits() + size_t(y) * width);
        png_write_rows(png, rows.data(), height);
        png_write_end(png, nullptr);
    } catch (...) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw;
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0)
        throw std::runtime_error("cannot close " + path);
}

void Run(benchmark::State& state, int32_t width, int32_t height, bool ours) {
    const Graph graph(width, height);
    const std::string path = OutputPath(ours ? "orvanta-bench-ours.png" : "orvanta-bench-direct.png");
    try {
        for (auto _ : state) {
            if (ours)
                WriteOurs(graph, path);
            else
                WriteDirect(graph, path);
        }
    } catch (const ZrErrorCode& e) {
        state.SkipWithError(("ZrErrorCode " + std::to_string(e.code)).c_str());
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
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
        benchmark::RegisterBenchmark(("png/orvanta/" + std::to_string(index)).c_str(),
                                     [w, h](benchmark::State& s) { Run(s, w, h, true); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("png/plain-libpng/" + std::to_string(index)).c_str(),
                                     [w, h](benchmark::State& s) { Run(s, w, h, false); })
            ->Unit(benchmark::kMillisecond);
    }
    AddSummary([count = index](const CellLookup& time) {
        for (int i = 1; i <= count; ++i) {
            const double ours = time("png", "orvanta", i), direct = time("png", "plain-libpng", i);
            if (ours > 0 && direct > 0)
                printf("png case %d: orvanta / plain libpng = %.3f (target at most 1.15)\n", i, ours / direct);
        }
    });
    return index;
}

const int registered = Register();

} // namespace
