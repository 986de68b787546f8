// The analysis stopped anywhere by its deadline or cancel flag: what it
// still lists is true, what it left unfinished says so, and a bound that is
// not reached changes nothing. The stops are injected at every stage (a
// flag set from the start, first looked at after k program steps) and held
// to the unbounded run of the same work.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/integral.h"
#include "analysis/points.h"
#include "document/document_file.h"

namespace {

using namespace std::chrono_literals;

// A cancel flag that is set before the work starts but first looked at
// once `steps` program steps have run: the work stops exactly there.
struct InjectedStop {
    std::atomic<bool> flag{true};
    AnalysisWork At(uint64_t steps) {
        AnalysisWork work;
        work.cancel = &flag;
        work.nextCheck = steps;
        return work;
    }
};

bool Same(const PointOfInterest& p, const PointOfInterest& q) {
    return p.kind == q.kind && p.curve == q.curve && p.other == q.other && p.x == q.x && p.y == q.y;
}

std::vector<PointOfInterest> OfCurve(const PointsOfInterest& found, int curve) {
    std::vector<PointOfInterest> points;
    for (const PointOfInterest& p : found.points)
        if (p.curve == curve)
            points.push_back(p);
    return points;
}

std::array<std::string, 8> Slots(std::initializer_list<const char*> texts) {
    std::array<std::string, 8> slots;
    std::copy(texts.begin(), texts.end(), slots.begin());
    return slots;
}

// What a run stopped early must list against the full run: only points
// the full run lists, and "more" for a curve that lists fewer or had more.
void CheckStoppedRun(const std::array<std::string, 8>& slots, const PointsOfInterest& full,
                     const PointsOfInterest& cut) {
    for (int c = 0; c < 8; ++c) {
        const std::vector<PointOfInterest> all = OfCurve(full, c), some = OfCurve(cut, c);
        for (const PointOfInterest& p : some)
            EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                                    [&](const PointOfInterest& q) { return Same(p, q); }))
                << "y" << c + 1 << " lists x=" << p.x << " y=" << p.y
                << ", which the full run has not";
        if (some.size() != all.size() || full.more[c]) {
            EXPECT_TRUE(cut.more[c]) << "y" << c + 1 << " does not say it has more";
        }
        if (slots[c].empty()) {
            EXPECT_FALSE(cut.more[c]);
        }
    }
}

// Stopped after any number of steps, in the samples, the refinement, the
// y-intercepts or the intersections, the run lists only true points and
// says where it has more. Not stopped (the stop lies beyond the work, or a
// deadline far off is looked at all along), the result is the full run's
// to the bit.
TEST(AnalysisBound, PointsStoppedAnywhereListOnlyTruePoints) {
    const struct {
        std::array<std::string, 8> slots;
        double xMin, xMax;
    } rows[] = {
        {Slots({"sin(x)", "x^2/4-6", "x", "1/x"}), -10, 10},
        {Slots({"tan(x)", "", "cos(3*x)", "x^3-x"}), -5, 5},
        {Slots({"sqrt(4-x^2)", "abs(x)-1", "floor(x)", "sin(1/x)"}), -3, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.slots[0]);
        AnalysisWork unbounded;
        const PointsOfInterest full = FindPointsCounted(row.slots, row.xMin, row.xMax, unbounded);
        const uint64_t total = unbounded.steps;
        ASSERT_FALSE(full.points.empty());

        std::atomic<bool> never{false};
        AnalysisWork farOff;
        farOff.deadline = AnalysisClock::now() + 1h;
        farOff.cancel = &never;
        const PointsOfInterest looked = FindPointsCounted(row.slots, row.xMin, row.xMax, farOff);
        EXPECT_FALSE(farOff.stopped);
        EXPECT_EQ(farOff.steps, total);
        EXPECT_EQ(PointLines(looked), PointLines(full));

        InjectedStop stop;
        for (int i = 0; i <= 64; ++i) {
            const uint64_t k = i == 64 ? total : total * i / 64;
            SCOPED_TRACE("stopped after " + std::to_string(k) + " of " + std::to_string(total) +
                         " steps");
            AnalysisWork work = stop.At(k);
            const PointsOfInterest cut = FindPointsCounted(row.slots, row.xMin, row.xMax, work);
            EXPECT_EQ(work.stopped, k < total);
            if (!work.stopped) {
                EXPECT_EQ(PointLines(cut), PointLines(full));
                continue;
            }
            CheckStoppedRun(row.slots, full, cut);
        }
    }
}

// One curve stopped before each evaluation after its samples: wherever the
// stop falls in a bracket, a zero run or a domain's edge, the evaluations
// it makes undefined never make a point.
TEST(AnalysisBound, PointsStoppedAtEachEvaluationOfTheRefinement) {
    for (const char* text : {"x*sqrt(0.000001-x^2)", "x^3", "sqrt(4-x^2)-1", "tan(x)", "log(x)",
                             "sqrt(x)*sin(x)", "floor(x)-x/3", "abs(x-1)-0.5"}) {
        SCOPED_TRACE(text);
        const std::array<std::string, 8> slots = Slots({text});
        AnalysisCurve curve;
        ASSERT_TRUE(curve.Compile(text));
        const uint64_t perEvaluation = curve.Steps();
        AnalysisWork unbounded;
        const PointsOfInterest full = FindPointsCounted(slots, -10, 10, unbounded);
        const uint64_t sampled = (kGridIntervals + 1) * perEvaluation;
        ASSERT_GT(unbounded.steps, sampled);
        InjectedStop stop;
        for (uint64_t k = sampled; k < unbounded.steps; k += perEvaluation) {
            AnalysisWork work = stop.At(k);
            const PointsOfInterest cut = FindPointsCounted(slots, -10, 10, work);
            ASSERT_TRUE(work.stopped);
            CheckStoppedRun(slots, full, cut);
            if (HasFailure()) {
                ADD_FAILURE() << "stopped after " << k << " of " << unbounded.steps << " steps";
                return;
            }
        }
    }
}

