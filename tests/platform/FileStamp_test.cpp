// The stamp that tells an unchanged file from a changed one, and the cache folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "platform/CacheFolder.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "platform/ScopedEnv.h"
#include "support/TempTree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

Platform::TFileStamp Stamped(const TTempTree& tree, std::string_view rel) {
    Platform::TFileStamp stamp;
    EXPECT_TRUE(Platform::QueryFileStamp(tree.TextPath(rel), stamp)) << rel;
    return stamp;
}

void Rewrite(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Sets the file's modification time, nanoseconds since 1970, through the system itself: the
// standard library of the Windows build keeps file times to the second only.
void SetModifiedTime(const fs::path& path, std::int64_t time) {
#ifdef _WIN32
    HANDLE h = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const std::uint64_t ticks = static_cast<std::uint64_t>(time / 100 + 116444736000000000);
    const FILETIME written{.dwLowDateTime = static_cast<DWORD>(ticks),
                           .dwHighDateTime = static_cast<DWORD>(ticks >> 32)};
    const bool set = ::SetFileTime(h, nullptr, nullptr, &written);
    ::CloseHandle(h);
    ASSERT_TRUE(set);
#else
    const struct timespec times[2] = {
        {.tv_sec = 0, .tv_nsec = UTIME_OMIT},
        {.tv_sec = time / 1'000'000'000, .tv_nsec = time % 1'000'000'000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
#endif
}

TEST(FileStamp, IdentityAndSizeAreThoseOfTheFile) {
    TTempTree tree;
    tree.File("a.bin", "12345");
    const Platform::TFileStamp stamp = Stamped(tree, "a.bin");
    Platform::TFileStatus status;
    ASSERT_TRUE(Platform::QueryFile(tree.TextPath("a.bin"), status));
    EXPECT_EQ(stamp.Id, status.Id);
    EXPECT_EQ(stamp.Size, 5);
    // Within a minute of the clock the stamps' times are read against.
    const std::int64_t now = Platform::CurrentFileTime();
    EXPECT_LT(std::abs(now - stamp.ModifiedTime), std::int64_t{60'000'000'000});
    EXPECT_LT(std::abs(now - stamp.ChangeTime), std::int64_t{60'000'000'000});
}

TEST(FileStamp, NoStampForWhatIsNoPlainFile) {
    TTempTree tree;
    tree.Folder("folder");
    tree.File("target", "x");
    Platform::TFileStamp stamp;
    EXPECT_FALSE(Platform::QueryFileStamp(tree.TextPath("folder"), stamp));
    EXPECT_FALSE(Platform::QueryFileStamp(tree.TextPath("missing"), stamp));
    EXPECT_FALSE(Platform::QueryFileStamp(Text(), stamp));
#ifndef _WIN32
    tree.Link("link", "target");
    EXPECT_FALSE(Platform::QueryFileStamp(tree.TextPath("link"), stamp));
#endif
}

TEST(FileStamp, ModificationTimeInNanosecondsAsSet) {
    TTempTree tree;
    tree.File("a.bin", "x");
    const fs::path path = tree.Path("a.bin");
    const Platform::TFileStamp before = Stamped(tree, "a.bin");
    // 1.5 s later, a step that both platforms keep exactly (Windows counts 100 ns).
    SetModifiedTime(path, before.ModifiedTime + 1'500'000'000);
    const Platform::TFileStamp after = Stamped(tree, "a.bin");
    EXPECT_EQ(after.ModifiedTime - before.ModifiedTime, 1'500'000'000);
}

// A file replaced by other bytes of the same size, its modification time set back: only the
// change time shows it.
TEST(FileStamp, ChangeTimeMovesWhenContentIsReplacedAndTheModificationTimeSetBack) {
    TTempTree tree;
    tree.File("a.bin", "aaaa");
    const fs::path path = tree.Path("a.bin");
    const Platform::TFileStamp before = Stamped(tree, "a.bin");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Rewrite(path.string(), "bbbb");
    SetModifiedTime(path, before.ModifiedTime);
    const Platform::TFileStamp after = Stamped(tree, "a.bin");
    EXPECT_EQ(after.Id, before.Id);
    EXPECT_EQ(after.Size, before.Size);
    EXPECT_EQ(after.ModifiedTime, before.ModifiedTime);
    EXPECT_GT(after.ChangeTime, before.ChangeTime);
}

#ifndef _WIN32
TEST(CacheFolder, FollowsTheBaseDirectoryRules) {
    struct TCase {
        const char* Name;
        std::optional<std::string> Xdg;
        std::optional<std::string> Home;
        std::string Expected;
    } cases[] = {
        {"XDG_CACHE_HOME", "/var/c", "/home/u", "/var/c/twinseek"},
        {"its trailing slash", "/var/c/", "/home/u", "/var/c/twinseek"},
        {"relative: ignored", "rel/c", "/home/u", "/home/u/.cache/twinseek"},
        {"empty: ignored", "", "/home/u", "/home/u/.cache/twinseek"},
        {"unset", std::nullopt, "/home/u", "/home/u/.cache/twinseek"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TScopedEnv env;
        env.Set("XDG_CACHE_HOME", c.Xdg);
        env.Set("HOME", c.Home);
        EXPECT_EQ(Platform::TextToUtf8(Platform::CacheFolder()), c.Expected);
    }
}
#else
TEST(CacheFolder, IsTheProgramsFolderInLocalAppData) {
    TScopedEnv env;
    env.Set("LOCALAPPDATA", "C:\\Users\\u\\AppData\\Local\\");
    EXPECT_EQ(Platform::TextToUtf8(Platform::CacheFolder()),
              "C:\\Users\\u\\AppData\\Local\\Twinseek");
}
#endif

TEST(CacheFolder, MakeFoldersCreatesTheMissingOnesOpenToTheUserAlone) {
    TTempTree tree;
    tree.Folder("have");
    tree.File("file", "x");
    const Text deep = Platform::FullPath(tree.TextPath("have/new/deeper"));
    Platform::MakeFolders(deep);
    EXPECT_TRUE(Platform::DirectoryExists(deep));
    Platform::MakeFolders(deep);  // there already: nothing to do
#ifndef _WIN32
    EXPECT_EQ(fs::status(tree.Path("have/new")).permissions(), fs::perms::owner_all);
#endif
    EXPECT_THROW(Platform::MakeFolders(tree.TextPath("file/sub")), Platform::EPlatformError);
    EXPECT_THROW(Platform::MakeFolders(tree.TextPath("file")), Platform::EPlatformError);
    EXPECT_EQ(ReadWholeFile(tree.Path("file")), "x");
}

TEST(CacheFolder, RemoveFileRemovesAFileButNoFolder) {
    TTempTree tree;
    tree.File("a", "x");
    tree.File("folder/inside", "y");
    EXPECT_TRUE(Platform::RemoveFile(tree.TextPath("a")));
    EXPECT_FALSE(fs::exists(tree.Path("a")));
    EXPECT_FALSE(Platform::RemoveFile(tree.TextPath("a")));
    EXPECT_FALSE(Platform::RemoveFile(tree.TextPath("folder")));
    EXPECT_EQ(ReadWholeFile(tree.Path("folder/inside")), "y");
}

}  // namespace
