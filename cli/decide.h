#pragma once

#include <string>
#include <vector>

// orvanta-cli decide: decides one relation over a grid of cells and writes
// the decision as a grey PNG. `arguments` are those after "decide", in
// UTF-8. Returns the process exit code.
int RunDecide(const std::vector<std::string>& arguments);

// The whole help ("orvanta-cli decide --help").
std::string DecideHelp();
