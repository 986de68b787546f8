// Saving an image never destroys what the user had: both ways the program
// saves (PNG through the image library, BMP by the canvas) leave the old file
// exactly as it was on any failure, refuse a target the user may not write,
// and leave no temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/canvas.h"
#include "app/export_image.h"
#include "raster_test_util.h"
#include "src/zr_file.h"
#include "src/zr_png_file.h"
#include "src/zr_rgb_image.h"

namespace {

namespace fs = std::filesystem;
using raster_test::LimitedWrites;
using raster_test::ReadBytes;
using raster_test::ScratchFolder;
using raster_test::WriteBytes;

const std::vector<uint8_t> kOld = {'O', 'L', 'D', '\n'};

// A small graph and the two ways of saving it; each returns success.
struct Saver {
    const char* name;
    std::function<bool(const std::string&)> save;
};

std::vector<Saver> Savers(Canvas& canvas, Zr32BitImage& image) {
    return {{"png", [&](const std::string& path) { return SavePNG(image, path.c_str()); }},
            {"bmp", [&](const std::string& path) { return canvas.SaveBMP(path.c_str()); }}};
}

struct Graph {
    Canvas canvas{9, 7};
    std::unique_ptr<Zr32BitImage> image = MakeExportImage(canvas);
    Graph() {
        for (int i = 0; i < 9 * 7; ++i)
            canvas.bits()[i] = 0x10203 * static_cast<uint32_t>(i);
    }
};

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(SafeSave, WriteFailureAtAnyPointKeepsTheOldFile) {
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
        SCOPED_TRACE(saver.name);
        ScratchFolder folder;
        const std::string path = folder.file("graph");
        ASSERT_TRUE(saver.save(folder.file("whole")));
        const size_t size = ReadBytes(folder.file("whole")).size();
        fs::remove(folder.file("whole"));
        WriteBytes(path, kOld);
        for (size_t n = 0; n < size; ++n) {
            SCOPED_TRACE("writes fail after " + std::to_string(n) + " bytes");
            LimitedWrites writes(n);
            ASSERT_FALSE(saver.save(path));
            ASSERT_EQ(ReadBytes(path), kOld);
            ASSERT_EQ(Listing(folder.path()), std::vector<std::string>{"graph"});
        }
        ASSERT_TRUE(saver.save(path));
        EXPECT_EQ(ReadBytes(path).size(), size);
        EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{"graph"});
    }
}

// A read-only file is refused with code 5 before anything is written, also
// where its folder would let it be deleted and replaced.
TEST(SafeSave, ReadOnlyTargetIsRefusedAndKept) {
    Graph graph;
    ScratchFolder folder;
    // A folder everyone may write: the file could be deleted and replaced.
    fs::permissions(folder.path(), fs::perms::all);
    const std::string path = folder.file("locked");
    WriteBytes(path, kOld);
    ASSERT_TRUE(raster_test::SetReadOnly(path, true));
    const int result = raster_test::RunWithPermissionsEnforced([&] {
        ZrRGBImage rgb(3, 3, zrDefaultStride, nullptr);
        ZrWritePNG writer;
        ZrFileLocator locator;
        locator.setName(path.c_str());
        const ZrErrorCode error = raster_test::Caught([&] { writer.write(rgb, locator); });
        if (error.code != 5)
            return 100 + error.code;
        for (const Saver& saver : Savers(graph.canvas, *graph.image))
            if (saver.save(path))
                return 1;
        return 0;
    });
    if (result == -1)
        GTEST_SKIP() << "this process cannot drop its privilege to write read-only files";
    EXPECT_EQ(result, 0) << "100 + the code: a wrong code; 1: a saver replaced the file";
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{"locked"});
}

// A file that is replaced keeps its permissions (whoever could read it
// before still can, and no one else).
TEST(SafeSave, ReplacedFileKeepsItsPermissions) {
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image))
        for (const unsigned permissions : raster_test::PermissionSamples()) {
            SCOPED_TRACE(std::string(saver.name) + " " + std::to_string(permissions));
            ScratchFolder folder;
            const std::string path = folder.file("graph");
            WriteBytes(path, kOld);
            ASSERT_TRUE(raster_test::SetPermissions(path, permissions));
            ASSERT_EQ(raster_test::Permissions(path), permissions);
            ASSERT_TRUE(saver.save(path));
            EXPECT_NE(ReadBytes(path), kOld);
            EXPECT_EQ(raster_test::Permissions(path), permissions);
            EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{"graph"});
        }
}

#ifndef _WIN32
// The link stays a link; the file it names gets the image.
TEST(SafeSave, SymbolicLinkKeepsPointingAtTheSavedFile) {
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
        SCOPED_TRACE(saver.name);
        ScratchFolder folder;
        fs::create_directory(folder.file("real"));
        WriteBytes(folder.file("real/graph"), kOld);
        fs::create_symlink("real/graph", folder.file("link"));
        fs::create_symlink("missing", folder.file("dangling"));
        ASSERT_TRUE(saver.save(folder.file("link")));
        ASSERT_TRUE(saver.save(folder.file("dangling")));
        EXPECT_TRUE(fs::is_symlink(folder.file("link")));
        EXPECT_TRUE(fs::is_symlink(folder.file("dangling")));
        EXPECT_NE(ReadBytes(folder.file("real/graph")), kOld);
        EXPECT_EQ(ReadBytes(folder.file("real/graph")), ReadBytes(folder.file("missing")));
    }
}

// A new file has the permissions any new file gets here (the umask's).
TEST(SafeSave, NewFileGetsOrdinaryPermissions) {
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
        SCOPED_TRACE(saver.name);
        ScratchFolder folder;
        std::ofstream(folder.file("ordinary")) << "x";
        ASSERT_TRUE(saver.save(folder.file("graph")));
        struct stat ordinary, saved;
        ASSERT_EQ(stat(folder.file("ordinary").c_str(), &ordinary), 0);
        ASSERT_EQ(stat(folder.file("graph").c_str(), &saved), 0);
        EXPECT_EQ(saved.st_mode, ordinary.st_mode);
    }
}

// Where the folder takes no new file, a target the user may write is
// written in place.
TEST(SafeSave, WritableTargetInAClosedFolderIsWrittenInPlace) {
    Graph graph;
    ScratchFolder folder;
    const std::string inner = folder.file("closed");
    fs::create_directory(inner);
    const std::string path = inner + "/graph";
    WriteBytes(path, kOld);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_TRUE(raster_test::SetReadOnly(inner, true));
    const int result = raster_test::RunWithPermissionsEnforced([&] {
        int failures = 0;
        for (const Saver& saver : Savers(graph.canvas, *graph.image))
            failures += !saver.save(path);
        return failures;
    });
    if (result == -1)
        GTEST_SKIP() << "this process cannot drop its privilege";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path).size(), 54u + 7 * 28) << "the BMP, saved last";
    EXPECT_EQ(Listing(inner), std::vector<std::string>{"graph"});
}
#endif

// A device is written in place: it fails, and stays the device it was.
TEST(SafeSave, DeviceTargetIsWrittenInPlace) {
    const std::string device = raster_test::FullDevice();
    if (device.empty())
        GTEST_SKIP() << "no full device here";
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
        SCOPED_TRACE(saver.name);
        EXPECT_FALSE(saver.save(device));
#ifndef _WIN32
        struct stat status;
        ASSERT_EQ(stat(device.c_str(), &status), 0);
        EXPECT_TRUE(S_ISCHR(status.st_mode));
#endif
    }
}

} // namespace
