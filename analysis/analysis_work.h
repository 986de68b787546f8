// The work of an analysis and its bounds: a count of evaluations and
// program steps, and a deadline and a cancel flag that stop it whatever an
// evaluation costs (a mod of a huge argument takes a microsecond, a
// thousand times a step of plain arithmetic).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

using AnalysisClock = std::chrono::steady_clock;

// The clock and the flag are looked at once this many program steps have
// run since the last look: often enough that the slowest steps (a few
// microseconds each) overrun a deadline by milliseconds at most, rarely
// enough that a cheap curve does not pay for reading the clock.
inline constexpr uint64_t kStepsPerCheck = 4096;

// Counts the work of an analysis: evaluations and the program steps they
// ran. With a deadline or a cancel flag, the curves evaluated under it
// check both before an evaluation once kStepsPerCheck steps have run
// since the last check (and before the first); once either has been met,
// `stopped` stays set and every evaluation yields an undefined point at
// no cost, which the analysis takes as the sign to stop, reporting what it
// left unfinished.
struct AnalysisWork {
    uint64_t evaluations = 0;
    uint64_t steps = 0;

    AnalysisClock::time_point deadline = AnalysisClock::time_point::max();
    const std::atomic<bool>* cancel = nullptr; // not owned; set from another thread
    bool stopped = false;
    uint64_t nextCheck = 0; // the step count at which to look again

    // Looks at the flag and the clock, then schedules the next look (none
    // when there is nothing to look at).
    void Check() {
        const bool bounded = cancel || deadline != AnalysisClock::time_point::max();
        if (cancel && cancel->load(std::memory_order_relaxed))
            stopped = true;
        else if (deadline != AnalysisClock::time_point::max() && AnalysisClock::now() >= deadline)
            stopped = true;
        nextCheck = bounded ? steps + kStepsPerCheck : UINT64_MAX;
    }
    // Whether the work must stop before the next evaluation.
    bool Stopping() {
        if (!stopped && steps >= nextCheck)
            Check();
        return stopped;
    }
};

// The time orvanta-cli analyze and the Analysis window give the points of
// interest of a view, and then all values and integrals asked for
// together, so that the command ends within 2 s whatever the curves are.
inline constexpr std::chrono::milliseconds kPointsTime{1000};
inline constexpr std::chrono::milliseconds kValuesTime{600};

// The deadline of the next of `left` items (at least 1) that share the
// time until `end` equally: an item that finishes early leaves its time to
// those after it.
inline AnalysisClock::time_point ShareOfTime(AnalysisClock::time_point end, size_t left) {
    const AnalysisClock::time_point now = AnalysisClock::now();
    if (now >= end || left <= 1)
        return end;
    return now + (end - now) / static_cast<AnalysisClock::rep>(left);
}
