// How a graph looks: the colours of its curves, background and axes,
// whether the axes are drawn, and whether the curves are drawn smooth.
// Colours are words 0x00RRGGBB, written into the pixels unchanged.
#pragma once

#include <array>
#include <cstdint>

// A colour word: 0x00RRGGBB.
constexpr uint32_t MakeColor(uint8_t r, uint8_t g, uint8_t b) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

// Defaults: red, green, blue, magenta, cyan, yellow, azure and orange
// curves on white, with black axes.
struct GraphStyle {
    std::array<uint32_t, 8> graphColors = {MakeColor(255, 0, 0),   MakeColor(0, 255, 0),
                                           MakeColor(0, 0, 255),   MakeColor(255, 0, 255),
                                           MakeColor(0, 255, 255), MakeColor(255, 255, 0),
                                           MakeColor(0, 127, 255), MakeColor(255, 127, 0)};
    uint32_t backColor = MakeColor(255, 255, 255);
    uint32_t axisColor = MakeColor(0, 0, 0);
    bool showAxes = true;
    // Anti-aliased curves; off, the exact one-pixel lines.
    bool smoothCurves = false;
    // The curves y = f(x) drawn as the relations y = f(x), cell by cell,
    // instead of by joining samples (Rectangular mode).
    bool exactCurves = false;

    bool operator==(const GraphStyle&) const = default;
};
