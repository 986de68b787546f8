#include "descriptor/web_address.h"

#include <cstring>

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A byte a URL may carry as it is: the unreserved and reserved characters
// and "%" of escapes. Everything else (blanks, controls, '"', '<', '>',
// '\\', '^', '`', '{', '|', '}', bytes above 0x7E) would be escaped by a
// well-formed address, and some of them could change what a command line
// built from it means.
bool IsUrlByte(char c) {
    return IsAsciiLetterOrDigit(c) || (c != '\0' && std::strchr("-._~:/?#[]@!$&'()*+,;=%", c));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// A host name of letters, digits, '-' and '.' with at least one letter or
// digit, or an IPv4 address (which has the same shape).
bool IsHostName(std::string_view host) {
    bool alphanumeric = false;
    for (char c : host) {
        if (IsAsciiLetterOrDigit(c))
            alphanumeric = true;
        else if (c != '-' && c != '.')
            return false;
    }
    return alphanumeric;
}

// "[...]": hex digits, ':' and '.' (an IPv4 tail), with at least one colon.
bool IsBracketedAddress(std::string_view host) {
    if (host.size() < 4 || host.front() != '[' || host.back() != ']')
        return false;
    const std::string_view inner = host.substr(1, host.size() - 2);
    for (char c : inner)
        if (!IsHexDigit(c) && c != ':' && c != '.')
            return false;
    return inner.find(':') != std::string_view::npos;
}

// One to five digits.
bool IsPort(std::string_view port) {
    if (port.empty() || port.size() > 5)
        return false;
    for (char c : port)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

bool IsWebAddress(std::string_view text) {
    if (text.size() > kMaxWebAddress)
        return false;
    for (char c : text)
        if (!IsUrlByte(c))
            return false;
    size_t start;
    if (StartsWithNoCase(text, "http://"))
        start = 7;
    else if (StartsWithNoCase(text, "https://"))
        start = 8;
    else
        return false;
    // The authority runs up to the path, the query or the fragment.
    const size_t end = text.find_first_of("/?#", start);
    std::string_view authority =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (authority.find('@') != std::string_view::npos)
        return false;
    // A port follows the last colon, unless that colon is inside brackets.
    const size_t colon = authority.rfind(':');
    const size_t bracket = authority.rfind(']');
    if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
        if (!IsPort(authority.substr(colon + 1)))
            return false;
        authority = authority.substr(0, colon);
    }
    return IsHostName(authority) || IsBracketedAddress(authority);
}
