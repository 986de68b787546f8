// The Analysis window in the real program: its menu item, shortcut and check
// mark; the list against orvanta-cli analyze for the same view after Plot,
// zoom and a drag; Evaluate and Integrate; the pointer line; the rings on
// the screen and not in the canvas; its placement across runs; and curves
// that take seconds to read, which leave the window answering while "…"
// waits for answers found on the workers, a new graph cancelling them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "analysis/points.h"
#include "plot/dpi_scale.h"
#include "plot/export_image.h"
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

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The texts set into a control, in order, as its window procedure receives
// them (ANSI, the window being ANSI): a control's own record, so that a
// text shown for a moment and replaced is seen too.
class TextRecorder {
public:
    explicit TextRecorder(HWND control) : control(control) {
        recorders()[control] = this;
        previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    ~TextRecorder() {
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        recorders().erase(control);
    }
    const std::vector<std::string>& Texts() const { return texts; }

private:
    static std::map<HWND, TextRecorder*>& recorders() {
        static std::map<HWND, TextRecorder*> all;
        return all;
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        TextRecorder* self = recorders()[window];
        if (message == WM_SETTEXT && lParam)
            self->texts.emplace_back(reinterpret_cast<const char*>(lParam));
        return CallWindowProcA(self->previous, window, message, wParam, lParam);
    }
    HWND control;
    WNDPROC previous = nullptr;
    std::vector<std::string> texts;
};

// "…" as the ANSI text the controls hold.
std::string AnsiEllipsis() {
    char text[8] = {};
    WideCharToMultiByte(CP_ACP, 0, L"\u2026", -1, text, sizeof text, nullptr, nullptr);
    return text;
}

class Analysis : public AppTest {
protected:
    HWND Control(int id) const { return GetDlgItem(app->analysisWindow.dialog, id); }
    // The control shows "…", an answer being found.
    bool Working(int id) const {
        wchar_t text[8] = {};
        GetWindowTextW(Control(id), text, 8);
        return std::wstring(text) == L"\u2026";
    }
    // Pumps messages until the control's answer has come (20 s at most:
    // the work stops after about a second whatever the curves are).
    std::string Answer(int id) {
        const Clock::time_point start = Clock::now();
        Pump();
        while (Working(id) && MillisecondsSince(start) < 20000) {
            Sleep(5);
            Pump();
        }
        EXPECT_FALSE(Working(id)) << "no answer in 20 s";
        return Text(Control(id));
    }
    // How long a message posted now waits until it is taken from the queue.
    double RoundTrip() {
        const UINT probe = WM_APP + 0x3FF;
        const Clock::time_point start = Clock::now();
        PostThreadMessageA(GetCurrentThreadId(), probe, 0, 0);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == probe)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return MillisecondsSince(start);
    }
    void OpenHostile() {
        ASSERT_TRUE(app->session.OpenDocument(L"" ORVANTA_TEST_DATA "/hostile_mod.orv"));
        ASSERT_EQ(app->equations[0].size(), 976u);
    }
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
    const std::string plotted = Answer(IDC_ANALYSIS_LIST);
    EXPECT_NE(plotted.find("zero y1 x=3.1415926535897931"), std::string::npos) << plotted;
    EXPECT_EQ(plotted, CommandLine());

    Menu(IDM_ZOOM_IN);
    EXPECT_EQ(Answer(IDC_ANALYSIS_LIST), CommandLine()) << "after a zoom";

    app->BeginDrag(100, 100);
    app->DragTo(160, 120);
    const std::string during = Text(Control(IDC_ANALYSIS_LIST));
    app->EndDrag(200, 130);
    EXPECT_NE(app->plotter.xMin, -10.0 / 1.5);
    EXPECT_EQ(Answer(IDC_ANALYSIS_LIST), CommandLine()) << "after a drag";

