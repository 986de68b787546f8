#include "cli/plot_options.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cli/command_line.h"
#include "plot/hex_color.h"
#include "src/number_text.h"

namespace {

// Six hex digits RRGGBB, in either case.
bool ParseColor(const std::string& text, uint32_t& color) {
    return ParseHexColor(text, "", color);
}

// rectangular, parametric or polar.
bool ParseMode(const std::string& text, GraphMode& mode) {
    static const std::pair<const char*, GraphMode> kModes[] = {
        {"rectangular", Rectangular}, {"parametric", Parametric}, {"polar", Polar}};
    for (const auto& [name, value] : kModes)
        if (text == name) {
            mode = value;
            return true;
        }
    return false;
}

// A curve number from 1 to 8, as its index from 0 to 7.
bool ParseCurve(const std::string& text, size_t& index) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '8')
        return false;
    index = static_cast<size_t>(text[0] - '1');
    return true;
}

// Any text but the empty one.
bool ParseFileName(const std::string& text, std::string& name) {
    name = text;
    return !text.empty();
}

const char kNumber[] = "a number";

std::pair<double, double> Numbers(const std::string& option, const std::vector<std::string>& v) {
    return {Value(option, v[0], ParseNumber, kNumber), Value(option, v[1], ParseNumber, kNumber)};
}

} // namespace

bool ParseNumber(const std::string& text, double& value) {
    // Nothing may follow the number on a command line, not even a space.
    return !text.empty() && text.back() != ' ' && ReadNumber(text, value);
}

bool ParseSize(const std::string& text, ImageSize& size) {
    char* end;
    const long w = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != 'x' || !(end[1] >= '0' && end[1] <= '9'))
        return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (*end != '\0' || w < 1 || h < 1 || w > 32767 || h > 32767 || text[0] < '0' || text[0] > '9')
        return false;
    size.width = static_cast<int32_t>(w);
    size.height = static_cast<int32_t>(h);
    return true;
}

bool ParseTimeLimit(const std::string& text, int64_t& milliseconds) {
    if (text.empty() || text.size() > 12)
        return false;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    milliseconds = value;
    return true;
}

void DeclareTimeLimit(CommandLine& line, int64_t& milliseconds) {
    line.Option("--time-limit", "MS", "MS", 1,
                "How long relations may take to decide, in milliseconds (default 10000)",
                [out = &milliseconds](const std::vector<std::string>& v) {
                    *out = Value("--time-limit", v[0], ParseTimeLimit,
                                 "a whole number of milliseconds");
                });
}

void DeclareSize(CommandLine& line, int32_t& width, int32_t& height, const char* description) {
    line.Option("--size", "WxH", "WxH", 1, description,
                [w = &width, h = &height](const std::vector<std::string>& v) {
                    const ImageSize size =
                        Value("--size", v[0], ParseSize, "WxH with each from 1 to 32767");
                    *w = size.width;
                    *h = size.height;
                });
}

namespace {

// The NAME of NAME=VALUE (up to the first "=").
bool ParseNameBeforeEquals(const std::string& text, std::string& name) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        return false;
    name = text.substr(0, equals);
    return true;
}

bool ParseParameterName(const std::string& text, std::string& name) {
    name = text;
    return IsIdentifier(text);
}

bool ParseFreeName(const std::string& text, std::string& name) {
    name = text;
    return !IsReservedName(text);
}

bool ParseFiniteNumber(const std::string& text, double& value) {
    return ParseNumber(text, value) && std::isfinite(value);
}

} // namespace

bool ApplyParameters(Parameters& parameters, const Parameters& given) {
    for (const Parameter& p : given) {
        if (Parameter* known = FindParameter(parameters, p.name)) {
            known->value = p.value;
            WidenToHold(*known, p.value);
        } else {
            if (parameters.size() >= kMaxParameters)
                return false;
            parameters.push_back(p);
        }
    }
    return true;
}

