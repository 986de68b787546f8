// The decider against the real numbers: cells whose answer is known
// exactly (solutions on edges and corners, tangents, steps, poles, cells
// narrower than the doubles), the figures it is built to draw fully
// decided, and random relations cross-checked with MPFR.
#include <gtest/gtest.h>

#include <random>

#include "decide/relation_decider.h"
#include "relation_check.h"

namespace {

// The map of `text` over `grid`, refined at most `depth` levels below a
// cell (the cells these tests expect decided need far fewer).
CellMap Decide(const char* text, const CellGrid& grid, int64_t ms = 10000, int depth = 10) {
    auto relation = CompiledRelation::Compile(text);
    EXPECT_TRUE(relation) << text;
    if (!relation)
        return {};
    RelationDecider decider(std::move(relation), grid);
    DecideLimits limits;
    limits.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    limits.maxDepth = depth;
    decider.Run(limits);
    return decider.Map();
}

CellGrid Grid(double xmin, double xmax, double ymin, double ymax, int32_t w, int32_t h,
              CellGrid::Placement placement = CellGrid::Placement::Tiled) {
    CellGrid g;
    g.xmin = xmin;
    g.xmax = xmax;
    g.ymin = ymin;
    g.ymax = ymax;
    g.width = w;
    g.height = h;
    g.placement = placement;
    return g;
}

char Letter(CellState s) { return "?nST"[static_cast<int>(s)]; }

// Cells whose answer is known: `is` the state they must have, or, with
// `never`, a state they must not have. Cells are columns [c0, c1) x rows
// [r0, r1).
TEST(RelationDecider, KnownCells) {
    using P = CellGrid::Placement;
    const CellState n = CellState::Nowhere, s = CellState::Somewhere, t = CellState::Throughout;
    struct Row {
        const char* text;
        CellGrid grid;
        int32_t c0, c1, r0, r1;
        CellState state;
        bool never; // the cells must not be `state` (otherwise they must be)
    };
    const CellGrid quarter = Grid(-2, 2, -2, 2, 8, 8); // edges every 0.5
    const Row rows[] = {
        // A circle tangent to cells at their common corner (1, 0), and in
        // the middle of a cell's left edge.
        {"x^2+y^2=1", quarter, 6, 7, 3, 5, s, false},
        {"x^2+y^2=1", quarter, 7, 8, 0, 8, n, false},
        {"x^2+y^2=1", Grid(-2, 2, -2.25, 1.75, 8, 8), 6, 7, 3, 4, s, false},
        {"x^2+y^2<=1", quarter, 3, 5, 3, 5, t, false},
        {"x^2+y^2<1", quarter, 6, 7, 3, 5, n, false},
        // Solutions on edges belong to the cells on both sides.
        {"x=0.5", quarter, 4, 6, 0, 8, s, false},
        {"x=0.5", quarter, 0, 4, 0, 8, n, false},
        {"y>=0", quarter, 0, 8, 4, 5, s, false},
        {"y>0", quarter, 0, 8, 4, 5, n, false},
        // Constant relations, and one true over the reals but not in doubles.
        {"1=1", quarter, 0, 8, 0, 8, s, false},
        {"1=0", quarter, 0, 8, 0, 8, n, false},
        {"1<2", quarter, 0, 8, 0, 8, t, false},
        {"2=sqrt(2)^2", quarter, 0, 8, 0, 8, n, true},
        // Undefined: no solution anywhere, even where 0 = 0 would hold.
        {"sqrt(x)=sqrt(x)", Grid(-3, -1, -1, 1, 4, 4), 0, 4, 0, 4, n, false},
        {"log(x-y)<0", quarter, 0, 1, 0, 1, n, false},
        // Steps never joined: row 5 covers y in [0.375, 0.625], between two
        // steps, and the columns around x = -1, 0 and 1 hold its risers.
        {"y=floor(x)", Grid(-2.125, 1.875, -2.125, 1.875, 16, 16), 0, 16, 5, 6, n, false},
        {"y=ceil(x)", Grid(-2.125, 1.875, -2.125, 1.875, 16, 16), 0, 16, 5, 6, n, false},
        {"y=mod(x,1)", Grid(-2.125, 1.875, -2.125, 1.875, 16, 16), 0, 16, 1, 2, n, false},
        // Poles never crossed: around x = 0 for |y| <= 0.5, in both
        // placements (the centred column 4 holds the pole inside).
        {"y=1/x", quarter, 3, 5, 3, 5, n, false},
        {"y=1/x", Grid(-1, 1, -1, 1, 8, 8, P::Centred), 4, 5, 2, 7, n, false},
        {"y=x^(-3)", Grid(-1, 1, -1, 1, 8, 8, P::Centred), 4, 5, 2, 7, n, false},
        {"y=tan(x)", Grid(0, 3.2, -1, 1, 8, 8), 3, 4, 0, 8, n, false},
        // A difference of both signs with a gap at 0 between them, no zero.
        {"x/abs(x)=0", Grid(-1, 1, -1, 1, 9, 9), 4, 5, 0, 9, s, true},
    };
    for (const Row& row : rows) {
        const CellMap map = Decide(row.text, row.grid);
        ASSERT_EQ(map.width, row.grid.width) << row.text;
        for (int32_t r = row.r0; r < row.r1; ++r)
            for (int32_t c = row.c0; c < row.c1; ++c) {
                const CellState got = map.At(c, r);
                if (row.never) {
                    EXPECT_NE(got, row.state) << row.text << " cell " << c << "," << r;
                } else {
                    EXPECT_EQ(Letter(got), Letter(row.state))
                        << row.text << " cell " << c << "," << r;
                }
            }
    }
}

// Near 10^15 the doubles are 1/8 apart and the cells 1/64 wide: still sets
// of real points. The line y = x - 10^15 passes through the cells of one
// diagonal (and their neighbours at the corners); no other cell may claim
// a solution and none of those may be called empty.
TEST(RelationDecider, CellsNarrowerThanTheDoubles) {
    const CellGrid grid = Grid(1e15, 1e15 + 1, 0, 1, 64, 64);
    const CellMap map = Decide("y=x-1000000000000000", grid, 60000, 6);
    int decided = 0;
    for (int32_t r = 0; r < 64; ++r)
        for (int32_t c = 0; c < 64; ++c) {
            const int off = c - (63 - r);
            const CellState got = map.At(c, r);
            decided += got != CellState::Undecided;
            if (off == 0) {
                EXPECT_NE(got, CellState::Nowhere) << c << "," << r;
            }
            if (off < -1 || off > 1) {
                EXPECT_NE(got, CellState::Somewhere) << c << "," << r;
            }
        }
    std::printf("%d of 4096 cells decided\n", decided);
}

// The figures the decider is built for, every cell decided (no clock
// involved: the limit only guards against a hang).
TEST(RelationDecider, FiguresFullyDecided) {
    const char* const figures[] = {
        "y=sin(x)", "y=tan(x)", "x^2+y^2=25", "y<sqrt(x)",
        "abs(sin(sqrt(x^2+y^2)))=abs(cos(x))", "floor(x)^2+floor(y)^2=25", "y=sin(40/x)",
    };
    for (const char* text : figures) {
        const CellMap map = Decide(text, Grid(-10, 10, -10, 10, 256, 256), 60000, 24);
        EXPECT_EQ(map.Count(CellState::Undecided), 0u) << text;
        EXPECT_GT(map.Count(CellState::Somewhere), 0u) << text;
    }
}

// A decider run again goes on where it stopped: the coarse pass alone and
// then the rest give the map one run gives.
TEST(RelationDecider, ARunGoesOnWhereTheLastStopped) {
    const CellGrid grid = Grid(-10, 10, -10, 10, 128, 96, CellGrid::Placement::Centred);
    const char* text = "abs(sin(sqrt(x^2+y^2)))=abs(cos(x))";
    DecideLimits whole;
    whole.maxDepth = 8;
    RelationDecider once(CompiledRelation::Compile(text), grid);
    once.Run(whole);
    RelationDecider twice(CompiledRelation::Compile(text), grid);
    DecideLimits coarse;
    coarse.deadline = std::chrono::steady_clock::now();
    int calls = 0;
    twice.Run(coarse, [&](const CellMap&) { ++calls; });
    EXPECT_GT(twice.Undecided(), 0u);
    twice.Run(whole, [&](const CellMap&) { ++calls; });
    EXPECT_TRUE(once.Map().states == twice.Map().states);
    EXPECT_GE(calls, 3);
}

class EngineChoices : public relation_check::Choices {
public:
    explicit EngineChoices(uint64_t seed) : engine(seed) {}
    uint32_t Pick(uint32_t n) override { return std::uniform_int_distribution<uint32_t>(0, n - 1)(engine); }

private:
    std::mt19937_64 engine;
};

// Random relations over random grids: every decision confirmed by MPFR.
TEST(RelationDecider, AgreesWithMpfrOnRandomRelations) {
    EngineChoices choices(2828);
    size_t cells = 0, decided = 0;
    std::vector<std::string> problems;
    for (int i = 0; i < 80 && problems.size() < 5; ++i) {
        const relation_check::Relation relation = relation_check::GenerateRelation(choices, 3);
        const std::string text = relation.Text();
        auto compiled = CompiledRelation::Compile(text);
        ASSERT_TRUE(compiled) << text;
        static const double kHalfWidths[] = {0.5, 2, 8, 30};
        const double cx = static_cast<double>(choices.Pick(17)) / 2 - 4;
        const double cy = static_cast<double>(choices.Pick(17)) / 2 - 4;
        const double hw = kHalfWidths[choices.Pick(4)], hh = kHalfWidths[choices.Pick(4)];
        const CellGrid grid =
            Grid(cx - hw, cx + hw, cy - hh, cy + hh, 6 + choices.Pick(8), 6 + choices.Pick(8),
                 choices.Pick(2) ? CellGrid::Placement::Centred : CellGrid::Placement::Tiled);
        std::vector<CellWitness> witnesses;
        RelationDecider decider(std::move(compiled), grid);
        decider.RecordWitnesses(&witnesses);
        DecideLimits limits;
        limits.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        limits.maxDepth = 6; // the same work on every machine
        decider.Run(limits);
        const CellMap& map = decider.Map();
        cells += map.states.size();
        decided += map.states.size() - map.Count(CellState::Undecided);
        for (std::string& p : relation_check::Check(relation, grid, map, witnesses))
            problems.push_back(std::move(p));
    }
    std::printf("%zu of %zu cells decided\n", decided, cells);
    for (const std::string& p : problems)
        ADD_FAILURE() << p;
    EXPECT_GT(decided, cells / 2);
}

} // namespace
