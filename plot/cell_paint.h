// How the decided cells of a relation are painted: each cell is one pixel of
// the graph, coloured by what is known about the relation there.
#pragma once

#include <cstdint>

#include "plot/cell_map.h"

class Plotter;

// The colour classes of a map's cells, with the share of the slot's colour
// each is mixed at (over what lies below).
enum class CellPaint : uint8_t {
    None,       // nowhere: the pixel is left as it was
    Throughout, // an inequality holding in the whole cell: 30 %
    Holds,      // an equation holding somewhere, an inequality's boundary: 100 %
    Undecided,  // neither proven yet: 60 %
};

// The class of a cell in `state` of a map of an equation (or not).
CellPaint PaintOf(bool equation, CellState state);
// The percentage of the slot's colour of a class (0 for None).
int PaintPercent(CellPaint paint);

// `color` at `percent` over `below`, channel by channel on the 0-255 values
// of the words 0x00RRGGBB, rounded to nearest (halves up):
// (percent * color + (100 - percent) * below + 50) / 100.
uint32_t BlendColor(uint32_t color, uint32_t below, int percent);

// Paints the cells of `map` into the plotter's pixels, cell (c, r) on pixel
// (c, r), in `color` as PaintOf and PaintPercent say. A map of another size
// than the plotter's pixels paints nothing.
void PaintCells(Plotter& plotter, const CellMap& map, uint32_t color);
