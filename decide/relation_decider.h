// Deciding a relation cell by cell. For each cell of a grid the decider
// proves one of: the relation holds nowhere in the cell, somewhere in it,
// or (for inequalities) throughout it; a cell stays undecided only while
// neither is proven.
//
// The proofs are interval enclosures of each pair's difference over boxes
// (expr/interval.h): a box whose enclosure cannot meet a comparison holds
// no solution, one whose enclosure meets it at every point is all
// solutions. A solution somewhere is a point whose enclosure meets every
// comparison, or, for "=", a difference proven defined and continuous on a
// box with points of both signs in it (the intermediate value theorem on
// the segment between them). Large blocks of cells are tried first and
// split only while undecided; undecided cells are then split into
// sub-boxes, ever finer, until decided or the time runs out.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "decide/cell_grid.h"
#include "plot/cell_map.h"
#include "plot/relation.h"

struct DecideLimits {
    // Refinement stops at this time; the coarse pass always runs to its end.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    // Set from another thread to stop as soon as possible (checked often).
    const std::atomic<bool>* cancel = nullptr;
    // How deep refinement splits a cell: at most 4^maxDepth sub-boxes.
    int maxDepth = 24;
    // How often `progress` is called during a long pass.
    std::chrono::milliseconds progressInterval{25};
};

// How a cell's solution was proven, kept on request for checking the
// decider: a box meeting the cell throughout which the relation holds (a
// point is a thin box), or the sign change of one "=" pair's difference
// between two points of the cell, the difference continuous on a box that
// holds both and every other pair holding throughout it.
struct CellWitness {
    enum class Kind : uint8_t { Box, SignChange };
    uint32_t cell = 0; // row * width + column
    Kind kind = Kind::Box;
    Interval x, y;   // the box, or the first point's enclosure
    Interval x2, y2; // the second point's enclosure (SignChange)
    uint32_t pair = 0;
};

class RelationDecider {
public:
    // Decides `relation` (owned from here on, used on the running thread
    // only) over `grid`, which must be Valid.
    RelationDecider(std::unique_ptr<CompiledRelation> relation, const CellGrid& grid);
    ~RelationDecider();
    RelationDecider(const RelationDecider&) = delete;
    RelationDecider& operator=(const RelationDecider&) = delete;

    // Runs the coarse pass and then refinement passes until every cell is
    // decided, the deadline passes or the cancel flag is set. Another run
    // goes on where the last one stopped (the coarse pass is done once). `progress`,
    // when given, is called on this thread with the map so far after the
    // coarse pass, at most every progressInterval during refinement, and at
    // the end. True when every cell is decided.
    bool Run(const DecideLimits& limits,
             const std::function<void(const CellMap&)>& progress = nullptr);

    // Keeps the proof of every cell found to hold somewhere (or, in a block
    // found to hold throughout, the block's box) in `log`, when not null.
    void RecordWitnesses(std::vector<CellWitness>* log);

    const CellMap& Map() const { return map; }
    size_t Undecided() const { return map.Count(CellState::Undecided); }

private:
    struct Engine;
    std::unique_ptr<Engine> engine;
    CellMap map;
};

// Decides `relation` (copied) over `grid` for at most `timeLimitMs`
// milliseconds; the map of an invalid grid or relation is empty.
CellMap DecideRelation(const CompiledRelation& relation, const CellGrid& grid, int64_t timeLimitMs);
