// The window's side of the decided cells: which slots of the graph are
// decided (the relations, and the curves y = f(x) with Exact curves in
// Rectangular mode), over which cells (the graph pane's pixels), and when
// the work must start again. The deciding runs on a RelationWorker; the
// maps it hands over become the model's relationMaps on the window's thread.
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decide/cell_grid.h"
#include "document/graph_model.h"
#include "ui/relation_worker.h"

// What the decided cells depend on: two models with the same key have the
// same maps, whatever their colours, axes or smoothing. Equations accepted
// again are compiled again, and their maps start anew (kept here, the
// compiled graph cannot give its address to the next one).
struct DecisionKey {
    std::shared_ptr<const CompiledGraph> compiled;
    GraphMode mode = Rectangular;
    bool exactCurves = false;
    CellGrid grid;

    bool operator==(const DecisionKey& other) const;
};

class PaneDecisions {
public:
    // Progress is announced by posting `message` to `window`, the job's
    // number as wParam (see Take).
    void Notify(HWND window, UINT message);
    // The model is about to be drawn: when what its cells depend on has
    // changed since the last call, the work for the old graph is cancelled,
    // its maps are dropped (a slot shows nothing until its first pass comes)
    // and the new graph's slots start deciding.
    void Follow(GraphModel& model);
    // The message for `job` arrived: the maps decided since the last Take
    // become the model's. True when any did (the graph needs drawing again).
    bool Take(uint64_t job, GraphModel& model);
    // Whether the current work has ended (every slot decided or out of
    // time); true when there is none.
    bool Ended() const;
    // Waits for the current work to end, at most each slot's refinement
    // time, taking the maps into the model as they come and calling
    // `progress` after each (to draw them). True when the work ended.
    bool Wait(GraphModel& model, const std::function<void()>& progress);
    // Cancels the work and ends the worker's thread (at exit).
    void Stop();

    // The Analysis window's lines for the decided slots, in slot order:
    // how many cells are undecided, that all are decided, or that the first
    // pass has not come yet. Empty when no slot is decided.
    std::vector<std::string> Lines(const GraphModel& model) const;

private:
    RelationWorker worker;
    DecisionKey key;
    bool followed = false; // `key` is a graph followed already
    uint64_t job = 0;
    std::array<bool, 8> decided = {}; // the slots of the current work
    std::array<bool, 8> relation = {}; // ... that hold a relation (else a curve)
};

// What the cells of `model` depend on; its grid is the plotter's pixels.
DecisionKey DecisionKeyOf(const GraphModel& model);
