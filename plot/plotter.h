// The graph model (mode, view range, parameter range, pixel buffer) and the
// computation that turns equations into pixels.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "plot/curve_sink.h"

class CompiledCurve;
class Expression;

enum GraphMode : int32_t { Rectangular = 0, Parametric = 1, Polar = 2 };

class Plotter {
public:
    Plotter() { Reset(); }

    // Buffer description zero and Rectangular mode; the ranges keep their
    // values (-10 .. 10 from construction on).
    void Reset();
    // The 32-bit top-down buffer curves are drawn into; stride in bytes.
    void SetCanvas(uint32_t* pixels, int32_t stride, int32_t width, int32_t height);
    void SetMode(GraphMode mode);
    // False, and nothing changes, unless xMin < xMax and yMin < yMax with all
    // four bounds and both spans finite.
    bool SetRange(double xMin, double xMax, double yMin, double yMax);
    // Any pair is stored, a start above the stop included.
    void SetStep(double tStart, double tStop);

    // World to pixel: trunc((x - xMin) / (xMax - xMin) * width + 0.5), and
    // height - trunc((y - yMin) / (yMax - yMin) * height + 0.5). Computed
    // exactly, then saturated to the 32-bit range by sign; NaN gives INT32_MIN.
    int32_t XToColumn(double x) const;
    int32_t YToRow(double y) const;
    // The same mapping without the rounding, a pixel's centre at whole
    // numbers: columns saturated to the 32-bit range, rows limited to
    // kRowClamp heights as DrawSegment limits them. NaN stays NaN.
    double UnroundedColumn(double x) const;
    double UnroundedRow(double y) const;

    // Compiles `text` and evaluates it once with the mode's variable ("x" in
    // Rectangular mode, "t" in the others) set to `value`; true when both
    // succeed, and then `output` receives the result.
    bool CheckExpression(std::string_view text, double value, double& output) const;

    // Draw one curve in `color` into the buffer, exactly; a text that does
    // not compile draws nothing.
    void PlotRectangular(std::string_view text, uint32_t color);
    void PlotParametric(std::string_view xText, std::string_view yText, uint32_t color);
    void PlotPolar(std::string_view text, uint32_t color);
    // Trace one curve into `sink` (its segments only: the caller begins and
    // ends the curve); a text that does not compile hands over nothing.
    void PlotRectangular(std::string_view text, CurveSink& sink);
    void PlotParametric(std::string_view xText, std::string_view yText, CurveSink& sink);
    void PlotPolar(std::string_view text, CurveSink& sink);
    // The same for curves compiled already, with the mode's variable
    // ("x" for the first, "t" for the other two).
    void PlotRectangular(CompiledCurve& curve, CurveSink& sink);
    void PlotParametric(CompiledCurve& x, CompiledCurve& y, CurveSink& sink);
    void PlotPolar(CompiledCurve& r, CurveSink& sink);

    // Sets the expression's "t" to `t`, clears result and evaluates; the
    // result, 0 when the evaluation failed.
    static double EvaluateAt(Expression& expression, double t);

    // Draws the segment between two pixels, rows limited to -3 .. 3 heights,
    // into the buffer; points outside it are skipped.
    void DrawSegment(int64_t column0, int64_t row0, int64_t column1, int64_t row1, uint32_t color);
    // Rows of segments are limited to this many canvas heights above and
    // below the canvas before they are drawn.
    static constexpr int64_t kRowClamp = 3;

    uint32_t* pixels = nullptr;
    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
    double yMin = -10, yMax = 10;
    double xMin = -10, xMax = 10;
    double tStart = -10, tStop = 10;
    GraphMode mode = Rectangular;

private:
    // The point of parameter value t of a parametric pair or a polar curve.
    PlotPoint ParametricPoint(CompiledCurve& x, CompiledCurve& y, double t) const;
    PlotPoint PolarPoint(CompiledCurve& r, double t) const;
    // Halve the piece from t0 to t1 while it is longer than sqrt(3) pixels
    // and less than 10 levels deep, then hand the sink its pieces whose ends
    // are finite.
    void SubdivideParametric(CompiledCurve& x, CompiledCurve& y, double t0, PlotPoint p0,
                             double t1, PlotPoint p1, int depth, CurveSink& sink);
    void SubdividePolar(CompiledCurve& r, double t0, PlotPoint p0, double t1, PlotPoint p1, int depth,
                        CurveSink& sink);
    template <class PointAt>
    void Subdivide(PointAt& pointAt, double t0, PlotPoint p0, double t1, PlotPoint p1, int depth,
                   CurveSink& sink);
    // The parameter range in three pieces, each subdivided.
    template <class PointAt, class SubdividePiece>
    void PlotAdaptive(PointAt pointAt, SubdividePiece subdivide);

    // Per-column scratch of rectangular plots, kept between plots.
    std::vector<double> sampleX, sampleY, sampleScaled;
    std::vector<int32_t> sampleRow;

public:
    // Per-pixel scratch of the smooth raster, kept between renders: all zero
    // whenever no curve is being drawn.
    std::vector<uint8_t> coverageScratch;
};

// The exact raster: each segment drawn by Plotter::DrawSegment in the curve's
// colour into the plotter's buffer.
class ExactLineSink : public CurveSink {
public:
    explicit ExactLineSink(Plotter& plotter) : plotter(plotter) {}
    void BeginCurve(uint32_t newColor) override { color = newColor; }
    void Segment(const PlotPoint& from, const PlotPoint& to) override {
        plotter.DrawSegment(from.column, from.row, to.column, to.row, color);
    }
    void Cells(const CellMap& map, uint32_t cellColor) override;

private:
    Plotter& plotter;
    uint32_t color = 0;
};
