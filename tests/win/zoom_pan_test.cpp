// Zooming and panning the real graph: the buttons, menu items and
// accelerators, dragging with the mouse captured, and the mouse wheel.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "win_test_util.h"

namespace {

using ZoomPan = AppTest;

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}


TEST_F(ZoomPan, ButtonsMenuAndAcceleratorsZoomAboutTheCentre) {
    SetSlot(1, "x*x/4-3");
    ClickPlot();
    const struct {
        const char* source;
        std::function<void()> zoom;
        const char* min;
        const char* max;
    } cases[] = {
        {"+ button", [&] { Click(IDC_ZOOM_IN); }, "-6.666667", "6.666667"},
        {"- button", [&] { Click(IDC_ZOOM_OUT); }, "-10.000000", "10.000000"},
        {"Zoom Out menu", [&] { Menu(IDM_ZOOM_OUT); }, "-15.000000", "15.000000"},
        {"Zoom In menu", [&] { Menu(IDM_ZOOM_IN); }, "-10.000000", "10.000000"},
        {"Alt+-", [&] { KeyWith(VK_MENU, WM_SYSCHAR, '-', 0x20000001); }, "-15.000000",
         "15.000000"},
        {"Alt++", [&] { KeyWith(VK_MENU, WM_SYSCHAR, '+', 0x20000001); }, "-10.000000",
         "10.000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        SetField(IDC_X_MAX, "99"); // an unplotted edit is overwritten
        const std::vector<uint32_t> ruler = ShownPixels(app->horzScale);
        c.zoom();
        EXPECT_NE(ShownPixels(app->horzScale), ruler) << "the ruler shows the new labels";
        EXPECT_EQ(Field(IDC_X_MIN), c.min);
        EXPECT_EQ(Field(IDC_Y_MIN), c.min);
        EXPECT_EQ(Field(IDC_X_MAX), c.max);
        EXPECT_EQ(Field(IDC_Y_MAX), c.max);
        EXPECT_TRUE(CanvasIsRendered()) << "the graph is drawn for the new view";
    }
    EXPECT_EQ(app->plotter.tStart, -10) << "zooming leaves the parameter range";
    EXPECT_TRUE(answerer->Shown().empty());
}

// Rounding can only refuse a zoom at the ends of the double range: zooming
// out from the widest view that is accepted changes nothing and says nothing.
TEST_F(ZoomPan, RefusedZoomLeavesEverything) {
    SetSlot(1, "x");
    SetField(IDC_X_MIN, "-8e307");
    SetField(IDC_X_MAX, "8e307");
    ClickPlot();
    const std::string before = Field(IDC_X_MAX);
    const uint32_t corner = Pixel(0, 0);
    Click(IDC_ZOOM_OUT);
    EXPECT_EQ(app->plotter.xMax, 8e307);
    EXPECT_EQ(app->plotter.yMax, 10);
    EXPECT_EQ(Field(IDC_X_MAX), before);
    EXPECT_EQ(Field(IDC_Y_MAX), "10.000000");
    EXPECT_EQ(Pixel(0, 0), corner);
    EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(ZoomPan, DragMovesThePictureAndFollowsTheMouseOutsideTheControl) {
    SetSlot(1, "sin(x)");
    ClickPlot();
    HWND graph = app->graphControl;
    const double w = app->canvas.Width(), h = app->canvas.Height();
    SendMessageA(graph, WM_LBUTTONDOWN, MK_LBUTTON, Point(100, 100));
    EXPECT_EQ(GetCapture(), graph);
    EXPECT_EQ(app->plotter.xMin, -10) << "pressing the button alone does not pan";

    // Right by 30 and up by 20 pixels: the view moves left and down.
    SendMessageA(graph, WM_MOUSEMOVE, MK_LBUTTON, Point(130, 80));
    EXPECT_DOUBLE_EQ(app->plotter.xMin, -10 - 30 * 20 / w);
    EXPECT_DOUBLE_EQ(app->plotter.yMin, -10 + 20 * -20 / h);
    EXPECT_TRUE(CanvasIsRendered());

    // Beyond the left and top edges the captured mouse reports negative
    // coordinates, and the drag goes on.
    SendMessageA(graph, WM_MOUSEMOVE, MK_LBUTTON, Point(-20, -15));
    EXPECT_DOUBLE_EQ(app->plotter.xMax - app->plotter.xMin, 20);
    EXPECT_NEAR(app->plotter.xMin, -10 + 120 * 20 / w, 1e-12);
    EXPECT_NEAR(app->plotter.yMin, -10 - 115 * 20 / h, 1e-12);
    char shown[400];
    snprintf(shown, sizeof shown, "%f", app->plotter.xMin);
    EXPECT_EQ(Field(IDC_X_MIN), shown);

    SendMessageA(graph, WM_LBUTTONUP, 0, Point(-20, -15));
    EXPECT_EQ(GetCapture(), nullptr);
    const double xMin = app->plotter.xMin;
    SendMessageA(graph, WM_MOUSEMOVE, 0, Point(300, 300));
    EXPECT_EQ(app->plotter.xMin, xMin) << "moving after the release does not pan";
    EXPECT_TRUE(answerer->Shown().empty());
}

// Without the capture the drag still follows the mouse over the control,
// until the button is released there.
TEST_F(ZoomPan, LostCaptureKeepsDraggingUntilReleasedOverTheGraph) {
    HWND graph = app->graphControl;
    SendMessageA(graph, WM_LBUTTONDOWN, MK_LBUTTON, Point(50, 50));
    ReleaseCapture();
    SendMessageA(graph, WM_MOUSEMOVE, 0, Point(60, 50));
    EXPECT_LT(app->plotter.xMin, -10);
    const double panned = app->plotter.xMin;
    SendMessageA(graph, WM_LBUTTONUP, 0, Point(60, 50));
    SendMessageA(graph, WM_MOUSEMOVE, 0, Point(90, 50));
    EXPECT_EQ(app->plotter.xMin, panned);
}

// The wheel message goes to the focused field; the loop makes it zoom about
// the pointer when that is over the graph, one step a notch.
TEST_F(ZoomPan, WheelZoomsAboutThePointer) {
    SetSlot(1, "x");
    ClickPlot();
    HWND graph = app->graphControl;
    const int w = app->canvas.Width(), h = app->canvas.Height();
    POINT pointer = {w / 4, h / 3};
    const double x = app->plotter.xMin + 20.0 * pointer.x / w;
    const double y = app->plotter.yMin + 20.0 * (h - pointer.y) / h;
    ClientToScreen(graph, &pointer);
    HWND field = GetDlgItem(app->mainDialog, IDC_EQUATION1);

    const auto wheel = [&](int delta, POINT at) {
        PostMessageA(field, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                     Point(at.x, at.y));
        Pump();
    };
    wheel(WHEEL_DELTA, pointer);
    EXPECT_NEAR(app->plotter.xMax - app->plotter.xMin, 20 / 1.5, 1e-12);
    EXPECT_NEAR(app->plotter.yMax - app->plotter.yMin, 20 / 1.5, 1e-12);
    EXPECT_EQ(app->plotter.XToColumn(x), w / 4);
    EXPECT_EQ(app->plotter.YToRow(y), h / 3);
    EXPECT_TRUE(CanvasIsRendered());

    // Half notches towards the user: the second one zooms out.
    wheel(-60, pointer);
    EXPECT_NEAR(app->plotter.xMax - app->plotter.xMin, 20 / 1.5, 1e-12);
    wheel(-60, pointer);
    EXPECT_NEAR(app->plotter.xMax - app->plotter.xMin, 20, 1e-12);
    EXPECT_EQ(app->plotter.XToColumn(x), w / 4);

    // Over the equation fields the wheel does not zoom.
    RECT fieldRect;
    GetWindowRect(field, &fieldRect);
    wheel(WHEEL_DELTA, POINT{fieldRect.left + 2, fieldRect.top + 2});
    EXPECT_NEAR(app->plotter.xMax - app->plotter.xMin, 20, 1e-12);
}

} // namespace
