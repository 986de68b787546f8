// Measures what the user-interface thread spends on: Render plus
// RefreshGraph of eight curves in a full-screen window; opening a document
// of those curves beside plotting them; a window resize; one
// mouse move of a drag with a 1920 x 1080 graph (render, copy to the screen,
// repaint both rulers, and the four range fields), the same with the
// Analysis window shown, the end of a drag with and without it, and its
// points of interest alone; the PNG export of that
// graph beside a plain libpng write; the start-up update check; and a line
// submitted to an Immediate window whose history holds 100,000 entries.
// Each figure is the median of 9 batches, in ms per operation (the update
// check runs once). Prints the figures; not a test.
#include <windows.h>

#include <algorithm>
#include <array>
#include <string>
#include <cstdio>
#include <functional>
#include <vector>

#include "analysis/analysis.h"
#include "app/graphapp.h"
#include "document/document_file.h"
#include "bench/plain_png.h"
#include "plot/export_image.h"
#include "res/resource.h"
#include "update/sarvel.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs `operation` (given its running number) in 9 batches of `runs`; the
// median batch's time per operation.
double MedianMs(int runs, const std::function<void(int)>& operation) {
    std::vector<double> batches;
    int n = 0;
    for (int batch = 0; batch < 9; ++batch) {
        const double start = Now();
        for (int i = 0; i < runs; ++i)
            operation(n++);
        GdiFlush();
        batches.push_back((Now() - start) / runs);
    }
    std::nth_element(batches.begin(), batches.begin() + 4, batches.end());
    return batches[4];
}

// Everything the last message left queued (the range fields repaint).
void RunQueued() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

