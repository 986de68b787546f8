// Integer line stepper (Bresenham): hands out the pixels of a segment one
// per call, both ends included. Coordinates are 64-bit so that segments
// between any two 32-bit points step without overflow.
#pragma once

#include <cstdint>

struct ZrLine {
    int64_t majorStart = 0, minorStart = 0; // after the axis swap and negation
    int64_t majorEnd = 0, minorEnd = 0;
    bool active = false;                    // from begin until the end is handed out
    int64_t majorDelta = 0, minorDelta = 0; // majorDelta >= minorDelta
    int64_t straightIncrement = 0;          // 2 * minorDelta
    int64_t diagonalIncrement = 0;          // 2 * (minorDelta - majorDelta)
    int64_t decision = 0;                   // the Bresenham error term
    int32_t octant = 0;                     // bit 1: y is major; bit 0: major negated
    int64_t majorCurrent = 0, minorCurrent = 0;
};

// Prepares `line` for the segment from (startX, startY) to (endX, endY).
// Note the argument order: end y, start y, end x, start x.
void begin(ZrLine& line, int64_t endY, int64_t startY, int64_t endX, int64_t startX);

// Stores the current point and advances; false when the stored point is the
// end point. Throws ZrErrorCode 38 when called after that.
bool step(int64_t& x, int64_t& y, ZrLine& line);

// Points still to be handed out, the current one included (0 when finished).
uint64_t remaining(const ZrLine& line);

// Skips `count` points at once, exactly as `count` calls of step would;
// `count` must be below remaining(line).
void advance(ZrLine& line, uint64_t count);