void DeclareParameterOption(CommandLine& line, Parameters& parameters) {
    line.Option("--param", "NAME=VALUE", "NAME=VALUE", 1,
                "Define the parameter NAME (-10 to 10, widened to hold VALUE) or set its value; "
                "may be repeated",
                [&](const std::vector<std::string>& v) {
                    const std::string name =
                        Value("--param", v[0], ParseNameBeforeEquals, "NAME=VALUE");
                    Parameter p;
                    p.name = Value("--param", name, ParseParameterName, "a parameter name");
                    Value("--param", p.name, ParseFreeName, "a name a parameter may take");
                    p.value = Value("--param", v[0].substr(name.size() + 1), ParseFiniteNumber,
                                    "a finite number");
                    WidenToHold(p, p.value);
                    if (!ApplyParameters(parameters, {p}))
                        throw CLI::ValidationError(kTooManyParameters);
                });
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

void DeclarePlotOptions(CommandLine& line, PlotOptions& options) {
    using Values = std::vector<std::string>;
    line.Option("--graph", "FILE.orv", "FILE", 1, "Start from this saved graph",
                [&](const Values& v) {
                    options.graph = Value("--graph", v[0], ParseFileName, "a file name");
                });
    line.Option("--save", "FILE.orv", "FILE", 1, "Write the graph as a document",
                [&](const Values& v) {
                    options.save = Value("--save", v[0], ParseFileName, "a file name");
                });
    line.Option("--mode", "rectangular|parametric|polar", "MODE", 1,
                "The mode (default rectangular)", [&](const Values& v) {
                    options.mode =
                        Value("--mode", v[0], ParseMode, "rectangular, parametric or polar");
                });
    line.Option("--x", "MIN MAX", "NUMBER", 2, "The x range (default -10 10)",
                [&](const Values& v) { options.x = Numbers("--x", v); });
    line.Option("--y", "MIN MAX", "NUMBER", 2, "The y range (default -10 10)",
                [&](const Values& v) { options.y = Numbers("--y", v); });
    line.Option("--t", "START STOP", "NUMBER", 2,
                "The range of t in parametric and polar mode (default -10 10)",
                [&](const Values& v) { options.t = Numbers("--t", v); });
    DeclareSize(line, options.width, options.height, "The image size in pixels (default 800x600)");
    line.Flag("--no-axes", "Leave the axes out", [&] { options.noAxes = true; });
    line.Flag("--smooth", "Draw the curves anti-aliased (PNG and BMP)",
              [&] { options.smooth = true; });
    line.Flag("--exact", "Draw the curves y = f(x) cell by cell, as the relations y = f(x)",
              [&] { options.exact = true; });
    DeclareTimeLimit(line, options.timeLimitMs);
    line.Option("--background", "RRGGBB", "RRGGBB", 1, "The background colour",
                [&](const Values& v) {
                    options.background = Value("--background", v[0], ParseColor, "a colour RRGGBB");
                });
    line.Option("--axis-color", "RRGGBB", "RRGGBB", 1, "The colour of the axes",
                [&](const Values& v) {
                    options.axisColor = Value("--axis-color", v[0], ParseColor, "a colour RRGGBB");
                });
    line.Option(
        "--color", "N RRGGBB", "N RRGGBB", 2, "The colour of curve N (1 to 8); may be repeated",
        [&](const Values& v) {
            const size_t curve = Value("--color", v[0], ParseCurve, "a curve number from 1 to 8");
            options.colors[curve] = Value("--color", v[1], ParseColor, "a colour RRGGBB");
        });
    DeclareParameterOption(line, options.parameters);
    line.Option("-o", "FILE", "FILE", 1, "Write the image: FILE.png, FILE.bmp or FILE.svg",
                [&](const Values& v) { options.output = v[0]; });
    line.Finally([&](std::vector<std::string> equations) {
        if (options.output.empty() && !options.save)
            throw CLI::ValidationError("no output file (-o FILE)");
        if (!options.output.empty() && !EndsWithInAnyCase(options.output, ".bmp") &&
            !EndsWithInAnyCase(options.output, ".png") &&
            !EndsWithInAnyCase(options.output, ".svg"))
            throw CLI::ValidationError("the output file must end in .png, .bmp or .svg");
        if (equations.size() > 8)
            throw CLI::ValidationError("at most eight equations");
        options.equations = std::move(equations);
    });
}
