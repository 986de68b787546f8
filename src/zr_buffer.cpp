// The buffer bookkeeping shared by every kind, and the in-place buffer. The
// platform part of ZrBuffer is in zr_buffer_memory.cpp.
#include "src/zr_buffer.h"

#include "src/zr_error.h"
#include "src/zr_memory.h"

namespace {
const char kBaseSource[] = "src\\ZrBaseBuffer";
const char kBufferSource[] = "src\\ZrBuffer";
const char kInPlaceSource[] = "src\\ZrInPlaceBuffer";
} // namespace

ZrBaseBuffer::~ZrBaseBuffer() = default;

std::unique_ptr<ZrBaseBuffer> ZrBaseBuffer::newEmptyOfSameKind() const {
    throw ZrErrorCode(ZrError::NotSupported, 0, kBaseSource, __LINE__);
}

void ZrBaseBuffer::allocateBlock(uint32_t bytes) {
    if (allocated)
        freeBlock();
    size = bytes;
    try {
        allocate(bytes);
    } catch (...) {
        size = 0;
        throw;
    }
    allocated = true;
}

void ZrBaseBuffer::freeBlock() noexcept {
    if (lockCount > 0) {
        // Freeing memory that is still being accessed: the accessor's
        // pointer dies with it.
        zrCheck(false, kBaseSource, __LINE__);
        releasePointer();
        lockCount = 0;
        lockedPointer = nullptr;
    }
    free();
    allocated = false;
    size = 0;
}

uint8_t* ZrBaseBuffer::lock() {
    zrCheck(allocated, kBaseSource, __LINE__);
    if (lockCount == 0) {
        lockedPointer = getPointer();
    } else if (lockCount == UINT16_MAX) {
        throw ZrErrorCode(ZrError::Other, 0, kBaseSource, __LINE__);
    }
    ++lockCount;
    return lockedPointer;
}

void ZrBaseBuffer::unlock() noexcept {
    if (lockCount == 0) {
        zrCheck(false, kBaseSource, __LINE__);
        return;
    }
    if (lockCount == 1) {
        releasePointer();
        lockedPointer = nullptr;
    }
    --lockCount;
}

std::unique_ptr<ZrBaseBuffer> ZrBuffer::newEmptyOfSameKind() const {
    return zrMake<ZrBuffer>(kBufferSource, __LINE__);
}

uint8_t* ZrBuffer::getPointer() {
    if (!memory)
        throw ZrErrorCode(ZrError::NoMemoryHeld, 0, kBufferSource, __LINE__);
    return memory;
}

void ZrBuffer::releasePointer() noexcept {
    // The block stays locked for as long as it is held.
}

ZrInPlaceBuffer::ZrInPlaceBuffer(uint8_t* pointer, uint32_t capacity, bool allocateNow)
    : pointer(pointer), capacity(capacity) {
    zrCheck(pointer != nullptr && capacity != 0, kInPlaceSource, __LINE__);
    if (allocateNow)
        allocateBlock(capacity);
}

std::unique_ptr<ZrBaseBuffer> ZrInPlaceBuffer::newEmptyOfSameKind() const {
    return zrMake<ZrBuffer>(kInPlaceSource, __LINE__);
}

uint8_t* ZrInPlaceBuffer::getPointer() {
    if (!held)
        throw ZrErrorCode(ZrError::NoMemoryHeld, 0, kInPlaceSource, __LINE__);
    return pointer;
}

void ZrInPlaceBuffer::releasePointer() noexcept {}

void ZrInPlaceBuffer::allocate(uint32_t size) {
    if (!pointer || size > capacity)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kInPlaceSource, __LINE__);
    held = true;
}

void ZrInPlaceBuffer::free() noexcept { held = false; }
