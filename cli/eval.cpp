#include "cli/eval.h"

#include <string>

#include "expr/builtins.h"
#include "imm/immediate_line.h"

void RunEval(FILE* in, FILE* out) {
    SymbolTable symbols;
    RegisterBuiltins(symbols);
    Expression expression(symbols);

    std::string line;
    auto submit = [&] {
        const std::string row = ImmediateResultText(SubmitImmediateLine(expression, line));
        fwrite(row.data(), 1, row.size(), out);
        fputc('\n', out);
        fflush(out);
        line.clear();
    };
    int c;
    bool pending = false; // a line without its "\n" yet
    while ((c = fgetc(in)) != EOF) {
        if (c == '\n') {
            submit();
            pending = false;
        } else {
            // Past the first 999 characters nothing is kept.
            if (line.size() < ImmediateLineLimit)
                line.push_back(static_cast<char>(c));
            pending = true;
        }
    }
    if (pending)
        submit();
}
