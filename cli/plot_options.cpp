#include "cli/plot_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include <CLI/CLI.hpp>

namespace {

// A usage error found while an option's values are read; it ends parsing.
struct UsageProblem {
    std::string text;
};

// Six hex digits RRGGBB.
bool ParseColor(const std::string& text, uint32_t& color) {
    if (text.size() != 6)
        return false;
    uint32_t value = 0;
    for (const char c : text) {
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
bool ParseSize(const std::string& text, int32_t& width, int32_t& height) {
    char* end;
    const long w = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != 'x' || !(end[1] >= '0' && end[1] <= '9'))
        return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (*end != '\0' || w < 1 || h < 1 || w > 32767 || h > 32767 || text[0] < '0' || text[0] > '9')
        return false;
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

using Values = CLI::results_t;

std::pair<double, double> Numbers(const std::string& name, const Values& values) {
    std::pair<double, double> pair;
    if (!ParseNumber(values[0], pair.first) || !ParseNumber(values[1], pair.second))
        throw UsageProblem{name + " needs two numbers"};
    return pair;
}

uint32_t Color(const std::string& name, const std::string& text) {
    uint32_t color;
    if (!ParseColor(text, color))
        throw UsageProblem{name + " needs a colour RRGGBB"};
    return color;
}

std::string FileName(const std::string& name, const std::string& text) {
    if (text.empty())
        throw UsageProblem{name + " needs a file name"};
    return text;
}

} // namespace

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty())
        return false;
    char* end;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

bool EndsWithInAnyCase(const std::string& name, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (name.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - n + i])) != suffix[i])
            return false;
    return true;
}

bool ParsePlotOptions(const std::vector<std::string>& arguments, PlotOptions& options,
                      std::string& problem) {
    CLI::App app("orvanta-cli plot");
    app.set_help_flag(); // the caller finds --help anywhere before "--"
    // An argument that is not an option is an equation, "-x" and "--foo"
    // included; CLI11 keeps them, in their order, as the extras.
    app.allow_extras();
    app.allow_windows_style_options(false); // "/2" is an equation on Windows too

    // CLI11 would also read "-oFILE" and "--x=1" as options with their
    // values attached; here an option is only ever its exact name, and such
    // an argument is an equation (or a value). They reach CLI11 as "\x01"
    // and their number, which it takes for an equation or a value, and get
    // their text back afterwards (as does an argument that starts with "\x01").
    std::vector<std::string> shielded;
    auto original = [&](const std::string& text) {
        return text.rfind('\x01', 0) == 0 ? shielded[std::stoul(text.substr(1))] : text;
    };

    // Each option reads its values as soon as it is met, so that the first
    // problem in the order of the arguments is the one reported. The values
    // are taken whatever they look like ("--x -1 2", "-o --").
    std::map<std::string, int> counts{{"--no-axes", 0}, {"--smooth", 0}};
    auto option = [&](const std::string& name, int count, auto read) {
        counts[name] = count;
        app.add_option(name,
                       [&, name, read](const Values& values) {
                           Values texts;
                           for (const std::string& value : values)
                               texts.push_back(original(value));
                           read(name, texts);
                           return true;
                       })
            ->type_size(count)
            ->trigger_on_parse();
    };
    option("--graph", 1,
           [&](const std::string& name, const Values& v) { options.graph = FileName(name, v[0]); });
    option("--save", 1,
           [&](const std::string& name, const Values& v) { options.save = FileName(name, v[0]); });
    option("--mode", 1, [&](const std::string&, const Values& v) {
        static const std::pair<const char*, GraphMode> kModes[] = {
            {"rectangular", Rectangular}, {"parametric", Parametric}, {"polar", Polar}};
        for (const auto& [text, mode] : kModes)
            if (v[0] == text) {
                options.mode = mode;
                return;
            }
        throw UsageProblem{"unknown mode " + v[0]};
    });
    option("--x", 2,
           [&](const std::string& name, const Values& v) { options.x = Numbers(name, v); });
    option("--y", 2,
           [&](const std::string& name, const Values& v) { options.y = Numbers(name, v); });
    option("--t", 2,
           [&](const std::string& name, const Values& v) { options.t = Numbers(name, v); });
    option("--size", 1, [&](const std::string&, const Values& v) {
        if (!ParseSize(v[0], options.width, options.height))
            throw UsageProblem{"--size needs WxH, each from 1 to 32767"};
    });
    option("--background", 1, [&](const std::string& name, const Values& v) {
        options.background = Color(name, v[0]);
    });
    option("--axis-color", 1, [&](const std::string& name, const Values& v) {
        options.axisColor = Color(name, v[0]);
    });
    option("--color", 2, [&](const std::string& name, const Values& v) {
        const std::string& slot = v[0];
        if (slot.size() != 1 || slot[0] < '1' || slot[0] > '8')
            throw UsageProblem{"--color needs a curve number from 1 to 8"};
        options.colors[static_cast<size_t>(slot[0] - '1')] = Color(name, v[1]);
    });
    option("-o", 1, [&](const std::string&, const Values& v) { options.output = v[0]; });
    app.add_flag_callback("--no-axes", [&] { options.noAxes = true; })->trigger_on_parse();
    app.add_flag_callback("--smooth", [&] { options.smooth = true; })->trigger_on_parse();

    std::vector<std::string> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        const std::string& text = *it;
        const bool attached = text.size() > 2 && text.rfind("-o", 0) == 0;
        const bool assigned = text.rfind("--", 0) == 0 && text.find('=') != std::string::npos &&
                              counts.count(text.substr(0, text.find('=')));
        if (attached || assigned || text.rfind('\x01', 0) == 0) {
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
        // The arguments ran out before an option had its values; CLI11
        // names the option first ("--x: 2 required ... missing").
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

    if (options.output.empty() && !options.save) {
        problem = "no output file (-o FILE)";
        return false;
    }
    if (!options.output.empty() && !EndsWithInAnyCase(options.output, ".bmp") &&
        !EndsWithInAnyCase(options.output, ".png") && !EndsWithInAnyCase(options.output, ".svg")) {
        problem = "the output file must end in .png, .bmp or .svg";
        return false;
    }
    if (options.equations.size() > 8) {
        problem = "at most eight equations";
        return false;
    }
    return true;
}
