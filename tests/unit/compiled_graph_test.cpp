// The graph compiled once by the Plot command's checks draws and reads what
// its texts draw and read, however often it is used, and so does a copy of
// it made for another thread; none of that compiles anything again.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/points.h"
#include "expr/expression.h"
#include "plot/plot_checks.h"
#include "plot/svg_writer.h"
#include "render_scenes.h"

namespace {

size_t Filled(const EquationSlots& texts) {
    size_t n = 0;
    for (const std::string& text : texts)
        n += !text.empty();
    return n;
}

TEST(CompiledGraph, DrawsWhatItsTextsDrawWithoutCompiling) {
    for (const RenderScene& setup : RenderScenes()) {
        SCOPED_TRACE(setup.name);
        SceneCanvas scene(setup);
        const std::vector<uint32_t> exact = scene.Render();
        scene.style.smoothCurves = true;
        const std::vector<uint32_t> smooth = scene.Render();
        scene.style.smoothCurves = false;
        const std::string svg = GraphSvg(scene.plotter, scene.equations, scene.style);

        // As the window has them: checked (each evaluated once at 0), then
        // drawn again and again. A scene the check refuses ("ln" is no
        // builtin) is compiled as the drawing compiles it.
        CompiledGraph graph;
        EquationSlots texts = scene.equations;
        const uint64_t beforeCheck = Expression::CompileCount();
        if (CompileEquations(setup.mode, texts, graph))
            graph = CompileCurves(setup.mode, scene.equations);
        else
            EXPECT_EQ(Expression::CompileCount() - beforeCheck, Filled(scene.equations));
        const uint64_t compiled = Expression::CompileCount();
        auto pixels = [&] {
            RenderGraph(scene.plotter, graph, scene.style);
            return std::vector<uint32_t>(scene.canvas.bits(),
                                         scene.canvas.bits() + exact.size());
        };
        EXPECT_TRUE(pixels() == exact) << "the first render";
        scene.style.smoothCurves = true;
        EXPECT_TRUE(pixels() == smooth) << "smooth";
        scene.style.smoothCurves = false;
        EXPECT_EQ(GraphSvg(scene.plotter, graph, scene.style), svg);
        EXPECT_TRUE(pixels() == exact) << "drawn again";
        EXPECT_EQ(Expression::CompileCount(), compiled) << "nothing compiled after the check";
    }
}

// What the Analysis window lists and answers for a view, values at a few
// points and two integrals: from texts, compiled here, or from curves.
const std::vector<double> kAt = {-2.5, 0, 1.75};
const std::vector<std::pair<double, double>> kIntegrals = {{-1, 2}, {0.5, 3}};
constexpr double kXMin = -6, kXMax = 6;

std::vector<std::string> Lines(const std::array<std::string, 8>& texts) {
    std::vector<std::string> lines = PointLines(FindPointsOfInterest(texts, kXMin, kXMax));
    for (std::string& line :
         ValueAndIntegralLines(texts, kAt, kIntegrals, AnalysisClock::time_point::max()))
        lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> Lines(const AnalysisCurves& curves) {
    AnalysisWork work;
    std::vector<std::string> lines = PointLines(FindPointsCounted(curves, kXMin, kXMax, work));
    for (std::string& line :
         ValueAndIntegralLines(curves, kAt, kIntegrals, AnalysisClock::time_point::max()))
        lines.push_back(std::move(line));
    return lines;
}

TEST(CompiledGraph, ItAndItsCopyReadTheGraphAsItsTextsDo) {
    const std::array<std::string, 8> graphs[] = {
        {"sin(x)", "x^2/4-6", "", "1/x"},
        {"sqrt(x)", "abs(x)-1", "floor(x)", "mod(x,3)"},
        {"a=x^3-x", "x^2+x+1", "exp(x)-3", "tan(x)", "", "", "", "2"},
    };
    for (const auto& equations : graphs) {
        SCOPED_TRACE(equations[0]);
        const std::vector<std::string> expected = Lines(equations);
        ASSERT_GT(expected.size(), 10u);

        EquationSlots texts = equations;
        CompiledGraph graph;
        ASSERT_FALSE(CompileEquations(Rectangular, texts, graph));
        const uint64_t compiled = Expression::CompileCount();
        // Drawn first, as the window draws before the Analysis window reads.
        Canvas canvas(300, 200);
        Plotter plotter;
        plotter.SetCanvas(canvas.bits(), canvas.Stride(), 300, 200);
        RenderGraph(plotter, graph, GraphStyle());
        EXPECT_EQ(Lines(AnalysisOf(graph)), expected) << "the window's curves";
        const std::unique_ptr<CompiledGraph> copy = graph.Copy();
        EXPECT_EQ(Lines(AnalysisOf(*copy)), expected) << "a copy";
        EXPECT_EQ(Lines(AnalysisOf(graph)), expected) << "read again";
        EXPECT_EQ(Expression::CompileCount(), compiled);
    }
}

} // namespace
