#include "src/zr_image_converter.h"

#include "src/zr_error.h"
#include "src/zr_memory.h"

namespace {
const char kSource[] = "src\\ZrImageConverter";
} // namespace

std::unique_ptr<ZrRGBImage> convertToRGB(const ZrImage& source) {
    // The image made here dies with the unique_ptr if anything below throws.
    std::unique_ptr<ZrRGBImage> target = zrMake<ZrRGBImage>(
        kSource, 37, source.getWidth(), source.getHeight(), zrDefaultStride, nullptr);
    convertToRGB(source, *target);
    return target;
}

ZrRGBImage& convertToRGB(const ZrImage& source, ZrRGBImage& target) {
    if (target.getWidth() != source.getWidth() || target.getHeight() != source.getHeight())
        target.setSize(source.getWidth(), source.getHeight());
    target.copyFormatInfo(source);
    if (source.getWidth() <= 0 || source.getHeight() <= 0)
        return target; // nothing to copy
    ZrPixelLock pixels(target);
    source.exportRGB(0, 0, source.getHeight(), source.getWidth(), 0, 0, target.getStride(), 3, 0, 1,
                     2, pixels.get());
    return target;
}
