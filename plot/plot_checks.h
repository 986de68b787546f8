// The checks of the Plot command, shared by the main window and orvanta-cli.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "plot/plotter.h"
#include "plot/render.h"

// A refusal as the user sees it: a warning box with this text and caption.
struct PlotRefusal {
    std::string text;
    std::string caption;
};

inline constexpr char kInvalidRange[] = "Invalid range";
inline constexpr char kInvalidStartStop[] = "Invalid start and stop";
inline constexpr char kUnableToEvaluate[] = "Unable to evaluate the expression ";
inline constexpr char kUnpairedEquations[] = "Parametric equations must be in pairs";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kExpressionCaption[] = "Error in expression";

// The refusal of an equation's text that does not compile or evaluate:
// kUnableToEvaluate and the text, its control characters escaped.
PlotRefusal ExpressionRefusal(std::string_view text);

// True when every character is white space (so also for the empty text).
bool IsBlank(std::string_view text);

// Sets the view range, or refuses it ("Invalid range").
std::optional<PlotRefusal> AcceptRange(Plotter& plotter, double xMin, double xMax, double yMin,
                                       double yMax);

// Refuses a start or stop that is not finite ("Invalid start and stop");
// any finite pair is fine, a start above the stop included.
std::optional<PlotRefusal> CheckStep(double start, double stop);
// CheckStep, then sets the parameter range when it passes.
std::optional<PlotRefusal> AcceptStep(Plotter& plotter, double start, double stop);

// Empties blank texts, checks every other one in slot order by compiling it
// with the mode's variable (see ModeVariable) and evaluating it once with
// that variable at 0, then, in Parametric mode, that no pair has exactly one
// empty member. In Rectangular mode a relation's text (IsRelationText) is
// compiled as a relation instead (see CompiledRelation::Compile). On success
// the texts are the ones to plot and `compiled` holds what the checks
// compiled, one curve or relation per non-empty text; on a refusal neither
// changes. A text refused either way gets the same message. The parameters
// are names every text may use (and `compiled` keeps them).
std::optional<PlotRefusal> CompileEquations(GraphMode mode, EquationSlots& texts,
                                            CompiledGraph& compiled,
                                            const Parameters& parameters = {});
// The same checks, keeping nothing compiled.
std::optional<PlotRefusal> AcceptEquations(const Plotter& plotter, EquationSlots& texts,
                                           const Parameters& parameters = {});
