// document_check FILE: whether FILE is an .orv document exactly as
// WriteGraphDocument writes the document it holds. Exit 0 when it is; 1,
// with what differs, when not.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "document/document_file.h"
#include "document/document_json.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: document_check FILE\n", stderr);
        return 2;
    }
    GraphDocument document;
    std::string reason;
    if (!LoadGraphDocument(argv[1], document, reason)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], reason.c_str());
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string written = WriteGraphDocument(document);
    if (bytes != written) {
        std::fprintf(stderr, "%s differs from the writer's text of its document:\n%s\n", argv[1],
                     written.c_str());
        return 1;
    }
    return 0;
}
