// The canvas's pixel memory as a DIB section, and the copy to a window.
#include "win/dib_canvas.h"

#include <memory>

#include "win/win_handles.h"

// A memory device context, made once, and the DIB section of the current
// size, selected into the context only while it is copied.
class DibSection : public CanvasMemory {
public:
    DibSection() : memoryDC(CreateCompatibleDC(nullptr)) {}

    uint32_t* Allocate(int32_t width, int32_t height) override {
        if (!memoryDC)
            return nullptr;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap.reset(CreateDIBSection(memoryDC.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        return bitmap ? static_cast<uint32_t*>(bits) : nullptr;
    }
    void Release() override { bitmap.reset(); }

    HDC dc() const { return memoryDC.get(); }
    HBITMAP section() const { return bitmap.get(); }

private:
    MemoryDC memoryDC;
    GdiObject<HBITMAP> bitmap;
};

DibCanvas::DibCanvas(int32_t width, int32_t height)
    : Canvas(width, height, std::make_unique<DibSection>()) {}

const DibSection& DibCanvas::Section() const { return static_cast<const DibSection&>(Memory()); }

void DibCanvas::SetWindow(HWND newWindow) { window = newWindow; }

void DibCanvas::Blit(int32_t x, int32_t y, int32_t sourceX, int32_t sourceY, int32_t w, int32_t h,
                     HDC dc) const {
    const DibSection& dib = Section();
    if (!dib.section())
        return;
    HDC target = dc;
    WindowDC windowDC(target ? nullptr : window);
    if (!target) {
        if (!windowDC)
            return;
        target = windowDC.get();
    }
    if (w == 0)
        w = Width();
    if (h == 0)
        h = Height();
    SelectGuard select(dib.dc(), dib.section());
    if (GetDeviceCaps(target, NUMCOLORS) <= 0) { // a true-colour display
        BitBlt(target, x, y, w, h, dib.dc(), sourceX, sourceY, SRCCOPY);
        return;
    }
    // A palette display: copy through a halftone palette, or not at all.
    SetStretchBltMode(target, HALFTONE);
    GdiObject<HPALETTE> palette(CreateHalftonePalette(target));
    if (!palette)
        return;
    HPALETTE previous = SelectPalette(target, palette.get(), TRUE);
    RealizePalette(target);
    BitBlt(target, x, y, w, h, dib.dc(), sourceX, sourceY, SRCCOPY);
    SelectPalette(target, previous, TRUE);
}
