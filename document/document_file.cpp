#include "document/document_file.h"

#include <algorithm>
#include <new>

#include "document/document_json.h"
#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_replacement.h"

namespace {

// Reads at most kMaxDocumentBytes + 1 bytes: enough for the reader to tell
// a file that is too large, without reading all of it.
std::string ReadStart(const std::string& path) {
    ZrFile file;
    file.setName(path.c_str());
    file.openForRead();
    std::string text;
    const size_t limit = kMaxDocumentBytes + 1;
    const size_t piece = 64 * 1024;
    while (text.size() < limit) {
        const size_t have = text.size();
        text.resize(have + std::min(piece, limit - have));
        try {
            text.resize(have + file.read(text.data() + have, text.size() - have));
        } catch (const ZrErrorCode& error) {
            if (error.kind() != ZrError::EndOfFile)
                throw;
            text.resize(have);
            break;
        }
    }
    file.close();
    return text;
}

} // namespace

bool LoadGraphDocument(const std::string& path, GraphDocument& document, std::string& reason) {
    std::string text;
    try {
        text = ReadStart(path);
    } catch (const ZrErrorCode& error) {
        reason = ZrErrorText(error);
        return false;
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
        return false;
    }
    return ReadGraphDocument(text, document, reason);
}

bool SaveGraphDocument(const std::string& path, const GraphDocument& document,
                       std::string& reason) {
    if (auto problem = DocumentProblem(document)) {
        reason = *problem;
        return false;
    }
    try {
        const std::string text = WriteGraphDocument(document);
        zrWriteWholeFile(path.c_str(), text.data(), text.size());
        return true;
    } catch (const ZrErrorCode& error) {
        reason = ZrErrorText(error);
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
    }
    return false;
}
