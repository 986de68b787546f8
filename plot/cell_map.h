// What is known about a relation over the cells of a grid: one state per
// cell, rows from the top, W x H.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class CellState : uint8_t {
    Undecided = 0, // neither proven yet
    Nowhere,       // proven to hold at no point of the cell
    Somewhere,     // proven to hold at some point (not proven throughout)
    Throughout,    // proven to hold at every point of the cell
};

struct CellMap {
    int32_t width = 0, height = 0;
    // The relation has an "=": its cells take the slot's colour where it
    // holds at all; otherwise throughout, boundary and undecided cells
    // differ.
    bool equation = false;
    std::vector<CellState> states; // width x height, row r at r * width

    CellState At(int32_t column, int32_t row) const {
        return states[static_cast<size_t>(row) * width + column];
    }
    size_t Count(CellState state) const {
        size_t n = 0;
        for (CellState s : states)
            n += s == state;
        return n;
    }
};
