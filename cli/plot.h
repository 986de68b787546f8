#pragma once

// orvanta-cli plot: renders equations as the graph pane would and writes the
// image. Returns the process exit code.
int RunPlot(int argc, char** argv);

extern const char kPlotUsage[];
extern const char kPlotHelp[];
