// A graph as a document: everything a saved graph brings back (the mode,
// the view, the parameter range, the eight equations and how the graph
// looks), shared by the window, orvanta-cli and the .orv reader and writer.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "plot/graph_style.h"
#include "plot/parameters.h"
#include "plot/plotter.h"

// The format version this program writes and the newest it reads.
inline constexpr int kDocumentVersion = 1;
// The largest .orv file read: 1 MiB.
inline constexpr size_t kMaxDocumentBytes = size_t{1} << 20;
// Characters an equation field holds (and an equation of a document may have).
inline constexpr size_t kMaxEquationLength = 999;

// Equations are UTF-8 texts in slot order; an empty text is an empty slot.
// A default document holds the built-in defaults: Rectangular, x, y and t
// from -10 to 10, no equations, the default colours with axes shown.
struct GraphDocument {
    GraphMode mode = Rectangular;
    double xMin = -10, xMax = 10;
    double yMin = -10, yMax = 10;
    double tStart = -10, tStop = 10;
    std::array<std::string, 8> equations;
    GraphStyle style;
    // Written only when there is at least one.
    Parameters parameters;
};

// Why a document cannot be written as it is (the reason the reader would
// give for it), or nothing when it can: the view must be finite with min <
// max and a finite span on both axes, t finite, every equation at most
// kMaxEquationLength characters of valid UTF-8, the mode one of the three
// and every colour a word of at most 0xFFFFFF; the parameters keep their
// rules (ParametersProblem).
std::optional<std::string> DocumentProblem(const GraphDocument& document);
