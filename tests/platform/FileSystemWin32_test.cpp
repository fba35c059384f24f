// The Windows file system: long paths, drive roots, network paths, letter case, files held
// open by others, hard links, the Recycle Bin request.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, whose types it uses
#include <shellapi.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "platform/Sha1.h"
#include "platform/win32/ShellRequest.h"
#include "support/TempTree.h"

namespace {

using namespace Platform;

// A chain of folders whose path is well beyond MAX_PATH.
std::string DeepFolder() {
    std::string rel;
    for (int i = 0; i < 14; ++i)
        rel += (i ? "/" : "") + std::string("a-rather-long-folder-name-") + std::to_string(i);
    return rel;
}

TEST(WindowsFileSystem, LongPathsAreListedMeasuredAndRead) {
    TTempTree tree;
    const std::string deep = DeepFolder();
    tree.File(deep + "/data.bin", "0123456789");
    const Text folder = tree.TextPath(deep);
    ASSERT_GT(folder.size(), std::size_t(MAX_PATH));
    EXPECT_TRUE(DirectoryExists(folder));
    std::vector<TDirEntry> entries;
    ASSERT_EQ(ListFolder(folder, entries), TListStatus::lsOk);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Name, u"data.bin");
    ASSERT_EQ(ListFolderMeasured(folder, entries), TListStatus::lsOk);
    ASSERT_EQ(entries.size(), 1u);
    const Text file = JoinPath(folder, u"data.bin", TPathSyntax::Windows);
    EXPECT_EQ(FileSize(file), 10);
    EXPECT_TRUE(FileExists(file));
    TFileStatus status;
    ASSERT_TRUE(QueryFile(file, status));
    EXPECT_TRUE(entries[0].Measured);
    EXPECT_EQ(entries[0].Status.Id, status.Id);
    EXPECT_EQ(entries[0].Status.Size, 10);
    TFileReader reader(file);
    char buffer[32];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 10u);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
}

TEST(WindowsFileSystem, FullPathRules) {
    struct TCase {
        const char16_t* Input;
        const char16_t* Expected;
    };
    const TCase cases[] = {
        {u"D:", u"D:\\"},  // the root, not the drive's current folder
        {u"C:\\a\\b\\..\\c", u"C:\\a\\c"},
        {u"C:/a/./b", u"C:\\a\\b"},
        {u"C:\\..\\..", u"C:\\"},
        {u"\\\\server\\share\\x\\..", u"\\\\server\\share\\"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(TextToUtf8(c.Input));
        EXPECT_EQ(FullPath(c.Input), Text(c.Expected));
    }
}

TEST(WindowsFileSystem, LetterCaseNamesTheSameFile) {
    TTempTree tree;
    tree.File("Folder/Photo.JPG", "12345");
    TFileId a, b;
    ASSERT_TRUE(QueryIdentity(tree.TextPath("Folder/Photo.JPG"), a));
    ASSERT_TRUE(QueryIdentity(tree.TextPath("FOLDER/photo.jpg"), b));
    EXPECT_EQ(a, b);
    EXPECT_TRUE(DirectoryExists(tree.TextPath("folder")));
    // Both listings report the identity of the folder, whatever the letter case of its path.
    std::vector<TDirEntry> entries;
    TFileId listed, measured, folder;
    ASSERT_TRUE(QueryIdentity(tree.TextPath("Folder"), folder));
    ASSERT_EQ(ListFolder(tree.TextPath("FOLDER"), entries, &listed), TListStatus::lsOk);
    ASSERT_EQ(ListFolderMeasured(tree.TextPath("folder"), entries, &measured), TListStatus::lsOk);
    EXPECT_EQ(listed, folder);
    EXPECT_EQ(measured, folder);
    EXPECT_NE(folder, a);
}

TEST(WindowsFileSystem, ProcessFolders) {
    const Text exe = ExecutableDir();
    EXPECT_FALSE(EndsWithSeparator(exe, TPathSyntax::Windows));
    EXPECT_TRUE(FileExists(JoinPath(exe, u"platform_tests.exe", TPathSyntax::Windows)));
    const Text temp = TempDir();
    EXPECT_TRUE(DirectoryExists(temp));
    EXPECT_TRUE(IsRootPath(temp, TPathSyntax::Windows) ||
                !EndsWithSeparator(temp, TPathSyntax::Windows));
}

TEST(WindowsFileSystem, FileHeldOpenForWritingIsStillRead) {
    TTempTree tree;
    tree.File("busy.log", "written so far");
    const std::string path = tree.Path("busy.log");
    const Text text = Utf8ToText(path);
    HANDLE writer = ::CreateFileW(reinterpret_cast<const wchar_t*>(text.c_str()), GENERIC_WRITE,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    TFileStatus status;
    EXPECT_TRUE(QueryFile(text, status));
    EXPECT_EQ(status.Size, 14);
    TFileReader reader(text);
    char buffer[32];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 14u);
    ::CloseHandle(writer);
}

TEST(WindowsFileSystem, HardLinksShareOneIdentity) {
    TTempTree tree;
    tree.File("x/file.txt", "12345");
    tree.HardLink("y/hard.txt", "x/file.txt");
    tree.File("x/copy.txt", "12345");
    TFileId original, hard, copy;
    ASSERT_TRUE(QueryIdentity(tree.TextPath("x/file.txt"), original));
    ASSERT_TRUE(QueryIdentity(tree.TextPath("y/hard.txt"), hard));
    ASSERT_TRUE(QueryIdentity(tree.TextPath("x/copy.txt"), copy));
    EXPECT_EQ(original, hard);
    EXPECT_NE(original, copy);
    std::vector<TDirEntry> entries;
    ASSERT_EQ(ListFolderMeasured(tree.TextPath("y"), entries), TListStatus::lsOk);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Status.Id, original);
    // An open file tells the identity the walk measured.
    TFileReader reader(tree.TextPath("y/hard.txt"), TLinkRule::lrRefuse);
    const TFileStatus open = reader.Status();
    EXPECT_TRUE(open.IsRegular);
    EXPECT_EQ(open.Size, 5);
    EXPECT_EQ(open.Id, original);
}

