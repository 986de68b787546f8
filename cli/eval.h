#pragma once

#include <cstdio>

// Reads lines (split on "\n") from `in` and writes one Immediate-window
// result row per line to `out`, with one symbol table for the whole run.
void RunEval(FILE* in, FILE* out);
