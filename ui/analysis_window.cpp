#include "ui/analysis_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "analysis/points.h"
#include "plot/dpi_scale.h"
#include "plot/view.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win/number_field.h"
#include "win/window_state.h"

namespace {

const char kAnalysisClass[] = "Analysis";
const char kAnalysisTitle[] = "Orvanta: Analysis";
const char kRectangularOnly[] = "Points of interest are found for rectangular curves.";
const char kValuesRectangularOnly[] = "Values and integrals are found for rectangular curves.";
// Stands in for an answer that is being found: the ellipsis, set through
// the wide call so that it shows as one whatever the ANSI code page.
const wchar_t kWorking[] = L"\u2026";
// Which worker an answer message comes from.
constexpr LPARAM kListWorker = 1, kResultsWorker = 2;
// The lists' font, in points.
constexpr int kFixedPoints = 9;

// Controls that keep their distance to the bottom edge, and those that
// stretch with the width or (the list) with the height.
const int kBottomIds[] = {IDC_ANALYSIS_X_LABEL, IDC_ANALYSIS_X,       IDC_ANALYSIS_EVALUATE,
                          IDC_ANALYSIS_FROM_LABEL, IDC_ANALYSIS_FROM, IDC_ANALYSIS_TO_LABEL,
                          IDC_ANALYSIS_TO,      IDC_ANALYSIS_INTEGRATE, IDC_ANALYSIS_RESULTS};
const int kWideIds[] = {IDC_ANALYSIS_POINTER, IDC_ANALYSIS_LIST, IDC_ANALYSIS_RESULTS};

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// `value` kept between `low` and `high`; `low` when `high` is below it (a
// window larger than the work area keeps its top left corner inside).
LONG Within(LONG value, LONG low, LONG high) {
    return std::max(low, std::min(value, high));
}

// The top left corner for a window of `size` beside `owner` in the work
// area `work`, never left of `clearOf` unless right or below the owner.
POINT BesidePosition(const RECT& owner, SIZE size, const RECT& work, LONG clearOf) {
    const LONG lastLeft = work.right - size.cx, lastTop = work.bottom - size.cy;
    if (owner.right <= lastLeft)
        return {std::max(owner.right, work.left), Within(owner.top, work.top, lastTop)};
    if (owner.bottom <= lastTop)
        return {Within(owner.left, work.left, lastLeft), std::max(owner.bottom, work.top)};
    return {std::max({lastLeft, clearOf, work.left}), std::max(lastTop, work.top)};
}

// Lines joined with CR LF, as an edit control shows them.
std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += "\r\n";
        text += line;
    }
    return text;
}

} // namespace

// The workers end first (each waits only for its job to notice the
// cancel); the owner's destruction may have taken the window already.
AnalysisWindow::~AnalysisWindow() {
    listWorker.Stop();
    resultsWorker.Stop();
    if (frame && IsWindow(frame))
        DestroyWindow(frame);
    frame = nullptr;
}

bool AnalysisWindow::Create(HINSTANCE instance, HWND newOwner, HWND graph, HWND* newActiveDialog) {
    owner = newOwner;
    graphControl = graph;
    activeDialog = newActiveDialog;
    if (!windowClass.Register(instance, kAnalysisClass, AnalysisWindowProc,
                              LoadIconA(instance, MAKEINTRESOURCEA(IDI_ORVANTA)),
                              reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    dpi = WindowDpi(owner);
    frame = CreateWindowExA(WS_EX_TOOLWINDOW, kAnalysisClass, kAnalysisTitle,
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, this);
    if (!frame)
        return false;
    listWorker.Notify(frame, kAnalysisAnswerMessage, kListWorker);
    resultsWorker.Notify(frame, kAnalysisAnswerMessage, kResultsWorker);
    dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_ANALYSIS), frame, AnalysisDialogProc,
                                reinterpret_cast<LPARAM>(this));
    if (!dialog)
        return false;
    MeasureTemplate();
    // The first size shows the whole dialog as its template lays it out at
    // the window's resolution.
    RECT size;
    GetClientRect(dialog, &size);
    AdjustWindowRectEx(&size, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_TOOLWINDOW);
    SetWindowPos(frame, nullptr, 0, 0, size.right - size.left, size.bottom - size.top,
                 SWP_NOZORDER | SWP_NOMOVE);
    SetFonts();
    Layout();
    ShowWindow(dialog, SW_SHOW);
    return true;
}

// The list and the results in a fixed-pitch font of the window's resolution,
// so that the columns of numbers line up.
void AnalysisWindow::SetFonts() {
    fixedFont.reset(CreateFontA(-MulDiv(kFixedPoints, static_cast<int>(dpi), 72), 0, 0, 0,
                                FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, "Courier New"));
    for (int id : {IDC_ANALYSIS_LIST, IDC_ANALYSIS_RESULTS})
        if (fixedFont)
            SendMessageA(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont.get()), TRUE);
}

