// The real main window, made in-process and driven with messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/graph_document.h"
#include "res/resource.h"
#include "win_test_util.h"

namespace {

const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlack = 0, kWhite = 0xFFFFFF;

std::string MenuState(HWND frame, int id) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_FTYPE;
    if (!GetMenuItemInfoA(GetMenu(frame), id, FALSE, &info))
        return "missing";
    // Only the checked item's kind of mark matters: systems differ in what
    // they leave on the unchecked ones.
    if (!(info.fState & MFS_CHECKED))
        return "unchecked";
    return (info.fType & MFT_RADIOCHECK) ? "checked radio" : "checked";
}

std::string Label(HWND dialog, int id) {
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using MainWindow = AppTest;

TEST_F(MainWindow, StartsWithDefaults) {
    EXPECT_EQ(app->plotter.mode, Rectangular);
    EXPECT_EQ(Label(app->mainDialog, IDC_LABEL1), "y1=f(x)");
    EXPECT_EQ(Label(app->mainDialog, IDC_LABEL8), "y8=f(x)");
    EXPECT_EQ(MenuState(app->frameWindow, IDM_RECTANGULAR), "checked radio");
    EXPECT_EQ(MenuState(app->frameWindow, IDM_PARAMETRIC), "unchecked");
    for (int id : {IDC_X_MIN, IDC_Y_MIN, IDC_START})
        EXPECT_EQ(Field(id), "-10.000000");
    for (int id : {IDC_X_MAX, IDC_Y_MAX, IDC_STOP})
        EXPECT_EQ(Field(id), "10.000000");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(app->mainDialog, IDC_START)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(app->mainDialog, IDC_STOP)));
    EXPECT_TRUE(app->showAxes);
    // White background, black axes crossing in the middle.
    const int row = app->plotter.YToRow(0), column = app->plotter.XToColumn(0);
    EXPECT_EQ(Pixel(0, 0), kWhite);
    EXPECT_EQ(Pixel(0, row), kBlack);
    EXPECT_EQ(Pixel(column, 0), kBlack);
    EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(MainWindow, PlotButtonDrawsTheFirstSlotInRed) {
    SetSlot(1, "5");
    ClickPlot();
    const int row = app->plotter.YToRow(5);
    EXPECT_EQ(row, app->canvas.Height() - static_cast<int>(0.75 * app->canvas.Height() + 0.5));
    for (int x = 0; x < app->canvas.Width(); ++x)
        ASSERT_EQ(Pixel(x, row), kRed) << "column " << x;
    EXPECT_EQ(app->equations[0], "5");
    EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(MainWindow, MenuAndAcceleratorPlotToo) {
    SetSlot(2, "x");
    Menu(IDM_PLOT);
    EXPECT_GT(CountColor(kGreen), 0u);
    EXPECT_EQ(app->equations[1], "x");

    // Ctrl+T through the application's own message loop.
    SetSlot(2, "");
    SetSlot(1, "-x");
    KeyWith(VK_CONTROL, WM_KEYDOWN, 'T', 0x00140001);
    EXPECT_EQ(app->equations[0], "-x");
    EXPECT_EQ(app->equations[1], "");
    EXPECT_GT(CountColor(kRed), 0u);
    EXPECT_EQ(CountColor(kGreen), 0u);
}

TEST_F(MainWindow, RangeFieldsAreReadAndRewritten) {
    const struct {
        const char* xMin;
        const char* xMax;
        double wantMin, wantMax;
        const char* shownMin;
    } cases[] = {
        {"-2", "2.5e1x", -2, 25, "-2.000000"},
        {"abc", "3", 0, 3, "0.000000"},
        {"", "1", 0, 1, "0.000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xMin);
        SetField(IDC_X_MIN, c.xMin);
        SetField(IDC_X_MAX, c.xMax);
        ClickPlot();
        EXPECT_EQ(app->plotter.xMin, c.wantMin);
        EXPECT_EQ(app->plotter.xMax, c.wantMax);
        EXPECT_EQ(Field(IDC_X_MIN), c.shownMin);
    }
    EXPECT_TRUE(answerer->Shown().empty());
}

// Whatever a number field is given reads back as the number its text shows,
// so that pressing Plot again changes nothing.
TEST_F(MainWindow, NumberFieldsReadBackWhatTheyShow) {
    const double values[] = {DBL_MAX, -DBL_MAX, DBL_MIN, -0.0, 4.9e-324, 1e100, -123.4567891};
    for (double value : values) {
        SCOPED_TRACE(value);
        SetFieldNumber(app->mainDialog, IDC_START, value);
        char shown[400];
        snprintf(shown, sizeof shown, "%f", value);
        EXPECT_EQ(Field(IDC_START), shown);
        const double read = GetFieldNumber(app->mainDialog, IDC_START);
        EXPECT_EQ(read, strtod(shown, nullptr));
        EXPECT_EQ(std::signbit(read), std::signbit(strtod(shown, nullptr)));
    }
    SetField(IDC_X_MAX, "1e100");
    ClickPlot();
    ClickPlot();
    EXPECT_EQ(app->plotter.xMax, 1e100);
}

TEST_F(MainWindow, RefusalsShowTheirMessages) {
    const struct {
        const char* name;
        int mode; // menu command, 0 for none
        const char* xMin;
        const char* start;
        const char* slot1;
        const char* slot2;
        const char* text;
        const char* caption;
    } cases[] = {
        {"equal bounds", 0, "10", "-10", "", "", "Invalid range", "Error"},
        {"nan bound", 0, "nan", "-10", "", "", "Invalid range", "Error"},
        {"rectangular t", 0, "-10", "-10", "t", "", "Unable to evaluate the expression t",
         "Error in expression"},
        {"undefined a", 0, "-10", "-10", "a*x", "", "Unable to evaluate the expression a*x",
         "Error in expression"},
        {"parametric x", IDM_PARAMETRIC, "-10", "-10", "x", "t",
         "Unable to evaluate the expression x", "Error in expression"},
        {"unpaired", IDM_PARAMETRIC, "-10", "-10", "cos(t)", "",
         "Parametric equations must be in pairs", "Error"},
        {"infinite start", IDM_POLAR, "-10", "1e999", "t", "", "Invalid start and stop", "Error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Menu(c.mode ? c.mode : IDM_RECTANGULAR);
        SetField(IDC_X_MIN, c.xMin);
        SetField(IDC_START, c.start);
        SetSlot(1, c.slot1);
        SetSlot(2, c.slot2);
        answerer->Clear();
        const std::string before = app->equations[0];
        ClickPlot();
        ASSERT_EQ(answerer->Shown().size(), 1u);
        EXPECT_EQ(answerer->Shown()[0].text, c.text);
        EXPECT_EQ(answerer->Shown()[0].caption, c.caption);
        EXPECT_EQ(answerer->Shown()[0].icon, "warning");
        EXPECT_EQ(app->equations[0], before) << "accepted equations stay";
    }
    // A refused range leaves the previous one in force.
    EXPECT_EQ(app->plotter.xMin, -10);
}

TEST_F(MainWindow, ModeCommandsRelabelEnableAndMark) {
    SetSlot(1, "sin(x)");
    Menu(IDM_PARAMETRIC);
    EXPECT_EQ(Label(app->mainDialog, IDC_LABEL1), "x1=f(t)");
    EXPECT_EQ(Label(app->mainDialog, IDC_LABEL2), "y1=f(t)");
    EXPECT_EQ(Label(app->mainDialog, IDC_LABEL8), "y4=f(t)");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(app->mainDialog, IDC_START)));
    EXPECT_EQ(MenuState(app->frameWindow, IDM_PARAMETRIC), "checked radio");
    EXPECT_EQ(MenuState(app->frameWindow, IDM_RECTANGULAR), "unchecked");
    EXPECT_EQ(Field(IDC_EQUATION1), "") << "a real mode change empties the fields";

    SetSlot(1, "cos(t)");
    Menu(IDM_PARAMETRIC);
    EXPECT_EQ(Field(IDC_EQUATION1), "cos(t)") << "the same mode keeps them";

    Menu(IDM_POLAR);
    EXPECT_EQ(Label(app->mainDialog, IDC_LABEL3), "r=f(t)");
    EXPECT_EQ(MenuState(app->frameWindow, IDM_POLAR), "checked radio");
    Menu(IDM_RECTANGULAR);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(app->mainDialog, IDC_STOP)));
    EXPECT_EQ(Label(app->mainDialog, IDC_LABEL5), "y5=f(x)");
}

