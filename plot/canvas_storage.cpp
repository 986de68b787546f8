// Pixel memory of the canvas: a DIB section on Windows, so that the pixels
// can be copied to a window as they are; the heap elsewhere.
#include "plot/canvas.h"

#ifdef _WIN32

#include <windows.h>

#include "win/win_handles.h"

namespace {
HDC AsDC(void* p) { return static_cast<HDC>(p); }
} // namespace

void Canvas::Allocate() {
    pixels = nullptr;
    if (!memoryDC)
        memoryDC = CreateCompatibleDC(nullptr);
    if (!memoryDC || width <= 0 || height <= 0)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(AsDC(memoryDC), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section)
        return;
    bitmap = section;
    pixels = static_cast<uint32_t*>(bits);
}

void Canvas::Release() {
    if (bitmap)
        DeleteObject(static_cast<HBITMAP>(bitmap));
    bitmap = nullptr;
    pixels = nullptr;
}

void Canvas::ReleaseDevice() {
    if (memoryDC)
        DeleteDC(AsDC(memoryDC));
    memoryDC = nullptr;
}

void Canvas::SetWindow(void* newWindow) { window = newWindow; }

void Canvas::Blit(int32_t x, int32_t y, int32_t sourceX, int32_t sourceY, int32_t w, int32_t h,
                  void* dc) const {
    if (!bitmap)
        return;
    HDC target = AsDC(dc);
    WindowDC windowDC(target ? nullptr : static_cast<HWND>(window));
    if (!target) {
        if (!windowDC)
            return;
        target = windowDC.get();
    }
    if (w == 0)
        w = width;
    if (h == 0)
        h = height;
    SelectGuard select(AsDC(memoryDC), static_cast<HBITMAP>(bitmap));
    if (GetDeviceCaps(target, NUMCOLORS) <= 0) { // a true-colour display
        BitBlt(target, x, y, w, h, AsDC(memoryDC), sourceX, sourceY, SRCCOPY);
        return;
    }
    // A palette display: copy through a halftone palette, or not at all.
    SetStretchBltMode(target, HALFTONE);
    GdiObject<HPALETTE> palette(CreateHalftonePalette(target));
    if (!palette)
        return;
    HPALETTE previous = SelectPalette(target, palette.get(), TRUE);
    RealizePalette(target);
    BitBlt(target, x, y, w, h, AsDC(memoryDC), sourceX, sourceY, SRCCOPY);
    SelectPalette(target, previous, TRUE);
}

#else

#include <cstdlib>

void Canvas::Allocate() {
    pixels = nullptr;
    if (width <= 0 || height <= 0)
        return;
    const uint64_t bytes = 4ull * static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (bytes > SIZE_MAX)
        return;
    pixels = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(bytes)));
}

void Canvas::Release() {
    std::free(pixels);
    pixels = nullptr;
}

void Canvas::ReleaseDevice() {}

#endif
