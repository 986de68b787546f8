#include "cli/analyze_options.h"

#include "cli/exact_options.h"
#include "cli/plot_options.h"

namespace {

double Number(const std::string& name, const std::string& text, const char* need) {
    double value;
    if (!ParseNumber(text, value))
        throw UsageProblem{name + " needs " + need};
    return value;
}

} // namespace

bool ParseAnalyzeOptions(const std::vector<std::string>& arguments, AnalyzeOptions& options,
                         std::string& problem) {
    // As in plot: an argument that is not an option is an equation, in its
    // place among the others, so "--at=1" is an equation too.
    ExactOptions reader("orvanta-cli analyze");
    using Values = ExactOptions::Values;
    reader.Option(
        "--x", 2,
        [&](const std::string& name, const Values& v) {
            options.x = {Number(name, v[0], "two numbers"), Number(name, v[1], "two numbers")};
        },
        true);
    reader.Option(
        "--at", 1,
        [&](const std::string& name, const Values& v) {
            options.at.push_back(Number(name, v[0], "a number"));
        },
        true);
    reader.Option(
        "--integral", 2,
        [&](const std::string& name, const Values& v) {
            options.integrals.emplace_back(Number(name, v[0], "two numbers"),
                                           Number(name, v[1], "two numbers"));
        },
        true);
    if (!reader.Parse(arguments, options.equations, problem))
        return false;
    if (options.equations.size() > 8) {
        problem = "at most eight equations";
        return false;
    }
    return true;
}
