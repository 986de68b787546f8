#include "src/zr_color_table.h"

#include <algorithm>
#include <cstring>

#include "src/zr_error.h"

namespace {

const char kSource[] = "src\\ZrColorTable";

// A block for n entries, or null for none; code 2 when it cannot be had.
std::unique_ptr<uint8_t[], ZrReleaser> NewEntries(uint32_t n, int32_t line) {
    if (n == 0)
        return nullptr;
    const uint64_t bytes = uint64_t{n} * 3;
    if (bytes > SIZE_MAX)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, line);
    void* block = zrAllocate(static_cast<size_t>(bytes));
    if (!block)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, line);
    return std::unique_ptr<uint8_t[], ZrReleaser>(static_cast<uint8_t*>(block));
}

} // namespace

ZrColorTable::ZrColorTable(const ZrColorTable& other) { assign(other); }

ZrColorTable& ZrColorTable::operator=(const ZrColorTable& other) {
    assign(other);
    return *this;
}

ZrColorTable::ZrColorTable(ZrColorTable&& other) noexcept
    : entries(std::move(other.entries)), count(other.count) {
    other.count = 0;
}

ZrColorTable& ZrColorTable::operator=(ZrColorTable&& other) noexcept {
    if (this != &other) {
        entries = std::move(other.entries);
        count = other.count;
        other.count = 0;
    }
    return *this;
}

void ZrColorTable::assign(const ZrColorTable& other) {
    if (this == &other)
        return;
    // The new array is complete before the old one goes, so a failure
    // leaves the table untouched.
    auto copy = NewEntries(other.count, __LINE__);
    if (other.count)
        std::memcpy(copy.get(), other.entries.get(), size_t{other.count} * 3);
    entries = std::move(copy);
    count = other.count;
}

void ZrColorTable::resize(uint32_t n) {
    if (n == count)
        return;
    auto resized = NewEntries(n, __LINE__);
    const uint32_t kept = std::min(n, count);
    if (kept)
        std::memcpy(resized.get(), entries.get(), size_t{kept} * 3);
    if (n > kept)
        std::memset(resized.get() + size_t{kept} * 3, 0, (size_t{n} - kept) * 3);
    entries = std::move(resized);
    count = n;
}

void ZrColorTable::setEntry(uint32_t index, uint8_t red, uint8_t green, uint8_t blue) {
    zrCheck(index < count, kSource, __LINE__);
    if (index >= count)
        return;
    uint8_t* entry = entries.get() + size_t{index} * 3;
    entry[0] = red;
    entry[1] = green;
    entry[2] = blue;
}

void makeInverseColorMap(const ZrColorTable& table, uint8_t* map) {
    zrCheck(table.getCount() != 0 && map != nullptr, kSource, __LINE__);
    if (table.getCount() == 0 || !map)
        return;
    const uint32_t used = std::min<uint32_t>(table.getCount(), 256);
    const uint8_t* entries = table.getEntries();
    for (uint32_t i = 0; i < kZrInverseMapSize; ++i) {
        const int r5 = (i >> 10) & 31, g5 = (i >> 5) & 31, b5 = i & 31;
        // The 5-bit fields widened to 8 bits; blue repeats its own low bits.
        const int red = r5 * 8 + r5 / 4, green = g5 * 8 + g5 / 4, blue = b5 * 8 + b5 % 8;
        uint32_t best = 0;
        int bestDistance = INT32_MAX;
        for (uint32_t e = 0; e < used; ++e) {
            const uint8_t* entry = entries + size_t{e} * 3;
            const int dr = red - entry[0], dg = green - entry[1], db = blue - entry[2];
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = e;
            }
        }
        map[i] = static_cast<uint8_t>(best);
    }
}
