// orvanta-cli: the calculator and graph engine without a window.
#include <cstdio>
#include <cstring>

#include "cli/eval.h"
#include "cli/plot.h"

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

int Eval(int argc, char** argv) {
    if (argc > 3 || (argc == 3 && strcmp(argv[2], "--help") == 0)) {
        fputs(argc > 3 ? kUsage : kHelp, argc > 3 ? stderr : stdout);
        return argc > 3 ? 2 : 0;
    }
    if (argc < 3 || strcmp(argv[2], "-") == 0) {
        RunEval(stdin, stdout);
        return 0;
    }
    FILE* in = fopen(argv[2], "rb");
    if (!in) {
        fprintf(stderr, "orvanta-cli: cannot open %s\n", argv[2]);
        return 1;
    }
    RunEval(in, stdout);
    fclose(in);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Lines are split on "\n" alone, as on every other system: no CR-LF
    // translation in either direction.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc >= 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(kUsage, stdout);
        fputs(kHelp, stdout);
        fputs(kPlotHelp, stdout);
        return 0;
    }
    if (argc >= 2 && strcmp(argv[1], "eval") == 0)
        return Eval(argc, argv);
    if (argc >= 2 && strcmp(argv[1], "plot") == 0)
        return RunPlot(argc, argv);
    fputs(kUsage, stderr);
    return 2;
}
