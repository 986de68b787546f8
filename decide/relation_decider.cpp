#include "decide/relation_decider.h"

#include <algorithm>
#include <cmath>

namespace {

enum class Truth : uint8_t { False, True, Unknown };

// Whether the values in `d` meet `c` against 0: False when none does (or
// the difference is defined nowhere), True when every one does and the
// difference is defined at every point, Unknown otherwise. The enclosure
// holds the values at the points where the difference is defined; where it
// is not, the relation does not hold either.
Truth Compare(Comparison c, const Interval& d) {
    if (d.defined == Definedness::Nowhere)
        return Truth::False;
    bool fails = false, holds = false;
    switch (c) {
    case Comparison::Equal:
        fails = d.lo > 0 || d.hi < 0;
        holds = d.lo == 0 && d.hi == 0;
        break;
    case Comparison::Less:
        fails = d.lo >= 0;
        holds = d.hi < 0;
        break;
    case Comparison::LessEqual:
        fails = d.lo > 0;
        holds = d.hi <= 0;
        break;
    case Comparison::Greater:
        fails = d.hi <= 0;
        holds = d.lo > 0;
        break;
    case Comparison::GreaterEqual:
        fails = d.hi < 0;
        holds = d.lo >= 0;
        break;
    }
    if (fails)
        return Truth::False;
    return holds && d.defined == Definedness::Everywhere ? Truth::True : Truth::Unknown;
}

// The sign of a difference proven at every point of its box: -1, +1, or 0
// when not proven (0 included).
int ProvenSign(const Interval& d) {
    if (d.defined != Definedness::Everywhere)
        return 0;
    return d.hi < 0 ? -1 : d.lo > 0 ? 1 : 0;
}

double Mid(double a, double b) {
    const double m = a + (b - a) / 2;
    return std::isfinite(m) ? m : a / 2 + b / 2;
}

// A point of the closed cell [e0, e1] (each edge enclosed) at or near the
// coordinate c of a box [u1, u2] inside the cell's enclosure, enclosed by
// `p`, and lying in the box: c itself when it is surely inside the cell,
// otherwise the real edge next to it when the box holds that edge's
// enclosure. False when neither can be vouched for.
bool CellPoint(double c, const Interval& e0, const Interval& e1, double u1, double u2,
               Interval& p) {
    if (c >= e0.hi && c <= e1.lo) {
        p = Interval::Range(c, c);
        return true;
    }
    if (c < e0.hi && u1 <= e0.lo && u2 >= e0.hi) {
        p = e0;
        return true;
    }
    if (c > e1.lo && u1 <= e1.lo && u2 >= e1.hi) {
        p = e1;
        return true;
    }
    return false;
}

// Whether the box [u1, u2] surely meets the closed cell [e0, e1].
bool Meets(double u1, double u2, const Interval& e0, const Interval& e1) {
    return (u1 <= e1.lo && u2 >= e0.hi) || (u1 <= e0.lo && u2 >= e0.hi) ||
           (u1 <= e1.lo && u2 >= e1.hi);
}

} // namespace

struct RelationDecider::Engine {
    std::unique_ptr<CompiledRelation> relation;
    CellGrid grid;
    CellEdges edges;
    size_t pairs = 0;
    bool equation = false;
    // Per pair: the last box's enclosure and truth.
    std::vector<Interval> d;
    std::vector<Truth> truth;
    Interval pieces[IntervalProgram::kMaxPieces];

    // The proofs, when kept; `cell` is the cell being decided.
    std::vector<CellWitness>* log = nullptr;
    uint32_t cell = 0;
    void Keep(const Interval& x, const Interval& y) {
        if (log) {
            CellWitness w;
            w.cell = cell;
            w.x = x;
            w.y = y;
            log->push_back(w);
        }
    }

    // How far earlier runs went: a run goes on from there.
    bool coarseDone = false;
    int depthDone = 0;

    // Stopping.
    const DecideLimits* limits = nullptr;
    bool refining = false; // past the coarse pass: the deadline applies
    bool stopped = false;
    uint32_t untilCheck = 0;

    Engine(std::unique_ptr<CompiledRelation> r, const CellGrid& g)
        : relation(std::move(r)), grid(g), edges(g) {
        pairs = relation->Count();
        equation = relation->IsEquation();
        d.resize(pairs);
        truth.resize(pairs);
    }

    bool Stop() {
        if (stopped)
            return true;
        if (++untilCheck < 256)
            return false;
        untilCheck = 0;
        if (limits->cancel && limits->cancel->load(std::memory_order_relaxed))
            stopped = true;
        else if (refining && std::chrono::steady_clock::now() >= limits->deadline)
            stopped = true;
        return stopped;
    }

