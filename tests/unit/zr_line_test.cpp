#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "src/zr_error.h"
#include "src/zr_line.h"

namespace {

using Points = std::vector<std::pair<int64_t, int64_t>>;

Points Walk(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    ZrLine line;
    begin(line, y1, y0, x1, x0);
    Points points;
    int64_t x, y;
    bool more;
    do {
        more = step(x, y, line);
        points.emplace_back(x, y);
    } while (more);
    return points;
}

TEST(ZrLine, PointsOfKnownSegments) {
    const struct {
        int64_t x0, y0, x1, y1;
        Points points;
    } cases[] = {
        {0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {5, 2, 0, 0, {{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        {0, 0, 2, 2, {{0, 0}, {1, 1}, {2, 2}}},
        {3, 0, 3, -4, {{3, 0}, {3, -1}, {3, -2}, {3, -3}, {3, -4}}},
        {7, 7, 7, 7, {{7, 7}}},
        {0, 0, -2, 5, {{0, 0}, {0, 1}, {-1, 2}, {-1, 3}, {-2, 4}, {-2, 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x0 << "," << c.y0 << ")-(" << c.x1 << "," << c.y1 << ")");
        EXPECT_EQ(Walk(c.x0, c.y0, c.x1, c.y1), c.points);
    }
}

TEST(ZrLine, OctantsAndDecisionStart) {
    ZrLine line;
    begin(line, 2, 0, 5, 0);
    EXPECT_EQ(line.octant, 0);
    EXPECT_EQ(line.decision, 2 * 2 - 5);
    EXPECT_EQ(line.diagonalIncrement, 2 * 2 - 2 * 5);
    begin(line, 0, 2, 0, 5);
    EXPECT_EQ(line.octant, 1);
    EXPECT_EQ(line.majorStart, -5);
    begin(line, -4, 0, 3, 3);
    EXPECT_EQ(line.octant, 3);
}

TEST(ZrLine, SteppingAFinishedLineRaisesCode38) {
    ZrLine line;
    begin(line, 0, 0, 1, 0);
    int64_t x, y;
    EXPECT_TRUE(step(x, y, line));
    EXPECT_FALSE(step(x, y, line));
    try {
        step(x, y, line);
        FAIL() << "no error raised";
    } catch (const ZrErrorCode& e) {
        EXPECT_EQ(e.code, 38);
        EXPECT_STREQ(e.source, "src\\ZrLine");
        EXPECT_EQ(e.line, 105);
    }
}

TEST(ZrLine, EveryPointOnceBothEndsIncluded) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> coordinate(-40, 40);
    for (int i = 0; i < 2000; ++i) {
        const int64_t x0 = coordinate(rng), y0 = coordinate(rng), x1 = coordinate(rng), y1 = coordinate(rng);
        const Points points = Walk(x0, y0, x1, y1);
        ASSERT_EQ(points.front(), std::make_pair(x0, y0));
        ASSERT_EQ(points.back(), std::make_pair(x1, y1));
        ASSERT_EQ(points.size(), static_cast<size_t>(std::max(std::llabs(x1 - x0), std::llabs(y1 - y0)) + 1));
        for (size_t k = 1; k < points.size(); ++k) { // 8-connected
            ASSERT_LE(std::llabs(points[k].first - points[k - 1].first), 1);
            ASSERT_LE(std::llabs(points[k].second - points[k - 1].second), 1);
        }
    }
}

// advance(k) must leave the iterator exactly where k calls of step leave it.
TEST(ZrLine, AdvanceEqualsStepping) {
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<int> small(-300, 300);
    for (int i = 0; i < 3000; ++i) {
        const int64_t x0 = small(rng), y0 = small(rng), x1 = small(rng), y1 = small(rng);
        ZrLine stepped, jumped;
        begin(stepped, y1, y0, x1, x0);
        begin(jumped, y1, y0, x1, x0);
        const uint64_t total = remaining(stepped);
        const uint64_t k = std::uniform_int_distribution<uint64_t>(0, total - 1)(rng);
        int64_t x, y;
        for (uint64_t s = 0; s < k; ++s)
            step(x, y, stepped);
        advance(jumped, k);
        ASSERT_EQ(remaining(jumped), total - k);
        ASSERT_EQ(jumped.majorCurrent, stepped.majorCurrent);
        ASSERT_EQ(jumped.minorCurrent, stepped.minorCurrent);
        ASSERT_EQ(jumped.decision, stepped.decision) << x0 << "," << y0 << " " << x1 << "," << y1 << " k=" << k;
    }
}

// Far beyond 32 bits of product, the jump must still land on the point the
// stepping would reach: check against the closed form with 128-bit arithmetic
// at a few huge segments, then step a little from there and compare with the
// same closed form.
TEST(ZrLine, AdvanceOnSegmentsAcrossThe32BitRange) {
    const struct {
        int64_t x0, y0, x1, y1;
    } cases[] = {
        {-2147483648LL, -1800, 2147483647LL, 1800},
        {2147483647LL, 1799, -2147483648LL, -1800},
        {5, -2147483648LL, -7, 2147483647LL},
        {-2147483648LL, 2147483647LL, 2147483647LL, -2147483648LL},
    };
    for (const auto& c : cases) {
        ZrLine line;
        begin(line, c.y1, c.y0, c.x1, c.x0);
        const uint64_t total = remaining(line);
        const uint64_t dM = static_cast<uint64_t>(line.majorDelta);
        const uint64_t dm = static_cast<uint64_t>(line.minorDelta);
        for (uint64_t k : {uint64_t{1}, total / 3, total / 2, total - 2}) {
            ZrLine jumped = line;
            advance(jumped, k);
            const unsigned __int128 s = (static_cast<unsigned __int128>(2 * dm) * k + dM) / (2 * dM);
            const int64_t direction = line.minorStart < line.minorEnd ? 1 : -1;
            ASSERT_EQ(jumped.minorCurrent, line.minorStart + direction * static_cast<int64_t>(s));
            // A few ordinary steps from the jump agree with jumping further.
            ZrLine further = line;
            advance(further, k + 1);
            int64_t x, y;
            step(x, y, jumped);
            ASSERT_EQ(jumped.majorCurrent, further.majorCurrent);
            ASSERT_EQ(jumped.minorCurrent, further.minorCurrent);
            ASSERT_EQ(jumped.decision, further.decision);
        }
    }
}

} // namespace
