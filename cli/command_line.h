// The command line of an orvanta-cli subcommand, read by CLI11: its options
// by their names (CLI11's "--x=1" and "-oFILE" forms included), every other
// argument an equation in its place among the others ("-x" too), "--" the
// end of the options, and "--help" its help. Each option's values are read
// by the subcommand where the option is met.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

class CommandLine {
public:
    // `name` as in "orvanta-cli plot"; `usage` (the usage lines) opens the
    // help and follows every usage error; `about` closes the help.
    CommandLine(const std::string& name, const char* usage, const char* about);

    using Read = std::function<void(const std::vector<std::string>& values)>;

    // An option with `count` values, shown in the help as `name valueNames`
    // (CLI11 names them `typeName` when some are missing). It may be given
    // more than once: `read` gets the `count` values of each use as soon as
    // it is met (so the last one wins where a use sets a value). It may
    // throw CLI::ValidationError (see Value), which ends parsing.
    void Option(const std::string& name, const std::string& valueNames, const std::string& typeName,
                int count, const std::string& description, Read read);
    // An option without values; `set` is called when it is given.
    void Flag(const std::string& name, const std::string& description, std::function<void()> set);
    // Called once the options are read and the arguments are known valid so
    // far, with the equations in order (the first "--" left out); may throw
    // CLI::ValidationError for a problem of the command line as a whole.
    void Finally(std::function<void(std::vector<std::string> equations)> check);

    // Reads `arguments` (those after the subcommand's name). Empty when the
    // command is to run; otherwise it has been answered and this is its exit
    // code: the help written (0, or 1 when writing failed), or a usage error
    // printed on standard error as "NAME: PROBLEM" and the usage lines (2).
    std::optional<int> Parse(const std::vector<std::string>& arguments);

    // The whole help: usage lines, options, `about`.
    std::string Help() const { return app.help(); }

private:
    CLI::App app;
    const char* usage;
};

// `text` read by `parse`. A text it refuses is a usage error of `option`
// (thrown as CLI::ValidationError) quoting the text and saying it is not
// `what`.
template <class T>
T Value(const std::string& option, const std::string& text, bool (*parse)(const std::string&, T&),
        const char* what) {
    T value{};
    if (!parse(text, value))
        throw CLI::ValidationError(option, "\"" + text + "\" is not " + what);
    return value;
}
