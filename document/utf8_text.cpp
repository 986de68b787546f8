#include "document/utf8_text.h"

#include <cstdint>

// Well-formed UTF-8, byte by byte:
//   00..7F | C2..DF t | E0 A0..BF t | E1..EC t t | ED 80..9F t | EE..EF t t
//   | F0 90..BF t t | F1..F3 t t t | F4 80..8F t t        (t = 80..BF)
std::optional<size_t> CountCodePoints(std::string_view text) {
    size_t count = 0;
    size_t i = 0;
    const size_t n = text.size();
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    auto inRange = [&](size_t k, uint8_t low, uint8_t high) {
        return k < n && byte(k) >= low && byte(k) <= high;
    };
    while (i < n) {
        const uint8_t lead = byte(i);
        size_t length;
        uint8_t low = 0x80, high = 0xBF; // the range of the second byte
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0; // no overlong forms
            else if (lead == 0xED)
                high = 0x9F; // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90; // no overlong forms
            else if (lead == 0xF4)
                high = 0x8F; // nothing above U+10FFFF
        } else {
            return std::nullopt;
        }
        if (length > 1) {
            if (!inRange(i + 1, low, high))
                return std::nullopt;
            for (size_t k = 2; k < length; ++k)
                if (!inRange(i + k, 0x80, 0xBF))
                    return std::nullopt;
        }
        i += length;
        ++count;
    }
    return count;
}
