// The trash as a desktop reads it: every test takes what it trashed back out by the info
// file alone (Path= decoded here, independently of the writer) and compares it with what it
// was. Windows has its own Recycle Bin and its own tests.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <dirent.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "PrivateMounts.h"
#include "ScopedEnv.h"
#include "platform/Shell.h"
#include "support/TempTree.h"

namespace {

using Platform::TRecycleOutcome;

// The entries of a folder, "." and ".." left out; none when it cannot be listed.
std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.insert(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

// What a path holds, links not followed: kind, mode, bytes or target, and below a folder
// everything in it, so that equal texts mean the same item came back.
std::string Snapshot(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return "missing";
    const std::string mode = std::to_string(st.st_mode & 07777);
    if (S_ISLNK(st.st_mode)) {
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        return "link " + target.substr(0, n < 0 ? 0 : static_cast<std::size_t>(n));
    }
    if (S_ISREG(st.st_mode))
        return "file " + mode + " " + ReadWholeFile(path);
    std::string out = "folder " + mode + " {";
    for (const std::string& name : Names(path))
        out += name + ": " + Snapshot(path + "/" + name) + "; ";
    return out + "}";
}

std::string Decoded(const std::string& encoded) {
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size()) {
            out += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += encoded[i];
        }
    }
    return out;
}

