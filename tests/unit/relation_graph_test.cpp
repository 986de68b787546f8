// Relations in the graph: which texts the Plot command takes as relations
// in each mode, and how decided cells are painted among the curves.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "decide/graph_decisions.h"
#include "document/graph_model.h"
#include "plot/canvas.h"
#include "plot/plot_checks.h"
#include "plot/render.h"

namespace {

enum class Taken { Curve, Relation, Refused };

TEST(RelationChecks, RectangularTakesRelationsOtherModesRefuseThem) {
    const struct {
        GraphMode mode;
        const char* text;
        Taken taken;
    } cases[] = {
        {Rectangular, "x^2+y^2=25", Taken::Relation},
        {Rectangular, "0<=y<sqrt(x)", Taken::Relation},
        {Rectangular, "y>=sin(x)", Taken::Relation},
        {Rectangular, "1=1", Taken::Relation},
        // Assignments no curve check ever accepted are relations.
        {Rectangular, "x=y^2", Taken::Relation},
        {Rectangular, "2=sqrt(2)^2", Taken::Relation},
        // The language's assignments stay the curves they always were.
        {Rectangular, "y = x^2", Taken::Curve},
        {Rectangular, "a = x", Taken::Curve},
        {Rectangular, "y = sin(x)", Taken::Curve},
        {Rectangular, "x = 5", Taken::Curve},
        {Rectangular, "sin(x)", Taken::Curve},
        // Refused relations get the message of any text that does not compile.
        {Rectangular, "y<", Taken::Refused},
        {Rectangular, "y==x", Taken::Refused},
        {Rectangular, "y<>x", Taken::Refused},
        {Rectangular, "y<q", Taken::Refused},
        {Rectangular, "y<sin(", Taken::Refused},
        {Rectangular, "=", Taken::Refused},
        {Polar, "x^2+y^2=25", Taken::Refused},
        {Polar, "r<1", Taken::Refused},
        {Polar, "t<1", Taken::Refused},
        {Polar, "y = t", Taken::Curve},
        {Parametric, "y>t", Taken::Refused},
        {Parametric, "t=1", Taken::Curve},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in mode " + std::to_string(c.mode));
        // Parametric texts go in pairs: slot 1's pair is a plain curve.
        const std::string plain(ModeVariable(c.mode));
        EquationSlots texts = {plain, c.text, plain, plain};
        CompiledGraph compiled;
        const auto refusal = CompileEquations(c.mode, texts, compiled);
        if (c.taken == Taken::Refused) {
            ASSERT_TRUE(refusal);
            EXPECT_EQ(refusal->text, std::string("Unable to evaluate the expression ") + c.text);
            EXPECT_EQ(refusal->caption, "Error in expression");
            EXPECT_EQ(texts[1], c.text);
            continue;
        }
        ASSERT_FALSE(refusal) << refusal->text;
        EXPECT_EQ(compiled.curves[1] != nullptr, c.taken == Taken::Curve);
        EXPECT_EQ(compiled.relations[1] != nullptr, c.taken == Taken::Relation);
        EXPECT_TRUE(compiled.curves[2] && !compiled.relations[2]) << "a curve beside it";
        // The drawing compiles the texts as the checks do.
        const CompiledGraph drawn = CompileCurves(c.mode, texts);
        EXPECT_EQ(drawn.relations[1] != nullptr, c.taken == Taken::Relation);
        // What is decided cell by cell: the relation, or with Exact curves a
        // Rectangular curve as y = f(x); never a curve of the other modes.
        GraphStyle style;
        for (bool exact : {false, true}) {
            style.exactCurves = exact;
            const auto decided = SlotRelation(compiled, texts, style, c.mode, 1);
            const bool wanted = c.taken == Taken::Relation || (exact && c.mode == Rectangular);
            ASSERT_EQ(decided != nullptr, wanted) << "exact " << exact;
            if (!decided)
                continue;
            if (c.taken == Taken::Curve)
                EXPECT_EQ(decided->Text().substr(0, 2), "y=");
            else
                EXPECT_EQ(decided->Text(), c.text);
        }
        EXPECT_FALSE(SlotRelation(compiled, texts, style, c.mode, 4)) << "an empty slot";
    }

    // New or no equations forget what was decided of the old ones.
    GraphModel model;
    model.relationMaps[0] = std::make_shared<CellMap>();
    ASSERT_FALSE(model.AcceptEquations({"x^2+y^2=25", "x"}));
    EXPECT_TRUE(model.compiled->relations[0] && model.compiled->curves[1]);
    EXPECT_FALSE(model.relationMaps[0]);
    model.relationMaps[0] = std::make_shared<CellMap>();
    EXPECT_TRUE(model.AcceptEquations({"y<"}));
    EXPECT_TRUE(model.relationMaps[0]) << "a refusal changes nothing";
    model.ClearEquations();
    EXPECT_FALSE(model.relationMaps[0]);
}

// A 4x2 picture: a background and an axis colour in row 0, and the slots'
// maps over it, each cell given.
constexpr int32_t kW = 4, kH = 2;
constexpr uint32_t kBack = 0x204080, kRed = 0xff0000, kOdd = 0x050003;

std::shared_ptr<const CellMap> Map(bool equation, std::vector<CellState> states) {
    auto map = std::make_shared<CellMap>();
    map->width = kW;
    map->height = kH;
    map->equation = equation;
    map->states = std::move(states);
    return map;
}

TEST(RelationPaint, EachClassBlendsTheSlotColourOverWhatLiesBelow) {
    using S = CellState;
    constexpr S N = S::Nowhere, U = S::Undecided, W = S::Somewhere, T = S::Throughout;
    const struct {
        const char* name;
        std::vector<std::string> texts;
        bool exact;
        std::vector<std::pair<int, std::shared_ptr<const CellMap>>> maps;
        std::vector<uint32_t> expected; // kW x kH
    } cases[] = {
        // Over the background (32, 64, 128) 30 % of red is (99, 45, 90) and
        // 60 % is (166, 26, 51); over the axis (0, 0, 0) (77, 0, 0) and
        // (153, 0, 0).
        {"inequality",
         {"y<x"},
         false,
         {{0, Map(false, {N, T, W, U, T, U, W, N})}},
         {0x000000, 0x4d0000, kRed, 0x990000, 0x632d5a, 0xa61a33, kRed, kBack}},
        {"equation: somewhere and throughout alike",
         {"y-x=0"},
         false,
         {{0, Map(true, {W, T, U, N, U, N, T, W})}},
         {kRed, kRed, 0x990000, 0x000000, 0xa61a33, kBack, kRed, kRed}},
        // (5, 0, 3) at 30 % over black: 1.5 and 0.9 round to 2 and 1.
        {"halves round up",
         {"", "y<x"},
         false,
         {{1, Map(false, {T, N, N, N, N, N, N, N})}},
         {0x020001, 0x000000, 0x000000, 0x000000, kBack, kBack, kBack, kBack}},
        // Slot 2 lies over slot 1: 30 % of (5, 0, 3) over (166, 26, 51) is
        // (118, 18, 37), 60 % over (99, 45, 90) is (43, 18, 38) and over the
        // background (16, 26, 53).
        {"later slots over earlier ones",
         {"y<x", "y>x"},
         false,
         {{0, Map(false, {N, U, T, N, U, T, N, N})}, {1, Map(false, {N, N, N, N, T, U, U, N})}},
         {0x000000, 0x990000, 0x4d0000, 0x000000, 0x761225, 0x2b1226, 0x101a35, kBack}},
        {"a map of another size is not drawn",
         {"y<x"},
         false,
         {{0, std::make_shared<CellMap>(CellMap{kW, 1, false, {T, T, T, T}})}},
         {0x000000, 0x000000, 0x000000, 0x000000, kBack, kBack, kBack, kBack}},
        // Exact curves: the curve is its map, and no samples are drawn.
        {"exact curve from its map",
         {"x"},
         true,
         {{0, Map(true, {N, N, N, N, N, W, N, N})}},
         {0x000000, 0x000000, 0x000000, 0x000000, kBack, kRed, kBack, kBack}},
        {"exact curve without a map draws nothing",
         {"x"},
         true,
         {},
         {0x000000, 0x000000, 0x000000, 0x000000, kBack, kBack, kBack, kBack}},
        {"without exact curves a curve's map is ignored",
         {"0"},
         false,
         {{0, Map(true, {N, N, N, N, W, W, W, W})}},
         {kRed, kRed, kRed, kRed, kBack, kBack, kBack, kBack}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool smooth : {false, true}) {
            SCOPED_TRACE(smooth ? "smooth" : "exact");
            Canvas canvas(kW, kH);
            Plotter plotter;
            plotter.SetCanvas(canvas.bits(), canvas.Stride(), kW, kH);
            // y = 0 on row 0, x = 0 left of the picture.
            plotter.SetRange(2, 6, -2, 0);
            GraphStyle style;
            style.backColor = kBack;
            style.graphColors[1] = kOdd;
            style.exactCurves = c.exact;
            style.smoothCurves = smooth;
            EquationSlots texts;
            for (size_t i = 0; i < c.texts.size(); ++i)
                texts[i] = c.texts[i];
            CompiledGraph graph = CompileCurves(Rectangular, texts);
            RelationMaps maps;
            for (const auto& [slot, map] : c.maps)
                maps[slot] = map;
            RenderGraph(plotter, graph, style, &maps);
            const std::vector<uint32_t> pixels(canvas.bits(), canvas.bits() + kW * kH);
            // A curve drawn from samples is smoothed; cells never are.
            if (smooth && std::string(c.name).find("ignored") != std::string::npos)
                continue;
            for (size_t i = 0; i < pixels.size(); ++i)
                EXPECT_EQ(pixels[i], c.expected[i]) << "pixel " << i % kW << "," << i / kW;
        }
    }
}

} // namespace

