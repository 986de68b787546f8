// The window program's canvas: its pixels in a top-down 32-bit DIB section,
// so that they are copied to a window as they are.
#pragma once

#include <windows.h>

#include "plot/canvas.h"

class DibSection;

class DibCanvas : public Canvas {
public:
    // A canvas whose memory device context or DIB section could not be made
    // has bits() null (see Canvas) and Blit does nothing.
    DibCanvas(int32_t width, int32_t height);

    // The window whose device context Blit uses when it is given none.
    void SetWindow(HWND window);
    // Copies a rectangle of the canvas to (x, y) of the device context `dc`
    // (null: the window's), halftoned on palette displays. A width or height
    // of 0 means the whole canvas's.
    void Blit(int32_t x, int32_t y, int32_t sourceX, int32_t sourceY, int32_t width, int32_t height,
              HDC dc) const;

private:
    const DibSection& Section() const;

    HWND window = nullptr;
};
