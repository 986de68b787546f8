#pragma once

#include <string>
#include <vector>

// orvanta-cli plot: renders equations as the graph pane would and writes the
// image, the document or both. `arguments` are those after "plot", in
// UTF-8. Returns the process exit code.
int RunPlot(const std::vector<std::string>& arguments);

// The usage lines, and the whole help ("orvanta-cli plot --help").
extern const char kPlotUsage[];
std::string PlotHelp();
