// The exact raster drawn through the curve sinks is the raster drawn before
// them: every scene's pixels are held to a reference image stored beside the
// tests (data/render/<scene>.png), first recorded from the renderer that drew
// each segment directly. A difference is reported at its first pixel.
//
// After a change that is meant to alter the pictures, write the references
// anew from the current renderer and look at them before committing:
//
//   ORVANTA_WRITE_REFERENCES=1 build/host/tests/unit/orvanta_unit_tests
//       --gtest_filter='ExactRaster.*'
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "plot/export_image.h"
#include "raster/raster_test_util.h"
#include "render_scenes.h"

namespace {

std::string Hex(uint32_t color) {
    char text[9];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(color));
    return text;
}

// Empty when the decoded PNG `reference` holds the pixels `pixels` of a
// picture `width` x `height`; otherwise what differs, with the first
// differing pixel in reading order.
std::string Difference(const raster_test::DecodedPng& reference, const std::vector<uint32_t>& pixels,
                       int32_t width, int32_t height) {
    std::ostringstream out;
    if (reference.width != uint32_t(width) || reference.height != uint32_t(height)) {
        out << "the reference is " << reference.width << " x " << reference.height
            << ", the picture " << width << " x " << height;
        return out.str();
    }
    if (reference.bitDepth != 8 || reference.colorType != 2) // 8-bit RGB
        return "the reference is no 8-bit RGB image";
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* rgb = &reference.pixels[size_t(y) * reference.rowBytes + 3 * size_t(x)];
            const uint32_t expected = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
            const uint32_t got = pixels[size_t(y) * width + x];
            if (got != expected) {
                out << "first differing pixel (" << x << ", " << y << "): expected " << Hex(expected)
                    << ", got " << Hex(got);
                return out.str();
            }
        }
    return "";
}

TEST(ExactRaster, ScenesKeepTheirRecordedPixels) {
    const bool write = std::getenv("ORVANTA_WRITE_REFERENCES") != nullptr;
    for (const RenderScene& drawn : RenderScenes()) {
        SCOPED_TRACE(drawn.name);
        SceneCanvas scene(drawn);
        // Smooth first: the plain render after it must not depend on it.
        scene.style.smoothCurves = true;
        scene.Render();
        scene.style.smoothCurves = false;
        const std::vector<uint32_t> pixels = scene.Render();
        const std::string path = std::string(ORVANTA_TEST_DATA "/render/") + drawn.name + ".png";
        if (write) {
            // Wrapping the pixels clears them: they are put back after.
            const std::unique_ptr<Zr32BitImage> image = MakeExportImage(scene.canvas);
            std::copy(pixels.begin(), pixels.end(), scene.canvas.bits());
            ASSERT_TRUE(SavePNG(*image, path.c_str())) << path;
        }
        const std::vector<uint8_t> bytes = raster_test::ReadBytes(path);
        ASSERT_FALSE(bytes.empty()) << "no reference image " << path;
        EXPECT_EQ(Difference(raster_test::DecodePng(bytes), pixels, drawn.width, drawn.height),
                  "")
            << path;
    }
}

} // namespace
