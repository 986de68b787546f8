// The Analysis window in the real program: its menu item, shortcut and check
// mark; the list against orvanta-cli analyze for the same view after Plot,
// zoom and a drag; Evaluate and Integrate; the pointer line; the rings on
// the screen and not in the canvas; its placement across runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/export_image.h"
#include "plot/dpi_scale.h"
#include "raster/raster_test_util.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win_test_util.h"

namespace {

std::string Text(HWND window) {
    std::string text(65536, '\0');
    text.resize(GetWindowTextA(window, text.data(), static_cast<int>(text.size())));
    return text;
}

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

class Analysis : public AppTest {
protected:
    HWND Control(int id) const { return GetDlgItem(app->analysisWindow.dialog, id); }
    bool MenuChecked() const {
        return (GetMenuState(GetMenu(app->frameWindow), IDM_ANALYSIS, MF_BYCOMMAND) &
                MF_CHECKED) != 0;
    }

    // What orvanta-cli analyze prints for the accepted equations over the
    // view's x interval (and `extra` options), its lines joined with CR LF
    // as the window joins them.
    std::string CommandLine(const std::string& extra = "") const {
        std::string command = std::string("\"") + ORVANTA_CLI_PATH + "\" analyze --x " +
                              Number(app->plotter.xMin) + " " + Number(app->plotter.xMax) + " " +
                              extra;
        for (const std::string& equation : app->equations)
            command += " \"" + equation + "\"";
        const std::string output = TempPath("orvanta-analyze.txt");
        EXPECT_EQ(RunProgram(command, output), 0u) << command;
        std::ifstream in(output, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        DeleteFileA(output.c_str());
        std::string joined;
        for (char c : text)
            joined += c == '\n' ? std::string("\r\n") : std::string(1, c);
        while (joined.size() >= 2 && joined.compare(joined.size() - 2, 2, "\r\n") == 0)
            joined.resize(joined.size() - 2);
        return joined;
    }
};

TEST_F(Analysis, MenuShortcutAndCloseBoxShowAndHideIt) {
    HWND frame = app->analysisWindow.frame;
    char className[64] = {};
    GetClassNameA(frame, className, sizeof className);
    EXPECT_STREQ(className, "Analysis");
    EXPECT_EQ(Text(frame), "Orvanta: Analysis");
    EXPECT_EQ(GetWindow(frame, GW_OWNER), app->frameWindow);
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_FALSE(MenuChecked());

    Menu(IDM_ANALYSIS);
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_TRUE(MenuChecked());
    Accelerator(VK_CONTROL, 'L');
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_FALSE(MenuChecked());
    Accelerator(VK_CONTROL, 'L');
    EXPECT_TRUE(IsWindowVisible(frame));
    SendMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_FALSE(MenuChecked());
}

// The list is exactly what the command line prints for the same equations
// and view, after each way the view changes.
TEST_F(Analysis, ListEqualsTheCommandLineForTheView) {
    Menu(IDM_ANALYSIS);
    SetSlot(1, "sin(x)");
    SetSlot(2, "x^2/4-6");
    SetSlot(4, "1/x");
    ClickPlot();
    const std::string plotted = Text(Control(IDC_ANALYSIS_LIST));
    EXPECT_NE(plotted.find("zero y1 x=3.1415926535897931"), std::string::npos) << plotted;
    EXPECT_EQ(plotted, CommandLine());

    Menu(IDM_ZOOM_IN);
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_LIST)), CommandLine()) << "after a zoom";

    app->BeginDrag(100, 100);
    app->DragTo(160, 120);
    const std::string during = Text(Control(IDC_ANALYSIS_LIST));
    app->EndDrag(200, 130);
    EXPECT_NE(app->plotter.xMin, -10.0 / 1.5);
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_LIST)), CommandLine()) << "after a drag";

    // Hidden, it waits; shown again, it is up to date.
    Menu(IDM_ANALYSIS);
    SetSlot(3, "x");
    ClickPlot();
    Menu(IDM_ANALYSIS);
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_LIST)), CommandLine()) << "shown after a Plot";

    Menu(IDM_POLAR);
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_LIST)),
              "Points of interest are found for rectangular curves.");
}

