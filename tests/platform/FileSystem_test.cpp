// POSIX file semantics: links, modes, pipes, other users. Windows has its own cases.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "ScopedEnv.h"
#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

using namespace Platform;

struct TKind {
    bool IsFolder;
    bool IsLink;
    bool operator==(const TKind&) const = default;
};

std::map<std::string, TKind> Listing(const Text& folder, TListStatus expected = TListStatus::lsOk) {
    std::vector<TDirEntry> entries;
    EXPECT_EQ(ListFolder(folder, entries), expected);
    std::map<std::string, TKind> kinds;
    for (const TDirEntry& e : entries)
        kinds[U8(e.Name)] = {e.IsFolder, e.IsLink};
    EXPECT_EQ(kinds.size(), entries.size());  // no name twice
    return kinds;
}

std::string ReadAll(const Text& path, std::size_t block) {
    TFileReader reader(path);
    std::string content, buffer(block, '\0');
    while (std::size_t n = reader.Read(buffer.data(), buffer.size()))
        content.append(buffer, 0, n);
    return content;
}

class FileSystem : public ::testing::Test {
protected:
    TTempTree Tree;
    void SetUp() override {
        Tree.File("file.txt", "12345");
        Tree.File(".hidden", "h");
        Tree.File("sub/inner.txt", "inner");
        Tree.Folder("empty");
        Tree.Link("to-sub", "sub");
        Tree.Link("to-file", "file.txt");
        Tree.Link("broken", "missing");
        ASSERT_EQ(::mkfifo(Tree.Path("fifo").c_str(), 0644), 0);
    }
};

TEST_F(FileSystem, ListsEveryEntryWithItsKind) {
    const std::map<std::string, TKind> expected = {
        {".hidden", {false, false}}, {"broken", {false, true}},    {"empty", {true, false}},
        {"fifo", {false, false}},    {"file.txt", {false, false}}, {"sub", {true, false}},
        {"to-file", {false, true}},  {"to-sub", {true, true}},
    };
    EXPECT_EQ(Listing(Tree.FolderText()), expected);
    EXPECT_EQ(Listing(Tree.TextPath("to-sub")),
              (std::map<std::string, TKind>{{"inner.txt", {false, false}}}));
    EXPECT_TRUE(Listing(Tree.TextPath("empty")).empty());
}

TEST_F(FileSystem, ListingGivesTheFolderIdentity) {
    std::vector<TDirEntry> entries;
    TFileId viaLink, direct;
    ASSERT_EQ(ListFolder(Tree.TextPath("to-sub"), entries, &viaLink), TListStatus::lsOk);
    ASSERT_TRUE(QueryIdentity(Tree.TextPath("sub"), direct));
    EXPECT_EQ(viaLink, direct);
    TFileId other;
    ASSERT_EQ(ListFolder(Tree.TextPath("empty"), entries, &other), TListStatus::lsOk);
    EXPECT_NE(other, direct);
}

TEST_F(FileSystem, ListingFailsForWhatIsNoFolder) {
    std::vector<TDirEntry> entries(
        1,
        TDirEntry{
            .Name = u"stale", .IsFolder = false, .IsLink = false, .Measured = false, .Status = {}});
    const char* paths[] = {"missing", "file.txt", "broken", "to-file", "fifo", "file.txt/x"};
    for (const char* rel : paths) {
        SCOPED_TRACE(rel);
        EXPECT_EQ(ListFolder(Tree.TextPath(rel), entries), TListStatus::lsFailed);
        EXPECT_TRUE(entries.empty());
    }
    EXPECT_EQ(ListFolder(Text(), entries), TListStatus::lsFailed);
    Tree.Remove("sub");  // vanished after it was seen
    EXPECT_EQ(ListFolder(Tree.TextPath("sub"), entries), TListStatus::lsFailed);
    EXPECT_EQ(ListFolder(Tree.TextPath("to-sub"), entries), TListStatus::lsFailed);
}

