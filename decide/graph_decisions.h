// Deciding the relations of a whole graph at once, without a window: for
// orvanta-cli and for exports that wait for the decision.
#pragma once

#include <chrono>
#include <cstdint>

#include "decide/cell_grid.h"
#include "decide/relation_decider.h"
#include "plot/compiled_graph.h"
#include "plot/graph_style.h"
#include "plot/plotter.h"
#include "plot/render.h"

// The time `milliseconds` (not negative) from now, the latest time there is
// when that lies beyond it.
std::chrono::steady_clock::time_point DeadlineAfter(int64_t milliseconds);

// The cells of the plotter's pixels: its view over its width and height as a
// Centred grid, pixel (c, r) the cell (c, r). Not Valid when the plotter has
// no size.
CellGrid PixelGrid(const Plotter& plotter);

// Decides every slot that needs a decision (see SlotRelation, for the
// plotter's mode) over PixelGrid(plotter), in slot order within `limits`:
// each slot may refine for an equal share of the time left when it starts,
// so that time a slot does not need goes to the slots after it, and every
// slot gets at least its coarse pass. The cancel flag stops them all. A
// slot needing no decision, or whose relation or grid is unusable (or for
// which memory runs out), has no map.
RelationMaps DecideGraph(const CompiledGraph& graph, const EquationSlots& slots,
                         const GraphStyle& style, const Plotter& plotter,
                         const DecideLimits& limits);
