// Memory blocks that the raster library allocates for itself: the PNG
// library's storage, row tables and colour tables. The two functions are
// replaceable process-wide so that a host (or a test) can count allocations
// or make them fail.
#pragma once

#include <cstddef>

using ZrAllocateFunction = void* (*)(size_t size);
using ZrReleaseFunction = void (*)(void* block);

// Installs the pair used by zrAllocate and zrRelease; null for either
// restores malloc and free for both. Blocks must be released by the pair
// that allocated them, so swap only while no library block is alive.
void zrSetMemoryFunctions(ZrAllocateFunction allocate, ZrReleaseFunction release);

// A block of `size` bytes (at least 1) that the caller releases with
// zrRelease; null when memory runs out. Never throws.
void* zrAllocate(size_t size) noexcept;

// Releases a block from zrAllocate; null is ignored.
void zrRelease(void* block) noexcept;

// Deleter for std::unique_ptr of zrAllocate blocks.
struct ZrReleaser {
    void operator()(void* block) const noexcept { zrRelease(block); }
};

#include <memory>
#include <new>
#include <utility>

#include "src/zr_error.h"

// A new T built from `args`, owned by the caller. Throws ZrErrorCode 2 with
// the given raising site when the object's memory cannot be had, and
// whatever T's constructor throws.
template <class T, class... Args>
std::unique_ptr<T> zrMake(const char* source, int32_t line, Args&&... args) {
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    if (!object)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, source, line);
    return std::unique_ptr<T>(object);
}