TEST_F(FileSystem, UnreadableFolderIsDeniedAndEmpty) {
    Tree.File("locked/a.txt", "a");
    Tree.File("closed/deeper/b.txt", "b");
    ::chmod(Tree.Path("locked").c_str(), 0);
    ::chmod(Tree.Path("closed").c_str(), 0);
    const Text locked = Tree.TextPath("locked");
    const Text below = Tree.TextPath("closed/deeper");
    const int result = RunAsNobody([&] {
        std::vector<TDirEntry> entries(1, TDirEntry{.Name = u"stale",
                                                    .IsFolder = false,
                                                    .IsLink = false,
                                                    .Measured = false,
                                                    .Status = {}});
        const bool lockedDenied =
            ListFolder(locked, entries) == TListStatus::lsDenied && entries.empty();
        const bool belowDenied = ListFolder(below, entries) == TListStatus::lsDenied;
        return lockedDenied * 10 + belowDenied;
    });
    EXPECT_EQ(result, 11);
}

TEST_F(FileSystem, QueryFileCountsOnlyRegularFiles) {
    struct TCase {
        const char* Rel;
        std::int64_t Size;
        bool IsRegular;
    };
    const TCase cases[] = {
        {"file.txt", 5, true}, {".hidden", 1, true}, {"to-file", 0, false}, {"broken", 0, false},
        {"fifo", 0, false},    {"sub", 0, false},    {"to-sub", 0, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Rel);
        TFileStatus status;
        status.Size = -7;
        ASSERT_TRUE(QueryFile(Tree.TextPath(c.Rel), status));
        EXPECT_EQ(status.Size, c.Size);
        EXPECT_EQ(status.IsRegular, c.IsRegular);
        EXPECT_EQ(FileSize(Tree.TextPath(c.Rel)), c.Size);
    }
    TFileStatus status;
    EXPECT_FALSE(QueryFile(Tree.TextPath("missing"), status));
    EXPECT_EQ(FileSize(Tree.TextPath("missing")), 0);

    // A measured listing gives each entry that is not a folder what QueryFile gives.
    std::vector<TDirEntry> entries;
    ASSERT_EQ(ListFolderMeasured(Tree.FolderText(), entries), TListStatus::lsOk);
    EXPECT_EQ(entries.size(), 8u);
    int measured = 0;
    for (const TDirEntry& entry : entries) {
        SCOPED_TRACE(U8(entry.Name));
        if (entry.IsFolder || !entry.Measured)
            continue;
        ++measured;
        TFileStatus byPath;
        ASSERT_TRUE(QueryFile(Tree.FolderText() + u"/" + entry.Name, byPath));
        EXPECT_EQ(entry.Status.Size, byPath.Size);
        EXPECT_EQ(entry.Status.IsRegular, byPath.IsRegular);
        EXPECT_EQ(entry.Status.Id, byPath.Id);
    }
#ifndef _WIN32
    EXPECT_EQ(measured, 5);  // every entry but the three folders
#endif
    EXPECT_EQ(ListFolderMeasured(Tree.TextPath("missing"), entries), TListStatus::lsFailed);
}

TEST_F(FileSystem, ExistenceFollowsLinks) {
    struct TCase {
        const char* Rel;
        bool File;
        bool Folder;
    };
    const TCase cases[] = {
        {"file.txt", true, false}, {"sub", false, true},     {"to-sub", false, true},
        {"to-file", true, false},  {"broken", false, false}, {"missing", false, false},
        {"fifo", true, false},     {"", false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Rel);
        EXPECT_EQ(FileExists(Tree.TextPath(c.Rel)), c.File);
        EXPECT_EQ(DirectoryExists(Tree.TextPath(c.Rel)), c.Folder);
    }
    EXPECT_FALSE(FileExists(Text()));
    EXPECT_FALSE(DirectoryExists(Text()));
}

