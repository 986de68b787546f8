// The raster library's one error type, thrown by value by every library
// operation that fails, and its two process-wide observation hooks.
#pragma once

#include <cstdint>
#include <string>

// The library's error codes, by what raises them. The numbers are part of
// the library's interface: they never change.
enum class ZrError : int32_t {
    None = 0,              // no error (a default-made record)
    Other = 1,             // an unlisted errno; a PNG library error with no recorded cause
    OutOfMemory = 2,       // an allocation failed, ENOMEM, or a buffer is too small
    NoFileName = 4,        // a file operation on a locator without a name
    AccessDenied = 5,      // EACCES from a file call other than open
    TooManyFiles = 9,      // EAGAIN, or EMFILE
    NoSuchFile = 10,       // ENOENT
    AlreadyOpen = 11,      // opening, creating or deleting a file that is open
    WrongMode = 12,        // open failed with EEXIST or EINVAL; reading or writing a
                           // file not opened for it
    OpenAccessDenied = 14, // open failed with EACCES
    NotOpen = 15,          // an operation that needs an open file on a closed one
    CrossDevice = 17,      // EXDEV
    EndOfFile = 18,        // a read returned no bytes
    BadDescriptor = 20,    // EBADF; closing the descriptor failed
    InvalidArgument = 21,  // E2BIG, or EINVAL from a call other than open
    DiskFull = 22,         // ENOSPC
    NoMemoryHeld = 27,     // a buffer asked for its memory while it holds none
    OutOfRange = 29,       // ERANGE
    AlreadyExists = 31,    // EEXIST from a call other than open
    NotSupported = 37,     // the operation is not supported by the class
    LineFinished = 38,     // a line iterator stepped after its last point
};

struct ZrErrorCode {
    int32_t code = 0;      // library error code, a ZrError
    int32_t detail = 0;    // errno of a failed system call, else 0
    char source[256] = {}; // raising site's source path, at most 255 characters
    int32_t line = 0;      // raising site's source line

    ZrErrorCode() = default;
    // Copies at most 255 characters of `sourcePath`; calls the error hook when
    // code or detail is non-zero.
    ZrErrorCode(ZrError code, int32_t detail, const char* sourcePath, int32_t line);

    ZrError kind() const { return static_cast<ZrError>(code); }
};

// What went wrong, for the user: the system's text of the errno when there
// is one ("no such file or directory"), else a short text for the code.
std::string ZrErrorText(const ZrErrorCode& error);

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