// Measures the template as the system laid it out for the window's
// resolution: the side margin, each bottom control's distance from the
// bottom edge, and the gap under the list.
void AnalysisWindow::MeasureTemplate() {
    RECT client;
    GetClientRect(dialog, &client);
    const RECT list = RectInParent(Control(IDC_ANALYSIS_LIST));
    sideMargin = list.left;
    for (size_t i = 0; i < std::size(kBottomIds); ++i)
        bottomOffsets[i] = client.bottom - RectInParent(Control(kBottomIds[i])).top;
    listGap = RectInParent(Control(IDC_ANALYSIS_X)).top - list.bottom;
}

// The dialog fills the window; the pointer line, the list and the results
// take its width, the rows under the list keep their distance to the bottom
// edge, and the list takes the height that is left.
void AnalysisWindow::Layout() {
    if (!frame || !dialog)
        return;
    RECT client;
    GetClientRect(frame, &client);
    const LONG width = client.right - client.left, height = client.bottom - client.top;
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOZORDER);
    LONG xRowTop = height;
    for (size_t i = 0; i < std::size(kBottomIds); ++i) {
        const HWND control = Control(kBottomIds[i]);
        const RECT r = RectInParent(control);
        const LONG top = height - bottomOffsets[i];
        if (kBottomIds[i] == IDC_ANALYSIS_X)
            xRowTop = top;
        SetWindowPos(control, nullptr, r.left, top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    }
    const LONG wide = std::max<LONG>(width - 2 * sideMargin, 10);
    for (int id : kWideIds) {
        const RECT r = RectInParent(Control(id));
        // The list keeps its top, under the pointer line.
        const LONG h = id == IDC_ANALYSIS_LIST ? std::max<LONG>(xRowTop - listGap - r.top, 10)
                                               : r.bottom - r.top;
        SetWindowPos(Control(id), nullptr, 0, 0, wide, h, SWP_NOZORDER | SWP_NOMOVE);
    }
    InvalidateRect(dialog, nullptr, TRUE);
}

bool AnalysisWindow::IsShown() const { return frame && IsWindowVisible(frame); }

