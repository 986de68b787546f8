// Sets the x87 control word for a scope and restores it afterwards (x86
// builds only; elsewhere nothing happens and Current() is what was set).
#pragma once

#include <cstdint>

// 53-bit precision, rounding to nearest, all exceptions masked: what
// Windows gives a new thread.
inline constexpr uint16_t kDoublePrecisionControl = 0x027f;

class X87ControlWord {
public:
    explicit X87ControlWord(uint16_t word) : saved_(Current()) { Load(word); }
    ~X87ControlWord() { Load(saved_); }
    X87ControlWord(const X87ControlWord&) = delete;
    X87ControlWord& operator=(const X87ControlWord&) = delete;

    uint16_t Current() const {
#if defined(__x86_64__) || defined(__i386__)
        uint16_t word;
        __asm__ volatile("fnstcw %0" : "=m"(word));
        return word;
#else
        return loaded_;
#endif
    }

private:
    void Load(uint16_t word) {
#if defined(__x86_64__) || defined(__i386__)
        __asm__ volatile("fldcw %0" : : "m"(word) : "memory");
#endif
        loaded_ = word;
    }
    uint16_t loaded_ = 0;
    uint16_t saved_;
};
