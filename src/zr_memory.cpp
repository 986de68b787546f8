#include "src/zr_memory.h"

#include <cstdlib>

namespace {
ZrAllocateFunction allocateFunction = nullptr;
ZrReleaseFunction releaseFunction = nullptr;
} // namespace

void zrSetMemoryFunctions(ZrAllocateFunction allocate, ZrReleaseFunction release) {
    if (allocate && release) {
        allocateFunction = allocate;
        releaseFunction = release;
    } else {
        allocateFunction = nullptr;
        releaseFunction = nullptr;
    }
}

void* zrAllocate(size_t size) noexcept {
    if (size == 0)
        size = 1;
    return allocateFunction ? allocateFunction(size) : std::malloc(size);
}

void zrRelease(void* block) noexcept {
    if (!block)
        return;
    if (releaseFunction)
        releaseFunction(block);
    else
        std::free(block);
}