void AnalysisWindow::PlaceBesideOwner() {
    RECT ownerRect, own, graphRect = {};
    if (!frame || !owner || !GetWindowRect(owner, &ownerRect) || !GetWindowRect(frame, &own))
        return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    // The equation fields and the other fields lie left of the graph.
    const LONG clearOf = graphControl && GetWindowRect(graphControl, &graphRect)
                             ? graphRect.left
                             : ownerRect.right;
    const POINT corner = BesidePosition(ownerRect, {own.right - own.left, own.bottom - own.top},
                                        monitor.rcWork, clearOf);
    SetWindowPos(frame, nullptr, corner.x, corner.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AnalysisWindow::Show() {
    if (!frame)
        return;
    ShowWindow(frame, SW_SHOW);
    if (HMENU menu = GetMenu(owner))
        CheckMenuItem(menu, IDM_ANALYSIS, MF_BYCOMMAND | MF_CHECKED);
    if (stale)
        FindPoints();
    else if (!decisionsShown && !listWorking)
        ShowList(pointsText);
    if (graphControl)
        InvalidateRect(graphControl, nullptr, FALSE);
}

void AnalysisWindow::Hide() {
    // A list being found is found again when the window shows.
    if (listJob) {
        listWorker.Cancel();
        listJob = 0;
        stale = true;
    }
    CancelResults();
    if (frame)
        ShowWindow(frame, SW_HIDE);
    if (HMENU menu = owner ? GetMenu(owner) : nullptr)
        CheckMenuItem(menu, IDM_ANALYSIS, MF_BYCOMMAND | MF_UNCHECKED);
    if (graphControl)
        InvalidateRect(graphControl, nullptr, FALSE);
}

void AnalysisWindow::Follow(const AnalysedGraph& newGraph) {
    if (newGraph == graph && !stale) {
        graph.curves = newGraph.curves; // compiled again from the same texts
        return;
    }
    const bool curvesChanged =
        newGraph.equations != graph.equations || newGraph.mode != graph.mode;
    graph = newGraph;
    stale = true;
    // Values and integrals do not depend on the view, but on the curves.
    if (curvesChanged)
        CancelResults();
    if (IsShown()) {
        FindPoints();
        if (graphControl)
            InvalidateRect(graphControl, nullptr, FALSE);
    }
}

// The search runs on the list's worker within kPointsTime (a curve it
// could not finish says "more"); its answer comes to OnAnswer.
void AnalysisWindow::FindPoints() {
    stale = false;
    points = PointsOfInterest();
    if (graph.mode != Rectangular) {
        listWorker.Cancel();
        listJob = 0;
        ShowList(kRectangularOnly);
        return;
    }
    // "…" first: once the worker runs, the window's calls share the
    // processor with it.
    ShowListWorking();
    const std::shared_ptr<CompiledGraph> curves = CurvesForWorker();
    const double xMin = graph.xMin, xMax = graph.xMax;
    listJob = listWorker.Start([curves, xMin, xMax](const std::atomic<bool>& cancel) {
        AnalysisWork work;
        work.deadline = AnalysisClock::now() + kPointsTime;
        work.cancel = &cancel;
        AnalysisAnswer answer;
        answer.points = FindPointsCounted(AnalysisOf(*curves), xMin, xMax, work);
        answer.text = Joined(PointLines(answer.points));
        return answer;
    });
}

// "…" stands in for the list; where the list shown was scrolled and
// selected is kept for the next one.
void AnalysisWindow::ShowListWorking() {
    const HWND list = Control(IDC_ANALYSIS_LIST);
    if (!listWorking) {
        listTopLine = static_cast<int>(SendMessageA(list, EM_GETFIRSTVISIBLELINE, 0, 0));
        SendMessageA(list, EM_GETSEL, reinterpret_cast<WPARAM>(&listSelectionStart),
                     reinterpret_cast<LPARAM>(&listSelectionEnd));
        listWorking = true;
    }
    SetWindowTextW(list, kWorking);
}

void AnalysisWindow::ShowList(const std::string& text) {
    pointsText = text;
    decisionsShown = true;
    std::vector<std::string> lines = decisionLines;
    if (!text.empty())
        lines.push_back(text);
    ShowListText(Joined(lines));
}

// Counts change many times a second while relations refine: the list is
// written again only when they do, while the window is shown (Show catches
// up), and not while "…" stands in for it.
void AnalysisWindow::ShowDecisions(std::vector<std::string> lines) {
    if (lines == decisionLines)
        return;
    decisionLines = std::move(lines);
    decisionsShown = false;
    if (!listWorking && IsShown())
        ShowList(pointsText);
}

void AnalysisWindow::ShowListText(const std::string& text) {
    const HWND list = Control(IDC_ANALYSIS_LIST);
    const bool wasWorking = listWorking;
    listWorking = false;
    // A pan usually leaves the list as it was: keeping the control's text
    // then keeps its scroll position and selection, and saves the edit
    // control the work of laying out every line again. After "…", the
    // same list comes back where it was.
    if (text == listText && !wasWorking)
        return;
    SetWindowTextA(list, text.c_str());
    if (text == listText) {
        SendMessageA(list, EM_SETSEL, listSelectionStart, listSelectionEnd);
        const int top = static_cast<int>(SendMessageA(list, EM_GETFIRSTVISIBLELINE, 0, 0));
        SendMessageA(list, EM_LINESCROLL, 0, listTopLine - top);
    }
    listText = text;
}

void AnalysisWindow::OnAnswer(uint64_t job, LPARAM worker) {
    AnalysisAnswer answer;
    if (worker == kListWorker) {
        if (job != listJob || !listWorker.Take(job, answer))
            return;
        listJob = 0;
        points = std::move(answer.points);
        ShowList(answer.text);
        // The rings come with the list.
        if (graphControl)
            InvalidateRect(graphControl, nullptr, FALSE);
    } else if (worker == kResultsWorker) {
        if (job != resultsJob || !resultsWorker.Take(job, answer))
            return;
        resultsJob = 0;
        SetWindowTextA(Control(IDC_ANALYSIS_RESULTS), answer.text.c_str());
    }
}

// "x=… y=…" and, for rectangular curves, "y1=…" for each curve, undefined
// values as "-".
void AnalysisWindow::PointerAt(double x, double y) {
    if (!IsShown())
        return;
    std::string text = "x=" + Number(x) + "  y=" + Number(y);
    if (graph.mode == Rectangular && graph.curves) {
        const AnalysisCurves curves = AnalysisOf(*graph.curves);
        for (int i = 0; i < 8; ++i) {
            if (!curves[i])
                continue;
            const ValueAndSlope value = EvaluateWithSlope(*curves[i], x);
            text += "  y" + std::to_string(i + 1) + "=" + (value.defined ? Number(value.y) : "-");
        }
    }
    SetWindowTextA(Control(IDC_ANALYSIS_POINTER), text.c_str());
}

void AnalysisWindow::Leave() {
    if (dialog)
        SetWindowTextA(Control(IDC_ANALYSIS_POINTER), "");
}

void AnalysisWindow::PointerMoved(const Plotter& plotter, int32_t x, int32_t y) {
    if (!IsShown() || !graphControl)
        return;
    if (!trackingPointer) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, graphControl, 0};
        trackingPointer = TrackMouseEvent(&track) != FALSE;
    }
    const WorldPoint point = PointUnder(plotter, x, y);
    PointerAt(point.x, point.y);
}

