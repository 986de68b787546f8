// Checking UTF-8 text and counting its characters.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// The number of Unicode code points in `text`, or nothing when it is not
// well-formed UTF-8 (overlong forms, surrogates, values above U+10FFFF and
// truncated sequences are not).
std::optional<size_t> CountCodePoints(std::string_view text);
