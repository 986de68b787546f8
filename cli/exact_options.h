// The options of an orvanta-cli subcommand, read with CLI11 in this tool's
// way: an option is only ever its exact name (CLI11 would also read "-oFILE"
// and "--x=1" as options with attached values; here they are equations or
// values), each option takes its values whatever they look like ("--x -1 2",
// "-o --") and reads them as soon as it is met, so that the first problem in
// the order of the arguments is the one reported, and every argument that is
// not an option is an equation, in its place among the others.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

// Whether "--help" comes before the first "--", where the subcommand answers
// it even in a place where an option would take it for its value.
bool AsksForHelp(const std::vector<std::string>& arguments);

// A usage error found while an option's values are read; it ends parsing.
struct UsageProblem {
    std::string text;
};

class ExactOptions {
public:
    using Values = std::vector<std::string>;
    // Reads an option's values (given the option's name); throws UsageProblem.
    using Read = std::function<void(const std::string& name, const Values& values)>;

    explicit ExactOptions(const std::string& description);

    // An option with `count` values; `repeatable` lets it be given again
    // (each time is read), otherwise CLI11's rule for a repeated option holds.
    void Option(const std::string& name, int count, Read read, bool repeatable = false);
    // An option without values.
    void Flag(const std::string& name, std::function<void()> set);

    // Reads `arguments`; the equations go to `equations` in order (the first
    // "--" ends the options and is not an equation). False on a usage error,
    // with its text in `problem`.
    bool Parse(const std::vector<std::string>& arguments, std::vector<std::string>& equations,
               std::string& problem);

private:
    bool Shielded(const std::string& text) const;
    std::string Original(const std::string& text) const;

    CLI::App app;
    std::map<std::string, int> counts; // each option's number of values
    // Arguments CLI11 must not interpret reach it as "\x01" and their number
    // here, which it takes for an equation or a value, and get their text
    // back afterwards.
    std::vector<std::string> shielded;
};
