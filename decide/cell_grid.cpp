#include "decide/cell_grid.h"

#include <cmath>

bool CellGrid::Valid() const {
    return std::isfinite(xmin) && std::isfinite(xmax) && std::isfinite(ymin) &&
           std::isfinite(ymax) && xmin < xmax && ymin < ymax && width > 0 && height > 0;
}

Interval EdgeEnclosure(double a, double b, int64_t n, int64_t k, double offset) {
    const double steps = static_cast<double>(k) + offset; // exact: small integers and halves
    if (steps == 0)
        return Interval::Point(a);
    if (steps == static_cast<double>(n))
        return Interval::Point(b);
    // The directed-rounding interval operations enclose the real value and
    // stay a single double wherever each step is exact.
    const Interval width = interval::Sub(Interval::Point(b), Interval::Point(a));
    const Interval part = interval::Div(interval::Mul(Interval::Point(steps), width),
                                        Interval::Point(static_cast<double>(n)));
    Interval edge = interval::Add(Interval::Point(a), part);
    if (edge.defined != Definedness::Everywhere)
        return Interval::Range(-std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::infinity());
    return edge;
}

CellEdges::CellEdges(const CellGrid& grid) {
    const double offset = grid.placement == CellGrid::Placement::Centred ? -0.5 : 0.0;
    x.reserve(static_cast<size_t>(grid.width) + 1);
    y.reserve(static_cast<size_t>(grid.height) + 1);
    for (int32_t k = 0; k <= grid.width; ++k)
        x.push_back(EdgeEnclosure(grid.xmin, grid.xmax, grid.width, k, offset));
    // Rows count from the top: edge k lies below the top by k rows.
    for (int32_t k = 0; k <= grid.height; ++k)
        y.push_back(EdgeEnclosure(grid.ymax, grid.ymin, grid.height, k, offset));
}

Interval CellEdges::Columns(int32_t c0, int32_t c1) const {
    return Interval::Range(x[c0].lo, x[c1].hi);
}

Interval CellEdges::Rows(int32_t r0, int32_t r1) const {
    return Interval::Range(y[r1].lo, y[r0].hi);
}
