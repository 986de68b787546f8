// The application object: owns the main window, the plot state, the canvas
// and the display settings, and carries out every command.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/recent_files.h"
#include "app/vendor.h"
#include "app/wapp.h"
#include "document/graph_document.h"
#include "imm/imm_window.h"
#include "plot/plotter.h"
#include "plot/render.h"
#include "plot/view.h"
#include "prefs/graph_options.h"
#include "res/version.h"
#include "src/zr_32bit_image.h"
#include "ui/analysis_window.h"
#include "update/sarvel.h"
#include "win/dib_canvas.h"
#include "win/win_handles.h"

class GraphPrefs;

// What a document is compared by to tell whether it was modified: the texts
// of the equation, range and step fields, the view, and the display options
// with the mode.
struct DocumentSnapshot {
    std::array<std::string, 14> fields;
    std::array<double, 4> view = {};
    GraphOptions options;

    bool operator==(const DocumentSnapshot&) const = default;
};

// Posted to the frame when something a document holds may have changed; the
// title is brought up to date once for any number of changes.
inline constexpr UINT kUpdateTitleMessage = WM_APP + 1;
// Posted to the frame by the update check when it ends.
inline constexpr UINT kUpdateCheckedMessage = WM_APP + 2;

class GraphApp : public WApp {
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
    // The update check of start-up has ended (its message arrived): offers
    // the newer version it found, once the frame is enabled.
    void UpdateCheckEnded();
    // Shows the newer-version dialog for what the check found, unless the
    // user chose not to be reminded of that version.
    void OfferNewerVersion(const Sarvel& checker);

    // Main window.
    void LayoutMainWindow();
    // The frame has moved to a display of `newDpi` dots per inch: the graph's
    // margins are scaled, the frame takes the rectangle the system suggests
    // and everything is laid out and drawn again.
    void OnDpiChanged(UINT newDpi, const RECT* suggested);
    void OnCommand(int id);
    void ToggleImmediate();
    // Window > Analysis: shows the Analysis window, up to date, or hides it.
    void ToggleAnalysis();
    // Hands the Analysis window the graph as drawn (it works only while shown).
    void FollowGraph();
    // The pointer moved over the Graph control to pixel (x, y), or left it.
    void PointerMoved(int32_t x, int32_t y);
    void PointerLeft();
    // Rings around the points of interest on the Graph control's screen
    // (never in the canvas), while the Analysis window is shown.
    void DrawPointsOfInterest();
    void OptionsCommand();
    void ExportCommand();
    // Graph > Copy Graph: the canvas as a device-independent bitmap and the
    // graph as SVG on the clipboard; a clipboard that cannot be opened shows
    // "Cannot copy the graph" and the clipboard keeps what it had.
    void CopyGraphCommand();
    // The graph as drawn, as an SVG document (empty when memory runs out).
    std::string GraphSvgText();
    // File > Exit, the close box: ends the message loop unless the user
    // keeps a modified document open.
    void CloseCommand();

    // Graph documents. A document is the graph of a file that was opened or
    // saved; without one, the program behaves as it always has.
    // File > New: asks about a modified document, then empties the equations
    // and forgets the document; ranges, mode and options stay.
    void NewCommand();
    // File > Open: asks about a modified document, then for a file, and opens it.
    void OpenCommand();
    // File > Save: runs Plot when the fields differ from the graph, then
    // writes the document's file (asking for one when there is none). False
    // when nothing was written: Plot refused, the user cancelled, or the save
    // failed (which was reported).
    bool SaveCommand();
    // File > Save As: as Save, always asking for the file.
    bool SaveAsCommand();
    // Opens recent file `index` (0 the newest) after asking about a modified
    // document; a file that is gone leaves the list.
    void OpenRecent(size_t index);
    // A file dropped on the window: the first one is opened as File > Open
    // would. Finishes the drop.
    void DropFiles(HDROP drop);
    // Opens the document named on the command line, if any (at start-up).
    void OpenStartupDocument();
    // True when whatever comes next may replace the document: there is none,
    // it is not modified, or the user answered the question "Save changes to
    // NAME?" with Yes (and the save worked) or No. False on Cancel.
    bool ConfirmDiscard();
    // Reads the file and, only when it is a graph, shows it: the equations
    // cleared, the mode, ranges, fields and display options set as the
    // Options dialog's OK and the range fields would set them, then the
    // equations checked and the graph drawn. False, with the message "Cannot
    // open NAME: REASON" shown and nothing changed, when it is refused.
    bool OpenDocument(const std::wstring& path);
    // Writes the graph as shown to `path`; on success it becomes the
    // document's file. False after showing "Cannot save NAME: REASON".
    bool SaveDocument(const std::wstring& path);
    // The graph as shown: accepted equations (UTF-8), view, step, mode, style.
    GraphDocument CurrentDocument() const;
    void ShowDocument(const GraphDocument& document);
    // A document is open and differs from what was last opened or saved.
    bool IsModified() const;
    DocumentSnapshot Snapshot() const;
    // "NAME - Orvanta", with "*" first when modified; the program's own
    // title without a document.
    void UpdateTitle();
    // Something a document holds may have changed: a title update is posted.
    void DocumentChanged();