int main() {
    GraphApp app;
    app.Init(GetModuleHandleA(nullptr), nullptr);
    if (!app.InitWindows()) {
        fputs("start-up failed\n", stderr);
        return 1;
    }
    const char* curves[8] = {"x^2+1",
                             "-x^2",
                             "sin(x)*x^2",
                             "((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1",
                             "7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+x+0.1",
                             "exp(-0.5*x^2)/sqrt(2*pi())*cos(3*x)+abs(x)/(1+x^2)",
                             "mod(x,2.5)+floor(x)",
                             "tanh(x)*cosh(x/3)"};
    const int ids[8] = {IDC_EQUATION1, IDC_EQUATION2, IDC_EQUATION3, IDC_EQUATION4,
                        IDC_EQUATION5, IDC_EQUATION6, IDC_EQUATION7, IDC_EQUATION8};
    for (int i = 0; i < 8; ++i)
        SetDlgItemTextA(app.mainDialog, ids[i], curves[i]);
    SetWindowPos(app.frameWindow, nullptr, 0, 0, 2200, 1200, SWP_NOZORDER);
    app.PlotCommand();
    RunQueued();
    printf("canvas %d x %d\n", app.canvas.Width(), app.canvas.Height());
    printf("Render + RefreshGraph, 8 curves: %.2f ms\n", MedianMs(20, [&](int) {
               app.Render();
               app.RefreshGraph();
           }));
    // Opening a document of these eight curves, against the Plot command
    // drawing them from the fields: what a document adds (reading and
    // checking the file, setting the fields and options, the title, the
    // recent list in the registry and the menu) is the difference.
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(sizeof folder, folder);
        const std::string path = std::string(folder) + "orvanta-timing.orv";
        std::string reason;
        if (!SaveGraphDocument(path, app.model.Document(), reason))
            fprintf(stderr, "cannot write %s: %s\n", path.c_str(), reason.c_str());
        const std::wstring widePath(path.begin(), path.end());
        const double open = MedianMs(10, [&](int) {
            app.session.OpenDocument(widePath);
            RunQueued();
        });
        const double plot = MedianMs(10, [&](int) {
            app.PlotCommand();
            RunQueued();
        });
        printf("open a document of 8 curves: %.2f ms; Plot of the same: %.2f ms; "
               "the document's part: %.2f ms\n",
               open, plot, open - plot);
        DeleteFileA(path.c_str());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, app.KeyPath(), "Recent_File_1");
    }
    printf("resize (layout, new canvas, render): %.2f ms\n", MedianMs(10, [&](int i) {
               SetWindowPos(app.frameWindow, nullptr, 0, 0, 2200 - (i & 1) * 40, 1200,
                            SWP_NOZORDER | SWP_NOMOVE);
           }));

    // A graph of exactly 1920 x 1080 pixels: grow the frame by what is missing.
    RECT frame;
    GetWindowRect(app.frameWindow, &frame);
    SetWindowPos(app.frameWindow, nullptr, 0, 0,
                 frame.right - frame.left + 1920 - app.canvas.Width(),
                 frame.bottom - frame.top + 1080 - app.canvas.Height(), SWP_NOZORDER | SWP_NOMOVE);
    RunQueued();
    printf("canvas %d x %d\n", app.canvas.Width(), app.canvas.Height());

    // The part of a pan step that draws the graph, for a view that changes
    // every time: render, copy to the screen, repaint both rulers.
    printf("pan, Render + RefreshGraph + RefreshRulers: %.2f ms\n", MedianMs(20, [&](int i) {
               const double shift = (i & 1) * 0.05;
               app.plotter.SetRange(-10 + shift, 10 + shift, -10 - shift, 10 - shift);
               app.Render();
               app.RefreshGraph();
               app.RefreshRulers();
           }));
    // One mouse move of a drag as the user gets it: the move, then all it
    // leaves queued, the repaint of the four rewritten range fields included.
    app.BeginDrag(500, 500);
    printf("pan, one mouse move with everything it repaints: %.2f ms\n", MedianMs(20, [&](int i) {
               SendMessageA(app.graphControl, WM_MOUSEMOVE, MK_LBUTTON,
                            MAKELPARAM(500 + (i & 1) * 7, 500 - (i & 1) * 5));
               RunQueued();
           }));
    app.EndDrag(500, 500);
    // The same with the Analysis window shown: each step also draws the
    // rings; the points of interest are found again when the drag ends.
    printf("end of a drag: %.2f ms\n", MedianMs(10, [&](int i) {
               app.BeginDrag(500, 500);
               app.EndDrag(500 + (i & 1) * 7, 500 - (i & 1) * 5);
               RunQueued();
           }));
    {
        std::array<std::string, 8> texts;
        std::copy(std::begin(curves), std::end(curves), texts.begin());
        printf("points of interest of the 8 curves over [-10, 10] alone: %.2f ms\n",
               MedianMs(5, [&](int i) { FindPointsOfInterest(texts, -10 - (i & 1) * 0.05, 10); }));
    }
    app.OnCommand(IDM_ANALYSIS);
    RunQueued();
    app.BeginDrag(500, 500);
    printf("pan with the Analysis window shown, one mouse move: %.2f ms\n", MedianMs(20, [&](int i) {
               SendMessageA(app.graphControl, WM_MOUSEMOVE, MK_LBUTTON,
                            MAKELPARAM(500 + (i & 1) * 7, 500 - (i & 1) * 5));
               RunQueued();
           }));
    app.EndDrag(500, 500);
    printf("end of a drag with the Analysis window shown (points found again): %.2f ms\n",
           MedianMs(10, [&](int i) {
               app.BeginDrag(500, 500);
               app.EndDrag(500 + (i & 1) * 7, 500 - (i & 1) * 5);
               RunQueued();
           }));
    app.OnCommand(IDM_ANALYSIS);
    RunQueued();

    // The export's PNG at 1920 x 1080, beside the fewest libpng calls that
    // write the same pixels.
    const std::string ours = "orvanta-timing-ours.png", plain = "orvanta-timing-plain.png";
    printf("export PNG, 1920 x 1080: %.2f ms\n", MedianMs(2, [&](int) {
               if (!app.exportImage || !SavePNG(*app.exportImage, ours.c_str()))
                   fputs("export failed\n", stderr);
           }));
    printf("plain libpng write of the same pixels: %.2f ms\n",
           MedianMs(2, [&](int) { WritePlainPng(app.canvas, plain); }));
    DeleteFileA(ours.c_str());
    DeleteFileA(plain.c_str());

    // The start-up update check as this machine allows it (without network
    // the name lookup fails at once).
    {
        const double start = Now();
        Sarvel checker(kUpdateDescriptorUrl, app.VersionText());
        const bool newer = checker.IsNewerAvailable();
        printf("update check of %s: %.1f ms (%s)\n", kUpdateDescriptorUrl, Now() - start,
               newer ? "newer version offered" : "no newer version");
    }

    ImmWindow& imm = app.immWindow;
    app.ToggleImmediate();
    for (int i = 0; i < 100000; ++i)
        imm.AddLine(i % 2 ? "a=2" : "a*3+sin(a)");
    RunQueued();
    printf("Immediate, 100000 entries: type a line, submit it, repaint: %.2f ms\n",
           MedianMs(20, [&](int) {
               SetWindowTextA(imm.inputEdit, "a*3");
               imm.SubmitLine();
               RunQueued();
           }));
    return 0;
}
