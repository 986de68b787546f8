// Checks a PNG written by "orvanta-cli plot" against the BMP it writes for the
// same arguments: an 8-bit RGB, non-interlaced PNG of only IHDR, IDAT and
// IEND chunks with exactly the BMP's pixels.
//   raster_cli_png_check FILE.png FILE.bmp
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "raster_test_util.h"

namespace {

int32_t Little32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
                                uint32_t{b[at + 3]} << 24);
}

int Fail(const std::string& problem) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return Fail("usage: raster_cli_png_check FILE.png FILE.bmp");
    const std::vector<uint8_t> pngBytes = raster_test::ReadBytes(argv[1]);
    const std::vector<uint8_t> bmp = raster_test::ReadBytes(argv[2]);

    std::string problem;
    const std::string chunks = raster_test::ChunkSummary(raster_test::ChunkTypes(pngBytes, problem));
    if (!problem.empty())
        return Fail("PNG: " + problem);
    if (chunks != "IHDR IDAT IEND")
        return Fail("PNG chunks: " + chunks);
    raster_test::DecodedPng png;
    try {
        png = raster_test::DecodePng(pngBytes);
    } catch (const std::exception& e) {
        return Fail(std::string("PNG: ") + e.what());
    }
    if (png.bitDepth != 8 || png.colorType != 2 || png.interlace != 0)
        return Fail("PNG is not 8-bit RGB without interlacing");

    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M' || bmp[28] != 24)
        return Fail("not a 24-bit BMP");
    const int32_t width = Little32(bmp, 18), height = Little32(bmp, 22);
    const size_t offset = static_cast<size_t>(Little32(bmp, 10));
    const size_t rowSize = (3 * static_cast<size_t>(width) + 3) / 4 * 4;
    if (width <= 0 || height <= 0 || bmp.size() < offset + rowSize * height)
        return Fail("BMP too short");
    if (png.width != uint32_t(width) || png.height != uint32_t(height))
        return Fail("PNG is " + std::to_string(png.width) + "x" + std::to_string(png.height) + ", BMP " +
                    std::to_string(width) + "x" + std::to_string(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            // BMP rows are stored bottom-up, pixels as B, G, R.
            const uint8_t* b = &bmp[offset + size_t(height - 1 - y) * rowSize + 3 * size_t(x)];
            const uint8_t* p = &png.pixels[size_t(y) * png.rowBytes + 3 * size_t(x)];
            if (p[0] != b[2] || p[1] != b[1] || p[2] != b[0]) {
                char text[160];
                std::snprintf(text, sizeof text,
                              "first difference at %d,%d: PNG %02x%02x%02x, BMP %02x%02x%02x", x, y, p[0],
                              p[1], p[2], b[2], b[1], b[0]);
                return Fail(text);
            }
        }
    std::printf("PNG matches the BMP: %dx%d\n", width, height);
    return 0;
}
