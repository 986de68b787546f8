#include "cli/plot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/canvas.h"
#include "app/export_image.h"
#include "cli/eval.h"
#include "plot/plot_checks.h"
#include "plot/render.h"
#include "src/zr_error.h"

const char kPlotUsage[] =
    "usage: orvanta-cli plot [--mode rectangular|parametric|polar] [--x MIN MAX] [--y MIN MAX]\n"
    "                        [--t START STOP] [--size WxH] [--no-axes] [--background RRGGBB]\n"
    "                        [--axis-color RRGGBB] [--color N RRGGBB]... -o FILE EQUATION...\n";

const char kPlotHelp[] =
    "orvanta-cli plot ... -o FILE EQUATION...\n"
    "  Plots up to eight equations (slots 1 to 8 in order; \"\" leaves a slot\n"
    "  empty) and writes the graph as FILE: PNG when its name ends in .png, a\n"
    "  24-bit BMP when it ends in .bmp (any case). The pixels are those the\n"
    "  graph pane shows at that size. Defaults: x, y and t from -10 to\n"
    "  10, 800x600, axes on, the default colours. Parametric mode pairs the\n"
    "  slots (1,2), (3,4), (5,6), (7,8) as x(t), y(t).\n"
    "  The Plot command's checks apply; a refusal prints its message and exits\n"
    "  with 2 without writing. A write failure prints \"Error saving image\" and\n"
    "  exits with 1. Any argument that is not an option is an equation; \"--\"\n"
    "  ends the options.\n";

namespace {

struct PlotArguments {
    GraphMode mode = Rectangular;
    double xMin = -10, xMax = 10, yMin = -10, yMax = 10, tStart = -10, tStop = 10;
    int32_t width = 800, height = 600;
    GraphStyle style;
    std::string output;
    std::vector<std::string> equations;
};

// A whole argument read as a number by strtod.
bool ParseNumber(const char* text, double& value) {
    if (!*text)
        return false;
    char* end;
    errno = 0;
    value = std::strtod(text, &end);
    return *end == '\0';
}

// Six hex digits RRGGBB.
bool ParseColor(const char* text, uint32_t& color) {
    if (std::strlen(text) != 6)
        return false;
    uint32_t value = 0;
    for (const char* p = text; *p; ++p) {
        const char c = *p;
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    color = value;
    return true;
}

// WxH, each from 1 to 32767.
bool ParseSize(const char* text, int32_t& width, int32_t& height) {
    char* end;
    const long w = std::strtol(text, &end, 10);
    if (end == text || *end != 'x' || !(end[1] >= '0' && end[1] <= '9'))
        return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (*end != '\0' || w < 1 || h < 1 || w > 32767 || h > 32767 || text[0] < '0' || text[0] > '9')
        return false;
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i])
            return false;
    return true;
}