    // Pair i over the box, its pieces tried where one enclosure is not enough.
    Truth Pair(size_t i, const Interval& x, const Interval& y) {
        IntervalProgram& program = relation->Difference(i);
        d[i] = program.Evaluate(x, y);
        const Comparison c = relation->ComparisonAt(i);
        Truth t = Compare(c, d[i]);
        if (t == Truth::Unknown && program.MaySplit()) {
            const size_t n = program.EvaluatePieces(x, y, pieces);
            bool allFalse = true, allTrue = true;
            for (size_t k = 0; k < n; ++k) {
                const Truth p = Compare(c, pieces[k]);
                allFalse = allFalse && p == Truth::False;
                allTrue = allTrue && p == Truth::True;
            }
            t = allFalse ? Truth::False : allTrue ? Truth::True : Truth::Unknown;
        }
        truth[i] = t;
        return t;
    }

    // The relation over the box: False when it holds nowhere in it, True
    // when it holds throughout, Unknown otherwise. Stops at the first pair
    // that fails (later pairs' entries are then stale).
    Truth Box(const Interval& x, const Interval& y) {
        Truth all = Truth::True;
        for (size_t i = 0; i < pairs; ++i) {
            const Truth t = Pair(i, x, y);
            if (t == Truth::False)
                return Truth::False;
            if (t == Truth::Unknown)
                all = Truth::Unknown;
        }
        return all;
    }

    // The one "=" pair left Unknown over the last box, with the difference
    // defined and continuous on it and every other pair true throughout:
    // then points of both signs in the box prove a solution between them.
    // Its index, or `pairs` when the box is not of that kind.
    size_t SignChangePair() const {
        size_t found = pairs;
        for (size_t i = 0; i < pairs; ++i) {
            if (truth[i] == Truth::True)
                continue;
            if (found != pairs || relation->ComparisonAt(i) != Comparison::Equal ||
                !d[i].continuous)
                return pairs;
            found = i;
        }
        return found;
    }

    // Looks for a solution in the box [u1, u2] x [v1, v2] (inside cell
    // (c, r)'s enclosure) whose last evaluation, Box, gave Unknown: at its
    // corners and centre moved into the cell, a point where every pair
    // holds, or, for the kind of box SignChangePair finds, two points of
    // opposite signs.
    bool Witness(int32_t c, int32_t r, double u1, double u2, double v1, double v2) {
        const Interval& x0 = edges.x[c];
        const Interval& x1 = edges.x[c + 1];
        const Interval& y0 = edges.y[r + 1]; // the bottom edge
        const Interval& y1 = edges.y[r];
        const size_t e = SignChangePair();
        const double xs[3] = {u1, Mid(u1, u2), u2};
        const double ys[3] = {v1, Mid(v1, v2), v2};
        static constexpr int kPoints[5][2] = {{1, 1}, {0, 0}, {2, 2}, {0, 2}, {2, 0}};
        bool negative = false, positive = false;
        Interval negativeAt[2], positiveAt[2];
        for (const auto& point : kPoints) {
            Interval px, py;
            if (!CellPoint(xs[point[0]], x0, x1, u1, u2, px) ||
                !CellPoint(ys[point[1]], y0, y1, v1, v2, py))
                continue;
            if (e != pairs) {
                // Only the sign of the "=" pair's difference is needed.
                const Interval v = relation->Difference(e).Evaluate(px, py);
                const int s = ProvenSign(v);
                if (s < 0 && !negative) {
                    negative = true;
                    negativeAt[0] = px;
                    negativeAt[1] = py;
                }
                if (s > 0 && !positive) {
                    positive = true;
                    positiveAt[0] = px;
                    positiveAt[1] = py;
                }
                if (Compare(Comparison::Equal, v) == Truth::True) {
                    Keep(px, py);
                    return true;
                }
                if (negative && positive) {
                    if (log) {
                        CellWitness w;
                        w.cell = cell;
                        w.kind = CellWitness::Kind::SignChange;
                        w.x = negativeAt[0];
                        w.y = negativeAt[1];
                        w.x2 = positiveAt[0];
                        w.y2 = positiveAt[1];
                        w.pair = static_cast<uint32_t>(e);
                        log->push_back(w);
                    }
                    return true;
                }
                continue;
            }
            if (Box(px, py) == Truth::True) {
                Keep(px, py);
                return true;
            }
        }
        return false;
    }

