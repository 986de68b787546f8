#include "cli/command_line.h"

#include <cstdio>
#include <memory>

#include "cli/eval.h"
#include "src/shown_text.h"

namespace {

// CLI11's layout of the help, with the subcommand's own usage lines, which
// name the equations CLI11 knows nothing of.
class UsageFormatter : public CLI::Formatter {
public:
    explicit UsageFormatter(const char* usage) : usage(usage) {}
    std::string make_usage(const CLI::App*, std::string) const override { return usage; }

private:
    const char* usage;
};

} // namespace

CommandLine::CommandLine(const std::string& name, const char* usage, const char* about)
    : app("", name), usage(usage) {
    app.formatter(std::make_shared<UsageFormatter>(usage));
    app.footer(about);
    app.set_help_flag("--help", "Print this help message and exit"); // "-h" is an equation
    app.allow_extras();                     // the equations, "-x" and "--foo" among them
    app.allow_windows_style_options(false); // "/2" is an equation on Windows too
}

void CommandLine::Option(const std::string& name, const std::string& valueNames,
                         const std::string& typeName, int count, const std::string& description,
                         Read read) {
    // Each use is read as soon as CLI11 has its values, so that the first
    // problem in the order of the arguments is the one reported; CLI11
    // then starts the option's values afresh for its next use.
    const auto readUse = [name, count, read](const CLI::results_t& values) {
        // CLI11 has already refused a use with fewer values; the readers
        // index them, so make sure.
        if (values.size() != static_cast<size_t>(count))
            throw CLI::ArgumentMismatch(name, count, values.size());
        read(values);
        return true;
    };
    app.add_option(name, readUse, description)
        ->type_size(count)
        ->type_name(typeName)
        ->option_text(valueNames)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->trigger_on_parse();
}

void CommandLine::Flag(const std::string& name, const std::string& description,
                       std::function<void()> set) {
    app.add_flag_callback(name, std::move(set), description)->trigger_on_parse();
}

void CommandLine::Finally(std::function<void(std::vector<std::string>)> check) {
    app.callback([this, check] {
        // CLI11 keeps the arguments it took for no option in order, with
        // the "--" that ended the options.
        std::vector<std::string> equations = app.remaining();
        for (auto it = equations.begin(); it != equations.end(); ++it)
            if (*it == "--") {
                equations.erase(it);
                break;
            }
        check(std::move(equations));
    });
}

std::optional<int> CommandLine::Parse(const std::vector<std::string>& arguments) {
    try {
        // CLI11 takes a vector of arguments last first.
        app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
        return std::nullopt;
    } catch (const CLI::CallForHelp&) {
        return WriteAll(Help().c_str(), stdout) ? 0 : 1;
    } catch (const CLI::ParseError& error) {
        // The problem may quote an argument.
        std::fprintf(stderr, "%s: %s\n%s", app.get_name().c_str(),
                     EscapeControlCharacters(error.what()).c_str(), usage);
        return 2;
    }
}
