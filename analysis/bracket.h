// Narrowing a sign change of a function down to two neighbouring doubles.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

// The doubles in order as integers: neighbouring doubles have neighbouring
// keys, and -0 and +0 share the key 0. NaN has no meaningful key.
inline int64_t OrderKey(double x) {
    int64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits >= 0 ? bits : -(bits & INT64_MAX);
}

inline double FromOrderKey(int64_t key) {
    const int64_t bits = key >= 0 ? key : (-key) | INT64_MIN;
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x + 0.0; // -0 becomes +0
}

// The number of doubles from a to b (a <= b, both finite). The keys'
// difference is taken as unsigned: from -2 to 2 it already exceeds INT64_MAX.
inline uint64_t KeyDistance(double a, double b) {
    return static_cast<uint64_t>(OrderKey(b)) - static_cast<uint64_t>(OrderKey(a));
}

// True when no double lies strictly between a and b (a < b).
inline bool Neighbours(double a, double b) {
    return KeyDistance(a, b) <= 1;
}

// A double strictly between a < b when there is one: their mean when both
// lie in one binade-sized range of the same sign, else the middle in key
// order, which crosses any number of binades in 64 halvings.
inline double Midpoint(double a, double b) {
    if ((a > 0 && b <= 2 * a) || (b < 0 && a >= 2 * b)) {
        const double m = a + (b - a) / 2;
        if (a < m && m < b)
            return m;
    }
    const int64_t ka = OrderKey(a), kb = OrderKey(b);
    const uint64_t half = (static_cast<uint64_t>(kb) - static_cast<uint64_t>(ka)) / 2;
    return FromOrderKey(ka + static_cast<int64_t>(half));
}

// One end of a bracket: a point, the value of the function whose sign
// changes, and its slope (NaN when unknown).
struct BracketEnd {
    double x = 0, g = 0, slope = NAN;
};

struct BracketResult {
    enum class End {
        Neighbours, // a and b are neighbouring doubles, g(a) and g(b) of opposite signs
        Exact,      // g(a) is exactly 0 (b == a)
        Undefined,  // g was undefined at a point inside
        OutOfSteps, // the step limit ran out first
    } end = End::OutOfSteps;
    BracketEnd a, b;
    int steps = 0;
};

// At most this many evaluations narrow one bracket: a bisection at least
// every third step halves the key distance, which is below 2^64.
inline constexpr int kMaxBracketSteps = 200;

// Narrows [a, b] (a.x < b.x, g of opposite nonzero signs) by Newton steps
// from the latest point where its slope is known, by regula falsi with the
// Illinois weights where it is not, and by bisection whenever the bracket
// failed to halve in two steps. `g(x)` returns a BracketEnd at x.
template <class G> BracketResult NarrowBracket(G&& g, BracketEnd a, BracketEnd b) {
    BracketResult r;
    BracketEnd last = std::fabs(a.g) <= std::fabs(b.g) ? a : b;
    double wa = a.g, wb = b.g; // regula falsi's weighted values
    int kept = 0;              // -1: a was kept last time, +1: b was
    int streak = 0;            // how many times in a row that end was kept
    uint64_t width[2] = {KeyDistance(a.x, b.x), KeyDistance(a.x, b.x)};
    bool fast = true;
    for (r.steps = 0; r.steps < kMaxBracketSteps; ++r.steps) {
        if (Neighbours(a.x, b.x)) {
            r.end = BracketResult::End::Neighbours;
            r.a = a;
            r.b = b;
            return r;
        }
        double x = NAN;
        if (fast) {
            if (std::isfinite(last.slope) && last.slope != 0) {
                // Newton's steps from one side of a convex stretch stay on
                // that side; once they do twice, a doubled step overshoots
                // to the other side and closes the bracket.
                x = last.x - (streak >= 2 ? 2 : 1) * (last.g / last.slope);
                // A step below half a unit moves to the next double inwards.
                if (x == last.x)
                    x = std::nextafter(last.x, last.x == a.x ? b.x : a.x);
            } else {
                x = (a.x * wb - b.x * wa) / (wb - wa);
            }
        }
        if (!(a.x < x && x < b.x))
            x = Midpoint(a.x, b.x);
        const BracketEnd p = g(x);
        if (std::isnan(p.g)) {
            r.end = BracketResult::End::Undefined;
            return r;
        }
        if (p.g == 0) {
            r.end = BracketResult::End::Exact;
            r.a = r.b = p;
            ++r.steps;
            return r;
        }
        if ((p.g < 0) == (a.g < 0)) {
            a = p;
            wa = p.g;
            if (kept == 1)
                wb /= 2;
            streak = kept == 1 ? streak + 1 : 1;
            kept = 1;
        } else {
            b = p;
            wb = p.g;
            if (kept == -1)
                wa /= 2;
            streak = kept == -1 ? streak + 1 : 1;
            kept = -1;
        }
        last = p;
        const uint64_t now = KeyDistance(a.x, b.x);
        fast = now <= width[0] / 2;
        width[0] = width[1];
        width[1] = now;
    }
    r.end = BracketResult::End::OutOfSteps;
    r.a = a;
    r.b = b;
    return r;
}
