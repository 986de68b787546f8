// Palettes of the raster library: entries of three bytes (red, green, blue),
// and the inverse colour map that finds the nearest entry of a colour.
#pragma once

#include <cstdint>
#include <memory>

#include "src/zr_memory.h"

class ZrColorTable {
public:
    ZrColorTable() = default;
    // A copy of `other`; throws ZrErrorCode 2 when memory runs out.
    ZrColorTable(const ZrColorTable& other);
    // assign; throws ZrErrorCode 2 when memory runs out, leaving this table
    // as it was.
    ZrColorTable& operator=(const ZrColorTable& other);
    ZrColorTable(ZrColorTable&& other) noexcept;
    ZrColorTable& operator=(ZrColorTable&& other) noexcept;
    ~ZrColorTable() = default;

    // Takes a copy of `other`'s entries and count. Throws ZrErrorCode 2 when
    // memory runs out, leaving this table as it was.
    void assign(const ZrColorTable& other);
    // n entries: the first min(n, count) kept, new ones black; no array for
    // n = 0. Throws ZrErrorCode 2 when memory runs out (or n x 3 bytes
    // cannot be represented), leaving this table as it was.
    void resize(uint32_t n);

    uint32_t getCount() const { return count; }
    // count x 3 bytes R, G, B, owned by the table; null when empty.
    const uint8_t* getEntries() const { return entries.get(); }
    // Entry `index`; an index beyond the table fails a consistency check
    // and changes nothing.
    void setEntry(uint32_t index, uint8_t red, uint8_t green, uint8_t blue);

private:
    std::unique_ptr<uint8_t[], ZrReleaser> entries;
    uint32_t count = 0;
};

// Entries of an inverse colour map: one per 15-bit colour (red in bits 10
// to 14, green 5 to 9, blue 0 to 4).
constexpr size_t kZrInverseMapSize = 32768;

// Fills `map` (kZrInverseMapSize bytes, owned by the caller) with the index
// of the entry of `table` nearest to each 15-bit colour, by the sum of
// squared channel differences, the lowest index winning ties. Only the first
// 256 entries take part. An empty table fails a consistency check and leaves
// the map alone.
void makeInverseColorMap(const ZrColorTable& table, uint8_t* map);
