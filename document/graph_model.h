// The graph a window shows, each part held once.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/graph_document.h"
#include "plot/compiled_graph.h"
#include "plot/graph_style.h"
#include "plot/plot_checks.h"
#include "plot/plotter.h"
#include "plot/render.h"

// The plotter is the model's view part: it holds the mode, the view and the
// step (and maps them to the pixels it draws into). Beside it are the
// accepted equations with the curves the Plot command's checks compiled
// from them, and the style. A document is made from the model whole; the
// window shows one by setting the model's parts, each through the command
// that sets it (ranges, mode, options, equations).
struct GraphModel {
    Plotter plotter;
    // The texts the last accepted check accepted, in slot order, blank ones
    // empty. Only ASCII passes the check (the engine reads no other byte),
    // so they are UTF-8 and ANSI alike.
    EquationSlots equations;
    // Their curves, compiled for the plotter's mode; never null. Shared with
    // the Analysis window (on the window's thread only).
    std::shared_ptr<CompiledGraph> compiled = std::make_shared<CompiledGraph>();
    GraphStyle style;
    // The decisions of the relation slots (and of the curve slots with
    // Exact curves) at the plotter's view and size, as far as they have
    // gone; the render and the SVG draw them.
    RelationMaps relationMaps;
    // The defined parameters, in the order they were defined. Editing the
    // equations never changes them; the compiled graph holds their values.
    Parameters parameters;
    // Counts the changes of a parameter, so that work made from the compiled
    // graph (decisions, copies for other threads) can tell it is stale.
    uint64_t parameterRevision = 0;

    // Defines a parameter, or gives the one of that name a new value, range
    // and step, without compiling anything: the curves and relations read
    // the value at their next evaluation, so the render, the SVG and the
    // analysis follow; the relation maps are dropped to be decided again.
    // The reason it breaks a rule (or would make more than kMaxParameters)
    // when it does; nothing changes then.
    std::optional<std::string> SetParameter(const Parameter& parameter);
    // Forgets a parameter; false when there is none of that name. The
    // curves keep its last value until the equations are checked again,
    // which refuses a text that still uses it.
    bool RemoveParameter(std::string_view name);
    // All the parameters at once (a document's): the reason as
    // ParametersProblem gives it, or nothing when they replace the defined
    // ones, each value set as SetParameter sets it.
    std::optional<std::string> SetParameters(const Parameters& all);

    // Checks `texts` as the Plot command does for the plotter's mode (see
    // CompileEquations); when they pass they become the equations, with the
    // curves and relations the checks compiled, and no relation is decided
    // yet (relationMaps empty). The defined parameters are names every text
    // may use. On a refusal nothing changes.
    std::optional<PlotRefusal> AcceptEquations(EquationSlots texts);
    // No equations, no curves, no relation maps.
    void ClearEquations();
    // Draws the graph into the plotter's pixels with its relation maps (see
    // RenderGraph).
    void Render();
    // The graph as an SVG document (see GraphSvg); empty when memory runs out.
    std::string Svg();
    // The graph as a document: mode, view, step, equations, parameters and
    // style, the
    // smooth and exact curves left off (display preferences, not part of a
    // document).
    GraphDocument Document() const;
};
