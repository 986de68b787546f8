// The Options dialog and its colour swatches, driven through their messages
// with the system colour chooser answered the way a user answers it.
#include <windows.h>

#include <colordlg.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "win_test_util.h"

namespace {

using OptionsDialog = AppTest;

const uint32_t kRed = 0xFF0000;

// Waits for the Options dialog and runs `act` on it.
DialogScript::Step OnOptions(std::function<void(HWND)> act) {
    return [act] {
        HWND dialog = FindDialog("Options");
        if (!dialog || FindDialog("Color"))
            return false;
        act(dialog);
        return true;
    };
}

// Clicks a swatch of the Options dialog, which opens the colour chooser.
DialogScript::Step ClickSwatch(int id) {
    return OnOptions(
        [id](HWND dialog) { PostMessageA(GetDlgItem(dialog, id), WM_LBUTTONDOWN, MK_LBUTTON, 0); });
}

// In the colour chooser: types red, green and blue into its fields; with
// `addCustom`, adds the colour to the custom colours; then presses OK.
DialogScript::Step ChooseColor(int r, int g, int b, bool addCustom = false) {
    return [=] {
        HWND chooser = FindDialog("Color");
        if (!chooser)
            return false;
        SetDlgItemInt(chooser, COLOR_RED, r, FALSE);
        SetDlgItemInt(chooser, COLOR_GREEN, g, FALSE);
        SetDlgItemInt(chooser, COLOR_BLUE, b, FALSE);
        if (addCustom)
            SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(chooser, COLOR_ADD)));
        PostClick(chooser, IDOK);
        return true;
    };
}

// In the colour chooser: picks the first custom colour with the mouse and
// presses OK.
DialogScript::Step ChooseFirstCustomColor() {
    return [] {
        HWND chooser = FindDialog("Color");
        if (!chooser)
            return false;
        RECT cells;
        GetWindowRect(GetDlgItem(chooser, COLOR_CUSTOM1), &cells);
        POINT point = {cells.left + 3, cells.top + 3};
        ScreenToClient(chooser, &point);
        SendMessageA(chooser, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        SendMessageA(chooser, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        PostClick(chooser, IDOK);
        return true;
    };
}

uint32_t SwatchColor(HWND dialog, int id) {
    return static_cast<uint32_t>(GetWindowLongA(GetDlgItem(dialog, id), 0));
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

TEST_F(OptionsDialog, ShowsTheCurrentSettingsAndCancelChangesNothing) {
    SetSlot(1, "x");
    SetSlot(2, "-x");
    ClickPlot();
    const std::vector<uint32_t> pixels(
        app->canvas.bits(), app->canvas.bits() + app->canvas.Width() * app->canvas.Height());
    const auto colors = app->graphColors;
    // Cancel, Escape through the dialog's keyboard handling, and the close box.
    const std::vector<std::function<void(HWND)>> closers = {
        [](HWND d) { PostClick(d, IDCANCEL); },
        [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0x00010001); },
        [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); },
    };
    for (size_t i = 0; i < closers.size(); ++i) {
        SCOPED_TRACE(i);
        DialogScript script({
            OnOptions([&](HWND d) {
                for (int n = 0; n < 8; ++n)
                    EXPECT_EQ(SwatchColor(d, IDC_GRAPH_COLOR1 + n), colors[n]);
                EXPECT_EQ(SwatchColor(d, IDC_BACK_COLOR), 0xFFFFFFu);
                EXPECT_EQ(SwatchColor(d, IDC_AXIS_COLOR), 0u);
                EXPECT_TRUE(Checked(d, IDC_MODE_RECTANGULAR));
                EXPECT_TRUE(Checked(d, IDC_SHOW_AXES));
                CheckDlgButton(d, IDC_SHOW_AXES, BST_UNCHECKED);
                CheckRadioButton(d, IDC_MODE_RECTANGULAR, IDC_MODE_POLAR, IDC_MODE_POLAR);
            }),
            ClickSwatch(IDC_GRAPH_COLOR2),
            ChooseColor(255, 0, 0),
            OnOptions([&](HWND d) {
                EXPECT_EQ(SwatchColor(d, IDC_GRAPH_COLOR2), kRed)
                    << "the chooser's colour is shown";
                closers[i](d);
            }),
        });
        Menu(IDM_OPTIONS);
    }
    EXPECT_EQ(app->graphColors, colors);
    EXPECT_TRUE(app->showAxes);
    EXPECT_EQ(app->plotter.mode, Rectangular);
    EXPECT_EQ(Field(IDC_EQUATION1), "x");
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), app->canvas.bits()));
}