TEST_F(MainWindow, ParametricPairsUseColoursOneToFour) {
    Menu(IDM_PARAMETRIC);
    const char* slots[8] = {"cos(t)",   "sin(t)",   "2*cos(t)", "2*sin(t)",
                            "3*cos(t)", "3*sin(t)", "4*cos(t)", "4*sin(t)"};
    for (int i = 0; i < 8; ++i)
        SetSlot(i + 1, slots[i]);
    ClickPlot();
    for (int k = 0; k < 4; ++k)
        EXPECT_GT(CountColor(app->graphColors[k]), 0u) << "colour " << k + 1;
    for (int k = 4; k < 8; ++k)
        EXPECT_EQ(CountColor(app->graphColors[k]), 0u) << "colour " << k + 1;
}

// The window shows exactly what the portable renderer draws at its size.
TEST_F(MainWindow, CanvasEqualsThePortableRenderer) {
    SetSlot(1, "sin(x)*x");
    SetSlot(3, "tan(x)");
    SetSlot(8, "sqrt(x)");
    ClickPlot();
    EXPECT_TRUE(CanvasIsRendered());
}

// orvanta-cli plot, run as its own Windows process, writes the same picture.
TEST_F(MainWindow, AgreesWithTheCommandLineTool) {
    SetSlot(1, "sin(x)");
    SetSlot(2, "x^2/10");
    SetSlot(3, "1/x");
    ClickPlot();
    const std::string window = TempPath("orvanta-window.bmp");
    const std::string tool = TempPath("orvanta-cli.bmp");
    ASSERT_TRUE(app->canvas.SaveBMP(window.c_str()));

    char command[2048];
    snprintf(command, sizeof command,
             "\"%s\" plot --size %dx%d -o \"%s\" \"sin(x)\" \"x^2/10\" \"1/x\"", ORVANTA_CLI_PATH,
             app->canvas.Width(), app->canvas.Height(), tool.c_str());
    EXPECT_EQ(RunProgram(command), 0u) << command;
    const std::string a = ReadFile(window), b = ReadFile(tool);
    EXPECT_FALSE(a.empty());
    EXPECT_TRUE(a == b) << "the window's BMP differs from orvanta-cli's";
    DeleteFileA(window.c_str());
    DeleteFileA(tool.c_str());
}

