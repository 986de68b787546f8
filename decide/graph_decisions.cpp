#include "decide/graph_decisions.h"

#include <memory>
#include <new>
#include <vector>

std::chrono::steady_clock::time_point DeadlineAfter(int64_t milliseconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point now = Clock::now();
    const auto wanted = std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    // Compared in milliseconds, which hold the clock's whole range.
    if (wanted >=
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::time_point::max() - now))
        return Clock::time_point::max();
    return now + std::chrono::duration_cast<Clock::duration>(wanted);
}

CellGrid PixelGrid(const Plotter& plotter) {
    CellGrid grid;
    grid.xmin = plotter.xMin;
    grid.xmax = plotter.xMax;
    grid.ymin = plotter.yMin;
    grid.ymax = plotter.yMax;
    grid.width = plotter.width;
    grid.height = plotter.height;
    grid.placement = CellGrid::Placement::Centred;
    return grid;
}

RelationMaps DecideGraph(const CompiledGraph& graph, const EquationSlots& slots,
                         const GraphStyle& style, const Plotter& plotter,
                         const DecideLimits& limits) {
    RelationMaps maps;
    const CellGrid grid = PixelGrid(plotter);
    if (!grid.Valid())
        return maps;
    std::vector<std::pair<size_t, std::unique_ptr<CompiledRelation>>> wanted;
    for (size_t i = 0; i < slots.size(); ++i)
        if (auto relation = SlotRelation(graph, slots, style, plotter.mode, i))
            wanted.emplace_back(i, std::move(relation));

    using Clock = std::chrono::steady_clock;
    for (size_t k = 0; k < wanted.size(); ++k) {
        DecideLimits share = limits;
        if (limits.deadline != Clock::time_point::max()) {
            const Clock::time_point now = Clock::now();
            if (now < limits.deadline)
                share.deadline =
                    now + (limits.deadline - now) / static_cast<int64_t>(wanted.size() - k);
        }
        try {
            RelationDecider decider(std::move(wanted[k].second), grid);
            decider.Run(share);
            if (!decider.Map().states.empty())
                maps[wanted[k].first] = std::make_shared<const CellMap>(decider.Map());
        } catch (const std::bad_alloc&) {
            // No memory for this slot's cells: it stays without a map.
        }
    }
    return maps;
}