TEST_F(Analysis, EvaluateAndIntegrateAsTheCommandLineDoes) {
    Menu(IDM_ANALYSIS);
    SetSlot(1, "x^2");
    SetSlot(2, "1/x");
    ClickPlot();
    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_X, "2.5");
    PostClick(app->analysisWindow.dialog, IDC_ANALYSIS_EVALUATE);
    Pump();
    const std::string everything = CommandLine("--at 2.5 --integral -1 1");
    const std::string values = Text(Control(IDC_ANALYSIS_RESULTS));
    EXPECT_NE(values.find("value y1 x=2.5 y=6.25 slope=5"), std::string::npos) << values;
    EXPECT_NE(everything.find(values), std::string::npos) << everything;

    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_FROM, "-1");
    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_TO, "1");
    PostClick(app->analysisWindow.dialog, IDC_ANALYSIS_INTEGRATE);
    Pump();
    const std::string integrals = Text(Control(IDC_ANALYSIS_RESULTS));
    EXPECT_NE(integrals.find("integral y2 a=-1 b=1 diverges"), std::string::npos) << integrals;
    EXPECT_EQ(everything.substr(everything.size() - integrals.size()), integrals);

    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_X, "two");
    PostClick(app->analysisWindow.dialog, IDC_ANALYSIS_EVALUATE);
    Pump();
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_RESULTS)), "x = needs a number");
}

TEST_F(Analysis, PointerLineFollowsTheMouse) {
    Menu(IDM_ANALYSIS);
    SetSlot(1, "x*2");
    ClickPlot();
    const int32_t column = app->plotter.XToColumn(5), row = app->plotter.YToRow(-2.5);
    SendMessageA(app->graphControl, WM_MOUSEMOVE, 0, MAKELPARAM(column, row));
    const std::string line = Text(Control(IDC_ANALYSIS_POINTER));
    double x = 0, y = 0, y1 = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "x=%lf y=%lf y1=%lf", &x, &y, &y1), 3) << line;
    const double pixel = 20.0 / app->plotter.width;
    EXPECT_NEAR(x, 5, pixel);
    EXPECT_NEAR(y, -2.5, 20.0 / app->plotter.height);
    EXPECT_NEAR(y1, 2 * x, 1e-5 * std::abs(y1) + 1e-9);
    SendMessageA(app->graphControl, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_POINTER)), "");
}

// Rings go on the screen only: the canvas, which the export writes, stays
// what the renderer draws.
TEST_F(Analysis, RingsMarkThePointsOnTheScreenOnly) {
    SetSlot(1, "(x-3)^2+2"); // a minimum at (3, 2), away from the axes
    ClickPlot();
    Menu(IDM_ANALYSIS);
    Pump();
    UpdateWindow(app->graphControl);
    const std::vector<uint32_t> shown = ShownPixels(app->graphControl);
    RECT client;
    GetClientRect(app->graphControl, &client);
    const int32_t column = app->plotter.XToColumn(3), row = app->plotter.YToRow(2);
    const int32_t radius = ScaleToDpi(4, static_cast<int32_t>(WindowDpi(app->graphControl)));
    const auto at = [&](int32_t x, int32_t y) { return shown[static_cast<size_t>(y) * client.right + x]; };
    EXPECT_EQ(at(column, row - radius), 0xFF0000u) << "the ring's top, above the curve";
    EXPECT_EQ(Pixel(column, row - radius), 0xFFFFFFu) << "the canvas has no ring";
    EXPECT_TRUE(CanvasIsRendered());
    const std::string exported = TempPath("orvanta-rings.png");
    ASSERT_TRUE(app->exportImage && SavePNG(*app->exportImage, exported.c_str()));
    const raster_test::DecodedPng png = raster_test::DecodePng(raster_test::ReadBytes(exported));
    DeleteFileA(exported.c_str());
    const size_t offset = 3 * (static_cast<size_t>(row - radius) * png.width + column);
    EXPECT_EQ(png.pixels[offset] + png.pixels[offset + 1] + png.pixels[offset + 2], 3 * 255)
        << "the export has no ring";

    Menu(IDM_ANALYSIS); // hidden: the ring goes
    Pump();
    UpdateWindow(app->graphControl);
    const std::vector<uint32_t> plain = ShownPixels(app->graphControl);
    EXPECT_EQ(plain[static_cast<size_t>(row - radius) * client.right + column], 0xFFFFFFu);
}

TEST_F(Analysis, PlacementAndVisibilityLastAcrossRuns) {
    app->SavePreferences();
    int32_t value = 0;
    EXPECT_FALSE(app->ReadIntEither("Show_Analysis", &value))
        << "a run that never shows it stores nothing of it";
    Menu(IDM_ANALYSIS);
    SetWindowPos(app->analysisWindow.frame, nullptr, 130, 90, 380, 310, SWP_NOZORDER);
    RECT before;
    GetWindowRect(app->analysisWindow.frame, &before);
    app->SavePreferences();
    Restart();
    EXPECT_TRUE(IsWindowVisible(app->analysisWindow.frame));
    EXPECT_TRUE(MenuChecked());
    RECT after;
    GetWindowRect(app->analysisWindow.frame, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

} // namespace
