#include "cli/analyze_options.h"

#include <map>

#include <CLI/CLI.hpp>

#include "cli/plot_options.h"

namespace {

// A usage error found while an option's values are read; it ends parsing.
struct UsageProblem {
    std::string text;
};

double Number(const std::string& name, const std::string& text, const char* need) {
    double value;
    if (!ParseNumber(text, value))
        throw UsageProblem{name + " needs " + need};
    return value;
}

} // namespace

bool ParseAnalyzeOptions(const std::vector<std::string>& arguments, AnalyzeOptions& options,
                         std::string& problem) {
    CLI::App app("orvanta-cli analyze");
    app.set_help_flag();
    // As in plot: an argument that is not an option is an equation, in its
    // place among the others; an option is only ever its exact name, so
    // "--at=1" is an equation too. Such arguments reach CLI11 as "\x01" and
    // their number and get their text back afterwards.
    app.allow_extras();
    app.allow_windows_style_options(false);
    std::vector<std::string> shielded;
    auto original = [&](const std::string& text) {
        return text.rfind('\x01', 0) == 0 ? shielded[std::stoul(text.substr(1))] : text;
    };

    // Each option reads its values as soon as it is met, so that the first
    // problem in the order of the arguments is the one reported.
    const std::map<std::string, int> counts{{"--x", 2}, {"--at", 1}, {"--integral", 2}};
    auto option = [&](const std::string& name, auto read) {
        app.add_option(name,
                       [&, name, read](const CLI::results_t& values) {
                           std::vector<std::string> texts;
                           for (const std::string& value : values)
                               texts.push_back(original(value));
                           read(name, texts);
                           return true;
                       })
            ->type_size(counts.at(name))
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->trigger_on_parse();
    };
    option("--x", [&](const std::string& name, const std::vector<std::string>& v) {
        options.x = {Number(name, v[0], "two numbers"), Number(name, v[1], "two numbers")};
    });
    option("--at", [&](const std::string& name, const std::vector<std::string>& v) {
        options.at.push_back(Number(name, v[0], "a number"));
    });
    option("--integral", [&](const std::string& name, const std::vector<std::string>& v) {
        options.integrals.emplace_back(Number(name, v[0], "two numbers"),
                                       Number(name, v[1], "two numbers"));
    });

    std::vector<std::string> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        const std::string& text = *it;
        const bool assigned = text.rfind("--", 0) == 0 && text.find('=') != std::string::npos &&
                              counts.count(text.substr(0, text.find('=')));
        if (assigned || text.rfind('\x01', 0) == 0) {
            reversed.push_back('\x01' + std::to_string(shielded.size()));
            shielded.push_back(text);
        } else {
            reversed.push_back(text);
        }
    }
    try {
        app.parse(reversed);
    } catch (const UsageProblem& usage) {
        problem = usage.text;
        return false;
    } catch (const CLI::ArgumentMismatch& error) {
        // The arguments ran out before an option had its values.
        const std::string text = error.what();
        const auto count = counts.find(text.substr(0, text.find(':')));
        problem = count == counts.end() ? text
                                        : count->first + " needs " + std::to_string(count->second) +
                                              (count->second == 1 ? " value" : " values");
        return false;
    } catch (const CLI::ParseError& error) {
        problem = error.what();
        return false;
    }
    // The first "--" among the extras is the one that ended the options.
    bool optionsEnded = false;
    for (const std::string& extra : app.remaining()) {
        if (extra == "--" && !optionsEnded)
            optionsEnded = true;
        else
            options.equations.push_back(original(extra));
    }
    if (options.equations.size() > 8) {
        problem = "at most eight equations";
        return false;
    }
    return true;
}