// Fills `args` from the command line (argv[2] on); false on a usage error,
// with the reason in `problem`.
bool ParseArguments(int argc, char** argv, PlotArguments& args, std::string& problem) {
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto need = [&](int count) {
            if (i + count < argc)
                return true;
            problem = arg + " needs " + std::to_string(count) + (count == 1 ? " value" : " values");
            return false;
        };
        auto numbers = [&](double& a, double& b) {
            if (!need(2))
                return false;
            if (!ParseNumber(argv[i + 1], a) || !ParseNumber(argv[i + 2], b)) {
                problem = arg + " needs two numbers";
                return false;
            }
            i += 2;
            return true;
        };
        auto color = [&](uint32_t& word) {
            if (!need(1))
                return false;
            if (!ParseColor(argv[++i], word)) {
                problem = arg + " needs a colour RRGGBB";
                return false;
            }
            return true;
        };
        if (optionsEnded) {
            args.equations.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--mode") {
            if (!need(1))
                return false;
            const std::string mode = argv[++i];
            if (mode == "rectangular")
                args.mode = Rectangular;
            else if (mode == "parametric")
                args.mode = Parametric;
            else if (mode == "polar")
                args.mode = Polar;
            else {
                problem = "unknown mode " + mode;
                return false;
            }
        } else if (arg == "--x") {
            if (!numbers(args.xMin, args.xMax))
                return false;
        } else if (arg == "--y") {
            if (!numbers(args.yMin, args.yMax))
                return false;
        } else if (arg == "--t") {
            if (!numbers(args.tStart, args.tStop))
                return false;
        } else if (arg == "--size") {
            if (!need(1))
                return false;
            if (!ParseSize(argv[++i], args.width, args.height)) {
                problem = "--size needs WxH, each from 1 to 32767";
                return false;
            }
        } else if (arg == "--no-axes") {
            args.style.showAxes = false;
        } else if (arg == "--background") {
            if (!color(args.style.backColor))
                return false;
        } else if (arg == "--axis-color") {
            if (!color(args.style.axisColor))
                return false;
        } else if (arg == "--color") {
            if (!need(2))
                return false;
            const std::string slot = argv[++i];
            if (slot.size() != 1 || slot[0] < '1' || slot[0] > '8') {
                problem = "--color needs a curve number from 1 to 8";
                return false;
            }
            if (!color(args.style.graphColors[slot[0] - '1']))
                return false;
        } else if (arg == "-o") {
            if (!need(1))
                return false;
            args.output = argv[++i];
        } else {
            args.equations.push_back(arg);
        }
    }
    if (args.output.empty()) {
        problem = "no output file (-o FILE)";
        return false;
    }
    if (!EndsWith(args.output, ".bmp") && !EndsWith(args.output, ".png")) {
        problem = "the output file must end in .png or .bmp";
        return false;
    }
    if (args.equations.size() > 8) {
        problem = "at most eight equations";
        return false;
    }
    return true;
}


int Refuse(const PlotRefusal& refusal) {
    std::fprintf(stderr, "%s\n", refusal.text.c_str());
    return 2;
}

} // namespace

int RunPlot(int argc, char** argv) {
    for (int i = 2; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            return WriteAll(kPlotUsage, stdout) && WriteAll(kPlotHelp, stdout) ? 0 : 1;
    }
    PlotArguments args;
    std::string problem;
    if (!ParseArguments(argc, argv, args, problem)) {
        std::fprintf(stderr, "orvanta-cli plot: %s\n%s", problem.c_str(), kPlotUsage);
        return 2;
    }

    // The Plot command's checks, in its order: range, step, equations, pairs.
    Plotter plotter;
    plotter.SetMode(args.mode);
    if (auto refusal = AcceptRange(plotter, args.xMin, args.xMax, args.yMin, args.yMax))
        return Refuse(*refusal);
    if (args.mode != Rectangular)
        if (auto refusal = AcceptStep(plotter, args.tStart, args.tStop))
            return Refuse(*refusal);
    EquationSlots equations;
    for (size_t i = 0; i < args.equations.size(); ++i)
        equations[i] = args.equations[i];
    if (auto refusal = AcceptEquations(plotter, equations))
        return Refuse(*refusal);

    Canvas canvas(args.width, args.height);
    if (!canvas.bits()) {
        std::fputs("Error saving image\n", stderr);
        return 1;
    }
    // As the graph window lays out its canvas: the export image wraps the
    // pixels (and clears them) before the graph is rendered into them.
    const bool png = EndsWith(args.output, ".png");
    std::unique_ptr<Zr32BitImage> exportImage;
    if (png) {
        try {
            exportImage = MakeExportImage(canvas);
        } catch (const ZrErrorCode&) {
            std::fputs("Error saving image\n", stderr);
            return 1;
        }
    }
    plotter.SetCanvas(canvas.bits(), canvas.Stride(), canvas.Width(), canvas.Height());
    RenderGraph(plotter, equations, args.style);
    const bool saved = png ? SavePNG(*exportImage, args.output.c_str())
                           : canvas.SaveBMP(args.output.c_str());
    if (!saved) {
        std::fputs("Error saving image\n", stderr);
        return 1;
    }
    return 0;
}
