// An MPFR number that frees itself: the high-precision reference of the
// math tests.
#pragma once

#include <mpfr.h>

class Big {
public:
    explicit Big(mpfr_prec_t precision) { mpfr_init2(value_, precision); }
    ~Big() { mpfr_clear(value_); }
    Big(const Big&) = delete;
    Big& operator=(const Big&) = delete;
    mpfr_ptr get() { return value_; }

private:
    mpfr_t value_;
};
