// The frame's first size: the whole main dialog at the display's resolution.
#include <windows.h>

#include <algorithm>

#include "app/graphapp.h"

namespace {

// The main dialog template's size in dialog units.
constexpr LONG kDialogWidth = 582, kDialogHeight = 417;

} // namespace

void SizeFrameForDialog(HWND frame, HWND dialog) {
    RECT wanted = {0, 0, kDialogWidth, kDialogHeight};
    RECT window, client;
    if (!MapDialogRect(dialog, &wanted) || !GetWindowRect(frame, &window) ||
        !GetClientRect(frame, &client))
        return;
    // The frame's borders, caption and menu bar as they are now, at the
    // frame's own resolution.
    LONG width = wanted.right + (window.right - window.left) - client.right;
    LONG height = wanted.bottom + (window.bottom - window.top) - client.bottom;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT& work = monitor.rcWork;
    width = std::min(width, work.right - work.left);
    height = std::min(height, work.bottom - work.top);
    const LONG x = std::clamp(window.left, work.left, work.right - width);
    const LONG y = std::clamp(window.top, work.top, work.bottom - height);
    SetWindowPos(frame, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