    // Decides one cell by splitting its enclosure into sub-boxes down to
    // `depth` levels (at most `budget` boxes).
    CellState Explore(int32_t c, int32_t r, int depth, uint32_t budget) {
        cell = static_cast<uint32_t>(r) * static_cast<uint32_t>(grid.width) + c;
        const Interval& x0 = edges.x[c];
        const Interval& x1 = edges.x[c + 1];
        const Interval& y0 = edges.y[r + 1];
        const Interval& y1 = edges.y[r];
        struct Node {
            double u1, u2, v1, v2;
            int level;
        };
        Node stack[4 * 64];
        size_t top = 0;
        stack[top++] = {x0.lo, x1.hi, y0.lo, y1.hi, 0};
        bool allFalse = true, allTrue = true, found = false;
        uint32_t boxes = 0;
        while (top > 0) {
            const Node n = stack[--top];
            if (Stop())
                return found ? CellState::Somewhere : CellState::Undecided;
            const Interval bx = Interval::Range(n.u1, n.u2), by = Interval::Range(n.v1, n.v2);
            const Truth t = Box(bx, by);
            ++boxes;
            // Only the leaves count towards "nowhere" and "throughout"; a
            // solution found anywhere in the cell makes it "somewhere",
            // at once for an equation, and for an inequality once some
            // part of the cell is known not to hold throughout.
            if (t == Truth::False) {
                if (found)
                    return CellState::Somewhere;
                allTrue = false;
                continue;
            }
            if (t == Truth::True) {
                allFalse = false;
                if (Meets(n.u1, n.u2, x0, x1) && Meets(n.v1, n.v2, y0, y1)) {
                    if (!found)
                        Keep(bx, by);
                    found = true;
                    if (equation || !allTrue)
                        return CellState::Somewhere;
                }
                continue;
            }
            if (!found && Witness(c, r, n.u1, n.u2, n.v1, n.v2)) {
                found = true;
                if (equation || !allTrue)
                    return CellState::Somewhere;
            }
            const double mx = Mid(n.u1, n.u2), my = Mid(n.v1, n.v2);
            const bool splitX = mx > n.u1 && mx < n.u2, splitY = my > n.v1 && my < n.v2;
            if (n.level >= depth || boxes >= budget || (!splitX && !splitY) ||
                top + 4 > std::size(stack)) {
                // Left undecided at this depth.
                allFalse = false;
                allTrue = false;
                if (found)
                    return CellState::Somewhere;
                continue;
            }
            const int l = n.level + 1;
            if (splitX && splitY) {
                stack[top++] = {n.u1, mx, n.v1, my, l};
                stack[top++] = {mx, n.u2, n.v1, my, l};
                stack[top++] = {n.u1, mx, my, n.v2, l};
                stack[top++] = {mx, n.u2, my, n.v2, l};
            } else if (splitX) {
                stack[top++] = {n.u1, mx, n.v1, n.v2, l};
                stack[top++] = {mx, n.u2, n.v1, n.v2, l};
            } else {
                stack[top++] = {n.u1, n.u2, n.v1, my, l};
                stack[top++] = {n.u1, n.u2, my, n.v2, l};
            }
        }
        if (stopped)
            return found ? CellState::Somewhere : CellState::Undecided;
        if (allTrue) {
            // The leaves cover the cell's enclosure, which is then a proof.
            if (!found)
                Keep(Interval::Range(x0.lo, x1.hi), Interval::Range(y0.lo, y1.hi));
            return equation ? CellState::Somewhere : CellState::Throughout;
        }
        if (found)
            return CellState::Somewhere;
        return allFalse ? CellState::Nowhere : CellState::Undecided;
    }
};

RelationDecider::RelationDecider(std::unique_ptr<CompiledRelation> relation, const CellGrid& grid) {
    if (relation && grid.Valid()) {
        map.width = grid.width;
        map.height = grid.height;
        map.equation = relation->IsEquation();
        map.states.assign(static_cast<size_t>(grid.width) * grid.height, CellState::Undecided);
        engine = std::make_unique<Engine>(std::move(relation), grid);
    }
}

RelationDecider::~RelationDecider() = default;

void RelationDecider::RecordWitnesses(std::vector<CellWitness>* log) {
    if (engine)
        engine->log = log;
}

