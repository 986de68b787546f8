// A look at a JSON text before nlohmann-json parses it: whether it nests
// too deeply, and the numbers too large for a double, which JSON allows but
// nlohmann refuses with no position to report.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Whether arrays and objects nest deeper than `limit` levels, counting
// brackets outside strings. Exact for JSON; on other text it may be wrong,
// but the parser refuses that text anyway.
bool NestsTooDeeply(std::string_view text, size_t limit);

// The numbers of `text` outside strings that read as infinity (1e999),
// replaced by null.
struct OverflowReplacement {
    // The text with each such number replaced by "null" and spaces, so that
    // every other character keeps its line and column.
    std::string text;
    // One entry per null literal of `text`, in order: NaN for a null of the
    // original text, the infinity of the replaced number otherwise.
    std::vector<double> nulls;
};

// False, with nothing done, when `text` holds no such number.
bool ReplaceOverflowingNumbers(std::string_view text, OverflowReplacement& replacement);
