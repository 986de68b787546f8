// Display settings of the graph, exchanged as one record, and their defaults.
#pragma once

#include <cstdint>

// A colour word: 0x00RRGGBB.
constexpr uint32_t MakeColor(uint8_t r, uint8_t g, uint8_t b) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

struct GraphOptions {
    int32_t mode = 0; // GraphMode
    uint32_t graphColors[8] = {MakeColor(255, 0, 0),   MakeColor(0, 255, 0),
                               MakeColor(0, 0, 255),   MakeColor(255, 0, 255),
                               MakeColor(0, 255, 255), MakeColor(255, 255, 0),
                               MakeColor(0, 127, 255), MakeColor(255, 127, 0)};
    uint32_t backColor = MakeColor(255, 255, 255);
    uint32_t axisColor = MakeColor(0, 0, 0);
    bool showAxes = true;
};
