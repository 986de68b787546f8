// Saving never destroys what the user had: every way the program saves
// (PNG through the image library, BMP by the canvas, whole files such as
// documents and SVG) leaves the old file exactly as it was on any failure,
// refuses a target the user may not write, leaves no temporary file behind
// and writes nowhere but into the file it made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "plot/canvas.h"
#include "plot/export_image.h"
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

// What `saver` writes, saved once into `folder` and removed again (empty
// when that fails).
std::vector<uint8_t> SavedBytes(const Saver& saver, const ScratchFolder& folder) {
    const std::string whole = folder.file("whole");
    const std::vector<uint8_t> bytes = saver.save(whole) ? ReadBytes(whole) : std::vector<uint8_t>{};
    fs::remove(whole);
    return bytes;
}

TEST(SafeSave, WriteFailureAtAnyPointKeepsTheOldFile) {
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
        SCOPED_TRACE(saver.name);
        ScratchFolder folder;
        const std::string path = folder.file("graph");
        const size_t size = SavedBytes(saver, folder).size();
        ASSERT_GT(size, 0u);
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

// What a flush found: a folder, or a file and its size.
std::string Flushed(int descriptor) {
#ifdef _WIN32
    struct _stat64 status;
    if (_fstat64(descriptor, &status) != 0)
        return "nothing";
    const bool folder = (status.st_mode & _S_IFMT) == _S_IFDIR;
#else
    struct stat status;
    if (fstat(descriptor, &status) != 0)
        return "nothing";
    const bool folder = S_ISDIR(status.st_mode);
#endif
    return folder ? "folder" : "file of " + std::to_string(status.st_size) + " bytes";
}

// The new file reaches the disk whole before it takes the target's place,
// and the folder's new entry after (POSIX; NTFS keeps its names itself), so
// a power cut leaves the old file or the new one. A failed flush of the file
// fails the save and keeps the old file; once the new file has taken its
// place, a failed flush of the folder no longer undoes the save.
TEST(SafeSave, NewFileIsFlushedBeforeItTakesTheTargetsPlace) {
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
        SCOPED_TRACE(saver.name);
        ScratchFolder folder;
        const std::string path = folder.file("graph");
        const std::vector<uint8_t> saved = SavedBytes(saver, folder);
        ASSERT_FALSE(saved.empty());
        const std::string file = "file of " + std::to_string(saved.size()) + " bytes";
#ifdef _WIN32
        const std::vector<std::string> order = {file + ", target old"};
#else
        const std::vector<std::string> order = {file + ", target old", "folder, target new"};
#endif
        // 0: no flush fails; else the number of the one that does.
        for (size_t failing = 0; failing <= order.size(); ++failing) {
            SCOPED_TRACE("failing flush " + std::to_string(failing));
            WriteBytes(path, kOld);
            std::vector<std::string> flushes;
            bool result;
            {
                raster_test::WatchedFlushes watch([&](int descriptor) {
                    const std::vector<uint8_t> now = ReadBytes(path);
                    flushes.push_back(Flushed(descriptor) + ", target " +
                                      (now == kOld ? "old" : now == saved ? "new" : "other"));
                    if (flushes.size() != failing)
                        return 0;
                    errno = EIO;
                    return -1;
                });
                result = saver.save(path);
            }
            // A failed flush is the last.
            EXPECT_EQ(flushes, std::vector<std::string>(
                                   order.begin(), order.begin() + (failing ? failing : order.size())));
            const bool kept = failing == 1;
            EXPECT_EQ(result, !kept);
            EXPECT_EQ(ReadBytes(path), kept ? kOld : saved);
            EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{"graph"});
        }
    }
}

