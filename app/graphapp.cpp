// The application object: construction, start-up in its fixed order, the
// message loop, shutdown, preferences; and the program's entry point.
#include "app/graphapp.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/vendor.h"
#include "prefs/graph_prefs.h"
#include "prefs/options_dialog.h"
#include "res/resource.h"
#include "src/log.h"
#include "win/dpi.h"
#include "win/system_dlls.h"
#include "win/text_encoding.h"

namespace {

const char kGraphClass[] = "Graph";
const char kHorzScaleClass[] = "HorzScale";
const char kVertScaleClass[] = "VertScale";

// The frame's placement and the display values stored between runs.
const char kMainWindowDim[] = "Main_Window_Dim";
const char kGraphMode[] = "Graph_Mode";
const char* const kGraphColorNames[8] = {"Graph_Color_1", "Graph_Color_2", "Graph_Color_3",
                                         "Graph_Color_4", "Graph_Color_5", "Graph_Color_6",
                                         "Graph_Color_7", "Graph_Color_8"};
const char kBackColor[] = "Back_Color";
const char kAxisColor[] = "Axis_Color";
// The largest colour word, 0xRRGGBB.
constexpr int32_t kMaxColorWord = 0xFFFFFF;
const char kShowAxes[] = "Show_Axes";
const char kSmoothCurves[] = "Smooth_Curves";
const char kExactCurves[] = "Exact_Curves";
const char kShowImmediate[] = "Show_Imm";
const char kImmWindowDim[] = "Imm_Window_Dim";
const char kShowAnalysis[] = "Show_Analysis";
const char kAnalysisWindowDim[] = "Analysis_Window_Dim";

// The rectangle of a control in its parent's client coordinates.
bool ControlRectInParent(HWND control, HWND parent, RECT& rect) {
    if (!GetWindowRect(control, &rect))
        return false;
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    if (!ScreenToClient(parent, &corners[0]) || !ScreenToClient(parent, &corners[1]))
        return false;
    rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return true;
}

} // namespace

GraphApp& App() { return static_cast<GraphApp&>(*GetApp()); }

const char* GraphApp::WebSite() const { return kVendorWebSite; }

// The offer's reminder is a text value of the program's registry key.
GraphApp::GraphApp()
    : updateOffer(kUpdateDescriptorUrl,
                  {VersionText(), DisplayName(), Title(),
                   [this](const char* name) {
                       char text[256];
                       ReadStringOrDefault(name, text, sizeof text, nullptr);
                       return std::string(text);
                   },
                   [this](const char* name, const char* text) { WriteStringBoth(name, text); }}) {
    plotter.Reset();
}

GraphApp::~GraphApp() {
    decisions.Stop();
    if (frameWindow)
        DestroyWindow(frameWindow);
    frameWindow = nullptr;
    exportImage.reset();
}

void GraphApp::Init(HINSTANCE newInstance, GraphPrefs* newPrefs) {
    prefs = newPrefs;
    instance = newInstance;
    BuildKeyPath(CompanyName(), ProductName(), MajorVersion());
}

void GraphApp::Message(const char* text, const char* caption, UINT icon) const {
    MessageBoxA(frameWindow, text, caption, MB_OK | icon);
}

void GraphApp::Run() {
    if (!InitWindows()) {
        Message("Application failed in startup", "Startup failed", MB_ICONERROR);
        return;
    }
    session.OpenStartupDocument();
    // The check runs beside the message loop, so the window answers from the
    // start; its end arrives as a message. It says nothing on failure.
    updateOffer.Start(frameWindow, kUpdateCheckedMessage);
    MessageLoop();
    // A relation still refining must not hold up the exit.
    decisions.Stop();
    SavePreferences();
}

// The wheel goes to the window with the focus, usually an equation field,
// which would keep it; over the graph it zooms wherever the focus is.
bool GraphApp::IsWheelOverGraph(const MSG& message) {
    return message.message == WM_MOUSEWHEEL &&
           WheelZoom(GET_WHEEL_DELTA_WPARAM(message.wParam), GET_X_LPARAM(message.lParam),
                     GET_Y_LPARAM(message.lParam));
}

