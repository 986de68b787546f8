// orvanta-cli: the calculator and graph engine without a window.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <string>
#include <vector>

#include "cli/analyze.h"
#include "cli/arguments.h"
#include "cli/decide.h"
#include "cli/eval.h"
#include "cli/plot.h"
#include "src/zr_file_calls.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "win/system_dlls.h"
#endif

namespace {

const char kUsage[] =
    "usage: orvanta-cli eval [FILE]\n"
    "       orvanta-cli plot [OPTIONS] -o FILE EQUATION...   (orvanta-cli plot --help)\n"
    "       orvanta-cli analyze [OPTIONS] EQUATION...        (orvanta-cli analyze --help)\n"
    "       orvanta-cli decide [OPTIONS] -o MAP.png RELATION  (orvanta-cli decide --help)\n"
    "       orvanta-cli --help\n";

const char kEvalHelp[] =
    "orvanta-cli eval [FILE]\n"
    "  Evaluates each line of FILE (or standard input) as the Immediate window\n"
    "  does, with variables kept from line to line, and prints one result row\n"
    "  per line: the value as \"  %f\", \"  NaN\" for a value that is not finite,\n"
    "  \" Error\" for a line that does not compile or evaluate, and an empty\n"
    "  line for a blank one. A NUL byte ends a line's text; a text longer than\n"
    "  999 characters is not evaluated and prints \" Error\".\n";

// The arguments after "eval": [FILE] or --help, FILE taken as it is,
// whatever it looks like ("-x", "--"). A failure to read the input is
// reported with its name and the reason (exit 2); a failure to write the
// output ends the run with exit 1.
int Eval(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1 && arguments[0] == "--help")
        return WriteAll(kEvalHelp, stdout) ? 0 : 1;
    if (arguments.size() > 1) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string file = arguments.empty() ? "-" : arguments[0];
    const bool standardInput = file == "-";
    const char* name = standardInput ? "standard input" : file.c_str();
    FILE* in = standardInput ? stdin : zrOpenStdioFile(name, "rb");
    if (!in) {
        ReportFailure(name, std::strerror(errno));
        return 2;
    }
    errno = 0;
    const EvalEnd end = RunEval(in, stdout);
    const int error = errno;
    if (!standardInput)
        std::fclose(in);
    switch (end) {
    case EvalEnd::ReadFailed:
        ReportFailure(name, std::strerror(error ? error : EIO));
        return 2;
    case EvalEnd::WriteFailed:
        ReportFailure("standard output", std::strerror(error ? error : EIO));
        return 1;
    default:
        return 0;
    }
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    LoadDllsOnlyFromSystemFolder();
#endif
    // Every argument in UTF-8, the encoding of the core's file names.
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
#ifdef _WIN32
    // Lines are split on "\n" alone, as on every other system: no CR-LF
    // translation in either direction.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // The subcommand reads everything after its name with a parser of its
    // own, so that "--" ends its options and every other argument that is
    // not one of them is an equation. (CLI11's subcommands would take an
    // equation such as "++" or "eval" for a command, and the arguments after
    // "--" for the main command's.) Help is asked for by the first argument
    // alone, as "--help" or "-h".
    const std::string first = arguments.size() > 1 ? arguments[1] : "";
    const std::vector<std::string> rest(
        arguments.size() > 2 ? arguments.begin() + 2 : arguments.end(), arguments.end());
    if (first == "--help" || first == "-h") {
        const std::string help = std::string(kUsage) + "\n" + kEvalHelp + "\n" + PlotHelp() + "\n" +
                                 AnalyzeHelp() + "\n" + DecideHelp();
        return WriteAll(help.c_str(), stdout) ? 0 : 1;
    }
    if (first == "eval")
        return Eval(rest);
    if (first == "plot")
        return RunPlot(rest);
    if (first == "analyze")
        return RunAnalyze(rest);
    if (first == "decide")
        return RunDecide(rest);
    std::fputs(kUsage, stderr);
    return 2;
}
