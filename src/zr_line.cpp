#include "src/zr_line.h"

#include <cstdlib>
#include <utility>

#include "src/zr_error.h"

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace {

// floor(a * b / c) for a, b, c >= 0 (c > 0) whose quotient fits 64 bits.
uint64_t MulDiv(uint64_t a, uint64_t b, uint64_t c) {
#if defined(_MSC_VER) && !defined(__clang__)
    uint64_t high;
    const uint64_t low = _umul128(a, b, &high);
    uint64_t remainder;
    return _udiv128(high, low, c, &remainder);
#else
    return static_cast<uint64_t>(static_cast<unsigned __int128>(a) * b / c);
#endif
}

} // namespace

void begin(ZrLine& line, int64_t endY, int64_t startY, int64_t endX, int64_t startX) {
    line.majorStart = startX;
    line.minorStart = startY;
    line.majorEnd = endX;
    line.minorEnd = endY;
    line.majorDelta = std::llabs(startX - endX);
    line.minorDelta = std::llabs(startY - endY);
    line.octant = 0;
    if (line.minorDelta > line.majorDelta) { // a 45-degree segment stays x-major
        std::swap(line.majorStart, line.minorStart);
        std::swap(line.majorEnd, line.minorEnd);
        std::swap(line.majorDelta, line.minorDelta);
        line.octant = 2;
    }
    if (line.majorStart > line.majorEnd) { // make the major coordinate grow
        line.octant |= 1;
        line.majorStart = -line.majorStart;
        line.majorEnd = -line.majorEnd;
    }
    line.majorCurrent = line.majorStart;
    line.minorCurrent = line.minorStart;
    line.straightIncrement = 2 * line.minorDelta;
    line.diagonalIncrement = 2 * line.minorDelta - 2 * line.majorDelta;
    line.decision = 2 * line.minorDelta - line.majorDelta;
    line.active = true;
}

void zrLineFinished() { throw ZrErrorCode(ZrError::LineFinished, 0, "src\\ZrLine", 105); }

uint64_t remaining(const ZrLine& line) {
    return line.active ? static_cast<uint64_t>(line.majorEnd - line.majorCurrent) + 1 : 0;
}

// After k steps from the start the minor axis has moved
// s(k) = floor((2 * minorDelta * k + majorDelta) / (2 * majorDelta)) times
// and the decision is its start value + 2 * minorDelta * k - 2 * majorDelta * s(k).
void advance(ZrLine& line, uint64_t count) {
    if (count == 0 || count >= remaining(line))
        return;
    const uint64_t from = static_cast<uint64_t>(line.majorCurrent - line.majorStart);
    const uint64_t to = from + count;
    const uint64_t dM = static_cast<uint64_t>(line.majorDelta);
    const uint64_t dm = static_cast<uint64_t>(line.minorDelta);
    // dM > 0 here: a single-point segment has nothing to skip. With
    // q = floor(dm * to / dM) and remainder rho (below dM), s(to) is q plus one
    // when 2 * rho >= dM. The products may exceed 64 bits; rho and every
    // result do not, so arithmetic modulo 2^64 gives them exactly.
    const uint64_t q = MulDiv(dm, to, dM);
    const uint64_t rho = dm * to - q * dM;
    const uint64_t s = q + (2 * rho >= dM ? 1 : 0);
    line.majorCurrent = line.majorStart + static_cast<int64_t>(to);
    const int64_t direction = line.minorStart < line.minorEnd ? 1 : -1;
    line.minorCurrent = line.minorStart + direction * static_cast<int64_t>(s);
    // decision = 2 dm (to + 1) - dM - 2 dM s, which lies between -2 dM and
    // 2 dm, so it too comes out exactly modulo 2^64.
    const uint64_t value = 2 * dm * (to + 1) - dM - 2 * dM * s;
    line.decision = static_cast<int64_t>(value);
}
