// The text of the analysis: the lines orvanta-cli analyze prints and the
// Analysis window lists.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/analysis.h"

namespace {

// printf into a string; the formats here never need more than a few
// hundred bytes ("%.17g" of any double is at most 24 characters).
std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return n < 0 ? std::string()
                 : std::string(buffer, n < int(sizeof buffer) ? n : sizeof buffer - 1);
}

const char* KindName(PointKind kind) {
    switch (kind) {
    case PointKind::Zero:
        return "zero";
    case PointKind::Minimum:
        return "minimum";
    case PointKind::Maximum:
        return "maximum";
    case PointKind::Intersection:
        return "intersection";
    case PointKind::YIntercept:
        return "y-intercept";
    }
    return "?";
}

// An error bound as "%.2g", rounded up rather than to the nearest, so that
// the printed bound still bounds: 5.64e-15 prints as 5.7e-15.
std::string ErrorText(double error) {
    std::string text = Format("%.2g", error);
    while (std::strtod(text.c_str(), nullptr) < error) {
        int units = 0, tenths = 0, exponent = 0;
        if (std::sscanf(Format("%.1e", std::strtod(text.c_str(), nullptr)).c_str(), "%d.%de%d",
                        &units, &tenths, &exponent) != 3)
            break;
        int digits = units * 10 + tenths + 1;
        if (digits == 100) {
            digits = 10;
            ++exponent;
        }
        const std::string up = Format("%d.%de%d", digits / 10, digits % 10, exponent);
        text = Format("%.2g", std::strtod(up.c_str(), nullptr));
    }
    return text;
}

} // namespace

std::vector<std::string> PointLines(const PointsOfInterest& points) {
    std::vector<std::string> lines;
    lines.reserve(points.points.size() + 8);
    for (const PointOfInterest& p : points.points) {
        if (p.kind == PointKind::Intersection)
            lines.push_back(
                Format("intersection y%d y%d x=%.17g y=%.17g", p.curve + 1, p.other + 1, p.x, p.y));
        else
            lines.push_back(
                Format("%s y%d x=%.17g y=%.17g", KindName(p.kind), p.curve + 1, p.x, p.y));
    }
    for (int c = 0; c < 8; ++c)
        if (points.more[c])
            lines.push_back(Format("more y%d", c + 1));
    return lines;
}

std::string ValueLine(int curve, double x, const ValueAndSlope& value) {
    if (value.stopped)
        return Format("value y%d x=%.17g stopped", curve + 1, x);
    if (!value.defined)
        return Format("value y%d x=%.17g undefined", curve + 1, x);
    return Format("value y%d x=%.17g y=%.17g slope=%.17g", curve + 1, x, value.y, value.slope);
}

std::string IntegralLine(int curve, double a, double b, const Integral& integral) {
    switch (integral.status) {
    case Integral::Status::Diverges:
        return Format("integral y%d a=%.17g b=%.17g diverges", curve + 1, a, b);
    case Integral::Status::TooLarge:
        return Format("integral y%d a=%.17g b=%.17g value too large", curve + 1, a, b);
    case Integral::Status::ErrorTooLarge:
        return Format("integral y%d a=%.17g b=%.17g error too large", curve + 1, a, b);
    case Integral::Status::Stopped:
        return Format("integral y%d a=%.17g b=%.17g stopped", curve + 1, a, b);
    case Integral::Status::Value:
        break;
    }
    return Format("integral y%d a=%.17g b=%.17g value=%.17g error=%s", curve + 1, a, b,
                  integral.value, ErrorText(integral.error).c_str());
}