    // Hidden, it waits; shown again, it is up to date.
    Menu(IDM_ANALYSIS);
    SetSlot(3, "x");
    ClickPlot();
    Menu(IDM_ANALYSIS);
    EXPECT_EQ(Answer(IDC_ANALYSIS_LIST), CommandLine()) << "shown after a Plot";

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
    const std::string values = Answer(IDC_ANALYSIS_RESULTS);
    const std::string everything = CommandLine("--at 2.5 --integral -1 1");
    EXPECT_NE(values.find("value y1 x=2.5 y=6.25 slope=5"), std::string::npos) << values;
    EXPECT_NE(everything.find(values), std::string::npos) << everything;

    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_FROM, "-1");
    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_TO, "1");
    PostClick(app->analysisWindow.dialog, IDC_ANALYSIS_INTEGRATE);
    const std::string integrals = Answer(IDC_ANALYSIS_RESULTS);
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
    Answer(IDC_ANALYSIS_LIST); // the rings come with the list
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

// A pan that leaves the list as it was brings it back, after "…", scrolled
// and selected where it was.
TEST_F(Analysis, SameListComesBackWhereItWas) {
    Menu(IDM_ANALYSIS);
    SetSlot(1, "sin(x)");
    for (int i = 2; i <= 8; ++i)
        SetSlot(i, ("x-" + std::to_string(i - 1)).c_str());
    ClickPlot();
    const std::string before = Answer(IDC_ANALYSIS_LIST);
    const HWND list = Control(IDC_ANALYSIS_LIST);
    SendMessageA(list, EM_SETSEL, 10, 20);
    SendMessageA(list, EM_LINESCROLL, 0, 6);
    const LRESULT top = SendMessageA(list, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(top, 0) << "the list is too short to scroll";

    app->BeginDrag(200, 100);
    app->EndDrag(202, 100);
    EXPECT_TRUE(Working(IDC_ANALYSIS_LIST));
    EXPECT_EQ(Answer(IDC_ANALYSIS_LIST), before);
    EXPECT_EQ(SendMessageA(list, EM_GETFIRSTVISIBLELINE, 0, 0), top);
    DWORD start = 0, end = 0;
    SendMessageA(list, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 10u);
    EXPECT_EQ(end, 20u);
}

// Eight curves whose analysis takes many seconds: showing the window starts
// it on the list's worker and returns at once, "…" (the ellipsis, whatever
// the code page) standing in for the list while the window keeps taking
// messages; the list comes within the time bound, each curve saying where
// it stopped, and the rings with it.
TEST_F(Analysis, HostileCurvesLeaveTheWindowAnswering) {
    // Shown once before, so that what is measured is not the first mapping
    // of the window.
    Menu(IDM_ANALYSIS);
    Answer(IDC_ANALYSIS_LIST);
    Menu(IDM_ANALYSIS);
    OpenHostile(); // drawn, but not analysed while the window is hidden
    Pump();
    const Clock::time_point start = Clock::now();
    Menu(IDM_ANALYSIS);
    const double show = MillisecondsSince(start);
    EXPECT_TRUE(Working(IDC_ANALYSIS_LIST));
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_LIST)), AnsiEllipsis());
    EXPECT_TRUE(app->analysisWindow.Points().points.empty());
    double slowest = 0;
    for (int i = 0; i < 5; ++i)
        slowest = std::max(slowest, RoundTrip());
    std::printf("showing the window: %.1f ms; slowest message round trip while the list is "
                "found: %.1f ms\n",
                show, slowest);
    // The target is 100 ms; the margin is for a loaded test machine (the
    // search on the window's thread took many seconds).
    EXPECT_LT(show + slowest, 500.0);
    EXPECT_TRUE(Working(IDC_ANALYSIS_LIST)) << "the list came too soon to measure anything";

    const std::string list = Answer(IDC_ANALYSIS_LIST);
    for (int n = 1; n <= 7; ++n)
        EXPECT_NE(list.find("more y" + std::to_string(n)), std::string::npos) << list;

    // The pointer line stays immediate: one evaluation of each curve.
    const Clock::time_point moved = Clock::now();
    SendMessageA(app->graphControl, WM_MOUSEMOVE, 0,
                 MAKELPARAM(app->plotter.XToColumn(0.3), app->plotter.YToRow(0)));
    const double pointer = MillisecondsSince(moved);
    std::printf("the pointer line of the eight curves: %.1f ms\n", pointer);
    EXPECT_NE(Text(Control(IDC_ANALYSIS_POINTER)).find("y8="), std::string::npos);
    EXPECT_LT(pointer, 500.0);
}

