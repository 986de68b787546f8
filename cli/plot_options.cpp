#include "cli/plot_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/exact_options.h"

namespace {

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

using Values = ExactOptions::Values;

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
    ExactOptions reader("orvanta-cli plot");
    using Values = ExactOptions::Values;
    reader.Option("--graph", 1,
                  [&](const std::string& name, const Values& v) { options.graph = FileName(name, v[0]); });
    reader.Option("--save", 1,
                  [&](const std::string& name, const Values& v) { options.save = FileName(name, v[0]); });
    reader.Option("--mode", 1, [&](const std::string&, const Values& v) {
        static const std::pair<const char*, GraphMode> kModes[] = {
            {"rectangular", Rectangular}, {"parametric", Parametric}, {"polar", Polar}};
        for (const auto& [text, mode] : kModes)
            if (v[0] == text) {
                options.mode = mode;
                return;
            }
        throw UsageProblem{"unknown mode " + v[0]};
    });
    reader.Option("--x", 2,
                  [&](const std::string& name, const Values& v) { options.x = Numbers(name, v); });
    reader.Option("--y", 2,
                  [&](const std::string& name, const Values& v) { options.y = Numbers(name, v); });
    reader.Option("--t", 2,
                  [&](const std::string& name, const Values& v) { options.t = Numbers(name, v); });
    reader.Option("--size", 1, [&](const std::string&, const Values& v) {
        if (!ParseSize(v[0], options.width, options.height))
            throw UsageProblem{"--size needs WxH, each from 1 to 32767"};
    });
    reader.Option("--background", 1, [&](const std::string& name, const Values& v) {
        options.background = Color(name, v[0]);
    });
    reader.Option("--axis-color", 1, [&](const std::string& name, const Values& v) {
        options.axisColor = Color(name, v[0]);
    });
    reader.Option("--color", 2, [&](const std::string& name, const Values& v) {
        const std::string& slot = v[0];
        if (slot.size() != 1 || slot[0] < '1' || slot[0] > '8')
            throw UsageProblem{"--color needs a curve number from 1 to 8"};
        options.colors[static_cast<size_t>(slot[0] - '1')] = Color(name, v[1]);
    });
    reader.Option("-o", 1, [&](const std::string&, const Values& v) { options.output = v[0]; });
    reader.Flag("--no-axes", [&] { options.noAxes = true; });
    reader.Flag("--smooth", [&] { options.smooth = true; });
    if (!reader.Parse(arguments, options.equations, problem))
        return false;

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
