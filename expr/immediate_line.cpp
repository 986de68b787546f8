#include "expr/immediate_line.h"

#include <cmath>
#include <cstdio>

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

ImmediateEntry SubmitImmediateLine(Expression& expression, std::string_view line) {
    ImmediateEntry entry;
    // What the engine does not take is not evaluated at all: a prefix's
    // value would pass for the line's.
    if (line.size() > ImmediateLineLimit) {
        entry.text.assign(line.substr(0, ImmediateLineLimit));
        return entry;
    }
    bool blank = true;
    for (char c : line)
        blank = blank && IsWhiteSpace(c);
    if (blank)
        return entry;
    entry.text.assign(line);
    if (expression.Compile(entry.text)) {
        expression.result = 0.0;
        if (expression.Evaluate()) {
            entry.evaluated = true;
            entry.value = expression.result;
        }
    }
    return entry;
}

std::string ImmediateResultText(const ImmediateEntry& entry) {
    if (entry.text.empty())
        return std::string();
    if (!entry.evaluated)
        return " Error";
    if (!std::isfinite(entry.value))
        return "  NaN";
    char buffer[400]; // two spaces and "%f" of the largest double fit easily
    snprintf(buffer, sizeof buffer, "  %f", entry.value);
    return buffer;
}
