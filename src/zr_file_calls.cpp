// The part of the file calls that every system shares: the replaceable
// write and flush and the created hook, over the system's own calls of each
// system's half (zr_file_calls_windows.cpp, zr_file_calls_posix.cpp).
#include "src/zr_file_calls.h"

#include <cerrno>

#include "src/zr_file_system.h"

namespace {

ZrWriteFunction writeFunction = zrSystemWrite;
ZrFlushFunction flushFunction = zrSystemFlush;
ZrCreatedHook createdHook = nullptr;

// Writes all `count` bytes through `write`, as zrWriteFile describes.
int WriteAll(ZrWriteFunction write, int descriptor, const void* bytes, size_t count) {
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        errno = 0;
        const int64_t written = write(descriptor, next, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (written == 0) {
            // A regular file that takes nothing has run out of room.
            if (errno == 0)
                errno = ENOSPC;
            return -1;
        }
        next += written;
        count -= static_cast<size_t>(written);
    }
    return 0;
}

} // namespace

int zrAnnounceCreated(int descriptor, const char* name) {
    if (descriptor >= 0 && createdHook)
        createdHook(name);
    return descriptor;
}

void zrSetCreatedHook(ZrCreatedHook hook) {
    createdHook = hook;
}

void zrSetWriteFunction(ZrWriteFunction function) {
    writeFunction = function ? function : zrSystemWrite;
}

void zrSetFlushFunction(ZrFlushFunction function) {
    flushFunction = function ? function : zrSystemFlush;
}

int zrWriteFile(int descriptor, const void* bytes, size_t count) {
    return WriteAll(writeFunction, descriptor, bytes, count);
}

int zrFlushFile(int descriptor) { return flushFunction(descriptor); }

int zrEndFileHere(int descriptor) {
    const int64_t end = zrSystemPosition(descriptor);
    return end < 0 ? -1 : zrSystemSetSize(descriptor, end);
}

int zrRestoreFile(int descriptor, const void* bytes, size_t size) {
    if (zrSeekToStart(descriptor) != 0 || WriteAll(zrSystemWrite, descriptor, bytes, size) != 0 ||
        zrSystemSetSize(descriptor, static_cast<int64_t>(size)) != 0)
        return -1;
    return zrSystemFlush(descriptor);
}