// The width a static control needs for its text in its own font, against
// the width it has; "" when every static of the window fits.
std::string StaticsThatDoNotFit(HWND window) {
    std::string cut;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {}, text[256] = {};
        GetClassNameA(child, className, sizeof className);
        if (std::string(className) != "Static" || !GetWindowTextA(child, text, sizeof text))
            continue;
        HDC dc = GetDC(child);
        HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
        SIZE needed = {};
        GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &needed);
        SelectObject(dc, previous);
        ReleaseDC(child, dc);
        RECT client;
        GetClientRect(child, &client);
        if (needed.cx > client.right || needed.cy > client.bottom)
            cut += std::string(" \"") + text + "\" needs " + std::to_string(needed.cx) + " of " +
                   std::to_string(client.right);
    }
    return cut;
}

TEST_F(MainWindow, EveryLabelIsReadable) {
    for (int mode : {IDM_RECTANGULAR, IDM_PARAMETRIC, IDM_POLAR}) {
        Menu(mode);
        EXPECT_EQ(StaticsThatDoNotFit(app->mainDialog), "") << "mode " << mode;
    }
    DialogScript script({[] {
        HWND options = FindDialog("Options");
        if (!options)
            return false;
        EXPECT_EQ(StaticsThatDoNotFit(options), "") << "Options dialog";
        PostClick(options, IDCANCEL);
        return true;
    }});
    Menu(IDM_OPTIONS);
}

