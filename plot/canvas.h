// The off-screen image of the graph: 32-bit pixels 0x00RRGGBB, rows top to
// bottom without padding. Rendering writes the pixels directly; the canvas
// fills itself and writes itself as a 24-bit BMP file. Its pixels live on
// the heap unless it is given other memory for them: the window program's
// canvas keeps them in a DIB section that can be copied to a window as it
// is (win/dib_canvas.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Where a canvas keeps its pixels.
class CanvasMemory {
public:
    virtual ~CanvasMemory() = default;
    // Pixels for `width` x `height` (both positive): 4 x `width` bytes a
    // row, top row first, contents unspecified. Null when they cannot be
    // had. Called only when no pixels are held.
    virtual uint32_t* Allocate(int32_t width, int32_t height) = 0;
    // Gives back the pixels Allocate handed out; nothing when there are none.
    virtual void Release() = 0;
};

class Canvas {
public:
    // A canvas whose pixels could not be obtained has bits() null; Fill then
    // does nothing and SaveBMP fails. The first form keeps its pixels on the
    // heap, the second in `memory`.
    Canvas(int32_t width, int32_t height);
    Canvas(int32_t width, int32_t height, std::unique_ptr<CanvasMemory> memory);
    virtual ~Canvas();
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

    uint32_t* bits() const { return pixels; }
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    int32_t Stride() const { return 4 * width; }

protected:
    CanvasMemory& Memory() const { return *memory; }

private:
    void Allocate(); // pixels for the current size
    void Release();  // the pixels

    std::unique_ptr<CanvasMemory> memory;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;
};
