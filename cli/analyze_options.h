// orvanta-cli analyze's command line: its options, read with CLI11.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct AnalyzeOptions {
    std::pair<double, double> x{-10, 10};
    std::vector<double> at;                           // --at, in order
    std::vector<std::pair<double, double>> integrals; // --integral, in order
    std::vector<std::string> equations;               // in order
};

// Reads the arguments after "analyze". False on a usage error, with the
// problem (the text after "orvanta-cli analyze: ") in `problem`. "--help"
// is not an option here: the caller looks for it first.
bool ParseAnalyzeOptions(const std::vector<std::string>& arguments, AnalyzeOptions& options,
                         std::string& problem);
