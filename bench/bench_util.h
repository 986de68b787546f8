// Shared by the benchmark files: case labels for the comparison tables.
#pragma once

#include <string>

// Registers the label of case `index` of `group`; the benchmarks of that case
// are named "<group>/<engine>/<index>".
void SetCaseLabel(const std::string& group, int index, const std::string& label);

#include <functional>

// Reads the figure of a case measured in this run: its per-item time in ns, or
// its time per iteration in the benchmark's unit; 0 when it did not run.
using CellLookup = std::function<double(const std::string& group, const std::string& engine, int index)>;

// Registers lines printed after the tables, computed from this run's figures.
void AddSummary(std::function<void(const CellLookup&)> summary);

// The render benchmark's eight curves, expressions of x alone.
extern const char* const kRenderCurves[8];
