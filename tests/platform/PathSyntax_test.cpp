#include <gtest/gtest.h>

#include "platform/PathSyntax.h"
#include "support/TestHost.h"

namespace {

using namespace Platform;
constexpr TPathSyntax Win = TPathSyntax::Windows;
constexpr TPathSyntax Posix = TPathSyntax::Posix;

struct TPathCase {
    TPathSyntax Syntax;
    const char16_t* Path;
    const char16_t* Drive;
    bool IsRoot;
    const char16_t* Last;
    const char16_t* Directory;
};

TEST(PathSyntax, DriveRootLastComponentAndDirectory) {
    const TPathCase cases[] = {
        {Win, u"C:\\", u"C:", true, u"", u"C:\\"},
        {Win, u"C:", u"C:", true, u"", u"C:"},
        {Win, u"D:/", u"D:", true, u"", u"D:/"},
        {Win, u"C:\\a.txt", u"C:", false, u"a.txt", u"C:\\"},
        {Win, u"C:\\Data\\x.jpg", u"C:", false, u"x.jpg", u"C:\\Data"},
        {Win, u"C:/Data/x.jpg", u"C:", false, u"x.jpg", u"C:/Data"},
        {Win, u"C:\\Data\\", u"C:", false, u"", u"C:\\Data"},
        {Win, u"C:x.jpg", u"C:", false, u"x.jpg", u"C:"},
        {Win, u"\\\\server\\share", u"\\\\server\\share", true, u"share", u"\\\\server"},
        {Win, u"\\\\server\\share\\", u"\\\\server\\share", true, u"", u"\\\\server\\share\\"},
        {Win, u"\\\\server\\share\\x", u"\\\\server\\share", false, u"x", u"\\\\server\\share\\"},
        {Win, u"\\\\server\\share\\d\\x", u"\\\\server\\share", false, u"x",
         u"\\\\server\\share\\d"},
        {Win, u"//server/share/x", u"//server/share", false, u"x", u"//server/share/"},
        {Win, u"relative\\x", u"", false, u"x", u"relative"},
        {Win, u"name", u"", false, u"name", u""},
        {Win, u"1:\\x", u"", false, u"x", u"1:\\"},
        {Win, u"/a/b", u"", false, u"b", u"/a"},
        {Posix, u"/", u"", true, u"", u"/"},
        {Posix, u"/a.txt", u"", false, u"a.txt", u"/"},
        {Posix, u"/home/ann/x.jpg", u"", false, u"x.jpg", u"/home/ann"},
        {Posix, u"/home/ann/", u"", false, u"", u"/home/ann"},
        {Posix, u"C:\\odd name", u"", false, u"C:\\odd name", u""},
        {Posix, u"a\\b/c", u"", false, u"c", u"a\\b"},
        {Posix, u"name", u"", false, u"name", u""},
        {Posix, u"", u"", false, u"", u""},
    };
    for (const TPathCase& c : cases) {
        SCOPED_TRACE((c.Syntax == Win ? "windows " : "posix ") + U8(c.Path));
        EXPECT_EQ(DrivePart(c.Path, c.Syntax), c.Drive);
        EXPECT_EQ(IsRootPath(c.Path, c.Syntax), c.IsRoot);
        EXPECT_EQ(LastComponent(c.Path, c.Syntax), c.Last);
        EXPECT_EQ(DirectoryOf(c.Path, c.Syntax), c.Directory);
    }
}

struct TSeparatorCase {
    TPathSyntax Syntax;
    const char16_t* Path;
    const char16_t* Included;
    const char16_t* Excluded;
    const char16_t* Joined;  // with the name "x"
};

TEST(PathSyntax, TrailingSeparatorsAndJoining) {
    const TSeparatorCase cases[] = {
        {Win, u"C:\\Data", u"C:\\Data\\", u"C:\\Data", u"C:\\Data\\x"},
        {Win, u"C:\\Data\\", u"C:\\Data\\", u"C:\\Data", u"C:\\Data\\x"},
        {Win, u"C:\\Data/", u"C:\\Data/", u"C:\\Data", u"C:\\Data/x"},
        {Win, u"C:\\", u"C:\\", u"C:", u"C:\\x"},
        {Win, u"C:", u"C:\\", u"C:", u"C:\\x"},
        {Win, u"\\\\server\\share", u"\\\\server\\share\\", u"\\\\server\\share",
         u"\\\\server\\share\\x"},
        {Win, u"", u"", u"", u"x"},
        {Posix, u"/home", u"/home/", u"/home", u"/home/x"},
        {Posix, u"/home/", u"/home/", u"/home", u"/home/x"},
        {Posix, u"/", u"/", u"", u"/x"},
        {Posix, u"a\\", u"a\\/", u"a\\", u"a\\/x"},
        {Posix, u"", u"", u"", u"x"},
    };
    for (const TSeparatorCase& c : cases) {
        SCOPED_TRACE((c.Syntax == Win ? "windows " : "posix ") + U8(c.Path));
        EXPECT_EQ(IncludeTrailingSeparator(c.Path, c.Syntax), c.Included);
        EXPECT_EQ(ExcludeTrailingSeparator(c.Path, c.Syntax), c.Excluded);
        EXPECT_EQ(JoinPath(c.Path, u"x", c.Syntax), c.Joined);
        EXPECT_EQ(EndsWithSeparator(c.Path, c.Syntax), TextView(c.Included) == c.Path && *c.Path);
    }
}

TEST(PathSyntax, Separators) {
    EXPECT_EQ(PathSeparator(Win), u'\\');
    EXPECT_EQ(PathSeparator(Posix), u'/');
    EXPECT_TRUE(IsPathSeparator(u'/', Win));
    EXPECT_TRUE(IsPathSeparator(u'\\', Win));
    EXPECT_TRUE(IsPathSeparator(u'/', Posix));
    EXPECT_FALSE(IsPathSeparator(u'\\', Posix));
    EXPECT_FALSE(IsPathSeparator(u':', Win));
}

}  // namespace