// A colour picked as pure red becomes the word 0xFF0000, and OK redraws the
// graph with it.
TEST_F(OptionsDialog, PickedColourIsStoredAndDrawn) {
    SetSlot(2, "x");
    ClickPlot();
    ASSERT_EQ(CountColor(kRed), 0u);
    DialogScript script({ClickSwatch(IDC_GRAPH_COLOR2), ChooseColor(255, 0, 0),
                         OnOptions([](HWND d) { PostClick(d, IDOK); })});
    Click(IDC_OPTIONS);
    EXPECT_EQ(app->graphColors[1], kRed);
    EXPECT_GT(CountColor(kRed), 0u);
    EXPECT_EQ(CountColor(0x00FF00), 0u);
    EXPECT_TRUE(CanvasIsRendered());
}

TEST_F(OptionsDialog, DefaultsThenOkRestoresTheBuiltInSettings) {
    Menu(IDM_PARAMETRIC);
    SetSlot(1, "cos(t)");
    SetSlot(2, "sin(t)");
    ClickPlot();
    GraphOptions changed;
    app->GetOptions(changed);
    changed.graphColors[0] = 0x123456;
    changed.backColor = 0x654321;
    changed.axisColor = 0xABCDEF;
    changed.showAxes = false;
    app->ApplyOptions(changed);

    DialogScript script({OnOptions([](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_MODE_PARAMETRIC));
        EXPECT_FALSE(Checked(d, IDC_SHOW_AXES));
        PostClick(d, IDC_OPTIONS_DEFAULTS);
        PostClick(d, IDOK);
    })});
    Menu(IDM_OPTIONS);
    const GraphOptions defaults;
    EXPECT_EQ(app->graphColors, defaults.graphColors);
    EXPECT_EQ(app->graphColors[7], 0xFF7F00u) << "graph 8 orange";
    EXPECT_EQ(app->backColor, 0xFFFFFFu);
    EXPECT_EQ(app->axisColor, 0u);
    EXPECT_TRUE(app->showAxes);
    EXPECT_EQ(app->plotter.mode, Rectangular);
    EXPECT_EQ(Field(IDC_EQUATION1), "") << "the mode change empties the fields";
    EXPECT_EQ(app->equations[0], "");
    EXPECT_TRUE(CanvasIsRendered());
}

TEST_F(OptionsDialog, ModeOutsideTheRangeChecksNoRadioButtonAndOkGivesPolar) {
    GraphOptions odd;
    app->GetOptions(odd);
    odd.mode = 7;
    app->ApplyOptions(odd);
    DialogScript script({OnOptions([](HWND d) {
        for (int id : {IDC_MODE_RECTANGULAR, IDC_MODE_PARAMETRIC, IDC_MODE_POLAR})
            EXPECT_FALSE(Checked(d, id)) << id;
        PostClick(d, IDOK);
    })});
    Menu(IDM_OPTIONS);
    EXPECT_EQ(app->plotter.mode, Polar);
}

// Custom colours made in one use of the chooser are there in the next,
// also from another swatch in a later Options dialog.
TEST_F(OptionsDialog, CustomColoursLastForTheRun) {
    {
        DialogScript script({ClickSwatch(IDC_GRAPH_COLOR1), ChooseColor(12, 34, 56, true),
                             OnOptions([](HWND d) { PostClick(d, IDOK); })});
        Menu(IDM_OPTIONS);
    }
    EXPECT_EQ(app->graphColors[0], 0x0C2238u);
    {
        DialogScript script({ClickSwatch(IDC_AXIS_COLOR), ChooseFirstCustomColor(),
                             OnOptions([](HWND d) { PostClick(d, IDOK); })});
        Menu(IDM_OPTIONS);
    }
    EXPECT_EQ(app->axisColor, 0x0C2238u);
}