// The kernel's own file systems, told by statfs, are checked against the type names of the
// mount table: every visible mount of a known type, pseudo or not.
TEST_F(FileSystem, KernelFileSystemsAreKnownByTheirType) {
    std::ifstream table("/proc/self/mountinfo");
    if (!table)
        GTEST_SKIP() << "no mount table at /proc/self/mountinfo";
    const std::set<std::string> pseudo = {
        "proc",       "sysfs",  "devtmpfs",    "cgroup",   "cgroup2",   "debugfs", "tracefs",
        "securityfs", "pstore", "bpf",         "configfs", "fusectl",   "mqueue",  "hugetlbfs",
        "devpts",     "autofs", "binfmt_misc", "efivarfs", "selinuxfs", "nsfs"};
    const std::set<std::string> stored = {"ext2",    "ext3", "ext4", "xfs", "btrfs", "tmpfs",
                                          "overlay", "vfat", "f2fs", "zfs", "nfs",   "nfs4"};
    int pseudoSeen = 0, storedSeen = 0;
    std::string line;
    while (std::getline(table, line)) {
        // id parent major:minor root mount-point options... - type source options
        std::istringstream fields(line);
        std::string id, parent, device, root, point, field;
        fields >> id >> parent >> device >> root >> point;
        while (fields >> field && field != "-") {
        }
        std::string type;
        fields >> type;
        for (std::size_t at; (at = point.find("\\040")) != std::string::npos;)
            point.replace(at, 4, " ");
        struct stat st;
        if (::stat(point.c_str(), &st) != 0 ||
            device != std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev)))
            continue;  // covered by a later mount, or out of reach
        SCOPED_TRACE(point + " (" + type + ")");
        if (pseudo.count(type)) {
            EXPECT_TRUE(IsPseudoFileSystem(Utf8ToText(point)));
            ++pseudoSeen;
        } else if (stored.count(type)) {
            EXPECT_FALSE(IsPseudoFileSystem(Utf8ToText(point)));
            ++storedSeen;
        }
    }
    EXPECT_GT(pseudoSeen, 0);  // /proc itself at least
    EXPECT_GT(storedSeen, 0);

    Tree.Link("to-proc", "/proc");
    EXPECT_TRUE(IsPseudoFileSystem(Tree.TextPath("to-proc")));  // links are followed
    EXPECT_FALSE(IsPseudoFileSystem(Tree.FolderText()));
    EXPECT_FALSE(IsPseudoFileSystem(Tree.TextPath("missing")));
}

TEST_F(FileSystem, HardLinksShareOneIdentity) {
    Tree.HardLink("hard.txt", "file.txt");
    Tree.File("copy.txt", "12345");
    TFileId original, hard, copy, viaLink;
    ASSERT_TRUE(QueryIdentity(Tree.TextPath("file.txt"), original));
    ASSERT_TRUE(QueryIdentity(Tree.TextPath("hard.txt"), hard));
    ASSERT_TRUE(QueryIdentity(Tree.TextPath("copy.txt"), copy));
    ASSERT_TRUE(QueryIdentity(Tree.TextPath("to-file"), viaLink));  // followed
    EXPECT_EQ(original, hard);
    EXPECT_EQ(original, viaLink);
    EXPECT_NE(original, copy);
    TFileStatus a, b;
    ASSERT_TRUE(QueryFile(Tree.TextPath("file.txt"), a));
    ASSERT_TRUE(QueryFile(Tree.TextPath("hard.txt"), b));
    EXPECT_EQ(a.Id, b.Id);
    EXPECT_EQ(a.Id, original);
    EXPECT_EQ(TFileIdHash{}(a.Id), TFileIdHash{}(b.Id));
    EXPECT_FALSE(QueryIdentity(Tree.TextPath("broken"), copy));
}

TEST_F(FileSystem, NameThatIsNotUtf8IsListedAndOpenedAgain) {
    Tree.File("caf\xE9.txt", "latin-1 name");
    std::vector<TDirEntry> entries;
    ASSERT_EQ(ListFolder(Tree.FolderText(), entries), TListStatus::lsOk);
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [](const TDirEntry& e) { return e.Name == u"caf\xDCE9.txt"; });
    ASSERT_NE(found, entries.end());
    const Text path = JoinPath(Tree.FolderText(), found->Name, NativeSyntax);
    EXPECT_EQ(FileSize(path), 12);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadAll(path, 5), "latin-1 name");
}

TEST_F(FileSystem, ReaderReadsInBlocksAndRefusesWhatIsNoFile) {
    Tree.SizedFile("big.bin", 10000, 'q');
    EXPECT_EQ(ReadAll(Tree.TextPath("big.bin"), 4096), std::string(10000, 'q'));
    EXPECT_EQ(ReadAll(Tree.TextPath("to-file"), 4096), "12345");
    Tree.File("zero", "");
    EXPECT_EQ(ReadAll(Tree.TextPath("zero"), 4096), "");
    for (const char* rel : {"sub", "to-sub", "missing", "broken", "fifo"}) {
        SCOPED_TRACE(rel);
        try {
            TFileReader reader(Tree.TextPath(rel));
            ADD_FAILURE() << "opened";
        } catch (const EPlatformError& e) {
            EXPECT_NE(std::string(e.what()).find(Tree.Path(rel)), std::string::npos) << e.what();
        }
    }
}

