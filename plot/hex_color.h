// Colours written as six hex digits RRGGBB: "#RRGGBB" in graph documents,
// "RRGGBB" in orvanta-cli's options.
#pragma once

#include <cstdint>
#include <string_view>

// Reads `text` as `prefix` followed by exactly six hex digits in either
// case, into the colour word 0xRRGGBB. False for any other text, with
// `word` left as it was.
bool ParseHexColor(std::string_view text, std::string_view prefix, uint32_t& word);
