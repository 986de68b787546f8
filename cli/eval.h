#pragma once

#include <cstdio>
#include <string>

// How RunEval ended.
enum class EvalEnd {
    Done,        // every line read and its row written
    ReadFailed,  // reading `in` failed (errno says why)
    WriteFailed, // writing or flushing `out` failed (errno says why)
};

// Reads lines (split on "\n") from `in` and writes one Immediate-window
// result row per line to `out`, with one symbol table for the whole run. A
// NUL byte ends a line's text, as in every text the window hands the
// engine. Stops at the first failed read or write.
EvalEnd RunEval(FILE* in, FILE* out);

// Writes `text` to `out` and flushes it; false when either fails.
bool WriteAll(const char* text, FILE* out);

// Prints "orvanta-cli: NAME: REASON" on standard error, the name (a file
// name as the user gave it) with its control characters escaped. The
// reason is printed as it is: the core's reasons quote no raw text.
void ReportFailure(const std::string& name, const std::string& reason);