void AnalysisWindow::PointerLeft() {
    trackingPointer = false;
    Leave();
}

// The workers never evaluate the window's curves, which this thread runs:
// each job gets copies of its own (an empty graph when there are none).
std::shared_ptr<CompiledGraph> AnalysisWindow::CurvesForWorker() const {
    if (!graph.curves)
        return std::make_shared<CompiledGraph>();
    return graph.curves->Copy();
}

void AnalysisWindow::Evaluate() {
    double x = 0;
    if (graph.mode != Rectangular)
        ShowResults(kValuesRectangularOnly);
    else if (!ReadFieldNumber(Control(IDC_ANALYSIS_X), x))
        ShowResults("x = needs a number");
    else
        FindResults({x}, {});
}

void AnalysisWindow::Integrate() {
    double a = 0, b = 0;
    if (graph.mode != Rectangular)
        ShowResults(kValuesRectangularOnly);
    else if (!ReadFieldNumber(Control(IDC_ANALYSIS_FROM), a) ||
             !ReadFieldNumber(Control(IDC_ANALYSIS_TO), b))
        ShowResults("from and to need numbers");
    else
        FindResults({}, {{a, b}});
}

// The lines orvanta-cli analyze prints for --at and --integral, found on
// the results' worker within kValuesTime.
void AnalysisWindow::FindResults(const std::vector<double>& at,
                                 const std::vector<std::pair<double, double>>& integrals) {
    SetWindowTextW(Control(IDC_ANALYSIS_RESULTS), kWorking);
    const std::shared_ptr<CompiledGraph> curves = CurvesForWorker();
    resultsJob = resultsWorker.Start([curves, at, integrals](const std::atomic<bool>& cancel) {
        AnalysisAnswer answer;
        answer.text = Joined(ValueAndIntegralLines(AnalysisOf(*curves), at, integrals,
                                                   AnalysisClock::now() + kValuesTime, &cancel));
        return answer;
    });
}

void AnalysisWindow::ShowResults(const std::string& text) {
    resultsWorker.Cancel();
    resultsJob = 0;
    SetWindowTextA(Control(IDC_ANALYSIS_RESULTS), text.c_str());
}

// Values or integrals still being found are not wanted any more: the field
// that waited for them is emptied.
void AnalysisWindow::CancelResults() {
    if (resultsJob)
        ShowResults("");
}

void AnalysisWindow::OnActivate(bool active) {
    if (activeDialog)
        *activeDialog = active ? dialog : nullptr;
}

void AnalysisWindow::OnDpiChanged(UINT newDpi, const RECT* suggested) {
    if (newDpi == 0 || !frame)
        return;
    // The distances were measured at the old resolution.
    for (LONG* distance : {&sideMargin, &listGap})
        *distance = MulDiv(*distance, static_cast<int>(newDpi), static_cast<int>(dpi));
    for (LONG& offset : bottomOffsets)
        offset = MulDiv(offset, static_cast<int>(newDpi), static_cast<int>(dpi));
    dpi = newDpi;
    SetFonts();
    MoveToSuggestedRect(frame, suggested);
    Layout();
}

LRESULT CALLBACK AnalysisWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AnalysisWindow* analysis = WindowState<AnalysisWindow>(window, message, lParam);
    switch (message) {
    case WM_SIZE:
        if (analysis)
            analysis->Layout();
        return 0;
    case WM_ACTIVATE:
        if (analysis)
            analysis->OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_CLOSE:
        if (analysis)
            analysis->Hide();
        return 0;
    case WM_DPICHANGED:
        if (analysis)
            analysis->OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case kAnalysisAnswerMessage:
        if (analysis)
            analysis->OnAnswer(static_cast<uint64_t>(wParam), lParam);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Return in the "x =" field evaluates, in "from" or "to" integrates.
INT_PTR CALLBACK AnalysisDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    AnalysisWindow* analysis = WindowState<AnalysisWindow>(dialog, message, lParam);
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message != WM_COMMAND || !analysis)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_ANALYSIS_EVALUATE:
        analysis->Evaluate();
        break;
    case IDC_ANALYSIS_INTEGRATE:
        analysis->Integrate();
        break;
    case IDOK: {
        const HWND focus = GetFocus();
        if (focus == GetDlgItem(dialog, IDC_ANALYSIS_FROM) ||
            focus == GetDlgItem(dialog, IDC_ANALYSIS_TO))
            analysis->Integrate();
        else
            analysis->Evaluate();
        break;
    }
    }
    return FALSE;
}
