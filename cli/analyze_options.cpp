#include "cli/analyze_options.h"

#include "cli/command_line.h"
#include "cli/plot_options.h"

namespace {

double Number(const std::string& option, const std::string& text) {
    return Value(option, text, ParseNumber, "a number");
}

} // namespace

void DeclareAnalyzeOptions(CommandLine& line, AnalyzeOptions& options) {
    using Values = std::vector<std::string>;
    line.Option("--x", "MIN MAX", "NUMBER", 2, "The x range (default -10 10)",
                [&](const Values& v) {
                    options.x = {Number("--x", v[0]), Number("--x", v[1])};
                });
    line.Option("--at", "X", "NUMBER", 1,
                "Print every curve's value and slope at X; may be repeated",
                [&](const Values& v) { options.at.push_back(Number("--at", v[0])); });
    line.Option("--integral", "A B", "NUMBER", 2,
                "Print every curve's integral from A to B; may be repeated", [&](const Values& v) {
                    options.integrals.emplace_back(Number("--integral", v[0]),
                                                   Number("--integral", v[1]));
                });
    DeclareParameterOption(line, options.parameters);
    line.Finally([&](std::vector<std::string> equations) {
        if (equations.size() > 8)
            throw CLI::ValidationError("at most eight equations");
        options.equations = std::move(equations);
    });
}