// Ending the workers, as closing the program does, while the hostile
// curves are being searched waits only for the search to notice the
// cancel, not for it to run out of time; the answer is never announced.
TEST_F(Analysis, StoppingTheWorkerWaitsOnlyForTheCancel) {
    OpenHostile();
    std::array<std::string, 8> equations;
    std::copy(std::begin(app->equations), std::end(app->equations), equations.begin());
    AnalysisWorker worker;
    worker.Notify(app->analysisWindow.frame, kAnalysisAnswerMessage, 1);
    std::atomic<bool> running{false};
    const uint64_t job = worker.Start([&](const std::atomic<bool>& cancel) {
        running = true;
        AnalysisWork work;
        work.deadline = AnalysisClock::now() + kPointsTime;
        work.cancel = &cancel;
        AnalysisAnswer answer;
        answer.points = FindPointsCounted(equations, -10, 10, work);
        return answer;
    });
    while (!running)
        Sleep(1);
    const Clock::time_point start = Clock::now();
    worker.Stop();
    const double stop = MillisecondsSince(start);
    std::printf("ending the worker during the search: %.1f ms\n", stop);
    EXPECT_LT(stop, 500.0) << "the search runs for up to 1000 ms";
    AnalysisAnswer answer;
    EXPECT_FALSE(worker.Take(job, answer));
}

// A new graph cancels the search under way: its list never appears, only
// the new graph's, and so do values or integrals still being found for the
// curves before (their field is emptied). A new view does the same.
TEST_F(Analysis, NewGraphCancelsTheSearchUnderWay) {
    Menu(IDM_ANALYSIS);
    Answer(IDC_ANALYSIS_LIST);
    const TextRecorder list(Control(IDC_ANALYSIS_LIST)), results(Control(IDC_ANALYSIS_RESULTS));
    OpenHostile();
    EXPECT_TRUE(Working(IDC_ANALYSIS_LIST));
    Menu(IDM_ZOOM_IN); // a new view
    EXPECT_TRUE(Working(IDC_ANALYSIS_LIST));
    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_FROM, "-1");
    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_TO, "2");
    PostClick(app->analysisWindow.dialog, IDC_ANALYSIS_INTEGRATE);
    Pump();
    EXPECT_TRUE(Working(IDC_ANALYSIS_RESULTS));

    for (int i = 1; i <= 8; ++i)
        SetSlot(i, i == 1 ? "x-1" : "");
    ClickPlot();
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_RESULTS)), "") << "the integrals were cancelled";
    const std::string answer = Answer(IDC_ANALYSIS_LIST);
    EXPECT_EQ(answer, CommandLine());
    // Longer than the cancelled searches could have run.
    const Clock::time_point start = Clock::now();
    while (MillisecondsSince(start) < 2500) {
        Sleep(20);
        Pump();
    }
    const std::string ellipsis = AnsiEllipsis();
    for (const std::string& text : list.Texts())
        EXPECT_TRUE(text == ellipsis || text == answer) << "the list showed: " << text;
    EXPECT_EQ(list.Texts().back(), answer);
    for (const std::string& text : results.Texts())
        EXPECT_TRUE(text == ellipsis || text.empty()) << "the results showed: " << text;
    EXPECT_EQ(Text(Control(IDC_ANALYSIS_RESULTS)), "");
}