    // Zoom and pan. Each step re-renders, rewrites the range fields and
    // repaints the rulers; a range that rounding at extreme zoom makes
    // invalid is refused silently and nothing changes.
    // Both spans scaled by `factor` about the view's centre.
    void ZoomBy(double factor);
    void ZoomIn();  // ZoomBy(1 / zoomFactor)
    void ZoomOut(); // ZoomBy(zoomFactor)
    // Both spans scaled by `factor` about the point under pixel (x, y) of the
    // Graph control, which stays under that pixel.
    void ZoomAbout(double factor, int32_t x, int32_t y);
    // A mouse-wheel delta at a screen position: when the Graph control is
    // the window there, zooms about that point one step per notch (away from
    // the user zooms in) and returns true; false otherwise.
    bool WheelZoom(int32_t delta, int32_t screenX, int32_t screenY);
    // The left button down, mouse moves and the button up on the Graph
    // control, in its client coordinates (negative while captured outside).
    void BeginDrag(int32_t x, int32_t y);
    void DragTo(int32_t x, int32_t y);
    void EndDrag(int32_t x, int32_t y);

    // Graph pane and rulers.
    void Render();
    void RefreshGraph();
    void RefreshRulers();
    void PaintHorzScale();
    void PaintVertScale();

    // View fields and the Plot command.
    bool SetViewRange(double xMin, double xMax, double yMin, double yMax, bool redraw);
    bool SetStepRange(double start, double stop, bool redraw);
    bool ReadRange();
    bool ReadStep();
    bool ReadEquations();
    // Reads the range, the step (outside Rectangular mode) and the equations,
    // and draws; false, after the refusal's message, when one is refused.
    bool PlotCommand();
    // The texts of the eight equation fields, the four range fields and the
    // start and stop fields, in that order.
    std::array<std::string, 14> FieldTexts() const;
    // The fields show the graph as drawn: each equation field holds its
    // accepted equation (blank for an empty slot), the range fields the
    // view's numbers and, outside Rectangular mode, the step fields the step
    // range's, as the program writes them. Plot then changes nothing.
    bool FieldsShowGraph() const;
    void SetEquationField(int slot, const std::string& text);
    void SetGraphMode(int32_t mode);
    void GetOptions(GraphOptions& options) const;
    void ApplyOptions(const GraphOptions& options);

    // Preferences.
    void SetDefaults();
    void LoadPreferences();
    void SavePreferences();

    // Shows a warning or error box owned by the frame window.
    void Message(const char* text, const char* caption, UINT icon) const;
    // The same with a text of any characters, captioned with the product name.
    int MessageW(const std::wstring& text, UINT style) const;

    GraphPrefs* prefs = nullptr;
    Plotter plotter;
    HWND activeDialog = nullptr;
    HWND frameWindow = nullptr;
    HWND mainDialog = nullptr;
    HWND graphControl = nullptr;
    HWND vertScale = nullptr;
    HWND horzScale = nullptr;
    ImmWindow immWindow{activeDialog};
    AnalysisWindow analysisWindow;
    int32_t graphMargins[4] = {};
    UINT dpi = 96; // the resolution the frame is shown at, when the margins were measured
    DibCanvas canvas{1, 1};
    // The canvas pixels as an image for the export; null when it could not
    // be made (the export then reports the failure).
    std::unique_ptr<Zr32BitImage> exportImage;
    HACCEL accelerators = nullptr;
    GdiObject<HBRUSH> faceBrush;
    GraphOptions defaultOptions;
    std::array<uint32_t, 8> graphColors = {};
    uint32_t backColor = 0;
    uint32_t axisColor = 0;
    bool showAxes = true;
    // Smooth curves, and whether the preference is stored (then it is
    // saved again; a program that never turned it on stores nothing).
    bool smoothCurves = false;
    bool smoothCurvesStored = false;
    bool showImmediate = false;
    bool showAnalysis = false;
    // The Analysis window was shown in this run or an earlier one: only then
    // are its preferences kept.
    bool analysisUsed = false;
    bool trackingPointer = false; // WM_MOUSELEAVE is asked for
    double zoomFactor = 1.5;
    EquationSlots equations;
    bool dragging = false;
    int32_t dragX = 0, dragY = 0;
    WheelSteps wheel;
    // The update descriptor Run checks; the vendor's (tests point it at a
    // server of their own).
    std::string updateUrl = kUpdateDescriptorUrl;
    uint32_t updateDeadlineMs = kUpdateDeadlineMs;
    // The check Run started, until its result has been offered.
    std::shared_ptr<UpdateCheck> updateCheck;

    // The open document's file (a full path), empty without one; what it
    // held when it was last opened or saved; the recent files; the file
    // named on the command line.
    std::wstring documentPath;
    DocumentSnapshot savedState;
    RecentFiles recentFiles;
    std::wstring startupDocument;
    bool titleUpdatePending = false;

private:
    bool ShowView(const ViewRange& view);
    // Makes `path` the document's file: title, recent list and its menu.
    void BecomeDocument(const std::wstring& path);
    void ShowRecentFiles();
    // Zooms for a wheel message over the graph; false for anything else.
    bool IsWheelOverGraph(const MSG& message);
    bool RegisterClasses();
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
