// Checks a map written by "orvanta-cli decide": an 8-bit grey PNG of the
// given size holding only 0, 128 and 255, as many of each as the printed
// line "holds N nowhere N undecided N" counts, and the given levels at the
// given cells.
//   decide_map_check FILE.png WxH "holds N nowhere N undecided N" [C,R=LEVEL]...
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "raster/raster_test_util.h"

namespace {

int Fail(const std::string& problem) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return Fail("usage: decide_map_check FILE.png WxH COUNTS [C,R=LEVEL]...");
    raster_test::DecodedPng png;
    try {
        png = raster_test::DecodePng(raster_test::ReadBytes(argv[1]));
    } catch (const std::exception& e) {
        return Fail(std::string("PNG: ") + e.what());
    }
    if (png.bitDepth != 8 || png.colorType != 0)
        return Fail("not an 8-bit grey PNG");
    unsigned width = 0, height = 0;
    if (std::sscanf(argv[2], "%ux%u", &width, &height) != 2 || png.width != width ||
        png.height != height)
        return Fail("PNG is " + std::to_string(png.width) + "x" + std::to_string(png.height) +
                    ", expected " + argv[2]);
    unsigned long long counts[3] = {};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t level = png.pixels[size_t(y) * png.rowBytes + x];
            if (level != 0 && level != 128 && level != 255)
                return Fail("level " + std::to_string(level) + " at " + std::to_string(x) + "," +
                            std::to_string(y));
            ++counts[level == 0 ? 0 : level == 255 ? 1 : 2];
        }
    const std::string line = "holds " + std::to_string(counts[0]) + " nowhere " +
                             std::to_string(counts[1]) + " undecided " + std::to_string(counts[2]);
    if (line != argv[3])
        return Fail("the PNG holds \"" + line + "\", printed \"" + argv[3] + "\"");
    for (int i = 4; i < argc; ++i) {
        unsigned c = 0, r = 0, level = 0;
        if (std::sscanf(argv[i], "%u,%u=%u", &c, &r, &level) != 3 || c >= width || r >= height)
            return Fail(std::string("bad cell ") + argv[i]);
        const unsigned found = png.pixels[size_t(r) * png.rowBytes + c];
        if (found != level)
            return Fail(std::string("cell ") + argv[i] + ": found " + std::to_string(found));
    }
    std::printf("%s\n", line.c_str());
    return 0;
}
