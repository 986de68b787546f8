// sRGB 8-bit channel values to linear light and back, by tables, for
// blending colours the way light adds up.
#pragma once

#include <cstdint>

class LinearLight {
public:
    // Builds both tables (about 4 KiB); no failure.
    LinearLight();
    // The linear intensity 0 .. 1 of an 8-bit sRGB channel value.
    float Decode(uint8_t value) const { return decode[value]; }
    // The nearest 8-bit sRGB value of a linear intensity, clamped to 0 .. 1.
    // Encode(Decode(v)) == v for every v.
    uint8_t Encode(float linear) const {
        if (!(linear > 0))
            return 0;
        if (linear >= 1)
            return 255;
        return encode[static_cast<int>(linear * kSteps + 0.5f)];
    }
    // `over` with `coverage` (0 .. 1) of `color` blended in, both 0x00RRGGBB.
    uint32_t Blend(uint32_t color, uint32_t over, float coverage) const;

    // The encoding table's resolution: linear intensities in 1/4096 steps
    // are fine enough that every 8-bit value survives the round trip.
    static constexpr int kSteps = 4096;

private:
    float decode[256];
    uint8_t encode[kSteps + 1];
};

// The shared tables.
const LinearLight& SharedLinearLight();
