// Paths beyond the system's limit (PATH_MAX): a tree 2,000 folders deep, whose paths down
// there are some 6,000 bytes long. Every call of the platform layer answers there as it does
// for the same entries at a short path. What lies deep is checked by the test's own *at()
// calls (OpenFolderAnyLength), not by the code under test. Windows has its own long paths.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "PrivateMounts.h"
#include "ScopedEnv.h"
#include "platform/CacheFolder.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/FileWrite.h"
#include "platform/HardLink.h"
#include "platform/PathProbe.h"
#include "platform/PrivateFolder.h"
#include "platform/Shell.h"
#include "platform/posix/PathAt.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

using namespace Platform;

constexpr int Depth = 2000;

// Folders of two letters, Depth of them: some 6,000 bytes.
std::string DeepRel(int depth = Depth) {
    std::string rel;
    for (int i = 0; i < depth; ++i)
        rel += i == 0 ? "ab" : "/ab";
    return rel;
}

// The entry at an absolute path, links not followed, as the test's own calls see it.
bool StatAnyLength(const std::string& path, struct stat& st) {
    const std::size_t cut = path.rfind('/');
    const int fd = OpenFolderAnyLength(cut == 0 ? "/" : path.substr(0, cut));
    const bool found =
        fd >= 0 && ::fstatat(fd, path.c_str() + cut + 1, &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (fd >= 0)
        ::close(fd);
    return found;
}

std::string ReadAll(const Text& path, TLinkRule links = TLinkRule::lrFollow) {
    TFileReader reader(path, links);
    std::string content, buffer(4096, '\0');
    while (const std::size_t n = reader.Read(buffer.data(), buffer.size()))
        content.append(buffer, 0, n);
    return content;
}

// The message of what the call raises, with the path it names written "<path>".
std::string Failure(const std::function<void()>& call, const std::string& path) {
    try {
        call();
    } catch (const EPlatformError& e) {
        std::string message = e.what();
        if (const std::size_t at = message.find(path); at != std::string::npos)
            message.replace(at, path.size(), "<path>");
        return message;
    }
    return "no error";
}

class LongPath : public testing::Test {
protected:
    static constexpr std::string_view Bytes = "the same bytes deep down and near the top";

    LongPath() : Deep(DeepRel()) {
        Tree.File("near.bin", std::string(Bytes));
        for (const std::string& folder : {std::string("short"), Deep}) {
            Tree.File(folder + "/dup1.bin", std::string(Bytes));
            Tree.File(folder + "/dup2.bin", std::string(Bytes));
            Tree.File(folder + "/other.bin", "other");
            Tree.Link(folder + "/link", "dup1.bin");
            Tree.File(folder + "/sub/inner.txt", "inner");
            Tree.Link(folder + "/hop", "sub");
            Tree.Folder(folder + "/sub/denied/inside");
            Tree.Deny(folder + "/sub/denied");
        }
        Env.Set("XDG_DATA_HOME", Tree.Path("data"));
    }

    std::string DeepPath(std::string_view rel = {}) const {
        return rel.empty() ? Tree.Path(Deep) : Tree.Path(Deep + "/" + std::string(rel));
    }

    // Everything the platform layer answers about the entries of one folder, the folder's
    // own path written "<path>", so that the answers at two places compare.
    std::map<std::string, std::string> Answers(const std::string& folderRel) const {
        const std::string folder = Tree.Path(folderRel);
        const Text text = Utf8ToText(folder);
        auto at = [&](const char* name) { return Utf8ToText(folder + "/" + name); };
        auto yes = [](bool b) { return std::string(b ? "yes" : "no"); };
        std::map<std::string, std::string> answers;

        std::vector<TDirEntry> entries;
        TFileId folderId;
        answers["list"] = std::to_string(static_cast<int>(ListFolder(text, entries, &folderId)));
        for (const TDirEntry& e : entries)
            answers["list " + U8(e.Name)] = yes(e.IsFolder) + yes(e.IsLink);
        TFileId sameFolder;
        answers["folder id"] =
            yes(QueryIdentity(text + u'/', sameFolder) && sameFolder == folderId);
        answers["measured"] = std::to_string(static_cast<int>(ListFolderMeasured(text, entries)));
        for (const TDirEntry& e : entries) {
            TFileStatus byPath;
            const bool queried = QueryFile(at(U8(e.Name).c_str()), byPath);
            answers["measured " + U8(e.Name)] =
                yes(e.Measured) + std::to_string(e.Status.Size) +
                yes(queried && byPath.Id == e.Status.Id && byPath.Size == e.Status.Size &&
                    byPath.IsRegular == e.Status.IsRegular &&
                    byPath.ModifiedTime == e.Status.ModifiedTime);
        }
        for (const char* name : {"dup1.bin", "link", "sub", "hop", "hop/inner.txt",
                                 "sub/../dup2.bin", "hop/../dup2.bin", "missing", "dup1.bin/x"}) {
            // One answer after the other: the operands of + have no order.
            std::string answer;
            TFileStatus status;
            answer += yes(QueryFile(at(name), status));
            answer += yes(status.IsRegular) + std::to_string(status.Size);
            answer += yes(FileExists(at(name)));
            answer += yes(DirectoryExists(at(name)));
            TFileId id;
            answer += yes(QueryIdentity(at(name), id));
            answer += std::to_string(FileSize(at(name)));
            std::int64_t time = 0;
            answer += yes(QueryModifiedTime(at(name), time));
            answer += yes(PathIsGone(at(name)));
            std::string target;
            answer += yes(ReadLinkTarget(at(name), target));
            answer += target;
            answer += yes(IsPseudoFileSystem(at(name)));
            answers[std::string("query ") + name] = answer;
        }
        for (const char* name :
             {"dup1.bin", "link", "hop/inner.txt", "sub", "missing", "dup1.bin/x"}) {
            answers[std::string("read ") + name] =
                Failure([&] { answers[std::string("bytes ") + name] = ReadAll(at(name)); }, folder);
            answers[std::string("read refusing links ") + name] = Failure(
                [&] {
                    answers[std::string("bytes refusing links ") + name] =
                        ReadAll(at(name), TLinkRule::lrRefuse);
                },
                folder);
        }
        // As someone who may not enter the denied folder (root enters anything).
        answers["denied"] = std::to_string(RunWhereDenied([&] {
            std::vector<TDirEntry> listed;
            TFileStatus status;
            int answer = static_cast<int>(ListFolder(at("sub/denied"), listed)) * 100;
            answer += static_cast<int>(ListFolder(at("sub/denied/inside"), listed)) * 10;
            return answer + (QueryFile(at("sub/denied/inside"), status) ? 1 : 0) +
                   (PathIsGone(at("sub/denied/inside")) ? 2 : 0);
        }));
        return answers;
    }

    TTempTree Tree;
    TScopedEnv Env;
    const std::string Deep;
};

TEST_F(LongPath, EveryQuestionIsAnsweredAsForAShortPath) {
    ASSERT_GT(DeepPath().size(), std::size_t(PATH_MAX) + 1000);
    const std::map<std::string, std::string> deep = Answers(Deep);
    EXPECT_EQ(deep, Answers("short"));
    // And the answers are right, as the test's own calls see the deep entries.
    struct stat st {};
    ASSERT_TRUE(StatAnyLength(DeepPath("dup1.bin"), st));
    TFileStatus status;
    ASSERT_TRUE(QueryFile(Utf8ToText(DeepPath("dup1.bin")), status));
    EXPECT_EQ(status.Id.IndexLow, static_cast<std::uint64_t>(st.st_ino));
    EXPECT_EQ(status.Size, static_cast<std::int64_t>(Bytes.size()));
    EXPECT_EQ(deep.at("list"), std::to_string(static_cast<int>(TListStatus::lsOk)));
    for (const char* name : {"dup1.bin", "dup2.bin", "other.bin", "link", "sub", "hop"})
        EXPECT_TRUE(deep.count(std::string("list ") + name)) << name;
    EXPECT_EQ(deep.at("list hop"), "yesyes");
    EXPECT_EQ(deep.at("folder id"), "yes");
    EXPECT_EQ(deep.at("measured dup2.bin"), "yes" + std::to_string(Bytes.size()) + "yes");
    EXPECT_EQ(deep.at("bytes dup1.bin"), Bytes);
    EXPECT_EQ(deep.at("bytes link"), Bytes);
    EXPECT_EQ(deep.at("bytes refusing links hop/inner.txt"), "inner");
    EXPECT_EQ(deep.at("read refusing links link"),
              "Cannot open file \"<path>/link\": " + std::string(std::strerror(ELOOP)));
    EXPECT_EQ(deep.at("read missing"),
              "Cannot open file \"<path>/missing\": " + std::string(std::strerror(ENOENT)));
    EXPECT_EQ(deep.at("read dup1.bin/x"),
              "Cannot open file \"<path>/dup1.bin/x\": " + std::string(std::strerror(ENOTDIR)));
    EXPECT_EQ(deep.at("query link").substr(0, 6), "yesno0");  // the link itself
    EXPECT_EQ(deep.at("query hop/../dup2.bin").substr(0, 6), "yesyes");
    EXPECT_EQ(deep.at("query missing").substr(0, 4), "nono");
    if (RunningAsRoot()) {
        // Denied, denied, not queried, and what cannot be seen is not taken for gone.
        EXPECT_EQ(deep.at("denied"), std::to_string(static_cast<int>(TListStatus::lsDenied) * 110));
    }
}

// The pieces are cut at a separator within the limit; a cut must never make the rest
// absolute, empty or part of a name, wherever the separators fall.
TEST_F(LongPath, PathsAroundTheLimitAndTheirSeparators) {
    const std::size_t root = Tree.Root().size() + 1;
    struct TCase {
        std::string Why;
        std::string Rel;  // below the tree
        bool Folder;
    };
    std::vector<TCase> cases;
    for (std::size_t length = PATH_MAX - 3; length <= PATH_MAX + 3; ++length) {
        // Folders of "ab/" and a file name of 10 to 12 letters, for a path of that length.
        const std::size_t levels = (length - root - 10) / 3;
        const std::string rel =
            DeepRel(static_cast<int>(levels)) + "/" + std::string(length - root - 3 * levels, 'f');
        cases.push_back({"a file path of " + std::to_string(length) + " bytes", rel, false});
        cases.push_back(
            {"its folder with a trailing separator", rel.substr(0, rel.rfind('/') + 1), true});
    }
    const std::string deep = DeepRel(1800);
    Tree.File(deep + "/file", "at the end");
    for (std::size_t at = PATH_MAX - 6; at <= PATH_MAX + 1; ++at) {
        // A run of separators across the place of the cut.
        std::string rel = deep;
        std::size_t slash = rel.find('/', at - root - 2);
        rel.insert(slash, "//");
        cases.push_back({"three separators near byte " + std::to_string(at), rel + "/file", false});
    }
    cases.push_back({"dot folders beyond the limit", deep + "/./ab/../../ab/./file", false});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Why);
        const std::string path = Tree.Path(c.Rel);
        const Text text = Utf8ToText(path);
        if (c.Folder) {
            // The folder of the case before, which holds its file.
            const std::string file = cases[&c - cases.data() - 1].Rel;
            EXPECT_TRUE(DirectoryExists(text));
            std::vector<TDirEntry> entries;
            EXPECT_EQ(ListFolder(text, entries), TListStatus::lsOk);
            EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [&](const TDirEntry& e) {
                return U8(e.Name) == file.substr(file.rfind('/') + 1);
            }));
            continue;
        }
        if (!c.Rel.ends_with("/file"))
            Tree.File(c.Rel, c.Why);
        const std::string bytes = c.Rel.ends_with("/file") ? "at the end" : c.Why;
        TFileStatus status;
        ASSERT_TRUE(QueryFile(text, status)) << path.size();
        EXPECT_EQ(status.Size, static_cast<std::int64_t>(bytes.size()));
        EXPECT_TRUE(FileExists(text));
        EXPECT_EQ(ReadAll(text, TLinkRule::lrRefuse), bytes);
    }
}

