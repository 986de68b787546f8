#include "imm/imm_window.h"

#include <new>
#include <string>

#include "expr/builtins.h"
#include "plot/dpi_scale.h"
#include "res/resource.h"
#include "win/dpi.h"
#include "win/win_handles.h"
#include "win/window_state.h"

namespace {

const char kImmediateClass[] = "Immediate";
const char kHistoryClass[] = "History";
const char kImmediateTitle[] = "Orvanta: Immediate";
// The frame's first size, in pixels at 96 dots per inch.
constexpr int32_t kInitialWidth = 300;
constexpr int32_t kInitialHeight = 200;

// A window's height from its window rectangle.
int32_t WindowHeight(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

// One row of the history: a single line, vertically centred, left-aligned.
void DrawRow(HDC dc, const std::string& text, LONG left, LONG right, LONG top, LONG bottom) {
    RECT band = {left, top, right, bottom};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &band,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

} // namespace

ImmWindow::ImmWindow(HWND& activeDialog) : activeDialog(activeDialog) {
    RegisterBuiltins(symbols);
}

ImmWindow::~ImmWindow() {
    if (immFrame)
        DestroyWindow(immFrame);
    immFrame = nullptr;
    ClearHistory();
}

bool ImmWindow::CreateWindows(HINSTANCE instance, HWND owner, HWND newMainWindow) {
    mainWindow = newMainWindow;
    const auto white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (!classes[0].Register(instance, kImmediateClass, ImmediateWindowProc,
                             LoadIconA(instance, MAKEINTRESOURCEA(IDI_ORVANTA)), white) ||
        !classes[1].Register(instance, kHistoryClass, HistoryWindowProc, nullptr, white))
        return false;
    dpi = WindowDpi(mainWindow);
    const auto scale = static_cast<int32_t>(dpi);
    immFrame = CreateWindowExA(0, kImmediateClass, kImmediateTitle,
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                               ScaleToDpi(kInitialWidth, scale), ScaleToDpi(kInitialHeight, scale),
                               owner, nullptr, instance, this);
    if (!immFrame)
        return false;
    immDialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_IMMEDIATE), immFrame,
                                   ImmediateDialogProc, reinterpret_cast<LPARAM>(this));
    if (!immDialog)
        return false;
    historyControl = GetDlgItem(immDialog, IDC_HISTORY);
    inputEdit = GetDlgItem(immDialog, IDC_IMM_INPUT);
    enterButton = GetDlgItem(immDialog, IDOK);
    if (!historyControl || !inputEdit || !enterButton)
        return false;
    lineHeight = WindowHeight(inputEdit);
    Layout();
    ShowWindow(immDialog, SW_SHOW);
    return true;
}

void ImmWindow::Layout() {
    if (!immFrame || !immDialog)
        return;
    RECT c;
    GetClientRect(immFrame, &c);
    RECT button = {};
    GetWindowRect(enterButton, &button);
    const LONG bw = button.right - button.left, bh = button.bottom - button.top;
    const LONG h = lineHeight;
    const LONG gap = ScaleToDpi(5, static_cast<int32_t>(dpi)), strip = h + 2 * gap;
    SetWindowPos(immDialog, nullptr, c.left, c.top, c.right - c.left, c.bottom - c.top,
                 SWP_NOZORDER);
    SetWindowPos(historyControl, nullptr, c.left, c.top, c.right - c.left, c.bottom - strip - c.top,
                 SWP_NOZORDER);
    SetWindowPos(inputEdit, nullptr, c.left, c.bottom - gap - h, c.right - c.left - bw - 2 * gap, h,
                 SWP_NOZORDER);
    SetWindowPos(enterButton, nullptr, c.right - gap - bw, (c.bottom - strip) + (strip - bh) / 2,
                 bw, bh, SWP_NOZORDER);
}

void ImmWindow::Hide() {
    if (immFrame)
        ShowWindow(immFrame, SW_HIDE);
    if (HMENU menu = mainWindow ? GetMenu(mainWindow) : nullptr)
        CheckMenuItem(menu, IDM_IMMEDIATE, MF_BYCOMMAND | MF_UNCHECKED);
}

