// The rules a graph document keeps, each with the reason the .orv reader
// gives when it is broken; shared by the reader and DocumentProblem so that
// both say the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plot/plotter.h"

// The largest number of nested arrays and objects the reader takes.
inline constexpr size_t kMaxDocumentNesting = 100;

// The member name of a mode ("rectangular", "parametric", "polar"); null for
// a value that is none of the three.
const char* ModeName(GraphMode mode);

// The view on axis "x" or "y": both finite, min < max, and a finite span
// (the rule of Plotter::SetRange). Nothing when it holds, else the reason.
std::optional<std::string> ViewProblem(const char* axis, double min, double max);
// The parameter range: two finite numbers, in either order.
std::optional<std::string> StepProblem(double start, double stop);
// Equation `slot` (1 to 8): valid UTF-8 of at most kMaxEquationLength code
// points.
std::optional<std::string> EquationProblem(size_t slot, std::string_view text);
