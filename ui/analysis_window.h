// The Analysis window: a tool window beside the graph that shows the world
// coordinates under the pointer with each curve's value there, lists the
// points of interest of the rectangular curves over the view, and evaluates
// and integrates the curves on request. Closing it only hides it. Its state
// lives in this object, which its window procedures reach through the
// windows' user data.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "analysis/analysis.h"
#include "plot/plotter.h"
#include "win/win_handles.h"

// The graph the window reads: the accepted equations, the mode and the
// view's x interval.
struct AnalysedGraph {
    std::array<std::string, 8> equations;
    GraphMode mode = Rectangular;
    double xMin = -10, xMax = 10;

    bool operator==(const AnalysedGraph&) const = default;
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
    // repaints the graph, whose rings come and go with the window.
    void Show();
    void Hide();
    bool IsShown() const;

    // The graph changed: while the window is shown, the points of interest
    // are found again when the equations, the mode or the x interval differ
    // from the last ones; while it is hidden, that waits until it shows.
    void Follow(const AnalysedGraph& graph);
    // The pointer is over the graph at world (x, y): the pointer line shows
    // it with each curve's value there. Leave() empties the line.
    void PointerAt(double x, double y);
    void Leave();
    // The buttons: each curve's value and slope at the "x =" field's number,
    // and its integral between "from" and "to", into the results field.
    void Evaluate();
    void Integrate();

    // The points found for the graph last followed while shown.
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
    void ShowPoints();
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
    std::string listText;  // what the list control shows
    PointsOfInterest points;
    GdiObject<HFONT> fixedFont; // the lists' fixed-pitch font, made for `dpi`
    WindowClass windowClass;    // declared last: unregistered after the window is gone
};

LRESULT CALLBACK AnalysisWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AnalysisDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
