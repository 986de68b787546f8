#include "plot/parameters.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "plot/relation.h"
#include "src/shown_text.h"

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The point a fraction t of the way from a to b, for t in [0, 1], without
// overflowing where b - a would, and never outside [a, b].
double Between(double a, double b, double t) {
    const double value = (1 - t) * a + t * b;
    return std::clamp(value, a, b);
}

// How far `value` lies from min towards max, as a fraction of the range;
// halves keep the difference of two large numbers finite.
double Fraction(const Parameter& p, double value) {
    const double span = p.max / 2 - p.min / 2;
    return span > 0 ? std::clamp((value / 2 - p.min / 2) / span, 0.0, 1.0) : 0.0;
}

std::string Named(const std::string& name) {
    return "parameter \"" + name + "\"";
}

} // namespace

bool IsIdentifier(std::string_view name) {
    if (name.empty() || !IsLetter(name[0]))
        return false;
    for (char c : name)
        if (!IsLetter(c) && !IsDigit(c) && c != '_')
            return false;
    return true;
}

bool IsReservedName(std::string_view name) {
    if (name == "x" || name == "y" || name == "t")
        return true;
    for (int i = 0; i < kBuiltinCount; ++i)
        if (name == kBuiltins[i].name)
            return true;
    return false;
}

std::optional<std::string> ParameterProblem(const Parameter& p) {
    // A name that is no identifier may hold any byte: its control
    // characters are escaped, as the message may go to a terminal.
    if (!IsIdentifier(p.name))
        return "parameter name \"" + EscapeControlCharacters(p.name) + "\" is not a name";
    if (IsReservedName(p.name))
        return Named(p.name) + " has a reserved name";
    if (!std::isfinite(p.value) || !std::isfinite(p.min) || !std::isfinite(p.max) ||
        !std::isfinite(p.step))
        return Named(p.name) + " must have finite numbers";
    if (!(p.min < p.max))
        return Named(p.name) + " must have its minimum below its maximum";
    if (p.step < 0)
        return Named(p.name) + " must have a step of 0 or more";
    return std::nullopt;
}

std::optional<std::string> ParametersProblem(const Parameters& parameters) {
    if (parameters.size() > kMaxParameters)
        return "more than " + std::to_string(kMaxParameters) + " parameters";
    for (size_t i = 0; i < parameters.size(); ++i) {
        if (auto problem = ParameterProblem(parameters[i]))
            return problem;
        for (size_t j = 0; j < i; ++j)
            if (parameters[j].name == parameters[i].name)
                return Named(parameters[i].name) + " is defined twice";
    }
    return std::nullopt;
}

const Parameter* FindParameter(const Parameters& parameters, std::string_view name) {
    for (const Parameter& p : parameters)
        if (p.name == name)
            return &p;
    return nullptr;
}

Parameter* FindParameter(Parameters& parameters, std::string_view name) {
    return const_cast<Parameter*>(FindParameter(std::as_const(parameters), name));
}

double SnapToStep(const Parameter& p, double value) {
    if (std::isnan(value))
        return p.min;
    value = std::clamp(value, p.min, p.max);
    if (!(p.step > 0))
        return value;
    const double steps = std::round((value - p.min) / p.step);
    const double last = std::floor((p.max - p.min) / p.step);
    // A step too small for the range to count leaves the value as it is.
    if (!std::isfinite(steps) || !std::isfinite(last) || last > 1e15)
        return value;
    return std::clamp(p.min + std::min(steps, last) * p.step, p.min, p.max);
}

int SliderPosition(const Parameter& p, double value) {
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::lround(Fraction(p, value) * kSliderPositions));
}

double SliderValue(const Parameter& p, int position) {
    position = std::clamp(position, 0, kSliderPositions);
    if (position == 0)
        return SnapToStep(p, p.min);
    if (position == kSliderPositions)
        return SnapToStep(p, p.max);
    return SnapToStep(p, Between(p.min, p.max, static_cast<double>(position) / kSliderPositions));
}

void WidenToHold(Parameter& p, double value) {
    if (!std::isfinite(value))
        return;
    p.min = std::min(p.min, value);
    p.max = std::max(p.max, value);
}

double PlayValue(const Parameter& p, double start, double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    // The phase runs over [0, 2): the first half going up from the minimum,
    // the second coming down from the maximum.
    double phase = std::fmod(Fraction(p, start) + seconds / kPlaySweepSeconds, 2.0);
    const double t = phase <= 1 ? phase : 2 - phase;
    return SnapToStep(p, Between(p.min, p.max, t));
}

std::vector<std::string> MissingParameterNames(const std::array<std::string, 8>& texts,
                                               const Parameters& parameters) {
    std::vector<std::string> missing;
    SymbolTable table;
    Expression expression(table);
    for (const std::string& text : texts) {
        // The tokens made before any stop stay in the infix array.
        expression.Tokenize(text);
        const Token* tokens = expression.Infix();
        const uint32_t count = expression.InfixCount();
        for (uint32_t i = 0; i < count; ++i) {
            const Token& token = tokens[i];
            if (token.kind != TokenKind::Identifier)
                continue;
            const bool next = i + 1 < count && tokens[i + 1].kind == TokenKind::Operator;
            if (next && tokens[i + 1].text == "(")
                continue; // a function's name
            if (i == 0 && next && tokens[1].text == "=" && IsAssignmentText(text))
                continue; // the name an assignment sets
            const std::string& name = token.text;
            if (IsReservedName(name) || FindParameter(parameters, name) ||
                std::find(missing.begin(), missing.end(), name) != missing.end())
                continue;
            missing.push_back(name);
        }
    }
    return missing;
}
