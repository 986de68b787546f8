// The cost of a durable save: a graph document of the render benchmark's
// eight curves saved through the saving path, beside the same save with its
// flushes (the new file's before the rename, the folder's after) left out,
// as saves were made before they were flushed.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench_util.h"
#include "document/document_file.h"
#include "src/zr_file_calls.h"

namespace {

int NoFlush(int) { return 0; }

void Run(benchmark::State& state, bool flushed) {
    GraphDocument document;
    for (int i = 0; i < 8; ++i)
        document.equations[i] = kRenderCurves[i];
    const std::string path =
        (std::filesystem::temp_directory_path() / "orvanta-bench-document.orv").string();
    if (!flushed)
        zrSetFlushFunction(NoFlush);
    std::string reason;
    for (auto _ : state)
        if (!SaveGraphDocument(path, document, reason)) {
            state.SkipWithError(reason.c_str());
            break;
        }
    zrSetFlushFunction(nullptr);
    std::error_code ignored;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path, ignored));
    std::filesystem::remove(path, ignored);
}

int Register() {
    SetCaseLabel("save", 1, "graph document of the 8 curves");
    benchmark::RegisterBenchmark("save/orvanta/1", [](benchmark::State& s) { Run(s, true); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("save/orvanta-without-flushes/1", [](benchmark::State& s) { Run(s, false); })
        ->Unit(benchmark::kMillisecond);
    return 1;
}

const int registered = Register();

} // namespace
