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
    // The nearest 8-bit sRGB value of a linear intensity, clamped to 0 .. 1:
    // a table gives a value at most one off, the thresholds between
    // neighbouring values settle it. Encode(Decode(v)) == v for every v.
    uint8_t Encode(float linear) const {
        if (!(linear > 0))
            return 0;
        if (linear >= 1)
            return 255;
        int v = encode[static_cast<int>(linear * kSteps + 0.5f)];
        if (v < 255 && linear >= threshold[v])
            ++v;
        else if (v > 0 && linear < threshold[v - 1])
            --v;
        return static_cast<uint8_t>(v);
    }
    // `over` with `coverage` (0 .. 1) of `color` blended in, both 0x00RRGGBB.
    uint32_t Blend(uint32_t color, uint32_t over, float coverage) const;

    // The encoding table's resolution: in 1/4096 steps of linear intensity
    // its value is never more than one off the nearest.
    static constexpr int kSteps = 4096;

private:
    float decode[256];
    // threshold[v]: the linear intensity of the sRGB value v + 1/2, where
    // rounding moves from v to v + 1.
    float threshold[255];
    uint8_t encode[kSteps + 1];
};

// The shared tables.
const LinearLight& SharedLinearLight();
