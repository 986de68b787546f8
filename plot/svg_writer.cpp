#include "plot/svg_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

#include "plot/cell_paint.h"
#include "src/zr_error.h"
#include "src/zr_replacement.h"

namespace {

// How far outside the picture segments are kept, in pixels: enough for the
// round caps of a one-pixel stroke.
constexpr double kMargin = 2;

void AppendNumber(std::string& out, double v) {
    // Three decimals keep every point within 1/2000 pixel of its place.
    char text[48];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 3);
    if (error != std::errc()) {
        out += '0';
        return;
    }
    const char* last = end;
    if (std::memchr(text, '.', static_cast<size_t>(end - text))) {
        while (last[-1] == '0')
            --last;
        if (last[-1] == '.')
            --last;
    }
    if (last - text == 2 && text[0] == '-' && text[1] == '0') {
        out += '0'; // no "-0"
        return;
    }
    out.append(text, static_cast<size_t>(last - text));
}

void AppendInt(std::string& out, int64_t v) {
    char text[24];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v);
    out.append(text, error == std::errc() ? static_cast<size_t>(end - text) : 0);
}

void AppendColor(std::string& out, uint32_t color) {
    static const char kHex[] = "0123456789abcdef";
    out += '#';
    for (int shift = 20; shift >= 0; shift -= 4)
        out += kHex[(color >> shift) & 0xF];
}

struct Point {
    double x, y;
};

bool SamePoint(const PlotPoint& a, const PlotPoint& b) {
    return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0 &&
           a.column == b.column && a.row == b.row;
}

// Clips the segment a-b to the box (Liang and Barsky); false when nothing
// of it is inside. `cutStart` and `cutEnd` tell which ends moved.
bool Clip(Point& a, Point& b, double left, double top, double right, double bottom, bool& cutStart,
          bool& cutEnd) {
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - left, right - a.x, a.y - top, bottom - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1)
            return false;
    }
    cutStart = t0 > 0;
    cutEnd = t1 < 1;
    const Point start = a;
    if (cutStart)
        a = {start.x + t0 * dx, start.y + t0 * dy};
    if (cutEnd)
        b = {start.x + t1 * dx, start.y + t1 * dy};
    return true;
}

// Collects a curve's segments as path elements, one per connected run.
class SvgPathSink : public CurveSink {
public:
    SvgPathSink(const Plotter& plotter, std::string& out) : plotter(plotter), out(out) {}

    void BeginCurve(uint32_t newColor) override {
        color = newColor;
        open = false;
    }

    void Segment(const PlotPoint& from, const PlotPoint& to) override {
        Point a = Map(from), b = Map(to);
        bool cutStart = false, cutEnd = false;
        const double w = plotter.width, h = plotter.height;
        if (!Clip(a, b, -kMargin, -kMargin, w + kMargin, h + kMargin, cutStart, cutEnd)) {
            EndRun();
            return;
        }
        if (!open || cutStart || !SamePoint(from, last)) {
            EndRun();
            out += "<path stroke=\"";
            AppendColor(out, color);
            out += "\" fill=\"none\" stroke-width=\"1\" stroke-linejoin=\"round\" "
                   "stroke-linecap=\"round\" d=\"M";
            AppendPair(a);
            open = true;
        }
        out += 'L';
        AppendPair(b);
        last = to;
        if (cutEnd)
            EndRun();
    }

    void EndCurve() override { EndRun(); }