// A name as long as the file system takes saves: the temporary file's name
// is never longer than the longest name. The longest names of one-, two-,
// three- and four-byte characters are found by making files by them (a name
// counts as taken only when the folder then holds exactly that name: Wine
// cuts some long names short instead of refusing them).
TEST(SafeSave, LongestNamesSave) {
    const auto path = [](const std::string& utf8) {
        return fs::path(std::u8string(utf8.begin(), utf8.end()));
    };
    ScratchFolder folder;
    // The single file of the folder, which must be named `name`: its size,
    // or -1. The file is removed.
    const auto takeFile = [&](const std::string& name) {
        const std::vector<fs::directory_entry> entries{fs::directory_iterator(folder.path()),
                                                       fs::directory_iterator()};
        const long long size = entries.size() == 1 && entries[0].path().filename() == path(name)
                                   ? static_cast<long long>(entries[0].file_size())
                                   : -1;
        for (const fs::directory_entry& entry : entries)
            fs::remove(entry.path());
        return size;
    };
    Graph graph;
    for (const char* piece : {"a", "\xc3\xa9", "\xe2\x88\x91", "\xf0\x9d\x84\x9e"}) {
        SCOPED_TRACE(piece);
        std::string longest;
        for (std::string name = piece; name.size() <= 1024; name += piece) {
            std::ofstream(path(folder.file(name))).put('x');
            if (takeFile(name) != 1)
                break;
            longest = name;
        }
        ASSERT_LT(longest.size(), 1024u) << "no longest name found";
        ASSERT_FALSE(longest.empty());
        for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
            SCOPED_TRACE(std::string(saver.name) + ", " + std::to_string(longest.size()) + " bytes");
            EXPECT_TRUE(saver.save(folder.file(longest)));
            EXPECT_GT(takeFile(longest), 1);
        }
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
// written in place, the old bytes kept aside: whatever fails (a write after
// any number of bytes, the flush), they are put back bit for bit. A target
// that cannot be read back is refused before anything is written.
TEST(SafeSave, FileWrittenInPlaceIsRestoredOnAnyFailure) {
    Graph graph;
    ScratchFolder folder;
    std::vector<std::vector<uint8_t>> saved;
    for (const Saver& saver : Savers(graph.canvas, *graph.image)) {
        saved.push_back(SavedBytes(saver, folder));
        ASSERT_FALSE(saved.back().empty());
    }
    std::vector<uint8_t> large(1000);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<uint8_t>(i * 131 + (i >> 3));
    const std::vector<std::vector<uint8_t>> olds = {kOld, large};

    const std::string inner = folder.file("closed");
    fs::create_directory(inner);
    const std::string path = inner + "/graph", unreadable = inner + "/unreadable";
    for (const std::string& file : {path, unreadable})
        WriteBytes(file, kOld);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(chmod(unreadable.c_str(), 0222), 0);
    ASSERT_TRUE(raster_test::SetReadOnly(inner, true));
    // 1 + the saver's number, 10 +: a save that should fail did not, 20 +:
    // the old bytes were not back, 30 +: the unreadable target was written
    // to, 40 +: the save in place went wrong.
    const int result = raster_test::RunWithPermissionsEnforced([&] {
        const std::vector<Saver> savers = Savers(graph.canvas, *graph.image);
        for (int s = 0; s < static_cast<int>(savers.size()); ++s) {
            const auto& save = savers[s].save;
            for (const std::vector<uint8_t>& old : olds) {
                for (size_t n = 0; n <= saved[s].size(); ++n) {
                    WriteBytes(path, old);
                    bool result;
                    if (n < saved[s].size()) {
                        LimitedWrites writes(n);
                        result = save(path);
                    } else {
                        raster_test::WatchedFlushes flushes([](int) {
                            errno = EIO;
                            return -1;
                        });
                        result = save(path);
                    }
                    if (result)
                        return 10 + s;
                    if (ReadBytes(path) != old)
                        return 20 + s;
                }
            }
            if (save(unreadable))
                return 30 + s;
            if (!save(path) || ReadBytes(path) != saved[s])
                return 40 + s;
            std::vector<std::string> names = Listing(inner);
            std::sort(names.begin(), names.end());
            if (names != std::vector<std::string>{"graph", "unreadable"})
                return 40 + s;
        }
        return 0;
    });
    if (result == -1)
        GTEST_SKIP() << "this process cannot drop its privilege";
    EXPECT_EQ(result, 0);
    ASSERT_EQ(chmod(unreadable.c_str(), 0644), 0);
    EXPECT_EQ(ReadBytes(unreadable), kOld);
}

// Another user's link in a folder that everyone may write and only owners
// may delete from (sticky, as /tmp) could send the save to any file the
// saver may write: such a link is followed only when it is the saver's own
// or the folder owner's, as the kernel's protection of those folders has it.
// Any other one, at any hop of a chain, fails the save with EACCES and
// leaves every file as it was, whether the chain ends at a file or at
// nothing.
TEST(SafeSave, LinksInSharedFoldersAreFollowedOnlyWhereTheKernelWould) {
    if (geteuid() != 0)
        GTEST_SKIP() << "making another user's link takes root";
    const uid_t me = geteuid(), other = 4242; // a user id no one has here
    const unsigned shared = 01777;
    struct Hop {
        unsigned folderMode;
        uid_t folderOwner, linkOwner;
    };
    struct Case {
        const char* name;
        std::vector<Hop> hops;
        bool followed;
    };
    const Case cases[] = {
        {"the saver's link in a shared folder", {{shared, me, me}}, true},
        {"another's link in a shared folder", {{shared, me, other}}, false},
        {"the folder owner's link in their shared folder", {{shared, other, other}}, true},
        {"another's link in a folder all may write, not sticky", {{0777, me, other}}, true},
        {"another's link in a sticky folder only its owner writes", {{01755, me, other}}, true},
        {"the saver's link to another's in a shared folder",
         {{0755, me, me}, {shared, me, other}},
         false},
        {"another's link in a private folder to the saver's in a shared one",
         {{0755, me, other}, {shared, me, me}},
         true},
    };
    const std::vector<uint8_t> kVictim = {'m', 'i', 'n', 'e'};
    Graph graph;
    for (const Saver& saver : Savers(graph.canvas, *graph.image))
        for (const Case& c : cases)
            for (const bool dangling : {false, true}) {
                SCOPED_TRACE(std::string(saver.name) + ": " + c.name +
                             (dangling ? ", to nothing" : ", to a file"));
                ScratchFolder folder;
                const std::string victim = folder.file("victim");
                if (!dangling)
                    WriteBytes(victim, kVictim);
                std::vector<std::string> links;
                for (size_t i = 0; i < c.hops.size(); ++i) {
                    const std::string hop = folder.file("hop" + std::to_string(i));
                    fs::create_directory(hop);
                    ASSERT_EQ(chown(hop.c_str(), c.hops[i].folderOwner, 0), 0);
                    ASSERT_EQ(chmod(hop.c_str(), c.hops[i].folderMode), 0);
                    links.push_back(hop + "/graph");
                }
                for (size_t i = 0; i < links.size(); ++i) {
                    fs::create_symlink(i + 1 < links.size() ? links[i + 1] : victim, links[i]);
                    ASSERT_EQ(lchown(links[i].c_str(), c.hops[i].linkOwner, 0), 0);
                }
                EXPECT_EQ(saver.save(links[0]), c.followed);
                if (c.followed)
                    EXPECT_NE(ReadBytes(victim), kVictim);
                else if (dangling)
                    EXPECT_FALSE(fs::exists(victim));
                else
                    EXPECT_EQ(ReadBytes(victim), kVictim);
                for (size_t i = 0; i < links.size(); ++i) {
                    EXPECT_EQ(fs::read_symlink(links[i]), i + 1 < links.size() ? links[i + 1] : victim);
                    EXPECT_EQ(Listing(fs::path(links[i]).parent_path().string()),
                              std::vector<std::string>{"graph"});
                }
                if (!c.followed) {
                    const ZrErrorCode refusal = raster_test::Caught(
                        [&] { zrWriteWholeFile(links[0].c_str(), "new", 3); });
                    EXPECT_EQ(refusal.detail, EACCES) << raster_test::Describe(refusal);
                }
            }
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