// Evaluate and Integrate of the hostile curves answer through the results'
// worker: "…" at once, then the values as the command line gives them, and
// the integrals, which need seconds each, stopped.
TEST_F(Analysis, EvaluateAndIntegrateAnswerThroughTheWorker) {
    OpenHostile();
    Menu(IDM_ANALYSIS);
    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_X, "0.3");
    const Clock::time_point start = Clock::now();
    SendMessageA(app->analysisWindow.dialog, WM_COMMAND, IDC_ANALYSIS_EVALUATE, 0);
    EXPECT_LT(MillisecondsSince(start), 1000.0);
    EXPECT_TRUE(Working(IDC_ANALYSIS_RESULTS));
    const std::string values = Answer(IDC_ANALYSIS_RESULTS);
    EXPECT_NE(values.find("value y8 x=0.29999999999999999 y="), std::string::npos) << values;
    const std::string everything = CommandLine("--at 0.3");
    EXPECT_NE(everything.find(values), std::string::npos) << everything;

    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_FROM, "-1");
    SetDlgItemTextA(app->analysisWindow.dialog, IDC_ANALYSIS_TO, "2");
    SendMessageA(app->analysisWindow.dialog, WM_COMMAND, IDC_ANALYSIS_INTEGRATE, 0);
    EXPECT_TRUE(Working(IDC_ANALYSIS_RESULTS));
    EXPECT_LT(RoundTrip(), 1000.0);
    const std::string integrals = Answer(IDC_ANALYSIS_RESULTS);
    EXPECT_EQ(integrals.find("integral y1 a=-1 b=2 stopped"), 0u) << integrals;
}

// The first time it opens, the window goes beside the main window: to its
// right where the work area has room, else below it, else into the work
// area's bottom right corner; never over the fields left of the graph.
// Opened again, it stays where it was put.
TEST_F(Analysis, FirstOpensBesideTheMainWindowNeverOverTheFields) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(
        GetMonitorInfoA(MonitorFromWindow(app->frameWindow, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    RECT own;
    GetWindowRect(app->analysisWindow.frame, &own);
    const LONG w = own.right - own.left, h = own.bottom - own.top;
    enum Where { Right, Below, Corner };
    const struct {
        const char* name;
        RECT frame;
        Where where;
    } cases[] = {
        {"room on the right", {work.left, work.top, work.right - w - 40, work.bottom - 200}, Right},
        {"a frame that fills the work area's right side",
         {work.left + (work.right - work.left) / 3, work.top, work.right, work.bottom - h - 40},
         Below},
        {"a frame that fills the work area", work, Corner},
    };
    bool first = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!first)
            Restart();
        first = false;
        SetWindowPos(app->frameWindow, nullptr, c.frame.left, c.frame.top,
                     c.frame.right - c.frame.left, c.frame.bottom - c.frame.top, SWP_NOZORDER);
        RECT frame, fields = {};
        GetWindowRect(app->frameWindow, &frame);
        for (int id : {IDC_EQUATIONS_GROUP, IDC_RANGE_GROUP, IDC_STEP_GROUP, IDC_PLOT,
                       IDC_BUTTONS_GROUP}) {
            RECT r;
            GetWindowRect(GetDlgItem(app->mainDialog, id), &r);
            UnionRect(&fields, &fields, &r);
        }
        IntersectRect(&fields, &fields, &frame); // as far as the frame shows them
        Menu(IDM_ANALYSIS);
        RECT placed, overlap;
        GetWindowRect(app->analysisWindow.frame, &placed);
        EXPECT_EQ(placed.right - placed.left, w) << "the size stays";
        EXPECT_EQ(placed.bottom - placed.top, h);
        switch (c.where) {
        case Right:
            EXPECT_EQ(placed.left, frame.right);
            EXPECT_EQ(placed.top, frame.top);
            break;
        case Below:
            EXPECT_EQ(placed.left, frame.left);
            EXPECT_EQ(placed.top, frame.bottom);
            break;
        case Corner:
            EXPECT_EQ(placed.right, work.right);
            EXPECT_EQ(placed.bottom, work.bottom);
            break;
        }
        EXPECT_TRUE(placed.left >= work.left && placed.top >= work.top &&
                    placed.right <= work.right && placed.bottom <= work.bottom)
            << "inside the work area";
        EXPECT_FALSE(IntersectRect(&overlap, &placed, &fields)) << "over the fields";
    }

    // Hidden, moved and shown again: where it was put.
    Menu(IDM_ANALYSIS);
    SetWindowPos(app->analysisWindow.frame, nullptr, work.left + 5, work.top + 7, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    Menu(IDM_ANALYSIS);
    RECT again;
    GetWindowRect(app->analysisWindow.frame, &again);
    EXPECT_EQ(again.left, work.left + 5);
    EXPECT_EQ(again.top, work.top + 7);
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
