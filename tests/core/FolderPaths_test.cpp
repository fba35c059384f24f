#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>

#include "core/FolderPaths.h"
#include "platform/PathSyntax.h"
#include "support/TestHost.h"

using Platform::TPathSyntax;

TEST(NormalizeFolder, WindowsRules) {
    // A stand-in for GetFullPathNameW: absolute paths with "\..\" resolved once.
    const TFullPathFunction fullPath = [](const Text& path) {
        Text p = path;
        for (auto& c : p)
            if (c == u'/')
                c = u'\\';
        const std::size_t up = p.find(u"\\..");
        if (up != Text::npos) {
            const std::size_t prev = p.rfind(u'\\', up - 1);
            p = p.substr(0, prev) + p.substr(up + 3);
        }
        return p;
    };
    struct TCase {
        const char* in;
        const char* out;
    } cases[] = {
        {"D:", "D:\\"},
        {"  C:\\Temp\\..\\Data  ", "C:\\Data\\"},
        {"C:\\Data\\", "C:\\Data\\"},
        {"C:/Data", "C:\\Data\\"},
        {" \t ", ""},
        {"\\\\server\\share", "\\\\server\\share\\"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(U8(NormalizeFolder(T(c.in), TPathSyntax::Windows, fullPath)), c.out);
    }
}

TEST(NormalizeFolder, NativePaths) {
    struct TCase {
        const char* in;
        const char* out;
    } cases[] = {
#ifdef _WIN32
        {"  C:\\Temp\\..\\Windows  ", "C:\\Windows\\"},
        {"C:/Windows/", "C:\\Windows\\"},
        {"C:\\", "C:\\"},
        {"C:", "C:\\"},  // the drive's root, not its current folder
#else
        {"  /tmp/../usr/share  ", "/usr/share/"},
        {"/usr/share/", "/usr/share/"},
        {"/", "/"},
#endif
        {"   ", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(U8(NormalizeFolder(T(c.in))), c.out);
    }
    // A relative folder is taken against the current one.
    const Text sep(1, Platform::PathSeparator(Platform::NativeSyntax));
    const Text cwd = std::filesystem::current_path().u16string();
    EXPECT_EQ(NormalizeFolder(T("some/where")),
              Platform::IncludeTrailingSeparator(cwd, Platform::NativeSyntax) + u"some" + sep +
                  u"where" + sep);
}

TEST(FolderParent, BothSyntaxes) {
    struct TCase {
        TPathSyntax syntax;
        const char* folder;
        const char* parent;
    } cases[] = {
        {TPathSyntax::Windows, "C:\\Photos\\2021\\", "C:\\Photos"},
        {TPathSyntax::Windows, "C:\\Photos\\", "C:\\"},
        {TPathSyntax::Windows, "D:\\", "D:"},
        {TPathSyntax::Posix, "/home/ann/", "/home"},
        {TPathSyntax::Posix, "/home/", "/"},
        {TPathSyntax::Posix, "/", "/"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(U8(FolderParent(T(c.folder), c.syntax)), c.parent);
    }
}

TEST(SameFolderText, LetterCaseCountsOnlyOnPosix) {
    EXPECT_TRUE(SameFolderText(u"C:\\Photos\\", u"c:\\photos\\", TPathSyntax::Windows));
    EXPECT_FALSE(SameFolderText(u"/Photos/", u"/photos/", TPathSyntax::Posix));
    EXPECT_TRUE(SameFolderText(u"/photos/", u"/photos/", TPathSyntax::Posix));
}

TEST(PathKey, LowerCasedOnWindowsExactOnPosix) {
    EXPECT_EQ(PathKey(u"C:\\Data\\A.TXT", TPathSyntax::Windows),
              PathKey(u"c:\\data\\a.txt", TPathSyntax::Windows));
    EXPECT_NE(PathKey(u"/data/A.TXT", TPathSyntax::Posix),
              PathKey(u"/data/a.txt", TPathSyntax::Posix));
}
