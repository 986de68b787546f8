// Long double arithmetic on x86 runs on the x87 unit, whose control word
// decides the precision and rounding of every result. The 64-bit Windows
// runtime starts the main thread with 64-bit significands, but Windows gives
// every other thread 53-bit precision, which would quietly turn the
// extended-precision math functions into double-precision ones.
#pragma once

#include <cstdint>

// f(x), computed with 64-bit precision and rounding to nearest; the caller's
// control word is restored afterwards. The usual case, where they are set
// already, costs one read of the control word. x and the result pass through
// the statements that load the control word, so the compiler cannot move the
// computation of f past them.
template <typename F>
auto WithExtendedPrecision(double x, F f) -> decltype(f(x)) {
#if defined(__x86_64__) || defined(__i386__)
    // Precision control (bits 8-9) 11 = 64 bits; rounding control
    // (bits 10-11) 00 = to nearest.
    constexpr uint16_t kPrecisionAndRounding = 0x0F00, kExtendedNearest = 0x0300;
    uint16_t saved;
    __asm__ volatile("fnstcw %0" : "=m"(saved));
    if ((saved & kPrecisionAndRounding) == kExtendedNearest)
        return f(x);
    const uint16_t wanted = static_cast<uint16_t>((saved & ~kPrecisionAndRounding) | kExtendedNearest);
    __asm__ volatile("fldcw %1" : "+m"(x) : "m"(wanted));
    auto result = f(x);
    __asm__ volatile("fldcw %1" : "+m"(result) : "m"(saved));
    return result;
#else
    return f(x);
#endif
}
