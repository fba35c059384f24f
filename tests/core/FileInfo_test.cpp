#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FileInfo.h"
#include "platform/PathSyntax.h"
#include "support/TestHost.h"

using Platform::TPathSyntax;

TEST(TFileInfo, NameAndSizeFromThePath) {
    TFileList files;
    const TFileInfo& info = *files.Add(T("/no/such/folder/Photo.JPG"));
    EXPECT_EQ(U8(info.Name()), "Photo.JPG");
    EXPECT_EQ(U8(info.Directory()), "/no/such/folder");
    EXPECT_EQ(info.Size, 0);  // a file that cannot be measured has size 0
    EXPECT_FALSE(info.HasContentHash());
    EXPECT_TRUE(info.ContentHash().empty());
}

TEST(TFileInfo, PackedNamesComeBackUnchanged) {
    // Names are kept as bytes: every kind of UTF-16 unit must survive, a lone surrogate too
    // (a POSIX name that is not UTF-8 reaches us as one).
    const std::vector<Text> names = {
        u"plain.txt",
        u"",
        u"caf\u00e9 \u00fcber",               // two-byte forms
        u"\u65e5\u672c\u8a9e.doc",            // three-byte forms
        u"\U0001F600 face",                   // a surrogate pair
        Text{u'a', char16_t(0xDC80 + 0xFF)},  // a byte that was not UTF-8
        Text{char16_t(0xD800), u'x'},         // a lone high surrogate
        Text{char16_t(0xDFFF)},               // a lone low surrogate
        Text{char16_t(0xDBFF), char16_t(0xDFFF)},
        Text{u'\x7f', u'\x80', char16_t(0x7FF), char16_t(0x800), char16_t(0xFFFF)},
        Text(255, u'\u00e9'),
    };
    TFileList files;
    const TFileFolder* folder = files.AddFolder(u"/d/");
    for (const Text& name : names)
        files.Add(files.PackName(folder, name));
    ASSERT_EQ(files.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(files[i]->Name(), names[i]) << i;
        EXPECT_EQ(files[i]->FullPath(), u"/d/" + names[i]) << i;
    }
}

TEST(TFileInfo, RecordsKeepTheirPlacesAsTheListGrows) {
    TFileList files;
    const TFileInfo* first = files.Add(T("/a/first"), 1);
    std::vector<const TFileInfo*> added;
    for (int i = 0; i < 20000; ++i)
        added.push_back(files.Add(T("/f" + std::to_string(i % 7) + "/" + std::to_string(i)), i));
    EXPECT_EQ(files[0], first);
    EXPECT_EQ(U8(first->FullPath()), "/a/first");
    for (std::size_t i = 0; i < added.size(); ++i)
        ASSERT_EQ(files[i + 1], added[i]);
    EXPECT_EQ(U8(files.back()->FullPath()), "/f0/19999");
    files.Truncate(3);
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(U8(files.back()->Name()), "1");
    files.Add(T("/again"), 5);
    EXPECT_EQ(U8(files[3]->FullPath()), "/again");
}

TEST(TFileMap, FindsByPathAndOwnsNothing) {
    TFileList files;
    TFileInfo* a = files.Add(T("/x/a.txt"), 5);
    TFileInfo* b = files.Add(T("/x/b.txt"), 6);
    TFileMap map(files);
    map.Add(0);
    map.Add(1);
    EXPECT_EQ(map.Find(u"/x/a.txt"), a);
    EXPECT_EQ(map.Find(u"/x/b.txt"), b);
    EXPECT_EQ(map.Find(u"/x/a.tx"), nullptr);
    EXPECT_EQ(map.Find(u"/x/a.txt2"), nullptr);
    EXPECT_EQ(map.Find(u"/x/"), nullptr);
    // The file system's rule: letter case counts on POSIX only.
    EXPECT_EQ(map.Find(u"/x/A.txt"), Platform::NativeSyntax == TPathSyntax::Windows ? a : nullptr);
    map.Clear();
    EXPECT_EQ(map.Count(), 0u);
    EXPECT_EQ(map.Find(u"/x/a.txt"), nullptr);
}

TEST(TFileMap, WindowsKeysIgnoreLetterCaseAndTheFirstRecordStays) {
    TFileList files;
    TFileInfo* first = files.Add(T("C:\\Data\\Photo.JPG"), 5);
    files.Add(T("c:\\data\\photo.jpg"), 6);
    TFileMap map(files, Platform::TPathSyntax::Windows);
    map.Add(0);
    map.Add(1);
    EXPECT_EQ(map.Count(), 1u);
    EXPECT_EQ(map.Find(u"C:\\DATA\\PHOTO.jpg"), first);
    EXPECT_EQ(map.Find(u"C:\\Data\\Photo.JP"), nullptr);
}

TEST(TFileMap, GrowsPastItsReserveWithoutLosingEntries) {
    TFileList files;
    TFileMap map(files);
    map.Reserve(10);
    for (int i = 0; i < 20000; ++i) {
        files.Add(T("/f/" + std::to_string(i % 13) + "/" + std::to_string(i)), i);
        map.Add(files.size() - 1);
    }
    EXPECT_EQ(map.Count(), files.size());
    for (const TFileInfo* file : files)
        ASSERT_EQ(map.Find(file->FullPath()), file);
    EXPECT_EQ(map.Find(u"/f/0/20000"), nullptr);
}

TEST(TRecordIdSet, OneEntryPerIdentity) {
    TFileList files;
    for (int i = 0; i < 5000; ++i)
        files.Add(T("/f/" + std::to_string(i)), 1)->Id = {.Volume = 1,
                                                          .IndexLow = std::uint64_t(i % 1000)};
    TRecordIdSet ids(files);
    std::size_t inserted = 0;
    for (std::size_t i = 0; i < files.size(); ++i)
        inserted += ids.Insert(i) ? 1 : 0;
    EXPECT_EQ(inserted, 1000u);
    EXPECT_EQ(ids.Count(), 1000u);
}
