// The program at the display resolution of the prefix it runs in: the
// manifest makes it per-monitor aware, the dialogs scale from their dialog
// units, and what the program draws itself (the graph, the rulers, the
// Immediate history) has the pixels and the font sizes of that resolution.
// The ctest lane runs this at 96 dots per inch and, in a second prefix, at
// 192 (ORVANTA_EXPECT_DPI says which).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "plot/dpi_scale.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win_test_util.h"

namespace {

using Resolution = AppTest;

// The rows from the first to the last that hold a pixel `ink` accepts, from
// row `top` down; 0 when none does.
template <class Ink>
int InkHeight(HWND window, int top, Ink ink) {
    RECT client;
    GetClientRect(window, &client);
    const std::vector<uint32_t> pixels = ShownPixels(window);
    int first = -1, last = -1;
    for (int y = top; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            if (ink(pixels[static_cast<size_t>(y) * client.right + x])) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

bool Dark(uint32_t pixel) {
    return ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF) < 3 * 96;
}

LOGFONTA FontOf(HFONT font) {
    LOGFONTA info = {};
    GetObjectA(font, sizeof info, &info);
    return info;
}

int TextHeight(HWND window, HFONT font) {
    WindowDC dc(window);
    SelectGuard select(dc.get(), font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc.get(), &metrics);
    return metrics.tmHeight;
}

RECT ClientRectIn(HWND control, HWND parent) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE ClientSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

TEST_F(Resolution, DrawnPartsScaleWithTheDisplay) {
    const auto dpi = static_cast<int32_t>(WindowDpi(app->frameWindow));
    if (const char* expected = std::getenv("ORVANTA_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected)) << "the prefix's LogPixels did not reach the program";
    }
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE)
        << "the manifest did not make the program per-monitor aware";

    // The dialog's font is its 8 points at this resolution, and the Graph
    // control's layout comes from dialog units in that font.
    const HFONT font = DialogFont(app->graphControl);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(FontOf(font).lfHeight, -MulDiv(8, dpi, 72));

    // The canvas has every pixel of the Graph control: nothing is stretched.
    const SIZE graph = ClientSize(app->graphControl);
    EXPECT_EQ(app->canvas.Width(), graph.cx);
    EXPECT_EQ(app->canvas.Height(), graph.cy);
    EXPECT_TRUE(CanvasIsRendered());

    // The rulers' labels are written in a font of this resolution: their
    // ink, below the tick marks, is at least half the dialog font's height
    // (a font of 96 dpi size leaves a third of it at 192).
    const int textHeight = TextHeight(app->horzScale, font);
    app->RefreshRulers();
    const int rulerInk = InkHeight(app->horzScale, ScaleToDpi(3, dpi), Dark);
    EXPECT_GE(2 * rulerInk, textHeight) << "ruler label ink " << rulerInk;
    EXPECT_LE(rulerInk, textHeight);

    // The Immediate window: its first size, its rows as high as its input
    // field, its text in the dialog's font.
    ImmWindow& imm = app->immWindow;
    RECT frame;
    GetWindowRect(imm.immFrame, &frame);
    EXPECT_EQ(frame.right - frame.left, ScaleToDpi(300, dpi));
    EXPECT_EQ(frame.bottom - frame.top, ScaleToDpi(200, dpi));
    Menu(IDM_IMMEDIATE);
    SetWindowTextA(imm.inputEdit, "8");
    imm.SubmitLine();
    RECT field;
    GetWindowRect(imm.inputEdit, &field);
    EXPECT_EQ(imm.lineHeight, field.bottom - field.top);
    const int historyInk =
        InkHeight(imm.historyControl, 0, [](uint32_t pixel) { return pixel == 0x0000FF; });
    EXPECT_GE(2 * historyInk, TextHeight(imm.historyControl, font)) << "history ink " << historyInk;
}

// A move to a display of another resolution: the frame takes the suggested
// rectangle, the graph's margins scale and the canvas follows the control.
TEST_F(Resolution, FrameFollowsAResolutionChange) {
    const UINT dpi = WindowDpi(app->frameWindow);
    // Wide enough for the graph beside the dialog's fields, and small enough
    // that a quarter larger still fits on the screen.
    SetWindowPos(app->frameWindow, nullptr, 10, 10, ScaleToDpi(460, dpi), ScaleToDpi(300, dpi),
                 SWP_NOZORDER);
    RECT before;
    GetWindowRect(app->frameWindow, &before);
    const RECT graphBefore = ClientRectIn(app->graphControl, app->mainDialog);
    RECT dialog;
    GetClientRect(app->mainDialog, &dialog);
    const int rightMargin = dialog.right - graphBefore.right;

    for (const UINT target : {dpi * 5 / 4, dpi}) {
        SCOPED_TRACE("to " + std::to_string(target));
        const RECT suggested = {before.left + 20, before.top + 10,
                                before.left + 20 + MulDiv(before.right - before.left, target, dpi),
                                before.top + 10 + MulDiv(before.bottom - before.top, target, dpi)};
        SendMessageA(app->frameWindow, WM_DPICHANGED, MAKEWPARAM(target, target),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT now;
        GetWindowRect(app->frameWindow, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested))
            << now.left << "," << now.top << " " << now.right << "," << now.bottom;
        const RECT graph = ClientRectIn(app->graphControl, app->mainDialog);
        GetClientRect(app->mainDialog, &dialog);
        EXPECT_EQ(graph.left, MulDiv(graphBefore.left, target, dpi));
        EXPECT_EQ(graph.top, MulDiv(graphBefore.top, target, dpi));
        EXPECT_EQ(dialog.right - graph.right, MulDiv(rightMargin, target, dpi));
        const SIZE size = ClientSize(app->graphControl);
        EXPECT_EQ(app->canvas.Width(), size.cx);
        EXPECT_EQ(app->canvas.Height(), size.cy);
        EXPECT_TRUE(CanvasIsRendered());
    }
}

// The Immediate window on such a move: the suggested rectangle, and the
// strip under the history as high as the field at the new resolution.
TEST_F(Resolution, ImmediateWindowFollowsAResolutionChange) {
    ImmWindow& imm = app->immWindow;
    const UINT dpi = WindowDpi(imm.immFrame);
    const int32_t lineHeight = imm.lineHeight;
    RECT before;
    GetWindowRect(imm.immFrame, &before);
    for (const UINT target : {dpi * 3 / 2, dpi}) {
        SCOPED_TRACE("to " + std::to_string(target));
        const RECT suggested = {before.left + 5, before.top + 5,
                                before.left + 5 + MulDiv(before.right - before.left, target, dpi),
                                before.top + 5 + MulDiv(before.bottom - before.top, target, dpi)};
        SendMessageA(imm.immFrame, WM_DPICHANGED, MAKEWPARAM(target, target),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT now;
        GetWindowRect(imm.immFrame, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested));
        EXPECT_EQ(imm.lineHeight, MulDiv(lineHeight, target, dpi));
        RECT field, history, client;
        GetWindowRect(imm.inputEdit, &field);
        EXPECT_EQ(field.bottom - field.top, imm.lineHeight);
        GetClientRect(imm.historyControl, &history);
        GetClientRect(imm.immFrame, &client);
        EXPECT_EQ(client.bottom - history.bottom,
                  imm.lineHeight + 2 * ScaleToDpi(5, static_cast<int32_t>(target)));
    }
}

// The Analysis window: its first size (its whole dialog) and its lists'
// fixed-pitch font at this resolution, and both again after a move to another one, where the
// list still reaches down to the rows under it.
TEST_F(Resolution, AnalysisWindowScalesAndFollowsAResolutionChange) {
    AnalysisWindow& analysis = app->analysisWindow;
    const UINT dpi = WindowDpi(analysis.frame);
    RECT before;
    GetWindowRect(analysis.frame, &before);
    // The whole dialog, 280 x 230 dialog units in the font of this
    // resolution, fits its first size.
    RECT dialog = {0, 0, 280, 230};
    MapDialogRect(analysis.dialog, &dialog);
    const SIZE client = ClientSize(analysis.frame);
    EXPECT_EQ(client.cx, dialog.right);
    EXPECT_EQ(client.cy, dialog.bottom);
    const auto listFont = [&] {
        return reinterpret_cast<HFONT>(
            SendMessageA(GetDlgItem(analysis.dialog, IDC_ANALYSIS_LIST), WM_GETFONT, 0, 0));
    };
    EXPECT_EQ(FontOf(listFont()).lfHeight, -MulDiv(9, static_cast<int>(dpi), 72));
    const auto gapUnderList = [&] {
        return ClientRectIn(GetDlgItem(analysis.dialog, IDC_ANALYSIS_X), analysis.dialog).top -
               ClientRectIn(GetDlgItem(analysis.dialog, IDC_ANALYSIS_LIST), analysis.dialog).bottom;
    };
    const LONG gap = gapUnderList();
    EXPECT_GT(gap, 0);
    // Two thirds of the first size, so that one and a half times it still
    // fits the test display at 200 % (a window larger than the screen is
    // held to the screen's size).
    SetWindowPos(analysis.frame, nullptr, 0, 0, (before.right - before.left) * 2 / 3,
                 (before.bottom - before.top) * 2 / 3, SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(analysis.frame, &before);
    for (const UINT target : {dpi * 3 / 2, dpi}) {
        SCOPED_TRACE("to " + std::to_string(target));
        const RECT suggested = {before.left + 5, before.top + 5,
                                before.left + 5 + MulDiv(before.right - before.left, target, dpi),
                                before.top + 5 + MulDiv(before.bottom - before.top, target, dpi)};
        SendMessageA(analysis.frame, WM_DPICHANGED, MAKEWPARAM(target, target),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT now;
        GetWindowRect(analysis.frame, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested));
        EXPECT_EQ(FontOf(listFont()).lfHeight, -MulDiv(9, static_cast<int>(target), 72));
        EXPECT_EQ(gapUnderList(), MulDiv(gap, static_cast<int>(target), static_cast<int>(dpi)));
    }
}

} // namespace

namespace {

// The width `text` needs in the control's own font.
LONG TextWidth(HWND control, const std::string& text) {
    WindowDC dc(control);
    SelectGuard select(dc.get(), reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE needed = {};
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed);
    return needed.cx;
}

// The width an edit control lays its text out in.
LONG FormattingWidth(HWND edit) {
    RECT r = {};
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r.right - r.left;
}

// The Step fields show the widest number of the default range whole, and
// stay inside their group beside readable labels.
TEST_F(Resolution, StepFieldsShowTheirNumbersWhole) {
    Menu(IDM_POLAR);
    SetField(IDC_START, "-10.000000");
    SetField(IDC_STOP, "-10.000000");
    const RECT group = ClientRectIn(GetDlgItem(app->mainDialog, IDC_STEP_GROUP), app->mainDialog);
    for (int id : {IDC_START, IDC_STOP}) {
        SCOPED_TRACE(id);
        HWND field = GetDlgItem(app->mainDialog, id);
        EXPECT_LE(TextWidth(field, "-10.000000"), FormattingWidth(field));
        const RECT r = ClientRectIn(field, app->mainDialog);
        EXPECT_TRUE(r.left > group.left && r.right < group.right) << "outside the Step group";
    }
    for (int id : {IDC_START_LABEL, IDC_STOP_LABEL}) {
        HWND label = GetDlgItem(app->mainDialog, id);
        char text[16] = {};
        GetWindowTextA(label, text, sizeof text);
        EXPECT_LE(TextWidth(label, text), ClientSize(label).cx) << text;
    }
}

// The Help text in a fixed-pitch font of the dialog font's size at this
// resolution, every line laid out whole.
TEST_F(Resolution, HelpTextIsFixedPitchAndEveryLineFits) {
    DialogScript script({[&] {
        HWND help = FindDialog("Orvanta Help");
        if (!help)
            return false;
        HWND edit = GetDlgItem(help, IDC_HELP_TEXT);
        const auto font = reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0));
        const auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(help, WM_GETFONT, 0, 0));
        {
            WindowDC dc(edit);
            SelectGuard select(dc.get(), font);
            TEXTMETRICA metrics = {};
            GetTextMetricsA(dc.get(), &metrics);
            // The flag set means variable pitch.
            EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "not fixed pitch";
        }
        EXPECT_EQ(FontOf(font).lfHeight, FontOf(dialogFont).lfHeight);
        char text[1200] = {};
        GetWindowTextA(edit, text, sizeof text);
        const std::string all = text;
        const LONG width = FormattingWidth(edit);
        for (size_t start = 0; start < all.size();) {
            const size_t end = std::min(all.find("\r\n", start), all.size());
            const std::string line = all.substr(start, end - start);
            EXPECT_LE(TextWidth(edit, line), width) << line;
            start = end + 2;
        }
        size_t breaks = 0;
        for (size_t at = all.find("\r\n"); at != std::string::npos; at = all.find("\r\n", at + 2))
            ++breaks;
        EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), LRESULT(breaks + 1))
            << "a line wrapped";
        PostClick(help, IDOK);
        return true;
    }});
    Menu(IDM_HELP);
}

