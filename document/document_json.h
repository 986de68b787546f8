// The .orv format: a graph document as UTF-8 JSON text.
#pragma once

#include <string>
#include <string_view>

#include "document/graph_document.h"

// The text of an .orv file for a document that DocumentProblem accepts:
// every member, in a fixed order, with a two-space indent; each number the
// shortest text that reads back as the same double (-0 keeps its sign);
// always eight equations; colours "#RRGGBB". Any other document still gives
// JSON, which the reader refuses with DocumentProblem's reason (bytes that
// are not UTF-8 excepted: they are written as U+FFFD).
std::string WriteGraphDocument(const GraphDocument& document);

// Reads the text of an .orv file. True when it is a graph this program can
// show: `document` then holds it, with the built-in default for every
// member the text leaves out. False with a reason the user can act on
// (lower case, no final stop), and `document` untouched.
bool ReadGraphDocument(std::string_view text, GraphDocument& document, std::string& reason);
