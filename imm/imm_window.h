// The Immediate window: a one-line input field under a painted history of
// the lines submitted and their results, with variables of its own that
// last for the run. A separate top-level window; closing it only hides it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "expr/expression.h"
#include "expr/immediate_line.h"
#include "expr/symbols.h"
#include "win/win_handles.h"

// One submitted line and its result.
struct HistoryEntry : ImmediateEntry {
    HistoryEntry* next = nullptr; // the next older entry, null for the oldest
};

class ImmWindow {
public:
    // `activeDialog` is where the program's message loop looks for the
    // modeless dialog to hand keyboard messages to; this window publishes
    // its dialog there while it is active.
    explicit ImmWindow(HWND& activeDialog);
    virtual ~ImmWindow();
    ImmWindow(const ImmWindow&) = delete;
    ImmWindow& operator=(const ImmWindow&) = delete;

    // Registers the "Immediate" and "History" classes and makes the hidden
    // frame with its dialog (resource 106) from `instance`; `mainWindow` is
    // the window whose menu item Window > Immediate Window mirrors whether
    // this one is shown. False at the first failure.
    bool CreateWindows(HINSTANCE instance, HWND owner, HWND mainWindow);
    // Places the history above a strip as high as the input field plus 10
    // pixels (at 96 dots per inch, more at higher resolutions), with the
    // field and the Enter button in it.
    void Layout();
    // Hides the frame and unchecks the menu item.
    void Hide();
    // Shows the frame and checks the menu item.
    void Show();
    // Takes the input field's text (its first 999 characters) as a history
    // entry, evaluates it unless it is blank, empties the field and repaints.
    void SubmitLine();
    // Evaluates a line as SubmitLine does and adds it to the history,
    // without the window (the input field and the painting).
    void AddLine(std::string_view line);
    // Draws the history into the History control, newest at the bottom, two
    // rows an entry: the line, and under it the result in pure blue.
    void PaintHistory();
    // Deletes every entry.
    void ClearHistory();

    // Window procedures' operations; they reach this object through the
    // windows' user data (win/window_state.h).
    void OnActivate(bool active);
    // The window has moved to a display of `newDpi` dots per inch: it takes
    // the rectangle the system suggests and lays out again.
    void OnDpiChanged(UINT newDpi, const RECT* suggested);

    HWND immFrame = nullptr;
    HWND immDialog = nullptr;
    HWND historyControl = nullptr;
    HWND inputEdit = nullptr;
    HWND enterButton = nullptr;
    int32_t lineHeight = 0;
    UINT dpi = 96; // the resolution the frame is shown at
    SymbolTable symbols;
    Expression expression{symbols};
    HistoryEntry* historyTail = nullptr; // the oldest entry
    HistoryEntry* historyHead = nullptr; // the newest entry
    uint32_t historyCount = 0;

private:
    HWND& activeDialog;
    HWND mainWindow = nullptr;
    // "Immediate" and "History"; declared last, so that they are unregistered
    // after the destructor has destroyed the windows.
    WindowClass classes[2];
};

LRESULT CALLBACK ImmediateWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ImmediateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HistoryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
