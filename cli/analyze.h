#pragma once

#include <string>
#include <vector>

// orvanta-cli analyze: prints the points of interest of rectangular
// equations, their values and slopes at given points and their integrals,
// one line each. `arguments` are those after "analyze". Returns the
// process exit code.
int RunAnalyze(const std::vector<std::string>& arguments);

// The usage lines, and the whole help ("orvanta-cli analyze --help").
extern const char kAnalyzeUsage[];
std::string AnalyzeHelp();