// What changes names deep down: a hard link, a rename over a file, a removal, a report
// written in place and through a link, the folders of the cache and a private folder.
TEST_F(LongPath, NamesDeepDownAreMadeMovedAndRemoved) {
    const Text dup1 = Utf8ToText(DeepPath("dup1.bin"));
    const Text hard = Utf8ToText(DeepPath("hard.bin"));
    struct stat before {};
    ASSERT_TRUE(StatAnyLength(DeepPath("dup1.bin"), before));

    EXPECT_EQ(MakeHardLink(dup1, hard), TLinkStatus::lsDone);
    EXPECT_EQ(MakeHardLink(dup1, Utf8ToText(DeepPath("dup2.bin"))), TLinkStatus::lsExists);
    struct stat st {};
    ASSERT_TRUE(StatAnyLength(DeepPath("hard.bin"), st));
    EXPECT_EQ(st.st_ino, before.st_ino);
    ASSERT_TRUE(StatAnyLength(DeepPath("dup2.bin"), st));
    EXPECT_NE(st.st_ino, before.st_ino);  // not replaced

    // Back and forth between a deep name and a short one, and over a deep file.
    const Text shortName = Tree.TextPath("moved.bin");
    EXPECT_EQ(RenameOver(hard, shortName), TLinkStatus::lsDone);
    EXPECT_TRUE(PathIsGone(hard));
    EXPECT_EQ(RenameOver(shortName, hard), TLinkStatus::lsDone);
    EXPECT_TRUE(PathIsGone(shortName));
    EXPECT_EQ(RenameOver(Utf8ToText(DeepPath("missing")), hard), TLinkStatus::lsFailed);
    EXPECT_TRUE(RemoveFileName(hard));
    EXPECT_FALSE(StatAnyLength(DeepPath("hard.bin"), st));
    EXPECT_TRUE(StatAnyLength(DeepPath("dup1.bin"), st) && st.st_nlink == 1);

    // A report replaced in place keeps its mode; through a link, the link stays.
    const Text report = Utf8ToText(DeepPath("report.csv"));
    WriteWholeFile(report, "first");
    ASSERT_TRUE(StatAnyLength(DeepPath("report.csv"), st));
    EXPECT_EQ(ReadAll(report), "first");
    Tree.Link(Deep + "/sub/to-report", "../report.csv");
    WriteWholeFile(Utf8ToText(DeepPath("sub/to-report")), "second");
    EXPECT_TRUE(StatAnyLength(DeepPath("sub/to-report"), st) && S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadAll(report), "second");
    std::vector<TDirEntry> entries;
    ASSERT_EQ(ListFolder(Utf8ToText(DeepPath()), entries), TListStatus::lsOk);
    for (const TDirEntry& e : entries)
        EXPECT_FALSE(U8(e.Name).starts_with(".twinseek-")) << U8(e.Name);  // no temporary left

    MakeFolders(Utf8ToText(DeepPath("cache/a/b")));
    EXPECT_TRUE(StatAnyLength(DeepPath("cache/a/b"), st) && S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(RemoveFile(report));
    EXPECT_FALSE(RemoveFile(Utf8ToText(DeepPath("cache"))));  // never a folder

    const std::string privateFolder =
        TextToUtf8(CreatePrivateFolder(Utf8ToText(DeepPath()), u"p-"));
    EXPECT_TRUE(privateFolder.starts_with(DeepPath("p-")));
    EXPECT_EQ(privateFolder.size(), DeepPath("p-").size() + 6);
    ASSERT_TRUE(StatAnyLength(privateFolder, st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// The info file of the trash is read back independently, and the item is put back where it
// says by the test's own rename; it comes back the same file with the same bytes.
TEST_F(LongPath, TheDeepFileGoesToTheTrashAndComesBack) {
    const std::string path = DeepPath("dup1.bin");
    struct stat before {};
    ASSERT_TRUE(StatAnyLength(path, before));
    const std::vector<TRecycleOutcome> outcomes =
        MoveToRecycleBinEach({Utf8ToText(path), Utf8ToText(DeepPath("sub"))});
    ASSERT_EQ(outcomes.size(), 2u);
    for (const TRecycleOutcome& outcome : outcomes) {
        EXPECT_TRUE(outcome.Moved) << outcome.Reason;
        EXPECT_EQ(outcome.Reason, "");
    }
    struct stat st {};
    EXPECT_FALSE(StatAnyLength(path, st));
    EXPECT_FALSE(StatAnyLength(DeepPath("sub"), st));
    const std::string trash = Tree.Path("data/Trash");
    EXPECT_EQ(ReadWholeFile(trash + "/files/dup1.bin"), Bytes);
    EXPECT_EQ(ReadWholeFile(trash + "/files/sub/inner.txt"), "inner");
    for (const char* name : {"dup1.bin", "sub"}) {
        SCOPED_TRACE(name);
        const std::string info = ReadWholeFile(trash + "/info/" + name + ".trashinfo");
        // The deep path holds no character that Path= escapes.
        EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=" + DeepPath(name) + "\nDeletionDate="))
            << info.substr(0, 80);
        const int folder = OpenFolderAnyLength(DeepPath());
        ASSERT_GE(folder, 0);
        EXPECT_EQ(::renameat(AT_FDCWD, (trash + "/files/" + name).c_str(), folder, name), 0);
        ::close(folder);
        EXPECT_EQ(::unlink((trash + "/info/" + name + ".trashinfo").c_str()), 0);
    }
    ASSERT_TRUE(StatAnyLength(path, st));
    EXPECT_EQ(st.st_ino, before.st_ino);
    EXPECT_EQ(ReadAll(Utf8ToText(path)), Bytes);
    EXPECT_EQ(ReadAll(Utf8ToText(DeepPath("sub/inner.txt"))), "inner");
}

// On a file system of its own, the trash is at the mount's top and the info file gives the
// path from there, which the folder's real path, beyond the limit, tells.
TEST_F(LongPath, ADeepFileOnAnotherMountGoesToThatMountsTrash) {
    if (const std::string failure = PrivateMounts(); !failure.empty())
        GTEST_SKIP() << failure;
    Tree.Folder("mnt");
    const TMount mount(Tree.Path("mnt"), nullptr);
    ASSERT_TRUE(mount.Mounted()) << std::strerror(errno);
    const std::string rel = DeepRel() + "/x.bin";
    Tree.File("mnt/" + rel, "on another mount");
    // Reached through a link, which the real path leaves out.
    Tree.Link("to-mnt", "mnt");
    const std::vector<TRecycleOutcome> outcomes =
        MoveToRecycleBinEach({Tree.TextPath("to-mnt/" + rel)});
    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_TRUE(outcomes[0].Moved) << outcomes[0].Reason;
    struct stat st {};
    EXPECT_FALSE(StatAnyLength(Tree.Path("mnt/" + rel), st));
    const std::string trash = Tree.Path("mnt/.Trash-" + std::to_string(::geteuid()));
    EXPECT_EQ(ReadWholeFile(trash + "/files/x.bin"), "on another mount");
    const std::string info = ReadWholeFile(trash + "/info/x.bin.trashinfo");
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=" + rel + "\nDeletionDate="))
        << info.substr(0, 80);
}

TEST_F(LongPath, RealPathOfAnyLength) {
    // A short path that leads beyond the limit (a link holds no more than the limit).
    Tree.Link("mid", DeepRel(1300));
    Tree.Link("to-deep", "mid/" + DeepRel(Depth - 1300));
    Tree.Link(Deep + "/up", "../../ab");                  // a link among the folders on the way
    Tree.Link(Deep + "/absolute", Tree.Path("to-deep"));  // an absolute one
    Tree.Link(Deep + "/loop", "loop");
    std::string rootReal;
    ASSERT_TRUE(RealPath(Tree.Root(), rootReal));
    const std::string real = rootReal + "/" + Deep;
    const struct {
        const char* Why;
        std::string Path;
        std::string Real;  // empty: fails with the error
        int Error;
    } cases[] = {
        {"a folder", DeepPath(), real, 0},
        {"a trailing separator", DeepPath() + "/", real, 0},
        {"a file", DeepPath("dup1.bin"), real + "/dup1.bin", 0},
        {"a link to a file", DeepPath("link"), real + "/dup1.bin", 0},
        {"a short link leading deep", Tree.Path("to-deep/sub"), real + "/sub", 0},
        {"a link on the way", DeepPath("up/ab/hop/inner.txt"), real + "/sub/inner.txt", 0},
        {"an absolute link on the way", DeepPath("absolute/other.bin"), real + "/other.bin", 0},
        {"an absolute link at the end", DeepPath("absolute"), real, 0},
        {"dot folders", DeepPath("sub/./../sub/.."), real, 0},
        {"nothing there", DeepPath("missing"), "", ENOENT},
        {"a file taken for a folder", DeepPath("dup1.bin/"), "", ENOTDIR},
        {"a loop", DeepPath("loop"), "", ELOOP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        std::string got = "unchanged";
        errno = 0;
        const bool resolved = RealPath(c.Path, got);
        EXPECT_EQ(resolved, !c.Real.empty());
        if (resolved)
            EXPECT_EQ(got, c.Real);
        else
            EXPECT_EQ(errno, c.Error) << std::strerror(errno);
    }
}

}  // namespace

#endif  // _WIN32