    // One filled path per colour class, each cell a unit square on its
    // pixel, the runs of a class along each row joined into one rectangle.
    void Cells(const CellMap& map, uint32_t cellColor) override {
        EndRun();
        if (map.width != plotter.width || map.height != plotter.height ||
            map.states.size() != static_cast<size_t>(map.width) * static_cast<size_t>(map.height))
            return;
        for (CellPaint paint : {CellPaint::Throughout, CellPaint::Holds, CellPaint::Undecided}) {
            bool any = false;
            for (int32_t r = 0; r < map.height; ++r) {
                const CellState* states = &map.states[static_cast<size_t>(r) * map.width];
                for (int32_t c = 0; c < map.width;) {
                    if (PaintOf(map.equation, states[c]) != paint) {
                        ++c;
                        continue;
                    }
                    int32_t end = c + 1;
                    while (end < map.width && PaintOf(map.equation, states[end]) == paint)
                        ++end;
                    if (!any) {
                        out += "<path fill=\"";
                        AppendColor(out, cellColor);
                        out += "\" fill-opacity=\"";
                        out += paint == CellPaint::Throughout ? "0.3"
                               : paint == CellPaint::Holds    ? "1"
                                                              : "0.6";
                        out += "\" d=\"";
                        any = true;
                    }
                    out += 'M';
                    AppendInt(out, c);
                    out += ' ';
                    AppendInt(out, r);
                    out += 'h';
                    AppendInt(out, end - c);
                    out += "v1h-";
                    AppendInt(out, end - c);
                    out += 'z';
                    c = end;
                }
            }
            if (any)
                out += "\"/>\n";
        }
    }

private:
    // The raster's mapping without its rounding, the pixel's centre at +0.5.
    Point Map(const PlotPoint& p) const {
        return {plotter.UnroundedColumn(p.x) + 0.5, plotter.UnroundedRow(p.y) + 0.5};
    }

    void AppendPair(const Point& p) {
        AppendNumber(out, p.x);
        out += ' ';
        AppendNumber(out, p.y);
    }

    void EndRun() {
        if (open)
            out += "\"/>\n";
        open = false;
    }

    const Plotter& plotter;
    std::string& out;
    uint32_t color = 0;
    bool open = false; // a path element is being written
    PlotPoint last;    // the end of its last segment
};

void AppendLine(std::string& out, double x1, double y1, double x2, double y2, uint32_t color) {
    out += "<line x1=\"";
    AppendNumber(out, x1);
    out += "\" y1=\"";
    AppendNumber(out, y1);
    out += "\" x2=\"";
    AppendNumber(out, x2);
    out += "\" y2=\"";
    AppendNumber(out, y2);
    out += "\" stroke=\"";
    AppendColor(out, color);
    out += "\" stroke-width=\"1\"/>\n";
}

} // namespace

std::string GraphSvg(Plotter& plotter, const EquationSlots& equations, const GraphStyle& style) {
    CompiledGraph graph = CompileCurves(plotter.mode, equations);
    return GraphSvg(plotter, graph, style);
}

std::string GraphSvg(Plotter& plotter, CompiledGraph& graph, const GraphStyle& style,
                     const RelationMaps* maps) {
    const int32_t w = plotter.width, h = plotter.height;
    if (w <= 0 || h <= 0)
        return {};
    try {
        std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
        AppendInt(out, w);
        out += "\" height=\"";
        AppendInt(out, h);
        out += "\" viewBox=\"0 0 ";
        AppendInt(out, w);
        out += ' ';
        AppendInt(out, h);
        out += "\">\n<rect width=\"";
        AppendInt(out, w);
        out += "\" height=\"";
        AppendInt(out, h);
        out += "\" fill=\"";
        AppendColor(out, style.backColor);
        out += "\"/>\n";
        if (style.showAxes) {
            const int32_t row = plotter.YToRow(0), column = plotter.XToColumn(0);
            if (row >= 0 && row < h)
                AppendLine(out, 0, row + 0.5, w, row + 0.5, style.axisColor);
            if (column >= 0 && column < w)
                AppendLine(out, column + 0.5, 0, column + 0.5, h, style.axisColor);
        }
        SvgPathSink sink(plotter, out);
        TraceCurves(plotter, graph, style, sink, maps);
        out += "</svg>\n";
        return out;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool SaveSvg(const std::string& document, const char* path, std::string* reason) {
    std::string why = "the SVG document is empty"; // GraphSvg ran out of memory
    if (!document.empty()) {
        try {
            zrWriteWholeFile(path, document.data(), document.size());
            return true;
        } catch (const ZrErrorCode& error) {
            why = ZrErrorText(error);
        }
    }
    if (reason)
        *reason = why;
    return false;
}
