// Zooming and panning the graph: the commands and the mouse handling of the
// Graph control. The arithmetic is the plotter's (plot/view.h); every step
// goes through SetViewRange with redraw, which refuses ranges that rounding
// at extreme zoom produces and then leaves everything as it was.
#include "app/graphapp.h"
#include "plot/view.h"

bool GraphApp::ShowView(const ViewRange& view) {
    return SetViewRange(view.xMin, view.xMax, view.yMin, view.yMax, true);
}

void GraphApp::ZoomBy(double factor) {
    ShowView(ZoomedView(plotter, factor));
}

void GraphApp::ZoomIn() {
    ZoomBy(1 / zoomFactor);
}

void GraphApp::ZoomOut() {
    ZoomBy(zoomFactor);
}

void GraphApp::ZoomAbout(double factor, int32_t x, int32_t y) {
    ShowView(ZoomedViewAbout(plotter, factor, x, y));
}

bool GraphApp::WheelZoom(int32_t delta, int32_t screenX, int32_t screenY) {
    if (!graphControl)
        return false;
    POINT point = {screenX, screenY};
    if (WindowFromPoint(point) != graphControl || !ScreenToClient(graphControl, &point))
        return false;
    const int32_t steps = wheel.Add(delta);
    // Away from the user zooms in, as in every program with a zoomable view.
    for (int32_t i = 0; i < steps; ++i)
        ZoomAbout(1 / zoomFactor, point.x, point.y);
    for (int32_t i = 0; i > steps; --i)
        ZoomAbout(zoomFactor, point.x, point.y);
    return true;
}

void GraphApp::BeginDrag(int32_t x, int32_t y) {
    dragX = x;
    dragY = y;
    SetCapture(graphControl);
    dragging = true;
}

// Only the dragging flag counts, not the button state the move carries: when
// the capture was lost, the view follows the mouse over the control until
// the button is released there.
void GraphApp::DragTo(int32_t x, int32_t y) {
    if (!dragging)
        return;
    ShowView(DraggedView(plotter, x - dragX, y - dragY));
    dragX = x;
    dragY = y;
}

// The points of interest follow the view once the drag is over: a step of
// the drag only draws.
void GraphApp::EndDrag(int32_t x, int32_t y) {
    DragTo(x, y);
    dragging = false;
    if (GetCapture() == graphControl)
        ReleaseCapture();
    FollowGraph();
}
