// The raster library's one error type, thrown by value by every library
// operation that fails, and its two process-wide observation hooks.
#pragma once

#include <cstdint>

struct ZrErrorCode {
    int32_t code = 0;     // library error code
    int32_t detail = 0;   // errno of a failed system call, else 0
    char source[256] = {}; // raising site's source path, at most 255 characters
    int32_t line = 0;     // raising site's source line

    ZrErrorCode() = default;
    // Copies at most 255 characters of `sourcePath`; calls the error hook when
    // code or detail is non-zero.
    ZrErrorCode(int32_t code, int32_t detail, const char* sourcePath, int32_t line);
};

using ZrAssertionHook = void (*)(const char* source, int32_t line);
using ZrErrorHook = void (*)(const ZrErrorCode& error);

// Both hooks are empty by default; the program installs neither.
void zrSetAssertionHook(ZrAssertionHook hook);
ZrAssertionHook zrGetAssertionHook();
void zrSetErrorHook(ZrErrorHook hook);
ZrErrorHook zrGetErrorHook();

// Consistency check: when `condition` is false the assertion hook (if any)
// hears about it; nothing is raised and the caller carries on.
void zrCheck(bool condition, const char* source, int32_t line);
