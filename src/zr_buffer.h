// Pixel buffers of the raster images: a swappable object that hands out the
// memory of an image's pixels. ZrBuffer owns its memory (movable global
// memory on Windows, the heap elsewhere); ZrInPlaceBuffer wraps memory that
// somebody else owns, such as the canvas pixels.
#pragma once

#include <cstdint>
#include <memory>

class ZrBaseBuffer {
public:
    ZrBaseBuffer() = default;
    ZrBaseBuffer(const ZrBaseBuffer&) = delete;
    ZrBaseBuffer& operator=(const ZrBaseBuffer&) = delete;

    virtual ~ZrBaseBuffer();
    // A new, unallocated buffer that the caller owns: a ZrBuffer for every
    // kind of this library. Throws ZrErrorCode 37 here (kind without one) and
    // 2 when memory runs out.
    virtual std::unique_ptr<ZrBaseBuffer> newEmptyOfSameKind() const;
    // Start of the memory; throws ZrErrorCode 27 while the buffer holds none.
    virtual uint8_t* getPointer() = 0;
    // Ends an access begun by getPointer. Never throws.
    virtual void releasePointer() noexcept = 0;
    // Obtains `size` bytes (uninitialised); throws ZrErrorCode 2 when it
    // cannot, holding nothing then.
    virtual void allocate(uint32_t size) = 0;
    // Gives the memory back; nothing when there is none. Never throws.
    virtual void free() noexcept = 0;

    // allocate, recording the size and the allocated state; on failure the
    // buffer stays unallocated and the error is rethrown.
    void allocateBlock(uint32_t size);
    // free, after ending an access still locked; afterwards unallocated,
    // size 0. Never throws.
    void freeBlock() noexcept;

    // Nested access: the first lock asks getPointer and caches the result,
    // later ones return the cache; the last unlock calls releasePointer.
    // lock throws ZrErrorCode 27 when there is no memory and 1 when the
    // nesting would exceed 65535; unlock without a lock fails a consistency
    // check and does nothing.
    uint8_t* lock();
    void unlock() noexcept;

    bool isAllocated() const { return allocated; }
    uint32_t getSize() const { return size; }
    uint16_t getLockCount() const { return lockCount; }

private:
    uint16_t lockCount = 0;
    uint8_t* lockedPointer = nullptr;
    uint32_t size = 0;
    bool allocated = false;
};

// Memory of its own, locked once for as long as it is held.
class ZrBuffer : public ZrBaseBuffer {
public:
    ZrBuffer() = default;
    ~ZrBuffer() override;

    std::unique_ptr<ZrBaseBuffer> newEmptyOfSameKind() const override;
    uint8_t* getPointer() override;
    void releasePointer() noexcept override;
    // Replaces any memory held by a new block of `size` bytes (1 byte for
    // 0); throws ZrErrorCode 2 when memory runs out, holding nothing then.
    void allocate(uint32_t size) override;
    void free() noexcept override;

private:
    void* handle = nullptr;     // the global-memory handle (Windows) or the heap block
    uint8_t* memory = nullptr;  // its locked address
};

// Memory that somebody else owns and keeps alive for as long as the buffer
// exists; it is never freed here.
class ZrInPlaceBuffer : public ZrBaseBuffer {
public:
    // Wraps `capacity` bytes at `pointer` (a null pointer or zero capacity
    // fails a consistency check). With `allocateNow`, the buffer is allocated
    // at once with its whole capacity; throws ZrErrorCode 2 when `pointer`
    // is null then.
    ZrInPlaceBuffer(uint8_t* pointer, uint32_t capacity, bool allocateNow);

    // A ZrBuffer: memory of another size cannot be had in place.
    std::unique_ptr<ZrBaseBuffer> newEmptyOfSameKind() const override;
    // The wrapped memory; throws ZrErrorCode 27 while not allocated.
    uint8_t* getPointer() override;
    void releasePointer() noexcept override;
    // Succeeds when `size` is at most the capacity; throws ZrErrorCode 2
    // otherwise, or when the wrapped pointer is null.
    void allocate(uint32_t size) override;
    void free() noexcept override;

    uint32_t getCapacity() const { return capacity; }

private:
    uint8_t* pointer;
    uint32_t capacity;
    bool held = false;
};