TEST(WindowsFileSystem, ListingOfWhatIsNoFolderFails) {
    TTempTree tree;
    tree.File("file.txt", "1");
    std::vector<TDirEntry> entries;
    for (const char* rel : {"missing", "file.txt", "file.txt/x"}) {
        SCOPED_TRACE(rel);
        EXPECT_EQ(ListFolder(tree.TextPath(rel), entries), TListStatus::lsFailed);
        EXPECT_EQ(ListFolderMeasured(tree.TextPath(rel), entries), TListStatus::lsFailed);
        EXPECT_TRUE(entries.empty());
    }
    try {
        TFileReader reader(tree.TextPath("missing"));
        ADD_FAILURE() << "opened";
    } catch (const EPlatformError& e) {
        EXPECT_NE(std::string(e.what()).find(tree.Path("missing")), std::string::npos) << e.what();
    }
}

TEST(WindowsShell, PathListForTheRecycleBin) {
    const auto list = Win32::ShellPathList({u"C:\\a.txt", u"D:/b/c"});
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, std::wstring(L"C:\\a.txt\0D:\\b\\c\0\0", 17));
    // Anything that would cut the list short is refused as a whole.
    EXPECT_FALSE(Win32::ShellPathList({u"C:\\a.txt", u""}));
    EXPECT_FALSE(Win32::ShellPathList({Text(u"C:\\a\0C:\\b", 9)}));
    EXPECT_EQ(Win32::SelectParameters(u"C:\\My Files\\a.txt"), L"/select,\"C:\\My Files\\a.txt\"");
}

// Wine's Recycle Bin is not the real one: this checks the request and its outcome only.
TEST(WindowsShell, RecycleMovesEveryPathInOneRequest) {
    TTempTree tree;
    tree.File("one.txt", "1");
    tree.File("sub/two.txt", "2");
    tree.File(DeepFolder() + "/deep.txt", "3");
    tree.File("stays.txt", "4");
    constexpr unsigned quiet = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    EXPECT_FALSE(Win32::RecycleWithFlags({}, quiet));
    EXPECT_TRUE(Win32::RecycleWithFlags(
        {tree.TextPath("one.txt"), tree.TextPath("sub"), tree.TextPath(DeepFolder() + "/deep.txt")},
        quiet));
    EXPECT_FALSE(FileExists(tree.TextPath("one.txt")));
    EXPECT_FALSE(DirectoryExists(tree.TextPath("sub")));
    EXPECT_FALSE(FileExists(tree.TextPath(DeepFolder() + "/deep.txt")));
    EXPECT_TRUE(FileExists(tree.TextPath("stays.txt")));
}

TEST(WindowsShell, EachPathsOutcomeIsWhatTheDiskShows) {
    TTempTree tree;
    tree.File("one.txt", "1");
    tree.File("two.txt", "2");
    constexpr unsigned quiet = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    EXPECT_TRUE(Win32::RecycleEachWithFlags({}, quiet).empty());
    // Whatever the shell does with the rest of a request that names a missing path, each
    // outcome agrees with the disk.
    auto outcomes =
        Win32::RecycleEachWithFlags({tree.TextPath("one.txt"), tree.TextPath("gone.txt")}, quiet);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].Moved, !FileExists(tree.TextPath("one.txt")));
    EXPECT_EQ(outcomes[0].Reason, outcomes[0].Moved ? "" : "the Recycle Bin request failed");
    EXPECT_FALSE(outcomes[1].Moved);
    EXPECT_EQ(outcomes[1].Reason, "does not exist");
    outcomes = Win32::RecycleEachWithFlags({tree.TextPath("two.txt")}, quiet);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].Moved);
    EXPECT_FALSE(FileExists(tree.TextPath("two.txt")));
}

// What cannot be opened is said; opening something real would start a program here.
TEST(WindowsShell, OpeningWhatIsNotThereFails) {
    TTempTree tree;
    EXPECT_FALSE(ShellOpen(tree.TextPath("no such document.xyz")));
    EXPECT_FALSE(ShellOpen(u""));
}

TEST(WindowsSha1, KnownDigestsThroughTheSystem) {
    TSha1 sha;
    sha.Update("abc", 3);
    EXPECT_EQ(DigestToHex(sha.Final()), u"a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(DigestToHex(sha.Final()), u"da39a3ee5e6b4b0d3255bfef95601890afd80709");  // reusable
}

}  // namespace
#endif  // _WIN32
