// The off-screen image of the graph: 32-bit pixels 0x00RRGGBB, rows top to
// bottom without padding. Rendering writes the pixels directly; the canvas
// fills itself and writes itself as a 24-bit BMP file. On Windows the pixels
// will live in a DIB section that can be copied to a window; elsewhere they
// live on the heap.
#pragma once

#include <cstdint>
#include <string>

class Canvas {
public:
    // A canvas whose pixels could not be obtained has bits() null; Fill then
    // does nothing and SaveBMP fails.
    Canvas(int32_t width, int32_t height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // New pixels of the new size (contents unspecified); nothing happens when
    // the size is the current one. Pointers into the old pixels become invalid.
    void Resize(int32_t width, int32_t height);
    // Sets every pixel to `color`.
    void Fill(uint32_t color);
    // Writes a 24-bit bottom-up BMP file, replacing the file only once all of
    // it is written; false on any failure (a target that may not be written,
    // open, write, close, memory), with what went wrong in `reason` when it
    // is given, and then a file that was there stays as it was.
    bool SaveBMP(const char* path, std::string* reason = nullptr) const;

#ifdef _WIN32
    // The window whose device context Blit uses when it is given none.
    void SetWindow(void* window);
    // Copies a rectangle of the canvas to (x, y) of the device context `dc`
    // (an HDC; null: the window's), halftoned on palette displays. A width or
    // height of 0 means the whole canvas's.
    void Blit(int32_t x, int32_t y, int32_t sourceX, int32_t sourceY, int32_t width, int32_t height,
              void* dc) const;
#endif

    uint32_t* bits() const { return pixels; }
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    int32_t Stride() const { return 4 * width; }

private:
    void Allocate();       // pixels for the current size (and the device context once)
    void Release();        // the pixels
    void ReleaseDevice();  // the device context

#ifdef _WIN32
    // Windows handles kept opaque here so that this header stays portable:
    // the memory DC (HDC), the top-down 32-bit DIB section holding the
    // pixels (HBITMAP) and the default Blit window (HWND).
    void* memoryDC = nullptr;
    void* bitmap = nullptr;
    void* window = nullptr;
#endif

    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;
};
