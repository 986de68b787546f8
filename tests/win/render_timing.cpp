// Measures what a Plot and a window resize cost on the user-interface
// thread: Render plus RefreshGraph of eight curves in a full-screen window.
// Prints the figures; not a test.
#include <windows.h>

#include <cstdio>

#include "app/graphapp.h"
#include "res/resource.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

} // namespace

int main() {
    GraphApp app;
    app.Init(GetModuleHandleA(nullptr), nullptr);
    if (!app.InitWindows()) {
        fputs("start-up failed\n", stderr);
        return 1;
    }
    const char* curves[8] = {"x^2+1", "-x^2", "sin(x)*x^2", "((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1",
                             "7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+x+0.1",
                             "exp(-0.5*x^2)/sqrt(2*pi())*cos(3*x)+abs(x)/(1+x^2)",
                             "mod(x,2.5)+floor(x)", "tanh(x)*cosh(x/3)"};
    const int ids[8] = {IDC_EQUATION1, IDC_EQUATION2, IDC_EQUATION3, IDC_EQUATION4,
                        IDC_EQUATION5, IDC_EQUATION6, IDC_EQUATION7, IDC_EQUATION8};
    for (int i = 0; i < 8; ++i)
        SetDlgItemTextA(app.mainDialog, ids[i], curves[i]);
    SetWindowPos(app.frameWindow, nullptr, 0, 0, 2200, 1200, SWP_NOZORDER);
    app.PlotCommand();
    printf("canvas %d x %d\n", app.canvas.Width(), app.canvas.Height());

    const int runs = 50;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < runs; ++i) {
        app.Render();
        app.RefreshGraph();
    }
    GdiFlush();
    QueryPerformanceCounter(&end);
    printf("Render + RefreshGraph, 8 curves: %.2f ms\n", Milliseconds(start, end) / runs);

    QueryPerformanceCounter(&start);
    for (int i = 0; i < runs; ++i)
        SetWindowPos(app.frameWindow, nullptr, 0, 0, 2200 - (i & 1) * 40, 1200, SWP_NOZORDER | SWP_NOMOVE);
    QueryPerformanceCounter(&end);
    printf("resize (layout, new canvas, render): %.2f ms\n", Milliseconds(start, end) / runs);
    return 0;
}