// The pixels' cells are centred on the points the curves are sampled at:
// every sample a curve puts on the picture lies in a cell where its exact
// form y = f(x) is not "nowhere", and a decided slot with no time left
// still has its coarse map.
TEST(DecideGraph, ExactCurvesHoldAtTheirSamplesInEverySlot) {
    const EquationSlots texts = {"sin(x)",   "x^2/5-4",       "1/x",       "tan(x)",
                                 "floor(x)", "y = sin(40/x)", "x^2+y^2<=4"};
    for (const auto& [width, height, wait] : {std::tuple{97, 61, 2000}, std::tuple{40, 30, 0}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        Plotter plotter;
        plotter.SetCanvas(nullptr, 0, width, height);
        plotter.SetRange(-6, 7, -5, 4.5);
        CompiledGraph graph;
        EquationSlots checked = texts;
        ASSERT_FALSE(CompileEquations(Rectangular, checked, graph));
        GraphStyle style;
        style.exactCurves = true;
        DecideLimits limits;
        limits.deadline = DeadlineAfter(wait);
        const RelationMaps maps = DecideGraph(graph, checked, style, plotter, limits);
        for (size_t i = 0; i < 8; ++i) {
            SCOPED_TRACE(checked[i]);
            ASSERT_EQ(maps[i] != nullptr, !checked[i].empty());
            if (!maps[i])
                continue;
            EXPECT_EQ(maps[i]->width, width);
            EXPECT_EQ(maps[i]->height, height);
            if (!graph.curves[i])
                continue;
            for (int32_t c = 0; c < width; ++c) {
                const double x = plotter.xMin + (plotter.xMax - plotter.xMin) * c / width;
                const double y = graph.curves[i]->At(x);
                const int32_t r = plotter.YToRow(y);
                if (std::isfinite(y) && r >= 0 && r < height) {
                    EXPECT_NE(maps[i]->At(c, r), CellState::Nowhere) << "x " << x << " y " << y;
                }
            }
        }
    }
    // Nothing to decide in the other modes, nor for curves without Exact
    // curves.
    Plotter plotter;
    plotter.SetCanvas(nullptr, 0, 10, 10);
    CompiledGraph graph = CompileCurves(Polar, {"t"});
    GraphStyle style;
    style.exactCurves = true;
    for (const auto& map : DecideGraph(graph, {"t"}, style, plotter, DecideLimits{}))
        EXPECT_FALSE(map);
    graph = CompileCurves(Rectangular, {"x"});
    style.exactCurves = false;
    for (const auto& map : DecideGraph(graph, {"x"}, style, plotter, DecideLimits{}))
        EXPECT_FALSE(map);
}
