// Pixel memory of the canvas.
#include <cstdlib>
#include <new>

#include "app/canvas.h"

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
