// The graph pane and the two scale rulers: their window procedures, and the
// drawing the application does for them.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "app/graphapp.h"
#include "plot/dpi_scale.h"
#include "plot/ruler.h"
#include "plot/view.h"
#include "win/dpi.h"

namespace {

// Length of a tick mark, and the left and right edges of the vertical
// ruler's label boxes, in pixels at 96 dots per inch.
constexpr int32_t kTickLength = 3;
constexpr int32_t kVertLabelLeft = 7;
constexpr int32_t kVertLabelRight = 67;

void OnPaintGraph(HWND window) {
    PaintScope paint(window);
    App().RefreshGraph();
}

void OnPaintScale(HWND window, bool horizontal) {
    PaintScope paint(window);
    if (horizontal)
        App().PaintHorzScale();
    else
        App().PaintVertScale();
}

// Draws the labelled ticks: a short line at each position and the text, in
// the dialog's font, in a box beside it; sizes grow with the resolution.
void DrawTicks(HWND ruler, const std::vector<RulerLabel>& labels, bool horizontal, int32_t dpi) {
    WindowDC dc(ruler);
    if (!dc)
        return;
    const HFONT font = DialogFont(ruler);
    SelectGuard selectFont(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    const int32_t tick = ScaleToDpi(kTickLength, dpi);
    const int32_t margin = ScaleToDpi(kLabelMargin, dpi);
    const int32_t spacing = ScaleToDpi(kTickSpacing, dpi);
    SetBkMode(dc.get(), TRANSPARENT);
    for (const RulerLabel& label : labels) {
        const int p = label.position;
        if (horizontal) {
            MoveToEx(dc.get(), p, 0, nullptr);
            LineTo(dc.get(), p, tick);
        } else {
            MoveToEx(dc.get(), 0, p, nullptr);
            LineTo(dc.get(), tick, p);
        }
        RECT box = horizontal ? RECT{p - margin, tick, p + margin, spacing}
                              : RECT{ScaleToDpi(kVertLabelLeft, dpi), p - margin,
                                     ScaleToDpi(kVertLabelRight, dpi), p + margin};
        DrawTextA(dc.get(), label.text.c_str(), static_cast<int>(label.text.size()), &box,
                  DT_SINGLELINE | (horizontal ? DT_CENTER : DT_VCENTER));
    }
}

} // namespace

// Mouse positions are two signed 16-bit client coordinates, negative left of
// and above the control while the mouse is captured. The wheel is handled by
// the message loop, wherever the focus is.
LRESULT CALLBACK GraphWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaintGraph(window);
        return 0;
    case WM_LBUTTONDOWN:
        App().BeginDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        App().DragTo(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        App().analysisWindow.PointerMoved(App().plotter, GET_X_LPARAM(lParam),
                                          GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        App().analysisWindow.PointerLeft();
        return 0;
    case WM_LBUTTONUP:
        App().EndDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_CREATE:
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_RBUTTONDOWN:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

namespace {

// The two rulers behave alike; only what they paint differs.
LRESULT ScaleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool horizontal) {
    switch (message) {
    case WM_PAINT:
        OnPaintScale(window, horizontal);
        return 0;
    case WM_CREATE:
    case WM_DESTROY:
    case WM_CLOSE:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK HorzScaleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ScaleWindowProc(window, message, wParam, lParam, true);
}

LRESULT CALLBACK VertScaleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ScaleWindowProc(window, message, wParam, lParam, false);
}

// Every change of the graph renders it, so the Analysis window follows from
// here (but for the steps of a drag, after which EndDrag hands it the view).
void GraphApp::Render() {
    decisions.Follow(model);
    model.Render();
    if (!dragging)
        FollowGraph();
    ShowDecisionCounts();
}

void GraphApp::OnRelationMaps(uint64_t job) {
    if (!decisions.Take(job, model))
        return;
    model.Render();
    RefreshGraph();
    ShowDecisionCounts();
}

void GraphApp::ShowDecisionCounts() {
    analysisWindow.ShowDecisions(decisions.Lines(model));
}

namespace {

// The wait cursor while it lives; the cursor before it afterwards.
class WaitCursor {
public:
    WaitCursor() : previous(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous;
};

// Paints what waits to be painted (windows uncovered meanwhile), nothing
// else: input and posted messages stay queued for the message loop.
void PaintWaitingWindows() {
    MSG message;
    for (int i = 0; i < 64 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        DispatchMessageA(&message);
}

} // namespace

void GraphApp::AwaitDecisions() {
    std::optional<WaitCursor> cursor;
    if (!decisions.Ended())
        cursor.emplace();
    decisions.Wait(model, [this] {
        model.Render();
        RefreshGraph();
        ShowDecisionCounts();
        PaintWaitingWindows();
    });
}

void GraphApp::RefreshGraph() {
    canvas.Blit(0, 0, 0, 0, 0, 0, nullptr);
    DrawPointsOfInterest();
}

void GraphApp::FollowGraph() {
    analysisWindow.Follow({model.compiled, equations, plotter.mode, plotter.xMin, plotter.xMax});
}

// A ring of radius 4 (at 96 dots per inch) in the curve's colour around each
// point the Analysis window lists, drawn on the screen over the canvas.
void GraphApp::DrawPointsOfInterest() {
    if (!analysisWindow.IsShown() || plotter.mode != Rectangular || !graphControl)
        return;
    const std::vector<PointOfInterest>& points = analysisWindow.Points().points;
    if (points.empty())
        return;
    WindowDC dc(graphControl);
    if (!dc)
        return;
    const auto scale = static_cast<int32_t>(WindowDpi(graphControl));
    const int32_t radius = ScaleToDpi(4, scale);
    const int32_t width = std::max<int32_t>(1, ScaleToDpi(1, scale));
    SelectGuard noFill(dc.get(), GetStockObject(NULL_BRUSH));
    for (int curve = 0; curve < 8; ++curve) {
        const uint32_t c = graphColors[curve];
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, width, RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF)));
        if (!pen)
            continue;
        SelectGuard selectPen(dc.get(), pen.get());
        for (const PointOfInterest& point : points) {
            if (point.curve != curve)
                continue;
            const int32_t column = plotter.XToColumn(point.x), row = plotter.YToRow(point.y);
            if (column < -radius || column > plotter.width + radius || row < -radius ||
                row > plotter.height + radius)
                continue;
            Ellipse(dc.get(), column - radius, row - radius, column + radius + 1, row + radius + 1);
        }
    }
}

void GraphApp::RefreshRulers() {
    for (HWND ruler : {vertScale, horzScale}) {
        if (!ruler)
            continue;
        InvalidateRect(ruler, nullptr, TRUE);
        UpdateWindow(ruler);
    }
}

void GraphApp::PaintHorzScale() {
    const auto dpi = static_cast<int32_t>(WindowDpi(horzScale));
    DrawTicks(horzScale, HorizontalRulerLabels(plotter, dpi), true, dpi);
}

void GraphApp::PaintVertScale() {
    const auto dpi = static_cast<int32_t>(WindowDpi(vertScale));
    DrawTicks(vertScale, VerticalRulerLabels(plotter, dpi), false, dpi);
}