// An integral stopped anywhere says so; one whose stop lies beyond its work
// is the unbounded one to the bit.
TEST(AnalysisBound, IntegralsStoppedAnywhereSaySo) {
    const double inf = HUGE_VAL;
    const struct {
        const char* text;
        double a, b;
    } rows[] = {
        {"x^2", 0, 1},       {"sin(x)/x", -1, 1},       {"1/sqrt(x)", 0, 1},
        {"1/x", -1, 1},      {"exp(-x^2)", -inf, inf}, {"sin(x)", 0, 1e6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        AnalysisCurve curve;
        ASSERT_TRUE(curve.Compile(row.text));
        AnalysisWork unbounded;
        curve.work = &unbounded;
        const Integral full = IntegrateCompiled(curve, row.a, row.b);
        const uint64_t total = unbounded.steps;
        InjectedStop stop;
        for (int i = 0; i <= 16; ++i) {
            const uint64_t k = total * i / 16;
            SCOPED_TRACE("stopped after " + std::to_string(k) + " of " + std::to_string(total));
            AnalysisWork work = stop.At(k);
            const Integral cut = IntegrateCurve(row.text, row.a, row.b, work);
            if (k < total) {
                EXPECT_EQ(cut.status, Integral::Status::Stopped);
            } else {
                EXPECT_EQ(cut.status, full.status);
                EXPECT_EQ(cut.value, full.value);
                EXPECT_EQ(cut.error, full.error);
            }
        }
    }
}

// The lines of values and integrals: the unbounded ones while there is time,
// and the stopped forms for every item once the flag is set.
TEST(AnalysisBound, ValueAndIntegralLinesStopWithTheirFlag) {
    const std::array<std::string, 8> slots = Slots({"x^2", "", "1/x", "sqrt(x)"});
    const std::vector<double> at = {2.5, 0, -1};
    const std::vector<std::pair<double, double>> integrals = {{-1, 1}, {0, 2}};
    std::vector<std::string> unbounded;
    for (const double x : at)
        for (int c : {0, 2, 3})
            unbounded.push_back(ValueLine(c, x, EvaluateWithSlope(slots[c], x)));
    for (const auto& [a, b] : integrals)
        for (int c : {0, 2, 3})
            unbounded.push_back(IntegralLine(c, a, b, IntegrateCurve(slots[c], a, b)));

    std::atomic<bool> cancel{false};
    EXPECT_EQ(ValueAndIntegralLines(slots, at, integrals, AnalysisClock::now() + 1h, &cancel),
              unbounded);
    cancel = true;
    EXPECT_EQ(ValueAndIntegralLines(slots, at, integrals, AnalysisClock::now() + 1h, &cancel),
              (std::vector<std::string>{
                  "value y1 x=2.5 stopped", "value y3 x=2.5 stopped", "value y4 x=2.5 stopped",
                  "value y1 x=0 stopped", "value y3 x=0 stopped", "value y4 x=0 stopped",
                  "value y1 x=-1 stopped", "value y3 x=-1 stopped", "value y4 x=-1 stopped",
                  "integral y1 a=-1 b=1 stopped", "integral y3 a=-1 b=1 stopped",
                  "integral y4 a=-1 b=1 stopped", "integral y1 a=0 b=2 stopped",
                  "integral y3 a=0 b=2 stopped", "integral y4 a=0 b=2 stopped"}));
    // A deadline that has passed stops them just the same.
    const std::vector<std::string> late =
        ValueAndIntegralLines(slots, at, integrals, AnalysisClock::now() - 1ms);
    for (const std::string& line : late)
        EXPECT_EQ(line.substr(line.size() - 8), " stopped") << line;
}

// Eight nested mods of 9^322*x, each evaluation costing about as much as
// a thousand plain steps: the deadline ends their analysis, which the step
// bound alone let run for many seconds.
TEST(AnalysisBound, HostileCurvesStopAtTheDeadline) {
    GraphDocument document;
    std::string reason;
    ASSERT_TRUE(LoadGraphDocument(ORVANTA_TEST_DATA "/hostile_mod.orv", document, reason))
        << reason;
    for (const std::string& equation : document.equations)
        ASSERT_EQ(equation.size(), 976u);

    AnalysisWork passed;
    passed.deadline = AnalysisClock::now();
    const PointsOfInterest none = FindPointsCounted(document.equations, -10, 10, passed);
    EXPECT_EQ(passed.evaluations, 0u) << "a deadline that has passed stops the first evaluation";
    EXPECT_EQ(PointLines(none), (std::vector<std::string>{"more y1", "more y2", "more y3",
                                                          "more y4", "more y5", "more y6",
                                                          "more y7", "more y8"}));

    AnalysisWork soon;
    soon.deadline = AnalysisClock::now() + 20ms;
    const PointsOfInterest some = FindPointsCounted(document.equations, -10, 10, soon);
    EXPECT_TRUE(soon.stopped);
    EXPECT_TRUE(std::all_of(some.more.begin(), some.more.end(), [](bool more) { return more; }));

    AnalysisWork integral;
    integral.deadline = AnalysisClock::now() + 20ms;
    EXPECT_EQ(IntegrateCurve(document.equations[0], -1, 2, integral).status,
              Integral::Status::Stopped);
}

} // namespace
