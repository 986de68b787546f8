// The cells of a view: W columns and H rows of closed boxes of the plane,
// each edge enclosed by doubles that hold the real edge.
#pragma once

#include <cstdint>
#include <vector>

#include "expr/interval.h"

struct CellGrid {
    double xmin = -10, xmax = 10, ymin = -10, ymax = 10;
    int32_t width = 0, height = 0;
    // Tiled: the cells tile the view exactly; column i covers x from
    // xmin + i*(xmax-xmin)/W to xmin + (i+1)*(xmax-xmin)/W, row j (from the
    // top) y from ymax - (j+1)*(ymax-ymin)/H to ymax - j*(ymax-ymin)/H.
    // Centred: the graph pane's pixels; column c is the cell of width
    // (xmax-xmin)/W centred on xmin + c*(xmax-xmin)/W, row r the cell of
    // height (ymax-ymin)/H centred on ymax - r*(ymax-ymin)/H.
    enum class Placement : uint8_t { Tiled, Centred } placement = Placement::Tiled;

    // Finite bounds, min below max, and at least one cell each way.
    bool Valid() const;
};

// The real edges of a grid's cells as enclosures: x edge k (k = 0..W) is
// the left edge of column k (and the right one of column k-1); y edge k
// (k = 0..H) the top edge of row k. An enclosure is a single double where
// the edge is one, otherwise the doubles around it.
struct CellEdges {
    std::vector<Interval> x, y;

    explicit CellEdges(const CellGrid& grid);
    // The box of columns [c0, c1) and rows [r0, r1): from the lower bound of
    // one outer edge to the upper bound of the other, so it holds every real
    // point of those cells.
    Interval Columns(int32_t c0, int32_t c1) const;
    Interval Rows(int32_t r0, int32_t r1) const;
};

// a + (k + offset) * (b - a) / n enclosed (offset 0 or -1/2): the point
// itself when the doubles compute it exactly, otherwise the doubles around
// it at a distance that bounds the rounding.
Interval EdgeEnclosure(double a, double b, int64_t n, int64_t k, double offset);
