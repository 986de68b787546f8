// The graph pane and the two scale rulers: their window procedures, and the
// drawing the application does for them.
#include <windows.h>
#include <windowsx.h>

#include <vector>

#include "app/graphapp.h"
#include "plot/ruler.h"

namespace {

// Length of a tick mark in pixels.
constexpr int kTickLength = 3;

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

// Draws the labelled ticks: a short line at each position and the text in a
// box beside it.
void DrawTicks(HWND ruler, const std::vector<RulerLabel>& labels, bool horizontal) {
    WindowDC dc(ruler);
    if (!dc)
        return;
    for (const RulerLabel& label : labels) {
        const int p = label.position;
        if (horizontal) {
            MoveToEx(dc.get(), p, 0, nullptr);
            LineTo(dc.get(), p, kTickLength);
        } else {
            MoveToEx(dc.get(), 0, p, nullptr);
            LineTo(dc.get(), kTickLength, p);
        }
        SetBkMode(dc.get(), TRANSPARENT);
        RECT box = horizontal ? RECT{p - kLabelMargin, kTickLength, p + kLabelMargin, kTickSpacing}
                              : RECT{7, p - kLabelMargin, 67, p + kLabelMargin};
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

void GraphApp::Render() {
    GraphStyle style;
    style.graphColors = graphColors;
    style.backColor = backColor;
    style.axisColor = axisColor;
    style.showAxes = showAxes;
    RenderGraph(plotter, equations, style);
}

void GraphApp::RefreshGraph() { canvas.Blit(0, 0, 0, 0, 0, 0, nullptr); }

void GraphApp::RefreshRulers() {
    for (HWND ruler : {vertScale, horzScale}) {
        if (!ruler)
            continue;
        InvalidateRect(ruler, nullptr, TRUE);
        UpdateWindow(ruler);
    }
}

void GraphApp::PaintHorzScale() { DrawTicks(horzScale, HorizontalRulerLabels(plotter), true); }

void GraphApp::PaintVertScale() { DrawTicks(vertScale, VerticalRulerLabels(plotter), false); }