TEST_F(FileSystem, ReaderRefusesALinkWhenAskedAndTellsWhatItOpened) {
    for (const char* rel : {"to-file", "to-sub", "broken"}) {
        SCOPED_TRACE(rel);
        EXPECT_THROW(TFileReader(Tree.TextPath(rel), TLinkRule::lrRefuse), EPlatformError);
    }
    TFileStatus file;
    ASSERT_TRUE(QueryFile(Tree.TextPath("file.txt"), file));
    EXPECT_EQ(TFileReader(Tree.TextPath("to-file")).Status().Id, file.Id);  // followed
    // The open file itself, also once another file has taken its name.
    TFileReader reader(Tree.TextPath("file.txt"), TLinkRule::lrRefuse);
    Tree.File("other", "1234567");
    ASSERT_EQ(::rename(Tree.Path("other").c_str(), Tree.Path("file.txt").c_str()), 0);
    const TFileStatus open = reader.Status();
    EXPECT_TRUE(open.IsRegular);
    EXPECT_EQ(open.Size, 5);
    EXPECT_EQ(open.Id, file.Id);
}

TEST_F(FileSystem, UnreadableFileRaisesOnOpen) {
    ::chmod(Tree.Path("file.txt").c_str(), 0);
    const Text path = Tree.TextPath("file.txt");
    EXPECT_EQ(RunAsNobody([&] {
                  try {
                      TFileReader reader(path);
                  } catch (const EPlatformError&) {
                      return 1;
                  }
                  return 0;
              }),
              1);
}

// Runs with the current folder set to a folder of its own, and back afterwards.
class FullPathTest : public ::testing::Test {
protected:
    TTempTree Tree;
    std::string FOldFolder;
    void SetUp() override {
        Tree.Folder("cwd/inner");
        char buffer[4096];
        ASSERT_NE(::getcwd(buffer, sizeof buffer), nullptr);
        FOldFolder = buffer;
        ASSERT_EQ(::chdir(Tree.Path("cwd/inner").c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(::chdir(FOldFolder.c_str()), 0); }
};

TEST_F(FullPathTest, ResolvesLexically) {
    const std::string cwd = Tree.Path("cwd/inner");
    const std::string parent = Tree.Path("cwd");
    const std::pair<std::string, std::string> cases[] = {
        {"/", "/"},
        {"/a/b/../c", "/a/c"},
        {"/a/./b/", "/a/b"},
        {"//a//b//", "/a/b"},
        {"/..", "/"},
        {"/../../x", "/x"},
        {"/a/b/../../..", "/"},
        {"/a/..b/c.", "/a/..b/c."},
        {".", cwd},
        {"./", cwd},
        {"x/y", cwd + "/x/y"},
        {"..", parent},
        {"../other/./z", parent + "/other/z"},
        {"caf\xE9/..//n\xFF", cwd + "/n\xFF"},
    };
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(input);
        EXPECT_EQ(TextToUtf8(FullPath(Utf8ToText(input))), expected);
    }
    EXPECT_EQ(FullPath(Text()), u"");
}

TEST_F(FullPathTest, LinksAreNotResolved) {
    Tree.Link("cwd/jump", "/usr");
    EXPECT_EQ(TextToUtf8(FullPath(u"../jump/..")), Tree.Path("cwd"));
}

TEST(ProcessFolders, ExecutableDirHoldsTheRunningProgram) {
    const Text dir = ExecutableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_FALSE(EndsWithSeparator(dir, NativeSyntax));
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_TRUE(FileExists(JoinPath(dir, u"platform_tests", NativeSyntax)));
}

TEST(ProcessFolders, TempDirFromTheEnvironment) {
    TScopedEnv env;
    env.Set("TMPDIR", "/var/scratch/");
    EXPECT_EQ(TempDir(), u"/var/scratch");
    env.Set("TMPDIR", "");
    EXPECT_EQ(TempDir(), u"/tmp");
    env.Set("TMPDIR", std::nullopt);
    EXPECT_EQ(TempDir(), u"/tmp");
}

}  // namespace

#endif  // _WIN32