bool RelationDecider::Run(const DecideLimits& limits,
                          const std::function<void(const CellMap&)>& progress) {
    if (!engine)
        return false;
    Engine& e = *engine;
    e.limits = &limits;
    e.refining = false;
    e.stopped = false;
    const int32_t W = map.width;
    auto fill = [&](int32_t c0, int32_t c1, int32_t r0, int32_t r1, CellState s) {
        for (int32_t r = r0; r < r1; ++r)
            std::fill_n(map.states.begin() + static_cast<size_t>(r) * W + c0, c1 - c0, s);
    };
    const CellState holds = e.equation ? CellState::Somewhere : CellState::Throughout;

    // Coarse pass, from the largest blocks down (depth first, so memory
    // stays small).
    struct Block {
        int32_t c0, c1, r0, r1;
    };
    std::vector<Block> blocks;
    if (!e.coarseDone)
        blocks.push_back({0, map.width, 0, map.height});
    while (!blocks.empty() && !e.Stop()) {
        const Block b = blocks.back();
        blocks.pop_back();
        const Interval bx = e.edges.Columns(b.c0, b.c1), by = e.edges.Rows(b.r0, b.r1);
        const Truth t = e.Box(bx, by);
        if (t == Truth::False) {
            fill(b.c0, b.c1, b.r0, b.r1, CellState::Nowhere);
            continue;
        }
        if (t == Truth::True) {
            fill(b.c0, b.c1, b.r0, b.r1, holds);
            for (int32_t r = b.r0; e.log && r < b.r1; ++r)
                for (int32_t c = b.c0; c < b.c1; ++c) {
                    e.cell = static_cast<uint32_t>(r) * W + c;
                    e.Keep(bx, by);
                }
            continue;
        }
        if (b.c1 - b.c0 == 1 && b.r1 - b.r0 == 1) {
            e.cell = static_cast<uint32_t>(b.r0) * W + b.c0;
            if (e.Witness(b.c0, b.r0, bx.lo, bx.hi, by.lo, by.hi))
                map.states[static_cast<size_t>(b.r0) * W + b.c0] = CellState::Somewhere;
            continue;
        }
        const int32_t cm = b.c0 + (b.c1 - b.c0) / 2, rm = b.r0 + (b.r1 - b.r0) / 2;
        // Pushed so that the top-left quarter comes out first.
        if (b.c1 - b.c0 > 1 && b.r1 - b.r0 > 1) {
            blocks.push_back({cm, b.c1, rm, b.r1});
            blocks.push_back({b.c0, cm, rm, b.r1});
            blocks.push_back({cm, b.c1, b.r0, rm});
            blocks.push_back({b.c0, cm, b.r0, rm});
        } else if (b.c1 - b.c0 > 1) {
            blocks.push_back({cm, b.c1, b.r0, b.r1});
            blocks.push_back({b.c0, cm, b.r0, b.r1});
        } else {
            blocks.push_back({b.c0, b.c1, rm, b.r1});
            blocks.push_back({b.c0, b.c1, b.r0, rm});
        }
    }
    if (e.stopped) {
        if (progress)
            progress(map);
        return false;
    }
    if (!e.coarseDone && progress)
        progress(map);
    e.coarseDone = true;

    // Refinement: the undecided cells, each split ever deeper; a later run
    // goes on from the first depth not yet done for every cell.
    e.refining = true;
    std::vector<uint32_t> open;
    for (size_t i = 0; i < map.states.size(); ++i)
        if (map.states[i] == CellState::Undecided)
            open.push_back(static_cast<uint32_t>(i));
    auto last = std::chrono::steady_clock::now();
    for (int depth = e.depthDone + 1; depth <= limits.maxDepth && !open.empty() && !e.stopped;
         ++depth) {
        const uint32_t budget = depth <= 6 ? 1u << (2 * depth) : 1u << 13;
        size_t kept = 0;
        for (size_t k = 0; k < open.size(); ++k) {
            const uint32_t i = open[k];
            const CellState s = e.stopped ? CellState::Undecided
                                          : e.Explore(static_cast<int32_t>(i % W),
                                                      static_cast<int32_t>(i / W), depth, budget);
            map.states[i] = s;
            if (s == CellState::Undecided)
                open[kept++] = i;
            if (progress && (k & 63) == 0) {
                const auto now = std::chrono::steady_clock::now();
                if (now - last >= limits.progressInterval) {
                    last = now;
                    progress(map);
                }
            }
        }
        open.resize(kept);
        if (!e.stopped)
            e.depthDone = depth;
    }
    if (progress)
        progress(map);
    return open.empty();
}

CellMap DecideRelation(const CompiledRelation& relation, const CellGrid& grid, int64_t timeLimitMs) {
    RelationDecider decider(relation.Copy(), grid);
    DecideLimits limits;
    limits.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs);
    decider.Run(limits);
    return decider.Map();
}
