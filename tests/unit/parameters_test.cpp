// Parameters: their rules, the slider and Play arithmetic, the Plot check
// with parameters, values set without compiling, and documents.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "analysis/analysis.h"
#include "decide/graph_decisions.h"
#include "document/document_json.h"
#include "document/graph_model.h"
#include "expr/expression.h"
#include "plot/canvas.h"
#include "plot/parameters.h"
#include "plot/plot_checks.h"
#include "document_test_util.h"

namespace {

Parameter P(const char* name, double value = 1, double min = -10, double max = 10,
            double step = 0) {
    return Parameter{name, value, min, max, step};
}

TEST(Parameters, RulesOfNamesAndNumbers) {
    const double inf = INFINITY, nan = NAN;
    struct Case {
        Parameters parameters;
        const char* problem; // null: accepted
    } cases[] = {
        {{P("a"), P("b_2"), P("Sin"), P("X"), P("tt")}, nullptr},
        {{P("a", 10, -10, 10, 2.5)}, nullptr},
        {{P("a", 50)}, nullptr}, // a value outside the range is no broken rule
        {{P("")}, "parameter name \"\" is not a name"},
        {{P("1a")}, "parameter name \"1a\" is not a name"},
        {{P("_a")}, "parameter name \"_a\" is not a name"},
        {{P("a.b")}, "parameter name \"a.b\" is not a name"},
        {{P("\xC3\xA9")}, "parameter name \"\xC3\xA9\" is not a name"},
        {{P("a\x1b")}, "parameter name \"a\\x1b\" is not a name"},
        {{P("x")}, "parameter \"x\" has a reserved name"},
        {{P("y")}, "parameter \"y\" has a reserved name"},
        {{P("t")}, "parameter \"t\" has a reserved name"},
        {{P("sin")}, "parameter \"sin\" has a reserved name"},
        {{P("pi")}, "parameter \"pi\" has a reserved name"},
        {{P("a", inf)}, "parameter \"a\" must have finite numbers"},
        {{P("a", 1, nan)}, "parameter \"a\" must have finite numbers"},
        {{P("a", 1, -10, inf)}, "parameter \"a\" must have finite numbers"},
        {{P("a", 1, -10, 10, nan)}, "parameter \"a\" must have finite numbers"},
        {{P("a", 1, 5, 5)}, "parameter \"a\" must have its minimum below its maximum"},
        {{P("a", 1, 6, 5)}, "parameter \"a\" must have its minimum below its maximum"},
        {{P("a", 1, -10, 10, -1)}, "parameter \"a\" must have a step of 0 or more"},
        {{P("a"), P("b"), P("a")}, "parameter \"a\" is defined twice"},
        {{P("a"), P("A")}, nullptr}, // names compare byte for byte
    };
    for (const Case& c : cases) {
        const auto problem = ParametersProblem(c.parameters);
        SCOPED_TRACE(c.parameters[0].name);
        if (c.problem)
            EXPECT_EQ(problem.value_or("accepted"), c.problem);
        else
            EXPECT_FALSE(problem) << *problem;
    }
    Parameters many;
    for (int i = 0; i < 17; ++i)
        many.push_back(P(("p" + std::to_string(i)).c_str()));
    EXPECT_EQ(ParametersProblem(many).value_or(""), "more than 16 parameters");
    many.pop_back();
    EXPECT_FALSE(ParametersProblem(many));
}

// The slider, the step and Play, each against values worked out by hand.
TEST(Parameters, SliderStepAndPlay) {
    const Parameter p = P("a", 0, -10, 10);
    const Parameter stepped = P("a", 0, -1, 1, 0.3);
    const Parameter huge = P("a", 0, -1.5e308, 1.5e308);
    struct Case {
        const char* what;
        double got, want;
    } cases[] = {
        {"slider 0 is min", SliderValue(p, 0), -10},
        {"slider end is max", SliderValue(p, kSliderPositions), 10},
        {"slider middle", SliderValue(p, 500), 0},
        {"slider beyond the end", SliderValue(p, 5000), 10},
        {"slider step", SliderValue(p, 1) - SliderValue(p, 0), 0.02},
        {"position of max", double(SliderPosition(p, 10)), kSliderPositions},
        {"position clamped", double(SliderPosition(p, -99)), 0},
        {"position of 2.5", double(SliderPosition(p, 2.5)), 625},
        {"position of NaN", double(SliderPosition(p, NAN)), 0},
        {"huge range middle", SliderValue(huge, 500), 0},
        {"huge range position", double(SliderPosition(huge, 1.5e308)), kSliderPositions},
        {"snap to nearest step", SnapToStep(stepped, 0.3), -1 + 4 * 0.3},
        {"snap never past max", SnapToStep(stepped, 1), -1 + 6 * 0.3},
        {"snap clamps below", SnapToStep(stepped, -7), -1},
        {"step 0 keeps the value", SnapToStep(p, 1.234), 1.234},
        {"snap of NaN", SnapToStep(p, NAN), -10},
        {"play starts where it is", PlayValue(P("a", 2.5, -10, 10), 2.5, 0), 2.5},
        {"play goes up first", PlayValue(p, 0, 1.25), 5},
        {"play turns at max", PlayValue(p, 0, 3.75), 5},
        {"play reaches min", PlayValue(p, 0, 7.5), -10},
        {"play whole period", PlayValue(p, 0, 10), 0},
        {"play after a long time", PlayValue(p, 0, 1e6 + 1.25), 5},
        {"play with a bad time", PlayValue(p, 0, NAN), 0},
        {"play snaps", PlayValue(stepped, -1, 5.0 * 0.35 / 2), -1 + 0.3},
        {"play from outside", PlayValue(p, 40, 0), 10},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(c.got, c.want, 1e-12 * std::max(1.0, std::fabs(c.want))) << c.what;

    Parameter widened = P("a", 1, -10, 10);
    WidenToHold(widened, 25);
    WidenToHold(widened, INFINITY);
    EXPECT_EQ(widened.min, -10);
    EXPECT_EQ(widened.max, 25);
    WidenToHold(widened, -30);
    EXPECT_EQ(widened.min, -30);
}

TEST(Parameters, MissingNamesInOrderOfFirstUse) {
    const EquationSlots texts = {"a*sin(b*x+c)", "", "k = q*x", "f(x) + b + d1", "x^2+y^2=r^2",
                                 "e + 1 $ z", "pi() * Sin + t", "a"};
    const std::vector<std::string> want = {"a", "b", "c", "q", "d1", "r", "e", "Sin"};
    EXPECT_EQ(MissingParameterNames(texts, {}), want);
    const std::vector<std::string> rest = {"a", "c", "d1", "r", "Sin"};
    EXPECT_EQ(MissingParameterNames(texts, {P("b"), P("q"), P("e")}), rest);
}

// The Plot check knows the parameters in every mode and for relations, and
// refuses every other unknown name as it always has.
TEST(Parameters, PlotCheck) {
    const Parameters defined = {P("a", 2), P("b", 0.5)};
    struct Case {
        GraphMode mode;
        EquationSlots texts;
        const char* refusal; // null: accepted
    } cases[] = {
        {Rectangular, {"a*sin(b*x)", "x^2+y^2=a^2", "c = a*x", "y = b*x"}, nullptr},
        {Parametric, {"a*cos(t)", "b*sin(t)"}, nullptr},
        {Polar, {"a + b*t"}, nullptr},
        {Rectangular, {"a*x", "a*q"}, "Unable to evaluate the expression a*q"},
        {Rectangular, {"x^2+y^2=c"}, "Unable to evaluate the expression x^2+y^2=c"},
        {Polar, {"a*x"}, "Unable to evaluate the expression a*x"},
        {Rectangular, {"A*x"}, "Unable to evaluate the expression A*x"},
    };
    for (const Case& c : cases) {
        EquationSlots texts = c.texts;
        CompiledGraph compiled;
        const auto refusal = CompileEquations(c.mode, texts, compiled, defined);
        SCOPED_TRACE(c.texts[0]);
        if (c.refusal) {
            EXPECT_EQ(refusal ? refusal->text : "accepted", c.refusal);
            // Without the parameters the same texts refuse the first that uses one.
        } else {
            EXPECT_FALSE(refusal) << refusal->text;
            EquationSlots again = c.texts;
            EXPECT_TRUE(CompileEquations(c.mode, again, compiled, {}));
        }
    }
    // "y = b*x" is the curve it would be with the number typed, not a relation.
    EquationSlots texts = {"y = b*x"};
    CompiledGraph compiled;
    ASSERT_FALSE(CompileEquations(Rectangular, texts, compiled, defined));
    EXPECT_TRUE(compiled.curves[0]);
}

// A graph with each value set without compiling draws, decides and reads
// exactly as the graph with the numbers typed in.
struct Drawn {
    std::vector<uint32_t> pixels;
    std::vector<std::string> lines;
};

Drawn Draw(GraphModel& model, bool exact) {
    constexpr int32_t kW = 120, kH = 90;
    Canvas canvas(kW, kH);
    model.plotter.SetCanvas(canvas.bits(), canvas.Stride(), kW, kH);
    model.style.exactCurves = exact;
    model.relationMaps = DecideGraph(*model.compiled, model.equations, model.style, model.plotter,
                                     DecideLimits());
    model.Render();
    Drawn drawn;
    for (int32_t r = 0; r < kH; ++r)
        for (int32_t c = 0; c < kW; ++c)
            drawn.pixels.push_back(canvas.bits()[r * (canvas.Stride() / 4) + c]);
    if (model.plotter.mode == Rectangular) {
        // The Analysis window's workers read copies of the curves.
        const std::unique_ptr<CompiledGraph> copy = model.compiled->Copy();
        drawn.lines = AnalyzeLines(AnalysisOf(*copy), -3, 3, {0.5}, {{0, 1}});
        for (const std::string& line : AnalyzeLines(AnalysisOf(*model.compiled), -3, 3, {0.5}, {}))
            drawn.lines.push_back(line);
    }
    model.plotter.SetCanvas(nullptr, 0, 0, 0);
    return drawn;
}

TEST(Parameters, ValueSetWithoutCompilingIsTheTypedNumber) {
    struct Case {
        GraphMode mode;
        EquationSlots withNames, withNumbers;
        bool exact;
    } cases[] = {
        {Rectangular,
         {"a*sin(b*x+c)", "x^2+y^2<=a^2+c", "k = a*x^2 - c", "y > b*x"},
         {"1.5*sin(2.5*x+0.5)", "x^2+y^2<=1.5^2+0.5", "k = 1.5*x^2 - 0.5", "y > 2.5*x"},
         false},
        {Rectangular, {"a*sin(b*x)+c"}, {"1.5*sin(2.5*x)+0.5"}, true},
        {Parametric, {"a*cos(b*t)", "sin(t)+c"}, {"1.5*cos(2.5*t)", "sin(t)+0.5"}, false},
        {Polar, {"a + c*t"}, {"1.5 + 0.5*t"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.withNames[0]);
        GraphModel typed;
        typed.plotter.SetMode(c.mode);
        ASSERT_FALSE(typed.AcceptEquations(c.withNumbers));
        const Drawn want = Draw(typed, c.exact);

        GraphModel named;
        named.plotter.SetMode(c.mode);
        for (const char* name : {"a", "b", "c"})
            ASSERT_FALSE(named.SetParameter(P(name, 7, -10, 10)));
        ASSERT_FALSE(named.AcceptEquations(c.withNames));
        const Drawn before = Draw(named, c.exact);
        EXPECT_NE(before.pixels, want.pixels);

        const uint64_t compiles = Expression::CompileCount();
        const uint64_t revision = named.parameterRevision;
        ASSERT_FALSE(named.SetParameter(P("a", 1.5)));
        ASSERT_FALSE(named.SetParameter(P("b", 2.5, 0, 3)));
        ASSERT_FALSE(named.SetParameter(P("c", 0.5)));
        EXPECT_EQ(named.parameterRevision, revision + 3);
        for (const auto& map : named.relationMaps)
            EXPECT_FALSE(map); // to be decided again
        // Setting the values compiled nothing.
        EXPECT_EQ(Expression::CompileCount(), compiles);
        const Drawn after = Draw(named, c.exact);
        EXPECT_EQ(after.pixels, want.pixels);
        EXPECT_EQ(after.lines, want.lines);
        EXPECT_EQ(named.parameters[1].max, 3);
    }
}

TEST(Parameters, EquationsNeverResetThemAndRefusalsChangeNothing) {
    GraphModel model;
    ASSERT_FALSE(model.SetParameter(P("a", 3, -5, 5, 0.5)));
    ASSERT_FALSE(model.AcceptEquations({"a*x"}));
    ASSERT_FALSE(model.AcceptEquations({"x"}));
    model.ClearEquations();
    ASSERT_EQ(model.parameters.size(), 1u);
    EXPECT_EQ(model.parameters[0].value, 3);
    EXPECT_EQ(model.parameters[0].step, 0.5);
    EXPECT_EQ(model.SetParameter(P("a", 3, 5, 5)).value_or(""),
              "parameter \"a\" must have its minimum below its maximum");
    EXPECT_EQ(model.SetParameter(P("y")).value_or(""), "parameter \"y\" has a reserved name");
    EXPECT_EQ(model.parameters[0].min, -5);
    EXPECT_TRUE(model.RemoveParameter("a"));
    EXPECT_FALSE(model.RemoveParameter("a"));
    EXPECT_TRUE(model.AcceptEquations({"a*x"}));
    for (int i = 0; i < 16; ++i)
        ASSERT_FALSE(model.SetParameter(P(("p" + std::to_string(i)).c_str())));
    EXPECT_EQ(model.SetParameter(P("q")).value_or(""), "more than 16 parameters");
    EXPECT_FALSE(model.SetParameter(P("p3", 4))); // a known name is no new one
}

TEST(Parameters, DocumentRoundTripAndRefusals) {
    GraphDocument document;
    document.equations[0] = "a*sin(b*x)";
    document.parameters = {P("a", -0.0, -1e300, 1e-300, 0), P("b", 0.1, 0.1, 0.30000000000000004, 0.1)};
    const std::string text = WriteGraphDocument(document);
    GraphDocument read;
    std::string reason;
    ASSERT_TRUE(ReadGraphDocument(text, read, reason)) << reason;
    EXPECT_EQ(Describe(read), Describe(document));
    EXPECT_EQ(WriteGraphDocument(read), text);
    // Without parameters the member is not written at all.
    document.parameters.clear();
    EXPECT_EQ(WriteGraphDocument(document).find("parameters"), std::string::npos);

    const std::string head = "{\"orvanta\": 1, \"parameters\": ";
    struct Case {
        const char* member;
        const char* reason; // null: read
    } cases[] = {
        {"[]", nullptr},
        {"[{\"name\": \"a\"}]", nullptr},
        {"[{\"name\": \"a\", \"value\": 3, \"min\": 0, \"max\": 1, \"step\": 0, \"later\": 1}]",
         nullptr},
        {"{}", "\"parameters\" must be a list of objects with a name and numbers"},
        {"[1]", "\"parameters\" must be a list of objects with a name and numbers"},
        {"[{\"value\": 1}]", "\"parameters\" must be a list of objects with a name and numbers"},
        {"[{\"name\": 1}]", "\"parameters\" must be a list of objects with a name and numbers"},
        {"[{\"name\": \"a\", \"min\": \"0\"}]",
         "\"parameters\" must be a list of objects with a name and numbers"},
        {"[{\"name\": \"2a\"}]", "parameter name \"2a\" is not a name"},
        {"[{\"name\": \"a\\u001b\"}]", "parameter name \"a\\x1b\" is not a name"},
        {"[{\"name\": \"t\"}]", "parameter \"t\" has a reserved name"},
        {"[{\"name\": \"sqrt\"}]", "parameter \"sqrt\" has a reserved name"},
        {"[{\"name\": \"a\"}, {\"name\": \"a\", \"value\": 2}]", "parameter \"a\" is defined twice"},
        {"[{\"name\": \"a\", \"value\": 1e999}]", "parameter \"a\" must have finite numbers"},
        {"[{\"name\": \"a\", \"max\": -1e999}]", "parameter \"a\" must have finite numbers"},
        {"[{\"name\": \"a\", \"min\": 10}]",
         "parameter \"a\" must have its minimum below its maximum"},
        {"[{\"name\": \"a\", \"step\": -0.5}]", "parameter \"a\" must have a step of 0 or more"},
    };
    for (const Case& c : cases) {
        GraphDocument out = Sentinel();
        std::string why;
        const bool ok = ReadGraphDocument(head + c.member + "}", out, why);
        SCOPED_TRACE(c.member);
        if (c.reason) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(why, c.reason);
            EXPECT_EQ(Describe(out), Describe(Sentinel()));
        } else {
            EXPECT_TRUE(ok) << why;
        }
    }
    std::string seventeen = head + "[";
    for (int i = 0; i < 17; ++i)
        seventeen += (i ? ", {\"name\": \"p" : "{\"name\": \"p") + std::to_string(i) + "\"}";
    GraphDocument out;
    EXPECT_FALSE(ReadGraphDocument(seventeen + "]}", out, reason));
    EXPECT_EQ(reason, "more than 16 parameters");
    // What the reader refuses is not written.
    document.parameters = {P("a", 1, 2, 1)};
    EXPECT_EQ(DocumentProblem(document).value_or(""),
              "parameter \"a\" must have its minimum below its maximum");
}

} // namespace
