#include "ui/pane_decisions.h"

#include <cstdio>
#include <utility>

#include "decide/graph_decisions.h"

bool DecisionKey::operator==(const DecisionKey& other) const {
    return compiled == other.compiled && mode == other.mode &&
           exactCurves == other.exactCurves && grid.xmin == other.grid.xmin &&
           grid.xmax == other.grid.xmax && grid.ymin == other.grid.ymin &&
           grid.ymax == other.grid.ymax && grid.width == other.grid.width &&
           grid.height == other.grid.height && grid.placement == other.grid.placement;
}

DecisionKey DecisionKeyOf(const GraphModel& model) {
    DecisionKey key;
    key.compiled = model.compiled;
    key.mode = model.plotter.mode;
    key.exactCurves = model.style.exactCurves;
    key.grid = PixelGrid(model.plotter);
    return key;
}

void PaneDecisions::Notify(HWND window, UINT message) {
    worker.Notify(window, message);
}

// The relations are made for the worker here, on the thread that owns the
// compiled graph.
void PaneDecisions::Follow(GraphModel& model) {
    DecisionKey now = DecisionKeyOf(model);
    if (followed && now == key)
        return;
    followed = true;
    key = std::move(now);
    model.relationMaps = {};
    RelationSlots slots;
    for (size_t i = 0; i < slots.size(); ++i) {
        slots[i] = SlotRelation(*model.compiled, model.equations, model.style, key.mode, i);
        decided[i] = slots[i] != nullptr;
        relation[i] = model.compiled->relations[i] != nullptr;
    }
    job = worker.Start(std::move(slots), key.grid);
    if (job == 0)
        decided = {};
}

bool PaneDecisions::Take(uint64_t number, GraphModel& model) {
    return number == job && worker.Take(number, model.relationMaps);
}

bool PaneDecisions::Ended() const {
    return job == 0 || worker.Ended(job);
}

bool PaneDecisions::Wait(GraphModel& model, const std::function<void()>& progress) {
    if (job == 0)
        return true;
    size_t slots = 0;
    for (bool d : decided)
        slots += d;
    // Each slot refines for its own time after the first passes; the
    // margin covers those passes.
    const auto deadline = std::chrono::steady_clock::now() +
                          RelationWorker::kRefineTime * static_cast<int64_t>(slots) +
                          std::chrono::seconds(2);
    const bool ended = worker.WaitForEnd(job, deadline, [&] {
        if (Take(job, model) && progress)
            progress();
    });
    if (Take(job, model) && progress)
        progress();
    return ended;
}

void PaneDecisions::Stop() {
    worker.Stop();
    job = 0;
}

std::vector<std::string> PaneDecisions::Lines(const GraphModel& model) const {
    std::vector<std::string> lines;
    for (size_t i = 0; i < decided.size(); ++i) {
        if (!decided[i])
            continue;
        char line[96];
        const char* kind = relation[i] ? "relation" : "curve";
        const std::shared_ptr<const CellMap>& map = model.relationMaps[i];
        const size_t undecided = map ? map->Count(CellState::Undecided) : 0;
        if (!map)
            std::snprintf(line, sizeof line, "%s y%zu: deciding", kind, i + 1);
        else if (undecided == 0)
            std::snprintf(line, sizeof line, "%s y%zu: all cells decided", kind, i + 1);
        else
            std::snprintf(line, sizeof line, "%s y%zu: %zu cells undecided", kind, i + 1,
                          undecided);
        lines.emplace_back(line);
    }
    return lines;
}
