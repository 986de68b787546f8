// Saving never destroys what the user had: every way the program saves
// (PNG through the image library, BMP by the canvas, whole files such as
// documents and SVG) leaves the old file exactly as it was on any failure,
// refuses a target the user may not write, leaves no temporary file behind
// and writes nowhere but into the file it made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "app/canvas.h"
#include "app/export_image.h"
#include "raster_test_util.h"
#include "src/zr_file.h"
#include "src/zr_file_calls.h"
#include "src/zr_png_file.h"
#include "src/zr_replacement.h"
#include "src/zr_rgb_image.h"

namespace {

namespace fs = std::filesystem;
using raster_test::BeforeFirstWrite;
using raster_test::LimitedWrites;
using raster_test::ReadBytes;
using raster_test::ScratchFolder;
using raster_test::WriteBytes;

const std::vector<uint8_t> kOld = {'O', 'L', 'D', '\n'};

// A small graph and the ways of saving it; each returns success. The BMP
// comes last.
struct Saver {
    const char* name;
    std::function<bool(const std::string&)> save;
};

bool SaveText(const std::string& path) {
    static const char kText[] = "{\"equations\": [\"x\"]}\n";
    try {
        zrWriteWholeFile(path.c_str(), kText, sizeof kText - 1);
        return true;
    } catch (const ZrErrorCode&) {
        return false;
    }
}

std::vector<Saver> Savers(Canvas& canvas, Zr32BitImage& image) {
    return {{"whole file", SaveText},
            {"png", [&](const std::string& path) { return SavePNG(image, path.c_str()); }},
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

// The regular files of `folder` named like a temporary file ("*.tmp").
std::vector<std::string> Temporaries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0 &&
            fs::is_regular_file(fs::symlink_status(entry.path())))
            names.push_back(name);
    }
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
// before still can, and no one else), run by root also its owner and group;
// while the new content is written, no one else can open it.
TEST(SafeSave, ReplacedFileKeepsItsPermissions) {
    Graph graph;
#ifndef _WIN32
    // Root can hand the file to another owner, so the saved file must.
    const bool otherOwner = geteuid() == 0;
    const unsigned nobody = 65534;
#endif
    for (const Saver& saver : Savers(graph.canvas, *graph.image))
        for (const unsigned permissions : raster_test::PermissionSamples()) {
            SCOPED_TRACE(std::string(saver.name) + " " + std::to_string(permissions));
            ScratchFolder folder;
            const std::string path = folder.file("graph");
            WriteBytes(path, kOld);
            ASSERT_TRUE(raster_test::SetPermissions(path, permissions));
            ASSERT_EQ(raster_test::Permissions(path), permissions);
#ifndef _WIN32
            if (otherOwner) {
                ASSERT_EQ(chown(path.c_str(), nobody, nobody), 0);
            }
#endif
            std::vector<std::string> seen, open;
            {
                BeforeFirstWrite look([&] {
                    for (const std::string& name : Temporaries(folder.path())) {
                        seen.push_back(name);
                        if (raster_test::OthersCanOpen(folder.file(name)))
                            open.push_back(name);
                    }
                });
                ASSERT_TRUE(saver.save(path));
            }
            EXPECT_EQ(seen.size(), 1u) << "one temporary file while writing";
            EXPECT_TRUE(open.empty()) << "others could open the temporary file";
            EXPECT_NE(ReadBytes(path), kOld);
            EXPECT_EQ(raster_test::Permissions(path), permissions);
#ifndef _WIN32
            struct stat status;
            ASSERT_EQ(stat(path.c_str(), &status), 0);
            if (otherOwner) {
                EXPECT_EQ(status.st_uid, nobody);
                EXPECT_EQ(status.st_gid, nobody);
            }
#endif
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

// Someone who may write to the folder cannot make a save write anywhere
// else. Links at every name the temporary file once had are never followed
// nor put in the target's place; a link put in the temporary file's place
// as soon as it exists neither receives the data nor takes the target's
// place (the save fails, the old file stays).
TEST(SafeSave, LinksPlantedInTheFolderAreNeverFollowed) {
    const std::vector<uint8_t> kVictim = {'m', 'i', 'n', 'e'};
    struct Case {
        const char* name;
        bool swap;
        bool saved;
    };
    const Case cases[] = {{"links at the former temporary names", false, true},
                          {"the temporary file swapped for a link once made", true, false}};
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image))
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(saver.name) + ": " + c.name);
            ScratchFolder folder;
            const std::string path = folder.file("graph"), victim = folder.file("victim");
            WriteBytes(path, kOld);
            WriteBytes(victim, kVictim);
            std::vector<std::string> links;
            for (int i = 1; i <= 100; ++i) {
                links.push_back("graph." + std::to_string(i) + ".tmp");
                fs::create_symlink("victim", folder.file(links.back()));
            }
            int swapped = 0;
            {
                raster_test::AfterCreation swap([&](const std::string& made) {
                    if (!c.swap)
                        return;
                    fs::rename(made, folder.file("moved"));
                    fs::create_symlink("victim", made);
                    links.push_back(fs::path(made).filename().string());
                    ++swapped;
                });
                EXPECT_EQ(saver.save(path), c.saved);
            }
            EXPECT_EQ(swapped, c.swap ? 1 : 0);
            EXPECT_EQ(ReadBytes(victim), kVictim);
            ASSERT_FALSE(fs::is_symlink(path));
            if (c.saved)
                EXPECT_NE(ReadBytes(path), kOld);
            else
                EXPECT_EQ(ReadBytes(path), kOld);
            for (const std::string& link : links)
                EXPECT_EQ(fs::read_symlink(folder.file(link)), "victim") << link;
            EXPECT_TRUE(Temporaries(folder.path()).empty());
        }

    // Whatever name the temporary file would take: a link there, even one
    // to nothing, counts as taken and is not followed.
    ScratchFolder folder;
    WriteBytes(folder.file("victim"), kVictim);
    fs::create_symlink("victim", folder.file("to-victim"));
    fs::create_symlink("nothing", folder.file("to-nothing"));
    WriteBytes(folder.file("file"), kOld);
    for (const char* name : {"to-victim", "to-nothing", "file"}) {
        SCOPED_TRACE(name);
        errno = 0;
        EXPECT_EQ(zrCreateNewFile(folder.file(name).c_str(), true), -1);
        EXPECT_EQ(errno, EEXIST);
    }
    EXPECT_EQ(ReadBytes(folder.file("victim")), kVictim);
    EXPECT_EQ(ReadBytes(folder.file("file")), kOld);
    EXPECT_FALSE(fs::exists(folder.file("nothing")));
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

#ifdef _WIN32
// A target that another program holds open (without delete sharing) cannot
// be replaced: the save fails with code 5 and leaves the old file and
// nothing else.
TEST(SafeSave, TargetHeldOpenElsewhereIsKept) {
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
        SCOPED_TRACE(saver.name);
        ScratchFolder folder;
        const std::string path = folder.file("graph");
        WriteBytes(path, kOld);
        {
            raster_test::WindowsWriteBlock block(path);
            EXPECT_FALSE(saver.save(path));
        }
        EXPECT_EQ(ReadBytes(path), kOld);
        EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{"graph"});
    }
    ScratchFolder folder;
    const std::string path = folder.file("graph");
    WriteBytes(path, kOld);
    raster_test::WindowsWriteBlock block(path);
    const ZrErrorCode error =
        raster_test::Caught([&] { zrWriteWholeFile(path.c_str(), "new", 3); });
    EXPECT_EQ(error.code, 5) << raster_test::Describe(error);
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
