// The application object: owns the main window, the graph model, the canvas
// and the display settings, and carries out every command; the document
// session and the Analysis window are objects of their own that it
// orchestrates.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/document_session.h"
#include "app/vendor.h"
#include "app/wapp.h"
#include "document/graph_model.h"
#include "imm/imm_window.h"
#include "plot/view.h"
#include "prefs/graph_options.h"
#include "res/version.h"
#include "src/zr_32bit_image.h"
#include "ui/analysis_window.h"
#include "ui/pane_decisions.h"
#include "update/update_offer.h"
#include "win/dib_canvas.h"
#include "win/win_handles.h"

class GraphPrefs;

// Posted to the frame by the update check when it ends.
inline constexpr UINT kUpdateCheckedMessage = WM_APP + 2;
// Posted to the frame by the relations' worker when decided cells wait to
// be drawn (wParam: the work's number).
inline constexpr UINT kRelationMapsMessage = WM_APP + 3;

class GraphApp : public WApp, private DocumentWindow {
public:
    GraphApp();
    ~GraphApp() override;

    const char* CompanyName() const override { return ORVANTA_COMPANY; }
    const char* WebSite() const override;
    const char* ProductName() const override { return ORVANTA_PRODUCT; }
    const char* VersionText() const override { return ORVANTA_VERSION_TEXT; }
    const char* MajorVersion() const override { return ORVANTA_VERSION_MAJOR_TEXT; }
    const char* Title() const override { return ORVANTA_PRODUCT " " ORVANTA_VERSION_TEXT; }

    // Start-up, message loop, saving.
    void Init(HINSTANCE instance, GraphPrefs* prefs);
    void Run();
    // Creates the window classes, the frame, the main dialog and its
    // controls, loads the preferences and lays out; false at the first failure.
    bool InitWindows();
    // Runs the message loop until WM_QUIT.
    void MessageLoop();

    // Main window.
    void LayoutMainWindow();
    // The frame has moved to a display of `newDpi` dots per inch: the graph's
    // margins are scaled, the frame takes the rectangle the system suggests
    // and everything is laid out and drawn again.
    void OnDpiChanged(UINT newDpi, const RECT* suggested);
    void OnCommand(int id);
    void ToggleImmediate();
    void OptionsCommand();
    void ExportCommand();
    // File > Exit, the close box: ends the message loop unless the user
    // keeps a modified document open.
    void CloseCommand();

    // Zoom and pan. Each step re-renders, rewrites the range fields and
    // repaints the rulers; a range that rounding at extreme zoom makes
    // invalid is refused silently and nothing changes.
    // Both spans scaled by `factor` about the view's centre.
    void ZoomBy(double factor);
    void ZoomIn();  // ZoomBy(1 / zoomFactor)
    void ZoomOut(); // ZoomBy(zoomFactor)
    // The left button down, mouse moves and the button up on the Graph
    // control, in its client coordinates (negative while captured outside).
    void BeginDrag(int32_t x, int32_t y);
    void DragTo(int32_t x, int32_t y);
    void EndDrag(int32_t x, int32_t y);

    // Graph pane and rulers.
    // Draws the graph into the canvas; when the cells of its relations
    // depend on something that changed, their deciding starts again first.
    void Render();
    // Decided cells of work `job` wait (kRelationMapsMessage): the graph is
    // drawn again with them, and the Analysis window's counts follow.
    void OnRelationMaps(uint64_t job);
    void RefreshGraph();
    void RefreshRulers();
    void PaintHorzScale();
    void PaintVertScale();

    // View fields and the Plot command.
    bool SetViewRange(double xMin, double xMax, double yMin, double yMax, bool redraw);
    bool SetStepRange(double start, double stop, bool redraw);
    bool ReadRange();
    bool ReadStep();
    // Reads the eight equation fields and checks them (see
    // GraphModel::AcceptEquations): accepted, they and the curves compiled
    // from them are the graph's; refused, the refusal's message is shown.
    bool ReadEquations();
    // Reads the range, the step (outside Rectangular mode) and the equations,
    // and draws; false, after the refusal's message, when one is refused.
    bool PlotCommand();
    void SetGraphMode(int32_t mode);
    // The style with the mode, as the Options dialog edits them.
    void GetOptions(GraphOptions& options) const;
    void ApplyOptions(const GraphOptions& options);

    // Preferences.
    void SetDefaults();
    void LoadPreferences();
    void SavePreferences();

