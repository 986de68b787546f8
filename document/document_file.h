// Graph documents in files. Paths are UTF-8 on every system (the Windows
// file calls convert them to UTF-16), so any file name opens and saves.
#pragma once

#include <string>

#include "document/graph_document.h"

// Reads and checks the file at `path`. True with `document` set; false with
// the reason (the system's when the file cannot be read, the format's when
// it is refused), lower case, and `document` untouched.
bool LoadGraphDocument(const std::string& path, GraphDocument& document, std::string& reason);

// Writes the document to `path` through the saving path: a new file beside
// the target takes its place only once all of it is written, so on any
// failure the old file stays as it was. False with the reason.
bool SaveGraphDocument(const std::string& path, const GraphDocument& document,
                       std::string& reason);
