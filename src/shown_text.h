// User text quoted in a message (an equation, a file name, an argument),
// made safe to print on a terminal.
#pragma once

#include <string>
#include <string_view>

// `text` with each control byte (below 0x20, and 0x7F) shown as "\x" and two
// lower-case hex digits, so that no escape sequence reaches a terminal.
// Every other byte is kept, UTF-8 included, and so is a backslash, except
// that one followed by "x" is shown as "\x5c": every "\x" of the result
// then starts one of these escapes, and the original text can be told from
// the result (a Windows path keeps its backslashes).
std::string EscapeControlCharacters(std::string_view text);
