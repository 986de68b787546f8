// The application object: owns the main window, the plot state, the canvas
// and the display settings, and carries out every command.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/canvas.h"
#include "app/vendor.h"
#include "app/wapp.h"
#include "imm/imm_window.h"
#include "plot/plotter.h"
#include "plot/render.h"
#include "plot/view.h"
#include "prefs/graph_options.h"
#include "res/version.h"
#include "src/zr_32bit_image.h"
#include "win/win_handles.h"

class GraphPrefs;
class Sarvel;

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
    void OptionsCommand();
    void ExportCommand();

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
    void PlotCommand();
    void SetGraphMode(int32_t mode);
    void GetOptions(GraphOptions& options) const;
    void ApplyOptions(const GraphOptions& options);

    // Preferences.
    void SetDefaults();
    void LoadPreferences();
    void SavePreferences();

    // Shows a warning or error box owned by the frame window.
    void Message(const char* text, const char* caption, UINT icon) const;

    GraphPrefs* prefs = nullptr;
    Plotter plotter;
    HWND activeDialog = nullptr;
    HWND frameWindow = nullptr;
    HWND mainDialog = nullptr;
    HWND graphControl = nullptr;
    HWND vertScale = nullptr;
    HWND horzScale = nullptr;
    ImmWindow immWindow{activeDialog};
    int32_t graphMargins[4] = {};
    UINT dpi = 96; // the resolution the frame is shown at, when the margins were measured
    Canvas canvas{1, 1};
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
    bool showImmediate = false;
    double zoomFactor = 1.5;
    EquationSlots equations;
    bool dragging = false;
    int32_t dragX = 0, dragY = 0;
    WheelSteps wheel;
    // The update descriptor Run checks; the vendor's (tests point it at a
    // server of their own).
    std::string updateUrl = kUpdateDescriptorUrl;

private:
    bool ShowView(const ViewRange& view);
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
// characters) and the format (1 PNG, 2 BMP); false when the user cancels.
// A name without an extension gets ".PNG" or ".BMP" when it fits.
bool ChooseExportFile(HWND owner, HINSTANCE instance, char* name, size_t size, int& format);
// Hook of the save dialog: places it at (dx / 2, dy / 3) from the screen
// origin, dx and dy being how much wider and higher the frame is.
UINT_PTR CALLBACK CentreDialogHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
