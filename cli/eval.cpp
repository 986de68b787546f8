#include "cli/eval.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "expr/builtins.h"
#include "expr/immediate_line.h"
#include "src/shown_text.h"

bool WriteAll(const char* text, FILE* out) {
    const size_t length = std::strlen(text);
    return std::fwrite(text, 1, length, out) == length && std::fflush(out) == 0;
}

void ReportFailure(const std::string& name, const std::string& reason) {
    std::fprintf(stderr, "orvanta-cli: %s: %s\n", EscapeControlCharacters(name).c_str(),
                 reason.c_str());
}

EvalEnd RunEval(FILE* in, FILE* out) {
    SymbolTable symbols;
    RegisterBuiltins(symbols);
    Expression expression(symbols);

    std::string line;
    // Each row is flushed at once, so that a line typed at a terminal is
    // answered before the next is read.
    auto submit = [&] {
        line.resize(std::strlen(line.c_str())); // the text ends at a NUL
        std::string row = ImmediateResultText(SubmitImmediateLine(expression, line));
        row.push_back('\n');
        line.clear();
        return std::fwrite(row.data(), 1, row.size(), out) == row.size() && std::fflush(out) == 0;
    };
    int c;
    bool pending = false; // a line without its "\n" yet
    while ((c = std::fgetc(in)) != EOF) {
        if (c == '\n') {
            if (!submit())
                return EvalEnd::WriteFailed;
            pending = false;
        } else {
            // One character past the limit is kept, enough to tell a line
            // too long for the engine.
            if (line.size() <= ImmediateLineLimit)
                line.push_back(static_cast<char>(c));
            pending = true;
        }
    }
    if (std::ferror(in))
        return EvalEnd::ReadFailed;
    if (pending && !submit())
        return EvalEnd::WriteFailed;
    return EvalEnd::Done;
}