// YYYY-MM-DDThh:mm:ss as local time; -1 when it is not that.
std::time_t LocalTime(const std::string& text) {
    std::tm tm{};
    const bool shape = text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == 'T' &&
                       text[13] == ':' && text[16] == ':';
    if (!shape || std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &tm.tm_year, &tm.tm_mon,
                              &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
        return -1;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

struct TInfo {
    std::string Path;  // decoded
    std::time_t Deleted = -1;
    bool WellFormed = false;
};

TInfo ReadInfo(const std::string& infoFile) {
    const std::string text = ReadWholeFile(infoFile);
    TInfo info;
    const std::string head = "[Trash Info]\nPath=";
    const std::size_t pathEnd = text.find('\n', head.size());
    const std::string dateKey = "\nDeletionDate=";
    if (!text.starts_with(head) || pathEnd == std::string::npos ||
        text.compare(pathEnd, dateKey.size(), dateKey) != 0 || !text.ends_with("\n"))
        return info;
    const std::string date = text.substr(pathEnd + dateKey.size());
    info.Path = Decoded(text.substr(head.size(), pathEnd - head.size()));
    info.Deleted = LocalTime(date.substr(0, date.size() - 1));
    info.WellFormed = info.Deleted != -1;
    return info;
}

// Puts the item of one info file back where Path= says (relative paths below top), as a
// desktop does, and removes the info file. Gives the place it went, empty on failure.
std::string Restore(const std::string& trash, const std::string& infoName,
                    const std::string& top = {}) {
    const TInfo info = ReadInfo(trash + "/info/" + infoName);
    EXPECT_TRUE(info.WellFormed) << ReadWholeFile(trash + "/info/" + infoName);
    const std::string name = infoName.substr(0, infoName.size() - std::strlen(".trashinfo"));
    const std::string home = top.empty() ? info.Path : top + "/" + info.Path;
    struct stat st {};
    if (!info.WellFormed || ::lstat(home.c_str(), &st) == 0 ||
        ::rename((trash + "/files/" + name).c_str(), home.c_str()) != 0)
        return {};
    ::unlink((trash + "/info/" + infoName).c_str());
    return home;
}

class TrashTest : public testing::Test {
protected:
    TrashTest() {
        Tree.Folder("data");
        Env.Set("XDG_DATA_HOME", Tree.Path("data"));
    }
    std::string Trash() const { return Tree.Path("data/Trash"); }

    TTempTree Tree;
    TScopedEnv Env;
};

TEST_F(TrashTest, EveryKindOfItemComesBackFromItsInfo) {
    std::string veryLong;
    while (veryLong.size() < 250)
        veryLong += "\xce\xbb";  // 2-byte letters, so a cut could split one
    veryLong += ".dat";          // 254 bytes: as long as a name gets, with no room for ".trashinfo"
    Tree.File("m/a.txt", "AAAA");
    Tree.File("n/a.txt", "another a");  // the same name goes second
    Tree.File("m/dir/inner/x.bin", std::string("\0\1\2binary", 9));
    Tree.File("m/dir/empty.txt", "");
    Tree.Folder("m/dir/nothing");
    Tree.File("m/slashed/f.txt", "a folder given as the scan writes folders");
    Tree.File("keep.txt", "the link's target stays");
    Tree.Link("m/link", "../keep.txt");
    Tree.Folder("target");
    Tree.Link("m/folderlink", "../target");
    Tree.File("m/100% sure & a b+c.txt", "spaces and %");
    Tree.File("m/line\nbreak=.txt", "a line break cannot end Path=");
    Tree.File("m/caf\xe9.txt", "latin-1 name");
    Tree.File("m/b.txt", "b");
    Tree.File("m/" + veryLong, "very long");
    ::chmod(Tree.Path("m/b.txt").c_str(), 0600);
    // files/ already holds a b.txt whose info file is gone: it must not be replaced.
    Tree.File("data/Trash/files/b.txt", "an orphan");
    Tree.Folder("data/Trash/info");

    const std::vector<std::string> rels = {"m/a.txt",
                                           "n/a.txt",
                                           "m/dir",
                                           "m/slashed/",
                                           "m/link",
                                           "m/folderlink/",
                                           "m/100% sure & a b+c.txt",
                                           "m/line\nbreak=.txt",
                                           "m/caf\xe9.txt",
                                           "m/b.txt",
                                           "m/" + veryLong};
    std::map<std::string, std::string> before;  // original path -> snapshot
    std::vector<Text> paths;
    for (const std::string& rel : rels) {
        std::string path = Tree.Path(rel);
        if (path.back() == '/')
            path.pop_back();
        before[path] = Snapshot(path);
        paths.push_back(Platform::Utf8ToText(Tree.Path(rel)));
    }
    const std::time_t start = std::time(nullptr);
    const std::vector<TRecycleOutcome> outcomes = Platform::MoveToRecycleBinEach(paths);
    const std::time_t end = std::time(nullptr);

    ASSERT_EQ(outcomes.size(), rels.size());
    for (std::size_t i = 0; i < rels.size(); ++i) {
        SCOPED_TRACE(rels[i]);
        EXPECT_TRUE(outcomes[i].Moved) << outcomes[i].Reason;
        EXPECT_EQ(outcomes[i].Reason, "");
    }
    for (const auto& [path, snapshot] : before)
        EXPECT_EQ(Snapshot(path), "missing") << path;
    // Links went as links: what they point to stayed.
    EXPECT_EQ(ReadWholeFile(Tree.Path("keep.txt")), "the link's target stays");
    EXPECT_EQ(Snapshot(Tree.Path("target")), "folder 493 {}");
    // Taken names get another; the orphan is untouched.
    EXPECT_EQ(ReadWholeFile(Trash() + "/files/a.2.txt"), "another a");
    EXPECT_EQ(ReadWholeFile(Trash() + "/files/b.txt"), "an orphan");
    EXPECT_EQ(ReadWholeFile(Trash() + "/files/b.2.txt"), "b");
    EXPECT_EQ(ReadWholeFile(Trash() + "/files/slashed/f.txt"),
              "a folder given as the scan writes folders");
    // The longest name is cut for its info file to fit, keeping its extension and whole letters.
    for (const std::string& name : Names(Trash() + "/files")) {
        if (name.size() < 100)
            continue;
        EXPECT_LE(name.size() + std::strlen(".trashinfo"), 255u);
        ASSERT_TRUE(name.ends_with(".dat")) << name;
        const std::string stem = name.substr(0, name.size() - 4);
        EXPECT_TRUE(veryLong.starts_with(stem) && stem.size() % 2 == 0) << name;
    }

    const std::set<std::string> infos = Names(Trash() + "/info");
    EXPECT_EQ(infos.size(), rels.size());
    for (const std::string& infoName : infos) {
        SCOPED_TRACE(infoName);
        EXPECT_LE(infoName.size(), 255u);
        const TInfo info = ReadInfo(Trash() + "/info/" + infoName);
        EXPECT_GE(info.Deleted, start - 1);
        EXPECT_LE(info.Deleted, end + 1);
        ASSERT_TRUE(before.count(info.Path)) << info.Path;
        const std::string home = Restore(Trash(), infoName);
        ASSERT_EQ(home, info.Path);
        EXPECT_EQ(Snapshot(home), before[home]);
        before.erase(home);
    }
    EXPECT_TRUE(before.empty());
    EXPECT_EQ(Names(Trash() + "/files"), std::set<std::string>{"b.txt"});
    EXPECT_TRUE(Names(Trash() + "/info").empty());
}

TEST_F(TrashTest, WhatCannotGoStaysAndSaysWhy) {
    struct TCase {
        const char* Name;
        std::function<void()> Prepare;
        std::string Rel;
        std::string Reason;  // the start of it
    };
    const TCase cases[] = {
        {"vanished", [] {}, "m/gone.txt", "does not exist"},
        {"no data folder can be made",
         [this] {
             Tree.File("blocker", "a file where the data folder would be");
             Env.Set("XDG_DATA_HOME", Tree.Path("blocker/share"));
         },
         "m/a.txt", "the trash folder " + Tree.Path("blocker/share/Trash") + " cannot be made"},
        {"files/ of the trash is a link",
         [this] {
             Tree.Folder("elsewhere");
             Tree.Link("data/Trash/files", "../../elsewhere");
         },
         "m/a.txt",
         "the trash folder " + Trash() + " cannot be used: files is a link or not a folder"},
        {"the root", [] {}, "/", "is the root folder"},
        {"a folder above the trash",
         [this] {
             Tree.Folder("data/Trash/files");
             Tree.Folder("data/Trash/info");
         },
         "data", "it holds the trash folder"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Tree.Remove("data");
        Tree.Folder("data");
        Env.Set("XDG_DATA_HOME", Tree.Path("data"));
        Tree.File("m/a.txt", "AAAA");
        c.Prepare();
        const std::string path = c.Rel.starts_with("/") ? c.Rel : Tree.Path(c.Rel);
        // Not the whole disk for the root: that it is still there says enough.
        const auto state = [&] { return path == "/" ? std::string("/") : Snapshot(path); };
        const std::string was = state();
        const std::vector<TRecycleOutcome> outcomes =
            Platform::MoveToRecycleBinEach({Platform::Utf8ToText(path)});
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_FALSE(outcomes[0].Moved);
        EXPECT_TRUE(outcomes[0].Reason.starts_with(c.Reason)) << outcomes[0].Reason;
        EXPECT_EQ(state(), was);
        EXPECT_TRUE(Names(Trash() + "/info").empty());
        EXPECT_TRUE(Names(Tree.Path("elsewhere")).empty());
    }
}

TEST_F(TrashTest, EveryPathIsTriedAndOnlyAllMovedIsSuccess) {
    Tree.File("m/a.txt", "A");
    Tree.File("m/b.txt", "B");
    const std::vector<TRecycleOutcome> outcomes = Platform::MoveToRecycleBinEach(
        {Tree.TextPath("m/a.txt"), Tree.TextPath("m/gone.txt"), Tree.TextPath("m/b.txt")});
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_TRUE(outcomes[0].Moved);
    EXPECT_FALSE(outcomes[1].Moved);
    EXPECT_TRUE(outcomes[2].Moved);
    EXPECT_EQ(Restore(Trash(), "a.txt.trashinfo"), Tree.Path("m/a.txt"));
    EXPECT_EQ(Restore(Trash(), "b.txt.trashinfo"), Tree.Path("m/b.txt"));

    EXPECT_FALSE(Platform::MoveToRecycleBin({Tree.TextPath("m/a.txt"), Tree.TextPath("m/gone")}));
    EXPECT_EQ(Restore(Trash(), "a.txt.trashinfo"), Tree.Path("m/a.txt"));
    EXPECT_TRUE(Platform::MoveToRecycleBin({Tree.TextPath("m/a.txt")}));
    EXPECT_EQ(Restore(Trash(), "a.txt.trashinfo"), Tree.Path("m/a.txt"));
    EXPECT_EQ(ReadWholeFile(Tree.Path("m/a.txt")), "A");

    EXPECT_FALSE(Platform::MoveToRecycleBin({}));
    EXPECT_TRUE(Platform::MoveToRecycleBinEach({}).empty());
}

TEST_F(TrashTest, AnItemTheUserMayNotMoveStaysWithNoInfoLeft) {
    // The user nobody has a data folder of its own and may change "free" but not "locked".
    Tree.Folder("home/data");
    Tree.File("locked/a.txt", "locked");
    Tree.File("free/b.txt", "free");
    if (RunningAsRoot()) {
        for (const char* rel : {"home", "home/data", "free"})
            ASSERT_EQ(::chown(Tree.Path(rel).c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(Tree.Path("locked").c_str(), 0555), 0);
    Env.Set("XDG_DATA_HOME", Tree.Path("home/data"));
    const Text locked = Tree.TextPath("locked/a.txt"), free = Tree.TextPath("free/b.txt");
    const int result = RunAsNobody([&] {
        const std::vector<TRecycleOutcome> outcomes =
            Platform::MoveToRecycleBinEach({locked, free});
        return (outcomes[0].Moved ? 1 : 0) | (outcomes[0].Reason == "permission denied" ? 2 : 0) |
               (outcomes[1].Moved ? 4 : 0);
    });
    EXPECT_EQ(result, 2 | 4);
    EXPECT_EQ(ReadWholeFile(Tree.Path("locked/a.txt")), "locked");
    const std::string trash = Tree.Path("home/data/Trash");
    EXPECT_EQ(Names(trash + "/info"), std::set<std::string>{"b.txt.trashinfo"});
    EXPECT_EQ(Restore(trash, "b.txt.trashinfo"), Tree.Path("free/b.txt"));
    EXPECT_EQ(ReadWholeFile(Tree.Path("free/b.txt")), "free");
}

TEST_F(TrashTest, AnItemOnAnotherMountGoesToThatMountsTrash) {
    if (const std::string failure = PrivateMounts(); !failure.empty())
        GTEST_SKIP() << failure;
    const std::string uid = std::to_string(::geteuid());
    struct TCase {
        const char* Name;
        bool Bind;  // a second view of the home trash's own file system
        std::function<void(const std::string& top)> Prepare;
        std::string Trash;  // below the mount's top; empty: no trash may be used there
    };
    const TCase cases[] = {
        {"nothing there yet", false, [](const std::string&) {}, ".Trash-" + uid},
        {"a shared sticky .Trash", false,
         [](const std::string& top) {
             ::mkdir((top + "/.Trash").c_str(), 0777);
             ::chmod((top + "/.Trash").c_str(), 01777);
         },
         ".Trash/" + uid},
        {".Trash without the sticky bit", false,
         [](const std::string& top) {
             ::mkdir((top + "/.Trash").c_str(), 0777);
             ::chmod((top + "/.Trash").c_str(), 0777);
         },
         ".Trash-" + uid},
        {".Trash a link to a sticky folder", false,
         [](const std::string& top) {
             ::mkdir((top + "/shared").c_str(), 0777);
             ::chmod((top + "/shared").c_str(), 01777);
             ::symlink("shared", (top + "/.Trash").c_str());
         },
         ".Trash-" + uid},
        {"the user's trash folder belongs to another user", false,
         [](const std::string& top) {
             ::mkdir((top + "/.Trash-" + std::to_string(::geteuid())).c_str(), 0700);
             ::chown((top + "/.Trash-" + std::to_string(::geteuid())).c_str(), 65534, 65534);
         },
         ""},
        {"a bind mount of the home file system", true, [](const std::string&) {}, ".Trash-" + uid},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Tree.Remove("mnt");
        Tree.Remove("bound");
        Tree.Remove("data/Trash");
        Tree.Folder("mnt");
        Tree.Folder("bound");
        const std::string top = Tree.Path("mnt");
        const TMount mount(top, c.Bind ? Tree.Path("bound").c_str() : nullptr);
        ASSERT_TRUE(mount.Mounted()) << std::strerror(errno);
        c.Prepare(top);
        Tree.File("mnt/sub dir/x.txt", "on another mount");
        const std::string was = Snapshot(top + "/sub dir/x.txt");

        const std::vector<TRecycleOutcome> outcomes =
            Platform::MoveToRecycleBinEach({Tree.TextPath("mnt/sub dir/x.txt")});
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_TRUE(Names(Trash() + "/files").empty());  // never the home trash
        if (c.Trash.empty()) {
            EXPECT_FALSE(outcomes[0].Moved);
            EXPECT_TRUE(outcomes[0].Reason.starts_with("no trash may be used on its file system (" +
                                                       top + ")"))
                << outcomes[0].Reason;
            EXPECT_EQ(Snapshot(top + "/sub dir/x.txt"), was);
            EXPECT_TRUE(Names(top + "/.Trash-" + uid).empty());
            continue;
        }
        ASSERT_TRUE(outcomes[0].Moved) << outcomes[0].Reason;
        const std::string trash = top + "/" + c.Trash;
        EXPECT_EQ(Snapshot(trash), "folder 448 {files: folder 448 {x.txt: " + was +
                                       "; }; info: folder 448 {x.txt.trashinfo: file 384 " +
                                       ReadWholeFile(trash + "/info/x.txt.trashinfo") + "; }; }");
        // The path is relative to the top of the mount, as a desktop looks for it there.
        EXPECT_EQ(ReadInfo(trash + "/info/x.txt.trashinfo").Path, "sub dir/x.txt");
        EXPECT_EQ(Restore(trash, "x.txt.trashinfo", top), top + "/sub dir/x.txt");
        EXPECT_EQ(Snapshot(top + "/sub dir/x.txt"), was);
        if (c.Bind) {
            EXPECT_EQ(ReadWholeFile(Tree.Path("bound/sub dir/x.txt")), "on another mount");
        }
    }
}

}  // namespace
#endif  // _WIN32
