// orvanta-cli: the calculator and graph engine without a window.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/eval.h"
#include "cli/plot.h"
#include "src/zr_file_calls.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

const char kUsage[] =
    "usage: orvanta-cli eval [FILE]\n"
    "       orvanta-cli plot [OPTIONS] -o FILE EQUATION...   (orvanta-cli plot --help)\n"
    "       orvanta-cli --help\n";

const char kHelp[] =
    "orvanta-cli eval [FILE]\n"
    "  Evaluates each line of FILE (or standard input) as the Immediate window\n"
    "  does, with variables kept from line to line, and prints one result row\n"
    "  per line: the value as \"  %f\", \"  NaN\" for a value that is not finite,\n"
    "  \" Error\" for a line that does not compile or evaluate, and an empty\n"
    "  line for a blank one.\n";

// A failure to read the input is reported with its name and the reason
// (exit 2); a failure to write the output ends the run with exit 1.
int Eval(int argc, char** argv) {
    if (argc > 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (argc == 3 && std::strcmp(argv[2], "--help") == 0)
        return WriteAll(kHelp, stdout) ? 0 : 1;
    const bool standardInput = argc < 3 || std::strcmp(argv[2], "-") == 0;
    const char* name = standardInput ? "standard input" : argv[2];
    FILE* in = standardInput ? stdin : zrOpenStdioFile(name, "rb");
    if (!in) {
        std::fprintf(stderr, "orvanta-cli: %s: %s\n", name, std::strerror(errno));
        return 2;
    }
    errno = 0;
    const EvalEnd end = RunEval(in, stdout);
    const int error = errno;
    if (!standardInput)
        std::fclose(in);
    switch (end) {
    case EvalEnd::ReadFailed:
        std::fprintf(stderr, "orvanta-cli: %s: %s\n", name, std::strerror(error ? error : EIO));
        return 2;
    case EvalEnd::WriteFailed:
        std::fprintf(stderr, "orvanta-cli: standard output: %s\n", std::strerror(error ? error : EIO));
        return 1;
    default:
        return 0;
    }
}

} // namespace

int main(int argc, char** rawArgv) {
    // Every argument in UTF-8, the encoding of the core's file names.
    std::vector<std::string> arguments = Utf8Arguments(argc, rawArgv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    argc = static_cast<int>(arguments.size());
    char** argv = pointers.data();
#ifdef _WIN32
    // Lines are split on "\n" alone, as on every other system: no CR-LF
    // translation in either direction.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc >= 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        return WriteAll(kUsage, stdout) && WriteAll(kHelp, stdout) && WriteAll(kPlotHelp, stdout)
                   ? 0
                   : 1;
    }
    if (argc >= 2 && strcmp(argv[1], "eval") == 0)
        return Eval(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "plot") == 0)
        return RunPlot(argc, argv);
    fputs(kUsage, stderr);
    return 2;
}
