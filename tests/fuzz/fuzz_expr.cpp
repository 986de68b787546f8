// Compiles and evaluates arbitrary bytes. Beyond crashes and sanitizer
// reports, it checks that the linked evaluation, the token-by-token one and
// the series evaluation agree on success, value and table contents.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "expr/immediate_line.h"

namespace {

bool Same(double a, double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void Prepare(SymbolTable& table) {
    RegisterBuiltins(table);
    table.SetVariable("x", 0.5);
    table.SetVariable("t", -2);
    table.SetVariable("a", 1e300);
}

bool SameTables(const SymbolTable& a, const SymbolTable& b) {
    if (a.Variables().size() != b.Variables().size())
        return false;
    for (const auto& [name, symbol] : a.Variables()) {
        double other;
        if (!b.GetVariable(name, other) || !Same(symbol.value, other))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    SymbolTable fastTable, slowTable, seriesTable;
    Prepare(fastTable);
    Prepare(slowTable);
    Prepare(seriesTable);
    Expression fast(fastTable), slow(slowTable), series(seriesTable);
    const bool compiled = fast.Compile(text);
    Check(slow.Compile(text) == compiled);
    Check(series.Compile(text) == compiled);

    if (compiled) {
        // Besides the usual values: a square and a cube next to a halfway
        // point between two doubles, an exactly halfway square, and powers
        // near overflow and underflow.
        const double samples[] = {0.5, -0.0, 3, NAN, 1e308, -1e-320, 7, 0x1.0ffccde72eb1ep+3,
                                  -0x1.c7d5d3a72b30bp+2, 134217727.0, 1e154, -1e-160, HUGE_VAL};
        constexpr size_t n = sizeof samples / sizeof samples[0];
        double loopResults[n], seriesResults[n];
        size_t loopOk = 0;
        for (size_t i = 0; i < n; ++i) {
            fastTable.SetVariable("x", samples[i]);
            slowTable.SetVariable("x", samples[i]);
            fast.result = slow.result = 0;
            const bool ok = fast.Evaluate();
            Check(ok == slow.EvaluateByToken());
            Check(Same(fast.result, slow.result));
            loopResults[i] = ok ? fast.result : 0;
            loopOk += ok;
        }
        Check(SameTables(fastTable, slowTable));
        const size_t seriesOk = series.EvaluateSeries(seriesTable.FindVariable("x")->value,
                                                      samples, seriesResults, n);
        Check(seriesOk == loopOk);
        for (size_t i = 0; i < n; ++i)
            Check(Same(seriesResults[i], loopResults[i]));
        Check(SameTables(seriesTable, fastTable));
    }

    // The Immediate window's handling of the same line.
    SymbolTable immTable;
    RegisterBuiltins(immTable);
    Expression imm(immTable);
    const ImmediateEntry entry = SubmitImmediateLine(imm, text);
    const std::string row = ImmediateResultText(entry);
    Check(entry.text.empty() ? row.empty() : !row.empty());
    return 0;
}
