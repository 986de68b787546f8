// Reading the graph: points of interest of rectangular curves, a curve's
// value and exact slope at a point, and its integral between two points;
// with the lines orvanta-cli analyze prints and the Analysis window lists.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_curve.h"
#include "analysis/analysis_work.h"

// The kinds of points, in the order in which points at the same x are listed.
enum class PointKind : int { Zero, Minimum, Maximum, Intersection, YIntercept };

struct PointOfInterest {
    PointKind kind = PointKind::Zero;
    int curve = 0;  // the equation slot, 0 to 7
    int other = -1; // an intersection's second slot (above `curve`), else -1
    double x = 0, y = 0;
};

// A curve lists at most this many points; the rest are only counted as "more".
inline constexpr size_t kMaxPointsPerCurve = 500;

struct PointsOfInterest {
    std::vector<PointOfInterest> points; // sorted by x, then by kind, then by slot
    std::array<bool, 8> more = {};       // slot i has more points than were listed
};

// The points of interest of the rectangular curves y = f(x) of the eight
// slots (slot order; an empty text is no curve; each text must compile with
// the variable x) over the closed interval [xMin, xMax] (finite, xMin <
// xMax). Deterministic: the same texts and interval give the same points.
PointsOfInterest FindPointsOfInterest(const std::array<std::string, 8>& equations, double xMin,
                                      double xMax);

// A curve's value and exact slope at x; `defined` is false where the value
// is not a finite number or the text does not compile. The slope is the
// derivative from the right where the curve has a kink (abs at 0), 0 for
// floor and ceil, +inf for sqrt at 0 (see analysis/slope_program.h).
struct ValueAndSlope {
    bool defined = false;
    bool stopped = false; // the work stopped before the value was found
    double y = 0, slope = 0;
};
ValueAndSlope EvaluateWithSlope(const std::string& equation, double x);
// The same within `work`'s bounds (counted into it): stopped, and not
// defined, when the work had stopped or stops at its first look.
ValueAndSlope EvaluateWithSlope(const std::string& equation, double x, AnalysisWork& work);
// The same for a compiled curve (not defined when it is not Defined()).
ValueAndSlope EvaluateWithSlope(AnalysisCurve& curve, double x);
ValueAndSlope EvaluateWithSlope(AnalysisCurve& curve, double x, AnalysisWork& work);

// The integral of a curve from a to b (b < a gives the negated integral,
// a = b gives 0 with error 0, infinite ends are allowed). Diverges where no
// integral exists: a non-integrable singularity, an integrand undefined on
// part of the interval, a text that does not compile. TooLarge when its
// magnitude is beyond the largest double (value holds its sign as an
// infinity), ErrorTooLarge when no error bound fits in a double. A finite
// integrand that does not converge reports its value with the error reached.
struct Integral {
    // Stopped: the work's deadline or cancel flag ended it before it knew.
    enum class Status { Value, Diverges, TooLarge, ErrorTooLarge, Stopped } status = Status::Value;
    double value = 0, error = 0; // the estimate and a bound of its error
};
Integral IntegrateCurve(const std::string& equation, double a, double b);
// The same within `work`'s bounds, counted into it.
Integral IntegrateCurve(const std::string& equation, double a, double b, AnalysisWork& work);
// The same for a compiled curve (diverging when it is not Defined()).
Integral IntegrateCurve(AnalysisCurve& curve, double a, double b, AnalysisWork& work);

// The lines, without line ends, exactly as orvanta-cli analyze prints them:
// every point, then "more yN" for each curve that has more.
std::vector<std::string> PointLines(const PointsOfInterest& points);
// "value yN x=... y=... slope=..." (or the forms for an undefined value
// and for one the work stopped before: "... undefined", "... stopped").
std::string ValueLine(int curve, double x, const ValueAndSlope& value);
// "integral yN a=... b=... value=... error=..." (the error rounded up to two
// digits), or "... diverges", "... value too large", "... error too large"
// or, when the work stopped first, "... stopped".
std::string IntegralLine(int curve, double a, double b, const Integral& integral);

// The value lines of every curve (slot order; null slots have none) at each x of `at`, then the
// integral lines of every curve over each (a, b) of `integrals`: each item
// within its share of the time until `end` that the items before it left
// (see ShareOfTime), and all of them stopped once `cancel` (when given) is
// set. Items that finish within their time are those of the unbounded
// functions.
std::vector<std::string> ValueAndIntegralLines(
    const AnalysisCurves& curves, const std::vector<double>& at,
    const std::vector<std::pair<double, double>>& integrals, AnalysisClock::time_point end,
    const std::atomic<bool>* cancel = nullptr);
// The same for texts, each compiled first.
std::vector<std::string> ValueAndIntegralLines(
    const std::array<std::string, 8>& equations, const std::vector<double>& at,
    const std::vector<std::pair<double, double>>& integrals, AnalysisClock::time_point end,
    const std::atomic<bool>* cancel = nullptr);

// Every line orvanta-cli analyze prints: the points of interest over
// [xMin, xMax] within kPointsTime from now, then the lines of
// ValueAndIntegralLines sharing kValuesTime more.
std::vector<std::string> AnalyzeLines(const std::array<std::string, 8>& equations, double xMin,
                                      double xMax, const std::vector<double>& at,
                                      const std::vector<std::pair<double, double>>& integrals);
// The same for curves compiled already.
std::vector<std::string> AnalyzeLines(const AnalysisCurves& curves, double xMin, double xMax,
                                      const std::vector<double>& at,
                                      const std::vector<std::pair<double, double>>& integrals);
