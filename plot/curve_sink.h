// Where traced curves go: the plotter samples a curve and hands each segment
// it would join to a sink, which draws it (exactly, smoothly) or records it
// (as SVG path data). All sinks thus see the same samples and the same breaks.
// A slot drawn from decided cells (a relation, or a curve drawn exactly)
// comes to the sink as its cell map, in its place among the curves.
#pragma once

#include <cstdint>

struct CellMap;

// One curve point: its world coordinates and its pixel.
struct PlotPoint {
    double x = 0, y = 0;
    int32_t column = 0, row = 0;
};

class CurveSink {
public:
    virtual ~CurveSink() = default;
    // A new curve in `color` (0x00RRGGBB) begins; its segments follow.
    virtual void BeginCurve(uint32_t color) = 0;
    // The segment between two consecutive samples that the curve joins, in
    // tracing order. A segment whose start is not the previous segment's end
    // (the same point, bit for bit) starts a new connected run.
    virtual void Segment(const PlotPoint& from, const PlotPoint& to) = 0;
    // The curve begun last is complete.
    virtual void EndCurve() {}
    // A slot drawn from its cell map in `color`: cell (c, r) is pixel
    // (c, r). A sink that only follows curves leaves it out.
    virtual void Cells(const CellMap& map, uint32_t color) {
        (void)map;
        (void)color;
    }
};
