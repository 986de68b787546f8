#include "prefs/options_dialog.h"

#include <commdlg.h>

#include "res/resource.h"
#include "win/win_handles.h"

namespace {

const char kColorClass[] = "Color";

// The custom colours of the colour chooser (GDI order), shared by every
// swatch and kept for the whole run, never stored.
COLORREF customColors[16] = {};

// The record the running dialog works on, and the defaults its Defaults
// button restores; set for the time the dialog runs.
GraphOptions* dialogOptions = nullptr;
const GraphOptions* dialogDefaults = nullptr;

const int kGraphSwatches[8] = {IDC_GRAPH_COLOR1, IDC_GRAPH_COLOR2, IDC_GRAPH_COLOR3,
                               IDC_GRAPH_COLOR4, IDC_GRAPH_COLOR5, IDC_GRAPH_COLOR6,
                               IDC_GRAPH_COLOR7, IDC_GRAPH_COLOR8};

// 0x00RRGGBB <-> GDI's 0x00BBGGRR: the red and blue bytes change places.
COLORREF ToGdi(uint32_t color) {
    return RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
}
uint32_t FromGdi(COLORREF color) {
    return MakeColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

uint32_t SwatchColor(HWND swatch) {
    return static_cast<uint32_t>(GetWindowLongA(swatch, 0));
}
void SetSwatchColor(HWND swatch, uint32_t color) {
    SetWindowLongA(swatch, 0, static_cast<LONG>(color));
}

uint32_t ReadSwatch(HWND dialog, int id) {
    return SwatchColor(GetDlgItem(dialog, id));
}
void WriteSwatch(HWND dialog, int id, uint32_t color) {
    if (HWND swatch = GetDlgItem(dialog, id))
        SetSwatchColor(swatch, color);
}

void OnPaintSwatch(HWND swatch) {
    PaintScope paint(swatch);
    GdiObject<HBRUSH> brush(CreateSolidBrush(ToGdi(SwatchColor(swatch))));
    if (!brush)
        return;
    RECT client;
    GetClientRect(swatch, &client);
    FillRect(paint.dc(), &client, brush.get());
}

void ChooseSwatchColor(HWND swatch) {
    CHOOSECOLORA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = swatch;
    chooser.rgbResult = ToGdi(SwatchColor(swatch));
    chooser.lpCustColors = customColors;
    chooser.Flags = CC_RGBINIT | CC_FULLOPEN | CC_SOLIDCOLOR | CC_ANYCOLOR;
    if (!ChooseColorA(&chooser))
        return;
    SetSwatchColor(swatch, FromGdi(chooser.rgbResult));
    InvalidateRect(swatch, nullptr, FALSE);
}

// The controls from a record. A mode outside 0 to 2 leaves the radio
// buttons as they are.
void FillControls(HWND dialog, const GraphOptions& options) {
    for (int n = 0; n < 8; ++n)
        WriteSwatch(dialog, kGraphSwatches[n], options.graphColors[n]);
    WriteSwatch(dialog, IDC_BACK_COLOR, options.backColor);
    WriteSwatch(dialog, IDC_AXIS_COLOR, options.axisColor);
    if (options.mode >= 0 && options.mode <= 2)
        CheckRadioButton(dialog, IDC_MODE_RECTANGULAR, IDC_MODE_POLAR,
                         IDC_MODE_RECTANGULAR + options.mode);
    CheckDlgButton(dialog, IDC_SHOW_AXES, options.showAxes ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SMOOTH_CURVES, options.smoothCurves ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_EXACT_CURVES, options.exactCurves ? BST_CHECKED : BST_UNCHECKED);
}

// A record from the controls; with no radio button selected the mode reads
// as Polar.
void ReadControls(HWND dialog, GraphOptions& options) {
    for (int n = 0; n < 8; ++n)
        options.graphColors[n] = ReadSwatch(dialog, kGraphSwatches[n]);
    options.backColor = ReadSwatch(dialog, IDC_BACK_COLOR);
    options.axisColor = ReadSwatch(dialog, IDC_AXIS_COLOR);
    options.mode = IsDlgButtonChecked(dialog, IDC_MODE_RECTANGULAR) == BST_CHECKED  ? 0
                   : IsDlgButtonChecked(dialog, IDC_MODE_PARAMETRIC) == BST_CHECKED ? 1
                                                                                    : 2;
    options.showAxes = IsDlgButtonChecked(dialog, IDC_SHOW_AXES) == BST_CHECKED;
    options.smoothCurves = IsDlgButtonChecked(dialog, IDC_SMOOTH_CURVES) == BST_CHECKED;
    options.exactCurves = IsDlgButtonChecked(dialog, IDC_EXACT_CURVES) == BST_CHECKED;
}

void OnOptionsCommand(HWND dialog, int id) {
    switch (id) {
    case IDOK:
        if (dialogOptions)
            ReadControls(dialog, *dialogOptions);
        EndDialog(dialog, IDOK);
        break;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        break;
    case IDC_OPTIONS_DEFAULTS:
        if (dialogDefaults)
            FillControls(dialog, *dialogDefaults);
        InvalidateRect(dialog, nullptr, FALSE); // the swatches repaint in their new colours
        break;
    }
}

} // namespace

LRESULT CALLBACK ColorSwatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaintSwatch(window);
        return 0;
    case WM_LBUTTONDOWN:
        ChooseSwatchColor(window);
        return 0;
    case WM_CREATE:
    case WM_DESTROY:
    case WM_CLOSE:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterColorClass(WindowClass& owner, HINSTANCE instance) {
    // No background brush: the swatch paints its whole client area.
    return owner.Register(instance, kColorClass, ColorSwatchProc, nullptr, nullptr, nullptr, 8);
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        dialogOptions = reinterpret_cast<GraphOptions*>(lParam);
        if (dialogOptions)
            FillControls(dialog, *dialogOptions);
        return TRUE;
    case WM_COMMAND:
        OnOptionsCommand(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

bool RunOptionsDialog(HWND owner, GraphOptions* options, const GraphOptions& defaults) {
    const HINSTANCE instance = DialogModule(owner);
    dialogDefaults = &defaults;
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner,
                                           OptionsDialogProc, reinterpret_cast<LPARAM>(options));
    dialogOptions = nullptr;
    dialogDefaults = nullptr;
    return result == IDOK;
}
