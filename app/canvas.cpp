#include "app/canvas.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_replacement.h"

Canvas::Canvas(int32_t newWidth, int32_t newHeight) : width(newWidth), height(newHeight) {
    Allocate();
}

Canvas::~Canvas() {
    Release();
    ReleaseDevice();
}

void Canvas::Resize(int32_t newWidth, int32_t newHeight) {
    if (newWidth == width && newHeight == height)
        return;
    Release();
    width = newWidth;
    height = newHeight;
    Allocate();
}

void Canvas::Fill(uint32_t color) {
    if (!pixels)
        return;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::fill_n(pixels, count, color);
}

namespace {

void Put16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void Put32(unsigned char* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

} // namespace

bool Canvas::SaveBMP(const char* path, std::string* reason) const {
    auto fail = [reason](std::string why) {
        if (reason)
            *reason = std::move(why);
        return false;
    };
    if (!pixels || width <= 0 || height <= 0)
        return fail("the canvas has no pixels");
    const uint64_t rowSize = (3ull * static_cast<uint64_t>(width) + 3) & ~3ull;
    const uint64_t fileSize = 54 + rowSize * static_cast<uint64_t>(height);
    if (fileSize > UINT32_MAX)
        return fail("the image is too large for a BMP file"); // the header's size has 32 bits

    unsigned char header[54] = {'B', 'M'};
    Put32(header + 2, static_cast<uint32_t>(fileSize));
    Put32(header + 10, 54);                            // pixel data offset
    Put32(header + 14, 40);                            // information header size
    Put32(header + 18, static_cast<uint32_t>(width));
    Put32(header + 22, static_cast<uint32_t>(height)); // positive: bottom-up
    Put16(header + 26, 1);                             // planes
    Put16(header + 28, 24);                            // bits per pixel
    // compression BI_RGB and the five following fields stay 0
    std::unique_ptr<unsigned char[]> row(new (std::nothrow) unsigned char[rowSize + 1]());
    if (!row)
        return fail("not enough memory");
    try {
        ZrReplacement replacement(path);
        ZrFile file;
        replacement.open(file);
        file.write(header, sizeof header);
        for (int32_t i = 0; i < height; ++i) {
            const uint32_t* source = pixels + static_cast<size_t>(height - 1 - i) * width;
            for (int32_t j = 0; j < width; ++j) {
                row[3 * j] = static_cast<unsigned char>(source[j]);           // blue
                row[3 * j + 1] = static_cast<unsigned char>(source[j] >> 8);  // green
                row[3 * j + 2] = static_cast<unsigned char>(source[j] >> 16); // red
            }
            file.write(row.get(), rowSize);
        }
        file.close(); // a full disk may only show here
        replacement.commit();
        return true;
    } catch (const ZrErrorCode& error) {
        return fail(ZrErrorText(error));
    }
}
