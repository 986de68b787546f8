#include "document/document_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

#include "document/document_json.h"
#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_replacement.h"

namespace {

// The system's text for errno `e`, starting lower case ("no such file or
// directory").
std::string SystemText(int e) {
    std::string text = std::strerror(e);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// What went wrong, for the user: the system's text when a system call
// failed, else a short text for the library's code.
std::string ErrorText(const ZrErrorCode& error) {
    if (error.detail != 0)
        return SystemText(error.detail);
    switch (error.code) {
    case 2:
        return "not enough memory";
    case 4:
        return "no file name";
    case 5:
    case 14:
        return "access is denied";
    case 10:
        return SystemText(ENOENT);
    case 22:
        return "the disk is full";
    default:
        return "the file could not be read or written (error " + std::to_string(error.code) + ")";
    }
}

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
            if (error.code != 18) // 18: the end of the file
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
        reason = ErrorText(error);
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
        reason = ErrorText(error);
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
    }
    return false;
}