// Each swatch paints its whole client area in its colour, converted for GDI.
TEST_F(OptionsDialog, SwatchesPaintTheirColours) {
    GraphOptions options;
    app->GetOptions(options);
    options.graphColors[2] = 0x112233;
    app->ApplyOptions(options);
    DialogScript script({OnOptions([](HWND d) {
        for (int id : {IDC_GRAPH_COLOR1, IDC_GRAPH_COLOR3, IDC_AXIS_COLOR}) {
            HWND swatch = GetDlgItem(d, id);
            UpdateWindow(swatch);
            RECT r;
            GetClientRect(swatch, &r);
            HDC dc = GetDC(swatch);
            const COLORREF want = SwatchColor(d, id);
            for (POINT p : {POINT{0, 0}, POINT{r.right / 2, r.bottom / 2},
                            POINT{r.right - 1, r.bottom - 1}}) {
                const COLORREF got = GetPixel(dc, p.x, p.y);
                EXPECT_EQ(GetRValue(got), (want >> 16) & 0xFF) << id;
                EXPECT_EQ(GetGValue(got), (want >> 8) & 0xFF) << id;
                EXPECT_EQ(GetBValue(got), want & 0xFF) << id;
            }
            ReleaseDC(swatch, dc);
        }
        PostClick(d, IDCANCEL);
    })});
    Menu(IDM_OPTIONS);
}

} // namespace

namespace {

// Smooth curves: the check box, the picture it gives, and its registry value
// across runs. A program that never turned it on stores nothing; once
// stored, the value follows the option (Defaults turns it off).
TEST_F(OptionsDialog, SmoothCurvesAreDrawnAndRememberedAcrossRuns) {
    SetSlot(1, "sin(x)*5");
    ClickPlot();
    const std::vector<uint32_t> plain(app->canvas.bits(),
                                      app->canvas.bits() +
                                          size_t(app->canvas.Width()) * app->canvas.Height());
    app->SavePreferences();
    int32_t stored = -1;
    EXPECT_FALSE(app->ReadIntEither("Smooth_Curves", &stored)) << "stored without being used";

    {
        DialogScript script({OnOptions([](HWND d) {
            char text[32] = {};
            GetDlgItemTextA(d, IDC_SMOOTH_CURVES, text, sizeof text);
            EXPECT_STREQ(text, "Smooth curves");
            EXPECT_FALSE(Checked(d, IDC_SMOOTH_CURVES));
            PostMessageA(GetDlgItem(d, IDC_SMOOTH_CURVES), BM_CLICK, 0, 0); // as a mouse click
            PostClick(d, IDOK);
        })});
        Menu(IDM_OPTIONS);
    }
    EXPECT_TRUE(app->model.style.smoothCurves);
    EXPECT_FALSE(std::equal(plain.begin(), plain.end(), app->canvas.bits()))
        << "the graph was not drawn again smooth";
    app->SavePreferences();
    ASSERT_TRUE(app->ReadIntEither("Smooth_Curves", &stored));
    EXPECT_EQ(stored, 1);

    // The dialog shows it checked; Defaults turns it off (Cancel keeps it).
    {
        DialogScript defaults({OnOptions([](HWND d) {
            EXPECT_TRUE(Checked(d, IDC_SMOOTH_CURVES));
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_OPTIONS_DEFAULTS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_OPTIONS_DEFAULTS)));
            EXPECT_FALSE(Checked(d, IDC_SMOOTH_CURVES)) << "Defaults turns it off";
            PostClick(d, IDCANCEL);
        })});
        Menu(IDM_OPTIONS);
    }
    EXPECT_TRUE(app->model.style.smoothCurves);

    Restart();
    EXPECT_TRUE(app->model.style.smoothCurves) << "not read back";
    // Off again (as Defaults and OK leave it): the stored value follows.
    app->ApplyOptions(app->defaultOptions);
    EXPECT_FALSE(app->model.style.smoothCurves);
    app->SavePreferences();
    ASSERT_TRUE(app->ReadIntEither("Smooth_Curves", &stored));
    EXPECT_EQ(stored, 0);
    Restart();
    EXPECT_FALSE(app->model.style.smoothCurves);
}

} // namespace
