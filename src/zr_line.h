// Integer line stepper (Bresenham): hands out the pixels of a segment one
// per call, both ends included. Coordinates are 64-bit so that segments
// between any two 32-bit points step without overflow.
#pragma once

#include <cstdint>

// Every field but `active` is set by begin; a line never begun is inactive.
struct ZrLine {
    int64_t majorStart, minorStart; // after the axis swap and negation
    int64_t majorEnd, minorEnd;
    bool active = false;            // from begin until the end is handed out
    int64_t majorDelta, minorDelta; // majorDelta >= minorDelta
    int64_t straightIncrement;      // 2 * minorDelta
    int64_t diagonalIncrement;      // 2 * (minorDelta - majorDelta)
    int64_t decision;               // the Bresenham error term
    int32_t octant;                 // bit 1: y is major; bit 0: major negated
    int64_t majorCurrent, minorCurrent;
};

// Prepares `line` for the segment from (startX, startY) to (endX, endY).
// Note the argument order: end y, start y, end x, start x.
void begin(ZrLine& line, int64_t endY, int64_t startY, int64_t endX, int64_t startX);

// Stores the current point and advances; false when the stored point is the
// end point. Throws ZrErrorCode 38 when called after that.
inline bool step(int64_t& x, int64_t& y, ZrLine& line);

// Points still to be handed out, the current one included (0 when finished).
uint64_t remaining(const ZrLine& line);

// Skips `count` points at once, exactly as `count` calls of step would;
// `count` must be below remaining(line).
void advance(ZrLine& line, uint64_t count);

[[noreturn]] void zrLineFinished(); // raises code 38

inline bool step(int64_t& x, int64_t& y, ZrLine& line) {
    if (!line.active)
        zrLineFinished();
    switch (line.octant) {
    case 0: x = line.majorCurrent; y = line.minorCurrent; break;
    case 1: x = -line.majorCurrent; y = line.minorCurrent; break;
    case 2: x = line.minorCurrent; y = line.majorCurrent; break;
    default: x = line.minorCurrent; y = -line.majorCurrent; break;
    }
    if (line.majorCurrent >= line.majorEnd) {
        line.active = false;
        return false;
    }
    line.majorCurrent += 1;
    if (line.decision < 0) {
        line.decision += line.straightIncrement;
    } else {
        line.minorCurrent += line.minorStart < line.minorEnd ? 1 : -1;
        line.decision += line.diagonalIncrement;
    }
    return true;
}
