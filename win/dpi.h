// The resolution windows are shown at, for sizes given in pixels at 96 dots
// per inch (ScaleToDpi in plot/dpi_scale.h scales them).
#pragma once

#include <windows.h>

// The dots per inch `window` is shown at: its monitor's where the system
// scales per monitor (Windows 10 1607 and later), the system's otherwise,
// 96 when neither can be read.
UINT WindowDpi(HWND window);

// The font of the dialog that holds `control`, which the dialog manager made
// for the control's resolution; null for the system font.
HFONT DialogFont(HWND control);

// Moves `window` to the rectangle WM_DPICHANGED suggests (screen
// coordinates); nothing when there is none.
void MoveToSuggestedRect(HWND window, const RECT* suggested);
