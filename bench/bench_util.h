// Shared by the benchmark files: case labels for the comparison tables.
#pragma once

#include <string>

// Registers the label of case `index` of `group`; the benchmarks of that case
// are named "<group>/<engine>/<index>".
void SetCaseLabel(const std::string& group, int index, const std::string& label);
