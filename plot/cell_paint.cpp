#include "plot/cell_paint.h"

#include <cstddef>

#include "plot/plotter.h"

CellPaint PaintOf(bool equation, CellState state) {
    switch (state) {
    case CellState::Nowhere:
        return CellPaint::None;
    case CellState::Somewhere:
        return CellPaint::Holds;
    case CellState::Throughout:
        return equation ? CellPaint::Holds : CellPaint::Throughout;
    case CellState::Undecided:
    default:
        return CellPaint::Undecided;
    }
}

int PaintPercent(CellPaint paint) {
    switch (paint) {
    case CellPaint::Throughout:
        return 30;
    case CellPaint::Holds:
        return 100;
    case CellPaint::Undecided:
        return 60;
    case CellPaint::None:
    default:
        return 0;
    }
}

uint32_t BlendColor(uint32_t color, uint32_t below, int percent) {
    uint32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t c = (color >> shift) & 0xFF, b = (below >> shift) & 0xFF;
        const uint32_t p = static_cast<uint32_t>(percent);
        mixed |= ((p * c + (100 - p) * b + 50) / 100) << shift;
    }
    return mixed;
}

void PaintCells(Plotter& plotter, const CellMap& map, uint32_t color) {
    if (!plotter.pixels || map.width != plotter.width || map.height != plotter.height ||
        map.states.size() != static_cast<size_t>(map.width) * static_cast<size_t>(map.height))
        return;
    // Most cells lie over one colour (the background): the last mix of each
    // class is remembered with the colour it was made over.
    uint32_t lastBelow[4], lastMixed[4];
    bool known[4] = {};
    auto* const base = reinterpret_cast<unsigned char*>(plotter.pixels);
    for (int32_t r = 0; r < map.height; ++r) {
        auto* row = reinterpret_cast<uint32_t*>(base + static_cast<ptrdiff_t>(r) * plotter.stride);
        const CellState* states = &map.states[static_cast<size_t>(r) * map.width];
        for (int32_t c = 0; c < map.width; ++c) {
            const CellPaint paint = PaintOf(map.equation, states[c]);
            if (paint == CellPaint::None)
                continue;
            const auto k = static_cast<size_t>(paint);
            uint32_t& pixel = row[c];
            if (!known[k] || lastBelow[k] != pixel) {
                lastBelow[k] = pixel;
                lastMixed[k] = BlendColor(color, pixel, PaintPercent(paint));
                known[k] = true;
            }
            pixel = lastMixed[k];
        }
    }
}

void ExactLineSink::Cells(const CellMap& map, uint32_t cellColor) {
    PaintCells(plotter, map, cellColor);
}
