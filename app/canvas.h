// The off-screen image of the graph: 32-bit pixels 0x00RRGGBB, rows top to
// bottom without padding. Rendering writes the pixels directly; the canvas
// fills itself and writes itself as a 24-bit BMP file. On Windows the pixels
// will live in a DIB section that can be copied to a window; elsewhere they
// live on the heap.
#pragma once

#include <cstdint>

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
    // Writes a 24-bit bottom-up BMP file; false on any failure (open, write,
    // close, memory). A file whose writing failed part-way stays on disk.
    bool SaveBMP(const char* path) const;

    uint32_t* bits() const { return pixels; }
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    int32_t Stride() const { return 4 * width; }

private:
    void Allocate();
    void Release();

    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;
};
