#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/FileInfo.h"
#include "core/FolderPaths.h"
#include "core/ScanSettings.h"
#include "platform/PathSyntax.h"
#include "support/TestHost.h"

using Platform::TPathSyntax;

TEST(GetCompareMode, ItemIndexToMode) {
    EXPECT_EQ(GetCompareMode(0), cmName);
    EXPECT_EQ(GetCompareMode(1), cmSize);
    EXPECT_EQ(GetCompareMode(2), cmNameSize);
    EXPECT_EQ(GetCompareMode(3), cmContent);
    EXPECT_EQ(GetCompareMode(-1), cmContent);  // no item selected
    EXPECT_EQ(GetCompareMode(7), cmContent);
}

TEST(ParseMasks, Table) {
    struct TCase {
        const char* text;
        std::vector<const char*> masks;
    } cases[] = {
        {"*.jpg; *.png", {"*.jpg", "*.png"}},
        {"*.jpg|*.png,,*.gif", {"*.jpg", "*.png", "*.gif"}},
        {"*.doc *.docx", {"*.doc", "*.docx"}},
        {"", {"*.*"}},
        {"  ; , | ;; ", {"*.*"}},
        {"\"*.txt\"", {"*.txt"}},
        // Every separator separates, inside quotes too; a piece without an opening quote
        // keeps its quotes (an illegal mask character).
        {"\"my file?.txt\",*.c", {"my", "file?.txt\"", "*.c"}},
        {"\"a\"\"b\"", {"a\"b"}},                          // a doubled quote is one quote
        {"\"*.x\"y,z", {"*.xy", "z"}},                     // text after the quote is appended
        {"\"*.unterminated; b", {"*.unterminated", "b"}},  // runs to the end of the piece
        {"a\"b\",\t\"c\"", {"a\"b\"", "\"c\""}},           // a quote after the start stays
        {"*.a,*.a", {"*.a", "*.a"}},                       // repeats stay
        {"\t*.a\t", {"*.a"}},                              // control characters are trimmed
        {"\"  \",x", {"x"}},                               // blank after trimming: dropped
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<Text> expected;
        for (const char* m : c.masks)
            expected.push_back(T(m));
        EXPECT_EQ(ParseMasks(T(c.text)), expected);
    }
}

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

TEST(ReadWholeNumber, Table) {
    struct TCase {
        const char* text;
        std::int64_t minimum;
        std::int64_t value;
    } cases[] = {
        {"12", 0, 12},
        {"+7", 0, 7},
        {"-5", 0, -5},
        {"abc", 0, 0},
        {"abc", 2, 2},
        {"", 2, 2},
        {"1.5", 0, 0},
        {" 3", 0, 0},
        {"-", 2, 2},
        {"1048576", 0, 1048576},
        {"99999999999999999999999", 0, INT64_MAX},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadWholeNumber(T(c.text), c.minimum), c.value);
    }
}

TEST(TFileInfo, NameAndSizeFromThePath) {
    TFileInfo info(T("/no/such/folder/Photo.JPG"));
    EXPECT_EQ(U8(info.Name()), "Photo.JPG");
    EXPECT_EQ(info.Size, 0);  // a file that cannot be measured has size 0
    EXPECT_FALSE(info.HasContentHash());
    EXPECT_TRUE(info.ContentHash().empty());
}

TEST(TFileMap, FindsByPathAndOwnsNothing) {
    TFileInfo a(T("/x/a.txt"), 5), b(T("/x/b.txt"), 6);
    TFileMap map;
    map.Add(&a);
    map.Add(&b);
    EXPECT_EQ(map.Find(u"/x/a.txt"), &a);
    EXPECT_EQ(map.Find(u"/x/b.txt"), &b);
    // The file system's rule: letter case counts on POSIX only.
    EXPECT_EQ(map.Find(u"/x/A.txt"), Platform::NativeSyntax == TPathSyntax::Windows ? &a : nullptr);
    map.Clear();
    EXPECT_EQ(map.Count(), 0u);
    EXPECT_EQ(map.Find(u"/x/a.txt"), nullptr);
}

TEST(TFileMap, WindowsKeysIgnoreLetterCaseAndTheFirstRecordStays) {
    TFileInfo first(T("C:\\Data\\Photo.JPG"), 5), second(T("c:\\data\\photo.jpg"), 6);
    TFileMap map(Platform::TPathSyntax::Windows);
    map.Add(&first);
    map.Add(&second);
    EXPECT_EQ(map.Count(), 1u);
    EXPECT_EQ(map.Find(u"C:\\DATA\\PHOTO.jpg"), &first);
    EXPECT_EQ(map.Find(u"C:\\Data\\Photo.JP"), nullptr);
}

TEST(TFileMap, GrowsPastItsReserveWithoutLosingEntries) {
    std::vector<std::unique_ptr<TFileInfo>> files;
    TFileMap map;
    map.Reserve(10);
    for (int i = 0; i < 20000; ++i) {
        files.push_back(std::make_unique<TFileInfo>(T("/f/" + std::to_string(i)), i));
        map.Add(files.back().get());
    }
    EXPECT_EQ(map.Count(), files.size());
    for (const auto& file : files)
        ASSERT_EQ(map.Find(file->FullPath), file.get());
    EXPECT_EQ(map.Find(u"/f/20000"), nullptr);
}
