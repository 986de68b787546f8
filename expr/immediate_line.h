// What the Immediate window does with one submitted line, without the window.
#pragma once

#include <string>
#include <string_view>

#include "expr/expression.h"

// The longest line the engine is handed, in characters.
inline constexpr size_t ImmediateLineLimit = 999;

struct ImmediateEntry {
    std::string text;       // the line as kept in the history
    bool evaluated = false; // both Compile and Evaluate succeeded
    double value = 0.0;     // the result when evaluated
};

// Empties a line that holds only white space and evaluates any other line
// with `expression` (whose table keeps the variables between lines). A line
// longer than 999 characters is not evaluated: it is kept cut to its first
// 999 characters, and its row is " Error".
ImmediateEntry SubmitImmediateLine(Expression& expression, std::string_view line);

// The result row under a line: "" for an empty line, " Error" when the line
// failed, "  NaN" for a non-finite value and otherwise the value as "  %f"
// (in full, however many digits that takes).
std::string ImmediateResultText(const ImmediateEntry& entry);
