// Pixel sizes given for a display of 96 dots per inch, scaled to the
// resolution a window is shown at.
#pragma once

#include <algorithm>
#include <cstdint>

// The display resolution pixel sizes are given for.
inline constexpr int32_t kBaseDpi = 96;

// `pixels` at 96 dots per inch scaled to `dpi`, rounded to nearest, halves
// away from zero; a dpi below 1 counts as 96.
constexpr int32_t ScaleToDpi(int32_t pixels, int32_t dpi) {
    if (dpi < 1)
        dpi = kBaseDpi;
    const int64_t scaled = static_cast<int64_t>(pixels) * dpi;
    const int64_t half = scaled < 0 ? -kBaseDpi / 2 : kBaseDpi / 2;
    return static_cast<int32_t>(std::clamp<int64_t>((scaled + half) / kBaseDpi, INT32_MIN, INT32_MAX));
}
