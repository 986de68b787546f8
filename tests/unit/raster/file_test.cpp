// ZrFile: the checks of every operation, the modes, reading and writing, and
// the mapping of errno values to the library's codes.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "raster_test_util.h"
#include "src/zr_file.h"

namespace {

using raster_test::Describe;
using raster_test::LimitedWrites;
using raster_test::ReadBytes;
using raster_test::ScratchFolder;
using raster_test::WriteBytes;

using raster_test::Caught;

TEST(ZrFileLocator, HoldsItsOwnCopyOfThePath) {
    std::string path = "some/where.png";
    ZrFileLocator locator;
    EXPECT_EQ(locator.getKind(), ZrFileLocator::kEmpty);
    EXPECT_EQ(locator.getName(), nullptr);
    locator.setName(path.c_str());
    path[0] = 'X';
    EXPECT_EQ(locator.getKind(), ZrFileLocator::kPath);
    EXPECT_STREQ(locator.getName(), "some/where.png");

    ZrFile file;
    file.assign(locator);
    EXPECT_STREQ(file.getName(), "some/where.png");
    EXPECT_NE(file.getName(), locator.getName());
    locator.clear();
    EXPECT_EQ(locator.getKind(), ZrFileLocator::kEmpty);
    EXPECT_EQ(locator.getName(), nullptr);
    EXPECT_STREQ(file.getName(), "some/where.png");
}

TEST(ZrFile, EveryOperationChecksNameAndState) {
    ScratchFolder folder;
    const std::string path = folder.file("f.bin");
    WriteBytes(path, {1, 2, 3});
    enum State { Unnamed, Closed, OpenForWrite, OpenForRead };
    const struct {
        const char* name;
        State state;
        std::function<void(ZrFile&)> action;
        int32_t code;
    } cases[] = {
        {"createEmpty without a name", Unnamed, [](ZrFile& f) { f.createEmpty(); }, 4},
        {"remove without a name", Unnamed, [](ZrFile& f) { f.remove(); }, 4},
        {"openForWrite without a name", Unnamed, [](ZrFile& f) { f.openForWrite(); }, 4},
        {"createEmpty of an open file", OpenForWrite, [](ZrFile& f) { f.createEmpty(); }, 11},
        {"remove of an open file", OpenForWrite, [](ZrFile& f) { f.remove(); }, 11},
        {"openForWrite of an open file", OpenForWrite, [](ZrFile& f) { f.openForWrite(); }, 11},
        {"close of a closed file", Closed, [](ZrFile& f) { f.close(); }, 15},
        {"write to a closed file", Closed, [](ZrFile& f) { f.write("x", 1); }, 15},
        {"read from a closed file", Closed, [](ZrFile& f) { char c; f.read(&c, 1); }, 15},
        {"rewind of a closed file", Closed, [](ZrFile& f) { f.rewind(); }, 15},
        {"truncate of a closed file", Closed, [](ZrFile& f) { f.truncate(); }, 15},
        {"write to a file open for reading", OpenForRead, [](ZrFile& f) { f.write("x", 1); }, 12},
        {"read from a file open for writing", OpenForWrite, [](ZrFile& f) { char c; f.read(&c, 1); }, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZrFile file;
        if (c.state != Unnamed)
            file.setName(path.c_str());
        if (c.state == OpenForWrite) {
            file.openForWrite();
            file.write("ab", 2);
        }
        if (c.state == OpenForRead)
            file.openForRead();
        const ZrErrorCode error = Caught([&] { c.action(file); });
        EXPECT_EQ(error.code, c.code) << Describe(error);
        EXPECT_STREQ(error.source, "src\\ZrFile");
        // A refused operation leaves an open file as it was.
        EXPECT_EQ(file.isOpen(), c.state == OpenForWrite || c.state == OpenForRead);
        if (c.state == OpenForWrite) {
            EXPECT_EQ(file.getWritten(), 2u);
            file.write("c", 1);
            file.close();
            EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'a', 'b', 'c'}));
            WriteBytes(path, {1, 2, 3});
        }
    }
}

TEST(ZrFile, OpenFailuresHaveTheirOwnCodes) {
    ScratchFolder folder;
    const struct {
        const char* name;
        std::string path;
        bool forReading;
        int32_t code, detail;
    } cases[] = {
        {"folder missing", folder.file("missing/f.png"), false, 10, ENOENT},
        {"file missing", folder.file("none.png"), true, 10, ENOENT},
        {"folder named", folder.path(), false, 0, 0}, // code depends on the system
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZrFile file;
        file.setName(c.path.c_str());
        const ZrErrorCode error = Caught([&] { c.forReading ? file.openForRead() : file.openForWrite(); });
        if (c.code) {
            EXPECT_EQ(error.code, c.code) << Describe(error);
            EXPECT_EQ(error.detail, c.detail);
        } else {
            EXPECT_NE(error.code, 0);
        }
        EXPECT_FALSE(file.isOpen());
    }
}

