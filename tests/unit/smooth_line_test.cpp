// Smooth curves: every pixel a curve touches is a blend of its colour and
// what lay below, in linear light; the ink stays within a pixel of the exact
// curve; the background and axes stay exact.
#include <gtest/gtest.h>

#include <cmath>

#include "plot/linear_light.h"
#include "render_scenes.h"

namespace {

double Linear(double v) {
    const double c = std::clamp(v, 0.0, 255.0) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Whether `pixel` is `under` with one coverage of `color` added in linear
// light, each channel rounded to the nearest 8-bit value.
bool IsBlend(uint32_t pixel, uint32_t under, uint32_t color) {
    double low = 0, high = 1;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int p = (pixel >> shift) & 0xFF, u = (under >> shift) & 0xFF,
                  c = (color >> shift) & 0xFF;
        if (u == c) {
            if (p != u)
                return false;
            continue;
        }
        const double lu = Linear(u), span = Linear(c) - lu;
        double a = (Linear(p - 0.51) - lu) / span, b = (Linear(p + 0.51) - lu) / span;
        if (a > b)
            std::swap(a, b);
        low = std::max(low, a);
        high = std::min(high, b);
    }
    return low <= high;
}

TEST(LinearLight, EveryByteSurvivesTheRoundTripAndBlendsEndAtTheirColours) {
    const LinearLight& light = SharedLinearLight();
    // Encoding rounds to the nearest value: just inside and outside each
    // midpoint between neighbours.
    for (int v = 0; v < 255; ++v) {
        SCOPED_TRACE(v);
        const double middle = Linear(v + 0.5);
        EXPECT_EQ(light.Encode(float(middle * (1 - 1e-5))), v);
        EXPECT_EQ(light.Encode(float(middle * (1 + 1e-5))), v + 1);
    }
    for (int v = 0; v < 256; ++v) {
        SCOPED_TRACE(v);
        EXPECT_NEAR(light.Decode(uint8_t(v)), Linear(v), 1e-6);
        EXPECT_EQ(light.Encode(light.Decode(uint8_t(v))), v);
    }
    const uint32_t color = 0x3080f0, under = 0xf01008;
    EXPECT_EQ(light.Blend(color, under, 0), under);
    EXPECT_EQ(light.Blend(color, under, 1), color);
    // Half the light of black and white is far brighter than the middle byte.
    EXPECT_EQ(light.Blend(0xffffff, 0, 0.5f), 0xbcbcbcu);
}

TEST(SmoothCurves, EveryPixelBlendsItsCurveOverWhatLayBelowNearThePlainCurve) {
    for (const RenderScene& s : RenderScenes()) {
        SCOPED_TRACE(s.name);
        SceneCanvas scene(s);
        scene.style.backColor = 0xf0f0e0;
        scene.style.axisColor = 0x202040;
        scene.style.graphColors[1] = 0x7f3f10;
        const size_t slots = scene.plotter.mode == Parametric ? 4 : 8;
        const size_t slotWidth = scene.plotter.mode == Parametric ? 2 : 1;
        EquationSlots all;
        std::copy(std::begin(scene.equations), std::end(scene.equations), std::begin(all));
        // Curve by curve: the picture with one more curve against the one before.
        std::fill(std::begin(scene.equations), std::end(scene.equations), "");
        scene.style.smoothCurves = true;
        std::vector<uint32_t> below = scene.Render();
        for (size_t k = 0; k < slots; ++k) {
            if (all[k * slotWidth].empty())
                continue;
            SCOPED_TRACE("curve " + std::to_string(k + 1));
            for (size_t j = 0; j < slotWidth; ++j)
                scene.equations[k * slotWidth + j] = all[k * slotWidth + j];
            scene.style.smoothCurves = true;
            const std::vector<uint32_t> smooth = scene.Render();
            const uint32_t color = scene.style.graphColors[k];
            for (size_t i = 0; i < smooth.size(); ++i)
                if (smooth[i] != below[i] && !IsBlend(smooth[i], below[i], color)) {
                    ADD_FAILURE() << std::hex << smooth[i] << " over " << below[i] << " at "
                                  << std::dec << i % s.width << "," << i / s.width;
                    break;
                }
            below = smooth;
        }
        // The ink of all curves against the exact curves, both ways.
        scene.style.smoothCurves = false;
        const std::vector<uint32_t> bare = scene.RenderWithoutCurves();
        std::vector<bool> ink(bare.size()), plain(bare.size());
        for (size_t i = 0; i < bare.size(); ++i)
            ink[i] = below[i] != bare[i];
        const std::vector<uint32_t> exact = scene.Render();
        for (size_t i = 0; i < bare.size(); ++i)
            plain[i] = exact[i] != bare[i];
        EXPECT_EQ(FirstFarPixel(ink, plain, s.width, s.height), "") << "ink far from the curve";
        EXPECT_EQ(FirstFarPixel(plain, ink, s.width, s.height), "") << "curve without ink";
        // Background and axes without curves are the exact ones.
        scene.style.smoothCurves = true;
        EXPECT_EQ(scene.RenderWithoutCurves(), bare);
    }
}

} // namespace
