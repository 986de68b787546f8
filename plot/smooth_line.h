// The smooth raster: curves drawn as anti-aliased one-pixel lines.
#pragma once

#include "plot/curve_sink.h"
#include "plot/linear_light.h"

class Plotter;

// Draws each segment between the same two pixels, clipped and row-clamped
// as Plotter::DrawSegment draws it, with Xiaolin Wu's method: at every step
// along the major axis the two pixels nearest the ideal line share its ink
// by coverage. Ink is blended over what the buffer holds, in linear light,
// so that every pixel touched is a mix of the curve colour and the pixel
// below, nothing else. The plotter's buffer must outlive the sink.
class SmoothLineSink : public CurveSink {
public:
    explicit SmoothLineSink(Plotter& plotter);
    void BeginCurve(uint32_t color) override;
    void Segment(const PlotPoint& from, const PlotPoint& to) override;

private:
    void Blend(int64_t column, int64_t row, float coverage);

    Plotter& plotter;
    const LinearLight& light;
    uint32_t color = 0;
    float linear[3] = {}; // the colour's blue, green and red in linear light
};
