// The frame window, the main dialog, the command table and the layout.
#include "app/graphapp.h"
#include "app/vendor.h"
#include "plot/export_image.h"
#include "prefs/options_dialog.h"
#include "res/resource.h"
#include "ui/help_about.h"
#include "win/dpi.h"
#include "src/log.h"
#include "src/zr_error.h"

namespace {

// The frame's user data holds its modeless dialog, which the message loop
// offers keyboard messages to while the frame is active.
void OnActivate(HWND window, WPARAM wParam) {
    App().activeDialog = LOWORD(wParam) != WA_INACTIVE
                             ? reinterpret_cast<HWND>(GetWindowLongPtrA(window, GWLP_USERDATA))
                             : nullptr;
}

void OnPaintFrame(HWND window) {
    PaintScope paint(window);
    App().RefreshRulers();
}

void StoreInParent(HWND dialog) {
    SetWindowLongPtrA(GetParent(dialog), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
}

} // namespace

LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        App().CloseCommand();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        return App().session.ConfirmDiscard() ? TRUE : FALSE;
    case WM_DROPFILES:
        App().session.DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case kUpdateTitleMessage:
        App().session.UpdateTitle();
        return 0;
    case kUpdateCheckedMessage:
        App().updateOffer.CheckEnded();
        return 0;
    case kRelationMapsMessage:
        App().OnRelationMaps(static_cast<uint64_t>(wParam));
        return 0;
    case WM_ENABLE:
        // A modal dialog or message box has ended: an offer that waited for
        // it is shown now.
        if (wParam)
            App().updateOffer.FrameEnabled();
        return 0;
    case WM_CREATE:
    case WM_NOTIFY:
    case WM_RBUTTONDOWN:
        return 0;
    case WM_SIZE:
        App().LayoutMainWindow();
        return 0;
    case WM_ACTIVATE:
        OnActivate(window, wParam);
        return 0;
    case WM_PAINT:
        OnPaintFrame(window);
        return 0;
    case WM_COMMAND:
        App().OnCommand(LOWORD(wParam));
        return 0;
    case WM_DPICHANGED:
        App().OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        StoreInParent(dialog);
        return TRUE;
    case WM_COMMAND:
        // Any edit of a field may make a document differ from its file.
        if (HIWORD(wParam) == EN_CHANGE)
            App().session.Changed();
        switch (LOWORD(wParam)) {
        case IDC_ZOOM_IN:
        case IDC_ZOOM_OUT:
        case IDC_OPTIONS:
        case IDC_EXPORT:
        case IDC_PLOT:
            App().OnCommand(LOWORD(wParam));
            break;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void GraphApp::OnCommand(int id) {
    switch (id) {
    case IDM_EXPORT:
    case IDA_EXPORT:
    case IDC_EXPORT:
        ExportCommand();
        break;
    case IDM_COPY_GRAPH:
        CopyGraphCommand();
        break;
    case IDM_EXIT:
        CloseCommand();
        break;
    case IDM_NEW:
        session.NewCommand();
        break;
    case IDM_OPEN:
        session.OpenCommand();
        break;
    case IDM_SAVE:
        session.SaveCommand();
        break;
    case IDM_SAVE_AS:
        session.SaveAsCommand();
        break;
    case IDM_OPTIONS:
    case IDC_OPTIONS:
        OptionsCommand();
        break;
    case IDM_ZOOM_IN:
    case IDA_ZOOM_IN:
    case IDC_ZOOM_IN:
        ZoomIn();
        break;
    case IDM_ZOOM_OUT:
    case IDA_ZOOM_OUT:
    case IDC_ZOOM_OUT:
        ZoomOut();
        break;
    case IDM_PLOT:
    case IDA_PLOT:
    case IDC_PLOT:
        PlotCommand();
        break;
    case IDM_RECTANGULAR:
    case IDM_PARAMETRIC:
    case IDM_POLAR:
        SetGraphMode(id == IDM_RECTANGULAR  ? Rectangular
                     : id == IDM_PARAMETRIC ? Parametric
                                            : Polar);
        Render();
        RefreshGraph();
        break;
    case IDM_IMMEDIATE:
    case IDA_IMMEDIATE:
        ToggleImmediate();
        break;
    case IDM_ANALYSIS:
        ToggleAnalysis();
        break;
    case IDM_HELP:
        ShowHelpDialog(frameWindow);
        break;
    case IDM_ABOUT:
        ShowAboutBox(frameWindow, {Title(), WebSite(), kVendorHomePage});
        break;
    default:
        if (id >= IDM_RECENT_FIRST && id <= IDM_RECENT_LAST)
            session.OpenRecent(static_cast<size_t>(id - IDM_RECENT_FIRST));
        break;
    }
}

void GraphApp::CloseCommand() {
    if (session.ConfirmDiscard())
        PostQuitMessage(0);
}

void GraphApp::ToggleAnalysis() {
    if (analysisWindow.IsShown()) {
        analysisWindow.Hide();
        return;
    }
    // Shown for the first time ever: no placement was stored for it.
    if (!analysisUsed)
        analysisWindow.PlaceBesideOwner();
    analysisUsed = true;
    FollowGraph();
    analysisWindow.Show();
}

void GraphApp::ToggleImmediate() {
    if (IsWindowVisible(immWindow.immFrame))
        immWindow.Hide();
    else
        immWindow.Show();
}

// The dialog works on a copy; OK applies it and redraws. The range does not
// change, so the rulers stay as they are.
void GraphApp::OptionsCommand() {
    GraphOptions options;
    GetOptions(options);
    if (!RunOptionsDialog(frameWindow, &options, defaultOptions))
        return;
    ApplyOptions(options);
    Render();
    RefreshGraph();
}

void GraphApp::OnDpiChanged(UINT newDpi, const RECT* suggested) {
    if (newDpi == 0 || !frameWindow)
        return;
    for (int32_t& margin : graphMargins)
        margin = MulDiv(margin, static_cast<int>(newDpi), static_cast<int>(dpi));
    dpi = newDpi;
    MoveToSuggestedRect(frameWindow, suggested);
    LayoutMainWindow();
    RefreshGraph();
    RefreshRulers();
}

void GraphApp::LayoutMainWindow() {
    if (!frameWindow || !mainDialog || !graphControl)
        return; // a size message before start-up has made the windows
    RECT frame;
    GetClientRect(frameWindow, &frame);
    SetWindowPos(mainDialog, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER);

    RECT d;
    GetClientRect(mainDialog, &d);
    RECT g = {d.left + graphMargins[0], d.top + graphMargins[1], d.right - graphMargins[2],
              d.bottom - graphMargins[3]};
    if (g.right <= g.left)
        g.right = g.left + 10;
    if (g.bottom <= g.top)
        g.bottom = g.top + 10;
    SetWindowPos(graphControl, nullptr, g.left, g.top, g.right - g.left, g.bottom - g.top,
                 SWP_NOZORDER);

    canvas.Resize(g.right - g.left, g.bottom - g.top);
    exportImage.reset();
    try {
        exportImage = MakeExportImage(canvas);
    } catch (const ZrErrorCode& error) {
        // The program goes on without an export image; the export reports it.
        logMessage(LogWarning, "no export image for the canvas (error %d)",
                   static_cast<int>(error.code));
    }
    plotter.SetCanvas(canvas.bits(), canvas.Stride(), canvas.Width(), canvas.Height());

    SetWindowPos(horzScale, nullptr, g.left, g.bottom, g.right - g.left, d.bottom - g.bottom,
                 SWP_NOZORDER);
    SetWindowPos(vertScale, nullptr, g.right, g.top, d.right - g.right, g.bottom - g.top,
                 SWP_NOZORDER);
    Render();
}
