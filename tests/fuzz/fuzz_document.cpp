// Reads arbitrary bytes as an .orv document. Beyond crashes and sanitizer
// reports it checks the reader's promises: a refused read has a reason and
// leaves the document as it was; an accepted document is one the writer
// accepts, and writing it and reading the text back gives the same document
// bit for bit, whose text is the same again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/document_json.h"
#include "tests/unit/document_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const GraphDocument before = Sentinel();
    GraphDocument document = before;
    std::string reason;
    if (!ReadGraphDocument(text, document, reason)) {
        if (reason.empty() || Describe(document) != Describe(before))
            std::abort();
        return 0;
    }
    if (DocumentProblem(document))
        std::abort();
    const std::string written = WriteGraphDocument(document);
    GraphDocument again = before;
    if (!ReadGraphDocument(written, again, reason) || Describe(again) != Describe(document) ||
        WriteGraphDocument(again) != written)
        std::abort();
    return 0;
}
