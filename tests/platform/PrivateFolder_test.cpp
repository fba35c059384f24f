// The private folder of one download: new, empty and the user's alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "Wine.h"
#include "platform/FileSystem.h"
#include "platform/PrivateFolder.h"
#include "support/TempTree.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, whose types they use
#include <aclapi.h>
#include <sddl.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

fs::path FsPath(const Text& path) {
    return fs::path(Platform::TextToUtf8(path));
}

TEST(PrivateFolder, EachCallMakesANewEmptyFolderInTheParent) {
    TTempTree tree;
    tree.Folder("shared");
    const Text parent = tree.TextPath("shared");
    const Text first = Platform::CreatePrivateFolder(parent, u"twinseek-update-");
    const Text second = Platform::CreatePrivateFolder(parent, u"twinseek-update-");
    EXPECT_NE(first, second);
    for (const Text& folder : {first, second}) {
        SCOPED_TRACE(Platform::TextToUtf8(folder));
        const fs::path path = FsPath(folder);
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(path)));
        EXPECT_TRUE(fs::is_empty(path));
        EXPECT_TRUE(fs::equivalent(path.parent_path(), FsPath(parent)));
        EXPECT_TRUE(path.filename().string().starts_with("twinseek-update-"));
        EXPECT_GT(path.filename().string().size(), std::string("twinseek-update-").size());
    }
}

TEST(PrivateFolder, AMissingParentRaisesWithItsPath) {
    TTempTree tree;
    const Text parent = tree.TextPath("no/such/folder");
    try {
        Platform::CreatePrivateFolder(parent, u"x-");
        ADD_FAILURE() << "no error";
    } catch (const Platform::EPlatformError& error) {
        EXPECT_NE(std::string(error.what()).find(Platform::TextToUtf8(parent)), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(fs::exists(FsPath(tree.TextPath("no"))));
}

#ifndef _WIN32

// Another user can neither look into the folder nor put anything there, even when the
// parent is open to everybody, as the shared temporary folder is.
TEST(PrivateFolder, OtherUsersCannotEnterOrPlant) {
    if (!RunningAsRoot())
        GTEST_SKIP() << "needs root to act as a second user";
    TTempTree tree;
    tree.Folder("shared");
    ASSERT_EQ(::chmod(tree.Path("shared").c_str(), 01777), 0);
    const std::string folder =
        Platform::TextToUtf8(Platform::CreatePrivateFolder(tree.TextPath("shared"), u"p-"));
    struct stat st {};
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());

    const std::string planted = folder + "/twinseek_update.exe";
    const std::string renamed = tree.Path("shared/moved");
    const int refused = RunAsNobody([&] {
        int count = 0;
        count += ::symlink("/etc/passwd", planted.c_str()) != 0;
        const int fd = ::open(planted.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        count += fd < 0;
        if (fd >= 0)
            ::close(fd);
        count += ::access(folder.c_str(), R_OK | X_OK) != 0;
        // The sticky parent keeps the folder from being moved away and replaced.
        count += ::rename(folder.c_str(), renamed.c_str()) != 0;
        count += ::rmdir(folder.c_str()) != 0;
        return count;
    });
    EXPECT_EQ(refused, 5);
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_FALSE(fs::exists(fs::symlink_status(renamed)));
}

#else

std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    char buffer[256];
    DWORD size = 0;
    std::wstring text;
    wchar_t* sid = nullptr;
    if (::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
        text = sid;
        ::LocalFree(sid);
    }
    ::CloseHandle(token);
    return text;
}

// The folder's access list allows the user, and nobody but the system and the
// administrators. On Windows it is its own, nothing inherited from the temporary folder;
// wine keeps no access list but the mode bits it makes of it.
TEST(PrivateFolder, TheAccessListNamesTheUserAlone) {
    TTempTree tree;
    const Text folder = Platform::CreatePrivateFolder(tree.TextPath(""), u"p-");
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring wide(folder.begin(), folder.end());
    ASSERT_EQ(::GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, &dacl, nullptr, &descriptor),
              DWORD(ERROR_SUCCESS));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor, &control, &revision));
    std::set<std::wstring> sids;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        wchar_t* sid = nullptr;
        ASSERT_TRUE(::ConvertSidToStringSidW(&ace->SidStart, &sid));
        sids.insert(sid);
        ::LocalFree(sid);
    }
    ::LocalFree(descriptor);
    const std::wstring user = CurrentUserSid();
    ASSERT_FALSE(user.empty());
    const std::set<std::wstring> allowed = {user, L"S-1-5-18", L"S-1-5-32-544"};
    EXPECT_TRUE(sids.contains(user));
    for (const std::wstring& sid : sids)
        EXPECT_TRUE(allowed.contains(sid)) << Platform::TextToUtf8(Text(sid.begin(), sid.end()));
    if (!RunningUnderWine()) {
        EXPECT_NE(control & SE_DACL_PROTECTED, 0);
        EXPECT_EQ(sids, allowed);
    }
}

#endif

}  // namespace
