// The object behind a window. A window of this program that works for an
// object (the Immediate window's, the Analysis window's) keeps a pointer to
// it in its user data: stored as the window is made, from the creation
// parameter of CreateWindowEx or the parameter of CreateDialogParam, and
// read by its procedure with every message after. The object outlives its
// windows (it destroys them).
#pragma once

#include <windows.h>

// For a window or dialog procedure, with each message: on WM_NCCREATE
// (windows) or WM_INITDIALOG (dialogs) stores the object given at creation;
// returns the object stored, null before that and for a window made without
// one.
template <class State> State* WindowState(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(
                              reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams));
    else if (message == WM_INITDIALOG)
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The object stored for `window`; null when there is none.
template <class State> State* WindowState(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}
