// Memory of ZrBuffer: a movable global-memory block, locked while held, on
// Windows; a heap block elsewhere.
#include "src/zr_buffer.h"

#include "src/zr_error.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace {
const char kSource[] = "src\\ZrBuffer";
} // namespace

ZrBuffer::~ZrBuffer() { free(); }

void ZrBuffer::allocate(uint32_t size) {
    free();
    const size_t bytes = size == 0 ? 1 : size;
#ifdef _WIN32
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    void* address = GlobalLock(block);
    if (!address) {
        GlobalFree(block);
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    }
    handle = block;
    memory = static_cast<uint8_t*>(address);
#else
    void* block = std::malloc(bytes);
    if (!block)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    handle = block;
    memory = static_cast<uint8_t*>(block);
#endif
}

void ZrBuffer::free() noexcept {
    if (!handle)
        return;
#ifdef _WIN32
    GlobalUnlock(static_cast<HGLOBAL>(handle));
    GlobalFree(static_cast<HGLOBAL>(handle));
#else
    std::free(handle);
#endif
    handle = nullptr;
    memory = nullptr;
}