    GraphPrefs* prefs = nullptr;
    // The graph: the plotter (mode, view, step), the accepted equations and
    // their curves, the style. The fields below named after its parts are
    // views of it, holding nothing of their own.
    GraphModel model;
    Plotter& plotter = model.plotter;
    HWND activeDialog = nullptr;
    HWND frameWindow = nullptr;
    HWND mainDialog = nullptr;
    HWND graphControl = nullptr;
    HWND vertScale = nullptr;
    HWND horzScale = nullptr;
    ImmWindow immWindow{activeDialog};
    AnalysisWindow analysisWindow;
    int32_t graphMargins[4] = {};
    DibCanvas canvas{1, 1};
    // The canvas pixels as an image for the export; null when it could not
    // be made (the export then reports the failure).
    std::unique_ptr<Zr32BitImage> exportImage;
    HACCEL accelerators = nullptr;
    GdiObject<HBRUSH> faceBrush;
    // The built-in display defaults, which the Options dialog's Defaults
    // button restores.
    static constexpr GraphOptions defaultOptions{};
    std::array<uint32_t, 8>& graphColors = model.style.graphColors;
    uint32_t& backColor = model.style.backColor;
    uint32_t& axisColor = model.style.axisColor;
    bool& showAxes = model.style.showAxes;
    bool showImmediate = false;
    double zoomFactor = 1.5;
    EquationSlots& equations = model.equations;
    bool dragging = false;
    int32_t dragX = 0, dragY = 0;
    // The update check Run starts, and the offer of what it finds.
    UpdateOffer updateOffer;
    // The file the graph belongs to, the recent files, the title.
    DocumentSession session{*this};
    // The relations' cells, decided beside the message loop.
    PaneDecisions decisions;

private:
    // What the document session asks of the window.
    GraphDocument ShownDocument() const override;
    void ShowDocument(const GraphDocument& document) override;
    void ClearEquations() override;
    bool PlotFields() override;
    std::array<std::string, 14> FieldTexts() const override;

    // Shows a warning or error box owned by the frame window.
    void Message(const char* text, const char* caption, UINT icon) const;
    // Window > Analysis: shows the Analysis window, up to date, or hides it.
    void ToggleAnalysis();
    // Hands the Analysis window the graph as drawn (it works only while shown).
    void FollowGraph();
    // Rings around the points of interest on the Graph control's screen
    // (never in the canvas), while the Analysis window is shown.
    void DrawPointsOfInterest();
    // Waits, with the wait cursor, until the relations of the view are
    // decided (each at most its refinement time), drawing the cells as they
    // come; input waits in the queue meanwhile, so no command runs inside.
    // Export and Copy Graph then save what the screen shows.
    void AwaitDecisions();
    // The Analysis window's counts of undecided cells, up to date.
    void ShowDecisionCounts();
    // Graph > Copy Graph: the canvas as a device-independent bitmap and the
    // graph as SVG on the clipboard; a clipboard that cannot be opened shows
    // "Cannot copy the graph" and the clipboard keeps what it had.
    void CopyGraphCommand();
    // The fields show the graph as drawn: each equation field holds its
    // accepted equation (blank for an empty slot), the range fields the
    // view's numbers and, outside Rectangular mode, the step fields the step
    // range's, as the program writes them. Plot then changes nothing.
    bool FieldsShowGraph() const;
    void SetEquationField(int slot, const std::string& text);
    // Both spans scaled by `factor` about the point under pixel (x, y) of the
    // Graph control, which stays under that pixel.
    void ZoomAbout(double factor, int32_t x, int32_t y);
    // A mouse-wheel delta at a screen position: when the Graph control is
    // the window there, zooms about that point one step per notch (away from
    // the user zooms in) and returns true; false otherwise.
    bool WheelZoom(int32_t delta, int32_t screenX, int32_t screenY);
    bool ShowView(const ViewRange& view);
    // Zooms for a wheel message over the graph; false for anything else.
    bool IsWheelOverGraph(const MSG& message);
    bool RegisterClasses();

    UINT dpi = 96; // the resolution the frame is shown at, when the margins were measured
    // Smooth and exact curves are preferences: whether each is stored (then it is saved
    // again; a program that never turned it on stores nothing).
    bool smoothCurvesStored = false;
    bool exactCurvesStored = false; // the same for Exact curves
    bool showAnalysis = false;
    // The Analysis window was shown in this run or an earlier one: only then
    // are its preferences kept.
    bool analysisUsed = false;
    WheelSteps wheel;
    // The frame, "Graph", "HorzScale" and "VertScale" classes, and "Color".
    WindowClass classes[4];
    WindowClass colorClass;
};

// The application object, for window procedures.
GraphApp& App();

// Window and dialog procedures of the main window and its controls.
LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK GraphWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HorzScaleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK VertScaleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Field functions of dialogs: nothing happens (0 or "" is returned) when the
// control does not exist.
// Sets the text to the value in "%f" form (any double fits).
void SetFieldNumber(HWND dialog, int id, double value);
// The leading number of the text as atof reads it, from as many characters
// as SetFieldNumber writes; 0 for empty or non-numeric text.
double GetFieldNumber(HWND dialog, int id);
// The first 999 characters of the text.
std::string GetFieldText(HWND dialog, int id);

// The export's save dialog: asks for the file name (at most size - 1
// characters) and the format (1 PNG, 2 BMP, 3 SVG); false when the user
// cancels. A name without an extension gets the format's when it fits.
bool ChooseExportFile(HWND owner, HINSTANCE instance, char* name, size_t size, int& format);
// Gives the frame the size that shows the whole main dialog at the
// display's resolution (its template size in dialog units plus the frame's
// borders, caption and menu), within the work area of its monitor, moving
// it as far as that needs. Nothing changes when a size cannot be measured.
void SizeFrameForDialog(HWND frame, HWND dialog);
// Hook of the save dialog: places it at (dx / 2, dy / 3) from the screen
// origin, dx and dy being how much wider and higher the frame is.
UINT_PTR CALLBACK CentreDialogHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
