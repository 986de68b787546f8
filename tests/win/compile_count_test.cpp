// The equations are compiled once per Plot: drawing, the points of interest,
// the pointer values, a drag and the values and integrals of the Analysis
// window all run what the Plot command's checks compiled.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "expr/expression.h"
#include "res/resource.h"
#include "win_test_util.h"

namespace {

class CompileCount : public AppTest {
protected:
    HWND AnalysisControl(int id) const { return GetDlgItem(app->analysisWindow.dialog, id); }
    // Pumps messages until the control shows an answer instead of "…".
    void AwaitAnswer(int id) {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            Pump();
            wchar_t text[8] = {};
            GetWindowTextW(AnalysisControl(id), text, 8);
            if (std::wstring(text) != L"\u2026")
                return;
            ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
            Sleep(5);
        }
    }
    // The compiles `action` causes, workers' included.
    template <class Action> uint64_t CompilesOf(Action action) {
        const uint64_t before = Expression::CompileCount();
        action();
        return Expression::CompileCount() - before;
    }
};

TEST_F(CompileCount, OncePerEquationAndPlotNoneAfter) {
    Menu(IDM_ANALYSIS);
    SetSlot(1, "sin(x)");
    SetSlot(2, "x^2/4-6");
    SetSlot(4, "1/x");
    const uint64_t plot = CompilesOf([&] {
        ClickPlot();
        AwaitAnswer(IDC_ANALYSIS_LIST);
    });
    const int32_t column = app->plotter.XToColumn(5), row = app->plotter.YToRow(1);
    const uint64_t move = CompilesOf([&] {
        SendMessageA(app->graphControl, WM_MOUSEMOVE, 0, MAKELPARAM(column, row));
    });
    SendMessageA(app->graphControl, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    const uint64_t dragStep = CompilesOf([&] {
        SendMessageA(app->graphControl, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 110));
    });
    const uint64_t dragEnd = CompilesOf([&] {
        SendMessageA(app->graphControl, WM_LBUTTONUP, 0, MAKELPARAM(140, 120));
        AwaitAnswer(IDC_ANALYSIS_LIST);
    });
    const uint64_t evaluate = CompilesOf([&] {
        SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_X, "2.5");
        PostClick(app->analysisWindow.dialog, IDC_ANALYSIS_EVALUATE);
        AwaitAnswer(IDC_ANALYSIS_RESULTS);
    });
    const uint64_t zoom = CompilesOf([&] {
        Menu(IDM_ZOOM_IN);
        AwaitAnswer(IDC_ANALYSIS_LIST);
    });
    EXPECT_EQ(plot, 3u) << "the Plot command's checks compile each equation once";
    EXPECT_EQ(move, 0u) << "the pointer values";
    EXPECT_EQ(dragStep, 0u) << "a step of a drag: render and pointer values";
    EXPECT_EQ(dragEnd, 0u) << "the list of the view dragged to";
    EXPECT_EQ(evaluate, 0u) << "values and slopes";
    EXPECT_EQ(zoom, 0u) << "render and list";
}

} // namespace