// Without a stored placement the frame first shows the whole main dialog,
// inside the work area (or fills it where the dialog is larger).
TEST_F(Resolution, FirstSizeShowsTheWholeMainDialog) {
    RECT wanted = {0, 0, 582, 417};
    ASSERT_TRUE(MapDialogRect(app->mainDialog, &wanted));
    RECT frame, client;
    GetWindowRect(app->frameWindow, &frame);
    GetClientRect(app->frameWindow, &client);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(app->frameWindow, MONITOR_DEFAULTTONEAREST),
                                &monitor));
    const RECT& work = monitor.rcWork;
    EXPECT_TRUE(frame.left >= work.left && frame.top >= work.top && frame.right <= work.right &&
                frame.bottom <= work.bottom)
        << frame.left << "," << frame.top << " " << frame.right << "," << frame.bottom;
    EXPECT_TRUE(client.right >= wanted.right || frame.right - frame.left == work.right - work.left)
        << client.right << " of " << wanted.right;
    EXPECT_TRUE(client.bottom >= wanted.bottom ||
                frame.bottom - frame.top == work.bottom - work.top)
        << client.bottom << " of " << wanted.bottom;
    // A stored placement wins over it.
    SetWindowPos(app->frameWindow, nullptr, 5, 6, 400, 300, SWP_NOZORDER);
    app->SavePreferences();
    Restart();
    GetWindowRect(app->frameWindow, &frame);
    EXPECT_EQ(frame.right - frame.left, 400);
    EXPECT_EQ(frame.bottom - frame.top, 300);
}

} // namespace
