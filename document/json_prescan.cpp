#include "document/json_prescan.h"

#include <cmath>
#include <cstdlib>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the JSON number starting at `start`, 0 when none does:
//   number = [ "-" ] ( "0" | digit1-9 *digit ) [ "." 1*digit ] [ ( "e" | "E" ) [ "+" | "-" ]
//   1*digit ]
size_t NumberLength(std::string_view text, size_t start) {
    size_t i = start;
    const size_t n = text.size();
    if (i < n && text[i] == '-')
        ++i;
    if (i < n && text[i] == '0')
        ++i;
    else if (i < n && IsDigit(text[i]))
        while (i < n && IsDigit(text[i]))
            ++i;
    else
        return 0;
    if (i + 1 < n && text[i] == '.' && IsDigit(text[i + 1])) {
        i += 2;
        while (i < n && IsDigit(text[i]))
            ++i;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        size_t k = i + 1;
        if (k < n && (text[k] == '+' || text[k] == '-'))
            ++k;
        if (k < n && IsDigit(text[k])) {
            i = k;
            while (i < n && IsDigit(text[i]))
                ++i;
        }
    }
    return i - start;
}

// The value of a number token when it is too large for a double, else 0.
// Only a token with an exponent or over 300 characters can be; the others
// are not read at all.
double Overflow(std::string_view token) {
    if (token.size() <= 300 && token.find_first_of("eE") == std::string_view::npos)
        return 0;
    const std::string copy(token);
    const double value = std::strtod(copy.c_str(), nullptr);
    return std::isinf(value) ? value : 0;
}

} // namespace

bool NestsTooDeeply(std::string_view text, size_t limit) {
    size_t depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i; // the escaped character cannot end the string
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit)
                return true;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return false;
}

bool ReplaceOverflowingNumbers(std::string_view text, OverflowReplacement& replacement) {
    std::string replaced;
    std::vector<double> nulls;
    bool any = false;
    bool inString = false;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            ++i;
        } else if (c == '"') {
            inString = true;
            ++i;
        } else if (text.substr(i, 4) == "null") {
            nulls.push_back(NAN);
            i += 4;
        } else if (const size_t length = NumberLength(text, i)) {
            if (const double value = Overflow(text.substr(i, length))) {
                if (!any)
                    replaced.assign(text); // the first one: the copy begins
                any = true;
                // Every overflowing number has at least five characters ("1e309").
                replaced.replace(i, length, "null" + std::string(length - 4, ' '));
                nulls.push_back(value);
            }
            i += length;
        } else {
            ++i;
        }
    }
    if (any) {
        replacement.text = std::move(replaced);
        replacement.nulls = std::move(nulls);
    }
    return any;
}
