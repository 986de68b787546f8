// Runs the benchmarks, then prints the comparison tables that go into the
// README: every benchmark named "<group>/<engine>/<case>" is paired with the
// other engines of the same group and case.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench_util.h"

namespace {

std::map<std::string, std::map<int, std::string>>& Labels() {
    static std::map<std::string, std::map<int, std::string>> labels;
    return labels;
}

std::vector<std::function<void(const CellLookup&)>>& Summaries() {
    static std::vector<std::function<void(const CellLookup&)>> summaries;
    return summaries;
}

class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions, the median stands for the case.
            if (run.error_occurred ||
                (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median"))
                continue;
            const std::string name = run.benchmark_name();
            const size_t a = name.find('/');
            const size_t b = name.find('/', a + 1);
            if (a == std::string::npos || b == std::string::npos)
                continue;
            // Per-item benchmarks report seconds per item; the others are
            // shown per iteration in their own unit.
            auto it = run.counters.find("s_per_item");
            const double ns = it != run.counters.end() ? double(it->second) * 1e9
                                                       : run.GetAdjustedRealTime();
            const int index = std::atoi(name.c_str() + b + 1);
            const std::string group = name.substr(0, a), engine = name.substr(a + 1, b - a - 1);
            std::vector<std::string>& order = engineOrder[group];
            if (std::find(order.begin(), order.end(), engine) == order.end())
                order.push_back(engine);
            Cell& cell = groups[group][index][engine];
            cell.ns = ns;
            auto allocs = run.counters.find("allocs_per_item");
            if (allocs != run.counters.end())
                cell.allocs = allocs->second;
        }
    }

    // One table per group: a column per engine in the order the benchmarks
    // were registered, then the ratio of every other engine to the last one
    // (the baseline), with the geometric mean of each ratio.
    void PrintTables() const {
        for (const auto& [group, cases] : groups) {
            // Alphabetical, with muparser (the baseline) last.
            std::vector<std::string> engines = engineOrder.at(group);
            std::sort(engines.begin(), engines.end(), [](const std::string& a, const std::string& b) {
                return (a == "muparser") != (b == "muparser") ? b == "muparser" : a < b;
            });
            const std::string& baseline = engines.back();
            printf("\n### %s\n\n| case |", group.c_str());
            for (const auto& engine : engines)
                printf(" %s |", engine.c_str());
            for (size_t e = 0; e + 1 < engines.size(); ++e)
                printf(" %s / %s |", engines[e].c_str(), baseline.c_str());
            printf("\n|---|");
            for (size_t i = 0; i < 2 * engines.size() - 1; ++i)
                printf("---:|");
            printf("\n");
            std::vector<double> logSum(engines.size(), 0.0);
            std::vector<int> count(engines.size(), 0);
            for (const auto& [index, cells] : cases) {
                printf("| `%s` |", Labels()[group][index].c_str());
                for (const auto& engine : engines) {
                    auto it = cells.find(engine);
                    if (it == cells.end())
                        printf(" |");
                    else
                        printf(" %.2f |", it->second.ns);
                }
                for (size_t e = 0; e + 1 < engines.size(); ++e) {
                    if (cells.count(engines[e]) && cells.count(baseline)) {
                        const double r = cells.at(engines[e]).ns / cells.at(baseline).ns;
                        printf(" %.2f |", r);
                        logSum[e] += std::log(r);
                        ++count[e];
                    } else {
                        printf(" |");
                    }
                }
                printf("\n");
            }
            printf("\n");
            for (size_t e = 0; e + 1 < engines.size(); ++e)
                if (count[e] > 0)
                    printf("Geometric mean of %s / %s: %.2f\n", engines[e].c_str(),
                           baseline.c_str(), std::exp(logSum[e] / count[e]));
        }
    }

    double Lookup(const std::string& group, const std::string& engine, int index) const {
        auto g = groups.find(group);
        if (g == groups.end())
            return 0;
        auto c = g->second.find(index);
        if (c == g->second.end())
            return 0;
        auto e = c->second.find(engine);
        return e == c->second.end() ? 0 : e->second.ns;
    }

private:
    struct Cell {
        double ns = 0;
        double allocs = 0;
    };
    // group -> case index -> engine -> cell
    std::map<std::string, std::map<int, std::map<std::string, Cell>>> groups;
    std::map<std::string, std::vector<std::string>> engineOrder;
};

} // namespace

void AddSummary(std::function<void(const CellLookup&)> summary) {
    Summaries().push_back(std::move(summary));
}

void SetCaseLabel(const std::string& group, int index, const std::string& label) {
    Labels()[group][index] = label;
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTables();
    printf("\n");
    const CellLookup lookup = [&](const std::string& group, const std::string& engine, int index) {
        return reporter.Lookup(group, engine, index);
    };
    for (const auto& summary : Summaries())
        summary(lookup);
    benchmark::Shutdown();
    return 0;
}
