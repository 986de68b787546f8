#include "plot/plotter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "expr/expression.h"
#include "plot/compiled_graph.h"
#include "plot/span.h"
#include "src/log.h"
#include "src/zr_line.h"

namespace {

// The parameter range is first cut into this many intervals ...
constexpr int kIntervals = 3;
// ... each halved while its pieces are longer than sqrt(3) pixels, at most
// this deep.
constexpr double kMaxSquaredLength = 3;
constexpr int kMaxDepth = 10;

// trunc(v) as a 32-bit integer, saturated by sign; NaN gives INT32_MIN.
int32_t SaturatedTrunc(double v) {
    if (std::isnan(v))
        return std::numeric_limits<int32_t>::min();
    if (v >= 2147483648.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483649.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// height - trunc(v), exactly, saturated to 32 bits; NaN gives INT32_MIN.
int32_t RowOf(double v, int32_t height) {
    // Within +-2^62 the conversion truncates exactly and the difference with
    // the height fits 64 bits; beyond, the row saturates by sign either way.
    if (v < 4611686018427387904.0 && v > -4611686018427387904.0)
        return Saturate(static_cast<int64_t>(height) - static_cast<int64_t>(v));
    if (std::isnan(v))
        return std::numeric_limits<int32_t>::min();
    return v > 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}

} // namespace

namespace {

bool Finite(double v) { return std::isfinite(v); }

} // namespace

void Plotter::Reset() {
    pixels = nullptr;
    stride = 0;
    width = 0;
    height = 0;
    mode = Rectangular;
}

void Plotter::SetCanvas(uint32_t* newPixels, int32_t newStride, int32_t newWidth, int32_t newHeight) {
    pixels = newPixels;
    stride = newStride;
    width = newWidth;
    height = newHeight;
}

void Plotter::SetMode(GraphMode newMode) { mode = newMode; }

bool Plotter::SetRange(double newXMin, double newXMax, double newYMin, double newYMax) {
    // Also refused: bounds that are not finite (typed nan or 1e999) and spans
    // that overflow, which would leave nothing to map.
    if (!(newXMin < newXMax) || !(newYMin < newYMax) || !Finite(newXMax - newXMin) ||
        !Finite(newYMax - newYMin))
        return false;
    LogBuilder(LogDebug)
        .append("range set to x(").append(newXMin).append(",").append(newXMax)
        .append(") y(").append(newYMin).append(",").append(newYMax).append(")");
    xMin = newXMin;
    xMax = newXMax;
    yMin = newYMin;
    yMax = newYMax;
    return true;
}

void Plotter::SetStep(double newStart, double newStop) {
    tStart = newStart;
    tStop = newStop;
}

int32_t Plotter::XToColumn(double x) const {
    return SaturatedTrunc((x - xMin) / (xMax - xMin) * width + 0.5);
}

int32_t Plotter::YToRow(double y) const {
    return RowOf((y - yMin) / (yMax - yMin) * height + 0.5, height);
}

double Plotter::UnroundedColumn(double x) const {
    const double column = (x - xMin) / (xMax - xMin) * width;
    return std::isnan(column) ? column : std::clamp(column, -2147483648.0, 2147483647.0);
}

double Plotter::UnroundedRow(double y) const {
    const double h = height, limit = static_cast<double>(kRowClamp) * h;
    const double row = h - (y - yMin) / (yMax - yMin) * h;
    return std::isnan(row) ? row : std::clamp(row, -limit, limit);
}

bool Plotter::CheckExpression(std::string_view text, double value, double& output) const {
    const std::unique_ptr<CompiledCurve> curve = CompiledCurve::Compile(text, ModeVariable(mode));
    if (!curve)
        return false;
    curve->Variable() = value;
    if (!curve->Program().Evaluate())
        return false;
    output = curve->Program().result;
    return true;
}

double Plotter::EvaluateAt(Expression& expression, double t) {
    expression.Symbols().SetVariable("t", t);
    expression.result = 0.0;
    expression.Evaluate();
    return expression.result;
}

void Plotter::DrawSegment(int64_t c0, int64_t r0, int64_t c1, int64_t r1, uint32_t color) {
    const int64_t limit = kRowClamp * height;
    r0 = std::clamp(r0, -limit, limit);
    r1 = std::clamp(r1, -limit, limit);
    // The points of a segment stay between its ends on both axes, so a
    // segment wholly beside the buffer has nothing to draw.
    if ((c0 < 0 && c1 < 0) || (c0 >= width && c1 >= width) || (r0 < 0 && r1 < 0) ||
        (r0 >= height && r1 >= height) || !pixels)
        return;
    ZrLine line;
    begin(line, r1, r0, c1, c0);

    // Only the stretch of the major axis that crosses the buffer can hold
    // visible points; jump to it and stop after it, so a segment reaching far
    // outside costs no more than its visible part.
    const bool yMajor = line.octant & 2;
    int64_t low = 0, high = static_cast<int64_t>(yMajor ? height : width) - 1;
    if (line.octant & 1) {
        const int64_t negatedLow = -high;
        high = -low;
        low = negatedLow;
    }
    const int64_t first = std::max<int64_t>(low, line.majorStart);
    const int64_t last = std::min<int64_t>(high, line.majorEnd);
    if (first > last)
        return;
    advance(line, static_cast<uint64_t>(first - line.majorStart));

    // The same walk as calling step for each point, written out: the major
    // coordinate stays inside the buffer all along, so only the minor one
    // needs checking, and the pixel offset moves with the two coordinates.
    const int64_t majorSign = (line.octant & 1) ? -1 : 1;
    const int64_t minorSign = line.minorStart < line.minorEnd ? 1 : -1;
    const int64_t major = majorSign * line.majorCurrent; // in buffer coordinates
    int64_t minor = line.minorCurrent;
    const int64_t minorLimit = yMajor ? width : height;
    const int64_t majorStride = yMajor ? majorSign * stride : majorSign * 4;
    const int64_t minorStride = yMajor ? minorSign * 4 : minorSign * stride;
    int64_t offset = yMajor ? major * stride + 4 * minor : minor * stride + 4 * major;
    int64_t decision = line.decision;
    auto* const base = reinterpret_cast<unsigned char*>(pixels);
    for (int64_t count = last - first + 1;;) {
        if (minor >= 0 && minor < minorLimit)
            *reinterpret_cast<uint32_t*>(base + offset) = color;
        if (--count == 0)
            break;
        offset += majorStride;
        if (decision < 0) {
            decision += line.straightIncrement;
        } else {
            minor += minorSign;
            offset += minorStride;
            decision += line.diagonalIncrement;
        }
    }
}

void Plotter::PlotRectangular(std::string_view text, uint32_t color) {
    ExactLineSink sink(*this);
    sink.BeginCurve(color);
    PlotRectangular(text, sink);
}

void Plotter::PlotParametric(std::string_view xText, std::string_view yText, uint32_t color) {
    ExactLineSink sink(*this);
    sink.BeginCurve(color);
    PlotParametric(xText, yText, sink);
}

void Plotter::PlotPolar(std::string_view text, uint32_t color) {
    ExactLineSink sink(*this);
    sink.BeginCurve(color);
    PlotPolar(text, sink);
}

void Plotter::PlotRectangular(std::string_view text, CurveSink& sink) {
    if (const std::unique_ptr<CompiledCurve> curve = CompiledCurve::Compile(text, "x"))
        PlotRectangular(*curve, sink);
}

void Plotter::PlotParametric(std::string_view xText, std::string_view yText, CurveSink& sink) {
    const std::unique_ptr<CompiledCurve> x = CompiledCurve::Compile(xText, "t");
    const std::unique_ptr<CompiledCurve> y = x ? CompiledCurve::Compile(yText, "t") : nullptr;
    if (x && y)
        PlotParametric(*x, *y, sink);
}

void Plotter::PlotPolar(std::string_view text, CurveSink& sink) {
    if (const std::unique_ptr<CompiledCurve> r = CompiledCurve::Compile(text, "t"))
        PlotPolar(*r, sink);
}

void Plotter::PlotRectangular(CompiledCurve& curve, CurveSink& sink) {
    if (width <= 0)
        return;
    // Column i samples the left edge of the column, (xMax - xMin) * i / width
    // + xMin, also where the product overflows; all columns are evaluated in
    // one series, which gives exactly the values of one call per column.
    sampleX.resize(static_cast<size_t>(width));
    sampleY.resize(static_cast<size_t>(width));
    for (int32_t i = 0; i < width; ++i)
        sampleX[i] = SpanFraction(xMin, xMax, i, width) + xMin;
    curve.Program().EvaluateSeries(curve.Variable(), sampleX.data(), sampleY.data(),
                                   sampleY.size());

    // The rows, as YToRow computes them; the divisions of all columns in one
    // pass, which the compiler can do two at a time.
    sampleRow.resize(static_cast<size_t>(width));
    sampleScaled.resize(static_cast<size_t>(width));
    const double span = yMax - yMin;
    for (int32_t i = 0; i < width; ++i)
        sampleScaled[i] = (sampleY[i] - yMin) / span * height + 0.5;
    for (int32_t i = 0; i < width; ++i)
        sampleRow[i] = RowOf(sampleScaled[i], height);

    PlotPoint previous;
    bool previousFinite = false;
    for (int32_t i = 0; i < width; ++i) {
        const PlotPoint point{sampleX[i], sampleY[i], i, sampleRow[i]};
        const bool finite = Finite(point.y);
        if (finite && previousFinite)
            sink.Segment(previous, point);
        previous = point;
        previousFinite = finite;
    }
}

template <class PointAt>
void Plotter::Subdivide(PointAt& pointAt, double t0, PlotPoint p0, double t1, PlotPoint p1,
                        int depth, CurveSink& sink) {
    auto squaredLength = [](const PlotPoint& a, const PlotPoint& b) {
        const double dc = static_cast<double>(static_cast<int64_t>(b.column) - a.column);
        const double dr = static_cast<double>(static_cast<int64_t>(b.row) - a.row);
        return dc * dc + dr * dr;
    };
    while (depth < kMaxDepth && squaredLength(p0, p1) > kMaxSquaredLength) {
        const double tm = HalfwayPoint(t0, t1);
        const PlotPoint pm = pointAt(tm);
        ++depth;
        Subdivide(pointAt, t0, p0, tm, pm, depth, sink);
        t0 = tm;
        p0 = pm;
    }
    if (Finite(p0.x) && Finite(p0.y) && Finite(p1.x) && Finite(p1.y))
        sink.Segment(p0, p1);
}

template <class PointAt, class SubdividePiece>
void Plotter::PlotAdaptive(PointAt pointAt, SubdividePiece subdivide) {
    // A third of a finite range is finite even where the range's span is not
    // (-1e308 .. 1e308); the sum of the thirds may round past the largest
    // double when the stop is near it, and then ends at the stop.
    const double h = SpanFraction(tStart, tStop, 1, kIntervals);
    double t0 = tStart, t1 = t0 + h;
    PlotPoint p0 = pointAt(t0);
    for (int i = 0; i < kIntervals; ++i) {
        const PlotPoint p1 = pointAt(t1);
        subdivide(t0, p0, t1, p1);
        t0 = t1;
        p0 = p1;
        t1 = t1 + h;
        if (std::isinf(t1) && Finite(h))
            t1 = tStop;
    }
}

PlotPoint Plotter::ParametricPoint(CompiledCurve& x, CompiledCurve& y, double t) const {
    PlotPoint p;
    p.x = x.At(t);
    p.y = y.At(t);
    p.column = XToColumn(p.x);
    p.row = YToRow(p.y);
    return p;
}

PlotPoint Plotter::PolarPoint(CompiledCurve& r, double t) const {
    const double radius = r.At(t);
    PlotPoint p;
    p.x = std::cos(t) * radius;
    p.y = std::sin(t) * radius;
    p.column = XToColumn(p.x);
    p.row = YToRow(p.y);
    return p;
}

void Plotter::SubdivideParametric(CompiledCurve& x, CompiledCurve& y, double t0, PlotPoint p0,
                                  double t1, PlotPoint p1, int depth, CurveSink& sink) {
    auto pointAt = [&](double t) { return ParametricPoint(x, y, t); };
    Subdivide(pointAt, t0, p0, t1, p1, depth, sink);
}

void Plotter::SubdividePolar(CompiledCurve& r, double t0, PlotPoint p0, double t1, PlotPoint p1,
                             int depth, CurveSink& sink) {
    auto pointAt = [&](double t) { return PolarPoint(r, t); };
    Subdivide(pointAt, t0, p0, t1, p1, depth, sink);
}

void Plotter::PlotParametric(CompiledCurve& xCurve, CompiledCurve& yCurve, CurveSink& sink) {
    PlotAdaptive([&](double t) { return ParametricPoint(xCurve, yCurve, t); },
                 [&](double t0, PlotPoint p0, double t1, PlotPoint p1) {
                     SubdivideParametric(xCurve, yCurve, t0, p0, t1, p1, 0, sink);
                 });
}

void Plotter::PlotPolar(CompiledCurve& curve, CurveSink& sink) {
    PlotAdaptive([&](double t) { return PolarPoint(curve, t); },
                 [&](double t0, PlotPoint p0, double t1, PlotPoint p1) {
                     SubdividePolar(curve, t0, p0, t1, p1, 0, sink);
                 });
}
