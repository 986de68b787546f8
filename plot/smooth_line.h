// The smooth raster: curves drawn as anti-aliased one-pixel lines.
#pragma once

#include <cstdint>
#include <vector>

#include "plot/curve_sink.h"
#include "plot/linear_light.h"

class Plotter;

// Draws each segment with Xiaolin Wu's method between the unrounded pixel
// positions of its samples (rows limited, columns saturated and the walk
// clipped to the buffer as Plotter::DrawSegment does): at every step along
// the major axis the two pixels nearest the ideal line share its ink by
// coverage. A curve's coverage is collected first (the larger where its
// segments meet or cross) and blended over the buffer at EndCurve in linear
// light, once per pixel, so that every pixel touched is a mix of the curve
// colour and the pixel below, nothing else. The plotter's buffer must
// outlive the sink and keep its size while a curve is drawn; one sink at a
// time per plotter. Throws std::bad_alloc when the coverage cannot be held.
class SmoothLineSink : public CurveSink {
public:
    explicit SmoothLineSink(Plotter& plotter);
    ~SmoothLineSink() override;
    SmoothLineSink(const SmoothLineSink&) = delete;
    SmoothLineSink& operator=(const SmoothLineSink&) = delete;
    void BeginCurve(uint32_t color) override;
    void Segment(const PlotPoint& from, const PlotPoint& to) override;
    void EndCurve() override;
    // Cells are painted as the exact raster paints them (see PaintCells).
    void Cells(const CellMap& map, uint32_t color) override;

private:
    void Cover(int64_t column, int64_t row, double coverage);

    Plotter& plotter;
    const LinearLight& light;
    uint32_t color = 0;
    // Coverage 0 .. 255 per pixel of the current curve (the plotter's
    // scratch, so that it is cleared once per canvas size, not per render),
    // and the pixels the curve has touched; all zero again after EndCurve.
    std::vector<uint8_t>& coverage;
    std::vector<uint32_t> touched;
};
