#include "cli/plot.h"

#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "cli/command_line.h"
#include "cli/eval.h"
#include "cli/plot_options.h"
#include "decide/graph_decisions.h"
#include "document/document_file.h"
#include "plot/canvas.h"
#include "plot/export_image.h"
#include "plot/plot_checks.h"
#include "plot/render.h"
#include "plot/svg_writer.h"
#include "src/zr_error.h"

const char kPlotUsage[] =
    "usage: orvanta-cli plot [--graph FILE.orv] [--mode rectangular|parametric|polar]\n"
    "                        [--x MIN MAX] [--y MIN MAX] [--t START STOP] [--size WxH]\n"
    "                        [--no-axes] [--smooth] [--exact] [--time-limit MS]\n"
    "                        [--background RRGGBB] [--axis-color RRGGBB] [--color N RRGGBB]...\n"
    "                        [--param NAME=VALUE]... [--save FILE.orv] -o FILE EQUATION...\n";

namespace {

const char kPlotAbout[] =
    "  Plots up to eight equations (slots 1 to 8 in order; \"\" leaves a slot\n"
    "  empty) and writes the graph as FILE: PNG when its name ends in .png, a\n"
    "  24-bit BMP when it ends in .bmp, an SVG document of the same graph when\n"
    "  it ends in .svg (any case). The pixels are those the graph pane shows\n"
    "  at that size; --smooth draws the curves anti-aliased, as the window's\n"
    "  \"Smooth curves\" option does (SVG curves are vectors either way).\n"
    "  Defaults: x, y and t from -10 to\n"
    "  10, 800x600, axes on, the default colours. Parametric mode pairs the\n"
    "  slots (1,2), (3,4), (5,6), (7,8) as x(t), y(t).\n"
    "  In rectangular mode an equation may be a relation of x and y, such as\n"
    "  x^2+y^2=25 or 0<=y<sqrt(x): each pixel is decided as the window decides\n"
    "  it (painted where the relation provably holds, shaded where an\n"
    "  inequality holds throughout, left where it provably holds nowhere, half\n"
    "  painted where that is not proven in time). The command waits up to\n"
    "  --time-limit milliseconds (default 10000) for the decision of all of\n"
    "  them; --exact decides the curves y = f(x) in the same way instead of\n"
    "  joining their samples (and so they are not smoothed).\n"
    "  --graph FILE.orv starts from a saved graph instead of the defaults: the\n"
    "  options given change its values, and equations given replace all eight\n"
    "  of its equations. --save FILE.orv writes the graph as a document that\n"
    "  the window opens; -o may then be left out, and with both the document\n"
    "  is written first. --param NAME=VALUE defines a parameter the equations\n"
    "  may use (from -10 to 10, widened to hold VALUE, step 0), or sets the\n"
    "  value of the document's parameter NAME; --save keeps the parameters.\n"
    "  A document that cannot be read prints \"orvanta-cli:\n"
    "  FILE: REASON\" and exits with 2; one that cannot be written, with 1.\n"
    "  The Plot command's checks apply (with --save, start and stop must be\n"
    "  finite in every mode); a refusal prints its message and exits with 2\n"
    "  without writing. A write failure of the image prints \"Error saving\n"
    "  image\" and exits with 1. Any argument that is not an option is an\n"
    "  equation; \"--\" ends the options.";

int Refuse(const PlotRefusal& refusal) {
    std::fprintf(stderr, "%s\n", refusal.text.c_str());
    return 2;
}

int DocumentFailure(const std::string& file, const std::string& reason, int exitCode) {
    ReportFailure(file, reason);
    return exitCode;
}

// The graph the options describe: the document of --graph (or the
// defaults) with every option given in place of its value. False when the
// parameters given make too many.
bool ApplyOptions(const PlotOptions& options, GraphDocument& document) {
    if (options.mode)
        document.mode = *options.mode;
    if (options.x)
        std::tie(document.xMin, document.xMax) = *options.x;
    if (options.y)
        std::tie(document.yMin, document.yMax) = *options.y;
    if (options.t)
        std::tie(document.tStart, document.tStop) = *options.t;
    GraphStyle& style = document.style;
    for (size_t i = 0; i < style.graphColors.size(); ++i)
        if (options.colors[i])
            style.graphColors[i] = *options.colors[i];
    if (options.background)
        style.backColor = *options.background;
    if (options.axisColor)
        style.axisColor = *options.axisColor;
    if (options.noAxes)
        style.showAxes = false;
    if (!options.equations.empty()) {
        document.equations = {};
        for (size_t i = 0; i < options.equations.size(); ++i)
            document.equations[i] = options.equations[i];
    }
    return ApplyParameters(document.parameters, options.parameters);
}

// As the window's export: the same message whatever went wrong, the reason
// in the log.
int SaveFailure(const std::string& path, const std::string& reason) {
    LogSaveFailure(path, reason);
    std::fputs("Error saving image\n", stderr);
    return 1;
}

// The relations (and with --exact the curves) decided over the plotter's
// pixels, as the window shows them once their decision has ended.
RelationMaps Decide(const Plotter& plotter, const CompiledGraph& graph,
                    const EquationSlots& equations, const GraphStyle& style,
                    const PlotOptions& options) {
    DecideLimits limits;
    limits.deadline = DeadlineAfter(options.timeLimitMs);
    return DecideGraph(graph, equations, style, plotter, limits);
}

int WriteImage(Plotter& plotter, CompiledGraph& graph, const EquationSlots& equations,
               GraphStyle style, const PlotOptions& options) {
    std::string reason;
    style.exactCurves = options.exact;
    if (EndsWithInAnyCase(options.output, ".svg")) {
        // The document needs the size alone, no pixels.
        plotter.SetCanvas(nullptr, 0, options.width, options.height);
        const RelationMaps maps = Decide(plotter, graph, equations, style, options);
        if (!SaveSvg(GraphSvg(plotter, graph, style, &maps), options.output.c_str(), &reason))
            return SaveFailure(options.output, reason);
        return 0;
    }
    style.smoothCurves = options.smooth;
    Canvas canvas(options.width, options.height);
    if (!canvas.bits())
        return SaveFailure(options.output, "no memory for the canvas");
    // As the graph window lays out its canvas: the export image wraps the
    // pixels (and clears them) before the graph is rendered into them.
    const bool png = EndsWithInAnyCase(options.output, ".png");
    std::unique_ptr<Zr32BitImage> exportImage;
    if (png) {
        try {
            exportImage = MakeExportImage(canvas);
        } catch (const ZrErrorCode& error) {
            return SaveFailure(options.output, ZrErrorText(error));
        }
    }
    plotter.SetCanvas(canvas.bits(), canvas.Stride(), canvas.Width(), canvas.Height());
    const RelationMaps maps = Decide(plotter, graph, equations, style, options);
    RenderGraph(plotter, graph, style, &maps);
    const bool saved = png ? SavePNG(*exportImage, options.output.c_str(), &reason)
                           : canvas.SaveBMP(options.output.c_str(), &reason);
    return saved ? 0 : SaveFailure(options.output, reason);
}

} // namespace

