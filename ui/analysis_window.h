// The Analysis window: a tool window beside the graph that shows the world
// coordinates under the pointer with each curve's value there, lists the
// points of interest of the rectangular curves over the view, and evaluates
// and integrates the curves on request. The list and the values and
// integrals are found on worker threads, "…" standing in for each answer
// until it comes. Closing it only hides it. Its state lives in this
// object, which its window procedures reach through the windows' user data.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis.h"
#include "plot/compiled_graph.h"
#include "plot/plotter.h"
#include "ui/analysis_worker.h"
#include "win/win_handles.h"

// Posted to the Analysis window by its workers when an answer is ready
// (wParam: the job's number; lParam: which worker, see AnalysisWindow).
inline constexpr UINT kAnalysisAnswerMessage = WM_APP + 1;

// The graph the window reads: the curves the accepted equations compiled
// to (for Rectangular mode, with the variable x), the equations, the mode
// and the view's x interval. Two graphs are the same when all but the
// curves are: curves compiled from the same texts compute the same.
struct AnalysedGraph {
    std::shared_ptr<CompiledGraph> curves;
    std::array<std::string, 8> equations;
    GraphMode mode = Rectangular;
    double xMin = -10, xMax = 10;

    bool operator==(const AnalysedGraph& other) const {
        return equations == other.equations && mode == other.mode && xMin == other.xMin &&
               xMax == other.xMax;
    }
};

class AnalysisWindow {
public:
    AnalysisWindow() = default;
    ~AnalysisWindow();
    AnalysisWindow(const AnalysisWindow&) = delete;
    AnalysisWindow& operator=(const AnalysisWindow&) = delete;

    // Registers the "Analysis" class and makes the hidden window, owned by
    // `owner`, with its dialog (resource 117) from `instance`. `owner`'s menu
    // item Window > Analysis mirrors whether the window is shown; `graph` is
    // the control the points of interest are marked on, repainted whenever
    // they change or the window shows or hides. `activeDialog` is where the
    // message loop looks for the dialog that takes keyboard messages. False
    // at the first failure.
    bool Create(HINSTANCE instance, HWND owner, HWND graph, HWND* activeDialog);

    // Shows or hides the window, checks or unchecks the menu item and
    // repaints the graph, whose rings come and go with the window. Hiding
    // it cancels the work running for it.
    void Show();
    void Hide();
    bool IsShown() const;
    // Moves the window to its first place, for a window that has none of its
    // own yet: beside the owner, to its right where the work area of the
    // owner's monitor has room for it, else below it; when the owner leaves
    // room for neither, in the work area's bottom right corner but right of
    // the graph, so that it never covers the equation fields.
    void PlaceBesideOwner();

    // The graph changed: while the window is shown, the points of interest
    // are found again when the equations, the mode or the x interval differ
    // from the last ones, on the list's worker (cancelling the search for
    // the graph before), the list showing "…" and the graph no rings until
    // they come; while it is hidden, that waits until it shows. Values or
    // integrals still being found for the graph before are cancelled.
    void Follow(const AnalysedGraph& graph);
    // The pointer is over the graph at world (x, y): the pointer line shows
    // it with each curve's value there, from the graph's curves (nothing is
    // compiled). Leave() empties the line.
    void PointerAt(double x, double y);
    void Leave();
    // The pointer moved over the graph control to pixel (x, y) of
    // `plotter`'s canvas: while the window is shown, the pointer line shows
    // the point under it (see PointerAt), and the control is asked to tell
    // when the pointer leaves it (PointerLeft, which empties the line).
    void PointerMoved(const Plotter& plotter, int32_t x, int32_t y);
    void PointerLeft();
    // The buttons: each curve's value and slope at the "x =" field's number,
    // and its integral between "from" and "to", into the results field,
    // found on the results' worker (cancelling what it was finding), the
    // field showing "…" until they come. Each job of a worker reads copies
    // of the graph's curves of its own, made without compiling.
    void Evaluate();
    void Integrate();
    // The lines saying how far the graph's relations are decided (one per
    // decided slot; none for a graph without relations): the list shows
    // them above the points of interest.
    void ShowDecisions(std::vector<std::string> lines);
    // A worker's answer is ready (kAnalysisAnswerMessage): shown when it
    // is the one the window waits for.
    void OnAnswer(uint64_t job, LPARAM worker);

    // The points found for the graph last followed while shown; none
    // while they are being found.
    const PointsOfInterest& Points() const { return points; }
    // What the graph the window follows is.
    const AnalysedGraph& Graph() const { return graph; }

    // Window procedures' operations.
    void Layout();
    void OnActivate(bool active);
    void OnDpiChanged(UINT newDpi, const RECT* suggested);

    HWND frame = nullptr;
    HWND dialog = nullptr;

private:
    void MeasureTemplate();
    void FindPoints();
    // Copies of the graph's curves for a job of a worker.
    std::shared_ptr<CompiledGraph> CurvesForWorker() const;
    // The points' text (or a note in its place) under the decisions' lines.
    void ShowList(const std::string& text);
    void ShowListText(const std::string& text);
    void ShowListWorking();
    void FindResults(const std::vector<double>& at,
                     const std::vector<std::pair<double, double>>& integrals);
    void ShowResults(const std::string& text);
    void CancelResults();
    void SetFonts();
    HWND Control(int id) const { return GetDlgItem(dialog, id); }

    HWND owner = nullptr;
    HWND graphControl = nullptr;
    HWND* activeDialog = nullptr;
    UINT dpi = 96;
    // The template's distances in pixels at `dpi`: the side margin, the gap
    // under the list, and each bottom control's distance from the bottom
    // edge (in the order of the layout's list).
    LONG sideMargin = 0, listGap = 0;
    std::array<LONG, 9> bottomOffsets = {};
    AnalysedGraph graph;
    bool stale = true; // the points are not those of `graph` yet
    bool trackingPointer = false; // WM_MOUSELEAVE is asked for
    // The last list shown (kept while "…" stands in for the next one), and
    // where it was scrolled and selected, to come back to when the next
    // list is the same.
    std::string listText;
    std::string pointsText;    // the points' part of it
    std::vector<std::string> decisionLines; // the decisions' part
    bool decisionsShown = true;             // the list shows decisionLines
    bool listWorking = false;
    int listTopLine = 0;
    DWORD listSelectionStart = 0, listSelectionEnd = 0;
    PointsOfInterest points;
    // The workers and the jobs whose answers the window waits for (0: none).
    AnalysisWorker listWorker, resultsWorker;
    uint64_t listJob = 0, resultsJob = 0;
    GdiObject<HFONT> fixedFont; // the lists' fixed-pitch font, made for `dpi`
    WindowClass windowClass;    // declared last: unregistered after the window is gone
};

LRESULT CALLBACK AnalysisWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AnalysisDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