TEST_F(MainWindow, TinyFrameGivesATenByTenGraph) {
    SetWindowPos(app->frameWindow, nullptr, 0, 0, 60, 60, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(app->canvas.Width(), 10);
    EXPECT_EQ(app->canvas.Height(), 10);
    SetWindowPos(app->frameWindow, nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_GT(app->canvas.Width(), 100);
    EXPECT_EQ(app->plotter.width, app->canvas.Width());
    EXPECT_EQ(app->plotter.pixels, app->canvas.bits());
    // The export image wraps the new pixels.
    ASSERT_NE(app->exportImage, nullptr);
    EXPECT_EQ(app->exportImage->getWidth(), app->canvas.Width());
    EXPECT_EQ(app->exportImage->getHeight(), app->canvas.Height());
}

TEST_F(MainWindow, PreferencesAreSavedAndLoaded) {
    Menu(IDM_PARAMETRIC);
    app->graphColors[2] = 0x123456;
    app->showAxes = false;
    app->SavePreferences();
    int32_t mode = -1, color = 0, axes = 1;
    ASSERT_TRUE(app->ReadIntEither("Graph_Mode", &mode));
    ASSERT_TRUE(app->ReadIntEither("Graph_Color_3", &color));
    ASSERT_TRUE(app->ReadIntEither("Show_Axes", &axes));
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(color, 0x123456);
    EXPECT_EQ(axes, 0);

    // A new application object starts from what was stored.
    Restart();
    EXPECT_EQ(app->plotter.mode, Parametric);
    EXPECT_EQ(Label(app->mainDialog, IDC_LABEL1), "x1=f(t)");
    EXPECT_EQ(MenuState(app->frameWindow, IDM_PARAMETRIC), "checked radio");
    EXPECT_EQ(app->graphColors[2], 0x123456u);
    EXPECT_FALSE(app->showAxes);
    EXPECT_EQ(Field(IDC_X_MIN), "-10.000000") << "ranges are not preferences";
}

// A stored value the program never writes counts as missing: the window
// starts with the default in its place, and plots and saves as usual. Two
// runs, each with every value out of its range in another way.
TEST_F(MainWindow, OutOfRangePreferencesAreMissing) {
    const std::vector<std::pair<const char*, int32_t>> runs[] = {
        {{"Graph_Mode", 3}, {"Graph_Color_1", 0x1000000}, {"Back_Color", INT32_MIN},
         {"Smooth_Curves", 5}, {"Show_Analysis", 7}},
        {{"Graph_Mode", -1}, {"Graph_Color_8", -1}, {"Axis_Color", INT32_MAX},
         {"Smooth_Curves", -1}, {"Show_Analysis", 2}},
    };
    const GraphOptions defaults;
    for (const auto& values : runs) {
        SCOPED_TRACE(testing::Message() << "Graph_Mode = " << values[0].second);
        ClearProgramKey();
        for (const auto& [name, value] : values)
            app->WriteIntBoth(name, value);
        Restart();
        answerer->Clear();
        EXPECT_EQ(app->plotter.mode, Rectangular);
        EXPECT_EQ(MenuState(app->frameWindow, IDM_RECTANGULAR), "checked radio");
        EXPECT_EQ(app->graphColors, defaults.graphColors);
        EXPECT_EQ(app->backColor, defaults.backColor);
        EXPECT_EQ(app->axisColor, defaults.axisColor);
        EXPECT_FALSE(app->model.style.smoothCurves);
        EXPECT_FALSE(app->analysisWindow.IsShown());
        SetSlot(1, "x^2");
        ClickPlot();
        EXPECT_EQ(app->equations[0], "x^2");
        for (const ShownMessage& shown : answerer->Shown())
            ADD_FAILURE() << "message: " << shown.text;
        const std::optional<std::string> problem = DocumentProblem(app->model.Document());
        EXPECT_FALSE(problem) << *problem;
    }
}

TEST(Startup, FailureIsReported) {
    // A window class of the program taken already makes start-up fail: one
    // of the main window's, and one of the Immediate window's.
    for (const char* taken : {"Graph", "Immediate"}) {
        SCOPED_TRACE(taken);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = taken;
        ASSERT_TRUE(RegisterClassA(&wc));
        {
            MessageBoxAnswerer answerer;
            GraphApp app;
            OrvantaPrefs prefs(&app);
            app.Init(GetModuleHandleA(nullptr), &prefs);
            app.Run();
            ASSERT_EQ(answerer.Shown().size(), 1u);
            EXPECT_EQ(answerer.Shown()[0].text, "Application failed in startup");
            EXPECT_EQ(answerer.Shown()[0].caption, "Startup failed");
            EXPECT_EQ(answerer.Shown()[0].icon, "error");
        }
        UnregisterClassA(taken, GetModuleHandleA(nullptr));
        ClearProgramKey();
    }
}

} // namespace
