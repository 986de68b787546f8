// The Options dialog, in which the user changes the display settings, and
// the colour swatch control it shows each colour with.
#pragma once

#include <windows.h>

#include "prefs/graph_options.h"
#include "win/win_handles.h"

// Registers the "Color" swatch window class for `instance` in `owner`: it
// paints its client area in the colour word held in its window long 0 and
// opens the colour chooser when clicked. False when the class cannot be
// registered (also when it already is).
bool RegisterColorClass(WindowClass& owner, HINSTANCE instance);

// Runs the modal Options dialog over `owner`, starting from *options. True
// when the user pressed OK; *options then holds the choices. On Cancel,
// Escape or the close box *options is left as it was. The Defaults button
// fills the controls from `defaults`.
bool RunOptionsDialog(HWND owner, GraphOptions* options, const GraphOptions& defaults);

LRESULT CALLBACK ColorSwatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
