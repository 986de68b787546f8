// The exact raster drawn through the curve sinks is the raster drawn before
// them: checksums of every scene's pixels, recorded from the renderer that
// drew each segment directly.
#include <gtest/gtest.h>

#include "render_scenes.h"

namespace {

TEST(ExactRaster, ScenesKeepTheirRecordedPixels) {
    const struct {
        const char* name;
        uint64_t checksum;
    } recorded[] = {
        {"benchmark_rectangular", 0x3a06a718b5d0cb41ull},
        {"benchmark_parametric_circle", 0xad5184ef7da032d2ull},
        {"benchmark_parametric_far", 0x65d0ce60d2e8bbdeull},
        {"benchmark_polar_spiral", 0x47e43f4b23d81f46ull},
        {"breaks", 0x4ce975db34d6be82ull},
        {"breaks_odd_width", 0x428ed68be7a11e88ull},
        {"parametric_breaks", 0x03fd823bf674d56dull},
        {"gaps", 0x98c686b5c9a7427bull},
        {"polar_rose", 0x23a2d8dee0c13561ull},
    };
    const std::vector<RenderScene> scenes = RenderScenes();
    ASSERT_EQ(scenes.size(), std::size(recorded));
    for (size_t i = 0; i < scenes.size(); ++i) {
        SCOPED_TRACE(scenes[i].name);
        ASSERT_STREQ(scenes[i].name, recorded[i].name);
        SceneCanvas scene(scenes[i]);
        // Smooth first: the plain render after it must not depend on it.
        scene.style.smoothCurves = true;
        scene.Render();
        scene.style.smoothCurves = false;
        EXPECT_EQ(Fnv1a(scene.Render()), recorded[i].checksum);
    }
}

} // namespace