std::string PlotHelp() {
    PlotOptions options;
    CommandLine line("orvanta-cli plot", kPlotUsage, kPlotAbout);
    DeclarePlotOptions(line, options);
    return line.Help();
}

int RunPlot(const std::vector<std::string>& arguments) {
    PlotOptions options;
    CommandLine line("orvanta-cli plot", kPlotUsage, kPlotAbout);
    DeclarePlotOptions(line, options);
    if (const std::optional<int> exitCode = line.Parse(arguments))
        return *exitCode;

    GraphDocument start;
    std::string reason;
    if (options.graph && !LoadGraphDocument(*options.graph, start, reason))
        return DocumentFailure(*options.graph, reason, 2);
    GraphDocument document = std::move(start);
    if (!ApplyOptions(options, document)) {
        std::fprintf(stderr, "orvanta-cli plot: %s\n", kTooManyParameters);
        return 2;
    }

    // The Plot command's checks, in its order: range, step, equations, pairs.
    // A document holds a finite step whatever its mode, so --save checks it
    // in Rectangular mode too.
    Plotter plotter;
    plotter.SetMode(document.mode);
    if (auto refusal =
            AcceptRange(plotter, document.xMin, document.xMax, document.yMin, document.yMax))
        return Refuse(*refusal);
    if (document.mode != Rectangular || options.save)
        if (auto refusal = AcceptStep(plotter, document.tStart, document.tStop))
            return Refuse(*refusal);
    EquationSlots equations;
    for (size_t i = 0; i < document.equations.size(); ++i)
        equations[i] = document.equations[i];
    // The checks compile each equation once; the image draws what they compiled.
    CompiledGraph compiled;
    if (auto refusal = CompileEquations(plotter.mode, equations, compiled, document.parameters))
        return Refuse(*refusal);

    if (options.save) {
        // What the reader would refuse (an equation too long) is refused
        // before anything is written, as the checks are.
        if (auto problem = DocumentProblem(document))
            return DocumentFailure(*options.save, *problem, 2);
        if (!SaveGraphDocument(*options.save, document, reason))
            return DocumentFailure(*options.save, reason, 1);
    }
    if (options.output.empty())
        return 0;
    return WriteImage(plotter, compiled, equations, document.style, options);
}
