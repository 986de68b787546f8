#include "cli/decide.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "cli/command_line.h"
#include "cli/eval.h"
#include "cli/plot_options.h"
#include "decide/graph_decisions.h"
#include "plot/export_image.h"
#include "plot/plot_checks.h"
#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_grayscale_image.h"
#include "src/zr_png_file.h"

namespace {

const char kDecideUsage[] = "usage: orvanta-cli decide [--x MIN MAX] [--y MIN MAX] [--size WxH] "
                            "[--time-limit MS]\n"
                            "                          [--param NAME=VALUE]... -o MAP.png RELATION\n";

const char kDecideAbout[] =
    "  Decides for each cell of the view whether RELATION (such as\n"
    "  x^2+y^2=25 or 0<=y<sqrt(x); an expression without a comparison is\n"
    "  decided as y=EXPRESSION) holds somewhere in it, and writes one grey\n"
    "  pixel per cell to MAP.png: 0 where it holds somewhere (or throughout),\n"
    "  255 where it holds nowhere, 128 where neither was proven within the\n"
    "  time limit. The cells tile the view: column i covers x from\n"
    "  MIN + i*(MAX-MIN)/W to MIN + (i+1)*(MAX-MIN)/W, row j from the top y\n"
    "  from MAX - (j+1)*(MAX-MIN)/H to MAX - j*(MAX-MIN)/H, edges included.\n"
    "  Prints \"holds N nowhere N undecided N\" and exits with 0. Defaults: x\n"
    "  and y from -10 to 10, 1024x1024, 10000 ms. A range or relation the Plot\n"
    "  command refuses prints its message and exits with 2. A write failure\n"
    "  of the map prints \"Error saving image\" and exits with 1. --param\n"
    "  NAME=VALUE defines a parameter the relation may use.";

struct DecideOptions {
    std::pair<double, double> x{-10, 10}, y{-10, 10};
    int32_t width = 1024, height = 1024;
    int64_t timeLimitMs = kDefaultTimeLimitMs;
    std::string output;
    std::string relation;
    Parameters parameters;
};

void DeclareDecideOptions(CommandLine& line, DecideOptions& options) {
    using Values = std::vector<std::string>;
    auto numbers = [](const char* option, const Values& v) {
        return std::pair<double, double>{Value(option, v[0], ParseNumber, "a number"),
                                         Value(option, v[1], ParseNumber, "a number")};
    };
    line.Option("--x", "MIN MAX", "NUMBER", 2, "The x range (default -10 10)",
                [&, numbers](const Values& v) { options.x = numbers("--x", v); });
    line.Option("--y", "MIN MAX", "NUMBER", 2, "The y range (default -10 10)",
                [&, numbers](const Values& v) { options.y = numbers("--y", v); });
    DeclareSize(line, options.width, options.height,
                "The number of cells across and down (default 1024x1024)");
    DeclareTimeLimit(line, options.timeLimitMs);
    DeclareParameterOption(line, options.parameters);
    line.Option("-o", "MAP.png", "FILE", 1, "Write the map: MAP.png",
                [&](const Values& v) { options.output = v[0]; });
    line.Finally([&](std::vector<std::string> relations) {
        if (options.output.empty())
            throw CLI::ValidationError("no output file (-o MAP.png)");
        if (!EndsWithInAnyCase(options.output, ".png"))
            throw CLI::ValidationError("the output file must end in .png");
        if (relations.size() != 1)
            throw CLI::ValidationError("one relation is needed");
        options.relation = std::move(relations[0]);
    });
}

// A relation's text as the Plot command compiles it in Rectangular mode,
// any other text as the relation y = f(x) of its curve.
std::unique_ptr<CompiledRelation> CompileText(const std::string& text,
                                             const Parameters& parameters) {
    return IsRelationText(text, parameters) ? CompiledRelation::Compile(text, parameters)
                                            : CompiledRelation::FromCurve(text, parameters);
}

// The grey level of a cell: 0 where the relation holds, 255 where it
// holds nowhere, 128 where that is not known.
uint8_t Grey(CellState state) {
    switch (state) {
    case CellState::Somewhere:
    case CellState::Throughout:
        return 0;
    case CellState::Nowhere:
        return 255;
    default:
        return 128;
    }
}

// Writes the map as an 8-bit grey PNG, one pixel per cell; false with the
// reason on failure.
bool SaveMap(const CellMap& map, const std::string& path, std::string& reason) {
    try {
        ZrGrayscaleImage image(map.width, map.height, zrDefaultStride, nullptr, false);
        {
            ZrPixelLock lock(image);
            for (int32_t r = 0; r < map.height; ++r) {
                uint8_t* row = lock.get() + static_cast<ptrdiff_t>(r) * image.getStride();
                for (int32_t c = 0; c < map.width; ++c)
                    row[c] = Grey(map.At(c, r));
            }
        }
        ZrWritePNG writer;
        ZrFileLocator locator;
        locator.setName(path.c_str());
        writer.write(image, locator);
        return true;
    } catch (const ZrErrorCode& error) {
        reason = ZrErrorText(error);
        return false;
    }
}

} // namespace

std::string DecideHelp() {
    DecideOptions options;
    CommandLine line("orvanta-cli decide", kDecideUsage, kDecideAbout);
    DeclareDecideOptions(line, options);
    return line.Help();
}

int RunDecide(const std::vector<std::string>& arguments) {
    DecideOptions options;
    CommandLine line("orvanta-cli decide", kDecideUsage, kDecideAbout);
    DeclareDecideOptions(line, options);
    if (const std::optional<int> exitCode = line.Parse(arguments))
        return *exitCode;

    // The Plot command's checks in its order: the range, then the relation.
    Plotter plotter;
    std::optional<PlotRefusal> refusal =
        AcceptRange(plotter, options.x.first, options.x.second, options.y.first, options.y.second);
    std::unique_ptr<CompiledRelation> relation;
    if (!refusal) {
        relation = CompileText(options.relation, options.parameters);
        if (!relation)
            refusal = ExpressionRefusal(options.relation);
    }
    if (refusal) {
        std::fprintf(stderr, "%s\n", refusal->text.c_str());
        return 2;
    }

    // The view's cells as the plotter's pixels, tiling the view instead of
    // centred on its points.
    plotter.SetCanvas(nullptr, 0, options.width, options.height);
    CellGrid grid = PixelGrid(plotter);
    grid.placement = CellGrid::Placement::Tiled;
    DecideLimits limits;
    limits.deadline = DeadlineAfter(options.timeLimitMs);
    std::unique_ptr<RelationDecider> decider;
    std::string reason;
    try {
        decider = std::make_unique<RelationDecider>(std::move(relation), grid);
        decider->Run(limits);
    } catch (const std::bad_alloc&) {
        decider.reset();
        reason = "no memory for the cells";
    }
    // As plot's image: the same message whatever went wrong, the reason in
    // the log.
    if (!decider || !SaveMap(decider->Map(), options.output, reason)) {
        LogSaveFailure(options.output, reason);
        std::fputs("Error saving image\n", stderr);
        return 1;
    }
    const CellMap& map = decider->Map();
    const size_t holds = map.Count(CellState::Somewhere) + map.Count(CellState::Throughout);
    const std::string counts = "holds " + std::to_string(holds) + " nowhere " +
                               std::to_string(map.Count(CellState::Nowhere)) + " undecided " +
                               std::to_string(map.Count(CellState::Undecided)) + "\n";
    errno = 0;
    if (!WriteAll(counts.c_str(), stdout)) {
        ReportFailure("standard output", std::strerror(errno ? errno : EIO));
        return 1;
    }
    return 0;
}