TEST(ZrFile, WritesCountsAndReadsBack) {
    ScratchFolder folder;
    const std::string path = folder.file("data.bin");
    ZrFile file;
    file.setName(path.c_str());
    file.createEmpty();
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(file.isOpen());

    file.openForWrite();
    EXPECT_EQ(file.getMode(), ZrFile::kWrite);
    file.write("", 0);
    EXPECT_EQ(file.getWritten(), 0u);
    file.write("hello", 5);
    file.write(" world", 6);
    EXPECT_EQ(file.getWritten(), 11u);
    file.truncate();
    file.rewind();
    file.write("abc", 3);
    file.close();
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'a', 'b', 'c'}));

    // The same object opens again; the count starts over.
    file.openForWrite();
    EXPECT_EQ(file.getWritten(), 0u);
    file.close();
    EXPECT_TRUE(ReadBytes(path).empty());

    WriteBytes(path, {'x', 'y', 'z'});
    file.openForRead();
    char buffer[10];
    EXPECT_EQ(file.read(buffer, 0), 0u);
    EXPECT_EQ(file.read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer, 3), "xyz");
    const ZrErrorCode end = Caught([&] { file.read(buffer, sizeof buffer); });
    EXPECT_EQ(end.code, 18);
    file.close();

    file.remove();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_NO_THROW(file.remove()); // a failing unlink is not reported
}

TEST(ZrFile, CountOnlyModeCountsWithoutAFile) {
    ZrFile file; // no name needed
    file.openCountOnly();
    EXPECT_EQ(file.getMode(), ZrFile::kWrite | ZrFile::kCountOnly);
    file.write("12345", 5);
    file.write("678", 3);
    file.truncate();
    file.rewind();
    EXPECT_EQ(file.getWritten(), 8u);
    file.resetWritten();
    EXPECT_EQ(file.getWritten(), 0u);
    file.close();
    EXPECT_FALSE(file.isOpen());
}

TEST(ZrFile, FailedWritesCarryTheirErrno) {
    ScratchFolder folder;
    const std::string path = folder.file("full.bin");
    ZrFile file;
    file.setName(path.c_str());
    file.openForWrite();
    {
        LimitedWrites writes(4);
        file.write("abc", 3);
        const ZrErrorCode error = Caught([&] { file.write("defg", 4); });
        EXPECT_EQ(error.code, 22) << Describe(error);
        EXPECT_EQ(error.detail, ENOSPC);
        EXPECT_EQ(file.getWritten(), 7u);
    }
    file.close();
    // The piece that fitted was written; nothing is reported as success.
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'a', 'b', 'c', 'd'}));
}

TEST(ZrFile, FullDiskRaises22WithENOSPC) {
    const std::string device = raster_test::FullDevice();
    if (device.empty())
        GTEST_SKIP() << "no full device here; FailedWritesCarryTheirErrno covers the path";
    ZrFile file;
    file.setName(device.c_str());
    file.openForWrite();
    file.truncate(); // a device has no size to change
    file.rewind();
    const ZrErrorCode error = Caught([&] { file.write("data", 4); });
    EXPECT_EQ(error.code, 22) << Describe(error);
    EXPECT_EQ(error.detail, ENOSPC);
    file.close();
}

TEST(ZrFile, ErrnoValuesMapToLibraryCodes) {
    const struct {
        int e;
        int32_t code;
    } cases[] = {
        {ENOENT, 10}, {E2BIG, 21},  {EBADF, 20}, {EAGAIN, 9},  {ENOMEM, 2},
        {EACCES, 5},  {EEXIST, 31}, {EXDEV, 17}, {EINVAL, 21}, {EMFILE, 9},
        {ENOSPC, 22}, {ERANGE, 29}, {EPIPE, 1},  {0, 1},       {9999, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("errno " + std::to_string(c.e));
        const ZrErrorCode error = Caught([&] { ZrFile::raiseForErrno(c.e); });
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.detail, c.e);
        EXPECT_STREQ(error.source, "src\\ZrFile");
        EXPECT_GT(error.line, 0);
    }
}

TEST(ZrFile, ReadOnlyTargetRefusesToOpenWith14) {
    ScratchFolder folder;
    const std::string path = folder.file("locked.png");
    WriteBytes(path, {'k', 'e', 'e', 'p'});
    ASSERT_TRUE(raster_test::SetReadOnly(path, true));
    raster_test::WindowsWriteBlock block(path);
    const int result = raster_test::RunWithPermissionsEnforced([&] {
        if (raster_test::CanWriteAnyway(path))
            return 253;
        ZrFile file;
        file.setName(path.c_str());
        try {
            file.openForWrite();
        } catch (const ZrErrorCode& e) {
            return static_cast<int>(e.code);
        }
        return 0;
    });
    if (result == -1 || result == 253)
        GTEST_SKIP() << "this process writes read-only files anyway and cannot drop the privilege";
    EXPECT_EQ(result, 14);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

} // namespace
