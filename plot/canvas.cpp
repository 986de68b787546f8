#include "plot/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "src/bmp_encoder.h"
#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_replacement.h"

namespace {

// Pixels on the heap: the canvas of orvanta-cli and the tests.
class HeapMemory : public CanvasMemory {
public:
    ~HeapMemory() override { Release(); }
    uint32_t* Allocate(int32_t width, int32_t height) override {
        const uint64_t bytes = 4ull * static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
        if (bytes > SIZE_MAX)
            return nullptr;
        pixels = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(bytes)));
        return pixels;
    }
    void Release() override {
        std::free(pixels);
        pixels = nullptr;
    }

private:
    uint32_t* pixels = nullptr;
};

} // namespace

Canvas::Canvas(int32_t newWidth, int32_t newHeight)
    : Canvas(newWidth, newHeight, std::make_unique<HeapMemory>()) {}

Canvas::Canvas(int32_t newWidth, int32_t newHeight, std::unique_ptr<CanvasMemory> newMemory)
    : memory(std::move(newMemory)), width(newWidth), height(newHeight) {
    Allocate();
}

Canvas::~Canvas() { Release(); }

void Canvas::Resize(int32_t newWidth, int32_t newHeight) {
    if (newWidth == width && newHeight == height)
        return;
    Release();
    width = newWidth;
    height = newHeight;
    Allocate();
}

void Canvas::Allocate() {
    pixels = width > 0 && height > 0 ? memory->Allocate(width, height) : nullptr;
}

void Canvas::Release() {
    memory->Release();
    pixels = nullptr;
}

void Canvas::Fill(uint32_t color) {
    if (!pixels)
        return;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::fill_n(pixels, count, color);
}

bool Canvas::SaveBMP(const char* path, std::string* reason) const {
    auto fail = [reason](std::string why) {
        if (reason)
            *reason = std::move(why);
        return false;
    };
    if (!pixels || width <= 0 || height <= 0)
        return fail("the canvas has no pixels");
    BmpLayout layout;
    if (!PlanBmp(width, height, 24, true, layout))
        return fail("the image is too large for a BMP file"); // the header's size has 32 bits
    unsigned char header[54];
    EncodeBmpHeaders(layout, header);
    std::unique_ptr<unsigned char[]> row(new (std::nothrow) unsigned char[layout.RowSize()]);
    if (!row)
        return fail("not enough memory");
    try {
        ZrReplacement replacement(path);
        ZrFile file;
        replacement.open(file);
        file.write(header, sizeof header);
        for (int32_t i = 0; i < height; ++i) {
            EncodeBmpRow(layout, pixels, i, row.get());
            file.write(row.get(), layout.RowSize());
        }
        file.close(); // a full disk may only show here
        replacement.commit();
        return true;
    } catch (const ZrErrorCode& error) {
        return fail(ZrErrorText(error));
    }
}
