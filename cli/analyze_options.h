// orvanta-cli analyze's command line: its options, read with CLI11.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "plot/parameters.h"

struct AnalyzeOptions {
    std::pair<double, double> x{-10, 10};
    std::vector<double> at;                           // --at, in order
    std::vector<std::pair<double, double>> integrals; // --integral, in order
    std::vector<std::string> equations;               // in order
    Parameters parameters;                            // --param
};

class CommandLine;

// Declares analyze's options on `line`: once it has parsed the arguments,
// `options` holds what they say. There are at most eight equations.
void DeclareAnalyzeOptions(CommandLine& line, AnalyzeOptions& options);
