#include "cli/analyze.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "analysis/analysis.h"
#include "analysis/analysis_curve.h"
#include "cli/plot_options.h"
#include "cli/analyze_options.h"
#include "cli/command_line.h"
#include "cli/eval.h"
#include "plot/plot_checks.h"

const char kAnalyzeUsage[] =
    "usage: orvanta-cli analyze [--x MIN MAX] [--at X]... [--integral A B]...\n"
    "                           [--param NAME=VALUE]... EQUATION...\n";

namespace {

const char kAnalyzeAbout[] =
    "  Reads the graph of up to eight equations y = f(x) (slots y1 to y8 in\n"
    "  order; \"\" leaves a slot empty) over x from MIN to MAX (default -10 10)\n"
    "  and prints one line per item: the zeros, minima, maxima, intersections\n"
    "  and y-intercepts sorted by x (then in that order of kinds), \"more yN\"\n"
    "  for a curve with more than 500 points; then for each --at the value and\n"
    "  exact slope of every curve at X; then for each --integral the integral\n"
    "  of every curve from A to B with its error bound (rounded up), or\n"
    "  \"diverges\" when it does not exist, \"value too large\" when it is beyond\n"
    "  the largest double, \"error too large\" when no error bound fits in a\n"
    "  double. The work is bounded by time, so that the command ends within\n"
    "  about 2 s whatever the curves cost: the points get 1 s, and a curve\n"
    "  unfinished then says \"more yN\" after the points it has; the values and\n"
    "  integrals share 0.6 s more (each an equal share of what the ones before\n"
    "  it left), and one not finished in its share says \"value yN x=X stopped\"\n"
    "  or \"integral yN a=A b=B stopped\". Whatever finishes in time is the same\n"
    "  on every run. Numbers print as \"%.17g\". The Plot command's checks\n"
    "  apply; a refusal prints its message and exits with 2. A relation (an\n"
    "  equation such as x^2+y^2=25) takes its slot but lists nothing.\n"
    "  --param NAME=VALUE defines a parameter the equations may use. Any\n"
    "  argument that is not an option is an equation; \"--\" ends the options.";

} // namespace

std::string AnalyzeHelp() {
    AnalyzeOptions options;
    CommandLine line("orvanta-cli analyze", kAnalyzeUsage, kAnalyzeAbout);
    DeclareAnalyzeOptions(line, options);
    return line.Help();
}

int RunAnalyze(const std::vector<std::string>& arguments) {
    AnalyzeOptions options;
    CommandLine line("orvanta-cli analyze", kAnalyzeUsage, kAnalyzeAbout);
    DeclareAnalyzeOptions(line, options);
    if (const std::optional<int> exitCode = line.Parse(arguments))
        return *exitCode;

    // The Plot command's checks in Rectangular mode, in its order: range
    // (with y from -10 to 10), then the equations.
    Plotter plotter;
    plotter.SetMode(Rectangular);
    EquationSlots equations;
    for (size_t i = 0; i < options.equations.size(); ++i)
        equations[i] = options.equations[i];
    CompiledGraph compiled;
    auto refusal = AcceptRange(plotter, options.x.first, options.x.second, -10, 10);
    if (!refusal)
        refusal = CompileEquations(plotter.mode, equations, compiled, options.parameters);
    if (refusal) {
        std::fprintf(stderr, "%s\n", refusal->text.c_str());
        return 2;
    }

    // The curves the checks compiled are read, as the window reads them;
    // relations have no points, values or integrals, so their slots read as
    // empty ones. Every line is computed before the output is written in
    // one piece.
    std::string out;
    for (const std::string& line : AnalyzeLines(AnalysisOf(compiled), options.x.first,
                                                options.x.second, options.at,
                                                options.integrals)) {
        out += line;
        out += '\n';
    }
    errno = 0;
    if (!WriteAll(out.c_str(), stdout)) {
        std::fprintf(stderr, "orvanta-cli: standard output: %s\n",
                     std::strerror(errno ? errno : EIO));
        return 1;
    }
    return 0;
}