void ImmWindow::Show() {
    if (immFrame)
        ShowWindow(immFrame, SW_SHOW);
    if (HMENU menu = mainWindow ? GetMenu(mainWindow) : nullptr)
        CheckMenuItem(menu, IDM_IMMEDIATE, MF_BYCOMMAND | MF_CHECKED);
}

void ImmWindow::SubmitLine() {
    // One character more than the engine takes, so that a longer line is
    // seen to be one.
    char text[ImmediateLineLimit + 2] = {};
    if (inputEdit)
        GetWindowTextA(inputEdit, text, sizeof text);
    AddLine(text);
    if (inputEdit)
        SetWindowTextA(inputEdit, "");
    PaintHistory();
}

void ImmWindow::AddLine(std::string_view line) {
    // Without memory for the entry the line is dropped: nothing to show.
    auto* entry = new (std::nothrow) HistoryEntry;
    if (!entry)
        return;
    static_cast<ImmediateEntry&>(*entry) = SubmitImmediateLine(expression, line);
    entry->next = historyHead;
    if (!historyHead)
        historyTail = entry;
    historyHead = entry;
    ++historyCount;
}

// Only the entries that reach into the control are drawn, so the time does
// not grow with the history.
void ImmWindow::PaintHistory() {
    if (!historyControl)
        return;
    WindowDC dc(historyControl);
    if (!dc)
        return;
    RECT client;
    GetClientRect(historyControl, &client);
    FillRect(dc.get(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // The dialog's font, which is made for the window's resolution.
    const HFONT font = DialogFont(historyControl);
    SelectGuard selectFont(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc.get(), TRANSPARENT);
    const LONG h = lineHeight;
    LONG y = client.bottom;
    for (const HistoryEntry* entry = historyHead; entry && y > client.top; entry = entry->next) {
        if (!entry->text.empty()) {
            const COLORREF previous = SetTextColor(dc.get(), RGB(0, 0, 255));
            DrawRow(dc.get(), ImmediateResultText(*entry), client.left, client.right, y - h, y);
            SetTextColor(dc.get(), previous);
        }
        DrawRow(dc.get(), entry->text, client.left, client.right, y - 2 * h, y - h);
        y -= 2 * h;
    }
}

void ImmWindow::ClearHistory() {
    while (historyHead) {
        HistoryEntry* older = historyHead->next;
        delete historyHead;
        historyHead = older;
    }
    historyTail = nullptr;
    historyCount = 0;
}

void ImmWindow::OnActivate(bool active) {
    activeDialog = active ? immDialog : nullptr;
}

void ImmWindow::OnDpiChanged(UINT newDpi, const RECT* suggested) {
    if (newDpi == 0 || !immFrame)
        return;
    // The field's height was read at the old resolution; the dialog's
    // controls are scaled with the window.
    lineHeight = MulDiv(lineHeight, static_cast<int>(newDpi), static_cast<int>(dpi));
    dpi = newDpi;
    MoveToSuggestedRect(immFrame, suggested);
    Layout();
    PaintHistory();
}

LRESULT CALLBACK ImmediateWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ImmWindow* imm = WindowState<ImmWindow>(window, message, lParam);
    switch (message) {
    case WM_SIZE:
        if (imm)
            imm->Layout();
        return 0;
    case WM_ACTIVATE:
        if (imm)
            imm->OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_SETFOCUS:
        if (imm && imm->inputEdit)
            SetFocus(imm->inputEdit);
        return 0;
    case WM_PAINT: {
        PaintScope paint(window); // the class brush paints the background
        return 0;
    }
    case WM_CLOSE:
        if (imm)
            imm->Hide();
        return 0;
    case WM_DPICHANGED:
        if (imm)
            imm->OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CREATE:
    case WM_DESTROY:
    case WM_NOTIFY:
    case WM_KEYDOWN:
    case WM_RBUTTONDOWN:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

INT_PTR CALLBACK ImmediateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ImmWindow* imm = WindowState<ImmWindow>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && imm)
            imm->SubmitLine();
        return FALSE;
    default:
        return FALSE;
    }
}

LRESULT CALLBACK HistoryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PaintScope paint(window);
        // The control is made by the dialog's template: the object is the dialog's.
        if (ImmWindow* imm = WindowState<ImmWindow>(GetParent(window)))
            imm->PaintHistory();
        return 0;
    }
    case WM_CREATE:
    case WM_DESTROY:
    case WM_CLOSE:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