void GraphApp::MessageLoop() {
    MSG message;
    for (;;) {
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0)
            break;
        if (result == -1)
            continue;
        if (IsWheelOverGraph(message))
            continue;
        if (TranslateAcceleratorA(frameWindow, accelerators, &message)) {
            DispatchMessageA(&message);
            continue;
        }
        if (activeDialog && IsDialogMessageA(activeDialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The classes go with the application object (see WindowClass).
bool GraphApp::RegisterClasses() {
    // The frame is a Unicode window: its title names the open document,
    // whose file name may hold any character.
    return classes[0].RegisterUnicode(instance, ProductName(), FrameWindowProc,
                               LoadIconA(instance, MAKEINTRESOURCEA(IDI_ORVANTA)),
                               static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                               MAKEINTRESOURCEA(IDR_MAINMENU)) &&
           classes[1].Register(instance, kGraphClass, GraphWindowProc) &&
           classes[2].Register(instance, kHorzScaleClass, HorzScaleWindowProc, nullptr,
                               faceBrush.get()) &&
           classes[3].Register(instance, kVertScaleClass, VertScaleWindowProc, nullptr,
                               faceBrush.get());
}

bool GraphApp::InitWindows() {
    // The manifest asks for version 6 of the common controls; loading them
    // here gives the dialogs' buttons and fields their visual styles.
    const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    faceBrush.reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    if (!faceBrush || !RegisterClasses())
        return false;
    // The Options dialog's swatches; the dialog is the only user, so start-up
    // goes on without them.
    RegisterColorClass(colorClass, instance);
    const std::wstring product = AnsiToWide(ProductName());
    frameWindow = CreateWindowExW(
        0, product.c_str(), product.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!frameWindow)
        return false;
    decisions.Notify(frameWindow, kRelationMapsMessage);
    mainDialog =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), frameWindow, MainDialogProc, 0);
    if (!mainDialog)
        return false;
    graphControl = GetDlgItem(mainDialog, IDC_GRAPH);
    horzScale = GetDlgItem(mainDialog, IDC_HORZ_SCALE);
    vertScale = GetDlgItem(mainDialog, IDC_VERT_SCALE);
    if (!graphControl || !horzScale || !vertScale)
        return false;
    canvas.SetWindow(graphControl);

    RECT client, control;
    if (!GetClientRect(mainDialog, &client) ||
        !ControlRectInParent(graphControl, mainDialog, control))
        return false;
    graphMargins[0] = control.left - client.left;
    graphMargins[1] = control.top - client.top;
    graphMargins[2] = client.right - control.right;
    graphMargins[3] = client.bottom - control.bottom;
    dpi = WindowDpi(frameWindow);

    if (!immWindow.CreateWindows(instance, nullptr, frameWindow) ||
        !analysisWindow.Create(instance, frameWindow, graphControl, &activeDialog))
        return false;
    // The first size; a placement stored by an earlier run replaces it.
    SizeFrameForDialog(frameWindow, mainDialog);
    LoadPreferences();
    session.Start(frameWindow, KeyPath(), ProductName());
    // Graph documents dropped anywhere on the window open.
    DragAcceptFiles(frameWindow, TRUE);
    SetViewRange(-10, 10, -10, 10, false);
    SetStepRange(-10, 10, false);
    LayoutMainWindow();

    accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    if (!accelerators)
        return false;
    ShowWindow(mainDialog, SW_SHOWNORMAL);
    SetFocus(mainDialog);
    ShowWindow(frameWindow, SW_SHOWNORMAL);
    if (showImmediate)
        ToggleImmediate();
    if (showAnalysis)
        ToggleAnalysis();
    return true;
}

void GraphApp::SetDefaults() {
    SetGraphMode(Rectangular);
    model.style = defaultOptions;
    zoomFactor = 1.5;
    showImmediate = false;
    showAnalysis = false;
}

void GraphApp::LoadPreferences() {
    SetDefaults();
    if (!prefs)
        return;
    // A value outside what the program writes counts as missing.
    SetGraphMode(prefs->GetIntInRange(kGraphMode, Rectangular, Polar, plotter.mode));
    auto color = [&](const char* name, uint32_t& word) {
        word = static_cast<uint32_t>(
            prefs->GetIntInRange(name, 0, kMaxColorWord, static_cast<int32_t>(word)));
    };
    for (int i = 0; i < 8; ++i)
        color(kGraphColorNames[i], graphColors[i]);
    color(kBackColor, backColor);
    color(kAxisColor, axisColor);
    showAxes = prefs->GetBool(kShowAxes, showAxes);
    // Absent is off; a stored value is kept up to date from then on.
    const int32_t smooth = prefs->GetIntInRange(kSmoothCurves, 0, 1, -1);
    smoothCurvesStored = smooth != -1;
    model.style.smoothCurves = smooth == 1;
    const int32_t exact = prefs->GetIntInRange(kExactCurves, 0, 1, -1);
    exactCurvesStored = exact != -1;
    model.style.exactCurves = exact == 1;
    showImmediate = prefs->GetBool(kShowImmediate, showImmediate);
    prefs->RestoreWindowPlacement(kMainWindowDim, frameWindow);
    prefs->RestoreWindowPlacement(kImmWindowDim, immWindow.immFrame);
    // The Analysis window's values exist once it has been shown.
    const int32_t shown = prefs->GetIntInRange(kShowAnalysis, 0, 1, -1);
    analysisUsed = shown != -1;
    if (analysisUsed) {
        showAnalysis = shown != 0;
        prefs->RestoreWindowPlacement(kAnalysisWindowDim, analysisWindow.frame);
    }
}

void GraphApp::SavePreferences() {
    if (!prefs)
        return;
    prefs->SetInt(kGraphMode, plotter.mode);
    for (int i = 0; i < 8; ++i)
        prefs->SetInt(kGraphColorNames[i], static_cast<int32_t>(graphColors[i]));
    prefs->SetInt(kBackColor, static_cast<int32_t>(backColor));
    prefs->SetInt(kAxisColor, static_cast<int32_t>(axisColor));
    prefs->SetInt(kShowAxes, showAxes ? 1 : 0);
    if (model.style.smoothCurves || smoothCurvesStored) {
        prefs->SetInt(kSmoothCurves, model.style.smoothCurves ? 1 : 0);
        smoothCurvesStored = true;
    }
    if (model.style.exactCurves || exactCurvesStored) {
        prefs->SetInt(kExactCurves, model.style.exactCurves ? 1 : 0);
        exactCurvesStored = true;
    }
    // Whether the Immediate window is shown now, not what was loaded.
    prefs->SetInt(kShowImmediate, IsWindowVisible(immWindow.immFrame) ? 1 : 0);
    prefs->SaveWindowPlacement(kMainWindowDim, frameWindow);
    prefs->SaveWindowPlacement(kImmWindowDim, immWindow.immFrame);
    // A program that never showed the Analysis window writes nothing of it.
    if (analysisUsed) {
        prefs->SetInt(kShowAnalysis, analysisWindow.IsShown() ? 1 : 0);
        prefs->SaveWindowPlacement(kAnalysisWindowDim, analysisWindow.frame);
    }
}

namespace {

struct LocalFreeDeleter {
    void operator()(LPWSTR* block) const { LocalFree(block); }
};

// The document to open: the first argument of the wide command line, so
// that a name of any characters arrives whole (the shell's open command
// passes it quoted).
std::wstring DocumentArgument() {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreeDeleter> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count));
    return arguments && count >= 2 ? std::wstring(arguments.get()[1]) : std::wstring();
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LoadDllsOnlyFromSystemFolder();
    logMessage(LogDebug, "Graph console!");
    GraphApp app;
    app.session.startupDocument = DocumentArgument();
    OrvantaPrefs prefs(&app);
    app.Init(instance, &prefs);
    app.Run();
    return 0;
}
