// Which texts from an update descriptor may be handed to the shell. The
// descriptor travels over plain HTTP, so its addresses are untrusted: the
// shell would start a program, open a share or a local file just as readily
// as a web page. Portable.
#pragma once

#include <cstddef>
#include <string_view>

// The longest address that is opened.
inline constexpr size_t kMaxWebAddress = 2048;

// Whether `text` is an absolute web address that is safe to open: "http://"
// or "https://" (any case), then a host name, an IPv4 address or a bracketed
// IPv6 address, an optional port, and an optional path, query and fragment;
// at most kMaxWebAddress bytes, every byte one that a URL may hold (no
// blanks, control characters, quotes, backslashes or non-ASCII bytes). A
// user name before the host ("http://a@b/") is refused: it only serves to
// disguise where the address leads.
bool IsWebAddress(std::string_view text);
