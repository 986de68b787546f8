// Graph documents in files: any file name, the reasons a file cannot be
// opened, and saving that never loses the old file.
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/document_file.h"
#include "document/document_json.h"
#include "document_test_util.h"
#include "raster/raster_test_util.h"

namespace {

namespace fs = std::filesystem;
using raster_test::LimitedWrites;
using raster_test::ScratchFolder;

// A UTF-8 file name as the file system sees it, on every system.
fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Contents(const std::string& utf8) {
    std::ifstream in(PathOf(utf8), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const std::string& utf8, const std::string& bytes) {
    std::ofstream(PathOf(utf8), std::ios::binary) << bytes;
}

// The file names in a folder, in UTF-8.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathOf(folder))) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

// The system's text for an errno, as the reasons give it.
std::string SystemText(int e) {
    std::string text = std::strerror(e);
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

GraphDocument Example() {
    GraphDocument d;
    d.mode = Parametric;
    d.xMin = -0.0, d.tStop = 6.283185307179586;
    d.equations[0] = "cos(t)", d.equations[1] = "sin(t) \xE2\x88\x91";
    d.style.axisColor = 0x808080;
    return d;
}

TEST(DocumentFile, SavesAndOpensUnderAnyName) {
    const GraphDocument d = Example();
    for (const std::string name : {"graph.orv", "Gr\xC3\xA1"
                                                "fico \xE2\x88\x91.orv"}) {
        SCOPED_TRACE(name);
        ScratchFolder folder;
        const std::string path = folder.file(name);
        std::string reason;
        ASSERT_TRUE(SaveGraphDocument(path, d, reason)) << reason;
        EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{name});
        EXPECT_EQ(Contents(path), WriteGraphDocument(d));
        GraphDocument back = Sentinel();
        ASSERT_TRUE(LoadGraphDocument(path, back, reason)) << reason;
        EXPECT_EQ(Describe(back), Describe(d));
    }
}

TEST(DocumentFile, OpeningFailsWithTheReasonAndKeepsTheDocument) {
    ScratchFolder folder;
    Put(folder.file("big.orv"), "{\"orvanta\": 1}" + std::string(kMaxDocumentBytes, ' '));
    Put(folder.file("text.orv"), "orvanta 1\n");
    fs::create_directory(PathOf(folder.file("folder.orv")));
#ifdef _WIN32
    const int folderError = EACCES; // the runtime does not open a folder
#else
    const int folderError = EISDIR; // it opens, but does not read
#endif
    const struct {
        const char* name;
        std::string reason;
    } rows[] = {
        {"missing.orv", SystemText(ENOENT)},
        {"folder.orv", SystemText(folderError)},
        {"big.orv", "larger than 1 MiB"},
        {"text.orv", "not valid JSON (line 1, column 1)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GraphDocument d = Sentinel();
        std::string reason;
        EXPECT_FALSE(LoadGraphDocument(folder.file(row.name), d, reason));
        EXPECT_EQ(reason, row.reason);
        EXPECT_EQ(Describe(d), Describe(Sentinel()));
    }
}

TEST(DocumentFile, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    ScratchFolder folder;
    const std::string path = folder.file("graph.orv");
    const std::string old = "the old graph\n";
    Put(path, old);
    const GraphDocument d = Example();
    const size_t size = WriteGraphDocument(d).size();
    std::string reason;
    for (size_t n = 0; n < size; ++n) {
        SCOPED_TRACE("writes fail after " + std::to_string(n) + " bytes");
        LimitedWrites writes(n);
        ASSERT_FALSE(SaveGraphDocument(path, d, reason));
        ASSERT_EQ(reason, SystemText(ENOSPC));
        ASSERT_EQ(Contents(path), old);
        ASSERT_EQ(Listing(folder.path()), std::vector<std::string>{"graph.orv"});
    }
    ASSERT_TRUE(SaveGraphDocument(path, d, reason)) << reason;
    EXPECT_EQ(Contents(path), WriteGraphDocument(d));

    // Nothing is written for a missing folder or a document the reader
    // would refuse.
    EXPECT_FALSE(SaveGraphDocument(folder.file("missing/graph.orv"), d, reason));
    EXPECT_EQ(reason, SystemText(ENOENT));
    GraphDocument refused = d;
    refused.tStart = INFINITY;
    EXPECT_FALSE(SaveGraphDocument(path, refused, reason));
    EXPECT_EQ(reason, DocumentProblem(refused));
    EXPECT_EQ(Contents(path), WriteGraphDocument(d));
    EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{"graph.orv"});
}

} // namespace
