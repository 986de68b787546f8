#include "plot/hex_color.h"

bool ParseHexColor(std::string_view text, std::string_view prefix, uint32_t& word) {
    if (text.size() != prefix.size() + 6 || text.substr(0, prefix.size()) != prefix)
        return false;
    uint32_t value = 0;
    for (const char c : text.substr(prefix.size())) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    word = value;
    return true;
}
