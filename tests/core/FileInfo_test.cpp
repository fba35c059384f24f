#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/FileInfo.h"
#include "platform/PathSyntax.h"
#include "support/TestHost.h"

using Platform::TPathSyntax;

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
