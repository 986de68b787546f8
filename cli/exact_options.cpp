#include "cli/exact_options.h"

bool AsksForHelp(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--")
            return false;
        if (argument == "--help")
            return true;
    }
    return false;
}

ExactOptions::ExactOptions(const std::string& description) : app(description) {
    app.set_help_flag(); // the caller finds --help anywhere before "--"
    app.allow_extras();  // equations, "-x" and "--foo" included, in their order
    app.allow_windows_style_options(false); // "/2" is an equation on Windows too
}

void ExactOptions::Option(const std::string& name, int count, Read read, bool repeatable) {
    counts[name] = count;
    CLI::Option* option = app.add_option(name,
                                         [this, name, read](const CLI::results_t& values) {
                                             Values texts;
                                             for (const std::string& value : values)
                                                 texts.push_back(Original(value));
                                             read(name, texts);
                                             return true;
                                         })
                              ->type_size(count)
                              ->trigger_on_parse();
    if (repeatable)
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

void ExactOptions::Flag(const std::string& name, std::function<void()> set) {
    counts[name] = 0;
    app.add_flag_callback(name, std::move(set))->trigger_on_parse();
}

// "-oFILE" for a short option "-o", "--x=1" for an option "--x", and
// anything that already starts with "\x01".
bool ExactOptions::Shielded(const std::string& text) const {
    if (text.rfind('\x01', 0) == 0)
        return true;
    if (text.rfind("--", 0) == 0)
        return text.find('=') != std::string::npos && counts.count(text.substr(0, text.find('=')));
    for (const auto& [name, count] : counts)
        if (name.size() == 2 && name[0] == '-' && text.size() > 2 && text.rfind(name, 0) == 0)
            return true;
    return false;
}

std::string ExactOptions::Original(const std::string& text) const {
    return text.rfind('\x01', 0) == 0 ? shielded[std::stoul(text.substr(1))] : text;
}

bool ExactOptions::Parse(const std::vector<std::string>& arguments,
                         std::vector<std::string>& equations, std::string& problem) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        if (Shielded(*it)) {
            reversed.push_back('\x01' + std::to_string(shielded.size()));
            shielded.push_back(*it);
        } else {
            reversed.push_back(*it);
        }
    }
    try {
        app.parse(reversed);
    } catch (const UsageProblem& usage) {
        problem = usage.text;
        return false;
    } catch (const CLI::ArgumentMismatch& error) {
        // The arguments ran out before an option had its values; CLI11
        // names the option first ("--x: 2 required ... missing").
        const std::string text = error.what();
        const auto count = counts.find(text.substr(0, text.find(':')));
        problem = count == counts.end() ? text
                                        : count->first + " needs " + std::to_string(count->second) +
                                              (count->second == 1 ? " value" : " values");
        return false;
    } catch (const CLI::ParseError& error) {
        problem = error.what();
        return false;
    }
    bool optionsEnded = false;
    for (const std::string& extra : app.remaining()) {
        if (extra == "--" && !optionsEnded)
            optionsEnded = true;
        else
            equations.push_back(Original(extra));
    }
    return true;
}
